// How a polyline paints itself (per-vertex widths, colours and line types, bulged segments as
// arcs, Bezier segments, arrow heads, the closing segment, editing guides and marks) and how a
// device point hits it. Drawing works in the draw context's logical units (0.1 mm, y up); the hit
// tests take device pixels.
#include "model/Polyline.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ViewMapping.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/OutlineHit.h"
#include "model/PenCache.h"
#include "model/PointRecord.h"
#include "model/ShapeStateMap.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// A pen wider than this (device units) gets a join stub at each vertex.
const int kThickShapePen = 5;
const int kThickVertexPen = 1;
// The join stub's length, the chord below which a small bulge is drawn straight, and the sagitta
// at or below which an arc is drawn straight (pixels), unless the context asks for precision.
const double kJoinStubPixels = 20.0;
const double kStraightChordPixels = 9.0;
const double kStraightSagittaPixels = 4.0;
// The radius of the mark of a closed polyline's start, pixels.
const double kStartMarkPixels = 18.0 / 1.4142135623730951;
// How near the edge of a widened or filled outline GDI's rounding can move it (pixels): the
// points rounded to logical units and to pixels, curves flattened to about a pixel, the pen's
// halves rounded apart and the region's pixels set by their centres.
const double kOutlineMarginPixels = 2.0;

POINT ToLogical(const CViewMapping& view, const CRealPoint& p)
{
    const CRealPointD l = view.WorldToLogical(p.x, p.y);
    return POINT{DoubleToIntClamped(l.x), DoubleToIntClamped(l.y)};
}

// Whether a device point lies within the tolerance of the straight segment a-b.
bool HitStraightSegment(const CRealPoint& a, const CRealPoint& b, const CRealPoint& p, double tolerance)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double px = static_cast<double>(p.x) - a.x, py = static_cast<double>(p.y) - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? (px * dx + py * dy) / length2 : 0.0;
    t = std::max(0.0, std::min(1.0, t));
    const double ex = px - t * dx, ey = py - t * dy;
    return ex * ex + ey * ey <= tolerance * tolerance;
}

} // namespace

// --- Widths and pens -----------------------------------------------------------------------------

float CPolyline::WidthToDevice(float width, bool shapePen, const CViewMapping& view)
{
    if (!m_control)
        return width;
    if (m_state & stScalePenWeight)
        return static_cast<float>(std::trunc(width * view.GetScaleFactor()));
    // Fixed widths: the shape's own pen through the view's pen-width factor, a vertex's width in
    // millimetres (the context's units are tenths).
    const double factor = shapePen ? m_control->GetPenCache().GetWidthFactor() : 10.0;
    return static_cast<float>(std::trunc(width * factor));
}

void CPolyline::EffectiveWidths(const CVertexRecord& vertex, float* start, float* end) const
{
    *start = vertex.startWidth >= 0 && vertex.startWidth != m_defStartWidth ? vertex.startWidth : m_defStartWidth;
    *end = vertex.endWidth >= 0 && vertex.endWidth != m_defEndWidth ? vertex.endWidth : m_defEndWidth;
}

bool CPolyline::OverridesPen(const CVertexRecord& vertex)
{
    float start, end;
    EffectiveWidths(vertex, &start, &end);
    if (start != m_defStartWidth || end != m_defEndWidth)
        return true;
    if (vertex.lineType != 0x8000 && vertex.lineType != GetLinePatternId())
        return true;
    return vertex.color != 0x40000000 && vertex.color != m_penColor;
}

// --- Draw ----------------------------------------------------------------------------------------

