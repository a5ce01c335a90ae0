#pragma once
// The DMRS linkage: the 8-byte database linkage without a user ID (the user-data flag clear).
// Bytes 0-1 size byte (0) and flags; 2-3 entity id; 4-5 mslink low 16 bits; 6 mslink bits 16-23;
// 7 link type. It stays 8 bytes whatever its header said.
#include "Linkage.h"

namespace dgn {

class CDmrsLinkage : public CLinkage {
public:
    static CDmrsLinkage* Create(CElementLinkages* list, std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType);
    // From the linkage's bytes after its flags byte (bytes 2 on), length of them.
    static CDmrsLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* bytes, std::uint32_t length);

    std::uint32_t GetDataSize() const override;
    std::uint32_t WriteTo(std::uint8_t* p) override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;
    bool IsDmrs() const override;

    virtual std::uint16_t GetEntityId() const;
    virtual std::uint32_t GetMslink() const;
    virtual std::uint8_t GetLinkType() const;
    virtual void SetEntityId(std::uint16_t v);
    virtual void SetMslink(std::uint32_t v);
    virtual void SetLinkType(std::uint8_t v);

private:
    CDmrsLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, 0, static_cast<std::uint8_t>(flags & ~kLinkageUserData)) {}

    std::uint16_t m_entityId = 0;
    std::uint32_t m_mslink = 0;
    std::uint8_t m_linkType = 0;
};

} // namespace dgn
