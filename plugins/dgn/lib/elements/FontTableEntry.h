#pragma once
// An entry of the font table (type 95, table number 2): three words (the third the font's
// number, -1 until one is given) and the font's name in UTF-16.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CDgnString;

class CFontTableEntry : public CFixedBodyElement {
public:
    explicit CFontTableEntry(CDesignFile* file);
    ~CFontTableEntry() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

    virtual std::uint16_t GetFontWord2() const;
    virtual void SetFontWord2(std::uint32_t value);
    virtual CDgnString* GetFontName() const;
    void SetFontName(const char* name);

protected:
    // The three words, the name's byte count, the name.
    std::uint32_t FixedBytes() const override;
    // A name longer than the record holds is cut to what it holds.
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    std::uint32_t NameUnits() const;

    std::uint32_t m_fontWord0 = 0;
    std::uint32_t m_fontWord1 = 0;
    std::uint32_t m_fontWord2 = 0xFFFFFFFF;
    CDgnString* m_fontName = nullptr;
};

} // namespace dgn
