#pragma once
#include <cstdint>
#include <vector>
#include "model/RealRect.h"

class CShape;

// A uniform grid over the extents of a group's children, so that a view, a click or a rubber
// band visits the children near it instead of all of them. It answers positions in the child
// list, ascending, so that callers keep the list's (Z) order. Beside it, what else the drawing's
// root derives from all its children once per change: the children that may draw an overlay,
// and the union of their extents.
//
// The grid is a snapshot: it holds the children's extents as they were when it was built and
// is built again once the shapes' change generation (CShape::GeometryGeneration), the child
// list or the caller's context (what else the extents depend on) differs from the one it was
// built for. Every change that can move an extent raises that
// generation: an extent invalidated, a state bit other than the selection and the extent cache,
// a pen weight, a child list changed.
class CShapeGrid
{
public:
    // Whether the grid was built for this list in this generation and context (a pointer and
    // option bits of the caller's).
    bool IsCurrentFor(const std::vector<CShape*>& children, unsigned generation, const void* context,
                      unsigned long options) const;
    // Takes every child's extent (with its attributes) and pen weight, and of the children with
    // members also the extent without attributes, taken last (as a paint takes it).
    void Build(const std::vector<CShape*>& children, unsigned generation, const void* context, unsigned long options);
    void Clear();
    // The generation the grid counts as built for.
    void SetGeneration(unsigned generation) { m_generation = generation; }
    // Positions of the children whose extent meets the rectangle (edges included; any corner
    // order), and of those without an extent, ascending.
    void Query(const CRealRect& rect, std::vector<int>& positions) const;
    // The largest pen weight of the children, apart for pens that scale with the view.
    float MaxFixedPenWeight() const { return m_maxFixedPen; }
    float MaxScaledPenWeight() const { return m_maxScaledPen; }
    size_t Size() const { return m_boxes.size(); }
    // The extent (with attributes) the child at the position had when the grid was built, ordered
    // (left <= right, bottom <= top); false for a child without one.
    bool GetBox(int position, CRealRect* rect) const;
    // The extent the child at the position answered GetBoundingRect with when the grid was built
    // (of a child with members the extent without attributes, as it answered it; of another the
    // box above); false for a child without one.
    bool GetPlainBox(int position, CRealRect* rect) const;
    // Positions of the children whose overlay pass may draw (texts, and groups with members),
    // ascending: the overlay of any other shape draws nothing.
    const std::vector<int>& Overlaid() const { return m_overlaid; }

    // The group's extent as GetBoundingRectEx last answered it for these flags (a key of the
    // caller's) in this generation and context: its result, and the rectangle (written on S_OK).
    bool FindExtent(unsigned generation, const void* context, unsigned long flags, long* result,
                    CRealRect* rect) const;
    void KeepExtent(unsigned generation, const void* context, unsigned long flags, long result, const CRealRect& rect);

private:
    struct Box
    {
        float left, bottom, right, top;
    };
    void CellRange(double lo, double hi, double origin, double size, int count, int* first, int* last) const;

    unsigned m_generation = 0;
    const void* m_context = nullptr;
    unsigned long m_options = 0;
    const CShape* const* m_listData = nullptr;
    size_t m_listSize = 0;
    bool m_built = false;

    std::vector<Box> m_boxes;          // by position
    std::vector<int> m_unbounded;      // positions without an extent
    std::vector<int> m_large;          // positions covering many cells
    std::vector<int> m_overlaid;       // positions that may draw an overlay
    std::vector<int> m_plainPositions; // positions of the children with members, ascending
    std::vector<CRealRect> m_plainBoxes; // their extents without attributes (NaN: none)
    std::vector<uint32_t> m_cellStart; // cells' first entries in m_cellEntries (columns x rows + 1)
    std::vector<int> m_cellEntries;
    double m_originX = 0, m_originY = 0, m_cellW = 1, m_cellH = 1;
    int m_columns = 0, m_rows = 0;
    float m_maxFixedPen = 0, m_maxScaledPen = 0;
    // Marks of the positions already taken by the query running (a grid is used by one thread).
    mutable std::vector<uint32_t> m_seen;
    mutable uint32_t m_queryStamp = 0;

    // The extents kept, one for each of the two flag values callers use (with and without the
    // attributes of references).
    struct Extent
    {
        bool kept = false;
        unsigned generation = 0;
        const void* context = nullptr;
        unsigned long flags = 0;
        long result = 0;
        CRealRect rect;
    };
    Extent m_extents[2];
};
