#include "model/OutlineHit.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A Bezier piece is cut into chords until none strays more than this from the curve (pixels).
const double kFlatness = 0.05;
const int kMaxBezierDepth = 16;
const double kPi = 3.14159265358979323846;
// The most a run of the outline near the point may turn for the geometry to answer a hit alone
// (radians).
const double kGentleTurning = 0.5;

double SegmentDistanceSquared(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double qx = px - ax, qy = py - ay;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? (qx * dx + qy * dy) / length2 : 0.0;
    t = std::max(0.0, std::min(1.0, t));
    const double ex = qx - t * dx, ey = qy - t * dy;
    return ex * ex + ey * ey;
}

} // namespace

void COutlineHit::MoveTo(double x, double y)
{
    m_figures.push_back(Figure{m_x.size(), 1});
    m_x.push_back(x);
    m_y.push_back(y);
}

void COutlineHit::LineTo(double x, double y)
{
    if (m_figures.empty()) {
        MoveTo(x, y);
        return;
    }
    m_x.push_back(x);
    m_y.push_back(y);
    ++m_figures.back().count;
}

void COutlineHit::BezierTo(double x1, double y1, double x2, double y2, double x3, double y3)
{
    if (m_figures.empty())
        MoveTo(x1, y1);
    struct Piece
    {
        double x[4], y[4];
        int depth;
    };
    std::vector<Piece> stack;
    stack.push_back(Piece{{m_x.back(), x1, x2, x3}, {m_y.back(), y1, y2, y3}, 0});
    while (!stack.empty()) {
        const Piece p = stack.back();
        stack.pop_back();
        // The curve lies within its control polygon: flat when the inner control points lie near
        // the chord.
        const double d1 = SegmentDistanceSquared(p.x[1], p.y[1], p.x[0], p.y[0], p.x[3], p.y[3]);
        const double d2 = SegmentDistanceSquared(p.x[2], p.y[2], p.x[0], p.y[0], p.x[3], p.y[3]);
        if (p.depth >= kMaxBezierDepth || std::max(d1, d2) <= kFlatness * kFlatness) {
            LineTo(p.x[3], p.y[3]);
            continue;
        }
        // De Casteljau halves; the second half goes first onto the stack so the first is taken next.
        const double ax = (p.x[0] + p.x[1]) / 2, ay = (p.y[0] + p.y[1]) / 2;
        const double bx = (p.x[1] + p.x[2]) / 2, by = (p.y[1] + p.y[2]) / 2;
        const double cx = (p.x[2] + p.x[3]) / 2, cy = (p.y[2] + p.y[3]) / 2;
        const double abx = (ax + bx) / 2, aby = (ay + by) / 2;
        const double bcx = (bx + cx) / 2, bcy = (by + cy) / 2;
        const double mx = (abx + bcx) / 2, my = (aby + bcy) / 2;
        stack.push_back(Piece{{mx, bcx, cx, p.x[3]}, {my, bcy, cy, p.y[3]}, p.depth + 1});
        stack.push_back(Piece{{p.x[0], ax, abx, mx}, {p.y[0], ay, aby, my}, p.depth + 1});
    }
}

double COutlineHit::Distance(double x, double y) const
{
    double best = std::numeric_limits<double>::infinity();
    for (const Figure& f : m_figures) {
        if (f.count == 1) {
            const double dx = x - m_x[f.first], dy = y - m_y[f.first];
            best = std::min(best, dx * dx + dy * dy);
            continue;
        }
        for (size_t i = f.first + 1; i < f.first + f.count; ++i)
            best = std::min(best, SegmentDistanceSquared(x, y, m_x[i - 1], m_y[i - 1], m_x[i], m_y[i]));
    }
    return std::sqrt(best);
}

double COutlineHit::EdgeDistance(double x, double y) const
{
    double best = Distance(x, y);
    for (const Figure& f : m_figures) {
        if (f.count < 3)
            continue;
        const size_t last = f.first + f.count - 1;
        best = std::min(best, std::sqrt(SegmentDistanceSquared(x, y, m_x[last], m_y[last], m_x[f.first], m_y[f.first])));
    }
    return best;
}

bool COutlineHit::Inside(double x, double y) const
{
    bool inside = false;
    for (const Figure& f : m_figures) {
        for (size_t k = 0; k < f.count; ++k) {
            const size_t i = f.first + k;
            const size_t j = f.first + (k + 1) % f.count;
            const double yi = m_y[i], yj = m_y[j];
            if ((yi > y) == (yj > y))
                continue;
            const double crossX = m_x[i] + (y - yi) * (m_x[j] - m_x[i]) / (yj - yi);
            if (x < crossX)
                inside = !inside;
        }
    }
    return inside;
}

COutlineHit::Answer COutlineHit::StrokeAt(double x, double y, double width, double margin) const
{
    if (m_figures.empty())
        return Miss;
    const double half = width / 2;
    const double reach = half + margin;
    const double reach2 = reach * reach;
    // The pieces within reach, as runs along the figures. A region made of a widened path is
    // filled by the alternate rule: where the stroke overlaps itself (a figure crossing or
    // touching itself, a closed figure's two ends, a bend tighter than the pen) the overlap may
    // come out empty. The geometry answers a hit only where one gentle run of the outline is
    // near; elsewhere GDI decides.
    int runs = 0;
    double turning = 0.0;
    double nearest2 = std::numeric_limits<double>::infinity();
    for (const Figure& f : m_figures) {
        if (f.count == 1) {
            const double dx = x - m_x[f.first], dy = y - m_y[f.first];
            const double d2 = dx * dx + dy * dy;
            nearest2 = std::min(nearest2, d2);
            if (d2 <= reach2)
                ++runs;
            continue;
        }
        bool inRun = false;
        double lastAngle = 0.0;
        bool haveAngle = false;
        for (size_t i = f.first + 1; i < f.first + f.count; ++i) {
            const double d2 = SegmentDistanceSquared(x, y, m_x[i - 1], m_y[i - 1], m_x[i], m_y[i]);
            nearest2 = std::min(nearest2, d2);
            if (d2 > reach2) {
                inRun = false;
                continue;
            }
            if (!inRun) {
                ++runs;
                inRun = true;
                haveAngle = false;
            }
            const double dx = m_x[i] - m_x[i - 1], dy = m_y[i] - m_y[i - 1];
            if (dx == 0.0 && dy == 0.0)
                continue;
            const double angle = std::atan2(dy, dx);
            if (haveAngle) {
                double turn = std::fabs(angle - lastAngle);
                if (turn > kPi)
                    turn = 2 * kPi - turn;
                turning += turn;
            }
            lastAngle = angle;
            haveAngle = true;
        }
    }
    const double d = std::sqrt(nearest2);
    if (d > reach)
        return Miss;
    if (d >= half - margin)
        return Unsure;
    return runs == 1 && turning <= kGentleTurning ? Hit : Unsure;
}

COutlineHit::Answer COutlineHit::FillAt(double x, double y, double margin) const
{
    if (m_figures.empty())
        return Miss;
    if (EdgeDistance(x, y) <= margin)
        return Unsure;
    return Inside(x, y) ? Hit : Miss;
}
