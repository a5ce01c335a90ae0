// The ellipse under the mouse: created by a press at the centre and a drag of the axis, or (an
// arc) by three clicks on it; edited by its handles: the ends of the major axis (1, 3) and of
// the minor axis (2, 4) resize it, the start and end handles (5, 6) set the angles.
#include "model/Ellipse.h"
#include "model/Geometry.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "YVEX_h.h"
#include <cmath>

namespace {
const double kQuarterTurn = 1.570796326794895;

// The stages of an arc created by three clicks, kept as the shape's value in the state map:
// before the first click, after it (the second click follows), after the second (the third
// click ends the arc).
const int kAwaitFirstClick = 0;
const int kAwaitSecondClick = 2;
const int kAwaitThirdClick = 1;

// Degrees brought into [0, 360).
double Wrap360(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d < 0)
        d += 360.0;
    return d;
}

double DirectionDegrees(const CRealPoint& from, const CRealPoint& to)
{
    return std::atan2(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x) * kRadiansToDegrees;
}
} // namespace

void CEllipse::SwapAxesIfLonger()
{
    if (m_minorRatio <= 1.0f)
        return;
    const DxfForm form = GetDxfForm();
    m_majorX = form.majorX;
    m_majorY = form.majorY;
    m_minorRatio = form.ratio;
    m_startAngle = form.start;
    m_endAngle = form.end;
    SetExtentCached(false);
}

CEllipse::DxfForm CEllipse::GetDxfForm() const
{
    DxfForm form = {m_majorX, m_majorY, m_minorRatio, m_startAngle, m_endAngle};
    if (m_minorRatio <= 1.0f)
        return form;
    // The minor axis is the longer one: it becomes the major axis, a quarter turn on; the
    // parameters of the same points are a quarter turn less (more for a clockwise curve).
    const double r = GetMajorRadius() * m_minorRatio;
    const double a = std::atan2(static_cast<double>(m_majorY), static_cast<double>(m_majorX)) + kQuarterTurn;
    form.majorX = static_cast<float>(std::cos(a) * r);
    form.majorY = static_cast<float>(std::sin(a) * r);
    form.ratio = std::fabs(1.0f / m_minorRatio);
    if (std::fmod(std::fabs(static_cast<double>(m_endAngle) - m_startAngle), 360.0) == 0.0)
        return form; // a full curve starts anywhere
    const double turn = m_extrusionZ < 0 ? 90.0 : -90.0;
    const double start = Wrap360(m_startAngle + turn);
    form.start = static_cast<float>(start);
    form.end = static_cast<float>(start + (static_cast<double>(m_endAngle) - m_startAngle));
    return form;
}

int CEllipse::StartEdit(int mode, int pickedIndex, const CRealPoint* start)
{
    m_arcSide = -1;
    m_keepAxisDirection = 1;
    if (mode == EDSH_NEWPOINT && m_shapeType == stArc && m_minorRatio == 1.0f && Centre())
        RebuildClicks();
    return CGroup::StartEdit(mode, pickedIndex, start);
}

void CEllipse::RebuildClicks()
{
    const CPointRecord* centre = Centre();
    const double axis = GetAxisDegrees() * kDegreesToRadians;
    double start, end;
    Sweep(&start, &end);
    const double at[3] = {start, (start + end) * 0.5, end};
    for (int i = 0; i < 3; ++i) {
        CRealPointD p = PointAtParameter(at[i]);
        CViewMapping::RotatePointsAbout(axis, CRealPointD(0, 0), &p, 1);
        m_clicks[i] = CRealPoint(static_cast<float>(centre->x + p.x), static_cast<float>(centre->y + p.y));
    }
    // A clockwise arc runs counter-clockwise from its last click to its first.
    m_arcSide = m_extrusionZ < 0 ? 1 : 0;
}

