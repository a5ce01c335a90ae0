#include "TagElements.h"

#include "DesignFile.h"
#include "ElementLinkages.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "PlacementTransforms.h"
#include "ValueEncodings.h"
#include "linkages/DependencyLinkage.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace dgn {

namespace {

constexpr int kTagSetType = 39;
constexpr int kTagType = 37;
constexpr std::uint32_t kNameStringId = 1;
constexpr std::uint32_t kSecondNameStringId = 34;
// The packed definitions come after these 28 body bytes.
constexpr std::uint32_t kTagSetFixedBytes = kV8HeaderBytes + 28;
// The V7 properties bit that says the record carries linkages.
constexpr std::uint16_t kV7TagSetLinkages = 0x0800;
constexpr std::uint16_t kTagSetAppId = 10007;
constexpr std::uint16_t kTargetAppId = 10000;
constexpr std::uint16_t kTargetFromKeyPoint = 0x0001;
constexpr std::uint16_t kOffsetPlaced = 0x0002;
// A V7 2-D tag angle is in 1/360000 degree.
constexpr double kV7TagAngleToRadians = 4.848136810956791e-08;
constexpr double kV7QuaternionScale = 1.0 / 2147483647.0;
// The width and height factors give length and height at this scale.
constexpr double kFactorToSize = 0.006;
constexpr double kDefaultFactor = 10000.0;
// Display values: width and height factors, orientation, font number.
constexpr std::size_t kWidthAt = 24;
constexpr std::size_t kHeightAt = 32;
constexpr std::size_t kOrientationAt = 40;
constexpr std::size_t kFontAt = 84;
// Association records name one element at 8 (these kinds) or two at 8 and 16.
constexpr std::uint32_t kAssociationBytes = 40;

std::uint32_t FixedValueBytes(std::uint16_t type)
{
    switch (type) {
    case kTagInt16: return 2;
    case kTagInt32: return 4;
    case kTagDouble: return 8;
    default: return 0;
    }
}

// A NUL-terminated narrow string within the reader's bytes, taken with its terminator (or to
// the end of the bytes when it has none); the string's byte count without it.
std::uint32_t TakeCString(CBoundedReader& r, const std::uint8_t** text)
{
    const std::uint8_t* at = r.Position();
    std::uint32_t n = 0;
    while (n < r.Left() && at[n])
        ++n;
    *text = at;
    r.Skip(n < r.Left() ? n + 1 : n);
    return n;
}

// A DGN string of n bytes of text (a wide one with its marker): held with terminators of its
// own, so that no length is looked for past the bytes.
bool AssignBytes(CDgnString* s, const std::uint8_t* text, std::uint32_t n)
{
    if (!s)
        return false;
    std::string held(reinterpret_cast<const char*>(text), n);
    held.append(2, '\0');
    s->SetBytes(held.data(), static_cast<std::int32_t>(n + 1));
    return true;
}

// The bytes of a packed DGN string: narrow with its NUL, wide with its marker and terminator.
std::uint32_t PackedStringBytes(CDgnString* s) { return s->IsWide() ? s->ByteSize() : s->Length() + 1; }

void PutString(std::uint8_t** cursor, CDgnString* s)
{
    const std::uint32_t n = PackedStringBytes(s);
    std::memcpy(*cursor, s->Text(), n - (s->IsWide() ? 0 : 1));
    if (!s->IsWide())
        (*cursor)[n - 1] = 0;
    *cursor += n;
}

// A DGN string read from packed bytes: narrow up to its NUL, wide (marker 0xFF 0xFE) up to its
// 16-bit terminator; bounded by the bytes.
bool ReadPackedString(CBoundedReader& r, CDgnString* out)
{
    const std::uint8_t* at = r.Position();
    const std::uint32_t left = r.Left();
    if (left >= 2 && at[0] == 0xFF && at[1] == 0xFE) {
        std::uint32_t n = 2;
        while (n + 1 < left && (at[n] || at[n + 1]))
            n += 2;
        r.Skip(n + 2 <= left ? n + 2 : left);
        return AssignBytes(out, at, n);
    }
    const std::uint8_t* text = nullptr;
    const std::uint32_t n = TakeCString(r, &text);
    return AssignBytes(out, text, n);
}

std::string Narrow(CDgnString* s)
{
    if (!s)
        return std::string();
    std::string narrow(static_cast<std::size_t>(s->CharCount()) + 1, '\0');
    s->CopyToAnsi(&narrow[0]);
    narrow.resize(std::strlen(narrow.c_str()));
    return narrow;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Tag set definition

CTagSetDefinitionElement::CTagSetDefinitionElement(CDesignFile* file)
    : CPlainBodyElement(file), m_name(CDgnString::Create()), m_secondName(CDgnString::Create()),
      m_definitions(CItemArray::Create(sizeof(TagDefinition), 8, alignof(TagDefinition))), m_packed(CByteArray::NewWithCapacity(64))
{
    m_type = kTagSetType;
    m_level = 0;
    m_flags = static_cast<std::uint16_t>(m_flags | kElementComplexHeader | kElementNonModel);
}

CTagSetDefinitionElement::~CTagSetDefinitionElement()
{
    ClearDefinitions();
    delete m_definitions;
    delete m_packed;
    delete m_name;
    delete m_secondName;
}

CTagSetDefinitionElement* CTagSetDefinitionElement::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CTagSetDefinitionElement*>(PlaceNewElement(new (std::nothrow) CTagSetDefinitionElement(file), file, model));
}

void CTagSetDefinitionElement::ClearDefinitions()
{
    std::uint32_t index = 0;
    while (TagDefinition* d = GetNextDefinition(&index)) {
        delete d->name;
        delete d->prompt;
        delete d->value;
    }
    if (m_definitions)
        m_definitions->Reset();
}

std::uint32_t CTagSetDefinitionElement::DefinitionCount() const { return m_definitions ? m_definitions->Count() : 0; }

TagDefinition* CTagSetDefinitionElement::GetNextDefinition(std::uint32_t* index) const
{
    if (!index || *index >= DefinitionCount())
        return nullptr;
    return reinterpret_cast<TagDefinition*>(m_definitions->ItemAt((*index)++));
}

TagDefinition* CTagSetDefinitionElement::FindDefinition(std::uint16_t id) const
{
    std::uint32_t index = 0;
    while (TagDefinition* d = GetNextDefinition(&index)) {
        if (d->id == id)
            return d;
    }
    return nullptr;
}

void CTagSetDefinitionElement::SetName(const char* name)
{
    if (m_name)
        m_name->Set(name ? name : "");
}

void CTagSetDefinitionElement::SetSecondName(const char* name)
{
    if (m_secondName)
        m_secondName->Set(name ? name : "");
}

TagDefinition* CTagSetDefinitionElement::AddRaw(const CDgnString* name, const CDgnString* prompt, std::uint16_t type, const std::uint8_t* value,
                                                std::uint32_t n, std::uint16_t flags, std::uint16_t id, std::uint8_t extra)
{
    TagDefinition d = {name ? name->Clone() : CDgnString::Create(), prompt ? prompt->Clone() : CDgnString::Create(), CByteArray::NewWithCapacity(16),
                       id, type, static_cast<std::uint16_t>(n), flags, extra};
    TagDefinition* added = nullptr;
    if (d.name && d.prompt && d.value && n <= 0xFFFF && (!n || d.value->Append(value, n)) && m_definitions)
        added = reinterpret_cast<TagDefinition*>(m_definitions->AppendItems(&d, 1));
    if (!added) {
        delete d.name;
        delete d.prompt;
        delete d.value;
    }
    return added;
}

TagDefinition* CTagSetDefinitionElement::AddDefinition(const char* name, const char* prompt, std::uint16_t type, const void* value, std::uint16_t flags,
                                                       std::int32_t id)
{
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(value);
    std::uint32_t n = FixedValueBytes(type);
    if (type == kTagString)
        n = value ? static_cast<std::uint32_t>(std::strlen(static_cast<const char*>(value))) : 0;
    if (!value)
        n = 0;
    CDgnString* nameString = CDgnString::CreateFromAnsi(name ? name : "");
    CDgnString* promptString = CDgnString::CreateFromAnsi(prompt ? prompt : "");
    const std::uint16_t tagId = static_cast<std::uint16_t>(id == -1 ? DefinitionCount() + 1 : id);
    TagDefinition* d = nameString && promptString ? AddRaw(nameString, promptString, type, bytes, n, flags, tagId, 0) : nullptr;
    delete nameString;
    delete promptString;
    return d;
}

bool CTagSetDefinitionElement::RemoveDefinition(TagDefinition* definition)
{
    for (std::uint32_t i = 0; i < DefinitionCount(); ++i) {
        auto* d = reinterpret_cast<TagDefinition*>(m_definitions->ItemAt(i));
        if (d != definition)
            continue;
        delete d->name;
        delete d->prompt;
        delete d->value;
        return m_definitions->RemoveItems(1, i);
    }
    return false;
}

bool CTagSetDefinitionElement::ReadPacked(CBoundedReader& packed)
{
    // Every field is bounded by the packed bytes: a definition cut short ends the list.
    CDgnString* name = CDgnString::Create();
    CDgnString* prompt = CDgnString::Create();
    bool ok = name && prompt;
    while (ok && packed.Left() > 0) {
        if (!ReadPackedString(packed, name))
            break;
        const std::uint16_t id = packed.U16();
        ReadPackedString(packed, prompt);
        const std::uint16_t type = packed.U16();
        const std::uint16_t size = packed.U16();
        const std::uint16_t flags = packed.U16();
        const std::uint8_t extra = packed.U8();
        if (packed.IsShort())
            break;
        const std::uint8_t* value = packed.Position();
        std::uint32_t n = 0;
        if (type == kTagString)
            n = TakeCString(packed, &value);
        else if (type == kTagBinary)
            n = size <= packed.Left() ? size : packed.Left();
        else
            n = FixedValueBytes(type) <= packed.Left() ? FixedValueBytes(type) : 0;
        if (type != kTagString)
            packed.Skip(n);
        if (!AddRaw(name, prompt, type, value, n, flags, id, extra))
            ok = false;
    }
    delete name;
    delete prompt;
    return ok;
}

bool CTagSetDefinitionElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    return ReadPlainBody(cursor, length, [this](CBoundedReader& body) {
        m_reserved = body.U32();
        for (std::uint32_t& w : m_block)
            w = body.U32();
        if (body.IsShort())
            return false;
        ClearDefinitions();
        // The packed bytes are what the record holds of the stated length; the last four are
        // the checksum.
        const std::uint32_t p = m_block[5] <= body.Left() ? m_block[5] : body.Left();
        const std::uint8_t* bytes = body.Span(p);
        if (m_packed) {
            m_packed->Reset();
            if (p && !m_packed->Append(bytes, p))
                return false;
        }
        CBoundedReader packed(bytes, p >= 4 ? p - 4 : 0);
        if (!ReadPacked(packed))
            return false;
        if (m_attributes) {
            m_name->Clear();
            m_secondName->Clear();
            m_attributes->GetStringLinkage(kNameStringId, *m_name);
            m_attributes->GetStringLinkage(kSecondNameStringId, *m_secondName);
        }
        return true;
    });
}

