// The control's image resources beyond loading a file: the picture shipped for the image
// prototype, images created with the mouse, resources from metafile handles, the renumbering after
// a DXF load and metafile images turned into block references.
#include "tests/support/ControlTestSupport.h"
#include "control/ShapeMap.h"
#include "interchange/DxfFile.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/PointPool.h"
#include "model/Reference.h"
#include "model/SelectionGroup.h"
#include "persistence/DrawingSettingRecord.h"
#include "tests/support/ImageTestSupport.h"
#include "tests/support/PictureFiles.h"
#include "com/AnsiText.h"
#include <algorithm>
#include <fstream>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// An enhanced metafile of a filled rectangle, drawn with GDI; the caller deletes it.
HENHMETAFILE DrawRectangleMetafile(int right, int bottom)
{
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, right, bottom);
    return CloseEnhMetaFile(dc);
}

std::vector<BYTE> BytesOf(HENHMETAFILE emf)
{
    std::vector<BYTE> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
    return bytes;
}

class ImageResources : public testing::Test
{
protected:
    void SetUp() override { imagetest::EnsureGdiplus(); }

    CImageResourceMap& Map() { return control->GetImageResourceMap(); }
    CGroup* Root() { return control->GetRootGroup(); }
    // An image of the resource with its corner at (x, y), in the group.
    CImage* MakeImage(int resourceId, float x, float y, float width, float height, CGroup* parent)
    {
        auto* image = dynamic_cast<CImage*>(control->GetShapeMap().CreateShape(stImage, true, true));
        EXPECT_NE(image, nullptr);
        image->AddPointById(control->CControlCore::CreatePoint(x, y), CShape::kAppend, false);
        image->SetImageResourceId(resourceId);
        image->SetSize(width, height);
        parent->AddChild(image, nullptr, 0, false);
        return image;
    }
    CImageResource* MetafileResource(int right, int bottom)
    {
        HENHMETAFILE emf = DrawRectangleMetafile(right, bottom);
        const std::vector<BYTE> bytes = BytesOf(emf);
        DeleteEnhMetaFile(emf);
        CImageResource* resource = Map().CreateResource(0, bytes.data(), bytes.size(), 1.0f, true);
        EXPECT_NE(resource, nullptr);
        return resource;
    }
    CImageResource* BitmapResource(int side)
    {
        const std::vector<BYTE> bytes = imagetest::MakeQuadrants(side, 0x0000FF, 0x00FF00, 0xFF0000, 0);
        CImageResource* resource = Map().CreateResource(0, bytes.data(), bytes.size(), 1.0f, true);
        EXPECT_NE(resource, nullptr);
        return resource;
    }
    // A block "Frame" in the library holding a 10 x 5 rectangle from the origin.
    CGroup* MakeBlock()
    {
        auto* block = static_cast<CGroup*>(control->GetShapeMap().CreateShape(stGroup, true, true));
        control->GetLibraryGroup()->AddChild(block, nullptr, 1, false);
        CShape* frame = control->GetShapeMap().CreateShape(stRectangle, true, true);
        for (const CRealPoint& p : {CRealPoint(0, 5), CRealPoint(10, 5), CRealPoint(10, 0), CRealPoint(0, 0)})
            frame->AddPointById(control->CControlCore::CreatePoint(p.x, p.y), CShape::kAppend, true);
        block->AddChild(frame, nullptr, 0, false);
        return block;
    }
    static void ExpectBounds(CShape* shape, float left, float top, float right, float bottom)
    {
        float l = 0, t = 0, r = 0, b = 0;
        ASSERT_TRUE(SUCCEEDED(shape->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0)));
        EXPECT_NEAR(l, left, 1e-3);
        EXPECT_NEAR(t, top, 1e-3);
        EXPECT_NEAR(r, right, 1e-3);
        EXPECT_NEAR(b, bottom, 1e-3);
    }

    ControlRef control;
};

} // namespace

