// The image shape: size from its picture, corners, transforms, handles, the use it holds on its
// resource, hit tests and drawing checked by geometry in a DIB section, and the editing hooks as
// the control's mouse handlers drive them.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Image.h"
#include "model/PointRecord.h"
#include "model/ShapeStateMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include "tests/support/DrawingTestSupport.h"
#include "tests/support/ImageTestSupport.h"

namespace {

const double kPi = 3.14159265358979323846;

// A picture of width x height pixels in the map, its resource ID.
int AddPicture(CControlCore& control, int width, int height, COLORREF colour = RGB(200, 30, 30))
{
    imagetest::EnsureGdiplus();
    const std::vector<BYTE> bmp = imagetest::MakeBmp(width, height, [=](int, int) { return colour; });
    CImageResource* resource = control.GetImageResourceMap().CreateResource(0, bmp.data(), bmp.size(), 1.0f, true);
    EXPECT_NE(resource, nullptr);
    return resource ? resource->GetId() : 0;
}

// An image of the factory with its corner at (x, y).
CImage* MakeImage(CControlCore& control, float x, float y, float width, float height, double rotation, int resource = 0)
{
    auto* image = static_cast<CImage*>(control.GetShapeMap().CreateShape(stImage, true, true));
    EXPECT_NE(image, nullptr);
    image->SetPointCoords(3, x, y, 0);
    image->SetSize(width, height);
    image->SetRotation(rotation);
    if (resource)
        image->SetImageResourceId(resource);
    return image;
}

void ExpectCorner(const CRealPointD& got, double x, double y, const char* what)
{
    EXPECT_NEAR(got.x, x, 1e-3) << what;
    EXPECT_NEAR(got.y, y, 1e-3) << what;
}

} // namespace

TEST(ImageShape, FactoryMakesImagesAndCopies)
{
    CControlCore control;
    CImage* image = MakeImage(control, 1, 2, 30, 20, 45, AddPicture(control, 4, 4));
    EXPECT_EQ(image->GetShapeType(), stImage);
    EXPECT_EQ(image->GetClassShapeType(), stImage);
    CLSID clsid;
    image->GetCoClassId(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ImageShape));
    image->SetHitMode(CImage::kHitOutline);
    auto* copy = static_cast<CImage*>(control.GetShapeMap().CloneShape(image, true));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetImageResourceId(), image->GetImageResourceId());
    EXPECT_EQ(copy->GetWidth(), 30.0f);
    EXPECT_EQ(copy->GetHeight(), 20.0f);
    EXPECT_EQ(copy->GetRotation(), 45.0f);
    EXPECT_EQ(copy->GetHitMode(), CImage::kHitOutline);
}

// Each image holds one use of its picture besides the map's own; a switch moves it; a handle
// read from DXF holds none.
TEST(ImageShape, UsesOfTheResource)
{
    CControlCore control;
    const int first = AddPicture(control, 4, 4, RGB(1, 2, 3));
    const int second = AddPicture(control, 4, 4, RGB(4, 5, 6));
    CImageResourceMap& map = control.GetImageResourceMap();
    CImage* image = MakeImage(control, 0, 0, 10, 10, 0, first);
    EXPECT_EQ(map.Lookup(first)->GetUseCount(), 2);
    CShape* copy = control.GetShapeMap().CloneShape(image, true);
    EXPECT_EQ(map.Lookup(first)->GetUseCount(), 3);
    image->SetImageResourceId(second);
    EXPECT_EQ(map.Lookup(first)->GetUseCount(), 2);
    EXPECT_EQ(map.Lookup(second)->GetUseCount(), 2);
    EXPECT_EQ(map.Remove(second), 0); // shown: it stays
    control.GetShapeMap().RemoveShape(copy);
    delete copy;
    EXPECT_EQ(map.Lookup(first)->GetUseCount(), 1);
    EXPECT_EQ(map.Remove(first), 1);
}

