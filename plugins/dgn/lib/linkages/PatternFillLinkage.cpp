#include "PatternFillLinkage.h"

#include "BoundedReader.h"
#include "Element.h"
#include "FillInfo.h"
#include "GraphicElement.h"
#include "ValueEncodings.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

// Options above this are the older form.
constexpr std::uint32_t kCurrentFormOptions = 0x1FFFFF;
constexpr std::uint32_t kValueBits[6] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x40};
constexpr std::uint32_t kWordBits[3] = {0x80, 0x100, 0x200};

// Reads the current form; false when the lines do not fit the block.
bool ReadCurrentForm(CBoundedReader& r, PatternFillData& d)
{
    const std::uint32_t o = d.options;
    for (int i = 0; i < 6; ++i) {
        if (o & kValueBits[i])
            d.values[i] = r.F64();
    }
    for (int i = 0; i < 3; ++i) {
        if (o & kWordBits[i])
            d.words[i] = r.U32();
    }
    if (o & 0x800) {
        for (double& q : d.rotation)
            q = r.F64();
    }
    if (o & 0x1000) {
        for (double& c : d.offset)
            c = r.F64();
    }
    if (o & 0x8000)
        d.cellId = r.U64();
    if (o & 0x2000)
        d.word2000 = r.U16();
    if (o & 0x4000) {
        const std::uint16_t count = r.U16();
        if (count > kMaxPatternLines)
            return false;
        d.lineCount = count;
        for (std::uint16_t i = 0; i < count; ++i) {
            PatternLine& line = d.lines[i];
            for (double& v : line.values)
                v = r.F64();
            const std::uint16_t dashes = r.U16();
            if (dashes > kMaxPatternDashes)
                return false;
            line.dashCount = dashes;
            for (std::uint16_t k = 0; k < dashes; ++k)
                line.dashes[k] = r.F64();
        }
    }
    if (o & 0x20000)
        r.Bytes(d.bytes20000, 8);
    if (o & 0x40000)
        d.word40000 = r.U16();
    return true;
}

double ReadVax(CBoundedReader& r)
{
    const std::uint8_t* p = r.Span(8);
    return p ? ReadVaxDouble(&p) : 0.0;
}

void ReadOlderForm(CBoundedReader& r, PatternFillData& d)
{
    const std::uint32_t o = d.options;
    for (int i = 0; i < 6; ++i) {
        if (o & kValueBits[i])
            d.values[i] = ReadVax(r);
    }
    if (o & 0x100)
        d.words[1] = r.U8();
    if (o & 0x200)
        d.words[2] = r.U8();
    if (o & 0x800) {
        const std::uint8_t* p = r.Span(16);
        if (p)
            ReadV8Quaternion(&p, d.rotation);
    }
    if (o & 0x1000) {
        for (double& c : d.offset)
            c = r.I32();
    }
    if (o & 0x80)
        d.words[0] = r.U16();
}

} // namespace

CPatternFillLinkage* CPatternFillLinkage::Make(CElementLinkages* list, std::uint8_t flags)
{
    CPatternFillLinkage* l = new (std::nothrow) CPatternFillLinkage(list, flags);
    if (l) {
        l->m_data = new (std::nothrow) PatternFillData();
        if (!l->m_data) {
            delete l;
            return nullptr;
        }
    }
    return l;
}

CPatternFillLinkage* CPatternFillLinkage::Create(CElementLinkages* list)
{
    CPatternFillLinkage* l = Make(list, kLinkageUserData);
    if (l)
        l->PackSizeHeader();
    return l;
}

CPatternFillLinkage* CPatternFillLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data,
                                                        std::uint32_t length)
{
    // The block is read aside first: data that does not fit it never joins the list as a fill.
    PatternFillData* d = new (std::nothrow) PatternFillData();
    if (!d)
        return nullptr;
    CBoundedReader r(data, length);
    d->options = r.U32();
    if (d->options > kCurrentFormOptions) {
        ReadOlderForm(r, *d);
    } else if (!ReadCurrentForm(r, *d)) {
        delete d;
        return nullptr;
    }
    CPatternFillLinkage* l = new (std::nothrow) CPatternFillLinkage(list, flags);
    if (!l) {
        delete d;
        return nullptr;
    }
    l->m_data = d;
    l->PackSizeHeader();
    return l;
}

