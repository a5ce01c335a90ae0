#pragma once
// A group data block (type 5): a body kept raw whose level tells what it holds. On level 1 it
// is the file's colour table (256 entries of R, G, B from byte 2 of a V8 body, byte 10 of a
// V7 one), which reading or touching the block hands to the design file.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CGroupDataElement : public CFixedBodyElement {
public:
    // Non-model.
    explicit CGroupDataElement(CDesignFile* file);
    ~CGroupDataElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 element header, then the rest of the record raw.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    void Describe(LineCallback callback) override;

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // A level-1 block's colours become the file's colour table (a copy; a block too short for
    // 256 entries gives none).
    void OfferColorTable();
};

} // namespace dgn
