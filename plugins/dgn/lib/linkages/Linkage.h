#pragma once
// One attribute linkage of an element, and the generic linkage: a record the library does not
// interpret, kept as its raw data bytes and written back as they were.
//
// Every linkage starts with a 4-byte header: a size byte, a flags byte (0x10: a user-data
// linkage with a user ID; 0x40 with a non-zero low nibble: the size byte is scaled by that
// power of two; 0x20 and 0x80 carried) and the 16-bit user ID, then its data part. Lengths
// count 16-bit words. Written linkages are whole multiples of 8 bytes, the bytes after the data
// zero. The kinds (fills, dependencies, strings, ...) derive from this class and read their
// data part in their constructors; each linkage joins the list of the holder it is created for,
// which owns it.
#include "LinkageList.h"
#include "LineCallback.h"

#include <cstdint>

namespace dgn {

class CByteArray;
class CElementLinkages;
class IElement;

// Header flags.
constexpr std::uint8_t kLinkageUserData = 0x10;
constexpr std::uint8_t kLinkageScaled = 0x40;

// The largest data part whose length the header can state (255 words scaled by 2^15, less
// the header).
constexpr std::uint32_t kMaxLinkageData = (255u << 15) * 2 - 8;

class CLinkage : public CLinkageList {
public:
    // A generic linkage of a whole record of byteLength bytes (header included; data is its data
    // part, byteLength - 4 bytes, kept whole whatever its length), appended to list. Null when
    // memory runs out or the data is longer than a linkage can state.
    static CLinkage* CreateGeneric(CElementLinkages* list, std::uint32_t byteLength, std::uint8_t flags, std::uint16_t userId,
                                   const std::uint8_t* data);
    // Deletes the raw data, then leaves the list.
    ~CLinkage() override;

    virtual std::uint16_t GetUserId() const;
    virtual std::uint8_t GetFlags() const;
    virtual void SetUserId(std::uint16_t id);
    virtual void SetFlags(std::uint8_t flags);
    // Bytes of the data part as it will be written.
    virtual std::uint32_t GetDataSize() const;
    // Packs the header, then writes the linkage at p: header, data part, zero bytes up to the
    // packed length. Returns that length (PackSizeHeader).
    virtual std::uint32_t WriteTo(std::uint8_t* p);
    // One line (more for some kinds) to the callback.
    virtual void Describe(LineCallback callback) const;
    // An independent copy of the same kind appended to list; null when memory runs out.
    virtual CLinkage* Clone(CElementLinkages* list) const;
    virtual bool IsDbLink() const;
    virtual bool IsDmrs() const;
    // The generic linkage's data bytes; null for the kinds.
    virtual CByteArray* GetRawData() const;
    // The element whose holder the linkage joined at construction.
    virtual IElement* GetOwnerElement() const;

    // Sets the size byte and the scale bits of the flags for the current data size; the
    // linkage's length in bytes (a multiple of 8; 8 for a linkage without the user-data flag
    // that is not generic).
    std::uint32_t PackSizeHeader();
    // Replaces the generic linkage's data bytes and packs the header; false (unchanged) when
    // memory runs out or the data is too long for a linkage.
    bool SetData(const std::uint8_t* data, std::uint32_t length);
    std::uint8_t GetSizeByte() const { return m_sizeByte; }

    // The length in 16-bit words that a header states (at least 4).
    static std::uint32_t HeaderWords(std::uint8_t sizeByte, std::uint8_t flags);

protected:
    // Joins list (when not null) and takes its element.
    CLinkage(CElementLinkages* list, std::uint16_t userId, std::uint8_t flags);
    // Writes the data part (GetDataSize bytes) at p.
    virtual void WriteData(std::uint8_t* p) const;

    CByteArray* m_raw = nullptr;
    std::uint16_t m_userId;
    std::uint8_t m_sizeByte = 0;
    std::uint8_t m_flags;
    IElement* m_ownerElement = nullptr;
};

} // namespace dgn
