#pragma once
// A table entry (type 95) of a table the library has no class for: its body kept raw.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CTableEntryElement : public CFixedBodyElement {
public:
    // Non-model.
    explicit CTableEntryElement(CDesignFile* file);
    ~CTableEntryElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;
};

} // namespace dgn
