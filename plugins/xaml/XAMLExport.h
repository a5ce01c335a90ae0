#pragma once
// CXAMLExport: the drawing written as one XAML canvas document of 700 x 700 units into which the
// whole drawing is fitted, one element (or a few) per shape, with the JPEG pictures of its images
// written beside the document. Export walks the root's shapes; InsertShape (XAMLShapeWriter.cpp)
// writes one shape, and the children of groups, block references and expanded metafile images.
#include <string>
#include <vector>
#include "XAMLStream.h"
#include "afx/Size.h"
#include "common/RealRect.h"
#include "common/VExporter.h"

#define XAML_PLUGIN_CLASS __declspec(dllexport)

class XAML_PLUGIN_CLASS CXAMLExport : public CVExporter
{
public:
    // Where a shape's world coordinates go before the canvas mapping: x·kx + ox, y·ky + oy.
    struct Transform {
        double ox = 0;
        double oy = 0;
        double kx = 1;
        double ky = 1;
    };

    CXAMLExport(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CXAMLExport(IYVEXControlPtr control, const CProgressNotifier& notifier);
    ~CXAMLExport() override = default;

    // Option 1 switches the workflow forms on (whatever the value); option 2 sets the block
    // image mode (1 metafile images as their shapes, 2 as a frame, else nothing); option 3 is
    // kept. Always TRUE.
    int ReadyExport(unsigned long option, unsigned long value) override;
    int Export(const CString& path, unsigned long option, unsigned long value) override;
    // Stored; the document is always fitted to the canvas.
    void SetShift(CRealPoint<double> shift) override { m_shift = shift; }
    void SetScale(double scale) override { m_scale = scale; }
    void SetBase(CRealPoint<double> base) override { m_base = base; }
    void SetRotation(double radians) override { m_rotation = radians; }

    // Writes the document: TRUE when the whole of it reached the file; FALSE without a control,
    // or when the file cannot be created or written.
    int Export(CString path, int option);
    // Writes one shape (its children too) under the transform; `tag` (UTF-8) and `number` name
    // the block reference it stands in, number 0 for none.
    void InsertShape(IShape* shape, CXAMLStream& out, const Transform& transform, const char* tag, int number);

    // The world rectangle of a drawing mode's source, and the source drawn into a metafile of
    // about `size` screen pixels (see common/SiteMetafile.h).
    CRealRect<float> GetYVEXMetafileRect(long mode);
    HENHMETAFILE DrawYVEXOnMetafile(CSize& size, const char* file, int mode);

    int GetWorkflow() const { return m_workflow; }
    int GetBlockImageMode() const { return m_blockImageMode; }

private:
    // Canvas coordinates of a world point under a transform.
    double CanvasX(double x, const Transform& t) const { return (x * t.kx + t.ox + m_negatedLeft) / m_canvasScale; }
    double CanvasY(double y, const Transform& t) const { return (m_canvasTop - (y * t.ky + t.oy)) / m_canvasScale; }

    void WritePoints(IShape* shape, long type, CXAMLStream& out, const Transform& t, const std::string& tag, int number);
    void WriteCurve(IShape* shape, CXAMLStream& out, const Transform& t);
    void WriteCircle(IShape* shape, CXAMLStream& out, const Transform& t);
    void WritePolyline(IShape* shape, CXAMLStream& out, const Transform& t, const std::string& tag, int number);
    void WriteArrow(CXAMLStream& out, double tipX, double tipY, double nextX, double nextY, double thickness,
                    const std::string& colour);
    void WriteImage(IShape* shape, CXAMLStream& out, const Transform& t);
    void WriteText(IShape* shape, CXAMLStream& out, const Transform& t, const std::string& tag, int number);
    void WriteReference(IShape* shape, CXAMLStream& out, const std::string& tag, int number);
    void WriteChildren(IShape* shape, CXAMLStream& out, const Transform& t, const char* tag, int number);
    // The block the export has for a metafile image resource, 0 for none.
    long BlockOfResource(IImageResource* resource);

    CRealPoint<double> m_base;
    CRealPoint<double> m_shift;
    double m_scale = 1.0;
    double m_rotation = 0;
    float m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;
    float m_canvasScale = 1;
    float m_negatedLeft = 0;
    float m_canvasTop = 0;
    std::vector<std::wstring> m_savedImageNames;
    std::wstring m_outputDirectory;
    int m_workflow = 0;
    int m_blockImageMode = 1;
    int m_option3 = 0;

    // During Export: the site, its shapes and image resources, and the blocks made of metafile
    // images (deleted again at the end).
    ISitePtr m_runSite;
    IShapeCollectionPtr m_runShapes;
    IImageResourceCollectionPtr m_runResources;
    std::vector<long> m_blocksBefore;
    std::vector<long> m_blocksMade;
};