int CPolyline::Draw(CDrawContext& context)
{
    if ((context.flags & CDrawContext::dcMarks) || !m_control)
        return 1;
    HDC dc = context.dc;
    if (!dc)
        return 1;
    const CViewMapping& view = ViewOf(context);
    const int count = m_points.GetCount();
    const bool approximate = (context.flags & CDrawContext::dcPrecise) == 0;
    const bool arrows = (context.flags & CDrawContext::dcNoFill) == 0;

    // The shape's pen, at the larger default width.
    const int shapeWidth = static_cast<int>(WidthToDevice(std::max(m_defStartWidth, m_defEndWidth), true, view));
    HPEN previousPen = nullptr;
    int pattern = GetLinePatternId();
    COLORREF colour = 0;
    CreateDrawPen(m_control, dc, context.pen, shapeWidth, true, false, &previousPen, &pattern, &colour, this,
                  context.view, context.keepPen);
    HPEN shapePen = static_cast<HPEN>(GetCurrentObject(dc, OBJ_PEN));
    bool thick = shapeWidth > kThickShapePen;
    bool vertexPen = false;

    const bool closed = IsClosed();
    const bool bezier = IsBezier();
    const bool firstArrow = arrows && !bezier && CanDrawFirstArrow();
    const bool lastArrow = arrows && !bezier && CanDrawLastArrow();
    auto vertexAt = [this](int i) -> const CVertexRecord* {
        return static_cast<size_t>(i) < m_vertices.size() ? &m_vertices[static_cast<size_t>(i)] : nullptr;
    };

    if (count > 0) {
        // The outline starts afresh here, in a path for a fill as well.
        const POINT start = ToLogical(view, *m_points.GetAt(0));
        MoveToEx(dc, start.x, start.y, nullptr);
        if (firstArrow) {
            CRealPoint end = *m_points.GetAt(0);
            const CRealPoint toward = *m_points.GetAt(1);
            DrawArrowHead(context, m_firstArrowType, &end, &toward);
        }
    }
    for (int i = 1; i < count; ++i) {
        const CVertexRecord* a = vertexAt(i - 1);
        const CVertexRecord* b = vertexAt(i);
        if (i == count - 1 && lastArrow && a && a->bulge == 0.0f) {
            // The last segment stops where the closed heads begin.
            CPointRecord* last = m_points.GetAt(i);
            const CRealPoint kept = *last;
            CArrowHead head;
            head.type = m_secondArrowType;
            CRealPoint end = kept;
            head.endPoint = &end;
            const CRealPoint before = *m_points.GetAt(i - 1);
            head.previous = &before;
            head.scale = GetArrowScale();
            head.view = context.view;
            const int built = BuildArrowHead(head);
            if (built > 0 && head.baseMoved) {
                last->x = end.x;
                last->y = end.y;
            }
            if (a && b)
                DrawSegment(context, *a, *b, nullptr, approximate);
            last->x = kept.x;
            last->y = kept.y;
        } else if (bezier) {
            DrawBezierSegment(context, i);
            i += 2;
        } else if (a && b) {
            const CVertexRecord* next = thick ? vertexAt(i + 1 < count ? i + 1 : (closed ? 0 : -1)) : nullptr;
            DrawSegment(context, *a, *b, next, approximate);
        }
        // The pen of the segment that starts here.
        const CVertexRecord* here = vertexAt(std::min(i, count - 1));
        if (here && OverridesPen(*here) && !context.pen) {
            float startWidth, endWidth;
            EffectiveWidths(*here, &startWidth, &endWidth);
            const int width = static_cast<int>(WidthToDevice(std::max(startWidth, endWidth), false, view));
            const int lineType = TranslateLinePatternId(here->lineType == 0x8000 ? GetLinePatternId() : here->lineType, this);
            const COLORREF penColour = TranslatePenColor(here->color == 0x40000000 ? m_penColor : here->color, this);
            HPEN pen = m_control->GetPenCache().GetPen(lineType, penColour, width,
                                                       GetLinePatternScale() * view.GetScaleFactor(), false);
            if (pen) {
                SelectObject(dc, pen);
                vertexPen = true;
                thick = width > kThickVertexPen;
            }
        } else if (vertexPen) {
            SelectObject(dc, shapePen);
            vertexPen = false;
            thick = shapeWidth > kThickShapePen;
        }
    }
    if (closed && count > 0) {
        const CVertexRecord* last = vertexAt(count - 1);
        const CVertexRecord* first = vertexAt(0);
        if (last && first && !bezier)
            DrawSegment(context, *last, *first, thick ? vertexAt(count > 1 ? 1 : 0) : nullptr, approximate);
    } else if (lastArrow && (m_vertices.size() < 2 || m_vertices[m_vertices.size() - 2].bulge == 0.0f)) {
        CRealPoint end = *m_points.GetAt(count - 1);
        const CRealPoint before = *m_points.GetAt(count - 2);
        DrawArrowHead(context, m_secondArrowType, &end, &before);
    }

    if (IsEditTarget() == 1) {
        const CEditState& edit = m_control->GetEditState();
        const CShape* copy = edit.tracker;
        const int picked = GetPickedIndex();
        if (edit.editMode == EDSH_POINT && copy && copy->GetShapeType() == m_shapeType && picked >= 0 &&
            picked < copy->GetPointCount() && picked < count) {
            // A guide from where the point was to where it is.
            ycom::SelectGuard guide(dc, m_control->GetPenCache().GetPen(1, 0x000000, 0, 1.0, false));
            const POINT from = ToLogical(view, *copy->GetPoints().GetAt(picked));
            const POINT to = ToLogical(view, *m_points.GetAt(picked));
            MoveToEx(dc, from.x, from.y, nullptr);
            LineTo(dc, to.x, to.y);
        }
        if (bezier && (edit.editMode == EDSH_POINT || edit.editMode == EDSH_NEWPOINT)) {
            CDrawContext marks = context;
            marks.markColour = 0xFF0000;
            DrawMarks(marks);
        }
    } else {
        DrawMarksIfSelected(context);
    }
    if (previousPen)
        SelectObject(dc, previousPen);
    return 1;
}

