#include "MatrixElements.h"

#include "ItemArray.h"
#include "LittleEndian.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kMatrixHeaderType = 101;
constexpr std::uint16_t kIntegerDataType = 102;
constexpr std::uint16_t kDoubleDataType = 103;
constexpr std::uint32_t kValueBlock = 16;

} // namespace

CMatrixElement::CMatrixElement(CDesignFile* file, std::uint16_t type, std::uint32_t valueBytes) : CPlainBodyElement(file), m_valueBytes(valueBytes)
{
    m_type = type;
    m_list = kGraphicList;
    if (valueBytes)
        m_values = CItemArray::Create(valueBytes, kValueBlock, valueBytes);
}

CMatrixElement::~CMatrixElement() { delete m_values; }

std::uint16_t* CMatrixElement::GetMatrixData() { return m_data; }

std::uint64_t CMatrixElement::BodyBytes() const
{
    const std::uint64_t fixed = (IsHeader() ? 4 : 0) + 72 + 4ull * WordCount();
    return fixed + (m_values ? static_cast<std::uint64_t>(m_valueBytes) * m_values->Count() : 0);
}

IElement* CMatrixElement::FinishClone(CMatrixElement* copy, CDesignFile* target, bool removeSource)
{
    if (!copy)
        return nullptr;
    if (m_values) {
        CItemArray* values = m_values->Clone();
        if (!values) {
            delete copy;
            return nullptr;
        }
        delete copy->m_values;
        copy->m_values = values;
    }
    CopyTo(target, copy, removeSource);
    for (int i = 0; i < 36; ++i)
        copy->m_data[i] = m_data[i];
    for (int i = 0; i < 5; ++i)
        copy->m_words[i] = m_words[i];
    return copy;
}

bool CMatrixElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!IsHeader() && !m_values)
        return false;
    return ReadPlainBody(cursor, length, [&](CBoundedReader& r) {
        if (IsHeader())
            SetChildCount(r.I32());
        for (std::uint16_t& w : m_data)
            w = r.U16();
        for (int i = 0; i < WordCount(); ++i)
            m_words[i] = r.U32();
        if (IsHeader())
            return true;
        // The values run to the attribute bytes, whatever alloc and used say.
        const std::uint32_t n = r.Left() / m_valueBytes;
        m_values->Reset();
        return !n || m_values->AppendItems(r.Span(n * m_valueBytes), n) != nullptr;
    });
}

void CMatrixElement::Touch() { SetSizesForBody(kV8HeaderBytes + BodyBytes()); }

std::uint32_t CMatrixElement::WriteV8(std::uint8_t** cursor)
{
    CBodyBuffer body(BodyBytes());
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    if (IsHeader())
        PutU32(&p, static_cast<std::uint32_t>(ChildCount()));
    for (std::uint16_t w : m_data)
        PutU16(&p, w);
    for (int i = 0; i < WordCount(); ++i)
        PutU32(&p, m_words[i]);
    // Integers and doubles are kept as their little-endian bytes.
    if (m_values && m_values->Count())
        PutBytes(&p, m_values->Data(), m_values->Count() * m_valueBytes);
    return WriteBodyRecord(cursor, body.Data(), body.Size());
}

CMatrixHeaderElement::CMatrixHeaderElement(CDesignFile* file) : CMatrixElement(file, kMatrixHeaderType, 0) { m_flags |= kElementComplexHeader; }
int CMatrixHeaderElement::GetType() const { return kMatrixHeaderType; }
IElement* CMatrixHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    return FinishClone(new (std::nothrow) CMatrixHeaderElement(target ? target : m_designFile), target, removeSource);
}

void CMatrixHeaderElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Matrix Header");
    IElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "numPerStruct %i, numPerRow %i, tag %i, ixtype %i, ixby %i", static_cast<int>(m_words[0]),
             static_cast<int>(m_words[1]), static_cast<int>(m_words[2]), static_cast<int>(m_words[3]), static_cast<int>(m_words[4]));
    EmitEnd(callback);
}

CMatrixIntegerDataElement::CMatrixIntegerDataElement(CDesignFile* file) : CMatrixElement(file, kIntegerDataType, 4) {}
int CMatrixIntegerDataElement::GetType() const { return kIntegerDataType; }
IElement* CMatrixIntegerDataElement::Clone(CDesignFile* target, bool removeSource)
{
    return FinishClone(new (std::nothrow) CMatrixIntegerDataElement(target ? target : m_designFile), target, removeSource);
}

void CMatrixIntegerDataElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Matrix Integer Data");
    IElement::Describe(callback);
    const std::uint32_t d = m_words[2];
    EmitLine(callback, kLineBuffer, "alloc:%i, used:%i, blocking:%i, base:%i, pad:%i, fSigned:%i", static_cast<int>(m_words[0]),
             static_cast<int>(m_words[1]), static_cast<int>(d & 0xF), static_cast<int>((d >> 4) & 0xF), static_cast<int>((d >> 8) & 0xF),
             static_cast<int>((d >> 12) & 1));
    EmitEnd(callback);
}

CMatrixDoubleDataElement::CMatrixDoubleDataElement(CDesignFile* file) : CMatrixElement(file, kDoubleDataType, 8) {}
int CMatrixDoubleDataElement::GetType() const { return kDoubleDataType; }
IElement* CMatrixDoubleDataElement::Clone(CDesignFile* target, bool removeSource)
{
    return FinishClone(new (std::nothrow) CMatrixDoubleDataElement(target ? target : m_designFile), target, removeSource);
}

void CMatrixDoubleDataElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Matrix Double Data");
    IElement::Describe(callback);
    const std::uint32_t d = m_words[2];
    EmitLine(callback, kLineBuffer, "alloc:%i, used:%i, coord type:%i, dimension:%i, normalized:%i", static_cast<int>(m_words[0]),
             static_cast<int>(m_words[1]), static_cast<int>(d & 0xF), static_cast<int>((d >> 4) & 0xF), static_cast<int>((d >> 8) & 1));
    EmitEnd(callback);
}

} // namespace dgn
