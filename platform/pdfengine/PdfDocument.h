#pragma once
// CPdfDocument: a PDF file of pages made by CPdfPage: the catalog, the page tree, each page with
// its content stream (compressed), its fonts (the standard fonts in WinAnsi encoding), images
// (compressed RGB) and tiling patterns, then the cross-reference table and the trailer.
#include <cstdio>
#include <string>
#include <vector>
#include "PdfPage.h"

namespace wpdf {

class CPdfDocument
{
public:
    CPdfDocument(double width, double height) : m_width(width), m_height(height) {}

    void AddPage(const CPdfPage& page) { m_pages.push_back(page); }
    // The whole file's bytes.
    std::string Write() const;

private:
    double m_width;
    double m_height;
    std::vector<CPdfPage> m_pages;
};

// The bytes compressed with zlib (FlateDecode).
std::string Deflate(const std::string& data);

} // namespace wpdf
