// The control's operations by ID that create shapes for the automation collections.
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>
#include <string>
#include <vector>
#include "com/AnsiText.h"
#include "com/MessageBoxHook.h"
#include "control/BlockNamePrompts.h"
#include "control/ErrorInfo.h"
#include "control/ResourceText.h"
#include "ui/resource.h"
#include "control/YVEXControl.h"
#include "com/HResult.h"
#include "model/Angles.h"
#include "model/Ellipse.h"
#include "model/Image.h"
#include "model/Reference.h"
#include "model/Text.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "persistence/OdbcSession.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/RealPoint.h"
#include "model/Shape.h"

namespace {

// Undo kind of a creation (YVEXOperation opCreate).
constexpr int kUndoCreate = 4;
// Undo kind of a change of properties (YVEXOperation opProperties).
constexpr int kUndoProperties = 6;

void NoValues(CShape*) {}

// A group that shapes can be put into: a plain group or a layer (polylines, images and
// references hold children of their own but are not groups to the caller).
bool IsGroupShape(const CShape* shape)
{
    const int type = shape->GetShapeType();
    return type == stGroup || type == stLayer;
}

// A curve's radius: a major axis of no length becomes (radius, 0); any other takes the length.
void SetRadius(CEllipse* ellipse, float radius)
{
    if (ellipse->GetMajorX() == 0 && ellipse->GetMajorY() == 0)
        ellipse->SetMajorAxis(radius, 0);
    else
        ellipse->SetMajorRadius(radius);
}

// A new registered shape of the type as its own class, or null with nothing left behind.
template <class K>
K* CreateShapeOfKind(CYVEXControl* control, int type)
{
    CShape* shape = control->GetShapeMap().CreateShape(type, true, true);
    auto* kind = dynamic_cast<K*>(shape);
    if (!kind && shape)
        control->GetShapeMap().DeleteShape(shape);
    return kind;
}

} // namespace

