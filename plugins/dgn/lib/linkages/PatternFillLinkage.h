#pragma once
// The pattern fill linkage (user ID 0x7D28): hatching, cross hatching, a pattern cell or
// definition lines that fill a closed element. Its options word says which fields follow; they
// are packed without gaps in a fixed order. An older form (options above 0x1FFFFF) stores a few
// of them as VAX doubles and scaled integers; it is read and written back in the current form.
// A linkage with more than 64 definition lines or 16 dashes in a line does not fit the data
// block and is kept as a generic linkage instead.
#include "Linkage.h"

namespace dgn {

class IElement;

constexpr std::uint16_t kPatternFillId = 0x7D28;

// Option bits with a meaning for the fill description.
enum PatternOptionBits : std::uint32_t {
    kPatternHatch = 0x1,
    kPatternCrossHatch = 0x4,
    kPatternScale = 0x10,
    kPatternCell = 0x20,
    kPatternOffset = 0x1000,
    kPatternLines = 0x4000,
    kPatternCellId = 0x8000,
};

constexpr std::uint32_t kMaxPatternLines = 64;
constexpr std::uint32_t kMaxPatternDashes = 16;

struct PatternLine {
    double values[5];
    std::uint16_t dashCount;
    double dashes[kMaxPatternDashes];
};

// The fields of a pattern fill in memory, present or not (absent ones are 0).
struct PatternFillData {
    std::uint32_t options;
    double values[6];    // options 0x1, 0x2, 0x4, 0x8, 0x10 (the scale), 0x40
    std::uint32_t words[3];  // options 0x80, 0x100, 0x200
    double rotation[4];  // options 0x800: a quaternion
    double offset[3];    // options 0x1000: the cell pattern's origin
    std::uint64_t cellId;  // options 0x8000: the pattern cell's element ID
    std::uint16_t word2000;  // options 0x2000
    std::uint16_t lineCount; // options 0x4000
    PatternLine lines[kMaxPatternLines];
    std::uint8_t bytes20000[8];  // options 0x20000
    std::uint16_t word40000;     // options 0x40000
};

// Index of the scale among PatternFillData::values.
constexpr int kPatternScaleIndex = 4;

class CPatternFillLinkage : public CLinkage {
public:
    // Options 0, every field 0.
    static CPatternFillLinkage* Create(CElementLinkages* list);
    // Null when memory runs out or the data does not fit the data block (more than 64 lines or
    // 16 dashes): the caller keeps the record as a generic linkage.
    static CPatternFillLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    ~CPatternFillLinkage() override;

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    // The data block, filled in place by callers.
    virtual PatternFillData* GetFillData() const;
    // The pattern cell that the owner element's fill description found, or null.
    virtual IElement* GetPatternCell() const;

    // The options as written: the current form's bits only.
    std::uint32_t WrittenOptions() const;

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CPatternFillLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kPatternFillId, flags | kLinkageUserData) {}
    static CPatternFillLinkage* Make(CElementLinkages* list, std::uint8_t flags);

    PatternFillData* m_data = nullptr;
};

} // namespace dgn
