// The DGN converters' inner steps without a control: the importer's state, its mapping of
// design-file coordinates into the drawing and its running extent; the length and origin of
// texts written as DGN text elements.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>
#include "dgn/DGNImport.h"
#include "dgn/TextPlacement.h"
#include "afx/ModuleState.h"
#include "afx/Wnd.h"
#include "DesignFile.h"
#include "Library.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "TestPaths.h"
#include "element_records.h"
#include "elements/LinearElements.h"
#include "elements/ReferenceAttachment.h"
#include "elements/SharedCellElements.h"
#include "elements/ViewElement.h"

namespace {

const double kPi = 3.14159265358979323846;

// The importer with its protected parts in reach.
struct Importer : CDGNImport {
    Importer() : CDGNImport(IYVEXControlPtr(), nullptr, nullptr) {}
    using CDGNImport::DGNAngleRad;
    using CDGNImport::DGNDistance;
    using CDGNImport::DGNPt;
    using CDGNImport::DGNTextAngleRad;
    using CDGNImport::DGNVector;
    using CDGNImport::GetListCoord;
    using CDGNImport::GetListCount;
    using CDGNImport::m_designFile;
    using CDGNImport::m_levelLayers;
    using CDGNImport::m_origin;
    using CDGNImport::m_rotation;
    using CDGNImport::m_scale;
    using CDGNImport::m_shiftX;
    using CDGNImport::m_shiftY;
    using CDGNImport::m_viewPivot;
    using CDGNImport::m_viewRotation;
};

void ExpectNear(const CRealPoint<double>& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-6);
    EXPECT_NEAR(p.y, y, 1e-6);
}

TEST(DGNImport, AFreshImporterReportsNoTransformation)
{
    Importer importer;
    IVImporter& slots = importer;
    ExpectNear(slots.GetShift(), 0, 0);
    EXPECT_EQ(slots.GetScale(), 1.0);
    ExpectNear(slots.GetBase(), 0, 0);
    EXPECT_EQ(slots.GetRotation(), 0.0);
    EXPECT_EQ(importer.GetRefCount(), 0);
    // A file that is not there: FALSE, and the state says it could not be opened.
    EXPECT_EQ(slots.Import(CString("no such file.dgn"), 0, 0), FALSE);
    EXPECT_EQ(static_cast<unsigned>(slots.GetState()), 0x80010100u);
}

TEST(DGNImport, PointsDirectionsDistancesAndAngles)
{
    Importer importer;
    // Origin off, scaled, shifted.
    importer.m_origin = CRealPoint<double>(100, 100);
    importer.m_scale = 2;
    importer.m_shiftX = 10;
    importer.m_shiftY = 20;
    ExpectNear(importer.DGNPt(101, 102), 12, 24);
    ExpectNear(importer.DGNPt(CRealPoint<double>(101, 102)), 12, 24);
    // A direction is only scaled and turned.
    ExpectNear(importer.DGNVector(1, 2), 2, 4);
    EXPECT_EQ(importer.DGNDistance(3.5), 7.0);
    importer.m_scale = 0;
    EXPECT_EQ(importer.DGNDistance(3.5), 0.0);
    importer.m_scale = 1.0;
    const double odd = 0.1 + 0.2;
    EXPECT_EQ(importer.DGNDistance(odd), odd);

    // The first rotation turns about (0, 0) before the shift.
    Importer turned;
    turned.m_rotation = static_cast<float>(kPi / 2);
    ExpectNear(turned.DGNPt(1, 0), 0, 1);
    ExpectNear(turned.DGNVector(1, 0), 0, 1);
    // The view rotation turns about the pivot after the shift; a direction about (0, 0).
    Importer viewed;
    viewed.m_viewRotation = static_cast<float>(kPi / 2);
    viewed.m_viewPivot = CRealPoint<double>(1, 1);
    ExpectNear(viewed.DGNPt(2, 1), 1, 2);
    ExpectNear(viewed.DGNVector(1, 0), 0, 1);
    EXPECT_NEAR(viewed.GetRotation(), kPi / 2, 1e-6);
    EXPECT_EQ(viewed.GetAngle(), static_cast<float>(kPi / 2));
    ExpectNear(viewed.GetBase(), 1, 1);
    // Both rotations add up for angles; none leaves an angle as it is, bit for bit.
    turned.m_viewRotation = static_cast<float>(kPi / 4);
    EXPECT_NEAR(turned.DGNAngleRad(0.25), 0.25 + 0.75 * kPi, 1e-6);
    EXPECT_NEAR(turned.DGNTextAngleRad(0.25), 0.25 + 0.75 * kPi, 1e-6);
    EXPECT_EQ(importer.DGNAngleRad(odd), odd);
    ExpectNear(turned.DGNVector(1, 0), std::cos(0.75 * kPi), std::sin(0.75 * kPi));
}

