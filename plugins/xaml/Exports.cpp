// The exports of the xaml plug-in: its exporter (CXAMLExport) and its plotter-file importer
// (CXAMLImport), each through its plain and its standard-call factory.
#include "XAMLExport.h"
#include "XAMLImport.h"
#include "common/Exports.h"

extern "C" {

IVExporter* GetExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewExporter<CXAMLExport>(control, user, callback);
}

IVImporter* GetImporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewImporter<CXAMLImport>(control, user, callback);
}

IVExporter* __stdcall GetXAMLExport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewExporter<CXAMLExport>(control, user, callback);
}

void __stdcall ReleaseXAMLExport(IVExporter* exporter)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteExporter(exporter);
}

IVImporter* __stdcall GetXAMLImport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewImporter<CXAMLImport>(control, user, callback);
}

void __stdcall ReleaseXAMLImport(IVImporter* importer)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteImporter(importer);
}

} // extern "C"