void CPolyline::DrawSegment(CDrawContext& context, const CVertexRecord& a, const CVertexRecord& b,
                            const CVertexRecord* next, bool approximate)
{
    const CPointRecord* pa = a.GetPoint();
    const CPointRecord* pb = b.GetPoint();
    if (!pa || !pb || !m_control)
        return;
    HDC dc = context.dc;
    const CViewMapping& view = ViewOf(context);
    const double perPixel = view.LogicalPerPixelX();
    const POINT p = ToLogical(view, *pb);
    const POINT start = ToLogical(view, *pa);
    std::vector<POINT> list = {p};
    if (next && next->GetPoint() && std::fabs(b.bulge) < 0.3f) {
        // A thick pen gets a short stub toward the next segment so that the two join.
        const POINT j = ToLogical(view, *next->GetPoint());
        const long dx = j.x - p.x, dy = j.y - p.y;
        const long reach = std::max(std::labs(dx), std::labs(dy));
        const long stub = static_cast<long>(kJoinStubPixels * perPixel);
        if (reach > stub && reach > 0)
            list = {p, POINT{p.x + dx * stub / reach, p.y + dy * stub / reach}, p};
    }
    const double b0 = a.bulge;
    const double chordX = std::labs(p.x - start.x) / perPixel, chordY = std::labs(p.y - start.y) / perPixel;
    if (std::fabs(b0) < 1e-5 ||
        (approximate && std::fabs(b0) < 1.1 && chordX < kStraightChordPixels && chordY < kStraightChordPixels)) {
        PolylineTo(dc, list.data(), static_cast<DWORD>(list.size()));
        return;
    }
    CRealPoint centre;
    if (!BulgeArcCenter(pa, pb, b0, &centre))
        return;
    const double r = BulgeRadius(pa, pb, b0, nullptr, nullptr);
    const double theta = 4.0 * std::atan(std::fabs(b0));
    const double sagitta = (1.0 - std::cos(2.0 * std::atan(b0))) * r * view.GetScaleFactor() / perPixel;
    const bool arc = !approximate || ((theta > 1.580796326794895 || chordX > 8 || chordY > 8) &&
                                      sagitta > kStraightSagittaPixels);
    if (!arc) {
        PolylineTo(dc, list.data(), static_cast<DWORD>(list.size()));
        return;
    }
    const POINT c = ToLogical(view, centre);
    const long radius = static_cast<long>(std::lround(r * view.GetScaleFactor()));
    // The arc runs from a to b: counter-clockwise in the world for a positive bulge. The context's
    // direction is set for this arc alone, so that the outline (and a path for a fill) goes on
    // from a to b without a chord.
    const int direction = SetArcDirection(dc, b0 > 0 ? AD_COUNTERCLOCKWISE : AD_CLOCKWISE);
    ArcTo(dc, c.x - radius, c.y + radius, c.x + radius, c.y - radius, start.x, start.y, p.x, p.y);
    SetArcDirection(dc, direction);
    POINT at;
    GetCurrentPositionEx(dc, &at);
    if (at.x != p.x || at.y != p.y) {
        if (context.flags & CDrawContext::dcFilledOnly)
            LineTo(dc, p.x, p.y);
        else
            MoveToEx(dc, p.x, p.y, nullptr);
    }
    if (list.size() > 1)
        PolylineTo(dc, list.data() + 1, static_cast<DWORD>(list.size() - 1));
}

