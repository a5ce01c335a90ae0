// The control's add operations for texts, images, clones and block references, and its drawing
// into a context the caller gives (read back from the metafile records it wrote).
#include "tests/support/ControlTestSupport.h"
#include "tests/support/PictureFiles.h"
#include "automation/Site.h"
#include "control/ShapeMap.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/PenCache.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Reference.h"
#include "model/Text.h"
#include <algorithm>
#include <climits>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

using picturefiles::TempPath;

std::wstring ErrorText()
{
    ycom::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info)
        return L"";
    ycom::Bstr text;
    info->GetDescription(text.Put());
    return text.CStr() ? text.CStr() : L"";
}

// The box of every point the drawing records of a metafile name (logical units).
struct Box {
    long left = LONG_MAX, top = LONG_MAX, right = LONG_MIN, bottom = LONG_MIN;
    int points = 0;
    void Add(long x, long y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        ++points;
    }
};

int CALLBACK CollectPoints(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
{
    Box& box = *reinterpret_cast<Box*>(data);
    switch (record->iType) {
    case EMR_MOVETOEX:
    case EMR_LINETO: {
        const auto* r = reinterpret_cast<const EMRLINETO*>(record);
        box.Add(r->ptl.x, r->ptl.y);
        break;
    }
    case EMR_POLYLINE16:
    case EMR_POLYGON16:
    case EMR_POLYBEZIER16:
    case EMR_POLYLINETO16:
    case EMR_POLYBEZIERTO16: {
        const auto* r = reinterpret_cast<const EMRPOLYLINE16*>(record);
        for (DWORD i = 0; i < r->cpts; ++i)
            box.Add(r->apts[i].x, r->apts[i].y);
        break;
    }
    case EMR_POLYLINE:
    case EMR_POLYGON: {
        const auto* r = reinterpret_cast<const EMRPOLYLINE*>(record);
        for (DWORD i = 0; i < r->cptl; ++i)
            box.Add(r->aptl[i].x, r->aptl[i].y);
        break;
    }
    default:
        break;
    }
    return 1;
}

Box PointsOf(HENHMETAFILE metafile)
{
    Box box;
    EnumEnhMetaFile(nullptr, metafile, CollectPoints, &box, nullptr);
    return box;
}

class ShapeAdds : public testing::Test
{
protected:
    CGroup* Root() { return control->GetRootGroup(); }
    CGroup* Library() { return control->GetLibraryGroup(); }
    LONG Line(CGroup* group, float x1, float y1, float x2, float y2)
    {
        LONG id = 0;
        EXPECT_EQ(control->AddLine(group, x1, y1, x2, y2, &id), S_OK);
        return id;
    }
    template <class T>
    T* Find(LONG id)
    {
        return dynamic_cast<T*>(control->FindShape(id));
    }
    int CountOfType(int type)
    {
        int n = 0;
        for (int id = -10; id < control->GetShapeMap().GetNextShapeId(); ++id)
            if (CShape* s = control->FindShape(id))
                n += s->GetShapeType() == type;
        return n;
    }

    ControlRef control;
};

} // namespace

// A plain text takes every value it was given; its alignment is repaired and its lines counted.
TEST_F(ShapeAdds, TextTakesItsValues)
{
    LONG id = 0;
    ASSERT_EQ(control->AddText(Root(), L"A\r\nbcd", 3.0f, 4.0f, ttANSI, 0.0f, 2.5f, 24, 30.0f, 0.0f, &id), S_OK);
    CText* text = Find<CText>(id);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetParent(), Root());
    EXPECT_EQ(text->GetTextType(), ttANSI);
    EXPECT_EQ(text->GetText(), "A\r\nbcd");
    EXPECT_EQ(text->GetLineCount(), 2);
    EXPECT_EQ(text->GetLongestLine(), 3);
    EXPECT_EQ(text->GetAlignType(), 8u) << "bottom and baseline together are bottom";
    EXPECT_EQ(text->GetHeight(), 2.5f);
    EXPECT_EQ(text->GetRotation(), 30.0);
    ASSERT_EQ(text->GetPointCount(), 1);
    EXPECT_EQ(text->GetPoints().GetAt(0)->x, 3.0f);
    EXPECT_EQ(text->GetPoints().GetAt(0)->y, 4.0f);
    EXPECT_EQ(control->AddText(nullptr, L"x", 0, 0, ttANSI, 0, 1, 0, 0, 0, &id), E_POINTER);
}

