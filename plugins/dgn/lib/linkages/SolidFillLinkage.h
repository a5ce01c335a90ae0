#pragma once
// The solid fill linkage (user ID 0x0041): a closed element filled with one colour. Its data
// part is three 32-bit words: options (8 when made from a colour), the colour index, a third
// word (0 when made).
#include "Linkage.h"

namespace dgn {

constexpr std::uint16_t kSolidFillId = 0x0041;

class CSolidFillLinkage : public CLinkage {
public:
    // Null when memory runs out.
    static CSolidFillLinkage* Create(CElementLinkages* list, std::uint32_t color);
    // From a data part of length bytes (fields beyond it read as 0).
    static CSolidFillLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    virtual std::uint32_t GetColor() const;
    virtual void SetColor(std::uint32_t color);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CSolidFillLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kSolidFillId, flags | kLinkageUserData) {}

    std::uint32_t m_options = 0;
    std::uint32_t m_color = 0;
    std::uint32_t m_third = 0;
};

} // namespace dgn
