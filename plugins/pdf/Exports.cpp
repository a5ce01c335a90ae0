// The exports of the pdf plug-in: its exporter (CPDFExporter) through the plain and the
// standard-call factory; the release export's name ends in "Exporter".
#include "PDFExporter.h"
#include "common/Exports.h"

extern "C" {

IVExporter* GetExporter(IYVEXControl* control, void* user, ProgressCallback callback)
{
    return NewExporter<CPDFExporter>(control, user, callback);
}

IVExporter* __stdcall GetPDFExport(IYVEXControl* control, void* user, ProgressCallback callback)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return NewExporter<CPDFExporter>(control, user, callback);
}

void __stdcall ReleasePDFExporter(IVExporter* exporter)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DeleteExporter(exporter);
}

} // extern "C"
