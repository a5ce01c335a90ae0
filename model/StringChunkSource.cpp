#include "model/StringChunkSource.h"
#include <cstring>

CStringChunkSource::CStringChunkSource(const char* t) : text(t), length(t ? std::strlen(t) : 0) {}

DWORD CALLBACK ReadStringChunk(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG* copied)
{
    auto* source = reinterpret_cast<CStringChunkSource*>(cookie);
    LONG n = 0;
    if (source && buffer && requested > 0 && source->position < source->length) {
        const size_t rest = source->length - source->position;
        n = static_cast<size_t>(requested) <= rest ? requested : static_cast<LONG>(rest);
        std::memcpy(buffer, source->text + source->position, static_cast<size_t>(n));
        source->position += static_cast<size_t>(n);
    }
    if (copied)
        *copied = n;
    return 0;
}
