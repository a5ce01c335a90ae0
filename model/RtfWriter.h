#pragma once
// CRtfWriter: the text of a DXF MTEXT entity, with its inline formatting codes (a backslash, a
// code letter, mostly a value and a closing ';'), as a complete RTF document. A text read from an
// MTEXT entity becomes a rich text this way. A writer is used once: construct, Write, Result.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// What the conversion collects: the size in force, the font and colour tables in order of first
// use, and the converted body.
struct RtfWriterState
{
    virtual ~RtfWriterState() = default;

    // Character size in RTF half-points; every height code replaces it.
    int32_t currentSize = 0;
    // MTEXT height units to millimetres.
    double scale = 1.0;
    // One font-table entry per font code (entry k is RTF font k + 1).
    std::vector<std::string> fonts;
    // Colour-table entries (entry k is RTF colour k + 1), colour words 0x00BBGGRR.
    std::vector<DWORD> colours;
    std::string body;
    // Scratch for the escape form of one character.
    std::string escape;
};

class CRtfWriter
{
public:
    CRtfWriter(int32_t initialSize, double scale);
    CRtfWriter(const CRtfWriter&) = delete;
    CRtfWriter& operator=(const CRtfWriter&) = delete;

    // Converts the MTEXT into the RTF document of Result; 0. A second call starts afresh. Codes
    // the conversion has no RTF for are passed over and the text kept: a bare code's letter, a
    // value code up to its ';'; \U+xxxx and \M+nxxxx become the character in the text's (ANSI)
    // code page, '?' when it has none.
    int32_t Write(const char* mtext);
    const std::string& Result() const { return m_result; }

private:
    void Assemble();

    std::string m_source;
    std::string m_result;
    RtfWriterState m_state;
    int32_t m_initialSize;
};
