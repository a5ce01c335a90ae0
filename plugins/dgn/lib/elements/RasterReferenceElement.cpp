#include "RasterReferenceElement.h"

#include "EntityIterator.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"

#include <algorithm>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kReferenceType = 90;
constexpr std::uint16_t kComponentType = 91;
constexpr std::uint32_t kReferenceBodyBytes = 88;
// The placement component, and the bytes its placement takes.
constexpr std::int32_t kPlacementComponent = 7;
constexpr std::uint32_t kPlacementBytes = 56;
// What the V7 reader sets the fifth and sixth words to.
constexpr std::uint32_t kV7Resolution = 300;

} // namespace

CRasterReferenceComponentElement::CRasterReferenceComponentElement(CDesignFile* file) : CPlainBodyElement(file)
{
    m_type = kComponentType;
    m_list = kControlList;
}

CRasterReferenceComponentElement::~CRasterReferenceComponentElement() = default;

int CRasterReferenceComponentElement::GetType() const { return kComponentType; }

std::int32_t CRasterReferenceComponentElement::GetComponentType() const
{
    return m_payload.Size() >= 2 ? static_cast<std::int16_t>(LoadU16(m_payload.Data())) : 0;
}

IElement* CRasterReferenceComponentElement::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) CRasterReferenceComponentElement(target ? target : m_designFile);
    if (!copy || !copy->m_payload.CopyFrom(m_payload)) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CRasterReferenceComponentElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_payload.Ok())
        return false;
    return ReadPlainBody(cursor, length, [&](CBoundedReader& r) {
        const std::uint8_t* at = r.Position();
        return m_payload.Assign(at, at + r.Left());
    });
}

bool CRasterReferenceComponentElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_payload.Ok())
        return false;
    return ReadPlainV7Body(cursor, length, [&](CBoundedReader& r) {
        const std::uint8_t* at = r.Position();
        return m_payload.Assign(at, at + r.Left());
    });
}

void CRasterReferenceComponentElement::Touch()
{
    m_payload.PadToWord();
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(m_payload.Size()));
    IElement::Touch();
}

std::uint32_t CRasterReferenceComponentElement::WriteV8(std::uint8_t** cursor)
{
    return WriteBodyRecord(cursor, m_payload.Data(), m_payload.Size());
}

void CRasterReferenceComponentElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Raster Reference Component Data type %i", static_cast<int>(GetComponentType()));
    IElement::Describe(callback);
    EmitEnd(callback);
}

// ---------------------------------------------------------------------------------------------

CRasterReferenceElement::CRasterReferenceElement(CDesignFile* file) : CPlainBodyElement(file)
{
    m_type = kReferenceType;
    m_list = kControlList;
    m_flags |= kElementComplexHeader;
}

CRasterReferenceElement::~CRasterReferenceElement() = default;

int CRasterReferenceElement::GetType() const { return kReferenceType; }

IElement* CRasterReferenceElement::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) CRasterReferenceElement(target ? target : m_designFile);
    if (!copy || !copy->m_firstBlock.CopyFrom(m_firstBlock) || !copy->m_secondBlock.CopyFrom(m_secondBlock)) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    std::copy(m_shorts, m_shorts + 2, copy->m_shorts);
    std::copy(m_words, m_words + 6, copy->m_words);
    std::copy(m_doubles, m_doubles + 7, copy->m_doubles);
    copy->m_colorWord = m_colorWord;
    copy->m_lastWord = m_lastWord;
    return copy;
}

bool CRasterReferenceElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    return ReadPlainBody(cursor, length, [&](CBoundedReader& r) {
        SetChildCount(r.I32());
        for (std::uint16_t& s : m_shorts)
            s = r.U16();
        for (std::uint32_t& w : m_words)
            w = r.U32();
        m_doubles[0] = r.F64();
        m_doubles[1] = r.F64();
        m_doubles[2] = 0.0;
        for (int i = 3; i < 7; ++i)
            m_doubles[i] = r.F64();
        m_colorWord = r.U32();
        m_lastWord = r.U32();
        return true; // fields the body lacks read as 0
    });
}

bool CRasterReferenceElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7HeaderBytes + 4);
    if (!n || !m_firstBlock.Ok() || !IElement::ReadV7(cursor, length))
        return false;
    m_flags |= kElementComplexHeader;
    const std::uint8_t* p = record + kV7HeaderBytes;
    SetChildCount(static_cast<std::int32_t>(CountComplexComponents32(record, &p)));
    if (!m_firstBlock.Assign(record + kV7HeaderBytes + 4, record + n)) {
        *cursor = record;
        return false;
    }
    // The placement: the word at 66, then five VAX doubles from 72, where the record holds them.
    if (n >= 68)
        m_words[0] = LoadU16(record + 66);
    p = record + 72;
    for (int i = 0; i < 5 && p + 8 <= record + n; ++i)
        m_doubles[i] = ReadVaxDouble(&p);
    m_words[4] = m_words[5] = kV7Resolution;
    *cursor = record + n;
    return true;
}

void CRasterReferenceElement::Touch()
{
    SetSizesForBody(kV8HeaderBytes + kReferenceBodyBytes);
    IElement::Touch();
}

std::uint32_t CRasterReferenceElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t body[kReferenceBodyBytes];
    std::uint8_t* p = body;
    PutU32(&p, static_cast<std::uint32_t>(ChildCount()));
    for (std::uint16_t s : m_shorts)
        PutU16(&p, s);
    for (std::uint32_t w : m_words)
        PutU32(&p, w);
    PutF64(&p, m_doubles[0]);
    PutF64(&p, m_doubles[1]);
    for (int i = 3; i < 7; ++i)
        PutF64(&p, m_doubles[i]);
    PutU32(&p, m_colorWord);
    PutU32(&p, m_lastWord);
    return WriteBodyRecord(cursor, body, kReferenceBodyBytes);
}

void CRasterReferenceElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Raster Reference Header");
    IElement::Describe(callback);
    EmitEnd(callback);
}

CElementPayload* CRasterReferenceElement::FindComponent(std::int32_t type)
{
    CElementPayload* found = nullptr;
    CEntityIterator* it = CreateChildIterator(nullptr);
    while (IEntity* e = it ? it->Next() : nullptr) {
        auto* c = e->GetType() == kComponentType ? dynamic_cast<CRasterReferenceComponentElement*>(e) : nullptr;
        if (c && c->GetComponentType() == type) {
            found = &c->GetPayload();
            break;
        }
    }
    delete it;
    return found;
}

void CRasterReferenceElement::EmitGeometry(CEntityIterator*, IGeometrySink* sink)
{
    const CElementPayload* placement = FindComponent(kPlacementComponent);
    // A placement component too short for its placement is not used: the reference's own
    // fields place the raster.
    if (placement && placement->Size() >= kPlacementBytes) {
        const std::uint8_t* b = placement->Data();
        sink->AddRotatedOffset3d(0, Point3d{LoadF64(b + 8), LoadF64(b + 16), LoadF64(b + 24)}, LoadF64(b + 32), LoadF64(b + 40), LoadF64(b + 48));
        return;
    }
    sink->AddRotatedOffset3d(0, Point3d{m_doubles[0], m_doubles[1], m_doubles[2]}, m_doubles[3], m_doubles[4], static_cast<double>(m_words[2]));
}

} // namespace dgn
