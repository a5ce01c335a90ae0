// The image kind in storage: the IMAGE entity's groups and their reading (turned and mirrored
// images keep their corners), another writer's turned images (tests/fixtures/dxf/images_r2000.dxf
// by ezdxf), the SOLID form, the picture's file in the extended data, a drawing that
// check_dxf_images.py hands to ezdxf, and the image records with their picture.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Image.h"
#include "model/PointRecord.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"
#include "tests/support/ImageTestSupport.h"
#include "tests/support/StorageTestSupport.h"

namespace {

const double kPi = 3.14159265358979323846;

// A named picture of the size in the drawing's map.
CImageResource* AddPicture(Drawing& d, int width, int height, const char* name)
{
    imagetest::EnsureGdiplus();
    const std::vector<BYTE> bmp = imagetest::MakeBmp(width, height, [](int x, int y) { return RGB(x, y, 99); });
    CImageResource* resource = d.control.GetImageResourceMap().CreateResource(0, bmp.data(), bmp.size(), 1.0f, true);
    EXPECT_NE(resource, nullptr);
    if (resource)
        resource->SetName(name);
    return resource;
}

CImage* AddImage(Drawing& d, const CImageResource* resource, float x, float y, float width, float height, double rotation)
{
    auto* image = static_cast<CImage*>(d.Make(stImage, {{x, y}}, d.root));
    image->SetSize(width, height);
    image->SetRotation(rotation);
    if (resource)
        image->SetImageResourceId(resource->GetId());
    return image;
}

std::vector<std::string> Find(const std::vector<WrittenGroup>& groups, int code)
{
    std::vector<std::string> values;
    for (const WrittenGroup& g : groups)
        if (g.code == code)
            values.push_back(g.value);
    return values;
}

double Number(const std::string& text) { return std::atof(text.c_str()); }

void ExpectCorners(CImage& image, const CRealPointD (&want)[4], const char* what)
{
    CRealPointD got[4];
    ASSERT_TRUE(image.GetCorners(got)) << what;
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i].x, want[i].x, 1e-3) << what << " corner " << i;
        EXPECT_NEAR(got[i].y, want[i].y, 1e-3) << what << " corner " << i;
    }
}

// The text of the entity an image writes.
std::string EntityText(CImage* image)
{
    CDxfFile dxf;
    return WrittenText([&](CDxfFile& file) { image->WriteDxf(file); }, dxf);
}

// The one shape the groups of an entity make when read back into another drawing.
CImage* ReadBack(Drawing& to, const std::string& text)
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    // The entity ends where the next one begins.
    const std::string data = text + "  0\r\nEOF\r\n";
    ULONG written = 0;
    stream->Write(data.data(), static_cast<ULONG>(data.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CDxfFile dxf;
    EXPECT_TRUE(dxf.OpenStream(stream, true));
    EXPECT_TRUE(dxf.ReadGroup());
    auto* image = static_cast<CImage*>(to.control.GetShapeMap().CreateShape(stImage, true, true));
    EXPECT_EQ(image->ReadDxf(dxf), 1);
    dxf.Close();
    stream->Release();
    return image;
}

// The drawing images.dxf: the HEADER, the ENTITIES and the OBJECTS with a root dictionary and
// the IMAGEDEF objects, as a drawing of the AC1012 version holds them.
void WriteDrawingWithImages(Drawing& d, const std::string& path)
{
    CDxfFile& dxf = d.control.GetDxfDocument().GetFile();
    ASSERT_TRUE(dxf.Open(path.c_str(), false));
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "HEADER");
    dxf.WriteStringGroup(9, "$ACADVER");
    dxf.WriteStringGroup(1, "AC1012");
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "ENTITIES");
    d.root->WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "OBJECTS");
    dxf.WriteStringGroup(0, "DICTIONARY");
    dxf.WriteStringGroup(5, "C");
    dxf.WriteStringGroup(100, "AcDbDictionary");
    EXPECT_EQ(d.control.GetImageResourceMap().WriteImageDefsToDxf(dxf, d.control.GetIdBaseAboveShapes(), true), 1);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "EOF");
    ASSERT_TRUE(dxf.Close());
}