// A shape of a simple kind through the given points: the first goes in unforced, the later ones
// forced, as a shape's own points are built. `shape` (when given) receives it for the kind's own
// values, which are set before the shape joins its group.
template <class Values>
static HRESULT AddPointShape(CYVEXControl* control, CGroup* group, int type, const std::vector<CRealPoint>& points,
                             LONG* shapeId, Values&& values)
{
    if (!group)
        return E_POINTER;
    // A coordinate that is no number would poison every bound and every stored row.
    for (const CRealPoint& p : points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return ReportComErrorW(CLSID_YVEXControl, L"A coordinate is not a number.", E_INVALIDARG);
    const int first = control->CreatePoint(points[0].x, points[0].y);
    if (!first)
        return E_OUTOFMEMORY;
    CShape* shape = control->GetShapeMap().CreateShape(type, true, true);
    if (!shape) {
        control->GetPointPool().DeletePoint(first, 0);
        return E_FAIL;
    }
    // A shape that cannot get all its points goes again with the points it has (no group holds
    // it yet): nothing of a failed add stays in the drawing.
    auto fail = [&](HRESULT hr, int loosePoint) {
        control->GetShapeMap().DeleteShape(shape);
        if (loosePoint)
            control->GetPointPool().DeletePoint(loosePoint, 0);
        if (shapeId)
            *shapeId = 0;
        return hr;
    };
    if (shapeId)
        *shapeId = shape->GetId();
    HRESULT added = shape->AddPointById(first, CShape::kAppend, false);
    if (FAILED(added))
        return fail(added, first);
    for (size_t i = 1; i < points.size(); ++i) {
        const int id = control->CreatePoint(points[i].x, points[i].y);
        if (!id)
            return fail(E_OUTOFMEMORY, 0);
        added = shape->AddPointById(id, CShape::kAppend, true);
        if (FAILED(added))
            return fail(added, id);
    }
    values(shape);
    group->AddChild(shape, nullptr, 0, false);
    // The control's growth honours LockDraftLimits and lets the host keep its limits.
    control->GrowDraftLimits(shape->GetId(), false);
    if (CUndoRecorder* recorder = control->GetUndoRecorder())
        recorder->RecordShape(kUndoCreate, shape, false);
    return S_OK;
}

HRESULT CYVEXControl::AddLine(CGroup* group, float x1, float y1, float x2, float y2, LONG* shapeId)
{
    return AddPointShape(this, group, stLine, {CRealPoint(x1, y1), CRealPoint(x2, y2)}, shapeId, NoValues);
}

HRESULT CYVEXControl::AddPolyline(CGroup* group, float x1, float y1, float x2, float y2, LONG* shapeId)
{
    return AddPointShape(this, group, stPolyline, {CRealPoint(x1, y1), CRealPoint(x2, y2)}, shapeId, NoValues);
}

HRESULT CYVEXControl::AddPolygon(CGroup* group, float x1, float y1, float x2, float y2, LONG* shapeId)
{
    return AddPointShape(this, group, stPolyline, {CRealPoint(x1, y1), CRealPoint(x2, y2)}, shapeId, NoValues);
}

HRESULT CYVEXControl::AddRectangle(CGroup* group, float left, float upper, float right, float bottom, LONG* shapeId)
{
    return AddPointShape(this, group, stRectangle,
                         {CRealPoint(left, upper), CRealPoint(right, upper), CRealPoint(right, bottom),
                          CRealPoint(left, bottom)},
                         shapeId, NoValues);
}

HRESULT CYVEXControl::AddArc(CGroup* group, float centerX, float centerY, float radius, float startAngle,
                             float endAngle, LONG* shapeId)
{
    if (!IsUsableAngle(startAngle) || !IsUsableAngle(endAngle))
        return E_INVALIDARG;
    return AddPointShape(this, group, stArc, {CRealPoint(centerX, centerY)}, shapeId, [&](CShape* shape) {
        if (auto* arc = dynamic_cast<CEllipse*>(shape)) {
            SetRadius(arc, radius);
            arc->SetAngles(startAngle, endAngle);
        }
    });
}

HRESULT CYVEXControl::AddCircle(CGroup* group, float centerX, float centerY, float radius, LONG* shapeId)
{
    return AddPointShape(this, group, stCircle, {CRealPoint(centerX, centerY)}, shapeId, [&](CShape* shape) {
        if (auto* circle = dynamic_cast<CEllipse*>(shape))
            SetRadius(circle, radius);
    });
}

HRESULT CYVEXControl::AddEllipse(CGroup* group, float centerX, float centerY, float majorRadius, float minorRatio,
                                 float majorAngle, float startAngle, float endAngle, LONG* shapeId)
{
    if (!IsUsableAngle(startAngle) || !IsUsableAngle(endAngle))
        return E_INVALIDARG;
    return AddPointShape(this, group, stEllipse, {CRealPoint(centerX, centerY)}, shapeId, [&](CShape* shape) {
        if (auto* ellipse = dynamic_cast<CEllipse*>(shape)) {
            // The axis at its angle (radians) with the length of the major radius.
            ellipse->SetMajorAxis(static_cast<float>(majorRadius * std::cos(majorAngle)),
                                  static_cast<float>(majorRadius * std::sin(majorAngle)));
            ellipse->SetMinorRatio(std::fabs(minorRatio));
            ellipse->SetAngles(startAngle, endAngle);
        }
    });
}

// The creation of a shape the host may still veto is recorded in an undo operation of its own,
// committed only when the host agreed: a veto leaves the undo and redo history exactly as it was
// (with whatever the host recorded while it heard the event), and an agreed add undoes what the
// host did to the new shape before the shape goes.
static void OpenCreation(CUndoRecorder* recorder, CShape* shape)
{
    if (!recorder)
        return;
    recorder->OpenOperation(kUndoCreate);
    recorder->RecordShape(kUndoCreate, shape, false);
}

// OnAddShape for a shape that has joined its group: a veto (or a host that took the shape away
// itself) deletes it again and answers S_FALSE with the ID 0; otherwise the draft limits grow.
static HRESULT ConfirmAddedShape(CYVEXControl* control, CShape* shape, LONG* shapeId)
{
    CUndoRecorder* recorder = control->GetUndoRecorder();
    const int id = shape->GetId();
    const bool proceed = !control->EventsEnabled() || control->FireAddShape(id);
    CShape* still = control->FindShape(id);
    if (recorder)
        recorder->CloseOperation(proceed && still);
    if (!proceed || !still) {
        if (still)
            control->DeleteShapeTree(still, false, false);
        *shapeId = 0;
        return S_FALSE;
    }
    *shapeId = id;
    control->GrowDraftLimits(id, false);
    return S_OK;
}

// A new group or layer under the parent: OnAddShape may veto it, which takes it out again with
// its undo record.
static HRESULT AddGroupShape(CYVEXControl* control, CGroup* parent, int type, const wchar_t* name, LONG* shapeId)
{
    if (!parent || !shapeId)
        return E_POINTER;
    *shapeId = control->GetShapeMap().GetNextShapeId();
    CShape* shape = control->GetShapeMap().CreateShape(type, true, true);
    if (!shape)
        return E_FAIL;
    if (type == stLayer)
        static_cast<CLayer*>(shape)->SetName(name ? WideToAnsi(name) : nullptr);
    parent->AddChild(shape, nullptr, 0, false);
    OpenCreation(control->GetUndoRecorder(), shape);
    return ConfirmAddedShape(control, shape, shapeId);
}

HRESULT CYVEXControl::AddGroup(CGroup* parent, LONG shapeType, LONG* shapeId)
{
    if (!parent || !shapeId)
        return E_POINTER;
    if (shapeType != stGroup)
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong shape type.");
    return AddGroupShape(this, parent, stGroup, nullptr, shapeId);
}

HRESULT CYVEXControl::AddLayer(CGroup* parent, const wchar_t* name, LONG* shapeId)
{
    return AddGroupShape(this, parent, stLayer, name, shapeId);
}

// ---- texts, images, clones and block references ----

HRESULT CYVEXControl::AddText(CGroup* group, const wchar_t* text, float x, float y, int type, float width,
                              float height, LONG alignment, float rotationAngle, float xScale, LONG* shapeId)
{
    if (!group)
        return E_POINTER;
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder)
        recorder->OpenOperation(kUndoCreate);
    const int pointId = CreatePoint(x, y);
    if (!pointId) {
        if (recorder)
            recorder->CloseOperation(false);
        return E_OUTOFMEMORY;
    }
    CText* created = CreateShapeOfKind<CText>(this, stText);
    if (!created) {
        GetPointPool().DeletePoint(pointId, 0);
        if (recorder)
            recorder->CloseOperation(false);
        return E_FAIL;
    }
    if (shapeId)
        *shapeId = created->GetId();
    created->AddPointById(pointId, CShape::kAppend, true);
    created->SetType(type);
    created->SetAlignType(static_cast<DWORD>(alignment));
    created->SetWidth(width);
    created->SetHeight(height);
    created->SetRotation(rotationAngle);
    // 0 keeps the scale the factory gave.
    if (xScale != 0.0f)
        created->SetXScale(xScale);
    created->SetText(text);
    group->AddChild(created, nullptr, 0, false);
    if (type == ttRTF && width == 0.0f)
        EstimateRtfWidth(created);
    if (recorder) {
        recorder->RecordShape(kUndoCreate, created, false);
        recorder->CloseOperation(true);
    }
    return S_OK;
}

