#pragma once
// A DgnStore header (type 39): the component count, two values (the second half of the first
// is the store's four-character signature), two words, then the body kept raw.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CDgnStoreHeader : public CFixedBodyElement {
public:
    explicit CDgnStoreHeader(CDesignFile* file);
    ~CDgnStoreHeader() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    virtual std::uint8_t* GetStoreData();

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // headerValue0, headerValue1, headerWord0, headerWord1 as they stand after the count.
    std::uint8_t m_fields[24] = {};
};

} // namespace dgn
