// CShapeGrid: the children's extents in a uniform grid; the shapes' change generation.
#include "model/ShapeGrid.h"
#include "model/Group.h"
#include "model/Shape.h"
#include "YVEX_h.h"
#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
// Raised by every change that may move an extent (see CShape::NoteGeometryChange). One counter
// for the process: a change in one control makes the grids of the others build again too, which
// costs time only.
std::atomic<unsigned> g_geometryGeneration{1};

// About two children a cell; no axis beyond this many cells.
const double kChildrenPerCell = 2.0;
const int kMaxCellsPerAxis = 2048;
// A child whose extent covers more cells than this is kept in a list of its own, tested on
// every query, so that a few long shapes do not fill the grid.
const long kMaxCellsPerChild = 64;
} // namespace

void CShape::NoteAnyGeometryChange() { g_geometryGeneration.fetch_add(1, std::memory_order_relaxed); }

void CShape::NoteGeometryChange() const
{
    // The zoom-window and rubber-band rectangle and the highlights belong to no drawing: no grid
    // holds them or anything of theirs, and a rubber band or a zoom window changes the rectangle
    // at each step (which would otherwise make the next click build the grid again).
    const CShape* top = this;
    for (int depth = 0; top->GetParent() && depth < 256; ++depth)
        top = top->GetParent();
    if (top->GetId() == WINDOW_ID || top->GetId() == HIGHLIGHTS_ID)
        return;
    NoteAnyGeometryChange();
}

unsigned CShape::GeometryGeneration() { return g_geometryGeneration.load(std::memory_order_relaxed); }

bool CShapeGrid::IsCurrentFor(const std::vector<CShape*>& children, unsigned generation, const void* context,
                              unsigned long options) const
{
    return m_built && m_generation == generation && m_context == context && m_options == options &&
           m_listData == children.data() && m_listSize == children.size();
}

void CShapeGrid::Clear()
{
    m_built = false;
    m_boxes.clear();
    m_unbounded.clear();
    m_large.clear();
    m_overlaid.clear();
    m_plainPositions.clear();
    m_plainBoxes.clear();
    m_cellStart.clear();
    m_cellEntries.clear();
    m_seen.clear();
    m_columns = m_rows = 0;
    m_maxFixedPen = m_maxScaledPen = 0;
}

void CShapeGrid::CellRange(double lo, double hi, double origin, double size, int count, int* first, int* last) const
{
    const double a = std::floor((lo - origin) / size), b = std::floor((hi - origin) / size);
    *first = static_cast<int>(std::min<double>(std::max(a, 0.0), count - 1));
    *last = static_cast<int>(std::min<double>(std::max(b, 0.0), count - 1));
}