// A rich text without a width gets one from its measured size on the window's device context:
// a characters per line count against b lines.
void CYVEXControl::EstimateRtfWidth(CText* text)
{
    HWND window = GetControlWindow();
    HDC dc = GetDC(window);
    int a = 1, b = 1;
    if (dc) {
        SIZE size = {0, static_cast<LONG>(std::fabs(text->GetHeight()))};
        int lines = 0;
        const int characters = text->MeasureRtf(dc, &size, &lines);
        ReleaseDC(window, dc);
        a = characters > 0 ? characters : 1;
        b = lines > 0 ? lines : 1;
    }
    const float height = text->GetHeight();
    text->SetWidth(b != 1 ? height * a * 1.4f / b : height * a * 0.7f);
}

HRESULT CYVEXControl::AddImageShape(CGroup* group, int resourceId, float x1, float y1, float width, float height,
                                    bool fixSize, LONG* shapeId)
{
    if (!group)
        return E_POINTER;
    CImage* image = CreateShapeOfKind<CImage>(this, stImage);
    if (!image)
        return E_FAIL;
    if (shapeId)
        *shapeId = image->GetId();
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder) {
        recorder->OpenOperation(kUndoCreate);
        recorder->RecordShape(kUndoCreate, image, false);
    }
    image->SetImageResourceId(resourceId);
    // The unset-float marker stands for the origin.
    const float unset = std::numeric_limits<float>::max();
    const int pointId = CreatePoint(x1 == unset ? 0.0f : x1, y1 == unset ? 0.0f : y1);
    if (pointId)
        image->AddPointById(pointId, CShape::kAppend, true);
    if (!fixSize) {
        image->SetSize(width, height);
    } else {
        image->ResetSizeFromResource(0);
        const float naturalWidth = image->GetWidth(), naturalHeight = image->GetHeight();
        if (width != 0.0f && height != 0.0f && naturalWidth != 0.0f && naturalHeight != 0.0f) {
            const float aspect = naturalWidth / naturalHeight;
            if (aspect < width / height)
                image->SetSize(height * aspect, height);
            else
                image->SetSize(width, width / aspect);
        }
    }
    group->AddChild(image, nullptr, 0, false);
    const bool proceed = !EventsEnabled() || FireAddShape(image->GetId());
    if (recorder)
        recorder->CloseOperation(proceed);
    if (!proceed) {
        group->RemoveChild(image);
        GetShapeMap().RemoveShape(image);
        if (shapeId)
            *shapeId = 0;
        GetShapeMap().DeleteShape(image);
        return S_FALSE;
    }
    GrowDraftLimits(image->GetId(), false);
    return S_OK;
}

