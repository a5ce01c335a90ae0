#pragma once
// The level filter linkage (user ID 0x56DD): a named filter expression. Data part: id (u32),
// type (u16), a u16, name length (u32), expression length (u32), a u32 that says whether the
// strings follow (they are read only when it is not 0), then the name's and the expression's
// content bytes (DGN strings, 8-bit or marked UTF-16). The lengths written are always those of
// the strings held.
#include "Linkage.h"

namespace dgn {

class CDgnString;

constexpr std::uint16_t kLFilterId = 0x56DD;

class CLFilterLinkage : public CLinkage {
public:
    static CLFilterLinkage* Create(CElementLinkages* list, std::uint32_t id, std::uint16_t type, const char* name, std::uint32_t length);
    static CLFilterLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    ~CLFilterLinkage() override;

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    virtual std::uint32_t GetId() const;
    virtual void SetId(std::uint32_t id);
    virtual CDgnString* GetName() const;
    virtual CDgnString* GetExpression() const;
    // Copy the string (its content bytes); false when memory runs out or the strings would be
    // too long for a linkage.
    virtual bool SetName(const CDgnString& name);
    virtual bool SetExpression(const CDgnString& expression);
    virtual std::uint16_t GetType() const;
    virtual void SetType(std::uint16_t type);

    // The name from length content bytes (0: the text's own, without its terminator).
    bool SetNameText(const char* text, std::uint32_t length);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CLFilterLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kLFilterId, flags | kLinkageUserData) {}
    static CLFilterLinkage* Make(CElementLinkages* list, std::uint8_t flags);
    bool Replace(CDgnString** slot, const CDgnString& value);

    std::uint32_t m_id = 0;
    std::uint16_t m_type = 0;
    std::uint16_t m_word6 = 0;
    std::uint32_t m_stringsPresent = 0;
    CDgnString* m_name = nullptr;
    CDgnString* m_expression = nullptr;
};

} // namespace dgn
