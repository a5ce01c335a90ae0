#include "MultilineElement.h"

#include "Geometry.h"
#include "ItemArray.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace dgn {

namespace {

constexpr std::uint16_t kMultilineType = 36;
constexpr std::uint32_t kBodyBytes = 152;
constexpr std::uint32_t kProfileBytes = 32;
constexpr std::uint32_t kNodeBytes = 40;
constexpr std::uint32_t kBreakBytes = 32;
constexpr std::uint32_t kArrayBlock = 8;
constexpr std::uint16_t kClosedMultiline = 0x0001;
// A profile line takes a bit of a break's 32-bit line mask.
constexpr std::uint32_t kMaskBits = 32;

CItemArray* NewArray(std::uint32_t itemBytes) { return CItemArray::Create(itemBytes, kArrayBlock, 8); }

Point3d Add(const Point3d& a, const Point3d& d, double t) { return {a.x + d.x * t, a.y + d.y * t, a.z + d.z * t}; }

MultilineCap ReadCap(CBoundedReader& r)
{
    MultilineCap c;
    c.flags = r.U32();
    c.lineStyle = r.U32();
    c.weight = r.U32();
    c.color = r.U32();
    c.elementClass = r.U32();
    return c;
}

void PutCap(std::uint8_t** p, const MultilineCap& c)
{
    PutU32(p, c.flags);
    PutU32(p, c.lineStyle);
    PutU32(p, c.weight);
    PutU32(p, c.color);
    PutU32(p, c.elementClass);
}

MultilineCap V7Cap(const std::uint8_t* b)
{
    static const std::uint32_t bits[8] = {0x10000, 0x20000, 0x40000, 0x1000000, 0x400000, 0x200000, 0x100000, 0x80000};
    MultilineCap c = {};
    for (int i = 0; i < 8; ++i) {
        if (b[2] & (1 << i))
            c.flags |= bits[i];
    }
    if (b[3] & 0x80)
        c.flags |= 0x400000;
    c.lineStyle = b[0] & 0x7;
    c.weight = b[0] >> 3;
    c.color = b[1];
    c.elementClass = b[3] & 0x7F;
    return c;
}

std::int32_t PlainI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32(p)); }

// How many of the stated records of itemBytes the reader still holds.
std::uint32_t Held(std::int64_t stated, const CBoundedReader& r, std::uint32_t itemBytes)
{
    if (stated <= 0)
        return 0;
    const std::uint32_t held = r.Left() / itemBytes;
    return stated < held ? static_cast<std::uint32_t>(stated) : held;
}

} // namespace

CMultilineElement::CMultilineElement(CDesignFile* file)
    : CGraphicBodyElement(file), m_nodes(NewArray(kNodeBytes)), m_profiles(NewArray(kProfileBytes)), m_breaks(NewArray(kBreakBytes))
{
    m_type = kMultilineType;
    m_flags |= kElementGraphic;
    m_properties |= kPropertyScreen;
}

CMultilineElement::~CMultilineElement()
{
    delete m_nodes;
    delete m_profiles;
    delete m_breaks;
}

int CMultilineElement::GetType() const { return kMultilineType; }
bool CMultilineElement::Transform(const double*) { return false; }

MultilineProfile* CMultilineElement::GetProfile(std::uint32_t i) const { return reinterpret_cast<MultilineProfile*>(m_profiles->ItemAt(i)); }
MultilineNode* CMultilineElement::GetNode(std::uint32_t i) const { return reinterpret_cast<MultilineNode*>(m_nodes->ItemAt(i)); }
MultilineBreak* CMultilineElement::GetBreak(std::uint32_t i) const { return reinterpret_cast<MultilineBreak*>(m_breaks->ItemAt(i)); }

bool CMultilineElement::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    const MultilineNode* n = selector == 0 && m_nodes ? GetNode(0) : nullptr;
    if (!n)
        return false;
    *out = {n->x, n->y, n->z};
    return true;
}