// The Parts' cases: the size from the picture, rotations kept in [0, 360), a flip, the handles'
// room, the properties copied by mask.
TEST(ImageShape, SizeRotationFlipsAndHandles)
{
    CControlCore control;
    control.GetCurrentDrawingSetting()->ImageScale = 0.5f;
    CImage* image = MakeImage(control, 0, 0, 0, 0, 0, AddPicture(control, 200, 100));
    EXPECT_EQ(image->ResetSizeFromResource(0), 1);
    EXPECT_EQ(image->GetWidth(), 100.0f);
    EXPECT_EQ(image->GetHeight(), 50.0f);
    EXPECT_EQ(image->ResetSizeFromResource(999), 0); // no such picture: nothing changes
    EXPECT_EQ(image->GetWidth(), 100.0f);

    ASSERT_EQ(image->Rotate(0, 0, 400, nullptr, false), 1);
    EXPECT_NEAR(image->GetRotation(), 40.0, 1e-4);
    image->SetRotation(-90);
    EXPECT_EQ(image->GetRotation(), 270.0f);

    image->SetRotation(30);
    CRealPointD before[4], after[4];
    ASSERT_TRUE(image->GetCorners(before));
    const float axis = 7.0f;
    ASSERT_EQ(image->FlipHorizontal(nullptr, &axis), 1);
    EXPECT_NEAR(image->GetRotation(), 150.0, 1e-4);
    EXPECT_EQ(image->GetHeight(), -50.0f);
    // Every corner lands on its mirror image.
    ASSERT_TRUE(image->GetCorners(after));
    for (int i = 0; i < 4; ++i)
        ExpectCorner(after[i], 2 * axis - before[i].x, before[i].y, "horizontal flip");
    ASSERT_EQ(image->FlipVertical(nullptr, &axis), 1);
    ASSERT_TRUE(image->GetCorners(after));
    for (int i = 0; i < 4; ++i)
        ExpectCorner(after[i], 2 * axis - before[i].x, 2 * axis - before[i].y, "both flips");
    EXPECT_EQ(image->GetHeight(), 50.0f);

    CRealPoint handles[8];
    EXPECT_EQ(image->GetHandlePoints(handles, 7), 0);
    EXPECT_EQ(image->GetHandlePoints(nullptr, 0), 8);
    image->SetRotation(0);
    ASSERT_EQ(image->GetHandlePoints(handles, 8), 8);
    const CRealPoint p = *image->GetPoints().GetAt(0);
    const CRealPoint expected[8] = {{p.x + 50, p.y},      {p.x, p.y},           {p.x + 100, p.y},     {p.x + 100, p.y - 50},
                                    {p.x, p.y - 50},      {p.x + 100, p.y - 25}, {p.x + 50, p.y - 50}, {p.x, p.y - 25}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(handles[i].x, expected[i].x, 1e-3) << "handle " << i;
        EXPECT_NEAR(handles[i].y, expected[i].y, 1e-3) << "handle " << i;
    }

    CImage* other = MakeImage(control, 0, 0, 11, 22, 33);
    ASSERT_GT(image->CopyPropertiesFrom(*other, 6), 0);
    EXPECT_EQ(image->GetRotation(), 33.0f);
    EXPECT_EQ(image->GetWidth(), 11.0f);
    EXPECT_EQ(image->GetHeight(), 50.0f);
}

