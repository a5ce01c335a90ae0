#pragma once
// Texts longer than one DXF group holds (CDxfFile::kMaxTextLength), written in pieces and joined
// again by our reader. Each piece is a group of its own: other readers take the first and pass
// the continued groups by.
#include <cstddef>
#include <string>

class CDxfFile;

// The text in pieces of at most `piece` characters (at most one group's): the first under
// `code`, the rest under `continuation`, cut where no blank meets the cut (ASCII readers drop the
// blanks at the ends of a value). False when a piece could not be written.
bool WriteDxfTextPieces(CDxfFile& dxf, int code, int continuation, const char* text, size_t piece);

// Appends the values of the `continuation` groups that follow the current group to `text`; the
// first group of another code is pushed back for the next read.
void ReadDxfTextContinuation(CDxfFile& dxf, int continuation, std::string& text);