bool CTagSetDefinitionElement::ReadV7Linkages(const std::uint8_t* record, std::uint32_t length)
{
    const std::uint32_t n = V7RecordLength(record, length, 34);
    if (!n || !m_attributes)
        return n != 0;
    if (!(LoadU16(record + 32) & kV7TagSetLinkages))
        return true;
    // Words from offset 32 + 2 x the word at 30 to the end of the record.
    const std::uint32_t start = 32 + 2 * static_cast<std::uint32_t>(LoadU16(record + 30));
    m_attributes->Clear();
    if (start < n)
        m_attributes->Parse(record + start, n - start);
    if (const std::uint32_t id = m_attributes->GetV7EntityId()) {
        m_elementId = id;
        IndexElementId();
    }
    return true;
}

bool CTagSetDefinitionElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!ReadV7Linkages(record, length))
        return false;
    return ReadPlainV7Body(cursor, length, [this](CBoundedReader& body) {
        // A V7 tag set is a type-66 record on level 24; it is written as type 39 on level 0.
        m_type = kTagSetType;
        m_level = 0;
        // Offsets below are from the record's start; the reader starts at 28.
        body.Skip(38 - kV7HeaderBytes);
        m_block[2] = body.U16();
        body.Skip(44 - 40);
        const std::uint16_t stated = body.U16();
        body.Skip(48 - 46);
        if (body.IsShort())
            return false;
        const std::uint8_t* text = nullptr;
        std::uint32_t n = TakeCString(body, &text);
        AssignBytes(m_name, text, n);
        n = TakeCString(body, &text);
        AssignBytes(m_secondName, text, n);
        ClearDefinitions();
        CDgnString* name = CDgnString::Create();
        CDgnString* prompt = CDgnString::Create();
        bool ok = name && prompt;
        for (std::uint32_t i = 0; ok && i < stated && body.Left() > 0; ++i) {
            n = TakeCString(body, &text);
            // An empty name ends the list.
            if (!n)
                break;
            AssignBytes(name, text, n);
            const std::uint16_t id = body.U16();
            n = TakeCString(body, &text);
            AssignBytes(prompt, text, n);
            const std::uint16_t type = body.U16();
            body.Skip(5);
            std::uint8_t value[8] = {};
            const std::uint8_t* bytes = value;
            std::uint32_t size = 0;
            switch (type) {
            case kTagString:
                size = TakeCString(body, &bytes);
                break;
            case kTagInt16: StoreU16(value, body.U16()); size = 2; break;
            case kTagInt32:
            case kTagBinary: StoreU32(value, static_cast<std::uint32_t>(ReadV7Int32(body))); size = 4; break;
            case kTagDouble: {
                const std::uint8_t* vax = body.Span(8);
                const double d = vax ? ReadVaxDouble(&vax) : 0.0;
                std::memcpy(value, &d, 8);
                size = 8;
                break;
            }
            default: break;
            }
            if (body.IsShort())
                break;
            if (!AddRaw(name, prompt, type, bytes, size, 0, id, 0))
                ok = false;
        }
        delete name;
        delete prompt;
        if (m_attributes) {
            m_attributes->SetStringLinkage(kNameStringId, *m_name);
            m_attributes->SetStringLinkage(kSecondNameStringId, *m_secondName);
        }
        if (ok)
            Touch();
        return ok;
    });
}