TEST(DGNImport, BaseAndShiftAsWholeNumbers)
{
    Importer importer;
    importer.m_viewPivot = CRealPoint<double>(-2.7, 2.7);
    importer.m_shiftX = -5;
    importer.m_shiftY = 7;
    EXPECT_EQ(importer.GetBaseX(), -2);
    EXPECT_EQ(importer.GetBaseY(), 2);
    EXPECT_EQ(importer.GetXShift(), -5);
    EXPECT_EQ(importer.GetYShift(), 7);
    ExpectNear(importer.GetShift(), -5, 7);
}

TEST(DGNImport, InitAndCopiesKeepTheDesignFileWithOneOwner)
{
    ASSERT_TRUE(dgn::InitializeLibrary(dgn::kLibraryVersion, 0));
    {
        Importer importer;
        importer.m_designFile.reset(new dgn::CDesignFile());
        importer.m_scale = 3;
        importer.m_shiftX = 4;
        importer.m_levelLayers[5] = 6;
        Importer copy;
        copy = importer;
        EXPECT_EQ(copy.m_designFile, nullptr);
        EXPECT_EQ(copy.GetScale(), 3.0);
        EXPECT_EQ(copy.GetXShift(), 4);
        EXPECT_EQ(copy.m_levelLayers.at(5), 6);
        const Importer constructed(importer);
        EXPECT_EQ(constructed.m_designFile, nullptr);
        EXPECT_NE(importer.m_designFile, nullptr);

        // Init returns the run's fields to their start; the tables stay.
        importer.m_viewRotation = 1;
        importer.Init();
        EXPECT_EQ(importer.GetScale(), 1.0);
        EXPECT_EQ(importer.GetXShift(), 0);
        EXPECT_EQ(importer.GetRotation(), 0.0);
        EXPECT_EQ(importer.m_levelLayers.size(), 1u);
        EXPECT_EQ(importer.m_designFile, nullptr);
    }
    // The file Init let go of is deleted with the library.
    dgn::ShutdownLibrary();
}

TEST(DGNImport, PointListsOfTwoAndThreeDimensionalFiles)
{
    ASSERT_TRUE(dgn::InitializeLibrary(dgn::kLibraryVersion, 0));
    {
        Importer importer;
        EXPECT_EQ(importer.GetListCount(nullptr), 0);
        EXPECT_EQ(importer.GetListCoord(nullptr, 0, 1), 0.0);

        const dgn::Point2d flat[] = {{1, 2}, {3, 4}};
        dgn::CPoint2dArray* list2 = dgn::CPoint2dArray::CreateFrom(2, flat);
        ASSERT_NE(list2, nullptr);
        EXPECT_EQ(importer.GetListCount(list2), 2);
        EXPECT_EQ(importer.GetListCoord(list2, 1, 1), 3.0);
        EXPECT_EQ(importer.GetListCoord(list2, 1, 0), 4.0);
        EXPECT_EQ(importer.GetListCoord(list2, 2, 1), 0.0);
        EXPECT_EQ(importer.GetListCoord(list2, -1, 1), 0.0);
        delete list2;

        // In a 3-D file the points lie further apart; x and y still come first.
        importer.m_designFile.reset(new dgn::CDesignFile());
        importer.m_designFile->SetIs3d(true);
        const dgn::Point3d deep[] = {{1, 2, 9}, {3, 4, 9}, {5, 6, 9}};
        dgn::CPoint3dArray* list3 = dgn::CPoint3dArray::CreateFrom(3, deep);
        ASSERT_NE(list3, nullptr);
        EXPECT_EQ(importer.GetListCount(list3), 3);
        EXPECT_EQ(importer.GetListCoord(list3, 2, 1), 5.0);
        EXPECT_EQ(importer.GetListCoord(list3, 2, 0), 6.0);
        EXPECT_EQ(importer.GetListCoord(list3, 3, 0), 0.0);
        delete list3;
        importer.m_designFile.reset();
    }
    dgn::ShutdownLibrary();
}

