#pragma once
#include <windows.h>
#include <cstddef>

// A NUL-terminated text read by a rich-edit control in chunks (EM_STREAMIN): pass the source as
// the stream's cookie and ReadStringChunk as its callback.
struct CStringChunkSource
{
    explicit CStringChunkSource(const char* text);

    const char* text;
    size_t length;
    size_t position = 0;
};

// Copies up to `requested` bytes from the source's position; *copied receives the count (0 at the
// end). Always returns 0, so the control keeps reading until the text is exhausted.
DWORD CALLBACK ReadStringChunk(DWORD_PTR source, LPBYTE buffer, LONG requested, LONG* copied);
