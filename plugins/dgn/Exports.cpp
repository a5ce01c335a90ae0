// The exports of the dgn plug-in.
#include "DGNExport.h"
#include "DGNImport.h"
#include "common/Exports.h"

extern "C" {

IVExporter* GetExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewExporter<CDGNExport>(control, user, callback);
}

IVImporter* GetImporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewImporter<CDGNImport>(control, user, callback);
}

IVExporter* __stdcall GetDGNExport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewExporter<CDGNExport>(control, user, callback);
}

void __stdcall ReleaseDGNExport(IVExporter* exporter)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteExporter(exporter);
}

IVImporter* __stdcall GetDGNImport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewImporter<CDGNImport>(control, user, callback);
}

void __stdcall ReleaseDGNImport(IVImporter* importer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteImporter(importer);
}

} // extern "C"