bool CTagSetDefinitionElement::Pack()
{
    if (!m_packed)
        return false;
    m_packed->Reset();
    std::uint32_t index = 0;
    while (TagDefinition* d = GetNextDefinition(&index)) {
        // The size written is that of the value bytes that follow it.
        const std::uint32_t n = d->value ? d->value->Size() : 0;
        d->size = static_cast<std::uint16_t>(n);
        const std::uint32_t bytes = PackedStringBytes(d->name) + PackedStringBytes(d->prompt) + 9 + n + (d->type == kTagString ? 1 : 0);
        const std::uint32_t at = m_packed->Size();
        if (!m_packed->Grow(bytes))
            return false;
        std::uint8_t* cursor = m_packed->Data() + at;
        PutString(&cursor, d->name);
        PutU16(&cursor, d->id);
        PutString(&cursor, d->prompt);
        PutU16(&cursor, d->type);
        PutU16(&cursor, d->size);
        PutU16(&cursor, d->flags);
        *cursor++ = d->extra;
        if (n)
            std::memcpy(cursor, d->value->Data(), n);
        cursor += n;
        if (d->type == kTagString)
            *cursor = 0;
    }
    const std::uint32_t at = m_packed->Size();
    if (!m_packed->Grow(4))
        return false;
    std::memset(m_packed->Data() + at, 0, 4);
    std::uint32_t checksum = 0;
    for (std::uint32_t i = 0; i + 4 <= m_packed->Size(); i += 4)
        checksum ^= LoadU32(m_packed->Data() + i);
    StoreU32(m_packed->Data() + at, checksum);
    m_block[3] = checksum;
    m_block[5] = m_packed->Size();
    if (m_block[4] < m_block[5])
        m_block[4] = m_block[5];
    return true;
}

