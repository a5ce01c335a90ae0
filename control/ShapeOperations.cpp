// The control's operations by ID that create shapes for the automation collections.
#include <cmath>
#include <vector>
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "com/HResult.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/RealPoint.h"
#include "model/Shape.h"

namespace {

// Undo kind of a creation (YVEXOperation opCreate).
constexpr int kUndoCreate = 4;

void NoValues(CShape*) {}

// A curve's radius: a major axis of no length becomes (radius, 0); any other takes the length.
void SetRadius(CEllipse* ellipse, float radius)
{
    if (ellipse->GetMajorX() == 0 && ellipse->GetMajorY() == 0)
        ellipse->SetMajorAxis(radius, 0);
    else
        ellipse->SetMajorRadius(radius);
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
    const int first = control->CreatePoint(points[0].x, points[0].y);
    if (!first)
        return E_OUTOFMEMORY;
    CShape* shape = control->GetShapeMap().CreateShape(type, true, true);
    if (!shape) {
        control->GetPointPool().DeletePoint(first, 0);
        return E_FAIL;
    }
    if (shapeId)
        *shapeId = shape->GetId();
    RETURN_IF_FAILED(shape->AddPointById(first, CShape::kAppend, false));
    for (size_t i = 1; i < points.size(); ++i) {
        const int id = control->CreatePoint(points[i].x, points[i].y);
        if (!id)
            return E_OUTOFMEMORY;
        RETURN_IF_FAILED(shape->AddPointById(id, CShape::kAppend, true));
    }
    values(shape);
    group->AddChild(shape, nullptr, 0, false);
    control->GetSiteRecord().GrowDraftLimits(shape->GetId(), false);
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
    CUndoRecorder* recorder = control->GetUndoRecorder();
    if (recorder)
        recorder->RecordShape(kUndoCreate, shape, false);
    if (control->EventsEnabled() && !control->FireAddShape(shape->GetId())) {
        if (recorder)
            recorder->EndCurrentUnit(false);
        control->DeleteShapeByID(shape->GetId(), 0, 0);
        *shapeId = 0;
        return S_FALSE;
    }
    *shapeId = shape->GetId();
    control->GetSiteRecord().GrowDraftLimits(shape->GetId(), false);
    return S_OK;
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