TEST(DGNImport, TheRunningExtent)
{
    Importer importer;
    auto sides = [](const CRealRect<double>& r) { return std::vector<double>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(sides(importer.CheckPoint(5, -3, 0)), (std::vector<double>{5, -3, 5, -3}));
    EXPECT_EQ(sides(importer.CheckPoint(-2, 7, 0)), (std::vector<double>{-2, 7, 5, -3}));
    EXPECT_EQ(sides(importer.CheckPoint(1, 1, 0)), (std::vector<double>{-2, 7, 5, -3}));
    // A reset empties it, and the next point starts it again rather than widening (0, 0).
    EXPECT_EQ(sides(importer.CheckPoint(99, 99, 1)), (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(sides(importer.CheckPoint(10, 20, 0)), (std::vector<double>{10, 20, 10, 20}));
    // V8 coordinates reach beyond 2^31: they widen the extent rather than wrap to the far side.
    EXPECT_EQ(sides(importer.CheckPoint(3000000000LL, -3000000000LL, 0)), (std::vector<double>{10, 20, 3e9, -3e9}));
    // Init starts it again too.
    importer.Init();
    EXPECT_EQ(sides(importer.CheckPoint(-4, -6, 0)), (std::vector<double>{-4, -6, -4, -6}));
}

// The run ends the library and deletes the file on every way out: a file that cannot be
// opened, and a COM error raised once it is open (here: an importer bound to no control).
TEST(DGNImport, ARunEndsTheLibraryAndTheFileOnEveryPath)
{
    Importer importer;
    EXPECT_EQ(importer.Import(CString("no such file.dgn"), 0, 0), FALSE);
    EXPECT_EQ(static_cast<unsigned>(importer.GetState()), 0x80010100u);
    EXPECT_EQ(dgn::GetRootContainer(), nullptr);
    const std::string fixture = WinPath("YVEX_SOURCE_DIR", "tests/fixtures/dgn/design_files/ogr_2d.dgn");
    EXPECT_THROW(importer.Import(CString(fixture.c_str()), 0, 0), _com_error);
    EXPECT_EQ(dgn::GetRootContainer(), nullptr);
    EXPECT_EQ(importer.m_designFile, nullptr);
}

// The bounds pre-pass over elements of a design file of the library's own.
class DGNBounds : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dgn::InitializeLibrary(dgn::kLibraryVersion, 0));
        importer.reset(new Importer);
        importer->m_designFile.reset(dgn::CreateDesignFile(nullptr));
        ASSERT_NE(importer->m_designFile, nullptr);
        file = importer->m_designFile.get();
        importer->CheckPoint(0, 0, 1);
    }
    void TearDown() override
    {
        importer.reset();
        dgn::ShutdownLibrary();
    }
    dgn::CLineElement2d* Line(double x0, double y0, double x1, double y1)
    {
        auto* line = new dgn::CLineElement2d(file);
        line->GetGeometry()[0] = {x0, y0};
        line->GetGeometry()[1] = {x1, y1};
        return line;
    }
    // A definition of that name whose one component is a line from (0, 0) to (1, 1).
    dgn::CSharedCellDefinitionElement* Definition(const char* name)
    {
        auto* d = new dgn::CSharedCellDefinitionElement(file);
        d->GetName()->Set(name);
        d->AddChild(Line(0, 0, 1, 1));
        d->Touch();
        return d;
    }
    dgn::ISymRef* Instance(const char* name, double x, double y)
    {
        auto* instance = new dgn::ISymRef(file);
        instance->GetName()->Set(name);
        const double origin[3] = {x, y, 0};
        instance->SetOrigin(origin);
        return instance;
    }
    std::vector<double> Sides(const CRealRect<double>& r) { return {r.left, r.top, r.right, r.bottom}; }

    std::unique_ptr<Importer> importer;
    dgn::CDesignFile* file = nullptr;
    CRealRect<double> rect;
    CDGNImport::BlockBounds blocks;
};