void CTagSetDefinitionElement::Touch()
{
    if (m_attributes) {
        m_attributes->SetStringLinkage(kNameStringId, *m_name);
        m_attributes->SetStringLinkage(kSecondNameStringId, *m_secondName);
    }
    Pack();
    SetSizesForBody(kTagSetFixedBytes + (m_packed ? m_packed->Size() : 0));
    IElement::Touch();
}

std::uint32_t CTagSetDefinitionElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t* record = *cursor;
    const std::uint32_t p = m_packed ? m_packed->Size() : 0;
    const std::uint32_t size = PlanLinkedRecord(kTagSetFixedBytes + p);
    if (!size)
        return 0;
    IElement::WriteV8(cursor);
    PutU32(cursor, m_reserved);
    for (int i = 0; i < 6; ++i)
        PutU32(cursor, i == 4 && m_block[4] < p ? p : m_block[i]);
    if (p) {
        std::memcpy(*cursor, m_packed->Data(), p);
        *cursor += p;
    }
    WriteLinkages(cursor, record);
    return size;
}

IElement* CTagSetDefinitionElement::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) CTagSetDefinitionElement(target);
    if (!copy)
        return nullptr;
    copy->m_reserved = m_reserved;
    std::memcpy(copy->m_block, m_block, sizeof m_block);
    bool ok = copy->m_name && copy->m_secondName && copy->m_name->Assign(*m_name) && copy->m_secondName->Assign(*m_secondName);
    std::uint32_t index = 0;
    while (ok) {
        TagDefinition* d = GetNextDefinition(&index);
        if (!d)
            break;
        ok = copy->AddRaw(d->name, d->prompt, d->type, d->value->Data(), d->value->Size(), d->flags, d->id, d->extra) != nullptr;
    }
    if (!ok) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    copy->Touch();
    return copy;
}

void CTagSetDefinitionElement::Describe(LineCallback callback)
{
    if (m_name && m_name->IsWide()) {
        std::u16string wide(static_cast<std::size_t>(m_name->CharCount()) + 1, u'\0');
        m_name->CopyToWide(&wide[0]);
        wide.resize(m_name->CharCount());
        EmitWideLine(callback, kLineBuffer, u"TagSet Definition: " + wide);
    } else {
        EmitLine(callback, kLineBuffer, "TagSet Definition: %s", Narrow(m_name).c_str());
    }
    DescribeElementLines(callback);
    std::uint32_t index = 0;
    while (TagDefinition* d = GetNextDefinition(&index)) {
        char value[64];
        const std::uint8_t* v = d->value->Data();
        const std::uint32_t n = d->value->Size();
        std::string shown;
        switch (d->type) {
        case kTagString: shown.assign(reinterpret_cast<const char*>(v), n); break;
        case kTagInt16: std::snprintf(value, sizeof value, "0x%.4X", n >= 2 ? LoadU16(v) : 0u); shown = value; break;
        case kTagInt32: std::snprintf(value, sizeof value, "0x%.8X", n >= 4 ? LoadU32(v) : 0u); shown = value; break;
        case kTagDouble:
            std::snprintf(value, sizeof value, "0x%.16llX", static_cast<unsigned long long>(n >= 8 ? LoadU64(v) : 0));
            shown = value;
            break;
        case kTagBinary: shown = "Binary Tag Data"; break;
        default: shown = "***Invalid Tag Type***"; break;
        }
        const std::string line = "id: " + std::to_string(d->id) + ", type: " + std::to_string(d->type) + ", Name: " + Narrow(d->name) +
                                 ", Prompt: " + Narrow(d->prompt);
        EmitLine(callback, kLineBuffer, "%s, Flags: 0x%.4X, Unk: 0x%.2X\n  Default: %s", line.c_str(), static_cast<unsigned>(d->flags),
                 static_cast<unsigned>(d->extra), shown.c_str());
    }
    EmitEnd(callback);
}

// ---------------------------------------------------------------------------------------------
// Attribute tags

template <int D>
TAttributeTagElement<D>::TAttributeTagElement(CDesignFile* file)
    : IBodyGraphicElement(file, kTagType, D == 3 ? kPropertyScreen | kProperty3d : kPropertyScreen), m_string(CDgnString::Create())
{
    const double factor = kDefaultFactor;
    std::memcpy(m_displayValues + kWidthAt, &factor, 8);
    std::memcpy(m_displayValues + kHeightAt, &factor, 8);
    if (D == 3) {
        const double one = 1.0;
        std::memcpy(m_displayValues + kOrientationAt, &one, 8);
    }
}

template <int D>
TAttributeTagElement<D>::~TAttributeTagElement()
{
    delete m_string;
    delete m_binary;
}

template <int D>
double TAttributeTagElement<D>::WidthFactor() const
{
    return LoadF64(m_displayValues + kWidthAt);
}

template <int D>
double TAttributeTagElement<D>::HeightFactor() const
{
    return LoadF64(m_displayValues + kHeightAt);
}

