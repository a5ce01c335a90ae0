#include "BSplineValuesElement.h"

#include "DoubleArray.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kKnotType = 26;
constexpr std::uint16_t kWeightType = 28;
constexpr std::uint32_t kInitialRoom = 64;
// What a V7 body holds before its values.
constexpr std::uint32_t kV7Skipped = 8;

} // namespace

CBSplineValuesElement::CBSplineValuesElement(CDesignFile* file, std::uint16_t type)
    : CPlainBodyElement(file), m_values(CDoubleArray::Create(kInitialRoom))
{
    m_type = type;
    m_list = kGraphicList;
    Touch();
}

CBSplineValuesElement::~CBSplineValuesElement() { delete m_values; }

CDoubleArray* CBSplineValuesElement::GetValues() const { return m_values; }

IElement* CBSplineValuesElement::FinishClone(CBSplineValuesElement* copy, CDesignFile* target, bool removeSource)
{
    if (!copy || !copy->m_values || !m_values || !copy->m_values->Assign(*m_values)) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CBSplineValuesElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_values)
        return false;
    return ReadPlainBody(cursor, length, [&](CBoundedReader& r) {
        const std::uint32_t n = r.Left() / 8;
        m_values->Clear();
        if (!m_values->Reserve(n))
            return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            const double v = r.F64();
            m_values->Append(&v, 1);
        }
        return true;
    });
}

bool CBSplineValuesElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_values)
        return false;
    return ReadPlainV7Body(cursor, length, [&](CBoundedReader& r) {
        r.Skip(kV7Skipped);
        const std::uint32_t n = r.Left() / 4;
        m_values->Clear();
        if (!m_values->Reserve(n))
            return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            const double v = ReadV7Int32(r) * kQuaternionScale;
            m_values->Append(&v, 1);
        }
        return true;
    });
}

void CBSplineValuesElement::Touch()
{
    SetSizesForBody(kV8HeaderBytes + 8ull * (m_values ? m_values->GetCount() : 0));
    IElement::Touch();
}

std::uint32_t CBSplineValuesElement::WriteV8(std::uint8_t** cursor)
{
    const std::uint32_t n = m_values ? m_values->GetCount() : 0;
    CBodyBuffer body(8ull * n);
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    for (std::uint32_t i = 0; i < n; ++i)
        PutF64(&p, m_values->GetAt(i));
    return WriteBodyRecord(cursor, body.Data(), body.Size());
}

void CBSplineValuesElement::Describe(LineCallback callback)
{
    const bool knots = GetType() == kKnotType;
    EmitLine(callback, kLineBuffer, knots ? "B-Spline Knots" : "B-Spline Weights");
    IElement::Describe(callback);
    const std::uint32_t n = m_values ? m_values->GetCount() : 0;
    for (std::uint32_t i = 0; i < n; ++i)
        EmitLine(callback, kLineBuffer, knots ? "index:%i  knot:%g" : "index:%i  weight:%g", static_cast<int>(i), m_values->GetAt(i));
    EmitEnd(callback);
}

CBSplineKnotElement::CBSplineKnotElement(CDesignFile* file) : CBSplineValuesElement(file, kKnotType) {}
int CBSplineKnotElement::GetType() const { return kKnotType; }
IElement* CBSplineKnotElement::Clone(CDesignFile* target, bool removeSource)
{
    return FinishClone(new (std::nothrow) CBSplineKnotElement(target ? target : m_designFile), target, removeSource);
}

CBSplineWeightElement::CBSplineWeightElement(CDesignFile* file) : CBSplineValuesElement(file, kWeightType) {}
int CBSplineWeightElement::GetType() const { return kWeightType; }
IElement* CBSplineWeightElement::Clone(CDesignFile* target, bool removeSource)
{
    return FinishClone(new (std::nothrow) CBSplineWeightElement(target ? target : m_designFile), target, removeSource);
}

} // namespace dgn
