#pragma once
// A shape font of an SHX file: 'S' files ("AutoCAD-86 shapes 1.0": after the 0x1A byte the
// first and last numbers, the shape count, an index of (number, byte count) pairs and the
// definitions in its order) and 'U' files ("AutoCAD-86 unifont 1.0": after the 0x1A byte and
// six more, the font's name and five bytes, then records of a code, a byte count and the
// shape). A definition is a zero-terminated name and shape bytes in the published SHX codes;
// every byte is read inside its definition, and subshapes and the position stack are bounded.
#include "fonts/Font.h"

namespace dgn {

class CShxFont : public CFont {
public:
    // The font of the file (a wide path); null when it cannot be read. One reference.
    static CShxFont* Create(const char16_t* path);
    // The font of the data (copied); null when it is no shape font (byte 11 neither S nor U).
    static CShxFont* CreateFromData(const std::uint8_t* data, std::uint32_t size);
    ~CShxFont() override;

    void Draw3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) override;
    void Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) override;
    double Width3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) override;
    double Width2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) override;

    // Runs the definition of a character code (0-255) from the pen at the scale (sink null:
    // measuring only); the pen's x distance at its end.
    double EmitShape(IGeometrySink* sink, unsigned char code, double penX, double penY, double scaleX, double scaleY, double angle,
                     double aboutX, double aboutY);
    bool HasShape(unsigned char code) const { return m_shapes[code].bytes != nullptr; }
    int Advance(unsigned char code) const { return m_advance[code]; }
    // Units of a character above the base line: text height per this many shape units.
    int GetAbove() const { return m_above; }

private:
    struct Shape {
        const std::uint8_t* bytes;
        std::uint32_t size;
    };
    struct Pen;

    CShxFont() = default;
    bool Load(const std::uint8_t* data, std::uint32_t size);
    void Define(std::uint32_t number, const std::uint8_t* record, std::uint32_t size);
    void Run(Pen& pen, std::uint32_t number, int depth);
    static void Bulge(Pen& pen, int dx, int dy, int bulge);
    const Shape* Find(std::uint32_t number) const;
    template <class Placement>
    double Width(const Placement* placement, const std::uint8_t* text);

    std::uint8_t* m_data = nullptr;
    std::uint32_t m_size = 0;
    Shape m_shapes[256] = {};
    int m_advance[256] = {};
    int m_above = 0;
};

} // namespace dgn
