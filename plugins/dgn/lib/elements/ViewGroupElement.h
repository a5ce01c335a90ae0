#pragma once
// The view group (type 97): the complex header that owns a file's view specifications.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CViewGroupElement : public CFixedBodyElement {
public:
    // A complex header, non-model.
    explicit CViewGroupElement(CDesignFile* file);
    ~CViewGroupElement() override;
    // A new group of the file's model with a new element ID.
    static CViewGroupElement* Create(CDesignFile* file, std::int32_t model);

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    // The 132 bytes of the group's words and data.
    virtual std::uint8_t* GetGroupData();

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // groupWord0, groupWord1, groupValue, groupWord2 and groupData as they stand in the body.
    std::uint8_t m_data[132] = {};
};

} // namespace dgn