// The module carries a picture of its own: an enhanced metafile under resource -1 that the image
// prototype shows at its pixel size, and that no removal takes away.
TEST_F(ImageResources, TheImagePrototypeShowsThePictureOfTheModule)
{
    CImageResource* picture = Map().Lookup(-1);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->IsLoaded());
    EXPECT_EQ(picture->GetFormat(), irtExtMetafile);
    EXPECT_GT(picture->GetWidth(), 0u);
    EXPECT_GT(picture->GetHeight(), 0u);
    EXPECT_EQ(picture->GetName(), "default");
    auto* prototype = dynamic_cast<CImage*>(control->FindShape(DEFAULT_IMAGE_ID));
    ASSERT_NE(prototype, nullptr);
    EXPECT_EQ(prototype->GetImageResourceId(), -1);
    EXPECT_FLOAT_EQ(prototype->GetWidth(), static_cast<float>(picture->GetWidth()));
    EXPECT_GE(picture->GetUseCount(), 2) << "the map's and the prototype's";
    EXPECT_EQ(Map().Remove(-1), 0);
    // Rebuilding the prototypes keeps the one picture.
    control->BuildDefaultShapes(true);
    EXPECT_EQ(Map().Lookup(-1), picture);
}

// DrawShape of an image without a prototype hangs a fresh image at the pointer, in free-hand
// entry, showing the picture its creation was started for, else the module's picture; a click
// puts it down and finishes the creation, as it does for an image of DrawImage.
TEST_F(ImageResources, AFreshImageHangsAtThePointerUntilAClick)
{
    ASSERT_EQ(control->EnableDefaultShape(stImage, VARIANT_FALSE), S_OK);
    CImageResource* chosen = BitmapResource(8);
    struct Case {
        const char* name;
        int pending;       // the picture the creation was started for (0: none)
        int expected;      // the picture shown
        bool placed;       // DrawImage's placement of a picture rather than DrawShape
    } cases[] = {{"no picture chosen", 0, -1, false},
                 {"a chosen picture", chosen->GetId(), chosen->GetId(), false},
                 {"DrawImage", 0, chosen->GetId(), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CShapeHost::CPendingImage pending;
        pending.resourceId = c.pending;
        control->SetPendingImage(pending);
        control->SetPointEntryMode(0);
        control->GetEditState().mousePosition = CRealPoint(30, 40);
        LONG id = 0;
        if (c.placed)
            ASSERT_EQ(control->BeginPlaceImage(BASE_ID, chosen->GetId(), true, &id), S_OK);
        else
            ASSERT_EQ(control->BeginDrawShape(BASE_ID, stImage, 0, &id), S_OK);
        auto* image = dynamic_cast<CImage*>(control->FindShape(id));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetImageResourceId(), c.expected);
        ASSERT_EQ(image->GetPointCount(), 1);
        EXPECT_FLOAT_EQ(image->GetPoints().GetAt(0)->x, 30);
        EXPECT_FLOAT_EQ(image->GetPoints().GetAt(0)->y, 40);
        const float scale = control->GetCurrentDrawingSetting()->ImageScale;
        EXPECT_FLOAT_EQ(image->GetWidth(), Map().Lookup(c.expected)->GetWidth() * scale);
        EXPECT_EQ(control->GetPointEntryMode(), 2);
        EXPECT_EQ(control->GetEditState().editedShape, image);

        // It follows the pointer, and a click puts it down.
        image->OnEditDrag(35, 45);
        EXPECT_FLOAT_EQ(image->GetPoints().GetAt(0)->x, 35);
        image->OnEditMouseDown(36, 46, nullptr);
        EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "the creation is finished";
        ASSERT_EQ(control->FindShape(id), image);
        EXPECT_EQ(image->GetParent(), Root());
        EXPECT_EQ(image->GetImageResourceId(), c.expected);
    }
}

