#pragma once
// What the DGN element and linkage tests share: a started library with a design file, a
// geometry sink that records what it is told, a graphic element whose geometry, level entry
// and view the test decides (stand-ins for the level table and the views), and a collector of
// description lines.
#include "DesignFile.h"
#include "GeometrySink.h"
#include "GraphicElement.h"
#include "LevelData.h"
#include "Library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "element_records.h"

namespace dgn_test {

class DesignFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dgn::InitializeLibrary(dgn::kLibraryVersion, 0));
        file = new dgn::CDesignFile;
        ASSERT_NE(file->GetIdIndex(), nullptr);
    }
    void TearDown() override
    {
        delete file;
        dgn::ShutdownLibrary();
    }

    dgn::CDesignFile* file = nullptr;
};

// Description lines, wide ones (marked wide DGN strings) turned into narrow text.
class Lines {
public:
    static void Collect(const char* line)
    {
        if (!line) {
            s_ends++;
            return;
        }
        const auto* b = reinterpret_cast<const unsigned char*>(line);
        if (b[0] == 0xFF && b[1] == 0xFE) {
            std::string narrow = "[wide]";
            for (std::size_t i = 2; b[i] || b[i + 1]; i += 2)
                narrow.push_back(b[i + 1] ? '?' : static_cast<char>(b[i]));
            s_lines.push_back(narrow);
            return;
        }
        s_lines.push_back(line);
    }
    static void Reset()
    {
        s_lines.clear();
        s_ends = 0;
    }
    static const std::vector<std::string>& Get() { return s_lines; }
    static int Ends() { return s_ends; }
    static bool Has(const std::string& line)
    {
        for (const std::string& l : s_lines) {
            if (l == line)
                return true;
        }
        return false;
    }

private:
    static inline std::vector<std::string> s_lines;
    static inline int s_ends = 0;
};

// Records every symbology call, in order.
class RecordingSink : public dgn::IGeometrySink {
public:
    explicit RecordingSink(int kind) : m_kind(kind) {}
    struct Call {
        char what; // 'c' colour, 'w' weight, 's' style, 'f' fill, '2' second colour
        std::int32_t value;
    };
    std::vector<Call> calls;
    bool nested = false;
    dgn::IEntity* held = nullptr;

    // The last value set of a kind, or -999.
    std::int32_t Last(char what) const
    {
        std::int32_t v = -999;
        for (const Call& c : calls) {
            if (c.what == what)
                v = c.value;
        }
        return v;
    }

    int Kind() const override { return m_kind; }
    void SetColor(std::int32_t v) override { calls.push_back({'c', v}); }
    void SetWeight(std::int32_t v) override { calls.push_back({'w', v}); }
    void SetLineStyle(std::int32_t v) override { calls.push_back({'s', v}); }
    void SetFillColor(std::int32_t v) override { calls.push_back({'f', v}); }
    void SetSecondColor(std::int32_t v) override { calls.push_back({'2', v}); }
    dgn::CTransformStack* TransformStack() override { return nullptr; }
    void SetDesignFile(dgn::CDesignFile*) override {}
    void SelectFont(std::int32_t) override {}
    void BeginFill(const dgn::CFillInfo*) override {}
    void EndFill(const dgn::CFillInfo*) override {}
    void SetScreenMode(std::int32_t) override {}
    void AddPoint2d(const dgn::Point2d&) override {}
    void AddLine2d(const dgn::Point2d[2]) override {}
    void AddPoints2d(std::uint32_t, const dgn::Point2d*) override {}
    void AddPolygon2d(std::uint32_t, const dgn::Point2d*) override {}
    void AddEllipse2d(const dgn::Ellipse2d&) override {}
    void AddArc2d(const dgn::Arc2d&) override {}
    void AddText2d(const dgn::TextParams2d*, const std::uint8_t*, std::int32_t) override {}
    void AddBox3d(std::int32_t, const dgn::Point3d&, double, double) override {}
    void AddBox2d(std::int32_t, const dgn::Point2d&, double, double) override {}
    void AddPoint3d(const dgn::Point3d&) override {}
    void AddLine3d(const dgn::Point3d[2]) override {}
    void AddPoints3d(std::uint32_t, const dgn::Point3d*) override {}
    void AddPolygon3d(std::uint32_t, const dgn::Point3d*) override {}
    void AddEllipse3d(const dgn::Ellipse3d&) override {}
    void AddArc3d(const dgn::Arc3d&) override {}
    void AddText3d(const dgn::TextParams3d*, const std::uint8_t*, std::int32_t) override {}
    void AddObject(dgn::IGeometryObject*, std::int32_t) override {}
    void AddRotatedOffset3d(std::int32_t, const dgn::Point3d&, double, double, double) override {}
    bool IsNested() const override { return nested; }
    void Nest(std::int32_t) override {}
    dgn::IEntity* Value(dgn::IEntity* value) override
    {
        if (value)
            held = value;
        return held;
    }

private:
    int m_kind;
};

// A graphic element of a chosen type whose geometry is a list of points, and whose level entry,
// context view flags and cell override mask are what the test sets.
class TestGraphic : public dgn::IGraphicElement {
public:
    TestGraphic(dgn::CDesignFile* file, std::uint16_t type) : IGraphicElement(file) { m_type = type; }
    std::vector<dgn::Point3d> points;
    dgn::LevelData* level = nullptr;
    std::uint32_t viewFlags = 0;
    std::uint16_t overrideMask = 0;

    void EmitGeometry(dgn::CEntityIterator*, dgn::IGeometrySink* sink) override
    {
        for (const dgn::Point3d& p : points)
            sink->AddPoint3d(p);
    }

protected:
    const dgn::LevelData* LevelEntryData() const override { return level; }
    std::uint32_t GetContextViewFlags(dgn::CEntityIterator*) const override { return viewFlags; }
    std::uint16_t GetCellOverrideMask() const override { return overrideMask; }
};

// Writes an element into a buffer of exactly its record size; the bytes written (empty when
// nothing was written). Fails the test when the element reports more than the buffer.
inline Bytes WriteElement(dgn::IElement& e)
{
    Bytes out(e.GetRecordSize());
    std::uint8_t* cursor = out.data();
    const std::uint32_t n = e.WriteV8(&cursor);
    EXPECT_EQ(static_cast<std::size_t>(cursor - out.data()), n);
    EXPECT_LE(n, out.size());
    out.resize(n);
    return out;
}

template <class Element>
bool ReadV8Into(Element& e, const Bytes& record)
{
    const std::uint8_t* cursor = record.data();
    return e.ReadV8(&cursor, static_cast<std::uint32_t>(record.size()));
}

// After Touch, an element writes exactly 2 x sizeWords + 4 bytes, which a fresh element of its
// class reads back and writes again unchanged.
template <class Element>
void ExpectTouchedRoundTrip(Element& e, dgn::CDesignFile* file)
{
    e.Touch();
    const Bytes first = WriteElement(e);
    ASSERT_EQ(first.size(), 2u * e.GetSizeWords() + 4);
    Element again(file);
    ASSERT_TRUE(ReadV8Into(again, first));
    EXPECT_EQ(WriteElement(again), first);
}

} // namespace dgn_test