bool CEllipse::SolveThreePointArc()
{
    CRealPoint centre;
    float radius = 0.0f;
    if (!CircleThroughThreePoints(m_clicks[0], m_clicks[1], m_clicks[2], &centre, &radius)) {
        // Hidden until the clicks allow a circle.
        SetStateBits(stVisible, false);
        return false;
    }
    SetStateBits(stVisible, true);
    if (m_points.IsEmpty()) {
        const int pointId = m_control ? m_control->CreatePoint(centre.x, centre.y) : 0;
        if (pointId <= 0 || AddPointById(pointId, kAppend, true) != S_OK)
            return false;
    } else {
        CPointRecord* point = m_points.GetAt(0);
        point->x = centre.x;
        point->y = centre.y;
    }
    SetMajorRadius(radius);
    if (m_majorX == 0.0f && m_majorY == 0.0f)
        m_majorX = radius;
    m_minorRatio = 1.0f;
    m_extrusionZ = 1.0f;
    // The parameters are measured from the axis; the middle click must lie on the arc.
    const double axis = GetAxisDegrees();
    const double first = DirectionDegrees(centre, m_clicks[0]) - axis;
    const double middle = DirectionDegrees(centre, m_clicks[1]) - axis;
    const double last = DirectionDegrees(centre, m_clicks[2]) - axis;
    const double sweep = Wrap360(last - first);
    m_arcSide = Wrap360(middle - first) <= sweep ? 0 : 1;
    const double start = Wrap360(m_arcSide == 0 ? first : last);
    const double end = Wrap360(m_arcSide == 0 ? last : first);
    m_startAngle = static_cast<float>(start);
    m_endAngle = static_cast<float>(end < start ? end + 360.0 : end);
    SetExtentCached(false);
    return true;
}

int CEllipse::OnCreationMouseDown(float x, float y)
{
    CEditState& edit = m_control->GetEditState();
    CShapeStateMap& states = m_control->GetShapeStateMap();
    const CRealPoint click(x, y);
    m_lastMouse = click;
    const bool threeClicks =
        m_shapeType == stArc && m_minorRatio == 1.0f && (edit.controlState & csUserCreate) != 0;
    if (threeClicks) {
        switch (states.GetValue(m_id)) {
        case kAwaitSecondClick:
            m_clicks[1] = m_clicks[2] = click;
            states.SetValue(m_id, kAwaitThirdClick);
            return 1;
        case kAwaitThirdClick:
            m_clicks[2] = click;
            // Collinear clicks make no arc: the next click is awaited.
            if (SolveThreePointArc())
                EndEdit(true);
            return 1;
        default:
            m_clicks[0] = m_clicks[1] = m_clicks[2] = click;
            states.SetValue(m_id, kAwaitSecondClick);
            return 1;
        }
    }
    // The centre at the press; the axis follows the mouse until the next press.
    if (m_points.IsEmpty()) {
        const int pointId = m_control->CreatePoint(x, y);
        if (pointId <= 0 || AddPointById(pointId, kAppend, true) != S_OK)
            return 0;
    }
    m_majorX = m_majorY = 0.0f;
    StartEdit(EDSH_POINT, 3, nullptr);
    m_keepAxisDirection = 0;
    return 1;
}

int CEllipse::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (!m_control)
        return 0;
    const CEditState& edit = m_control->GetEditState();
    const bool target = IsEditTarget() == 1;
    if (target && edit.editMode == EDSH_NEWPOINT)
        return OnCreationMouseDown(x, y);
    if (target && edit.editMode == EDSH_POINT && m_keepAxisDirection == 0) {
        // The press that ends dragging out a new ellipse.
        m_keepAxisDirection = 1;
        EndEdit(true);
        return 1;
    }
    // The handles are those of the longer axis as the major one.
    if (Centre())
        SwapAxesIfLonger();
    return CGroup::OnEditMouseDown(x, y, selection);
}