template <int D>
void TAttributeTagElement<D>::GetOrientation(double out[4]) const
{
    for (int i = 0; i < 4; ++i)
        out[i] = i < (D == 3 ? 4 : 1) ? LoadF64(m_displayValues + kOrientationAt + 8 * i) : 0.0;
}

template <int D>
void TAttributeTagElement<D>::ReadValue(const std::uint8_t* data, std::uint32_t n)
{
    if (m_string)
        m_string->Clear();
    m_int16 = 0;
    m_int32 = 0;
    m_double = 0.0;
    CBoundedReader r(data, n);
    switch (m_type) {
    case kTagString: {
        // The string runs to its terminator within the value area the record holds.
        std::uint32_t len = m_valueSize < n ? m_valueSize : n;
        std::uint32_t k = 0;
        while (k < len && data[k])
            ++k;
        AssignBytes(m_string, data, k);
        break;
    }
    case kTagInt16: m_int16 = static_cast<std::int16_t>(r.U32()); m_int32 = m_int16; break;
    case kTagInt32: m_int32 = r.I32(); break;
    case kTagDouble: m_double = r.F64(); break;
    case kTagBinary: {
        const std::uint32_t len = m_valueSize < n ? m_valueSize : n;
        SetBinaryValue(data, len);
        break;
    }
    default: break;
    }
}

template <int D>
bool TAttributeTagElement<D>::ReadBodyV8(CBoundedReader& body)
{
    body.Bytes(m_params, sizeof m_params);
    m_tagWord = body.U16();
    m_tagFlags = body.U16();
    m_word52 = body.U32();
    for (double& v : m_origin)
        v = body.F64();
    for (double& v : m_offset)
        v = body.F64();
    m_tagId = body.U16();
    m_type = body.U16();
    for (std::uint16_t& w : m_words108)
        w = body.U16();
    body.Bytes(m_displayValues, sizeof m_displayValues);
    m_justification = body.U16();
    body.Bytes(m_bytes202, sizeof m_bytes202);
    m_word204 = body.U32();
    m_valueSize = body.U16();
    m_word210 = body.U16();
    m_word212 = body.U32();
    if (body.IsShort())
        return false;
    // The value area is what the record holds of the stated two bytes a unit of size.
    const std::uint32_t area = 2u * m_valueSize <= body.Left() ? 2u * m_valueSize : body.Left();
    ReadValue(body.Position(), area);
    body.Skip(area);
    return true;
}

template <int D>
bool TAttributeTagElement<D>::ReadBodyV7(CV7BodyReader& body)
{
    // Offsets from the record's start; the reader starts at 36. Integers are little-endian.
    auto u32 = [&body]() {
        const std::uint8_t* p = body.Span(4);
        return p ? LoadU32(p) : 0u;
    };
    m_elementId = u32();
    m_tagWord = body.U16();
    m_tagFlags = body.U16();
    m_targetIds[0] = u32();
    body.Skip(8);
    for (double& v : m_offset)
        v = static_cast<std::int32_t>(u32());
    m_tagSetId = u32();
    m_tagId = body.U16();
    m_type = body.U16();
    body.Skip(32);
    const double width = u32();
    const double height = u32();
    std::memcpy(m_displayValues + kWidthAt, &width, 8);
    std::memcpy(m_displayValues + kHeightAt, &height, 8);
    if (D == 2) {
        const double angle = static_cast<std::int32_t>(u32()) * kV7TagAngleToRadians;
        std::memcpy(m_displayValues + kOrientationAt, &angle, 8);
        body.Skip(24);
    } else {
        for (int i = 0; i < 4; ++i) {
            const double q = static_cast<std::int32_t>(u32()) * kV7QuaternionScale;
            std::memcpy(m_displayValues + kOrientationAt + 8 * i, &q, 8);
        }
        body.Skip(12);
    }
    StoreU32(m_displayValues + kFontAt, body.U8());
    m_justification = body.U8();
    body.Skip(4);
    m_valueSize = body.U16();
    body.Skip(2);
    if (body.IsShort())
        return false;
    for (double& v : m_origin)
        v = 0.0;
    const std::uint32_t area = m_valueSize <= body.Left() ? m_valueSize : body.Left();
    ReadValue(body.Position(), area);
    body.Skip(area);
    IndexElementId();
    // The annotated element counts only when it is drawn.
    IElement* target = m_designFile && m_targetIds[0] ? m_designFile->FindElementById(m_targetIds[0]) : nullptr;
    m_targets[0] = target && target->IsGraphic() ? target : nullptr;
    if (m_tagFlags & kTargetFromKeyPoint) {
        Point3d p;
        auto* graphic = dynamic_cast<IGraphicElement*>(m_targets[0]);
        if (graphic && graphic->GetKeyPoint(0, &p, 0)) {
            m_origin[0] = p.x;
            m_origin[1] = p.y;
            m_origin[2] = D == 3 ? p.z : 0.0;
        } else if (!m_targets[0]) {
            m_display = 0;
        }
    }
    return true;
}

template <int D>
void TAttributeTagElement<D>::AfterRead()
{
    m_tagSet = nullptr;
    m_noRetry = 0;
}