TEST_F(DGNBounds, LinesAndPointsAreTruncatedTowardZero)
{
    EXPECT_EQ(importer->GetBounds(Line(2.9, -2.9, 2.9, -2.9), rect, &blocks, 1), 1);
    EXPECT_EQ(Sides(rect), (std::vector<double>{2, -2, 2, -2}));
    // Far beyond 2^31 design units: the extent widens to it.
    EXPECT_EQ(importer->GetBounds(Line(3e9, 0, -1, 5), rect, &blocks, 1), 1);
    EXPECT_EQ(Sides(rect), (std::vector<double>{-1, 5, 3e9, -2}));
    // A type it does not handle leaves the extent as it was.
    auto* cell = new dgn::CSharedCellDefinitionElement(file);
    EXPECT_EQ(importer->GetBounds(cell, rect, &blocks, 1), 0);
    EXPECT_EQ(importer->GetBounds(nullptr, rect, &blocks, 1), 0);
    EXPECT_EQ(Sides(importer->CheckPoint(0, 0, 0)), (std::vector<double>{-1, 5, 3e9, -2}));
}

TEST_F(DGNBounds, SharedCellsAreMeasuredOncePerName)
{
    dgn::CSharedCellDefinitionElement* door = Definition("door");
    EXPECT_EQ(importer->GetBounds(Instance("door", 100, 200), rect, &blocks, 1), 1);
    EXPECT_EQ(Sides(rect), (std::vector<double>{100, 201, 101, 200}));
    ASSERT_EQ(blocks.count("door"), 1u);
    EXPECT_EQ(Sides(blocks.at("door")), (std::vector<double>{1, 1, 0, 0}));
    // The second instance adds the cached corners at its own origin: the definition is not
    // measured again (its line has grown meanwhile).
    auto* component = dynamic_cast<dgn::CLineElement2d*>(door->Next());
    ASSERT_NE(component, nullptr);
    component->GetGeometry()[1] = {50, 50};
    door->Touch();
    EXPECT_EQ(importer->GetBounds(Instance("door", -10, -20), rect, &blocks, 1), 1);
    EXPECT_EQ(Sides(rect), (std::vector<double>{-10, 201, 101, -20}));
    // Without the map it is measured anew.
    EXPECT_EQ(importer->GetBounds(Instance("door", 1000, 0), rect, nullptr, 1), 1);
    EXPECT_EQ(rect.right, 1050.0);

    // A definition holding an instance gives the origin alone, and is not cached.
    dgn::CSharedCellDefinitionElement* outer = Definition("outer");
    outer->AddChild(Instance("door", 5, 5));
    importer->CheckPoint(0, 0, 1);
    EXPECT_EQ(importer->GetBounds(Instance("outer", 7, 8), rect, &blocks, 1), 1);
    EXPECT_EQ(Sides(rect), (std::vector<double>{7, 8, 7, 8}));
    EXPECT_EQ(blocks.count("outer"), 0u);
    // An instance of no definition: its origin.
    EXPECT_EQ(importer->GetBounds(Instance("nothing", -3, 4), rect, &blocks, 1), 1);
    EXPECT_EQ(Sides(rect), (std::vector<double>{-3, 8, 7, 4}));
}