int CEllipse::OnEditDrag(float x, float y)
{
    if (!m_control)
        return 0;
    m_lastMouse = CRealPoint(x, y);
    if (IsEditTarget() != 1)
        return CShape::OnEditDrag(x, y);
    const CEditState& edit = m_control->GetEditState();
    if (edit.editMode == EDSH_NEWPOINT) {
        if (m_shapeType == stArc && m_control->GetShapeStateMap().GetValue(m_id) == kAwaitThirdClick) {
            m_clicks[2] = m_lastMouse;
            SolveThreePointArc();
        }
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
        return 1;
    }
    if (edit.editMode != EDSH_POINT) {
        // A move, turn or scale starts each drag from the shape as it was, which the shape base
        // takes back for the centre: the axes come back here.
        auto* before = dynamic_cast<CEllipse*>(edit.tracker);
        if (edit.dragActive && before && before != this) {
            m_majorX = before->m_majorX;
            m_majorY = before->m_majorY;
            m_minorRatio = before->m_minorRatio;
        }
        return CShape::OnEditDrag(x, y);
    }
    const CPointRecord* centre = Centre();
    if (!centre)
        return 0;
    if (m_keepAxisDirection == 0) {
        m_majorX = x - centre->x;
        m_majorY = y - centre->y;
        SetExtentCached(false);
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
        return 1;
    }
    const DWORD f = GetProtectionFlagsMasked(kProtectionMask);
    const bool width = (f & sdbfWidth) != 0, height = (f & sdbfHeight) != 0, aspect = (f & sdbfAspect) != 0;
    if ((aspect && (width || height)) || (width && height))
        return 1;
    // The mouse in the ellipse's own frame.
    CRealPointD p(static_cast<double>(x) - centre->x, static_cast<double>(y) - centre->y);
    CViewMapping::RotatePointsAbout(-GetAxisDegrees() * kDegreesToRadians, CRealPointD(0, 0), &p, 1);
    const bool partial = std::fmod(std::fabs(static_cast<double>(m_endAngle) - m_startAngle), 360.0) != 0.0;
    const double r = GetMajorRadius();
    const int handle = m_control->GetShapeStateMap().GetValue(m_id);
    // Whether the mouse went over to the other side of the centre since the last drag (the first
    // drag only notes its side).
    auto crossed = [this](double coordinate) {
        const int side = coordinate < 0 ? 1 : 0;
        const bool over = m_arcSide != -1 && side != m_arcSide;
        m_arcSide = side;
        return over;
    };
    switch (handle) {
    case 1:
    case 3: {
        if (width)
            return 1;
        if (crossed(p.x)) {
            // Across the centre: the arc turns over the minor axis.
            if (partial) {
                const float start = m_startAngle;
                m_startAngle = 180.0f - m_endAngle;
                m_endAngle = 180.0f - start;
            }
        }
        const double length = std::fabs(p.x);
        if (length == 0.0)
            return 1;
        if (!aspect)
            m_minorRatio = static_cast<float>(r * m_minorRatio / length);
        SetMajorRadius(length);
        break;
    }
    case 2:
    case 4: {
        if (height)
            return 1;
        // Across the centre: the arc turns over the major axis.
        if (crossed(p.y) && partial)
            m_extrusionZ = m_extrusionZ > 0 ? -1.0f : 1.0f;
        const double minor = std::fabs(p.y);
        if (!aspect) {
            if (r == 0.0)
                return 1;
            m_minorRatio = static_cast<float>(minor / r);
        } else {
            const double old = r * m_minorRatio;
            if (old == 0.0 || minor == 0.0)
                return 1;
            SetMajorRadius(r * minor / old);
        }
        break;
    }
    case 5:
    case 6: {
        // The parameter of the mouse's direction, the way the curve runs.
        double angle = m_minorRatio > 0 ? std::atan2(p.y / m_minorRatio, p.x) : std::atan2(p.y, p.x);
        if (m_extrusionZ < 0)
            angle = -angle;
        (handle == 5 ? m_startAngle : m_endAngle) = static_cast<float>(angle * kRadiansToDegrees);
        break;
    }
    default:
        return 1;
    }
    SetExtentCached(false);
    m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    return 1;
}
