#pragma once
// The base of the library's fonts: a text's placement by its justification, its box, and the
// reference count of the font caches that hand fonts out. The classes measure and draw.
//
// The justification grid: 21 positions, each with factors A (x per text width), B (y per
// height), C (x per height) and D (y per height). A position p lies at
// (-A[p] * w - C[p] * h, (1 - B[p]) * h - D[p] * h) of the text's own frame, whose origin is
// the pen's start at the left of the base line: position 0 is the bottom left, 2 the bottom
// right, 6 the top left, 8 the top right, 4 the centre (0.6 of the height from the top). A
// DGN justification code (0-15) names one of them (JustificationToGridIndex).
#include "GeometryTypes.h"

#include <cstdint>
#include <string>

namespace dgn {

class IGeometrySink;

// The grid position of a DGN justification code; codes outside 0-15 give 0.
int JustificationToGridIndex(int code);

class CFont {
public:
    virtual ~CFont();

    void AddRef() { ++m_references; }
    // One reference less; the font deletes itself at 0.
    virtual void Release();
    std::int32_t GetReferences() const { return m_references; }
    std::int32_t GetFontNumber() const { return m_fontNumber; }
    void SetFontNumber(std::int32_t number) { m_fontNumber = number; }

    // The text emitted into a sink, placed by its justification.
    virtual void Draw3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) = 0;
    virtual void Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) = 0;
    // The text's width in design units (0 for a zero height).
    virtual double Width3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) = 0;
    virtual double Width2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) = 0;

    // (w * A[to] + h * C[to] - w * A[from] - h * C[from], h * B[to] + h * D[to] - h * B[from] -
    // h * D[from]): where position from lies seen from position to.
    static Point2d JustificationOffset(double w, double h, int to, int from);
    // The point of grid position to of a text of width w and height h placed as placement says
    // (its origin standing at its justification's position; the top left for vertical text).
    Point2d JustifiedOrigin2d(const TextParams2d* placement, double w, double h, int to) const;
    Point3d JustifiedOrigin3d(const TextParams3d* placement, double w, double h, int to) const;
    // The four corners of the text's box (positions 0, 2, 8, 6), measured by the font.
    void TextBox2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text, Point2d corners[4]);
    void TextBox3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text, Point3d corners[4]);

    double GetCharacterSpacing() const { return m_spacing; }

protected:
    CFont() = default;
    // The text's characters: 8-bit text byte for byte, UTF-16 text unit for unit.
    static std::u16string Characters(const std::uint8_t* text);
    // The text in the ANSI code page (what the 8-bit fonts draw).
    static std::string AnsiCharacters(const std::uint8_t* text);
    // Width per height of the placement's characters (its length and height multipliers).
    template <class Placement>
    static double WidthFactor(const Placement* p)
    {
        return p->heightMultiplier != 0.0 ? p->lengthMultiplier / p->heightMultiplier : 1.0;
    }
    // The character spacing of a text style linkage that has one (flag bit 0).
    void TakeStyleSpacing(const class CTextStyleLinkage* style);
    int JustificationOf(std::uint16_t code) const;

    std::int32_t m_references = 0;
    std::int32_t m_fontNumber = 0;
    double m_height = 0.0;
    double m_spacing = 0.0;
    std::uint8_t m_vertical = 0;
};

} // namespace dgn
