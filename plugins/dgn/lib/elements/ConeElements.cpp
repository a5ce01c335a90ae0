#include "ConeElements.h"

#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"

#include <cmath>
#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr double kQuarterTurn = 1.570796327;

} // namespace

CConeElement::CConeElement(CDesignFile* file) : IBodyGraphicElement(file, 23, kProperty3d) {}

bool CConeElement::ReadBodyV8(CBoundedReader& body)
{
    for (std::uint16_t& w : words)
        w = body.U16();
    for (double& q : quaternion)
        q = body.F64();
    center1 = {body.F64(), body.F64(), body.F64()};
    radius1 = body.F64();
    center2 = {body.F64(), body.F64(), body.F64()};
    radius2 = body.F64();
    return !body.IsShort();
}

bool CConeElement::ReadBodyV7(CV7BodyReader& body)
{
    words[0] = body.U16();
    words[1] = words[2] = words[3] = 0;
    body.Quaternion(quaternion);
    double v[8];
    for (double& d : v)
        d = body.VaxDouble();
    center1 = {v[0], v[1], v[2]};
    radius1 = v[3];
    center2 = {v[4], v[5], v[6]};
    radius2 = v[7];
    return !body.IsShort();
}

void CConeElement::PutBody(std::uint8_t** cursor) const
{
    for (std::uint16_t w : words)
        PutU16(cursor, w);
    for (double q : quaternion)
        PutF64(cursor, q);
    for (const Point3d* c : {&center1, &center2}) {
        PutF64(cursor, c->x);
        PutF64(cursor, c->y);
        PutF64(cursor, c->z);
        PutF64(cursor, c == &center1 ? radius1 : radius2);
    }
}

IElement* CConeElement::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) CConeElement(target);
    if (!copy)
        return nullptr;
    std::memcpy(copy->words, words, sizeof words);
    std::memcpy(copy->quaternion, quaternion, sizeof quaternion);
    copy->center1 = center1;
    copy->radius1 = radius1;
    copy->center2 = center2;
    copy->radius2 = radius2;
    CopyTo(target, copy, removeSource);
    return copy;
}

void CConeElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    for (int end = 0; end < 2; ++end) {
        const Point3d& c = end ? center2 : center1;
        const double r = end ? radius2 : radius1;
        Ellipse3d e = {r, r, {quaternion[0], quaternion[1], quaternion[2], quaternion[3]}, c.x, c.y, c.z};
        sink->AddEllipse3d(e);
    }
    // The silhouette lines stand across the axis as the XY plane sees it.
    const double theta = AngleOfVector({center1.x, center1.y}, {center2.x, center2.y}) - kQuarterTurn;
    const Point3d d = {std::cos(theta), std::sin(theta), 0.0};
    for (double side : {1.0, -1.0}) {
        const Point3d line[2] = {{center1.x + side * d.x * radius1, center1.y + side * d.y * radius1, center1.z + side * d.z * radius1},
                                 {center2.x + side * d.x * radius2, center2.y + side * d.y * radius2, center2.z + side * d.z * radius2}};
        sink->AddLine3d(line);
    }
}

bool CConeElement::Transform(const double matrix[16])
{
    TransformPoint3d(matrix, center1);
    TransformPoint3d(matrix, center2);
    return true;
}

void CConeElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "3d Cone");
    IGraphicElement::Describe(callback);
    char radius[kLineBuffer];
    char center[kLineBuffer];
    FormatDistance(radius1, "radius 1: ", radius);
    FormatPoint3d(center1, "center 1: ", center);
    EmitLine(callback, kLineBuffer, "%s, %s", radius, center);
    FormatDistance(radius2, "radius 2: ", radius);
    FormatPoint3d(center2, "center 2: ", center);
    EmitLine(callback, kLineBuffer, "%s, %s", radius, center);
    EmitLine(callback, kLineBuffer, "rotation: %g, %g, %g, %g", quaternion[0], quaternion[1], quaternion[2], quaternion[3]);
    EmitEnd(callback);
}

// ---------------------------------------------------------------------------------------------
// Conic

CConicElement::CConicElement(CDesignFile* file) : IGraphicElement(file), m_bytes(CByteArray::NewWithCapacity(64))
{
    m_type = 13;
    m_flags |= kElementGraphic;
    m_properties |= kPropertyScreen;
}

CConicElement::~CConicElement() { delete m_bytes; }

bool CConicElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_bytes || !IElement::ReadV8(cursor, length))
        return false;
    const std::uint8_t* body = record + kV8HeaderBytes;
    const std::uint8_t* attributes = AttributesIn(record);
    const std::uint32_t n = attributes > body ? static_cast<std::uint32_t>(attributes - body) : 0;
    m_bytes->Reset();
    return EndBodyRead(cursor, record, !n || m_bytes->Append(body, n));
}

void CConicElement::Touch()
{
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(m_bytes ? m_bytes->Size() : 0));
    IElement::Touch();
}

std::uint32_t CConicElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t* record = *cursor;
    const std::uint32_t n = m_bytes ? m_bytes->Size() : 0;
    const std::uint32_t size = PlanLinkedRecord(kV8HeaderBytes + static_cast<std::uint64_t>(n));
    if (!size)
        return 0;
    IElement::WriteV8(cursor);
    if (n) {
        std::memcpy(*cursor, m_bytes->Data(), n);
        *cursor += n;
    }
    WriteLinkages(cursor, record);
    return size;
}

IElement* CConicElement::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) CConicElement(target);
    CByteArray* bytes = m_bytes ? m_bytes->Clone() : nullptr;
    if (!copy || !bytes) {
        delete bytes;
        delete copy;
        return nullptr;
    }
    delete copy->m_bytes;
    copy->m_bytes = bytes;
    CopyTo(target, copy, removeSource);
    return copy;
}

void CConicElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Conic");
    EmitEnd(callback);
}

void CConicElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    ForwardToComponents(context, sink);
}

bool CConicElement::Transform(const double matrix[16])
{
    UpdateFlaggedComponents(matrix);
    return true;
}

} // namespace dgn
