#pragma once
#include <cstddef>
#include <vector>

// An outline in device pixels for hit tests by geometry: figures of straight pieces, Bezier
// pieces flattened far below a pixel. It answers what a GDI region made of the same outline
// answers, the stroke widened with round ends and joins or the inside of its figures, except
// within a margin about the region's edge: GDI rounds the outline's points, flattens curves to
// about a pixel and sets whole pixels, so there the answer is Unsure and the caller asks GDI.
class COutlineHit
{
public:
    enum Answer { Miss, Hit, Unsure };

    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    // A cubic Bezier piece from the current point.
    void BezierTo(double x1, double y1, double x2, double y2, double x3, double y3);
    bool IsEmpty() const { return m_figures.empty(); }

    // The distance from (x, y) to the nearest piece; a figure of one point is that point.
    double Distance(double x, double y) const;
    // Whether (x, y) lies inside the figures, each closed by a straight piece from its last point
    // back to its first, by the alternate (even-odd) rule of a region made of a path.
    bool Inside(double x, double y) const;

    // The stroke of the outline by a pen `width` pixels wide with round ends and joins.
    Answer StrokeAt(double x, double y, double width, double margin) const;
    // The inside of the figures.
    Answer FillAt(double x, double y, double margin) const;

private:
    struct Figure
    {
        size_t first;
        size_t count;
    };
    // The distance to the outline with each figure closed, as a region's edge runs.
    double EdgeDistance(double x, double y) const;

    std::vector<double> m_x, m_y;
    std::vector<Figure> m_figures;
};