template <int D>
void TAttributeTagElement<D>::PutBody(std::uint8_t** cursor) const
{
    std::memcpy(*cursor, m_params, sizeof m_params);
    *cursor += sizeof m_params;
    PutU16(cursor, m_tagWord);
    PutU16(cursor, m_tagFlags);
    PutU32(cursor, m_word52);
    for (double v : m_origin)
        PutF64(cursor, v);
    for (double v : m_offset)
        PutF64(cursor, v);
    PutU16(cursor, m_tagId);
    PutU16(cursor, m_type);
    for (std::uint16_t w : m_words108)
        PutU16(cursor, w);
    std::memcpy(*cursor, m_displayValues, sizeof m_displayValues);
    *cursor += sizeof m_displayValues;
    PutU16(cursor, m_justification);
    std::memcpy(*cursor, m_bytes202, sizeof m_bytes202);
    *cursor += sizeof m_bytes202;
    PutU32(cursor, m_word204);
    PutU16(cursor, m_valueSize);
    PutU16(cursor, m_word210);
    PutU32(cursor, m_word212);
    // The value area: 2 x value size bytes, the value at its start (cut to the area when a
    // record stated less).
    std::uint8_t* area = *cursor;
    const std::uint32_t n = 2u * m_valueSize;
    std::memset(area, 0, n);
    std::uint8_t fixed[8] = {};
    const std::uint8_t* value = fixed;
    std::uint32_t bytes = FixedValueBytes(m_type);
    switch (m_type) {
    case kTagString:
        value = m_string ? reinterpret_cast<const std::uint8_t*>(m_string->Text()) : fixed;
        bytes = m_string ? m_string->Length() : 0;
        break;
    case kTagInt16: StoreU32(fixed, static_cast<std::uint32_t>(static_cast<std::int32_t>(m_int16))); bytes = 4; break;
    case kTagInt32: StoreU32(fixed, static_cast<std::uint32_t>(m_int32)); break;
    case kTagDouble: std::memcpy(fixed, &m_double, 8); break;
    case kTagBinary:
        value = m_binary ? m_binary->Data() : fixed;
        bytes = m_binary ? m_binary->Size() : 0;
        break;
    default: break;
    }
    if (bytes && value)
        std::memcpy(area, value, bytes < n ? bytes : n);
    *cursor += n;
}

template <int D>
void TAttributeTagElement<D>::Touch()
{
    switch (m_type) {
    case kTagString: m_valueSize = static_cast<std::uint16_t>(m_string ? m_string->Length() : 0); break;
    case kTagInt16: m_valueSize = 2; break;
    case kTagInt32: m_valueSize = 4; break;
    case kTagDouble: m_valueSize = 8; break;
    case kTagBinary: m_valueSize = static_cast<std::uint16_t>(m_binary ? m_binary->Size() : 0); break;
    default: break;
    }
    SetBodySizes();
    IGraphicElement::Touch();
}

template <int D>
std::uint32_t TAttributeTagElement<D>::WriteV8(std::uint8_t** cursor)
{
    // A binary value's size follows its buffer; the record must still be the one its sizes
    // state, so the sizes follow too.
    if (m_type == kTagBinary) {
        const std::uint16_t n = static_cast<std::uint16_t>(m_binary ? m_binary->Size() : 0);
        if (n != m_valueSize) {
            m_valueSize = n;
            SetBodySizes();
        }
    }
    return IBodyGraphicElement::WriteV8(cursor);
}

template <int D>
IElement* TAttributeTagElement<D>::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = static_cast<TAttributeTagElement*>(NewOfClass(target));
    if (!copy)
        return nullptr;
    std::memcpy(copy->m_params, m_params, sizeof m_params);
    copy->m_tagWord = m_tagWord;
    copy->m_tagFlags = m_tagFlags;
    copy->m_word52 = m_word52;
    std::memcpy(copy->m_origin, m_origin, sizeof m_origin);
    std::memcpy(copy->m_offset, m_offset, sizeof m_offset);
    copy->m_tagId = m_tagId;
    copy->m_type = m_type;
    std::memcpy(copy->m_words108, m_words108, sizeof m_words108);
    std::memcpy(copy->m_displayValues, m_displayValues, sizeof m_displayValues);
    copy->m_justification = m_justification;
    std::memcpy(copy->m_bytes202, m_bytes202, sizeof m_bytes202);
    copy->m_word204 = m_word204;
    copy->m_valueSize = m_valueSize;
    copy->m_word210 = m_word210;
    copy->m_word212 = m_word212;
    copy->m_tagSetId = m_tagSetId;
    copy->m_targetIds[0] = m_targetIds[0];
    copy->m_targetIds[1] = m_targetIds[1];
    copy->m_display = m_display;
    copy->m_int16 = m_int16;
    copy->m_int32 = m_int32;
    copy->m_double = m_double;
    bool ok = copy->m_string && m_string && copy->m_string->Assign(*m_string);
    if (ok && m_binary) {
        copy->m_binary = m_binary->Clone();
        ok = copy->m_binary != nullptr;
    }
    if (!ok) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    return copy;
}

template <int D>
std::string TAttributeTagElement<D>::ValueText() const
{
    char text[64];
    switch (m_type) {
    case kTagString: return Narrow(m_string);
    case kTagInt16: std::snprintf(text, sizeof text, "%i ", static_cast<int>(m_int16)); return text;
    case kTagInt32: std::snprintf(text, sizeof text, "%i ", static_cast<int>(m_int32)); return text;
    case kTagDouble: std::snprintf(text, sizeof text, "%g ", m_double); return text;
    case kTagBinary: std::snprintf(text, sizeof text, "%i bytes of binary data", static_cast<int>(m_valueSize)); return text;
    default: return "***Invalid Tag Type***";
    }
}

