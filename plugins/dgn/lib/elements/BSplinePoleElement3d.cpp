#include "BSplinePoleElement3d.h"

#include "LittleEndian.h"
#include "Point3dArray.h"
#include "ValueEncodings.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kPoleType = 21;
constexpr std::uint32_t kPoleBytes = 24;

} // namespace

CBSplinePoleElement3d::CBSplinePoleElement3d(CDesignFile* file) : CGraphicBodyElement(file), m_points(CPoint3dArray::Create())
{
    m_type = kPoleType;
    m_flags |= kElementGraphic;
    m_properties |= kPropertyScreen | kProperty3d;
}

CBSplinePoleElement3d::~CBSplinePoleElement3d() { delete m_points; }

int CBSplinePoleElement3d::GetType() const { return kPoleType; }

CPoint3dArray* CBSplinePoleElement3d::GetPoints() const { return m_points; }

IElement* CBSplinePoleElement3d::Clone(CDesignFile* target, bool removeSource)
{
    CBSplinePoleElement3d* copy = new (std::nothrow) CBSplinePoleElement3d(target ? target : m_designFile);
    CPoint3dArray* points = m_points ? m_points->Clone() : nullptr;
    if (!copy || !points) {
        delete copy;
        delete points;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    copy->m_secondWord = m_secondWord;
    delete copy->m_points;
    copy->m_points = points;
    return copy;
}

bool CBSplinePoleElement3d::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_points)
        return false;
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        const std::int32_t stated = r.I32();
        m_secondWord = r.U32();
        const std::uint32_t held = r.Left() / kPoleBytes;
        const std::uint32_t n = stated < 0 ? 0 : (static_cast<std::uint32_t>(stated) < held ? static_cast<std::uint32_t>(stated) : held);
        if (!m_points->Resize(n))
            return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            const double x = r.F64(), y = r.F64(), z = r.F64();
            m_points->SetAt(i, x, y, z);
        }
        return true;
    });
}

bool CBSplinePoleElement3d::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7GraphicHeaderBytes);
    if (!n || !m_points || !ReadV7Linkages(record, length) || !IGraphicElement::ReadV7(cursor, length))
        return false;
    CBoundedReader r(record + kV7GraphicHeaderBytes, n - kV7GraphicHeaderBytes);
    const std::uint32_t stated = r.U16();
    const std::uint32_t held = r.Left() / 12;
    const std::uint32_t count = stated < held ? stated : held;
    if (!m_points->Resize(count)) {
        *cursor = record;
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const double x = ReadV7Int32(r), y = ReadV7Int32(r), z = ReadV7Int32(r);
        m_points->SetAt(i, x, y, z);
    }
    *cursor = record + n;
    return true;
}

void CBSplinePoleElement3d::Touch()
{
    SetGraphicBodySizes(8 + static_cast<std::uint64_t>(kPoleBytes) * (m_points ? m_points->Count() : 0));
    IGraphicElement::Touch();
}

std::uint32_t CBSplinePoleElement3d::WriteV8(std::uint8_t** cursor)
{
    const std::uint32_t n = m_points ? m_points->Count() : 0;
    CBodyBuffer body(8 + static_cast<std::uint64_t>(kPoleBytes) * n);
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    PutU32(&p, n);
    PutU32(&p, m_secondWord);
    for (std::uint32_t i = 0; i < n; ++i) {
        const Point3d* v = m_points->At(i);
        PutF64(&p, v->x);
        PutF64(&p, v->y);
        PutF64(&p, v->z);
    }
    return WriteGraphicBodyRecord(cursor, body.Data(), body.Size());
}

void CBSplinePoleElement3d::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "3d B-Spline poles");
    IGraphicElement::Describe(callback);
    const std::uint32_t n = m_points ? m_points->Count() : 0;
    EmitLine(callback, kLineBuffer, " Number of poles: %i", static_cast<int>(n));
    for (std::uint32_t i = 0; i < n; ++i) {
        char point[kLineBuffer];
        FormatPoint3d(*m_points->At(i), "", point);
        EmitLine(callback, kLineBuffer, "pole: %i, at: %s", static_cast<int>(i + 1), point);
    }
    EmitEnd(callback);
}

void CBSplinePoleElement3d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (!m_points || !m_points->Count())
        return;
    ApplySymbologyTo(context, sink);
    sink->AddPoints3d(m_points->Count(), m_points->Data());
}

bool CBSplinePoleElement3d::Transform(const double matrix[16])
{
    if (m_points)
        m_points->Transform(matrix);
    return true;
}

} // namespace dgn