// The bounds hold the four corners; scaling turns a rotated rectangle's extent; the nearest point
// lies on the outline.
TEST(ImageShape, BoundsScaleAndNearestPoint)
{
    CControlCore control;
    CImage* image = MakeImage(control, 10, 10, 40, 20, 90);
    float l, t, r, b;
    ASSERT_EQ(image->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0), S_OK);
    // Turned a quarter: the width runs up from the corner, the height to its right.
    EXPECT_NEAR(l, 10, 1e-3);
    EXPECT_NEAR(r, 30, 1e-3);
    EXPECT_NEAR(b, 10, 1e-3);
    EXPECT_NEAR(t, 50, 1e-3);

    struct Case
    {
        double rotation, kx, ky, width, height, angle;
    };
    for (const Case& c : {Case{0, 2, 3, 80, 60, 0}, Case{90, 2, 1, 40, 40, 90}, Case{0, -1, 1, 40, -20, 180}}) {
        CImage* scaled = MakeImage(control, 0, 0, 40, 20, c.rotation);
        ASSERT_EQ(scaled->Scale(0, 0, static_cast<float>(c.kx), static_cast<float>(c.ky), nullptr, false), S_OK);
        EXPECT_NEAR(scaled->GetWidth(), c.width, 1e-3) << c.rotation << " " << c.kx << " " << c.ky;
        EXPECT_NEAR(scaled->GetHeight(), c.height, 1e-3) << c.rotation << " " << c.kx << " " << c.ky;
        EXPECT_NEAR(scaled->GetRotation(), c.angle, 1e-3) << c.rotation << " " << c.kx << " " << c.ky;
    }
    CImage* locked = MakeImage(control, 0, 0, 40, 20, 0);
    locked->SetProtectionFlagsMasked(sdbfWidth, sdbfWidth);
    locked->SetProtectionFlagsMasked(sdbfHeight, sdbfHeight);
    EXPECT_EQ(locked->Scale(0, 0, 2, 2, nullptr, false), E_ACCESSDENIED);
    EXPECT_EQ(locked->GetWidth(), 40.0f);

    CRealPoint nearest;
    CImage* plain = MakeImage(control, 0, 0, 40, 20, 0);
    ASSERT_EQ(plain->GetNearestPoint(CRealPoint(20, -15), &nearest), 1);
    EXPECT_NEAR(nearest.x, 20, 1e-4);
    EXPECT_NEAR(nearest.y, -20, 1e-4);
}

TEST(ImageShape, PointInPolygonCountsCrossingsAndTouches)
{
    const POINT square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const POINT diamond[4] = {{5, 0}, {10, 5}, {5, 10}, {0, 5}};
    struct Case
    {
        const POINT* polygon;
        long x, y;
        bool inside;
    };
    for (const Case& c : {Case{square, 5, 5, true}, Case{square, 11, 5, false}, Case{square, 5, 0, true},
                          Case{diamond, 5, 5, true}, Case{diamond, 1, 1, false}, Case{diamond, 2, 5, true},
                          Case{diamond, 9, 9, false}})
        EXPECT_EQ(PointInPolygon(c.polygon, 4, c.x, c.y, nullptr), c.inside) << c.x << "," << c.y;
    // A tolerance takes points just outside.
    const SIZE tolerance{2, 2};
    EXPECT_TRUE(PointInPolygon(diamond, 4, 1, 2, &tolerance));
    EXPECT_FALSE(PointInPolygon(diamond, 4, 1, 2, nullptr));
}

// A turned image is hit inside its rectangle, not in the corners of its bounding box; the
// outline mode answers on the edges only.
TEST(ImageShape, HitTestFollowsTheTurnedRectangle)
{
    drawtest::PixelDrawing d(300, 300);
    CImage* image = MakeImage(d.control, 150, 150, 100, 100, 45, AddPicture(d.control, 8, 8));
    const double c = std::cos(kPi / 4), s = std::sin(kPi / 4);
    // The centre of the rectangle, and a corner of its box that the rectangle leaves out.
    const CRealPoint centre(static_cast<float>(150 + 50 * c + 50 * s), static_cast<float>(150 + 50 * s - 50 * c));
    auto hit = [&](float x, float y) {
        const POINT p = d.Pixel(x, y);
        return image->HitTest(static_cast<float>(p.x), static_cast<float>(p.y)) != FALSE;
    };
    EXPECT_TRUE(hit(centre.x, centre.y));
    float l, t, r, b;
    ASSERT_EQ(image->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0), S_OK);
    EXPECT_FALSE(hit(l + 5, t - 5));
    EXPECT_TRUE(hit(160, 152)); // just inside the corner point

    image->SetHitMode(CImage::kHitOutline);
    EXPECT_FALSE(hit(centre.x, centre.y));
    // The middle of the edge from C0 to C1.
    EXPECT_TRUE(hit(static_cast<float>(150 + 50 * c), static_cast<float>(150 + 50 * s)));
    image->SetHitMode(3);
    EXPECT_FALSE(hit(185, 185));
}