void CPolyline::DrawBezierSegment(CDrawContext& context, int index)
{
    const int count = m_points.GetCount();
    if (!m_control || index >= count)
        return;
    const CViewMapping& view = ViewOf(context);
    POINT points[3];
    int taken = 0;
    CRealPoint last = *m_points.GetAt(index);
    for (int k = 0; k < 3; ++k) {
        const int at = index + k;
        if (at < count) {
            last = *m_points.GetAt(at);
            ++taken;
        } else if (IsClosed() && at == count) {
            last = *m_points.GetAt(0);
            ++taken;
        }
        points[k] = ToLogical(view, last);
    }
    if (taken > 0)
        PolyBezierTo(context.dc, points, 3);
}

// --- Hit tests ----------------------------------------------------------------------------------

int CPolyline::BaseTolerance()
{
    int w = 0;
    if (m_defStartWidth == m_defEndWidth) {
        if (m_state & stScalePenWeight) {
            SIZE size;
            WorldToDeviceSize(&size, m_defStartWidth * 0.2f, 0.0f);
            w = size.cx;
        } else {
            w = static_cast<int>(2.0f * m_defStartWidth);
        }
    }
    if (w == 0 && m_control)
        w = DoubleToIntClamped(GetDevicePenWidth() * 0.2 / m_control->GetCurrentViewport().LogicalPerPixelX());
    return w;
}

int CPolyline::SegmentTolerance(const CVertexRecord& vertex, int base)
{
    if (vertex.startWidth != vertex.endWidth || vertex.startWidth < 0)
        return base;
    if (m_state & stScalePenWeight) {
        SIZE size;
        WorldToDeviceSize(&size, vertex.startWidth * 0.2f, 0.0f);
        return size.cx;
    }
    return DoubleToIntClamped(2.0 * vertex.startWidth);
}

bool CPolyline::HitSegment(int index, float x, float y, int tolerance)
{
    const int count = m_points.GetCount();
    if (!m_control || index < 0 || index >= count || static_cast<size_t>(index) >= m_vertices.size())
        return false;
    const int nextIndex = index + 1 < count ? index + 1 : 0;
    if (nextIndex == index)
        return false;
    const CViewMapping& view = m_control->GetCurrentViewport();
    const POINT a = view.WorldToDevice(*m_points.GetAt(index));
    const POINT b = view.WorldToDevice(*m_points.GetAt(nextIndex));
    const CRealPoint p1(static_cast<float>(a.x), static_cast<float>(a.y));
    const CRealPoint p2(static_cast<float>(b.x), static_cast<float>(b.y));
    const CRealPoint at(x, y);
    // The tolerance travels as one byte.
    const double reach = static_cast<unsigned char>(tolerance + 3);
    const double bulge = m_vertices[static_cast<size_t>(index)].bulge;
    // Device y runs downwards: the arc turns the other way there.
    if (std::fabs(bulge) >= 1e-5 && !(p1.x == p2.x && p1.y == p2.y))
        return HitTestArcSegment(&p1, &p2, -bulge, at, reach) != 0;
    return HitStraightSegment(p1, p2, at, reach);
}