void CShapeGrid::Build(const std::vector<CShape*>& children, unsigned generation, const void* context,
                       unsigned long options)
{
    Clear();
    const size_t n = children.size();
    m_boxes.resize(n);
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    size_t bounded = 0;
    for (size_t i = 0; i < n; ++i) {
        CShape* child = children[i];
        const float pen = std::fabs(child->GetPenWeight());
        if (std::isfinite(pen)) {
            float& widest = (child->GetState() & CShape::stScalePenWeight) ? m_maxScaledPen : m_maxFixedPen;
            widest = std::max(widest, pen);
        } else {
            m_maxFixedPen = m_maxScaledPen = HUGE_VALF;
        }
        // Only a text draws in the overlay pass (its leader), and a group through its members.
        const bool members = child->IsGroup() && static_cast<CGroup*>(child)->GetShapeCount() > 0;
        if (child->GetShapeType() == stText || members)
            m_overlaid.push_back(static_cast<int>(i));
        float l, t, r, b;
        Box& box = m_boxes[i];
        const bool hasBox = SUCCEEDED(child->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 1)) && std::isfinite(l) &&
                             std::isfinite(t) && std::isfinite(r) && std::isfinite(b);
        if (members) {
            // A reference leaves its attributes out here (unless the control counts them).
            CRealRect plain;
            if (FAILED(child->GetBoundingRectEx(&plain.left, &plain.top, &plain.right, &plain.bottom, nullptr, 0)))
                plain = CRealRect(NAN, NAN, NAN, NAN);
            m_plainPositions.push_back(static_cast<int>(i));
            m_plainBoxes.push_back(plain);
        }
        if (!hasBox) {
            box = Box{NAN, NAN, NAN, NAN};
            m_unbounded.push_back(static_cast<int>(i));
            continue;
        }
        box = Box{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
        minX = std::min<double>(minX, box.left);
        minY = std::min<double>(minY, box.bottom);
        maxX = std::max<double>(maxX, box.right);
        maxY = std::max<double>(maxY, box.top);
        ++bounded;
    }
    if (bounded) {
        const double w = std::max(maxX - minX, 1e-6), h = std::max(maxY - minY, 1e-6);
        const double cells = std::max(1.0, bounded / kChildrenPerCell);
        m_columns = static_cast<int>(std::clamp(std::ceil(std::sqrt(cells * w / h)), 1.0, double(kMaxCellsPerAxis)));
        m_rows = static_cast<int>(std::clamp(std::ceil(cells / m_columns), 1.0, double(kMaxCellsPerAxis)));
        m_originX = minX;
        m_originY = minY;
        // A little beyond the extents, so that the largest coordinates fall inside the last cell.
        m_cellW = w * (1 + 1e-9) / m_columns + 1e-12;
        m_cellH = h * (1 + 1e-9) / m_rows + 1e-12;
        const size_t cellCount = static_cast<size_t>(m_columns) * m_rows;
        m_cellStart.assign(cellCount + 1, 0);
        // Two passes: the number of entries of each cell, then the entries.
        auto forCells = [&](const Box& box, auto&& visit) {
            int c0, c1, r0, r1;
            CellRange(box.left, box.right, m_originX, m_cellW, m_columns, &c0, &c1);
            CellRange(box.bottom, box.top, m_originY, m_cellH, m_rows, &r0, &r1);
            if (static_cast<long>(c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCellsPerChild)
                return false;
            for (int row = r0; row <= r1; ++row)
                for (int col = c0; col <= c1; ++col)
                    visit(static_cast<size_t>(row) * m_columns + col);
            return true;
        };
        for (size_t i = 0; i < n; ++i) {
            if (std::isnan(m_boxes[i].left))
                continue;
            if (!forCells(m_boxes[i], [&](size_t cell) { ++m_cellStart[cell + 1]; }))
                m_large.push_back(static_cast<int>(i));
        }
        for (size_t c = 0; c < cellCount; ++c)
            m_cellStart[c + 1] += m_cellStart[c];
        m_cellEntries.resize(m_cellStart[cellCount]);
        std::vector<uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
        size_t nextLarge = 0;
        for (size_t i = 0; i < n; ++i) {
            if (std::isnan(m_boxes[i].left))
                continue;
            if (nextLarge < m_large.size() && m_large[nextLarge] == static_cast<int>(i)) {
                ++nextLarge;
                continue;
            }
            forCells(m_boxes[i], [&](size_t cell) { m_cellEntries[fill[cell]++] = static_cast<int>(i); });
        }
    }
    m_seen.assign(n, 0);
    m_queryStamp = 0;
    m_generation = generation;
    m_context = context;
    m_options = options;
    m_listData = children.data();
    m_listSize = n;
    m_built = true;
}

void CShapeGrid::Query(const CRealRect& rect, std::vector<int>& positions) const
{
    positions.clear();
    const double x0 = std::min(rect.left, rect.right), x1 = std::max(rect.left, rect.right);
    const double y0 = std::min(rect.bottom, rect.top), y1 = std::max(rect.bottom, rect.top);
    if (!(std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1))) {
        // A rectangle that is no rectangle: everything, as a walk of the list would test.
        for (size_t i = 0; i < m_boxes.size(); ++i)
            positions.push_back(static_cast<int>(i));
        return;
    }
    if (++m_queryStamp == 0) {
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_queryStamp = 1;
    }
    auto meets = [&](int i) {
        const Box& b = m_boxes[i];
        return b.left <= x1 && b.right >= x0 && b.bottom <= y1 && b.top >= y0;
    };
    auto take = [&](int i) {
        if (m_seen[i] == m_queryStamp)
            return;
        m_seen[i] = m_queryStamp;
        if (meets(i))
            positions.push_back(i);
    };
    if (m_columns > 0 && x0 <= m_originX && y0 <= m_originY && x1 >= m_originX + m_cellW * m_columns &&
        y1 >= m_originY + m_cellH * m_rows) {
        // The rectangle takes in the whole grid (a full view): every child, in order.
        positions.resize(m_boxes.size());
        for (size_t i = 0; i < m_boxes.size(); ++i)
            positions[i] = static_cast<int>(i);
        return;
    }
    positions.insert(positions.end(), m_unbounded.begin(), m_unbounded.end());
    for (int i : m_large)
        take(i);
    if (m_columns > 0 && x1 >= m_originX && y1 >= m_originY && x0 <= m_originX + m_cellW * m_columns &&
        y0 <= m_originY + m_cellH * m_rows) {
        int c0, c1, r0, r1;
        CellRange(x0, x1, m_originX, m_cellW, m_columns, &c0, &c1);
        CellRange(y0, y1, m_originY, m_cellH, m_rows, &r0, &r1);
        for (int row = r0; row <= r1; ++row) {
            const size_t base = static_cast<size_t>(row) * m_columns;
            for (size_t k = m_cellStart[base + c0]; k < m_cellStart[base + c1 + 1]; ++k)
                take(m_cellEntries[k]);
        }
    }
    std::sort(positions.begin(), positions.end());
}

bool CShapeGrid::FindExtent(unsigned generation, const void* context, unsigned long flags, long* result,
                            CRealRect* rect) const
{
    const Extent& e = m_extents[flags & 1];
    if (!e.kept || e.generation != generation || e.context != context || e.flags != flags)
        return false;
    *result = e.result;
    *rect = e.rect;
    return true;
}

void CShapeGrid::KeepExtent(unsigned generation, const void* context, unsigned long flags, long result,
                            const CRealRect& rect)
{
    m_extents[flags & 1] = Extent{true, generation, context, flags, result, rect};
}

bool CShapeGrid::GetPlainBox(int position, CRealRect* rect) const
{
    auto at = std::lower_bound(m_plainPositions.begin(), m_plainPositions.end(), position);
    if (at == m_plainPositions.end() || *at != position)
        return GetBox(position, rect);
    const CRealRect& plain = m_plainBoxes[static_cast<size_t>(at - m_plainPositions.begin())];
    if (std::isnan(plain.left))
        return false;
    *rect = plain;
    return true;
}

bool CShapeGrid::GetBox(int position, CRealRect* rect) const
{
    const Box& b = m_boxes[static_cast<size_t>(position)];
    if (std::isnan(b.left))
        return false;
    *rect = CRealRect(b.left, b.top, b.right, b.bottom);
    return true;
}