TEST_F(DGNBounds, ViewsAndAttachments)
{
    importer->GetBounds(Line(0, 0, 10, 10), rect, &blocks, 1);
    // A view sets the rectangle to its own extent, only when views are used.
    auto* view = dgn::CViewElement::Create(file, 0);
    const double origin[3] = {-5, -6, 0}, delta[3] = {100, 50, 0}, turn[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    view->SetFromV7(0, 0x80, origin, delta, turn, 1.0, 0);
    CRealRect<double> viewRect;
    EXPECT_EQ(importer->GetBounds(view, viewRect, &blocks, 0), 1);
    EXPECT_EQ(Sides(viewRect), (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(importer->GetBounds(view, viewRect, &blocks, 1), 1);
    EXPECT_EQ(Sides(viewRect), (std::vector<double>{-5, 44, 95, -6}));

    // An attachment widens the running extent by its offset and clip points (a separator,
    // first 32 bits all ones, is left out), but leaves the rectangle it was given alone.
    const std::vector<std::uint8_t> record = dgn_test::ReferenceRecord("other.dgn", 3, 3);
    std::vector<std::uint8_t> patched = record;
    const double offset[2] = {-40, 70};
    std::memcpy(&patched[dgn::kV8HeaderBytes + 4 + 156], offset, sizeof offset);
    // Clip points (0, 100), (200, 300), then a separator.
    const std::uint32_t ones = 0xFFFFFFFFu;
    std::memcpy(&patched[dgn::kV8HeaderBytes + 336 + 32], &ones, sizeof ones);
    dgn::IElement* made = nullptr;
    ASSERT_TRUE(file->CreateElementV8(patched.data(), static_cast<std::uint32_t>(patched.size()), false, &made));
    CRealRect<double> untouched(1, 2, 3, 4);
    EXPECT_EQ(importer->GetBounds(made, untouched, &blocks, 1), 1);
    EXPECT_EQ(Sides(untouched), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Sides(importer->CheckPoint(0, 0, 0)), (std::vector<double>{-40, 300, 200, 0}));
}

double g_ratio = 1.0;
int g_measured = 0;
double FixedRatio(const CString&, const CString&)
{
    ++g_measured;
    return g_ratio;
}

TEST(TextPlacement, TextWidthsByHeightHintAndFont)
{
    const TextWidthRatio previous = SetTextWidthRatio(FixedRatio);
    g_ratio = 2.0;
    g_measured = 0;
    const CString abc("abc");
    EXPECT_EQ(EstimateTextWidth(0, 0, abc, 1.0f, CString("Arial")), 0.0);
    EXPECT_DOUBLE_EQ(EstimateTextWidth(2, 0, abc, 1.0f, CString("Arial")), 2 * 166.66666666666666);
    // The reference face is not measured, in any case of its letters.
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, abc, 1.0f, CString("Courier new")), 455.0);
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, abc, 1.0f, CString("COURIER NEW")), 455.0);
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, abc, 1.0f, CString()), 455.0);
    EXPECT_EQ(g_measured, 0);
    // A zero width factor, a length hint or an empty text: the height alone.
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, abc, 0.0f, CString("Arial")), 403.0);
    EXPECT_DOUBLE_EQ(EstimateTextWidth(1, 3, abc, 1.0f, CString("Arial")), 403.0);
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, CString(), 1.0f, CString("Arial")), 403.0);
    EXPECT_EQ(g_measured, 0);
    // A face twice as wide doubles the length; the width factor scales it.
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, abc, 1.0f, CString("Arial")), 910.0);
    EXPECT_DOUBLE_EQ(EstimateTextWidth(0, 3, abc, 0.5f, CString("Arial")), 455.0);
    EXPECT_EQ(g_measured, 2);
    SetTextWidthRatio(previous);
}

TEST(TextPlacement, GdiMeasuresOnTheMainWindow)
{
    // Without a main window nothing is measured.
    AfxSetMainWnd(nullptr);
    EXPECT_EQ(MeasureTextWidthRatio(CString("iiii"), CString("Arial")), 1.0);

    const HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CWnd main;
    main.m_hWnd = window;
    AfxSetMainWnd(&main);
    // Wine resolves every face to one font, so the ratio here is about 1: what is checked is
    // that the measurement runs on the window's context, again and again.
    for (int i = 0; i < 200; ++i) {
        const double ratio = MeasureTextWidthRatio(CString("Wide letters"), CString("Arial"));
        ASSERT_GT(ratio, 0.2);
        ASSERT_LT(ratio, 5.0);
    }
    AfxSetMainWnd(nullptr);
    main.m_hWnd = nullptr;
    DestroyWindow(window);
}

TEST(TextPlacement, OriginsOfTheNineAlignments)
{
    struct Case {
        int alignment;
        double dx, dy;
    };
    // Height 10, width 40, angle 0: A heights down, B widths to the left, 1.5 to the right.
    const Case cases[] = {
        {0, 1.5, -13},        {6, -18.5, -13},    {2, -38.5, -13},   {65536, 1.5, -5},  {65542, -18.5, -5},
        {65538, -38.5, -5},   {8, 1.5, 3.5},      {14, -18.5, 3.5},  {10, -38.5, 3.5},  {12345, 1.5, -10},
    };
    for (const Case& c : cases) {
        double p[2] = {100, 200};
        EXPECT_TRUE(AlignTextOrigin(p, c.alignment, 10, 40, 0));
        EXPECT_NEAR(p[0], 100 + c.dx, 1e-9) << c.alignment;
        EXPECT_NEAR(p[1], 200 + c.dy, 1e-9) << c.alignment;
    }
    // Turned a quarter: the moves turn with the text.
    double p[2] = {0, 0};
    AlignTextOrigin(p, 0, 10, 40, kPi / 2);
    EXPECT_NEAR(p[0], 13, 1e-9);
    EXPECT_NEAR(p[1], -1.5, 1e-9);
}

} // namespace