bool CPolyline::BuildHitOutline(COutlineHit& outline)
{
    const int count = m_points.GetCount();
    if (!m_control || count == 0 || m_vertices.size() != static_cast<size_t>(count))
        return false;
    // While edited the shape draws guides into the path as well.
    if (IsEditTarget() == 1)
        return false;
    const bool bezier = IsBezier();
    if (!bezier) {
        // Arrow heads join the path as figures of their own. A bulged segment is an arc whose
        // end GDI rounds to its own grid, and a pen position off the end starts a new figure:
        // where that falls is GDI's to say.
        if (CanDrawFirstArrow() || CanDrawLastArrow())
            return false;
        const int segments = IsClosed() ? count : count - 1;
        for (int i = 0; i < segments; ++i)
            if (std::fabs(m_vertices[static_cast<size_t>(i)].bulge) >= 1e-5)
                return false;
    }
    // The points as Draw puts them into the path: whole logical units, then through the hit
    // test's mapping into pixels.
    const CViewMapping& view = m_control->GetCurrentViewport();
    const double kx = static_cast<double>(view.horzRes) / view.horzSize10;
    const double ky = static_cast<double>(view.vertRes) / view.vertSize10;
    auto device = [&](int i, double* x, double* y) {
        const POINT l = ToLogical(view, *m_points.GetAt(i));
        *x = l.x * kx;
        *y = -l.y * ky;
    };
    double x0, y0;
    device(0, &x0, &y0);
    outline.MoveTo(x0, y0);
    if (bezier) {
        // Each piece takes the next three points; past the end the last one again, or the first
        // of a closed outline.
        for (int i = 1; i < count; i += 3) {
            double px[3], py[3];
            int at = i;
            for (int k = 0; k < 3; ++k, ++at) {
                if (at < count)
                    device(at, &px[k], &py[k]);
                else if (IsClosed() && at == count)
                    device(0, &px[k], &py[k]);
                else if (k > 0) {
                    px[k] = px[k - 1];
                    py[k] = py[k - 1];
                }
            }
            outline.BezierTo(px[0], py[0], px[1], py[1], px[2], py[2]);
        }
        return true;
    }
    double x, y;
    for (int i = 1; i < count; ++i) {
        device(i, &x, &y);
        outline.LineTo(x, y);
    }
    if (IsClosed())
        outline.LineTo(x0, y0);
    return true;
}

BOOL CPolyline::HitTest(float x, float y)
{
    if (!CShape::HitTest(x, y))
        return FALSE;
    if (SelectsAsUnit() && CGroup::HitTest(x, y))
        return TRUE;
    // The fill and a Bezier outline are judged by their geometry; GDI's widened or filled path
    // answers only near the edge, where its rounding to pixels decides (see COutlineHit).
    COutlineHit outline;
    bool outlined = false;
    bool built = false;
    auto haveOutline = [&]() {
        if (!outlined) {
            outlined = true;
            built = BuildHitOutline(outline);
        }
        return built;
    };
    if (GetTranslatedHatchPatternId() >= 1 && HasHatchFill()) {
        const COutlineHit::Answer inside =
            haveOutline() ? outline.FillAt(x, y, kOutlineMarginPixels) : COutlineHit::Unsure;
        if (inside == COutlineHit::Hit || (inside == COutlineHit::Unsure && HitTestFilledPath(x, y)))
            return TRUE;
    }
    if (m_vertices.empty())
        return FALSE;
    if (IsBezier()) {
        const COutlineHit::Answer onStroke =
            haveOutline() ? outline.StrokeAt(x, y, std::lround(HitStrokeWidthPixels()), kOutlineMarginPixels)
                          : COutlineHit::Unsure;
        if (onStroke != COutlineHit::Unsure)
            return onStroke == COutlineHit::Hit;
        return HitTestWidenedPath(x, y);
    }
    const int count = m_points.GetCount();
    const int base = BaseTolerance();
    const int segments = IsClosed() ? count : count - 1;
    for (int i = 0; i < segments; ++i)
        if (HitSegment(i, x, y, SegmentTolerance(m_vertices[static_cast<size_t>(i)], base)))
            return TRUE;
    if (!IsClosed() && count > 0) {
        if (CanDrawFirstArrow()) {
            const CRealPoint* toward = m_vertices.size() > 1 ? m_points.GetAt(1) : nullptr;
            if (HitTestArrowHead(x, y, m_firstArrowType, *m_points.GetAt(0), toward))
                return TRUE;
        }
        if (CanDrawLastArrow() &&
            HitTestArrowHead(x, y, m_secondArrowType, *m_points.GetAt(count - 1), m_points.GetAt(count - 2)))
            return TRUE;
    }
    return FALSE;
}

