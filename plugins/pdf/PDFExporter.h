#pragma once
// CPDFExporter: the drawing written as a one-page A4 PDF through the outside PDF engine: the
// engine's page gives a device context in points (y down) on which every shape is drawn with GDI
// (PDFShapeDrawer.cpp), fitted into 90 % of the page with margins of 5 % at the left and top;
// texts of block references get their leaders.
#include <vector>
#include "PDFEngine.h"
#include "afx/Size.h"
#include "common/RealRect.h"
#include "common/VExporter.h"

#define PDF_PLUGIN_CLASS __declspec(dllexport)

class PDF_PLUGIN_CLASS CPDFExporter : public CVExporter
{
public:
    CPDFExporter(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CPDFExporter(IYVEXControlPtr control, const CProgressNotifier& notifier);
    // Member-wise, the notifier's interface pointers shared (outside an export, when nothing of a
    // run is held).
    CPDFExporter(const CPDFExporter& other) = default;
    CPDFExporter& operator=(const CPDFExporter& other) = default;
    ~CPDFExporter() override = default;

    // Stores the option, which the export does not use; TRUE.
    int ReadyExport(unsigned long option, unsigned long value) override;
    int Export(const CString& path, unsigned long option, unsigned long value) override;
    // Stored, not used: the drawing is always fitted to the page.
    void SetShift(CRealPoint<double> shift) override { m_shift = shift; }
    void SetScale(double scale) override { m_scale = scale; }
    void SetBase(CRealPoint<double> base) override { m_base = base; }
    void SetRotation(double radians) override { m_rotation = radians; }

    // TRUE when the document was written; FALSE after a message (no engine, an empty drawing, a
    // file that cannot be created) or without a control.
    int Export(CString path, int option);
    // Draws one shape (and its children) on the page.
    void InsertShape(IShape* shape);
    // The shape drawn by the control into a metafile placed over its bounding rectangle; the
    // engine's answer.
    int DrawEnhMetafile(IShape* shape);
    // The leaders of the texts in block references under `shape`, `depth` levels down.
    void AddLeader(IShape* shape, int depth);
    void AddLeaderTxt(ITextShape* text, const CRealRect<float>& reference);

    CRealRect<float> GetYVEXMetafileRect(long mode);
    // A plain (old-style) metafile when `plain` is non-zero; its handle then is an HMETAFILE.
    HENHMETAFILE DrawYVEXOnMetafile(CSize& size, const char* file, int mode, int plain);

    // Page coordinates (points, y down) of a world point.
    double PageX(double x) const { return (x - m_left) * m_pageScale + m_marginX; }
    double PageY(double y) const { return (m_top - y) * m_pageScale + m_marginY; }
    float GetPageScale() const { return m_pageScale; }

private:
    void DrawCurve(IShape* shape, long type);
    // An open shape with a fill abandons the path (filling false) and gives the brush back.
    void DrawPoints(IShape* shape, long type, bool* filling, HGDIOBJ* previousBrush);
    void DrawImage(IShape* shape);
    void DrawText(IShape* shape);

    CRealPoint<double> m_base;
    CRealPoint<double> m_shift;
    double m_scale = 1.0;
    double m_rotation = 0;
    unsigned long m_option = 0;
    float m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    float m_fitScale = 0;   // 0.01 mm per world unit
    float m_pageScale = 1;  // points per world unit
    float m_marginX = static_cast<float>(wpdf::kPageWidth * 0.05);
    float m_marginY = static_cast<float>(wpdf::kPageHeight * 0.05);
    float m_marginHimetricX = 1050, m_marginHimetricY = 1485;
    float m_pageWidth = static_cast<float>(wpdf::kPageWidth);
    float m_pageHeight = static_cast<float>(wpdf::kPageHeight);
    IShapeCollectionPtr m_selection;  // the selection group's children, while an export runs

    // While an export runs: the engine, its page and the site.
    CPDFEngine* m_engine = nullptr;
    HDC m_dc = nullptr;
    ISitePtr m_runSite;
    IShapeCollectionPtr m_runShapes;
    IImageResourceCollectionPtr m_runResources;
};