// Metafile handles become enhanced-metafile resources named after their ID; the same picture
// again gives no second resource; a bitmap handle is refused.
TEST_F(ImageResources, ResourcesFromMetafileHandles)
{
    HENHMETAFILE emf = DrawRectangleMetafile(40, 20);
    CImageResource* resource = nullptr;
    EXPECT_EQ(Map().LoadResourceFromHandle(emf, nullptr), E_INVALIDARG);
    ASSERT_EQ(Map().LoadResourceFromHandle(emf, &resource), S_OK);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->GetFormat(), irtExtMetafile);
    EXPECT_EQ(resource->GetName(), "Enhanced Metafile" + std::to_string(resource->GetId()));
    EXPECT_EQ(Map().Lookup(resource->GetId()), resource);
    const int count = Map().GetCount();
    CImageResource* again = reinterpret_cast<CImageResource*>(1);
    EXPECT_EQ(Map().LoadResourceFromHandle(emf, &again), S_OK);
    EXPECT_EQ(again, nullptr) << "the picture is there already";
    EXPECT_EQ(Map().GetCount(), count);
    DeleteEnhMetaFile(emf);

    // A Windows metafile is turned into an enhanced one.
    HDC dc = CreateMetaFileW(nullptr);
    Ellipse(dc, 0, 0, 30, 30);
    HMETAFILE wmf = CloseMetaFile(dc);
    CImageResource* converted = nullptr;
    ASSERT_EQ(Map().LoadResourceFromHandle(wmf, &converted), S_OK);
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted->GetFormat(), irtExtMetafile);
    DeleteMetaFile(wmf);

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    CImageResource* refused = nullptr;
    EXPECT_EQ(Map().LoadResourceFromHandle(bitmap, &refused), E_ACCESSDENIED);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(control->GetLastErrorText(), "Unknown Handle format.");
    DeleteObject(bitmap);
}

// After a load that renumbered pictures, images showing an ID the map lacks take what the ID
// became, or the module's picture; the table is emptied. With nothing renumbered nothing changes.
TEST_F(ImageResources, ImagesFollowRenumberedPictures)
{
    CImageResource* picture = BitmapResource(6);
    CImage* present = MakeImage(picture->GetId(), 0, 0, 1, 1, Root());
    CImage* renumbered = MakeImage(0, 0, 0, 1, 1, Root());
    CImage* lost = MakeImage(0, 0, 0, 1, 1, Root());
    // As the DXF reader leaves them: the file's handles in place of the IDs.
    renumbered->SetImageResourceId(500);
    lost->SetImageResourceId(600);

    ASSERT_EQ(control->ApplyImageResourceRemap(), S_OK);
    EXPECT_EQ(renumbered->GetImageResourceId(), 500) << "an empty table changes nothing";

    const LONG uses = picture->GetUseCount();
    Map().AddIdRemap(500, picture->GetId());
    Map().AddIdRemap(600, 4711);
    ASSERT_EQ(control->ApplyImageResourceRemap(), S_OK);
    EXPECT_EQ(present->GetImageResourceId(), picture->GetId());
    EXPECT_EQ(renumbered->GetImageResourceId(), picture->GetId());
    EXPECT_EQ(picture->GetUseCount(), uses + 1);
    EXPECT_EQ(lost->GetImageResourceId(), -1) << "renumbered to a picture that is not there";
    EXPECT_TRUE(Map().IdRemap().empty());
}

// Images of a metafile picture that has a block become references to the block covering their
// rectangles, in their group and in the selection where they were; the images go out of the shape
// map before they are destroyed. Other pictures' images stay; an empty list is refused.
TEST_F(ImageResources, MetafileImagesBecomeBlockReferences)
{
    CImageResource* metafile = MetafileResource(40, 20);
    metafile->SetName("plan");
    CImageResource* bitmap = BitmapResource(4);
    CImage* first = MakeImage(metafile->GetId(), 0, 20, 40, 20, Root());
    CImage* second = MakeImage(metafile->GetId(), 100, 50, 20, 30, Root());
    CImage* photo = MakeImage(bitmap->GetId(), 0, 0, 4, 4, Root());
    const int firstId = first->GetId(), secondId = second->GetId(), photoId = photo->GetId();
    control->GetSelectionGroup()->AddChild(second, nullptr, 0, false);

    EXPECT_EQ(control->ConvertImagesToBlocks({}), E_UNEXPECTED);
    // The picture becomes a library block of its shapes first.
    ASSERT_EQ(control->ConvertImagesToBlocks({firstId, secondId, photoId}), S_OK);
    auto* block = dynamic_cast<CGroup*>(control->FindShape(metafile->GetBlockId()));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetParent(), control->GetLibraryGroup());
    EXPECT_EQ(control->FindShape(firstId), nullptr);
    EXPECT_EQ(control->FindShape(secondId), nullptr);
    EXPECT_EQ(control->FindShape(photoId), photo);
    EXPECT_EQ(block->GetName(), L"plan");

    std::vector<CReference*> references;
    for (CShape* child : Root()->Children())
        if (auto* reference = dynamic_cast<CReference*>(child))
            references.push_back(reference);
    ASSERT_EQ(references.size(), 2u);
    for (CReference* reference : references) {
        EXPECT_EQ(reference->GetBlock(), block);
        EXPECT_EQ(control->FindShape(reference->GetId()), reference);
    }
    ExpectBounds(references[0], 0, 20, 40, 0);
    ExpectBounds(references[1], 100, 50, 120, 20);
    CGroup* selection = control->GetSelectionGroup();
    ASSERT_EQ(selection->GetShapeCount(), 1);
    EXPECT_EQ(selection->GetChildAt(0), references[1]);
}