// One image operation: the resource is recorded for undo in an operation of its own, which
// commits when the image was added.
HRESULT CYVEXControl::AddImageOfResource(CGroup* group, CImageResource* resource, float x1, float y1, float width,
                                         float height, bool fixSize, LONG* shapeId)
{
    if (!resource)
        return ReportError("Resource not found.");
    CUndoRecorder* recorder = GetUndoRecorder();
    const bool opened = recorder && recorder->RecordImageResource(kUndoCreate, resource, true) == S_OK;
    const HRESULT hr = AddImageShape(group, resource->GetId(), x1, y1, width, height, fixSize, shapeId);
    if (opened)
        recorder->CloseOperation(hr == S_OK);
    return hr;
}

float CYVEXControl::GetImageLoadScale()
{
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    return setting ? setting->ImageScale : 1.0f;
}

HRESULT CYVEXControl::AddImage(CGroup* group, const wchar_t* fileName, float x1, float y1, float width, float height,
                               bool fixSize, LONG* shapeId)
{
    if (!group)
        return E_POINTER;
    CImageResource* resource =
        GetImageResourceMap().LoadFromFile(fileName ? fileName : L"", GetImageLoadScale(), 0);
    return AddImageOfResource(group, resource, x1, y1, width, height, fixSize, shapeId);
}

HRESULT CYVEXControl::AddImageFromData(CGroup* group, const void* data, size_t size, float x1, float y1, float width,
                                       float height, bool fixSize, LONG* shapeId)
{
    if (!group)
        return E_POINTER;
    CImageResource* resource =
        data && size ? GetImageResourceMap().CreateResource(0, data, size, GetImageLoadScale(), true) : nullptr;
    return AddImageOfResource(group, resource, x1, y1, width, height, fixSize, shapeId);
}

HRESULT CYVEXControl::ConnectOwnSession(COdbcSession& session)
{
    FillLogin(session);
    const HRESULT connected = session.Connect(CLSID_YVEXControl);
    return connected == S_OK ? S_OK : FAILED(connected) ? connected : E_FAIL;
}

HRESULT CYVEXControl::LoadImageResourceFromDB(int databaseId, CImageResource** resource)
{
    COdbcSession session;
    RETURN_IF_FAILED(ConnectOwnSession(session));
    return GetImageResourceMap().LoadResource(session, databaseId, resource);
}

