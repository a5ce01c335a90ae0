#pragma once
// CRtfReader: an RTF document (the text of a rich text) as the text of a DXF MTEXT entity with
// inline formatting codes. A table says what each known control word does; a stack keeps the
// state of the enclosing groups. Two copies of the character properties are kept, the one in
// force and the one last written out, and codes are written for their differences just before the
// next character of text. One reader per conversion: construct, Parse, Result.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

struct RtfCharProps
{
    int32_t bold = 0;
    int32_t underline = 0;
    int32_t italic = 0;
    int32_t font = 0;
    int32_t colour = 0;
    uint8_t superscript = 0;
    uint8_t subscript = 0;
    int32_t size = 12; // half-points
    int32_t expansion = 0;
    int32_t widthPercent = 100;
    int32_t charset = 0;
    uint8_t red = 0, green = 0, blue = 0;
};

// Paragraph, section and document properties: kept as the control words say, never written.
struct RtfParaProps
{
    int32_t leftIndent = 0, rightIndent = 0, firstIndent = 0;
    uint8_t justification = 0;
};

struct RtfSectionProps
{
    int32_t columns = 0;
    uint8_t breakKind = 0;
    int32_t pageNumberX = 0, pageNumberY = 0;
    uint8_t pageNumberFormat = 0;
};

struct RtfDocProps
{
    int32_t pageWidth = 0, pageHeight = 0, leftMargin = 0, topMargin = 0, rightMargin = 0, bottomMargin = 0,
            firstPage = 0;
    uint8_t facingPages = 0, landscape = 0;
};

class CRtfReader
{
public:
    // Parse results.
    enum Status {
        rsOk = 0,
        rsUnmatchedClose = 1,    // a '}' with no open group
        rsOpenGroups = 3,        // the text ended with groups still open
        rsBadHex = 4,            // a character after \' that is no hexadecimal digit
        rsBadTableEntry = 5,
        rsBadInputState = 6,
        rsEmptyOrEndsInEscape = 7 // no text, or a backslash at its very end
    };
    enum Destination { dNormal = 0, dSkip = 1, dFontTable = 2, dColourTable = 3, dStacked = 4 };
    enum InputState { isNormal = 0, isBinary = 1, isHex = 2 };

    // scale: between RTF sizes and MTEXT heights.
    explicit CRtfReader(double scale);

    int32_t Parse(const char* rtf);
    // The MTEXT, closed with '}' when it does not end with one. Use it only after Parse gave 0.
    std::string Result();

    struct Font
    {
        std::string name;
        int32_t charset = 0;
        bool complete = false;
    };
    struct Saved
    {
        RtfCharProps chars;
        RtfParaProps para;
        RtfSectionProps section;
        RtfDocProps document;
        int32_t destination;
        int32_t inputState;
    };

private:
    int32_t ControlWord(size_t& i);
    int32_t Keyword(const std::string& keyword, bool hasParam, int32_t param);
    void StoreProperty(int property, int32_t value);
    void Character(unsigned value);
    void WriteChanges();
    void CloseStack();
    void Push();
    int32_t Pop();

    int32_t m_groupDepth = 0;
    int32_t m_destination = dNormal;
    int32_t m_inputState = isNormal;
    RtfCharProps m_current;
    RtfCharProps m_written;
    RtfParaProps m_para;
    RtfSectionProps m_section;
    RtfDocProps m_document;
    std::map<int32_t, Font> m_fonts;
    std::deque<Saved> m_stack;
    int32_t m_binaryLeft = 0;
    // The byte being read after \' and how many of its two digits were read.
    int m_hexValue = 0;
    int m_hexDigits = 0;
    int32_t m_lastParam = 0;
    bool m_skipIfUnknown = false;
    std::string m_input;
    std::string m_output;
    double m_scale;
    std::vector<int32_t> m_palette;
    // A stacked fraction in the output: whether its separator was written, and whether the
    // super- or subscript that holds it was switched off (the next character decides whether
    // the fraction goes on with its separator or ends).
    bool m_stackSeparatorSeen = false;
    bool m_stackEndPending = false;
};