// Before a DXF save the visible images are converted only when the image-handling word asks.
TEST_F(ImageResources, VisibleImagesAreConvertedOnlyWhenAsked)
{
    CImageResource* metafile = MetafileResource(40, 20);
    CGroup* block = MakeBlock();
    metafile->SetBlockId(block->GetId());
    CImage* visible = MakeImage(metafile->GetId(), 0, 20, 40, 20, Root());
    CImage* hidden = MakeImage(metafile->GetId(), 0, 20, 40, 20, Root());
    hidden->SetVisible(false);
    const int visibleId = visible->GetId();
    EXPECT_EQ(control->ConvertVisibleImages(), 0);
    EXPECT_EQ(control->FindShape(visibleId), visible);
    control->SetDxfOptions(0x2);
    EXPECT_EQ(control->ConvertVisibleImages(), S_OK);
    EXPECT_EQ(control->FindShape(visibleId), nullptr);

    // A resource whose block went is made again; one without a picture is refused.
    LONG blockId = 7;
    control->DeleteShapeTree(block, false, false);
    EXPECT_EQ(control->ConvertImageResourceToBlock(metafile, false, &blockId), S_OK);
    EXPECT_GT(blockId, 0);
    EXPECT_EQ(metafile->GetBlockId(), blockId);
    CImageResource empty(0, nullptr, 0, 1.0f, -1);
    EXPECT_EQ(control->ConvertImageResourceToBlock(&empty, false, &blockId), E_ACCESSDENIED);
}

// An IMAGEDEF object of a DXF file loads the picture it names (a bare file name beside the DXF
// file) and records that its handle stands for the new resource, so that the images naming the
// handle show it after the load; a picture that is not there leaves nothing.
TEST_F(ImageResources, AnImageDefinitionOfADxfFileFindsItsPicture)
{
    const std::wstring picture = picturefiles::TempPath(L"yvex_imagedef.bmp");
    ASSERT_TRUE(picturefiles::WriteWhiteBmp(picture, 20, 10));
    const std::string path = ycom::WideToAnsi(picturefiles::TempPath(L"yvex_imagedef.dxf").c_str());
    const char* names[] = {"yvex_imagedef.bmp", "yvex_missing.bmp"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        {
            std::ofstream out(path, std::ios::binary);
            out << "  0\nSECTION\n  2\nOBJECTS\n  0\nIMAGEDEF\n  5\n2A\n100\nAcDbRasterImageDef\n 90\n0\n  1\n" << name
                << "\n 10\n20.0\n 20\n10.0\n  0\nEOF\n";
        }
        Map().ClearIdRemap();
        const int count = Map().GetCount();
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(path.c_str(), true));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(dxf.ReadGroup());
        ASSERT_STREQ(dxf.GetText(), "IMAGEDEF");
        const bool present = name == names[0];
        EXPECT_EQ(Map().ReadImageDefFromDxf(dxf), present ? 1 : 0);
        ASSERT_TRUE(dxf.ReadGroup());
        EXPECT_STREQ(dxf.GetText(), "EOF") << "the object's groups are read, the next object is not";
        if (!present) {
            EXPECT_EQ(Map().GetCount(), count);
            EXPECT_TRUE(Map().IdRemap().empty());
            continue;
        }
        ASSERT_EQ(Map().IdRemap().count(0x2A), 1u);
        CImageResource* resource = Map().Lookup(Map().IdRemap().at(0x2A));
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(resource->GetWidth(), 20u);
        EXPECT_EQ(resource->GetName(), "yvex_imagedef");
        CImage* image = MakeImage(0, 0, 0, 20, 10, Root());
        image->SetImageResourceId(0x2A);
        ASSERT_EQ(control->ApplyImageResourceRemap(), S_OK);
        EXPECT_EQ(image->GetImageResource(), resource);
    }
}