// The picture lands on the turned rectangle, upright in the world: its top row along C0-C1.
TEST(ImageShape, DrawsThePictureOnTheTurnedRectangle)
{
    imagetest::EnsureGdiplus();
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), green = RGB(0, 255, 0), black = RGB(0, 0, 0);
    const std::vector<BYTE> quadrants = imagetest::MakeQuadrants(20, red, blue, green, black);
    struct Case
    {
        double rotation;
        // Where the top-left (red) quadrant's middle lies relative to the image's centre, in
        // world units (y up).
        double redX, redY;
    };
    for (const Case& c : {Case{0, -25, 25}, Case{90, -25, -25}, Case{180, 25, -25}, Case{30, 0, 0}}) {
        drawtest::PixelDrawing d(300, 300);
        CImageResource* resource =
            d.control.GetImageResourceMap().CreateResource(0, quadrants.data(), quadrants.size(), 1.0f, true);
        ASSERT_NE(resource, nullptr);
        CImage* image = MakeImage(d.control, 100, 200, 100, 100, c.rotation, resource->GetId());
        CDrawContext context = drawtest::Context(d.canvas.Dc());
        ASSERT_EQ(image->Draw(context), 1);
        CRealPointD corners[4];
        image->GetCorners(corners);
        const double cx = (corners[0].x + corners[2].x) / 2, cy = (corners[0].y + corners[2].y) / 2;
        // The red quadrant's middle: a quarter of the diagonal from the centre towards C0.
        const double rx = cx + (corners[0].x - cx) / 2, ry = cy + (corners[0].y - cy) / 2;
        if (c.rotation != 30) {
            EXPECT_NEAR(rx - cx, c.redX, 1e-4);
            EXPECT_NEAR(ry - cy, c.redY, 1e-4);
        }
        const POINT want = d.Pixel(static_cast<float>(rx), static_cast<float>(ry));
        const RECT ink = d.canvas.ColourExtent(red);
        ASSERT_LE(ink.left, ink.right) << c.rotation;
        EXPECT_NEAR((ink.left + ink.right) / 2.0, want.x, 3) << c.rotation;
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, want.y, 3) << c.rotation;
        // The whole picture covers the rectangle: about 100 x 100 pixels of ink.
        const int inked = 300 * 300 - d.canvas.Count(RGB(255, 255, 255));
        EXPECT_NEAR(inked, 10000, 600) << c.rotation;
    }
}