template <int D>
CTagSetDefinitionElement* TAttributeTagElement<D>::ResolveTagSet()
{
    if (m_tagSet || m_noRetry || !m_designFile || !m_attributes)
        return m_tagSet;
    // The tag set's dependency names it by its element ID; an association record names the
    // annotated elements.
    for (CDependencyLinkage* d : {m_attributes->FindDependency(kTagSetAppId, 0), m_attributes->FindDependency(kTargetAppId, 1),
                                  m_attributes->GetDependencyLinkage()}) {
        if (!d)
            continue;
        const CByteArray* roots = d->GetRoots();
        if (d->GetRootType() == 0) {
            std::uint64_t id = 0;
            if (d->GetFirstElementId(&id) && !m_tagSetId)
                m_tagSetId = id;
        } else if (d->GetRootType() == 2 && roots && roots->Size() >= kAssociationBytes) {
            const std::uint8_t* r = roots->Data();
            switch (r[0]) {
            case 2: case 8: m_targetIds[1] = LoadU64(r + 16); m_targetIds[0] = LoadU64(r + 8); break;
            case 1: case 3: case 4: case 6: case 7: case 10: case 11: case 13: m_targetIds[0] = LoadU64(r + 8); break;
            default: break;
            }
        }
    }
    IElement* set = m_tagSetId ? m_designFile->FindElementById(m_tagSetId) : nullptr;
    m_tagSet = set && set->GetType() == kTagSetType ? dynamic_cast<CTagSetDefinitionElement*>(set) : nullptr;
    if (!m_tagSet)
        m_noRetry = 1;
    for (int i = 0; i < 2; ++i) {
        if (m_targetIds[i] && !m_targets[i])
            m_targets[i] = m_designFile->FindElementById(m_targetIds[i]);
    }
    return m_tagSet;
}

template <int D>
IElement* TAttributeTagElement<D>::GetTarget()
{
    ResolveTagSet();
    return m_targets[0];
}

template <int D>
IElement* TAttributeTagElement<D>::GetSecondTarget()
{
    ResolveTagSet();
    return m_targets[1];
}

template <int D>
void TAttributeTagElement<D>::SetTagSetLinkage(std::uint32_t setLow, std::uint32_t setHigh, std::uint32_t targetLow, std::uint32_t targetHigh)
{
    if (m_attributes)
        m_attributes->AddDependencyLinkage(kTagSetAppId, 0, setLow, setHigh);
    m_tagSetId = (static_cast<std::uint64_t>(setHigh) << 32) | setLow;
    m_tagSet = nullptr;
    m_noRetry = 0;
    if (targetLow || targetHigh) {
        m_tagFlags = static_cast<std::uint16_t>((m_tagFlags | kTargetFromKeyPoint) & ~kOffsetPlaced);
        m_targetIds[0] = (static_cast<std::uint64_t>(targetHigh) << 32) | targetLow;
        m_targets[0] = nullptr;
    }
}

template <int D>
void TAttributeTagElement<D>::SetTagSetAndTarget(std::uint64_t tagSetId, std::uint64_t targetId)
{
    SetTagSetLinkage(static_cast<std::uint32_t>(tagSetId), static_cast<std::uint32_t>(tagSetId >> 32), static_cast<std::uint32_t>(targetId),
                     static_cast<std::uint32_t>(targetId >> 32));
    if (targetId && m_attributes)
        m_attributes->AddAssociation(kTargetAppId, 1, targetId);
}

template <int D>
bool TAttributeTagElement<D>::SetOffset(const double offset[D])
{
    for (int i = 0; i < 3; ++i)
        m_offset[i] = i < D ? offset[i] : 0.0;
    ResolveTagSet();
    Point3d p;
    auto* graphic = dynamic_cast<IGraphicElement*>(m_targets[0]);
    if (!graphic || !graphic->GetKeyPoint(0, &p, 0))
        return false;
    m_origin[0] = p.x;
    m_origin[1] = p.y;
    m_origin[2] = D == 3 ? p.z : 0.0;
    m_tagFlags |= kTargetFromKeyPoint | kOffsetPlaced;
    return true;
}

template <int D>
void TAttributeTagElement<D>::SetStringValue(const char* text)
{
    if (m_string)
        m_string->Set(text ? text : "");
    m_type = kTagString;
}

template <int D>
void TAttributeTagElement<D>::SetInt16Value(std::int16_t v)
{
    m_int16 = v;
    m_int32 = v;
    m_type = kTagInt16;
}

template <int D>
void TAttributeTagElement<D>::SetInt32Value(std::int32_t v)
{
    m_int32 = v;
    m_type = kTagInt32;
}

template <int D>
void TAttributeTagElement<D>::SetDoubleValue(double v)
{
    m_double = v;
    m_type = kTagDouble;
}

template <int D>
bool TAttributeTagElement<D>::SetBinaryValue(const void* bytes, std::uint32_t n)
{
    m_type = kTagBinary;
    if (!m_binary)
        m_binary = CByteArray::NewWithCapacity(16);
    if (!m_binary)
        return false;
    m_binary->Reset();
    return !n || m_binary->Append(bytes, n);
}

template <int D>
bool TAttributeTagElement<D>::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    if (selector != 0)
        return false;
    *out = {m_origin[0], m_origin[1], m_origin[2]};
    return true;
}

