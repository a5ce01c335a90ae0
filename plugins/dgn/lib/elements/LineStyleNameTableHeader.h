#pragma once
// The line style name table (type 96, table number 7): the entry count and two words.
#include "elements/TableHeaderElement.h"

namespace dgn {

class CLineStyleNameTableHeader : public CTableHeaderElement {
public:
    explicit CLineStyleNameTableHeader(CDesignFile* file);
    ~CLineStyleNameTableHeader() override;
    static CLineStyleNameTableHeader* Create(CDesignFile* file, std::int32_t model);

    virtual std::uint16_t GetHeaderWord0() const;

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;
    void DescribeTitle(LineCallback callback) override;
    CTableHeaderElement* NewOfClass(CDesignFile* file) const override;

    std::uint16_t m_headerWord0 = 0;
    std::uint16_t m_headerWord1 = 0;
};

// The line style definition table (type 96, table number 8): laid out as the name table.
class CLineStyleDefTableHeader : public CLineStyleNameTableHeader {
public:
    explicit CLineStyleDefTableHeader(CDesignFile* file);
    ~CLineStyleDefTableHeader() override;
    static CLineStyleDefTableHeader* Create(CDesignFile* file, std::int32_t model);

protected:
    void DescribeTitle(LineCallback callback) override;
    CTableHeaderElement* NewOfClass(CDesignFile* file) const override;
};

} // namespace dgn