// Nothing without a picture; the frame alone while one is created; the outline passes draw the
// turned frame of an image with a picture.
TEST(ImageShape, DrawsNothingWithoutAPictureButItsFrameWhileCreated)
{
    drawtest::PixelDrawing d(300, 300);
    CImage* image = MakeImage(d.control, 100, 200, 100, 50, 0);
    CDrawContext context = drawtest::Context(d.canvas.Dc());
    EXPECT_EQ(image->Draw(context), 0);
    EXPECT_EQ(d.canvas.Count(RGB(255, 255, 255)), 300 * 300);

    d.control.GetEditState().editedShape = image;
    d.control.GetEditState().editMode = EDSH_POINT;
    EXPECT_EQ(image->Draw(context), 1);
    const RECT frame = d.canvas.InkExtent();
    const POINT a = d.Pixel(100, 200), b = d.Pixel(200, 150);
    EXPECT_NEAR(frame.left, a.x, 1);
    EXPECT_NEAR(frame.top, a.y, 1);
    EXPECT_NEAR(frame.right, b.x, 1);
    EXPECT_NEAR(frame.bottom, b.y, 1);
    d.control.GetEditState() = CEditState();

    d.canvas.Clear();
    image->SetImageResourceId(AddPicture(d.control, 4, 4));
    image->SetRotation(90);
    CDrawContext outline = drawtest::Context(d.canvas.Dc(), CDrawContext::dcNoFill);
    EXPECT_EQ(image->Draw(outline), 1);
    const RECT turned = d.canvas.InkExtent();
    // Turned a quarter: the width runs up from the corner, the height to its right.
    const POINT c = d.Pixel(100, 300), e = d.Pixel(150, 200);
    EXPECT_NEAR(turned.left, c.x, 1);
    EXPECT_NEAR(turned.top, std::max(0L, c.y), 1);
    EXPECT_NEAR(turned.right, e.x, 1);
    EXPECT_NEAR(turned.bottom, e.y, 1);
}

namespace {
struct EditingImages
{
    EditingImages()
    {
        drawtest::SetPixelView(control, 300);
        picture = AddPicture(control, 40, 20);
    }
    void Begin(CShape* shape, int mode, int picked)
    {
        control.GetEditState().editedShape = shape;
        shape->StartEdit(mode, picked, nullptr);
    }
    int Picked(CShape* shape) { return control.GetShapeStateMap().GetValue(shape->GetId()); }
    CControlCore control;
    int picture;
};
} // namespace

// A press places the corner and the opposite corner follows the mouse; the end takes the picture
// the creation was started for, at the size dragged out or its own.
TEST(ImageEditing, CreationByPressAndDrag)
{
    EditingImages e;
    auto* image = static_cast<CImage*>(e.control.GetShapeMap().CreateShape(stImage, true, true));
    e.Begin(image, EDSH_NEWPOINT, -1);
    image->OnEditDrag(5, 5); // no point yet: nothing to move
    ASSERT_EQ(image->OnEditMouseDown(10, 100, nullptr), 1);
    ASSERT_EQ(image->GetPointCount(), 1);
    EXPECT_EQ(e.control.GetEditState().editMode, EDSH_POINT);
    EXPECT_EQ(e.Picked(image), 3);
    image->OnEditDrag(70, 70);
    EXPECT_NEAR(image->GetWidth(), 60, 1e-4);
    EXPECT_NEAR(image->GetHeight(), 30, 1e-4);
    EXPECT_EQ(image->GetPoints().GetAt(0)->x, 10.0f);

    CShapeHost::CPendingImage pending;
    pending.resourceId = e.picture;
    e.control.SetPendingImage(pending);
    ASSERT_EQ(image->OnEditMouseDown(70, 70, nullptr), 1); // no picture yet: the edit ends
    EXPECT_EQ(image->GetImageResourceId(), e.picture);
    EXPECT_NEAR(image->GetWidth(), 60, 1e-4); // the size dragged out stays

    // A click alone takes the picture's size, then the pending size when one is given.
    e.control.GetCurrentDrawingSetting()->ImageScale = 2.0f;
    for (float pendingWidth : {0.0f, 7.0f}) {
        auto* clicked = static_cast<CImage*>(e.control.GetShapeMap().CreateShape(stImage, true, true));
        e.Begin(clicked, EDSH_NEWPOINT, -1);
        clicked->OnEditMouseDown(0, 0, nullptr);
        pending.width = pendingWidth;
        pending.height = pendingWidth;
        e.control.SetPendingImage(pending);
        ASSERT_EQ(clicked->EndEdit(true), 1);
        EXPECT_EQ(clicked->GetWidth(), pendingWidth ? 7.0f : 80.0f);
        EXPECT_EQ(clicked->GetHeight(), pendingWidth ? 7.0f : 40.0f);
    }
    // Without a picture to take the edit ends uncommitted, the image as it was.
    e.control.SetPendingImage(CShapeHost::CPendingImage());
    auto* none = static_cast<CImage*>(e.control.GetShapeMap().CreateShape(stImage, true, true));
    e.Begin(none, EDSH_NEWPOINT, -1);
    none->OnEditMouseDown(0, 0, nullptr);
    none->EndEdit(true);
    EXPECT_EQ(none->GetImageResourceId(), 0);
}

