// The exports of the pdf plug-in. Its exporter is not built yet: the factories make the
// framework's pending exporter, which answers FALSE.
#include "common/Exports.h"
#include "common/PendingConverters.h"

extern "C" {

IVExporter* GetExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewExporter<CVPendingExporter>(control, user, callback);
}

IVExporter* __stdcall GetPDFExport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewExporter<CVPendingExporter>(control, user, callback);
}

void __stdcall ReleasePDFExporter(IVExporter* exporter)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteExporter(exporter);
}

} // extern "C"