// With FixSize an image takes its picture's aspect inside the box; without, the box; a file
// that holds no picture adds nothing.
TEST_F(ShapeAdds, ImagesFromFiles)
{
    const std::wstring path = TempPath(L"yvex_adds_200x100.bmp");
    ASSERT_TRUE(picturefiles::WriteWhiteBmp(path, 200, 100));
    LONG id = 0;
    ASSERT_EQ(control->AddImage(Root(), path.c_str(), 1.0f, 2.0f, 50.0f, 50.0f, true, &id), S_OK);
    CImage* image = Find<CImage>(id);
    ASSERT_NE(image, nullptr);
    EXPECT_FLOAT_EQ(image->GetWidth(), 50.0f);
    EXPECT_FLOAT_EQ(image->GetHeight(), 25.0f);
    EXPECT_EQ(image->GetPoints().GetAt(0)->x, 1.0f);

    ASSERT_EQ(control->AddImage(Root(), path.c_str(), 0, 0, 30.0f, 40.0f, false, &id), S_OK);
    EXPECT_FLOAT_EQ(Find<CImage>(id)->GetWidth(), 30.0f);
    EXPECT_FLOAT_EQ(Find<CImage>(id)->GetHeight(), 40.0f);
    EXPECT_EQ(Find<CImage>(id)->GetImageResourceId(), image->GetImageResourceId()) << "one resource for one picture";

    const int before = Root()->GetShapeCount();
    EXPECT_EQ(control->AddImage(Root(), TempPath(L"yvex_no_such_picture.bmp").c_str(), 0, 0, 1, 1, false, &id),
              DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorText(), L"Resource not found.");
    EXPECT_EQ(Root()->GetShapeCount(), before);
    DeleteFileW(path.c_str());
}

// The children of a group are copied with the links among them: a copy follows the copy of the
// point its source followed.
TEST_F(ShapeAdds, ChildrenClonesCarryTheirLinks)
{
    LONG groupId = 0;
    ASSERT_EQ(control->AddGroup(Root(), stGroup, &groupId), S_OK);
    auto* group = Find<CGroup>(groupId);
    const LONG a = Line(group, 0, 0, 10, 0);
    const LONG b = Line(group, 10, 0, 10, 10);
    CShape* lineA = control->FindShape(a);
    CShape* lineB = control->FindShape(b);
    ASSERT_EQ(lineA->LinkPoint(lineB->GetPoints().GetAt(1)->GetPointId()), 1);

    const int before = Root()->GetShapeCount();
    ASSERT_EQ(control->AddChildrenClones(Root(), groupId, true), S_OK);
    ASSERT_EQ(Root()->GetShapeCount(), before + 2);
    CShape* copyA = Root()->GetChildAt(before);
    CShape* copyB = Root()->GetChildAt(before + 1);
    ASSERT_NE(copyA->GetId(), a);
    ASSERT_EQ(copyA->GetLinkedPoints().GetCount(), 1);
    EXPECT_EQ(copyA->GetLinkedPoints().GetAt(0)->GetPointId(), copyB->GetPoints().GetAt(1)->GetPointId());
    EXPECT_NE(copyB->GetPoints().GetAt(1)->GetPointId(), lineB->GetPoints().GetAt(1)->GetPointId());
    EXPECT_EQ(control->GetSelectionGroup()->GetShapeCount(), 2) << "bSelect selects the copies";

    EXPECT_EQ(control->AddChildrenClones(Root(), a, false), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorText(), L"Shape is not a group.");
    LONG clone = 0;
    EXPECT_EQ(control->AddClone(Root(), 999999, &clone), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorText(), L"Shape not found.");
    ASSERT_EQ(control->AddClone(Root(), a, &clone), S_OK);
    ASSERT_NE(Find<CShape>(clone), nullptr);
    EXPECT_EQ(Find<CShape>(clone)->GetPoints().GetAt(1)->x, 10.0f);
}

