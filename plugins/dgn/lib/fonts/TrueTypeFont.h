#pragma once
// A TrueType font, drawn and measured through GDI on a sink that draws into a device context;
// elsewhere a text is 0.2 of its height wide per character and is not drawn.
#include "fonts/Font.h"

namespace dgn {

class CTrueTypeFont : public CFont {
public:
    // A font of the face (wide, any length; GDI takes its first 31 units). One reference.
    static CTrueTypeFont* Create(const char16_t* faceName);
    ~CTrueTypeFont() override;

    void Draw3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) override;
    void Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) override;
    double Width3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text) override;
    double Width2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text) override;

    // The GDI font for a pixel height (at least 2) and an angle in tenths of a degree (taken
    // modulo 3600, so -300 is 3300), made again only when either changes; null without GDI.
    void* PrepareGdiFont(std::int32_t height, std::int32_t angle);
    std::int32_t GetGdiHeight() const { return m_gdiHeight; }
    std::int32_t GetGdiAngle() const { return m_gdiAngle; }
    const char16_t* GetFaceName() const { return m_face; }

private:
    CTrueTypeFont() = default;
    double Width(IGeometrySink* sink, double height, double angle, const std::uint8_t* text);

    char16_t* m_face = nullptr;
    void* m_gdiFont = nullptr;
    std::int32_t m_gdiHeight = -1;
    std::int32_t m_gdiAngle = -1;
};

} // namespace dgn
