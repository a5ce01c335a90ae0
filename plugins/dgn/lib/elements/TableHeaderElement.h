#pragma once
// A table header (type 96) of a table the library has no class for: the entry count, then
// the rest of the body kept raw. The table number stands in the element's level field.
#include "elements/FixedBodyElement.h"

namespace dgn {

// The name of a table number ("?" for numbers without one).
const char* TableName(std::int32_t table);

class CTableHeaderElement : public CFixedBodyElement {
public:
    // A complex header, non-model.
    explicit CTableHeaderElement(CDesignFile* file);
    ~CTableHeaderElement() override;
    static CTableHeaderElement* Create(CDesignFile* file, std::int32_t model);

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;
    // "Table Header - level %i %s", or the class's own title.
    virtual void DescribeTitle(LineCallback callback);
    // What Clone makes.
    virtual CTableHeaderElement* NewOfClass(CDesignFile* file) const;
};

} // namespace dgn
