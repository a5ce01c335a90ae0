#pragma once
// A stroke font in the .fnt layout (three are built into the library: "stdtext.fnt",
// "smooth.fnt", "fancy.fnt"):
//   bytes 0-255     the advance width of each character code
//   from byte 256   a table of 16-bit offsets into the data: entry 0 is the offset of the
//                   14-byte header (cell height i32, base line i16, a word, spacing i16, four
//                   bytes), entry c the offset of the strokes of character c
//   strokes         records until a byte 0xFF: b0, b1 with x = b0 & 0x7F, y = (b1 & 0x7F) -
//                   base line; b1 bit 7 marks an arc (three more bytes: radius, start and end
//                   in 256ths of a turn), else a point (b0 bit 7: a line from the last point)
// Offsets and records are read only inside the data.
#include "fonts/Font.h"

namespace dgn {

class CFntFont : public CFont {
public:
    // The built-in font of that file name (its file part, case ignored), else the file read
    // from disk; null when it cannot be read or holds no font. One reference.
    static CFntFont* Create(const char* fileName);
    // A font of the data (copied); null when it holds no font. One reference.
    static CFntFont* CreateFromData(const std::uint8_t* data, std::uint32_t size);
    ~CFntFont() override;

    void Draw3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) override;
    void Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) override;
    double Width3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) override;
    double Width2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) override;

    // Emits the strokes of one character at the pen (penX + x * scaleX, penY + y * scaleY),
    // turned by angle about (aboutX, aboutY) (2-D); the advance in font units.
    int EmitGlyph(IGeometrySink* sink, unsigned char c, double penX, double penY, double scaleX, double scaleY, double angle, double aboutX,
                  double aboutY);
    std::int32_t GetCellHeight() const { return m_cellHeight; }
    int Advance(unsigned char c) const;

private:
    CFntFont() = default;
    bool Load(const std::uint8_t* data, std::uint32_t size);
    template <class Placement>
    double Width(const Placement* placement, const std::uint8_t* text);
    void DrawGlyphs(IGeometrySink* sink, const std::string& text, double penX, double penY, double scaleX, double scaleY, double angle,
                    double aboutX, double aboutY);

    std::uint8_t* m_data = nullptr;
    std::uint32_t m_size = 0;
    std::int32_t m_cellHeight = 0;
    std::int16_t m_baseline = 0;
    std::int16_t m_headerSpacing = 0;
};

} // namespace dgn