IElement* CMultilineElement::Clone(CDesignFile* target, bool removeSource)
{
    CMultilineElement* copy = new (std::nothrow) CMultilineElement(target ? target : m_designFile);
    if (!copy)
        return nullptr;
    CItemArray* arrays[3] = {m_nodes ? m_nodes->Clone() : nullptr, m_profiles ? m_profiles->Clone() : nullptr, m_breaks ? m_breaks->Clone() : nullptr};
    if (!arrays[0] || !arrays[1] || !arrays[2]) {
        for (CItemArray* a : arrays)
            delete a;
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    delete copy->m_nodes;
    delete copy->m_profiles;
    delete copy->m_breaks;
    copy->m_nodes = arrays[0];
    copy->m_profiles = arrays[1];
    copy->m_breaks = arrays[2];
    copy->m_startAngle = m_startAngle;
    copy->m_endAngle = m_endAngle;
    copy->m_word = m_word;
    copy->m_byte = m_byte;
    copy->m_mlineFlags = m_mlineFlags;
    std::copy(m_carried, m_carried + 4, copy->m_carried);
    std::copy(m_doubles, m_doubles + 3, copy->m_doubles);
    std::copy(m_caps, m_caps + 3, copy->m_caps);
    std::copy(m_carried12, m_carried12 + 12, copy->m_carried12);
    copy->m_normal = m_normal;
    return copy;
}

bool CMultilineElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_nodes || !m_profiles || !m_breaks)
        return false;
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        m_startAngle = r.F64();
        m_endAngle = r.F64();
        m_word = r.U32();
        const std::uint32_t nodes = r.U16();
        m_byte = r.U8();
        const std::uint32_t lines = r.U8();
        const std::uint32_t breaks = r.U16();
        m_mlineFlags = r.U16();
        r.Bytes(m_carried, 4);
        for (double& d : m_doubles)
            d = r.F64();
        for (MultilineCap& c : m_caps)
            c = ReadCap(r);
        r.Bytes(m_carried12, 12);
        m_normal.x = r.F64();
        m_normal.y = r.F64();
        m_normal.z = r.F64();
        m_profiles->Reset();
        m_nodes->Reset();
        m_breaks->Reset();
        for (std::uint32_t i = Held(lines, r, kProfileBytes); i > 0; --i) {
            MultilineProfile p;
            p.offset = r.F64();
            p.word = r.U32();
            p.flags = r.U32();
            p.lineStyle = r.U32();
            p.weight = r.U32();
            p.color = r.U32();
            p.elementClass = r.U32();
            if (!m_profiles->AppendItems(&p, 1))
                return false;
        }
        for (std::uint32_t i = Held(nodes, r, kNodeBytes); i > 0; --i) {
            MultilineNode n;
            n.x = r.F64();
            n.y = r.F64();
            n.z = r.F64();
            n.word = r.U32();
            n.firstBreak = r.U16();
            n.breakCount = r.U16();
            n.extra = r.F64();
            if (!m_nodes->AppendItems(&n, 1))
                return false;
        }
        for (std::uint32_t i = Held(breaks, r, kBreakBytes); i > 0; --i) {
            MultilineBreak b;
            b.lineMask = r.U32();
            b.flags = r.U32();
            b.offset = r.F64();
            b.length = r.F64();
            b.extra = r.F64();
            if (!m_breaks->AppendItems(&b, 1))
                return false;
        }
        return true;
    });
}

