#pragma once
// The string linkage (user ID 0x56D2): a text stored under a numeric key (model and level names,
// descriptions, unit labels). Data part: id (u32), byte length (u32), the DGN string's content
// bytes (8-bit or marked UTF-16, no terminator).
#include "Linkage.h"

namespace dgn {

class CDgnString;

constexpr std::uint16_t kStringId = 0x56D2;

class CStringLinkage : public CLinkage {
public:
    // The text's byteLength content bytes; null when memory runs out or the text is too long
    // for a linkage.
    static CStringLinkage* Create(CElementLinkages* list, std::uint32_t id, const char* text, std::uint32_t byteLength);
    // The stated byte length is bounded by the data that is there.
    static CStringLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    ~CStringLinkage() override;

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    virtual std::uint32_t GetId() const;
    virtual void SetId(std::uint32_t id);
    // The text (never null).
    virtual CDgnString* GetString() const;

    // Replaces the text by byteLength content bytes; false (unchanged) when memory runs out or
    // the text is too long for a linkage.
    bool SetText(const char* text, std::uint32_t byteLength);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CStringLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kStringId, flags | kLinkageUserData) {}
    static CStringLinkage* Make(CElementLinkages* list, std::uint8_t flags);

    std::uint32_t m_id = 0;
    CDgnString* m_text = nullptr;
};

} // namespace dgn
