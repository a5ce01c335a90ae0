#pragma once
// Edits of a rich text's RTF that the text shape makes as a string: the default font table and
// size put in where a document lacks them, a colour put in for the whole text, and the font
// description read from its font table and switches.
#include <windows.h>
#include <string>

// A rich text ("{\rtf...") made ready for the rich-edit window: with a font table and a size of
// its own it gets the selector \f0 before its first size; without a size (or with a selector but
// no font table) it gets the default font table "{\fonttbl{\f0\fnil\fprq2\fcharset204 Txt;}}" and,
// where its text begins, "\f0\fs" with the height rounded (0 for no height). False when the text
// stays as it is (not RTF, or a size without a selector).
bool NormalizeRtfText(const std::string& rtf, float height, std::string* out);

// The RTF with the colour added to its colour table (one made when it has none) and selected
// for the text that follows the document's header.
std::string AddRtfTextColour(const std::string& rtf, COLORREF colour);

// What a rich text's font table and switches say of its font: the charset of the first entry,
// its face name, and the style bits 0x1 underline, 0x2 strikethrough, 0x4 italic that a switch
// turns on somewhere. Values the text does not give are left as they are.
void ReadRtfFontDescription(const std::string& rtf, int* charset, std::string* face, DWORD* style);
