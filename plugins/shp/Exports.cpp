// The exports of the shp plug-in. Its converters are not built yet: the factories make the
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

IVImporter* __stdcall GetSHPImport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewImporter<CVPendingImporter>(control, user, callback);
}

void __stdcall ReleaseSHPImport(IVImporter* importer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteImporter(importer);
}

} // extern "C"
