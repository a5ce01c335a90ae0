#include "BSplineSurfaceBoundaryElement.h"

#include "LittleEndian.h"
#include "Point2dArray.h"
#include "ValueEncodings.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kBoundaryType = 25;
constexpr std::uint32_t kPointBytes = 16;

} // namespace

CBSplineSurfaceBoundaryElement::CBSplineSurfaceBoundaryElement(CDesignFile* file) : CPlainBodyElement(file), m_points(CPoint2dArray::Create())
{
    m_type = kBoundaryType;
    m_list = kGraphicList;
}

CBSplineSurfaceBoundaryElement::~CBSplineSurfaceBoundaryElement() { delete m_points; }

int CBSplineSurfaceBoundaryElement::GetType() const { return kBoundaryType; }
std::uint32_t CBSplineSurfaceBoundaryElement::GetBoundaryNumber() const { return m_number; }
void CBSplineSurfaceBoundaryElement::SetBoundaryNumber(std::uint32_t number) { m_number = number; }
CPoint2dArray* CBSplineSurfaceBoundaryElement::GetBoundaryPoints() const { return m_points; }
bool CBSplineSurfaceBoundaryElement::GetBoundaryFlag() const { return false; }

IElement* CBSplineSurfaceBoundaryElement::Clone(CDesignFile* target, bool removeSource)
{
    CBSplineSurfaceBoundaryElement* copy = new (std::nothrow) CBSplineSurfaceBoundaryElement(target ? target : m_designFile);
    CPoint2dArray* points = m_points ? m_points->Clone() : nullptr;
    if (!copy || !points) {
        delete copy;
        delete points;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    copy->m_number = m_number;
    delete copy->m_points;
    copy->m_points = points;
    return copy;
}

bool CBSplineSurfaceBoundaryElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_points)
        return false;
    return ReadPlainBody(cursor, length, [&](CBoundedReader& r) {
        m_number = r.U32();
        const std::uint32_t stated = r.U32();
        const std::uint32_t held = r.Left() / kPointBytes;
        const std::uint32_t n = stated < held ? stated : held;
        if (!m_points->Resize(n))
            return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            const double u = r.F64(), v = r.F64();
            m_points->SetAt(i, u, v);
        }
        return true;
    });
}

bool CBSplineSurfaceBoundaryElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_points)
        return false;
    return ReadPlainV7Body(cursor, length, [&](CBoundedReader& r) {
        r.Skip(8);
        m_number = r.U16();
        const std::uint32_t stated = r.U16();
        const std::uint32_t held = r.Left() / 8;
        const std::uint32_t n = stated < held ? stated : held;
        if (!m_points->Resize(n))
            return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            const double u = ReadV7Int32(r) * kQuaternionScale;
            const double v = ReadV7Int32(r) * kQuaternionScale;
            m_points->SetAt(i, u, v);
        }
        return true;
    });
}

void CBSplineSurfaceBoundaryElement::Touch()
{
    SetSizesForBody(kV8HeaderBytes + 8 + static_cast<std::uint64_t>(kPointBytes) * (m_points ? m_points->Count() : 0));
    IElement::Touch();
}

std::uint32_t CBSplineSurfaceBoundaryElement::WriteV8(std::uint8_t** cursor)
{
    const std::uint32_t n = m_points ? m_points->Count() : 0;
    CBodyBuffer body(8 + static_cast<std::uint64_t>(kPointBytes) * n);
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    PutU32(&p, m_number);
    PutU32(&p, n);
    for (std::uint32_t i = 0; i < n; ++i) {
        PutF64(&p, m_points->At(i)->x);
        PutF64(&p, m_points->At(i)->y);
    }
    return WriteBodyRecord(cursor, body.Data(), body.Size());
}

void CBSplineSurfaceBoundaryElement::Describe(LineCallback callback)
{
    EmitEnd(callback);
    EmitLine(callback, kLineBuffer, "BSpline Surface Boundary %i - %i points", static_cast<int>(m_number), static_cast<int>(m_points ? m_points->Count() : 0));
    EmitEnd(callback);
}

} // namespace dgn
