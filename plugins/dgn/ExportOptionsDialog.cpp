#include "ExportOptionsDialog.h"
#include "resource.h"

CExportOptionsDialog::CExportOptionsDialog() : CDialog(IDD_DGN_EXPORT_OPTIONS, nullptr) {}

void CExportOptionsDialog::DoDataExchange(CDataExchange* exchange)
{
    DDX_Check(exchange, IDC_VISIBLE_LAYERS_ONLY, m_visibleLayersOnly);
}