namespace {

void FillPlacement(TextParams2d& p, const std::uint8_t* values)
{
    p.angle = LoadF64(values + kOrientationAt);
}

void FillPlacement(TextParams3d& p, const std::uint8_t* values)
{
    for (int i = 0; i < 4; ++i)
        p.q[i] = LoadF64(values + kOrientationAt + 8 * i);
}

void SetOrigin(TextParams2d& p, const double o[3]) { p.origin = {o[0], o[1]}; }
void SetOrigin(TextParams3d& p, const double o[3]) { p.origin = {o[0], o[1], o[2]}; }

void AddText(IGeometrySink* sink, const TextParams2d* p, const std::uint8_t* text) { sink->AddText2d(p, text, 0); }
void AddText(IGeometrySink* sink, const TextParams3d* p, const std::uint8_t* text) { sink->AddText3d(p, text, 0); }

} // namespace

template <int D>
void TAttributeTagElement<D>::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (!sink || (m_properties & kPropertyInvisible))
        return;
    sink->SetDesignFile(m_designFile);
    ApplySymbologyTo(context, sink);
    if (!m_display || m_type == kTagBinary || !m_valueSize)
        return;
    // A buffer of this call's own, as long as the text.
    const std::string text = m_string && !m_string->IsEmpty() ? std::string(m_string->Text(), m_string->Length()) : ValueText();
    if (text.empty() || text.size() > 0xFFFF)
        return;
    using Params = typename std::conditional<D == 3, TextParams3d, TextParams2d>::type;
    Params p = {};
    p.fontNumber = LoadU32(m_displayValues + kFontAt);
    // The sink maps the justification code to its grid itself.
    p.justification = m_justification;
    p.textBytes = static_cast<std::uint16_t>(text.size());
    p.lengthMultiplier = WidthFactor();
    p.heightMultiplier = HeightFactor();
    p.length = WidthFactor() * kFactorToSize;
    p.height = HeightFactor() * kFactorToSize;
    FillPlacement(p, m_displayValues);
    const double at[3] = {m_origin[0] + m_offset[0], m_origin[1] + m_offset[1], m_origin[2] + m_offset[2]};
    SetOrigin(p, at);
    AddText(sink, &p, reinterpret_cast<const std::uint8_t*>(text.c_str()));
}

template <int D>
bool TAttributeTagElement<D>::Transform(const double matrix[16])
{
    const double oldHeight = HeightFactor() * kFactorToSize;
    double height = oldHeight;
    if (D == 2) {
        double angle = LoadF64(m_displayValues + kOrientationAt);
        Point2d at = {m_origin[0] + m_offset[0], m_origin[1] + m_offset[1]};
        TransformPlacement2d(matrix, height, angle, at);
        std::memcpy(m_displayValues + kOrientationAt, &angle, 8);
        m_origin[0] = at.x - m_offset[0];
        m_origin[1] = at.y - m_offset[1];
    } else {
        double q[4];
        for (int i = 0; i < 4; ++i)
            q[i] = LoadF64(m_displayValues + kOrientationAt + 8 * i);
        Point3d at = {m_origin[0] + m_offset[0], m_origin[1] + m_offset[1], m_origin[2] + m_offset[2]};
        TransformPlacement3d(matrix, height, q, at);
        std::memcpy(m_displayValues + kOrientationAt, q, sizeof q);
        m_origin[0] = at.x - m_offset[0];
        m_origin[1] = at.y - m_offset[1];
        m_origin[2] = at.z - m_offset[2];
    }
    if (oldHeight != 0.0 && std::isfinite(height)) {
        const double ratio = height / oldHeight;
        const double width = WidthFactor() * ratio;
        const double tall = HeightFactor() * ratio;
        std::memcpy(m_displayValues + kWidthAt, &width, 8);
        std::memcpy(m_displayValues + kHeightAt, &tall, 8);
    }
    return true;
}

template <int D>
void TAttributeTagElement<D>::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, D == 3 ? "3d Attribute Tag" : "2d Attribute Tag");
    IGraphicElement::Describe(callback);
    char line[kLineBuffer];
    FormatPoint3d({m_origin[0], m_origin[1], m_origin[2]}, "origin: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatPoint3d({m_offset[0], m_offset[1], m_offset[2]}, "offset: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    CTagSetDefinitionElement* set = ResolveTagSet();
    TagDefinition* definition = set ? set->FindDefinition(m_tagId) : nullptr;
    const std::string text = "set: " + (set ? Narrow(set->GetName()) : std::string()) + ", id: " + std::to_string(m_tagId) + ", " +
                             (definition ? Narrow(definition->name) : std::string());
    EmitLine(callback, kLineBuffer, "%s", text.c_str());
    EmitLine(callback, kLineBuffer, "%s", ValueText().c_str());
    EmitEnd(callback);
}

template class TAttributeTagElement<2>;
template class TAttributeTagElement<3>;

CAttributeTagElement2d* CAttributeTagElement2d::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CAttributeTagElement2d*>(PlaceNewElement(new (std::nothrow) CAttributeTagElement2d(file), file, model));
}

CAttributeTagElement3d* CAttributeTagElement3d::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CAttributeTagElement3d*>(PlaceNewElement(new (std::nothrow) CAttributeTagElement3d(file), file, model));
}

} // namespace dgn
