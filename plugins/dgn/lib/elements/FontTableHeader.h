#pragma once
// The font table (type 96, table number 2): the header of the font entries.
#include "elements/TableHeaderElement.h"

namespace dgn {

class CFontTableHeader : public CTableHeaderElement {
public:
    explicit CFontTableHeader(CDesignFile* file);
    ~CFontTableHeader() override;
    static CFontTableHeader* Create(CDesignFile* file, std::int32_t model);

protected:
    void DescribeTitle(LineCallback callback) override;
    CTableHeaderElement* NewOfClass(CDesignFile* file) const override;
};

} // namespace dgn
