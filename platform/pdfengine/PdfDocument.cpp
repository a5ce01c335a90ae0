#include "PdfDocument.h"
#include <zlib.h>
#include <cstdio>
#include <stdexcept>

namespace wpdf {

namespace {

std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// A hatch of GDI's 8 x 8 cell as lines in the pattern's space (y up, as the page's default space).
std::string HatchLines(int hatch)
{
    switch (hatch) {
    case HS_HORIZONTAL:
        return "0 4 m 8 4 l S\n";
    case HS_VERTICAL:
        return "4 0 m 4 8 l S\n";
    case HS_FDIAGONAL:  // down from left to right on the page
        return "0 8 m 8 0 l S\n-4 4 m 4 -4 l S\n4 12 m 12 4 l S\n";
    case HS_BDIAGONAL:  // up from left to right
        return "0 0 m 8 8 l S\n-4 4 m 4 12 l S\n4 -4 m 12 4 l S\n";
    case HS_CROSS:
        return "0 4 m 8 4 l S\n4 0 m 4 8 l S\n";
    default:  // HS_DIAGCROSS
        return "0 8 m 8 0 l S\n-4 4 m 4 -4 l S\n4 12 m 12 4 l S\n0 0 m 8 8 l S\n-4 4 m 4 12 l S\n4 -4 m 12 4 l S\n";
    }
}

} // namespace

std::string Deflate(const std::string& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::bad_alloc();
    out.resize(size);
    return out;
}

std::string CPdfDocument::Write() const
{
    std::string file = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets(1, 0);
    std::vector<std::string> bodies;
    // Objects are numbered as they are made; 1 is the catalog, 2 the page tree.
    auto add = [&](const std::string& body) {
        bodies.push_back(body);
        return static_cast<int>(bodies.size());
    };
    auto stream = [&](const std::string& dictionary, const std::string& data) {
        return "<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    add("");  // catalog
    add("");  // page tree
    std::string kids;
    for (const CPdfPage& page : m_pages) {
        std::string resources = "<< /ProcSet [/PDF /Text /ImageC]";
        if (!page.Fonts().empty()) {
            resources += " /Font <<";
            for (const auto& font : page.Fonts()) {
                const int id = add("<< /Type /Font /Subtype /Type1 /BaseFont /" + font.second +
                                   " /Encoding /WinAnsiEncoding >>");
                resources += " /" + font.first + " " + std::to_string(id) + " 0 R";
            }
            resources += " >>";
        }
        if (!page.Images().empty()) {
            resources += " /XObject <<";
            for (size_t i = 0; i < page.Images().size(); ++i) {
                const PdfImage& image = page.Images()[i];
                const int id = add(stream("/Type /XObject /Subtype /Image /Width " + std::to_string(image.width) +
                                              " /Height " + std::to_string(image.height) +
                                              " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
                                          Deflate(std::string(image.rgb.begin(), image.rgb.end()))));
                resources += " /Im" + std::to_string(i + 1) + " " + std::to_string(id) + " 0 R";
            }
            resources += " >>";
        }
        if (!page.Patterns().empty()) {
            resources += " /Pattern <<";
            for (size_t i = 0; i < page.Patterns().size(); ++i) {
                const PdfPattern& pattern = page.Patterns()[i];
                const COLORREF c = pattern.colour;
                const std::string cell = "q\n" + Num(GetRValue(c) / 255.0) + " " + Num(GetGValue(c) / 255.0) + " " +
                                         Num(GetBValue(c) / 255.0) + " RG\n0.75 w\n" + HatchLines(pattern.hatch) + "Q\n";
                const int id = add(stream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 8 8]"
                                          " /XStep 8 /YStep 8 /Resources << >>",
                                          cell));
                resources += " /P" + std::to_string(i + 1) + " " + std::to_string(id) + " 0 R";
            }
            resources += " >>";
        }
        resources += " >>";
        const int content = add(stream("/Filter /FlateDecode", Deflate(page.Content())));
        const int id = add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Num(m_width) + " " + Num(m_height) +
                           "] /Resources " + resources + " /Contents " + std::to_string(content) + " 0 R >>");
        kids += std::to_string(id) + " 0 R ";
    }
    bodies[0] = "<< /Type /Catalog /Pages 2 0 R >>";
    bodies[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(m_pages.size()) + " >>";

    for (size_t i = 0; i < bodies.size(); ++i) {
        offsets.push_back(file.size());
        file += std::to_string(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
    }
    const size_t xref = file.size();
    file += "xref\n0 " + std::to_string(bodies.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t i = 1; i < offsets.size(); ++i) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offsets[i]);
        file += line;
    }
    file += "trailer\n<< /Size " + std::to_string(bodies.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
    return file;
}

} // namespace wpdf