HRESULT CYVEXControl::AddImageFromDB(CGroup* group, LONG resourceDbId, float x1, float y1, float x2, float y2,
                                     bool fixSize, LONG* shapeId)
{
    if (shapeId)
        *shapeId = 0;
    if (!group)
        return E_POINTER;
    CUndoRecorder* recorder = GetUndoRecorder();
    const bool opened = recorder && recorder->OpenOperation(kUndoCreate) == S_OK;
    CImageResource* resource = nullptr;
    const HRESULT loaded = LoadImageResourceFromDB(resourceDbId, &resource);
    if (FAILED(loaded) || loaded == S_FALSE || !resource) {
        if (opened)
            recorder->CloseOperation(false);
        return ReportComErrorW(CLSID_YVEXControl, L"Resource not found.", FAILED(loaded) ? loaded : DISP_E_EXCEPTION);
    }
    // Only a picture the load brought in is new to the drawing; one present already stays when
    // the image is undone.
    if (recorder && loaded == 0)
        recorder->RecordImageResource(kUndoCreate, resource, false);
    const HRESULT hr = AddImageShape(group, resource->GetId(), x1, y1, x2, y2, fixSize, shapeId);
    if (opened)
        recorder->CloseOperation(hr == S_OK);
    return hr;
}

HRESULT CYVEXControl::AddClone(CGroup* group, LONG shapeToCopyId, LONG* shapeId)
{
    if (!group || !shapeId)
        return E_POINTER;
    CShape* source = FindShape(shapeToCopyId);
    if (!source)
        return ReportError("Shape not found.");
    *shapeId = GetShapeMap().GetNextShapeId();
    CShape* copy = GetShapeMap().CloneShape(source, true);
    if (!copy)
        return E_FAIL;
    group->AddChild(copy, nullptr, 0, false);
    OpenCreation(GetUndoRecorder(), copy);
    return ConfirmAddedShape(this, copy, shapeId);
}

HRESULT CYVEXControl::AddChildrenClones(CGroup* group, LONG shapeToCopyId, bool select)
{
    if (!group)
        return E_POINTER;
    CShape* source = FindShape(shapeToCopyId);
    if (!source)
        return ReportError("Shape not found.");
    if (!IsGroupShape(source))
        return ReportError("Shape is not a group.");
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder)
        recorder->OpenOperation(kUndoCreate);
    // The copies by their source children, in child order.
    const std::vector<CShape*> children = static_cast<CGroup*>(source)->Children();
    std::vector<CShape*> copies(children.size(), nullptr);
    CGroup* selection = GetSelectionGroup();
    for (size_t i = 0; i < children.size(); ++i) {
        CShape* copy = GetShapeMap().CloneShape(children[i], true);
        if (!copy)
            continue;
        copies[i] = copy;
        group->AddChild(copy, nullptr, 0, false);
        if (select && selection)
            selection->AddChild(copy, nullptr, 0, false);
        if (recorder)
            recorder->RecordShape(kUndoCreate, copy, false);
    }
    // Links between the children are carried over to the copies: a point that child A follows
    // and that child B owns at position n becomes the point at n of B's copy, followed by A's.
    for (size_t a = 0; a < children.size(); ++a) {
        for (const CPointRecord* linked : children[a]->GetLinkedPoints()) {
            const int pointId = linked->GetPointId();
            for (size_t b = 0; b < children.size(); ++b) {
                if (b == a)
                    continue;
                const int n = children[b]->GetPoints().IndexOf(pointId);
                if (n < 0)
                    continue;
                CShape* copyA = copies[a];
                CShape* copyB = copies[b];
                if (copyA && copyB && copyA != copyB && copyA->GetParent() == group && copyB->GetParent() == group &&
                    n < copyB->GetPointCount())
                    copyA->LinkPoint(copyB->GetPoints().GetAt(n)->GetPointId());
                break;
            }
        }
    }
    if (recorder)
        recorder->CloseOperation(true);
    return S_OK;
}

// ---- the same by a group's ID ----

HRESULT CYVEXControl::LookUpTargetGroup(LONG groupId, CGroup** group)
{
    *group = nullptr;
    CShape* shape = FindShape(groupId);
    if (!shape)
        return ReportError("Shape not found.");
    if (!IsGroupShape(shape))
        return ReportError("Shape is not a group.");
    *group = static_cast<CGroup*>(shape);
    return S_OK;
}

HRESULT CYVEXControl::AddGroupByID(LONG parentId, LONG shapeType, LONG* shapeId)
{
    CGroup* parent = nullptr;
    RETURN_IF_FAILED(LookUpTargetGroup(parentId, &parent));
    return AddGroup(parent, shapeType, shapeId);
}

HRESULT CYVEXControl::AddCloneByID(LONG groupId, LONG shapeToCopyId, LONG* shapeId)
{
    CGroup* group = nullptr;
    RETURN_IF_FAILED(LookUpTargetGroup(groupId, &group));
    return AddClone(group, shapeToCopyId, shapeId);
}