// A reference shows its block where it is put; one that would put a block into itself is
// refused and leaves nothing; an unknown name adds nothing.
TEST_F(ShapeAdds, BlockReferences)
{
    LONG blockId = 0;
    ASSERT_EQ(control->AddGroup(Library(), stGroup, &blockId), S_OK);
    auto* block = Find<CGroup>(blockId);
    block->SetName(L"Door");
    Line(block, 0, 0, 1, 1);

    LONG refId = 0;
    ASSERT_EQ(control->AddReference(Root()->GetId(), blockId, &refId, false, 5.0f, 6.0f), S_OK);
    auto* reference = Find<CReference>(refId);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->GetParent(), Root());
    EXPECT_EQ(reference->GetBlock(), block);
    EXPECT_EQ(reference->GetShapeCount(), 1) << "a copy of the block's line";
    EXPECT_EQ(reference->GetPoints().GetAt(0)->x, 5.0f);

    const int references = CountOfType(stReference);
    EXPECT_EQ(control->AddReference(blockId, blockId, &refId, false, 0, 0), E_ACCESSDENIED);
    EXPECT_EQ(refId, 0);
    EXPECT_EQ(CountOfType(stReference), references) << "the refused reference is gone";
    EXPECT_EQ(block->GetShapeCount(), 1);

    EXPECT_EQ(control->AddReferenceByName(Root()->GetId(), L"Window", &refId, false, 0, 0), S_OK);
    EXPECT_EQ(refId, 0);
    EXPECT_EQ(CountOfType(stReference), references);
    ASSERT_EQ(control->AddReferenceByName(Root()->GetId(), L"Door", &refId, false, 0, 0), S_OK);
    EXPECT_EQ(Find<CReference>(refId)->GetBlock(), block);

    control->SetReadOnly(true);
    EXPECT_EQ(control->AddReference(Root()->GetId(), blockId, &refId, false, 0, 0), S_FALSE);
    control->SetReadOnly(false);
    EXPECT_EQ(control->AddReference(Root()->GetId(), 999999, &refId, false, 0, 0), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorText(), L"Shape not found.");
}

// The selection fitted into a 100 mm square of a metafile: with dmfPrecise its extents touch
// the edges; with the margin they stay inside; the control's view is as it was.
TEST_F(ShapeAdds, DrawingTheSelectionIntoAMetafile)
{
    LONG id = 0;
    ASSERT_EQ(control->AddRectangle(Root(), 0.0f, 50.0f, 50.0f, 0.0f, &id), S_OK);
    control->GetSelectionGroup()->AddChild(control->FindShape(id), nullptr, 0, false);
    CViewportRecord& view = control->GetCurrentViewport();
    view.SetClientSize(SIZE{400, 300}, true);
    const CRealPoint center = view.center;
    const double zoom = view.zoom;
    const POINT origin = view.origin;
    const float widthFactor = control->GetPenCache().GetWidthFactor();

    for (const LONG mode : {3L | 16L, 3L}) {
        const RECT frame = {0, 0, 10000, 10000};
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(control->DrawToDC(dc, 0, 0, 10000, -10000, mode), 1);
        HENHMETAFILE metafile = CloseEnhMetaFile(dc);
        const Box box = PointsOf(metafile);
        DeleteEnhMetaFile(metafile);
        ASSERT_GT(box.points, 3);
        if (mode & 16) {
            EXPECT_NEAR(box.left, 0, 2);
            EXPECT_NEAR(box.right, 1000, 2);
            EXPECT_NEAR(box.top, -1000, 2) << "y up: the bottom edge at -100 mm";
            EXPECT_NEAR(box.bottom, 0, 2);
        } else {
            EXPECT_GE(box.left, 0);
            EXPECT_LE(box.right, 1000);
            EXPECT_GE(box.right - box.left, 900) << "the margin is at most 5% a side";
        }
    }
    EXPECT_EQ(view.center.x, center.x);
    EXPECT_EQ(view.center.y, center.y);
    EXPECT_EQ(view.zoom, zoom);
    EXPECT_EQ(view.origin.x, origin.x);
    EXPECT_EQ(view.origin.y, origin.y);
    EXPECT_EQ(control->GetPenCache().GetWidthFactor(), widthFactor);
    EXPECT_FALSE(control->IsDrawingToForeignDC());
}

