// The exports of the xaml plug-in. Its converters are not built yet: the factories make the
// framework's pending converters, which answer FALSE.
#include "common/Exports.h"
#include "common/PendingConverters.h"

extern "C" {

IVExporter* GetExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewExporter<CVPendingExporter>(control, user, callback);
}

IVImporter* GetImporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewImporter<CVPendingImporter>(control, user, callback);
}

IVExporter* __stdcall GetXAMLExport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewExporter<CVPendingExporter>(control, user, callback);
}

void __stdcall ReleaseXAMLExport(IVExporter* exporter)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteExporter(exporter);
}

IVImporter* __stdcall GetXAMLImport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewImporter<CVPendingImporter>(control, user, callback);
}

void __stdcall ReleaseXAMLImport(IVImporter* importer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteImporter(importer);
}

} // extern "C"
