#pragma once
// A DgnStore component (type 38, "Smart Geometry" data): two words, for a flag of 0 two values
// and a word more, then the body kept raw.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CDgnStoreComponent : public CFixedBodyElement {
public:
    explicit CDgnStoreComponent(CDesignFile* file);
    ~CDgnStoreComponent() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    virtual std::uint8_t* GetStoreData();

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // storeWord0, storeFlag, storeValues, storeWord1 as they stand in the body.
    std::uint8_t m_fields[28] = {};
};

} // namespace dgn
