// Fuzz target of the element stream reader: the input is the inflated content of an element
// stream (records back to back). It is deflated and read as an element storage reads it; then
// every element is described, drawn into a range collector, touched and written into a block
// of exactly the record size it states, which it must fill or leave alone; the file is saved
// with them. Every element is also drawn as for a display (curves and surfaces evaluated,
// meshes emitted, multilines mitred, rasters decoded) into the range collector.
#include "DesignFile.h"
#include "EntityContainer.h"
#include "GraphicElement.h"
#include "Library.h"
#include "TransformHelper.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace dgn;

void IgnoreLine(const char*) {}

// A range collector that presents itself as a drawing sink, so that elements draw what they
// draw for a display (a range collector gets only their control polygons).
class DrawingRange : public IGeometrySink {
public:
    explicit DrawingRange(CTransformHelper* range) : m_range(range) {}
    int Kind() const override { return 0; }
    void SetColor(std::int32_t v) override { m_range->SetColor(v); }
    void SetWeight(std::int32_t v) override { m_range->SetWeight(v); }
    void SetLineStyle(std::int32_t v) override { m_range->SetLineStyle(v); }
    void SetFillColor(std::int32_t v) override { m_range->SetFillColor(v); }
    void SetSecondColor(std::int32_t v) override { m_range->SetSecondColor(v); }
    CTransformStack* TransformStack() override { return m_range->TransformStack(); }
    void SetDesignFile(CDesignFile* f) override { m_range->SetDesignFile(f); }
    void SelectFont(std::int32_t f) override { m_range->SelectFont(f); }
    void BeginFill(const CFillInfo* f) override { m_range->BeginFill(f); }
    void EndFill(const CFillInfo* f) override { m_range->EndFill(f); }
    void SetScreenMode(std::int32_t on) override { m_range->SetScreenMode(on); }
    void AddPoint2d(const Point2d& p) override { m_range->AddPoint2d(p); }
    void AddLine2d(const Point2d l[2]) override { m_range->AddLine2d(l); }
    void AddPoints2d(std::uint32_t n, const Point2d* p) override { m_range->AddPoints2d(n, p); }
    void AddPolygon2d(std::uint32_t n, const Point2d* p) override { m_range->AddPolygon2d(n, p); }
    void AddEllipse2d(const Ellipse2d& e) override { m_range->AddEllipse2d(e); }
    void AddArc2d(const Arc2d& a) override { m_range->AddArc2d(a); }
    void AddText2d(const TextParams2d* t, const std::uint8_t* s, std::int32_t m) override { m_range->AddText2d(t, s, m); }
    void AddBox3d(std::int32_t a, const Point3d& p, double w, double h) override { m_range->AddBox3d(a, p, w, h); }
    void AddBox2d(std::int32_t a, const Point2d& p, double w, double h) override { m_range->AddBox2d(a, p, w, h); }
    void AddPoint3d(const Point3d& p) override { m_range->AddPoint3d(p); }
    void AddLine3d(const Point3d l[2]) override { m_range->AddLine3d(l); }
    void AddPoints3d(std::uint32_t n, const Point3d* p) override { m_range->AddPoints3d(n, p); }
    void AddPolygon3d(std::uint32_t n, const Point3d* p) override { m_range->AddPolygon3d(n, p); }
    void AddEllipse3d(const Ellipse3d& e) override { m_range->AddEllipse3d(e); }
    void AddArc3d(const Arc3d& a) override { m_range->AddArc3d(a); }
    void AddText3d(const TextParams3d* t, const std::uint8_t* s, std::int32_t m) override { m_range->AddText3d(t, s, m); }
    // The object draws itself into this sink, as it would into a display.
    void AddObject(IGeometryObject* o, std::int32_t a) override
    {
        if (o)
            o->EmitGeometry(this, a);
    }
    void AddRotatedOffset3d(std::int32_t a, const Point3d& p, double dx, double dy, double angle) override
    {
        m_range->AddRotatedOffset3d(a, p, dx, dy, angle);
    }
    bool IsNested() const override { return m_range->IsNested(); }
    void Nest(std::int32_t enter) override { m_range->Nest(enter); }
    IEntity* Value(IEntity* v) override { return m_range->Value(v); }

private:
    CTransformHelper* m_range;
};

const std::u16string& ScratchPath()
{
    static const std::u16string path = [] {
        std::random_device random;
        const std::string name = "yvex_dgn_stream_fuzz_" + std::to_string(random()) + ".dgn";
        return (std::filesystem::temp_directory_path() / name).u16string();
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = InitializeLibrary(kLibraryVersion, 0);
    if (!started || size > (1u << 20))
        return 0;
    uLongf packed = compressBound(static_cast<uLong>(size));
    std::vector<std::uint8_t> zipped(packed);
    if (compress2(zipped.data(), &packed, size ? data : zipped.data(), static_cast<uLong>(size), 1) != Z_OK)
        return 0;
    CDesignFile* file = CreateDesignFile(nullptr);
    if (!file)
        return 0;
    const bool threeD = size > 0 && (data[0] & 1);
    IEntity* before = file->ChildList()->Prev();
    file->InflateSeedElements(zipped.data(), static_cast<std::uint32_t>(packed), threeD, size > 1 ? data[1] % 3 : 0);
    CTransformHelper* range = CTransformHelper::Create();
    const IEntity* end = file->ChildList();
    for (IEntity* e = before->Next(); e && e != end && range; e = e->Next()) {
        if (e->GetKind() != kEntityElement)
            continue;
        IElement* element = static_cast<IElement*>(e);
        element->Describe(&IgnoreLine);
        range->SetDesignFile(file);
        element->EmitGeometry(nullptr, range);
        DrawingRange drawing(range);
        element->EmitGeometry(nullptr, &drawing);
        element->Touch();
        const std::uint32_t stated = element->GetRecordSize();
        std::vector<std::uint8_t> block(stated);
        std::uint8_t* cursor = block.data();
        const std::uint32_t written = element->WriteV8(&cursor);
        if ((written != 0 && written != stated) || static_cast<std::uint32_t>(cursor - block.data()) != written)
            __builtin_trap();
    }
    delete range;
    file->SaveAs(ScratchPath().c_str(), 1);
    delete file;
    return 0;
}