// Each handle resizes against its opposite one, which stays where it was; corners keep the
// proportions; the locks refuse what they lock.
TEST(ImageEditing, HandlesResizeAgainstTheOppositeSide)
{
    struct Case
    {
        int handle;
        float x, y;           // mouse
        float width, height;  // after
        float cornerX, cornerY;
    };
    // The image: corner (100, 100), 40 x 20, not turned; C2 = (140, 80).
    for (const Case& c : {Case{3, 180, 60, 80, 40, 100, 100}, Case{1, 60, 120, 80, 40, 60, 120},
                          Case{2, 180, 120, 80, 40, 100, 120}, Case{4, 60, 60, 80, 40, 60, 100},
                          Case{6, 0, 50, 40, 50, 100, 100}, Case{5, 150, 0, 50, 20, 100, 100},
                          Case{7, 90, 0, 50, 20, 90, 100}, Case{0, 0, 0, 40, 20, 100, 100}}) {
        EditingImages e;
        CImage* image = MakeImage(e.control, 100, 100, 40, 20, 0, e.picture);
        e.Begin(image, EDSH_POINT, c.handle);
        ASSERT_EQ(image->OnEditDrag(c.x, c.y), 1);
        EXPECT_NEAR(image->GetWidth(), c.width, 1e-4) << "handle " << c.handle;
        EXPECT_NEAR(image->GetHeight(), c.height, 1e-4) << "handle " << c.handle;
        EXPECT_NEAR(image->GetPoints().GetAt(0)->x, c.cornerX, 1e-4) << "handle " << c.handle;
        EXPECT_NEAR(image->GetPoints().GetAt(0)->y, c.cornerY, 1e-4) << "handle " << c.handle;
    }
    // Turned a quarter, the far corner dragged: the size grows along the turned sides.
    EditingImages e;
    CImage* turned = MakeImage(e.control, 100, 100, 40, 20, 90, e.picture);
    e.Begin(turned, EDSH_POINT, 3);
    // C2 = (120, 140); twice the size puts it at (140, 180).
    turned->OnEditDrag(140, 180);
    EXPECT_NEAR(turned->GetWidth(), 80, 1e-3);
    EXPECT_NEAR(turned->GetHeight(), 40, 1e-3);

    CImage* locked = MakeImage(e.control, 100, 100, 40, 20, 0, e.picture);
    locked->SetProtectionFlagsMasked(sdbfWidth | sdbfHeight, 0xE0);
    EXPECT_EQ(locked->ResizeTo(10, 10), 0);
    locked->SetProtectionFlagsMasked(sdbfAspect | sdbfWidth, 0xE0);
    EXPECT_EQ(locked->ResizeTo(10, 10), 0);
    locked->SetProtectionFlagsMasked(sdbfHeight, 0xE0);
    EXPECT_EQ(locked->ResizeTo(10, 10), 1);
    EXPECT_EQ(locked->GetWidth(), 10.0f);
    EXPECT_EQ(locked->GetHeight(), 20.0f);
    locked->SetProtectionFlagsMasked(sdbfAspect, 0xE0);
    EXPECT_EQ(locked->ResizeTo(30, 15), 1); // the larger factor, 3, holds for both
    EXPECT_EQ(locked->GetWidth(), 30.0f);
    EXPECT_EQ(locked->GetHeight(), 60.0f);
}