CPatternFillLinkage::~CPatternFillLinkage() { delete m_data; }

std::uint32_t CPatternFillLinkage::WrittenOptions() const { return m_data->options & kCurrentFormOptions; }

std::uint32_t CPatternFillLinkage::GetDataSize() const
{
    const std::uint32_t o = WrittenOptions();
    std::uint32_t size = 4;
    for (std::uint32_t bit : kValueBits)
        size += (o & bit) ? 8 : 0;
    for (std::uint32_t bit : kWordBits)
        size += (o & bit) ? 4 : 0;
    size += (o & 0x800) ? 32 : 0;
    size += (o & 0x1000) ? 24 : 0;
    size += (o & 0x8000) ? 8 : 0;
    size += (o & 0x2000) ? 2 : 0;
    if (o & 0x4000) {
        size += 2;
        for (std::uint16_t i = 0; i < m_data->lineCount && i < kMaxPatternLines; ++i) {
            const std::uint16_t dashes = m_data->lines[i].dashCount;
            size += 42 + 8 * (dashes < kMaxPatternDashes ? dashes : kMaxPatternDashes);
        }
    }
    size += (o & 0x20000) ? 8 : 0;
    size += (o & 0x40000) ? 2 : 0;
    return size;
}

void CPatternFillLinkage::WriteData(std::uint8_t* p) const
{
    const PatternFillData& d = *m_data;
    // An older-form linkage is written in the current form, whose options are below its marker
    // bits; keeping them would make the reader take the current form for the older one.
    const std::uint32_t o = WrittenOptions();
    PutU32(&p, o);
    for (int i = 0; i < 6; ++i) {
        if (o & kValueBits[i])
            PutF64(&p, d.values[i]);
    }
    for (int i = 0; i < 3; ++i) {
        if (o & kWordBits[i])
            PutU32(&p, d.words[i]);
    }
    if (o & 0x800) {
        for (double q : d.rotation)
            PutF64(&p, q);
    }
    if (o & 0x1000) {
        for (double c : d.offset)
            PutF64(&p, c);
    }
    if (o & 0x8000)
        PutU64(&p, d.cellId);
    if (o & 0x2000)
        PutU16(&p, d.word2000);
    if (o & 0x4000) {
        const std::uint16_t count = d.lineCount < kMaxPatternLines ? d.lineCount : kMaxPatternLines;
        PutU16(&p, count);
        for (std::uint16_t i = 0; i < count; ++i) {
            const PatternLine& line = d.lines[i];
            for (double v : line.values)
                PutF64(&p, v);
            const std::uint16_t dashes = line.dashCount < kMaxPatternDashes ? line.dashCount : kMaxPatternDashes;
            PutU16(&p, dashes);
            for (std::uint16_t k = 0; k < dashes; ++k)
                PutF64(&p, line.dashes[k]);
        }
    }
    if (o & 0x20000)
        PutBytes(&p, d.bytes20000, 8);
    if (o & 0x40000)
        PutU16(&p, d.word40000);
}

IElement* CPatternFillLinkage::GetPatternCell() const
{
    IGraphicElement* element = dynamic_cast<IGraphicElement*>(m_ownerElement);
    CFillInfo* fill = element ? element->GetFillInfo() : nullptr;
    return fill ? fill->GetPatternElement() : nullptr;
}

void CPatternFillLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "Pattern fill attribute: 0x%04X, size: 0x%02X, flags: 0x%02X", m_userId, m_sizeByte, m_flags);
    if (!(m_data->options & kPatternCell))
        return;
    IElement* cell = GetPatternCell();
    if (!cell)
        return;
    std::uint64_t id = 0;
    cell->GetElementId(&id);
    // The shared cell definition's name comes with its class; other cells have none.
    EmitLine(callback, kLineBuffer, "     Pattern Cell: Entity %i, Scale %g, %s", static_cast<int>(id), m_data->values[kPatternScaleIndex], "");
}

CLinkage* CPatternFillLinkage::Clone(CElementLinkages* list) const
{
    CPatternFillLinkage* l = Make(list, m_flags);
    if (l) {
        *l->m_data = *m_data;
        l->m_sizeByte = m_sizeByte;
    }
    return l;
}

PatternFillData* CPatternFillLinkage::GetFillData() const { return m_data; }

} // namespace dgn