HRESULT CYVEXControl::AddChildrenClonesByID(LONG groupId, LONG shapeToCopyId, bool select)
{
    CGroup* group = nullptr;
    RETURN_IF_FAILED(LookUpTargetGroup(groupId, &group));
    return AddChildrenClones(group, shapeToCopyId, select);
}

// ---- points of polylines, parents ----

HRESULT CYVEXControl::AddPolylinePointNoUndo(int shapeId, int pointId, int index)
{
    CShape* shape;
    CPointRecord* point;
    RETURN_IF_FAILED(LookUpShapeAndPoint(shapeId, pointId, &shape, &point));
    const int type = shape->GetShapeType();
    if (type != stRectangle && type != stPolyline && type != stPolygon)
        return ReportError("Shape is not a polyline.");
    if (shape->GetPoints().IndexOf(pointId) >= 0)
        return S_FALSE;
    // The interface counts from 1; 0 and below append.
    const HRESULT hr = shape->AddPointById(pointId, index >= 1 ? index - 1 : CShape::kAppend, false);
    if (hr != S_OK)
        return hr;
    // Into whatever operation the caller has open: the point as it now stands.
    if (CUndoRecorder* recorder = GetUndoRecorder())
        if (recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(opShapePoint, point, false);
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CYVEXControl::AddNewPolylinePoint(int shapeId, int index, float x, float y, LONG* pointId, bool redraw,
                                          bool recorded)
{
    if (pointId)
        *pointId = 0;
    if (!FindShape(shapeId))
        return ReportError("Shape not found.");
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder)
        recorder->OpenOperation(kUndoCreate);
    // The pool's point alone: the draft limits take it in only once it belongs to the shape, so
    // that a refused point changes nothing.
    const int id = CControlCore::CreatePoint(x, y);
    if (!id) {
        if (recorder)
            recorder->CloseOperation(false);
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = recorded ? AddPolylinePoint(shapeId, id, index) : AddPolylinePointNoUndo(shapeId, id, index);
    if (hr != S_OK) {
        GetPointPool().DeletePoint(id, 0);
        if (recorder)
            recorder->CloseOperation(false);
        return hr;
    }
    if (recorder)
        recorder->CloseOperation(true);
    if (pointId)
        *pointId = id;
    GrowDraftLimits(id, true);
    if (redraw) {
        GrowDraftLimits(shapeId, false);
        SetPendingRedraw(rfRedrawAll);
        if (m_hWnd)
            RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return S_OK;
}

HRESULT CYVEXControl::AddPolylinePointAt(int shapeId, int index, float x, float y, LONG* pointId, bool redraw)
{
    return AddNewPolylinePoint(shapeId, index, x, y, pointId, redraw, true);
}

HRESULT CYVEXControl::AddPolylinePointAtNoUndo(int shapeId, int index, float x, float y, LONG* pointId, bool redraw)
{
    return AddNewPolylinePoint(shapeId, index, x, y, pointId, redraw, false);
}

HRESULT CYVEXControl::ChangeParent(LONG newParentId, LONG shapeId)
{
    CShape* shape = FindShape(shapeId);
    CShape* parentShape = FindShape(newParentId);
    if (!shape || !parentShape)
        return ReportError("Shape not found.");
    if (!IsGroupShape(parentShape))
        return ReportError("Shape is not a group.");
    auto* parent = static_cast<CGroup*>(parentShape);
    CGroup* old = shape->GetParent();
    const int oldId = old ? old->GetId() : 0;
    const bool hadParent = old != nullptr;
    // An operation of its own, committed only when the move stands: a refusal leaves the undo
    // and redo history as it was.
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder) {
        recorder->OpenOperation(opRelations);
        if (recorder->ShouldRecordShape(shape))
            recorder->RecordShape(opRelations, shape, false);
    }
    if (const int refused = parent->AddChild(shape, nullptr, 0, false)) {
        if (recorder)
            recorder->CloseOperation(false);
        return refused;
    }
    const bool proceed = !EventsEnabled() || FireChangeParent(newParentId, shapeId);
    if (recorder)
        recorder->CloseOperation(proceed);
    if (!proceed) {
        // The host may have changed the drawing while it heard the event: both are found again.
        CShape* still = FindShape(shapeId);
        CShape* oldParent = hadParent ? FindShape(oldId) : nullptr;
        if (still && oldParent && oldParent->IsGroup())
            static_cast<CGroup*>(oldParent)->AddChild(still, nullptr, 0, false);
        else if (still && !hadParent)
            still->DetachFromParent();
        return S_FALSE;
    }
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

// A reference may not be added while the site is read-only, the control disabled, or the root is
// one of the default shapes.
bool CYVEXControl::RefusesReferences()
{
    if (IsReadOnly() || !IsEnabledFlagSet())
        return true;
    CGroup* root = GetRootGroup();
    CGroup* defaults = GetDefaultShapesGroup();
    return root && defaults && (root->GetParent() == defaults || defaults->IndexOfChild(root->GetId()) >= 0);
}

HRESULT CYVEXControl::AddReference(LONG groupId, LONG blockId, LONG* shapeId, bool user, float insX, float insY)
{
    if (shapeId)
        *shapeId = 0;
    if (RefusesReferences())
        return S_FALSE;
    CShape* blockShape = FindShape(blockId);
    CShape* groupShape = FindShape(groupId);
    if (!blockShape || !groupShape)
        return ReportError("Shape not found.");
    if (blockShape->GetShapeType() != stGroup || !IsGroupShape(groupShape))
        return ReportError("Shape is not a group.");
    auto* block = static_cast<CGroup*>(blockShape);
    auto* group = static_cast<CGroup*>(groupShape);
    CRealPoint insertion(insX, insY);
    if (user) {
        const POINT mouse = GetMousePosition();
        const CRealPointD world = GetCurrentViewport().DeviceToWorld(mouse.x, mouse.y);
        insertion = CRealPoint(static_cast<float>(world.x), static_cast<float>(world.y));
    }
    const int pointId = CreatePoint(insertion.x, insertion.y);
    if (!pointId)
        return E_OUTOFMEMORY;
    CReference* reference = CreateShapeOfKind<CReference>(this, stReference);
    if (!reference) {
        GetPointPool().DeletePoint(pointId, 0);
        return E_FAIL;
    }
    const int referenceId = reference->GetId();
    if (shapeId)
        *shapeId = referenceId;
    reference->AddPointById(pointId, CShape::kAppend, false);
    reference->SetBlockGroupShapeID(block->GetId());
    reference->SetProtectionFlagsMasked(block->GetProtectionFlagsMasked(0xFE0), 0xFE0);
    group->AppendChild(reference, 0);
    if (reference->GetParent() != group) {
        // The group refused it: the block would come to contain itself.
        DeleteShapeTree(reference, false, false);
        if (shapeId)
            *shapeId = 0;
        if (user) {
            char text[512];
            std::snprintf(text, sizeof text, "Can't add reference to block %s,\nbecause it will lead to blocks recursion.",
                          WideToAnsi(block->GetName().c_str()));
            ycom::ShowMessageBox(GetControlWindow(), text, "YVEXControl: Error", MB_OK | MB_ICONSTOP);
        }
        return E_ACCESSDENIED;
    }
    reference->ResolveBlock(block, false, true, false);
    if (CGroup* library = GetLibraryGroup())
        reference->ResolveReferences(library, nullptr);
    reference->ApplyTransform(true);
    CUndoRecorder* recorder = GetUndoRecorder();
    const bool opened = recorder && recorder->RecordShape(kUndoCreate, reference, true) == S_OK;
    // Takes the new reference out again after a refusal.
    auto withdraw = [&]() {
        if (opened)
            recorder->CloseOperation(false);
        if (CShape* still = FindShape(referenceId)) {
            if (CGroup* parent = still->GetParent())
                parent->RemoveChild(still);
            GetShapeMap().RemoveShape(still);
            GetShapeMap().DeleteShape(still);
        }
        if (shapeId)
            *shapeId = 0;
        return S_FALSE;
    };
    if (user) {
        // The user places it: an interactive move, with recording held meanwhile.
        if (recorder)
            recorder->Suspend();
        GetEditState().editFlags |= 1;
        const int started = StartEditShape(reference, 1, 0, 0);
        if (recorder)
            recorder->Resume();
        if (started)
            return S_OK;
        GetEditState().editFlags &= ~1u;
        return withdraw();
    }
    const bool proceed = !EventsEnabled() || FireAddShape(referenceId);
    CShape* after = FindShape(referenceId);
    if (!proceed || !after || after->GetShapeType() != stReference)
        return withdraw();
    if (opened)
        recorder->CloseOperation(true);
    return S_OK;
}

HRESULT CYVEXControl::AddReferenceByName(LONG groupId, const wchar_t* blockName, LONG* shapeId, bool user,
                                         float insX, float insY)
{
    if (shapeId)
        *shapeId = 0;
    if (RefusesReferences())
        return S_FALSE;
    CGroup* library = GetLibraryGroup();
    std::wstring name = blockName ? blockName : L"";
    if (name.empty()) {
        if (!user)
            return S_FALSE;
        // The blocks the user could choose from.
        CGroup* root = GetRootGroup();
        std::set<std::string> offered;
        for (CShape* child : library ? library->Children() : std::vector<CShape*>()) {
            if (child->GetShapeType() != stGroup || child == root)
                continue;
            auto* candidate = static_cast<CGroup*>(child);
            if (root && candidate->ContainsShape(root))
                continue;
            if (root && (root->GetShapeType() == stGroup || root->GetShapeType() == stReference) &&
                root->ContainsShape(candidate))
                continue;
            const std::wstring& candidateName = candidate->GetName();
            if (candidateName.empty() || candidateName[0] == L'*' || candidateName[0] == L'$')
                continue;
            offered.insert(ycom::WideToAnsi(candidateName));
        }
        if (offered.empty()) {
            ycom::ShowMessageBox(GetControlWindow(), "No blocks to insert", "Add block reference",
                                 MB_OK | MB_ICONINFORMATION);
            return S_FALSE;
        }
        std::string chosen;
        if (!ChooseBlockName(GetControlWindow(), "Create block reference", offered, chosen))
            return S_FALSE;
        name = ycom::AnsiToWide(chosen);
    }
    CShape* block = library ? library->FindChildByName(name.c_str()) : nullptr;
    if (!block)
        return S_OK;
    if (GetEditedReference() && static_cast<CReference*>(GetEditedReference())->GetBlock() == block) {
        ycom::ShowMessageBox(GetControlWindow(), "Can't create block that contains itself.", "YVEXControl: Error",
                             MB_OK | MB_ICONSTOP);
        ReportError("Can't create block that contains itself.");
        return S_FALSE;
    }
    const HRESULT hr = AddReference(groupId, block->GetId(), shapeId, user, insX, insY);
    if (hr == S_OK && shapeId && *shapeId)
        GrowDraftLimits(*shapeId, false);
    return hr;
}

int CYVEXControl::ResetAttributeProperties(CShape* shape, LONG propertiesMask, bool fire, bool confirm)
{
    if (!shape)
        return 0;
    const bool reference = shape->GetShapeType() == stReference;
    const bool block = shape->GetShapeType() == stGroup && shape->GetParent() == GetLibraryGroup();
    if (!reference && !block)
        return 0;
    if (confirm) {
        const std::string text = LoadResourceTextA(reference ? 50555 : 50556, 1024);
        const std::string caption = LoadResourceTextA(IDS_WARNING, 1024);
        if (ycom::ShowMessageBox(GetControlWindow(), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 0;
    }
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder) {
        recorder->OpenOperation(kUndoProperties);
        recorder->RecordShape(kUndoProperties, shape, false);
    }
    if (fire && !FireResetAttributeProperties(shape->GetId(), propertiesMask)) {
        if (recorder)
            recorder->CloseOperation(false);
        return 0;
    }
    bool changed = false;
    if (reference) {
        changed = static_cast<CReference*>(shape)->RelinkBlock(true) != 0;
        if (changed && confirm)
            RequestRedraw(rfRedrawAll, nullptr);
    } else {
        auto* group = static_cast<CGroup*>(shape);
        changed = !group->GetReferrerList().empty();
        group->UpdateReferrers(urUpdateAttributes, 0);
    }
    if (changed)
        SetModified();
    if (recorder)
        recorder->CloseOperation(changed);
    return changed ? 1 : 0;
}

HRESULT CYVEXControl::SaveShapeToDB(CShape* shape, int scenarioId) { return SaveShapeRows(shape, scenarioId); }
