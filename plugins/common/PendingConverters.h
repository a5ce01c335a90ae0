#pragma once
// The converters of a plug-in whose format is not built yet: they bind to the control like every
// converter, and their Export or Import does nothing, answers FALSE and leaves E_NOTIMPL as the
// state, which a host reads as "not built yet".
#include "common/VExporter.h"
#include "common/VImporter.h"

class CVPendingExporter : public CVExporter
{
public:
    using CVExporter::CVExporter;
    int Export(const CString&, unsigned long, unsigned long) override
    {
        m_state = E_NOTIMPL;
        return FALSE;
    }
};

class CVPendingImporter : public CVImporter
{
public:
    using CVImporter::CVImporter;
    int Import(const CString&, unsigned long, unsigned long) override
    {
        m_state = E_NOTIMPL;
        return FALSE;
    }
};
