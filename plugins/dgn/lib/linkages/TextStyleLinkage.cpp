#include "TextStyleLinkage.h"

#include "BoundedReader.h"
#include "ValueEncodings.h"

#include <new>

namespace dgn {

namespace {

// The compact form's units: sizes in 0.006 of a unit, angles in 1/360000 degree.
constexpr double kCompactLength = 0.006;

// Walks the present fields in file order, reading (r) or writing (w) each.
template <class Field>
void ForEachField(const TextStyleData& d, Field field)
{
    const std::uint32_t f = d.flags;
    const std::uint32_t x = d.extFlags;
    if ((f & 0x3) || (x & 0x800000))
        field(8, 0);
    if (f & 0x8)
        field(8, 1);
    if (f & 0x4)
        field(8, 2);
    if (f & 0x100)
        field(16, 3);
    if (f & 0x200)
        field(4, 4);
    if (f & 0x400)
        field(4, 5);
    if (f & 0x800)
        field(32, 6);
    if (x & 0x1)
        field(8, 7);
    if (f & 0x8000)
        field(4, 8);
    if (x & 0x20000)
        field(12, 9);
    if (x & 0x40000)
        field(12, 10);
    if (x & 0x100000)
        field(8, 11);
    if (x & 0x80000)
        field(8, 12);
    if (x & 0x400000)
        field(8, 13);
}

void ReadField(CBoundedReader& r, TextStyleData& d, int which)
{
    switch (which) {
    case 0: d.size = r.F64(); break;
    case 1: d.angle = r.F64(); break;
    case 2: d.width = r.F64(); break;
    case 3: r.Bytes(d.block100, 16); break;
    case 4: d.word200 = r.U32(); break;
    case 5: d.word400 = r.U32(); break;
    case 6:
        for (std::uint32_t& w : d.words800)
            w = r.U32();
        d.doubles800[0] = r.F64();
        d.doubles800[1] = r.F64();
        d.word800 = r.U32();
        break;
    case 7: r.Bytes(d.ext1, 8); break;
    case 8: d.word8000 = r.U32(); break;
    case 9: r.Bytes(d.ext20000, 12); break;
    case 10: r.Bytes(d.ext40000, 12); break;
    case 11: r.Bytes(d.ext100000, 8); break;
    case 12: r.Bytes(d.ext80000, 8); break;
    default: r.Bytes(d.ext400000, 8); break;
    }
}

void WriteField(std::uint8_t** p, const TextStyleData& d, int which)
{
    switch (which) {
    case 0: PutF64(p, d.size); break;
    case 1: PutF64(p, d.angle); break;
    case 2: PutF64(p, d.width); break;
    case 3: PutBytes(p, d.block100, 16); break;
    case 4: PutU32(p, d.word200); break;
    case 5: PutU32(p, d.word400); break;
    case 6:
        for (std::uint32_t w : d.words800)
            PutU32(p, w);
        PutF64(p, d.doubles800[0]);
        PutF64(p, d.doubles800[1]);
        PutU32(p, d.word800);
        break;
    case 7: PutBytes(p, d.ext1, 8); break;
    case 8: PutU32(p, d.word8000); break;
    case 9: PutBytes(p, d.ext20000, 12); break;
    case 10: PutBytes(p, d.ext40000, 12); break;
    case 11: PutBytes(p, d.ext100000, 8); break;
    case 12: PutBytes(p, d.ext80000, 8); break;
    default: PutBytes(p, d.ext400000, 8); break;
    }
}

} // namespace

CTextStyleLinkage* CTextStyleLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    CTextStyleLinkage* l = new (std::nothrow) CTextStyleLinkage(list, flags);
    if (!l)
        return nullptr;
    TextStyleData& d = l->m_d;
    CBoundedReader r(data, length);
    d.flags = r.U16();
    d.compact = r.U16();
    if (d.compact) {
        // The integers start where the compact word stands.
        CBoundedReader c(data && length >= 2 ? data + 2 : nullptr, length >= 2 ? length - 2 : 0);
        if (d.flags & 0x1)
            d.size = c.I32() * kCompactLength;
        if (d.flags & 0x8)
            d.angle = c.I32() * kAngleUnitDegrees * kDegreesToRadians;
        if (d.flags & 0x4)
            d.width = c.I32() * kCompactLength;
        // Written back in the full form.
        d.compact = 0;
    } else {
        d.extFlags = r.U32();
        ForEachField(d, [&](std::uint32_t, int which) { ReadField(r, d, which); });
    }
    l->PackSizeHeader();
    return l;
}

std::uint32_t CTextStyleLinkage::GetDataSize() const
{
    std::uint32_t size = 8;
    ForEachField(m_d, [&](std::uint32_t bytes, int) { size += bytes; });
    return size;
}

void CTextStyleLinkage::WriteData(std::uint8_t* p) const
{
    PutU16(&p, m_d.flags);
    PutU16(&p, 0);
    PutU32(&p, m_d.extFlags);
    ForEachField(m_d, [&](std::uint32_t, int which) { WriteField(&p, m_d, which); });
}

void CTextStyleLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "Text style attribute: 0x%04x, size: 0x%02x, flags: 0x%02x", m_userId, m_sizeByte, m_flags);
}

CLinkage* CTextStyleLinkage::Clone(CElementLinkages* list) const
{
    CTextStyleLinkage* l = new (std::nothrow) CTextStyleLinkage(list, m_flags);
    if (l) {
        l->m_d = m_d;
        l->m_sizeByte = m_sizeByte;
    }
    return l;
}

bool CTextStyleLinkage::UsesComputedSize() const { return (m_d.flags & 0x10) != 0; }
TextStyleData* CTextStyleLinkage::GetData() { return &m_d; }

void CTextStyleLinkage::SetUsesComputedSize(int on)
{
    m_d.flags = static_cast<std::uint16_t>((on & 1) ? (m_d.flags | 0x10) : (m_d.flags & ~0x10));
}

} // namespace dgn