// One shape exported lands in the file where the view shows it; an unknown ID writes nothing.
TEST_F(ShapeAdds, ExportingOneShape)
{
    const LONG id = Line(Root(), 10.0f, 20.0f, 30.0f, 20.0f);
    const std::wstring path = TempPath(L"yvex_export_line.emf");
    DeleteFileW(path.c_str());
    char narrow[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    EXPECT_EQ(control->ExportMetafile(id, narrow), S_OK);
    HENHMETAFILE metafile = GetEnhMetaFileW(path.c_str());
    ASSERT_NE(metafile, nullptr) << "the file was written";
    const Box box = PointsOf(metafile);
    DeleteEnhMetaFile(metafile);
    const POINT a = control->GetCurrentViewport().WorldToViewPoint(CRealPoint(10.0f, 20.0f));
    const POINT b = control->GetCurrentViewport().WorldToViewPoint(CRealPoint(30.0f, 20.0f));
    ASSERT_GE(box.points, 2);
    EXPECT_NEAR(box.left, std::min(a.x, b.x), 2);
    EXPECT_NEAR(box.right, std::max(a.x, b.x), 2);
    EXPECT_NEAR(box.top, a.y, 2);
    EXPECT_NEAR(box.bottom, a.y, 2);
    DeleteFileW(path.c_str());

    LONG rect = 0;
    ASSERT_EQ(control->AddRectangle(Root(), 0.0f, 20.0f, 40.0f, 0.0f, &rect), S_OK);
    EXPECT_EQ(control->ExportMetafile(rect, narrow), S_OK);
    DeleteFileW(path.c_str());
    EXPECT_EQ(control->ExportMetafile(999999, narrow), S_OK);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    // A file that cannot be made is a failure, not a success with nothing written.
    const std::wstring nowhere = TempPath(L"yvex_no_such_folder\\line.emf");
    char unwritable[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, nowhere.c_str(), -1, unwritable, MAX_PATH, nullptr, nullptr);
    EXPECT_EQ(control->ExportMetafile(id, unwritable), E_FAIL);
    EXPECT_EQ(GetFileAttributesW(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The site drawn into a metafile of its own: the frame keeps the drawing's proportions in
// hundredths of millimetres, a line without height gets a hundredth of its width, and a drawing
// too large for a RECT is brought down by tenths rather than cut at the LONG limit. An empty
// site gives no metafile.
TEST_F(ShapeAdds, SiteMetafileFrameKeepsTheDrawingsProportions)
{
    HENHMETAFILE metafile = reinterpret_cast<HENHMETAFILE>(1);
    EXPECT_EQ(control->DrawSiteMetafile(nullptr, 0, &metafile), S_FALSE);
    EXPECT_EQ(metafile, nullptr);

    const struct {
        float x0, y0, x1, y1;
        double ratio; // frame width to height
    } cases[] = {{0, 0, 10, 0, 100.0}, {0, 0, 20, 10, 2.0}, {0, 0, 1e9f, 5e8f, 2.0}, {0, 0, 3e9f, 1e8f, 30.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x1);
        const LONG id = Line(Root(), c.x0, c.y0, c.x1, c.y1);
        ASSERT_EQ(control->DrawSiteMetafile(nullptr, 0, &metafile), S_OK);
        ASSERT_NE(metafile, nullptr);
        ENHMETAHEADER header = {};
        ASSERT_NE(GetEnhMetaFileHeader(metafile, sizeof header, &header), 0u);
        DeleteEnhMetaFile(metafile);
        const RECTL& frame = header.rclFrame;
        EXPECT_EQ(frame.left, 0);
        EXPECT_EQ(frame.top, 0);
        EXPECT_GE(std::min(frame.right, frame.bottom), 1000) << "a readable size";
        EXPECT_NEAR(static_cast<double>(frame.right) / frame.bottom, c.ratio, c.ratio * 1e-3);
        ASSERT_TRUE(SUCCEEDED(control->DeleteShapeByID(id, 0, 0)));
    }
}

// The site's hidden export member reaches the control's export.
TEST_F(ShapeAdds, SiteExportMember)
{
    const LONG id = Line(Root(), 0.0f, 0.0f, 5.0f, 5.0f);
    auto* site = new ycom::ComObject<CSite>();
    site->InternalAddRef();
    ISiteExport* exporting = site;
    ASSERT_EQ(exporting->_Init(control->Handle()), S_OK);
    const std::wstring path = TempPath(L"yvex_site_export.emf");
    DeleteFileW(path.c_str());
    BSTR name = SysAllocString(path.c_str());
    EXPECT_EQ(exporting->ExportMetafile(id, name), S_OK);
    SysFreeString(name);
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(path.c_str());
    site->Release();
}

// ---- what a host meets around the adds: its vetoes, the draft limits, failed adds ----

namespace {

// A sink that refuses every event of one kind and lets the others go on.
class RefusingSink : public EventSink
{
public:
    explicit RefusingSink(DISPID refused) : m_refused(refused) {}
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* e,
                        UINT* arg) override
    {
        answer = id == m_refused ? VARIANT_FALSE : VARIANT_TRUE;
        return EventSink::Invoke(id, iid, lcid, flags, p, result, e, arg);
    }
    int Heard(DISPID id) const
    {
        int n = 0;
        for (const Call& call : calls)
            n += call.id == id;
        return n;
    }

private:
    DISPID m_refused;
};

CUndoManager& ManagerOf(CYVEXControl& control)
{
    return *CUndoManager::FromInterface(control.GetUndoRecorder()->GetManager());
}

} // namespace

// A host that refuses OnAddShape keeps the whole history as it was: the undo steps before the
// add and the redo step after them stay, and undo goes on with them. An agreed add is one step
// that undo takes away.
TEST_F(ShapeAdds, AVetoedAddLeavesTheHistoryAsItWas)
{
    ASSERT_EQ(control->CreateUndoManager(), S_OK);
    const LONG source = Line(Root(), 0, 0, 4, 4);
    struct Case {
        const char* name;
        std::function<HRESULT(LONG*)> add;
    } cases[] = {
        {"AddGroup", [&](LONG* id) { return control->AddGroup(Root(), stGroup, id); }},
        {"AddLayer", [&](LONG* id) { return control->AddLayer(control->GetLayersGroup(), L"Walls", id); }},
        {"AddClone", [&](LONG* id) { return control->AddClone(Root(), source, id); }},
        {"AddGroupByID", [&](LONG* id) { return control->AddGroupByID(Root()->GetId(), stGroup, id); }},
        {"AddCloneByID", [&](LONG* id) { return control->AddCloneByID(Root()->GetId(), source, id); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Two steps of different kinds, and a third undone: one step waits on the redo stack.
        const LONG moved = Line(Root(), 0, 10, 5, 10);
        const int pointId = control->FindShape(moved)->GetPoints().GetAt(0)->GetPointId();
        float dx = 2, dy = 0;
        ASSERT_EQ(control->ShiftPoint(pointId, &dx, &dy), S_OK);
        const LONG undone = Line(Root(), 0, 20, 5, 20);
        ASSERT_EQ(ManagerOf(*control).UndoTo(nullptr), S_OK);
        ASSERT_EQ(control->FindShape(undone), nullptr);
        const size_t undoSteps = ManagerOf(*control).UndoStack().size();
        const size_t redoSteps = ManagerOf(*control).RedoStack().size();
        ASSERT_GE(undoSteps, 2u);
        ASSERT_EQ(redoSteps, 1u);
        const int shapes = static_cast<int>(control->GetShapeMap().Shapes().size());

        {
            RefusingSink sink(cetOnAddShape);
            Connection connection(control->GetControllingUnknown(), &sink);
            LONG id = 77;
            EXPECT_EQ(c.add(&id), S_FALSE);
            EXPECT_EQ(id, 0);
            EXPECT_EQ(sink.Heard(cetOnAddShape), 1);
        }
        EXPECT_EQ(static_cast<int>(control->GetShapeMap().Shapes().size()), shapes) << "nothing of it stays";
        EXPECT_EQ(ManagerOf(*control).UndoStack().size(), undoSteps);
        EXPECT_EQ(ManagerOf(*control).RedoStack().size(), redoSteps);
        EXPECT_EQ(control->GetUndoRecorder()->GetDepth(), 0);
        // The earlier steps still undo: the point goes back.
        ASSERT_EQ(ManagerOf(*control).UndoTo(nullptr), S_OK);
        EXPECT_FLOAT_EQ(control->GetPointPool().Find(pointId)->x, 0.0f);

        // Agreed: one step, which undo takes away.
        LONG id = 0;
        ASSERT_EQ(c.add(&id), S_OK);
        ASSERT_NE(control->FindShape(id), nullptr);
        ASSERT_EQ(ManagerOf(*control).UndoTo(nullptr), S_OK);
        EXPECT_EQ(control->FindShape(id), nullptr);
    }
}

// The draft limits take in a new shape the way the control grows them: not while LockDraftLimits
// is set, and only when the host agrees in OnEditSite.
TEST_F(ShapeAdds, AddsGrowTheLimitsAsTheHostAllows)
{
    struct Case {
        const char* name;
        bool locked;
        bool refused;
        bool grows;
    } cases[] = {{"free", false, false, true}, {"locked", true, false, false}, {"refused", false, true, false}};
    struct Add {
        const char* name;
        std::function<HRESULT(float)> add;
    } adds[] = {
        {"AddLine", [&](float reach) { LONG id = 0; return control->AddLine(Root(), 0, 0, reach, reach, &id); }},
        {"AddCircle", [&](float reach) { LONG id = 0; return control->AddCircle(Root(), reach, reach, 5, &id); }},
        {"AddRectangle", [&](float reach) { LONG id = 0; return control->AddRectangle(Root(), 0, reach, reach, 0, &id); }},
    };
    // Beyond the limits a new control starts with.
    float reach = 5000.0f;
    for (const Case& c : cases) {
        for (const Add& a : adds) {
            SCOPED_TRACE(testing::Message() << c.name << " " << a.name);
            reach *= 2;
            ASSERT_EQ(control->put_LockDraftLimits(c.locked ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
            const CRealRect before = control->GetSiteRecord().GetDraftLimits();
            RefusingSink sink(c.refused ? cetOnEditSite : 0);
            Connection connection(control->GetControllingUnknown(), &sink);
            ASSERT_EQ(a.add(reach), S_OK);
            const CRealRect after = control->GetSiteRecord().GetDraftLimits();
            if (c.grows) {
                EXPECT_GE(std::max(after.left, after.right), reach);
                EXPECT_EQ(sink.Heard(cetOnEditSite), 1);
            } else {
                EXPECT_EQ(after.left, before.left);
                EXPECT_EQ(after.top, before.top);
                EXPECT_EQ(after.right, before.right);
                EXPECT_EQ(after.bottom, before.bottom);
                EXPECT_EQ(sink.Heard(cetOnEditSite), c.refused ? 1 : 0);
            }
        }
    }
}

namespace {

// A control whose point pool gives out after a number of points.
class PointStarvedControl : public CYVEXControl
{
public:
    int CreatePoint(float x, float y) override { return points-- > 0 ? CYVEXControl::CreatePoint(x, y) : 0; }
    int points = 0;
};

} // namespace

// A shape that cannot get all its points leaves nothing behind: no shape in the map or the
// group, no point in the pool, and the caller reads ID 0.
TEST(ShapeAddFailures, AShapeWithoutAllItsPointsLeavesNothing)
{
    auto* control = new ycom::ComObject<PointStarvedControl>();
    control->InternalAddRef();
    CGroup* root = control->GetRootGroup();
    struct Case {
        const char* name;
        int points;
        std::function<HRESULT(LONG*)> add;
    } cases[] = {
        {"line, second point", 1, [&](LONG* id) { return control->AddLine(root, 0, 0, 1, 1, id); }},
        {"polyline, second point", 1, [&](LONG* id) { return control->AddPolyline(root, 0, 0, 1, 1, id); }},
        {"rectangle, third point", 2, [&](LONG* id) { return control->AddRectangle(root, 0, 1, 1, 0, id); }},
        {"rectangle, last point", 3, [&](LONG* id) { return control->AddRectangle(root, 0, 1, 1, 0, id); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t shapes = control->GetShapeMap().Shapes().size();
        const size_t points = control->GetPointPool().GetCount();
        const int children = root->GetShapeCount();
        control->points = c.points;
        LONG id = 77;
        EXPECT_EQ(c.add(&id), E_OUTOFMEMORY);
        EXPECT_EQ(id, 0);
        EXPECT_EQ(control->GetShapeMap().Shapes().size(), shapes);
        EXPECT_EQ(control->GetPointPool().GetCount(), points);
        EXPECT_EQ(root->GetShapeCount(), children);
    }
    control->points = 100;
    LONG id = 0;
    EXPECT_EQ(control->AddLine(root, 0, 0, 1, 1, &id), S_OK);
    control->Release();
}