int CPolyline::HitSegmentTest(float x, float y, int* segment)
{
    if (!CShape::HitTest(x, y) || !m_control)
        return 0;
    const CViewMapping& view = m_control->GetCurrentViewport();
    // The handle: 0.9 mm to each side.
    const SIZE half = view.HimetricToPixels(SIZE{90, 90});
    const int count = m_points.GetCount();
    const int vertices = std::min(count, static_cast<int>(m_vertices.size()));
    for (int i = 0; i < vertices; ++i) {
        const POINT at = view.WorldToDevice(*m_points.GetAt(i));
        if (at.x - half.cx <= x && x <= at.x + half.cx && at.y - half.cy <= y && y <= at.y + half.cy) {
            if (segment)
                *segment = i == count - 1 ? 0 : i + 1;
            return 1;
        }
    }
    const int base = BaseTolerance();
    const int segments = IsClosed() ? count : count - 1;
    for (int i = 0; i < segments && i < vertices; ++i) {
        if (HitSegment(i, x, y, SegmentTolerance(m_vertices[static_cast<size_t>(i)], base))) {
            if (segment)
                *segment = i == count - 1 ? 0 : i + 1;
            return 1;
        }
    }
    return 0;
}

// --- Marks --------------------------------------------------------------------------------------

int CPolyline::DrawMarks(CDrawContext& context)
{
    const int marks = CGroup::DrawMarks(context);
    if (!marks)
        return 0;
    const int count = m_points.GetCount();
    if (count == 0 || !m_control || !context.dc)
        return 0;
    HDC dc = context.dc;
    const CViewMapping& view = ViewOf(context);
    ycom::SelectGuard pen(dc, m_control->GetPenCache().GetPen(2, ChooseMarkColour(context.markColour), 0, 1.0, false));
    if (IsClosed()) {
        // The start of a closed outline.
        const POINT c = ToLogical(view, *m_points.GetAt(0));
        const int r = DoubleToIntClamped(kStartMarkPixels * view.LogicalPerPixelX());
        Arc(dc, c.x - r, c.y + r, c.x + r, c.y - r, c.x + r, c.y, c.x + r, c.y);
    }
    if (IsBezier()) {
        // Guides from each anchor to its control points.
        std::vector<POINT> p(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            p[static_cast<size_t>(i)] = ToLogical(view, *m_points.GetAt(i));
        for (int i = 0; i < count; i += 3) {
            const int before = i > 0 ? i - 1 : (IsClosed() ? count - 1 : -1);
            if (before >= 0) {
                MoveToEx(dc, p[static_cast<size_t>(before)].x, p[static_cast<size_t>(before)].y, nullptr);
                LineTo(dc, p[static_cast<size_t>(i)].x, p[static_cast<size_t>(i)].y);
            }
            if (i + 1 < count) {
                MoveToEx(dc, p[static_cast<size_t>(i)].x, p[static_cast<size_t>(i)].y, nullptr);
                LineTo(dc, p[static_cast<size_t>(i + 1)].x, p[static_cast<size_t>(i + 1)].y);
            }
        }
    }
    return marks;
}
