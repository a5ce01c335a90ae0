#pragma once
// The V7 entity id linkage (user ID 0x7D2F): the element ID that a V7 file keeps in the
// element's attribute data. Data part: the id (u32).
#include "Linkage.h"

namespace dgn {

constexpr std::uint16_t kV7EntityIdId = 0x7D2F;

class CV7EntityIdLinkage : public CLinkage {
public:
    static CV7EntityIdLinkage* Create(CElementLinkages* list, std::uint32_t id);
    static CV7EntityIdLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    virtual std::uint32_t GetId() const;
    virtual void SetId(std::uint32_t id);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CV7EntityIdLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kV7EntityIdId, flags | kLinkageUserData) {}

    std::uint32_t m_id = 0;
};

} // namespace dgn
