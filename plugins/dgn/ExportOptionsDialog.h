#pragma once
// The question the DGN export asks when the host leaves the layers to the user: one check box,
// "Export visible layers only" (checked: hidden layers stay out of the file; cleared: every
// layer is written, hidden ones too).
#include "afx/Dialog.h"

class CExportOptionsDialog : public CDialog
{
public:
    CExportOptionsDialog();

    int m_visibleLayersOnly = TRUE;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
};
