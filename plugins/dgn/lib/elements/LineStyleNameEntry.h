#pragma once
// An entry of the line style name table (type 95, table number 7): words the library keeps,
// the line style number and its name (64 UTF-16 characters).
#include "elements/FixedBodyElement.h"

namespace dgn {

class CLineStyleNameEntry : public CFixedBodyElement {
public:
    explicit CLineStyleNameEntry(CDesignFile* file);
    ~CLineStyleNameEntry() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

    // The name in the ANSI code page (out: 129 bytes).
    virtual void GetName(char* out) const;
    virtual void SetName(const char* name);
    std::int32_t GetLineStyleNumber() const;
    void SetLineStyleNumber(std::int32_t number);
    // The name as UTF-16 (64 units and a terminator).
    const char16_t* GetWideName() const { return m_name; }

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // lsWord0 to lsShorts2 as they stand in the body (60 bytes).
    std::uint8_t m_words[60] = {};
    std::int32_t m_number = 0;
    char16_t m_name[65] = {};
};

} // namespace dgn
