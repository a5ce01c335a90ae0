#pragma once
// The raw payload of the elements that keep what the library does not interpret (unknown
// elements, application data): a byte array that is read, cloned and written back unchanged.
#include <cstdint>

namespace dgn {

class CByteArray;

// Payload arrays start with room for 64 bytes.
constexpr std::uint32_t kPayloadStep = 64;

// The payload becomes the bytes from begin to end; false when memory runs out.
bool AssignPayload(CByteArray* payload, const std::uint8_t* begin, const std::uint8_t* end);
// Zero bytes added up to size bytes (nothing when the payload is that long); false when memory
// runs out.
bool PadPayload(CByteArray* payload, std::uint64_t size);
// One zero byte added when the payload's length is odd: records hold whole words.
bool PadPayloadToWord(CByteArray* payload);
// A copy of source (an empty array for null); null when memory runs out.
CByteArray* ClonePayload(const CByteArray* source);
std::uint32_t PayloadSize(const CByteArray* payload);

} // namespace dgn