std::string FileText(const std::string& windowsPath)
{
    std::string unix = windowsPath.substr(2);
    for (char& c : unix)
        if (c == '\\')
            c = '/';
    std::ifstream in(unix, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& windowsPath, const std::string& text)
{
    std::string unix = windowsPath.substr(2);
    for (char& c : unix)
        if (c == '\\')
            c = '/';
    std::ofstream(unix, std::ios::binary) << text;
}

} // namespace

// 400 x 300 units of a 200 x 150 pixel picture: two units a pixel on both axes, the lower left
// corner as insertion point, the clip over the whole picture; read back whole.
TEST(ImageDxf, WritesTheImageEntityAndReadsItBack)
{
    Drawing d;
    CImage* image = AddImage(d, AddPicture(d, 200, 150, "pic"), 10, 20, 400, 300, 0);
    const std::vector<WrittenGroup> groups = WrittenGroups([&](CDxfFile& dxf) { image->WriteDxf(dxf); });
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups[0], (WrittenGroup{0, "IMAGE"}));
    // The common groups stand after the entity marker, as other readers expect them.
    EXPECT_EQ(Find(groups, 100), (std::vector<std::string>{"AcDbEntity", "AcDbRasterImage"}));
    EXPECT_EQ(groups[2], (WrittenGroup{100, "AcDbEntity"}));
    auto real = [&](int code, size_t n = 0) { return Number(Find(groups, code).at(n)); };
    EXPECT_EQ(real(10), 10.0);
    EXPECT_EQ(real(20), -280.0);
    EXPECT_EQ(real(11), 2.0);
    EXPECT_EQ(real(21), 0.0);
    EXPECT_EQ(real(12), 0.0);
    EXPECT_EQ(real(22), 2.0);
    EXPECT_EQ(real(13), 200.0);
    EXPECT_EQ(real(23), 150.0);
    EXPECT_EQ(real(14, 1), 199.5);
    EXPECT_EQ(real(24, 1), 149.5);
    EXPECT_EQ(real(14, 0), -0.5);
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", d.control.GetIdBaseAboveShapes() + image->GetImageResourceId());
    EXPECT_EQ(Find(groups, 340), (std::vector<std::string>{handle}));

    Drawing to;
    CImage* read = ReadBack(to, EntityText(image));
    EXPECT_EQ(read->GetWidth(), 400.0f);
    EXPECT_EQ(read->GetHeight(), 300.0f);
    EXPECT_EQ(read->GetRotation(), 0.0f);
    ASSERT_EQ(read->GetPointCount(), 1);
    EXPECT_EQ(read->GetPoints().GetAt(0)->x, 10.0f);
    EXPECT_EQ(read->GetPoints().GetAt(0)->y, 20.0f);
}

// Turned, mirrored and both: the entity names the same corners, and reading it gives them back.
TEST(ImageDxf, TurnedAndMirroredImagesKeepTheirCorners)
{
    struct Case
    {
        double rotation;
        float width, height;
    };
    for (const Case& c : {Case{30, 400, 300}, Case{90, 400, 300}, Case{200, 400, -300}, Case{30, -400, 300},
                          Case{315, -50, -20}}) {
        Drawing d;
        CImage* image = AddImage(d, AddPicture(d, 200, 150, "pic"), 10, 20, c.width, c.height, c.rotation);
        CRealPointD before[4];
        ASSERT_TRUE(image->GetCorners(before));
        const std::vector<WrittenGroup> groups = WrittenGroups([&](CDxfFile& dxf) { image->WriteDxf(dxf); });
        // The insertion point is C3, and C0 lies one picture height up the columns from it.
        const double x = Number(Find(groups, 10)[0]), y = Number(Find(groups, 20)[0]);
        const double vx = Number(Find(groups, 12)[0]), vy = Number(Find(groups, 22)[0]);
        EXPECT_NEAR(x, before[3].x, 1e-3) << c.rotation;
        EXPECT_NEAR(y, before[3].y, 1e-3) << c.rotation;
        EXPECT_NEAR(x + vx * 150, before[0].x, 1e-3) << c.rotation;
        EXPECT_NEAR(y + vy * 150, before[0].y, 1e-3) << c.rotation;

        Drawing to;
        CImage* read = ReadBack(to, EntityText(image));
        ExpectCorners(*read, before, "read back");
    }
}