bool CMultilineElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, 104);
    if (!n || !m_nodes || !m_profiles || !m_breaks || !ReadV7Linkages(record, length) || !IGraphicElement::ReadV7(cursor, length))
        return false;
    const std::uint8_t* p = record + 36;
    m_startAngle = ReadVaxDouble(&p);
    m_endAngle = ReadVaxDouble(&p);
    m_word = 0;
    const std::int32_t lines = record[55];
    const std::int32_t nodes = static_cast<std::int8_t>(record[56]);
    m_byte = 3;
    const std::int32_t breaks = static_cast<std::int8_t>(record[58]);
    m_mlineFlags = LoadU16(record + 60);
    for (int i = 0; i < 3; ++i)
        m_caps[i] = V7Cap(record + 72 + 4 * i);
    for (double& d : m_doubles)
        d = 0.0;
    m_normal = {PlainI32(record + 92) * kQuaternionScale, PlainI32(record + 96) * kQuaternionScale, PlainI32(record + 100) * kQuaternionScale};
    CBoundedReader r(record + 104, n - 104);
    if (m_elementId == 0) {
        const std::uint8_t* id = r.Span(4);
        if (id) {
            m_elementId = static_cast<std::uint64_t>(static_cast<std::int64_t>(PlainI32(id)));
            IndexElementId();
        }
    }
    m_profiles->Reset();
    m_nodes->Reset();
    m_breaks->Reset();
    bool ok = true;
    for (std::uint32_t i = Held(lines, r, 8); ok && i > 0; --i) {
        const std::uint8_t* b = r.Span(8);
        MultilineProfile pr = {PlainI32(b) * 1.0, 0, static_cast<std::uint32_t>(b[6]) << 16, b[4] & 7u, static_cast<std::uint32_t>(b[4] >> 3), b[5], b[7]};
        ok = m_profiles->AppendItems(&pr, 1) != nullptr;
    }
    for (std::uint32_t i = Held(nodes, r, 16); ok && i > 0; --i) {
        const std::uint8_t* b = r.Span(16);
        MultilineNode nd = {PlainI32(b) * 1.0, PlainI32(b + 4) * 1.0, PlainI32(b + 8) * 1.0, LoadU16(b + 12),
                            static_cast<std::uint16_t>(static_cast<std::int8_t>(b[15])), static_cast<std::uint16_t>(static_cast<std::int8_t>(b[14])), 0.0};
        ok = m_nodes->AppendItems(&nd, 1) != nullptr;
    }
    for (std::uint32_t i = Held(breaks, r, 12); ok && i > 0; --i) {
        const std::uint8_t* b = r.Span(12);
        MultilineBreak br = {LoadU16(b), LoadU16(b + 2), PlainI32(b + 4) * 1.0, PlainI32(b + 8) * 1.0, 0.0};
        ok = m_breaks->AppendItems(&br, 1) != nullptr;
    }
    if (!ok) {
        *cursor = record;
        return false;
    }
    *cursor = record + n;
    return true;
}

void CMultilineElement::Touch()
{
    const std::uint64_t body = kBodyBytes + static_cast<std::uint64_t>(kProfileBytes) * (m_profiles ? m_profiles->Count() : 0) +
                               static_cast<std::uint64_t>(kNodeBytes) * (m_nodes ? m_nodes->Count() : 0) +
                               static_cast<std::uint64_t>(kBreakBytes) * (m_breaks ? m_breaks->Count() : 0);
    SetGraphicBodySizes(body);
    IGraphicElement::Touch();
}

std::uint32_t CMultilineElement::WriteV8(std::uint8_t** cursor)
{
    if (!m_nodes || !m_profiles || !m_breaks)
        return 0;
    const std::uint32_t lines = m_profiles->Count(), nodes = m_nodes->Count(), breaks = m_breaks->Count();
    // The counts have 8 and 16 bits in the record.
    if (lines > 0xFF || nodes > 0xFFFF || breaks > 0xFFFF)
        return 0;
    CBodyBuffer body(kBodyBytes + static_cast<std::uint64_t>(kProfileBytes) * lines + static_cast<std::uint64_t>(kNodeBytes) * nodes +
                     static_cast<std::uint64_t>(kBreakBytes) * breaks);
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    PutF64(&p, m_startAngle);
    PutF64(&p, m_endAngle);
    PutU32(&p, m_word);
    PutU16(&p, static_cast<std::uint16_t>(nodes));
    PutU8(&p, m_byte);
    PutU8(&p, static_cast<std::uint8_t>(lines));
    PutU16(&p, static_cast<std::uint16_t>(breaks));
    PutU16(&p, m_mlineFlags);
    PutBytes(&p, m_carried, 4);
    for (double d : m_doubles)
        PutF64(&p, d);
    for (const MultilineCap& c : m_caps)
        PutCap(&p, c);
    PutBytes(&p, m_carried12, 12);
    PutF64(&p, m_normal.x);
    PutF64(&p, m_normal.y);
    PutF64(&p, m_normal.z);
    for (std::uint32_t i = 0; i < lines; ++i) {
        const MultilineProfile* l = GetProfile(i);
        PutF64(&p, l->offset);
        for (std::uint32_t v : {l->word, l->flags, l->lineStyle, l->weight, l->color, l->elementClass})
            PutU32(&p, v);
    }
    for (std::uint32_t i = 0; i < nodes; ++i) {
        const MultilineNode* n = GetNode(i);
        PutF64(&p, n->x);
        PutF64(&p, n->y);
        PutF64(&p, n->z);
        PutU32(&p, n->word);
        PutU16(&p, n->firstBreak);
        PutU16(&p, n->breakCount);
        PutF64(&p, n->extra);
    }
    for (std::uint32_t i = 0; i < breaks; ++i) {
        const MultilineBreak* b = GetBreak(i);
        PutU32(&p, b->lineMask);
        PutU32(&p, b->flags);
        PutF64(&p, b->offset);
        PutF64(&p, b->length);
        PutF64(&p, b->extra);
    }
    return WriteGraphicBodyRecord(cursor, body.Data(), body.Size());
}

void CMultilineElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "MultiLine element");
    IGraphicElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "Nr. lines: %i, Nr nodes: %i, Nr. breaks: %i", static_cast<int>(m_profiles ? m_profiles->Count() : 0),
             static_cast<int>(m_nodes ? m_nodes->Count() : 0), static_cast<int>(m_breaks ? m_breaks->Count() : 0));
    EmitEnd(callback);
}

// ---------------------------------------------------------------------------------------------
// Drawing

bool CMultilineElement::RawSegment(std::uint32_t i, double o, Point3d& a, Point3d& b, Point3d& d) const
{
    const MultilineNode* n0 = GetNode(i);
    const MultilineNode* n1 = GetNode(i + 1);
    d = {n1->x - n0->x, n1->y - n0->y, n1->z - n0->z};
    if (!NormalizeVector3d(d))
        return false;
    Point3d side;
    CrossProduct3d(m_normal, d, side);
    if (!NormalizeVector3d(side))
        return false;
    a = Add({n0->x, n0->y, n0->z}, side, o);
    b = Add({n1->x, n1->y, n1->z}, side, o);
    return true;
}

bool CMultilineElement::Joint(std::uint32_t i, std::uint32_t j, double o, Point3d& out) const
{
    Point3d a1, b1, d1, a2, b2, d2;
    if (i == j || !RawSegment(i, o, a1, b1, d1) || !RawSegment(j, o, a2, b2, d2))
        return false;
    const double s1[6] = {a1.x, a1.y, a1.z, b1.x, b1.y, b1.z};
    const double s2[6] = {a2.x, a2.y, a2.z, b2.x, b2.y, b2.z};
    return IntersectLines3d(s1, s2, out) == 1;
}

bool CMultilineElement::OffsetSegment(std::uint32_t i, double o, Point3d& a, Point3d& b, Point3d& d) const
{
    if (!RawSegment(i, o, a, b, d))
        return false;
    const std::uint32_t last = m_nodes->Count() - 2;
    const bool closed = (m_mlineFlags & kClosedMultiline) != 0;
    Point3d x;
    if (i > 0) {
        if (Joint(i - 1, i, o, x))
            a = x;
    } else if (closed) {
        if (Joint(last, 0, o, x))
            a = x;
    } else {
        a = Add(a, d, std::cos(m_startAngle) * o);
    }
    if (i < last) {
        if (Joint(i, i + 1, o, x))
            b = x;
    } else if (closed) {
        if (Joint(last, 0, o, x))
            b = x;
    } else {
        b = Add(b, d, std::cos(m_endAngle) * o);
    }
    return true;
}

