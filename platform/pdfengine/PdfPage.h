#pragma once
// CPdfPage: what was drawn on one page's device context (an enhanced metafile of the recording
// DC, in points with y down) turned into a PDF content stream and the resources it uses:
// standard fonts, images and hatch patterns.
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace wpdf {

struct PdfImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top row first, 3 bytes a pixel
};

struct PdfPattern {
    int hatch = 0;        // the GDI hatch style (HS_HORIZONTAL ... HS_DIAGCROSS)
    COLORREF colour = 0;  // of the lines
};

class CPdfPage
{
public:
    // Walks the records of the metafile's bytes; records that are cut or lie about their sizes
    // end the walk (what came before stays).
    void Convert(const uint8_t* emf, size_t size, double pageHeight);

    const std::string& Content() const { return m_content; }
    // The standard fonts used, by resource name (F1 ...), as their base font names.
    const std::map<std::string, std::string>& Fonts() const { return m_fonts; }
    const std::vector<PdfImage>& Images() const { return m_images; }
    const std::vector<PdfPattern>& Patterns() const { return m_patterns; }

    // Windows-1252 bytes of UTF-16 text, '?' for what the code page lacks.
    static std::string WinAnsi(const wchar_t* text, size_t length);
    // A PDF literal string of the bytes: (...) with \ ( ) escaped.
    static std::string Literal(const std::string& bytes);

private:
    friend class CEmfWalker;
    std::string m_content;
    std::map<std::string, std::string> m_fonts;
    std::vector<PdfImage> m_images;
    std::vector<PdfPattern> m_patterns;
};

} // namespace wpdf
