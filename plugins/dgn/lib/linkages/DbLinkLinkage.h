#pragma once
// The database link linkage: a row of an external database (entity number and 24-bit mslink)
// attached to an element, under one of ten user IDs. Data part (12 bytes): sub-type u16
// (0x0F81 when made), entity id u16, mslink low 16 bits u16 and bits 16-23 in the next byte,
// link type u8, two more u16 (0 when made).
#include "Linkage.h"

namespace dgn {

// True for the ten user IDs of database links.
bool IsDbLinkUserId(std::uint16_t userId);

class CDbLinkLinkage : public CLinkage {
public:
    static CDbLinkLinkage* Create(CElementLinkages* list, std::uint16_t userId, std::uint16_t entityId, std::uint32_t mslink,
                                  std::uint8_t linkType);
    static CDbLinkLinkage* CreateFromRaw(CElementLinkages* list, std::uint16_t userId, std::uint8_t flags, const std::uint8_t* data,
                                         std::uint32_t length);

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;
    bool IsDbLink() const override;

    virtual std::uint16_t GetEntityId() const;
    virtual std::uint32_t GetMslink() const;
    virtual std::uint8_t GetLinkType() const;
    virtual std::uint16_t GetWord8() const;
    virtual std::uint16_t GetWord10() const;
    virtual void SetEntityId(std::uint16_t v);
    // Keeps the low 24 bits.
    virtual void SetMslink(std::uint32_t v);
    virtual void SetLinkType(std::uint8_t v);
    virtual void SetWord8(std::uint16_t v);
    virtual void SetWord10(std::uint16_t v);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CDbLinkLinkage(CElementLinkages* list, std::uint16_t userId, std::uint8_t flags) : CLinkage(list, userId, flags | kLinkageUserData) {}

    struct Fields {
        std::uint16_t subType;
        std::uint16_t entityId;
        std::uint32_t mslink;
        std::uint8_t linkType;
        std::uint16_t word8;
        std::uint16_t word10;
    } m_f = {};
};

} // namespace dgn
