#pragma once
#include <cstddef>
#include <vector>

class CLineTypeMap;

// One family of parallel lines of a hatch pattern: the direction, a point on the first line, the
// step from one line of the family to the next (along the lines and across them) and the dash
// list the lines are drawn with. Lengths are in the pattern map's unit (inches or millimetres).
class CHatchPatternLine
{
public:
    CHatchPatternLine() = default;
    CHatchPatternLine(const CHatchPatternLine&) = default;
    CHatchPatternLine& operator=(const CHatchPatternLine&) = default;
    virtual ~CHatchPatternLine() = default;

    // Fills the line from one definition line "angle, x, y, dx, dy, dash, ..." (length bytes,
    // the line end excluded); lengths are taken times 25.4 when toMillimetres is set. True when
    // at least the five fields of the family were read; fields not read keep their defaults.
    bool Parse(const char* text, size_t length, bool toMillimetres);
    // The length of one repetition of the dash list: 0 for fewer than two dashes, else the sum of
    // their magnitudes.
    double GetDashPeriod() const;
    // The ID of the line type drawn for the dash list, registered in the map on first use (an
    // equal type there is shared) and remembered.
    int GetLineTypeId(CLineTypeMap& lineTypes, int* id = nullptr);
    // Multiplies every length (origin, offsets, dashes) by the factor; the angle stays.
    void ScaleLengths(double factor);

    // Degrees counter-clockwise from the x axis.
    double m_angle = 0.0;
    double m_originX = 0.0;
    double m_originY = 0.0;
    // The shift along the lines from one line to the next, and the distance across them.
    double m_offsetX = 0.0;
    double m_offsetY = 5.0;
    // Positive a dash, negative a gap, 0 a dot; empty: continuous lines.
    std::vector<double> m_dashes;
    // The registered line type of the dash list; 0 until first needed.
    int m_lineTypeId = 0;
};