void CMultilineElement::ApplyOverrides(std::uint32_t flags, std::uint32_t style, std::uint32_t weight, std::uint32_t color, IGeometrySink* sink) const
{
    sink->SetColor((flags & kMultilineOwnColor) ? static_cast<std::int32_t>(color) : m_color);
    sink->SetWeight((flags & kMultilineOwnWeight) ? static_cast<std::int32_t>(weight) : m_weight);
    sink->SetLineStyle((flags & kMultilineOwnStyle) ? static_cast<std::int32_t>(style) : m_lineStyle);
}

void CMultilineElement::EmitProfile(std::uint32_t line, const MultilineProfile& profile, IGeometrySink* sink)
{
    ApplyOverrides(profile.flags, profile.lineStyle, profile.weight, profile.color, sink);
    std::vector<Point3d> run;
    auto flush = [&]() {
        if (run.size() >= 2)
            sink->AddPoints3d(static_cast<std::uint32_t>(run.size()), run.data());
        run.clear();
    };
    auto piece = [&](const Point3d& p, const Point3d& q) {
        if (run.empty() || run.back().x != p.x || run.back().y != p.y || run.back().z != p.z) {
            flush();
            run.push_back(p);
        }
        run.push_back(q);
    };
    const std::uint32_t segments = m_nodes->Count() - 1;
    for (std::uint32_t i = 0; i < segments; ++i) {
        Point3d a, b, d;
        if (!OffsetSegment(i, profile.offset, a, b, d))
            continue;
        const MultilineNode* node = GetNode(i);
        const double length = (b.x - a.x) * d.x + (b.y - a.y) * d.y + (b.z - a.z) * d.z;
        // The gaps of this line on this segment, as intervals along d from a.
        std::vector<std::pair<double, double>> gaps;
        for (std::uint32_t k = 0; k < node->breakCount; ++k) {
            const MultilineBreak* br = GetBreak(static_cast<std::uint32_t>(node->firstBreak) + k);
            if (!br)
                break; // break indices past the breaks name none
            if (line >= kMaskBits || !(br->lineMask & (1u << line)))
                continue;
            if (br->flags & kBreakFromStart)
                gaps.push_back({0.0, br->length});
            else if (br->flags & kBreakToEnd)
                gaps.push_back({br->offset, length});
            else
                gaps.push_back({br->offset, br->offset + br->length});
        }
        std::sort(gaps.begin(), gaps.end());
        double at = 0.0;
        for (const auto& g : gaps) {
            if (g.first > at)
                piece(Add(a, d, at), Add(a, d, std::min(g.first, length)));
            at = std::max(at, g.second);
            if (at >= length)
                break;
        }
        if (at < length)
            piece(at == 0.0 ? a : Add(a, d, at), b);
    }
    flush();
}

void CMultilineElement::EmitCaps(IGeometrySink* sink)
{
    double low = 0.0, high = 0.0;
    for (std::uint32_t i = 0; i < m_profiles->Count(); ++i) {
        const double o = GetProfile(i)->offset;
        low = i == 0 || o < low ? o : low;
        high = i == 0 || o > high ? o : high;
    }
    const std::uint32_t segments = m_nodes->Count() - 1;
    auto cap = [&](const MultilineCap& c, std::uint32_t segment, bool atEnd) {
        if (!(c.flags & kMultilineCapLine))
            return;
        Point3d a1, b1, d, a2, b2;
        if (!OffsetSegment(segment, low, a1, b1, d) || !OffsetSegment(segment, high, a2, b2, d))
            return;
        ApplyOverrides(c.flags, c.lineStyle, c.weight, c.color, sink);
        const Point3d l[2] = {atEnd ? b1 : a1, atEnd ? b2 : a2};
        sink->AddLine3d(l);
    };
    if (!(m_mlineFlags & kClosedMultiline)) {
        cap(m_caps[0], 0, false);
        cap(m_caps[1], segments - 1, true);
    }
    for (std::uint32_t i = 1; i < segments; ++i)
        cap(m_caps[2], i, false);
}

void CMultilineElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    if (!m_nodes || !m_profiles || !m_breaks || m_nodes->Count() < 2)
        return;
    for (std::uint32_t i = 0; i < m_profiles->Count(); ++i)
        EmitProfile(i, *GetProfile(i), sink);
    EmitCaps(sink);
}

} // namespace dgn