// ezdxf's add_image at 30 and 90 degrees (the fixture's table): the corners that its lower left
// corner, size and rotation make.
TEST(ImageDxf, ReadsTheTurnedImagesOfAnotherWriter)
{
    Drawing d;
    const std::vector<CShape*> shapes = ReadEntities(d, Fixture("images_r2000.dxf"));
    ASSERT_EQ(shapes.size(), 2u);
    struct Case
    {
        double x, y, rotation;
    };
    const Case cases[2] = {{10, 20, 30}, {-5, 40, 90}};
    for (int i = 0; i < 2; ++i) {
        auto* image = dynamic_cast<CImage*>(shapes[i]);
        ASSERT_NE(image, nullptr);
        const double t = cases[i].rotation * kPi / 180, c = std::cos(t), s = std::sin(t);
        const CRealPointD c3(cases[i].x, cases[i].y);
        const CRealPointD c0(c3.x - 300 * s, c3.y + 300 * c);
        const CRealPointD c1(c0.x + 400 * c, c0.y + 400 * s);
        const CRealPointD want[4] = {c0, c1, CRealPointD(c1.x + 300 * s, c1.y - 300 * c), c3};
        ExpectCorners(*image, want, "ezdxf's image");
        EXPECT_NEAR(image->GetWidth(), 400, 1e-3);
        EXPECT_NEAR(image->GetHeight(), 300, 1e-3);
        EXPECT_NEAR(image->GetRotation(), cases[i].rotation, 1e-3);
    }
}

// With the option for solids: the rectangle's corners crosswise, then the extended data.
TEST(ImageDxf, SolidFormListsTheCornersCrosswise)
{
    Drawing d;
    CImage* image = AddImage(d, nullptr, 0, 10, 4, 2, 0);
    d.control.SetDxfOptions(CShapeHost::kDxfImagesAsSolids);
    const std::vector<WrittenGroup> groups = WrittenGroups([&](CDxfFile& dxf) { image->WriteDxf(dxf); });
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups[0], (WrittenGroup{0, "SOLID"}));
    const double want[4][2] = {{0, 10}, {4, 10}, {0, 8}, {4, 8}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Number(Find(groups, 10 + i).at(0)), want[i][0]) << i;
        EXPECT_EQ(Number(Find(groups, 20 + i).at(0)), want[i][1]) << i;
    }
    EXPECT_EQ(Find(groups, 1001), (std::vector<std::string>{"YVEXControl"}));
}

