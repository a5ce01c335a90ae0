#pragma once
// A packed device-independent bitmap as the clipboard's CF_DIB holds it (a BITMAPINFOHEADER or a
// later header, its colour masks and colour table, then the pixels), made into the bytes of a BMP
// file that the image loader reads.
#include <cstddef>
#include <vector>

// The file: a 14-byte file header whose pixel offset lies past the header, the masks and the
// colour table as the header describes them, then the data with its image size set to the rows
// of its pixels. False (nothing written) for data shorter than its header says, or for a header
// that no bitmap has.
bool BuildBitmapFileImage(const void* dib, size_t size, std::vector<unsigned char>* file);
