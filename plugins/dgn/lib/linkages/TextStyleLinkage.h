#pragma once
// The text style linkage (user ID 0x80D4): overrides of a text element's style. Data part:
// flags (u16), a u16 that is 0 in the full form, extended flags (u32), then the fields whose
// bits are set, in a fixed order. An older compact form (the u16 at offset 2 not 0) holds the
// size, angle and width as scaled 32-bit integers from offset 2; it is written back in the
// full form.
#include "Linkage.h"

namespace dgn {

constexpr std::uint16_t kTextStyleId = 0x80D4;

// The fields of a text style linkage in memory, present or not (absent ones are 0).
struct TextStyleData {
    std::uint16_t flags;
    std::uint16_t compact;
    std::uint32_t extFlags;
    double size;                 // flags 0x3, or extended 0x800000
    double angle;                // flags 0x8 (radians)
    double width;                // flags 0x4
    std::uint8_t block100[16];   // flags 0x100
    std::uint32_t word200;       // flags 0x200
    std::uint32_t word400;       // flags 0x400
    std::uint32_t words800[3];   // flags 0x800
    double doubles800[2];
    std::uint32_t word800;
    std::uint8_t ext1[8];        // extended 0x1
    std::uint32_t word8000;      // flags 0x8000
    std::uint8_t ext20000[12];   // extended 0x20000
    std::uint8_t ext40000[12];   // extended 0x40000
    std::uint8_t ext100000[8];   // extended 0x100000
    std::uint8_t ext80000[8];    // extended 0x80000
    std::uint8_t ext400000[8];   // extended 0x400000
};

class CTextStyleLinkage : public CLinkage {
public:
    static CTextStyleLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    // Bit 0x10 of the flags: the text's stored height and length give way to the values
    // computed from its multipliers.
    virtual bool UsesComputedSize() const;
    virtual TextStyleData* GetData();
    // Sets bit 0x10 of the flags from bit 0 of on.
    virtual void SetUsesComputedSize(int on);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CTextStyleLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kTextStyleId, flags | kLinkageUserData) {}

    TextStyleData m_d = {};
};

} // namespace dgn