// The drawing check_dxf_images.py reads: the picture's file is written beside it and named in the
// extended data; read back, the image shows a picture of the same size again. A name without a
// folder is taken from the drawing's folder.
TEST(ImageDxf, ThePicturesFileTravelsBesideTheDrawing)
{
    const std::string path = OutputPath("images.dxf");
    {
        Drawing d;
        CImageResource* picture = AddPicture(d, 200, 150, "pic");
        for (double rotation : {0.0, 30.0, 90.0})
            AddImage(d, picture, 10, 20, 400, 300, rotation);
        WriteDrawingWithImages(d, path);
        const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
        EXPECT_EQ(picture->GetSourcePath(), std::wstring(folder.begin(), folder.end()) + L"pic.bmp");
    }
    const std::string text = FileText(path);
    ASSERT_NE(text.find("IMAGE DATA"), std::string::npos);

    for (bool relative : {false, true}) {
        std::string path2 = path;
        if (relative) {
            // The same drawing naming its picture without a folder.
            std::string changed = text;
            const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
            for (size_t at; (at = changed.find(folder + "pic.bmp")) != std::string::npos;)
                changed.replace(at, folder.size(), "");
            path2 = OutputPath("images_relative.dxf");
            WriteText(path2, changed);
        }
        Drawing to;
        const std::vector<CShape*> shapes = ReadEntities(to, path2);
        ASSERT_EQ(shapes.size(), 3u) << relative;
        auto* image = dynamic_cast<CImage*>(shapes[1]);
        ASSERT_NE(image, nullptr);
        const CImageResource* resource = image->GetImageResource();
        ASSERT_NE(resource, nullptr) << relative;
        EXPECT_EQ(resource->GetWidth(), 200u);
        EXPECT_EQ(resource->GetHeight(), 150u);
        EXPECT_EQ(resource->GetName(), "pic");
        // One picture for the three images.
        EXPECT_EQ(static_cast<CImage*>(shapes[0])->GetImageResourceId(), image->GetImageResourceId());
        EXPECT_EQ(resource->GetUseCount(), 4);
        EXPECT_NEAR(image->GetRotation(), 30, 1e-4);
    }
}

// The records: an image's size and turn, and its picture in the same set, restored in another
// drawing; a picture that is not in the set leaves the placeholder.
TEST(ImageTables, ImagesComeBackWithTheirPicture)
{
    Drawing from;
    CImageResource* picture = AddPicture(from, 30, 20, "tiles");
    picture->SetDatabaseId(77);
    CImage* image = AddImage(from, picture, 5, 6, 60, -40, 123);
    CDataTableSet set(1);
    ASSERT_EQ(from.control.GetImageResourceMap().ExchangeTables(&set, 0, 0), 0);
    ASSERT_EQ(from.root->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
    ASSERT_EQ(set.Images()->GetCount(), 1u);
    // The picture keeps its database identity; the record carries it.
    EXPECT_EQ(picture->GetDatabaseId(), 77);
    ASSERT_EQ(set.ImageResources()->GetCount(), 1u);
    EXPECT_EQ(set.ImageResources()->GetRecords().begin()->second.DatabaseID, 77);

    CDataTableSet fresh(1);
    CopyShapeRecords(set, fresh);
    Drawing to;
    for (const auto& e : fresh.Shapes()->GetRecords())
        to.control.GetShapeMap().LoadShapeFromTables(&fresh, DXFMODE_LOAD, e.first);
    ASSERT_EQ(to.root->GetShapeCount(), 1);
    auto* read = dynamic_cast<CImage*>(to.root->GetChildAt(0));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetWidth(), 60.0f);
    EXPECT_EQ(read->GetHeight(), -40.0f);
    EXPECT_EQ(read->GetRotation(), 123.0f);
    const CImageResource* restored = read->GetImageResource();
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->GetWidth(), 30u);
    EXPECT_EQ(restored->GetName(), "tiles");
    // Restored into another drawing without its identifiers, it is no row of the database yet.
    EXPECT_EQ(restored->GetDatabaseId(), 0);
    CRealPointD want[4];
    image->GetCorners(want);
    ExpectCorners(*read, want, "restored");

    // Without the picture's record, in a drawing that holds another picture: the placeholder.
    CDataTableSet bare(1);
    CopyShapeRecords(set, bare);
    bare.ImageResources()->Clear();
    Drawing other;
    AddPicture(other, 4, 4, "other");
    for (const auto& e : bare.Shapes()->GetRecords())
        other.control.GetShapeMap().LoadShapeFromTables(&bare, DXFMODE_LOAD, e.first);
    auto* placeholder = dynamic_cast<CImage*>(other.root->GetChildAt(0));
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->GetImageResourceId(), -1);
}
