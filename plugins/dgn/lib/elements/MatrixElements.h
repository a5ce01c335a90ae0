#pragma once
// The matrices of a mesh: the matrix header (type 101) and the integer (102) and double (103)
// data that hold a mesh's face index lists and vertex coordinates. All are non-graphic V8-only
// components; the 36 16-bit words they begin with, and the data elements' fourth word, are
// carried unchanged.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CItemArray;

class CMatrixElement : public CPlainBodyElement {
public:
    ~CMatrixElement() override;

    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The sizes only (no time stamp, no component count).
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;

    // The 36 words.
    virtual std::uint16_t* GetMatrixData();
    // The values of the data elements (null for the header).
    CItemArray* GetMatrixValues() const { return m_values; }
    // The 32-bit words after the 36: numPerStruct, numPerRow, tag, ixtype, ixby (header) or
    // alloc, used, descriptor, fourth word (data).
    std::uint32_t GetWord(int i) const { return m_words[i]; }
    void SetWord(int i, std::uint32_t value) { m_words[i] = value; }

protected:
    // List 1; valueBytes 0 (the header), 4 or 8 (the data elements).
    CMatrixElement(CDesignFile* file, std::uint16_t type, std::uint32_t valueBytes);
    IElement* FinishClone(CMatrixElement* copy, CDesignFile* target, bool removeSource);
    bool IsHeader() const { return m_valueBytes == 0; }
    int WordCount() const { return IsHeader() ? 5 : 4; }
    std::uint64_t BodyBytes() const;

    std::uint16_t m_data[36] = {};
    std::uint32_t m_words[5] = {};
    std::uint32_t m_valueBytes;
    CItemArray* m_values = nullptr;
};

class CMatrixHeaderElement : public CMatrixElement {
public:
    // A complex header.
    explicit CMatrixHeaderElement(CDesignFile* file);
    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
};

class CMatrixIntegerDataElement : public CMatrixElement {
public:
    explicit CMatrixIntegerDataElement(CDesignFile* file);
    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
};

class CMatrixDoubleDataElement : public CMatrixElement {
public:
    explicit CMatrixDoubleDataElement(CDesignFile* file);
    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
};

} // namespace dgn
