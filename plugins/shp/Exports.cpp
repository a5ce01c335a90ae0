// The exports of the shp plug-in: its exporter (CSHPExport) through GetExporter, its importer
// (CSHPImport) through GetImporter and the standard-call pair.
#include "SHPExport.h"
#include "SHPImport.h"
#include "common/Exports.h"

extern "C" {

IVExporter* GetExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewExporter<CSHPExport>(control, user, callback);
}

IVImporter* GetImporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewImporter<CSHPImport>(control, user, callback);
}

IVImporter* __stdcall GetSHPImport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewImporter<CSHPImport>(control, user, callback);
}

void __stdcall ReleaseSHPImport(IVImporter* importer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteImporter(importer);
}

} // extern "C"
