#include "ElementLinkages.h"

#include "DesignFile.h"
#include "DgnString.h"
#include "DgnStringFunctions.h"
#include "Element.h"
#include "LittleEndian.h"
#include "linkages/DbLinkLinkage.h"
#include "linkages/DependencyLinkage.h"
#include "linkages/DmrsLinkage.h"
#include "linkages/LFilterLinkage.h"
#include "linkages/Linkage.h"
#include "linkages/LinkageText.h"
#include "linkages/PatternFillLinkage.h"
#include "linkages/SolidFillLinkage.h"
#include "linkages/StringLinkage.h"
#include "linkages/TextStyleLinkage.h"
#include "linkages/V7EntityIdLinkage.h"

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

namespace dgn {

namespace {

std::atomic<bool> g_rawLinkages{false};

// Root type 0 (one element ID) and 2 (association records) in the dependency flags.
constexpr std::uint16_t kElementIdRoots = 0x0200;
constexpr std::uint16_t kAssociationRoots = 0x0A00;
// The association record kind that names an element by its ID (at record offset 8).
constexpr std::uint8_t kElementAssociation = 7;

} // namespace

void SetRawLinkageOption(bool on) { g_rawLinkages = on; }
bool GetRawLinkageOption() { return g_rawLinkages; }

CElementLinkages* CElementLinkages::Create(IElement* element) { return new (std::nothrow) CElementLinkages(element); }

CElementLinkages::~CElementLinkages() { Clear(); }

void CElementLinkages::Clear()
{
    while (CLinkageList* node = RemoveFirst())
        delete node;
}

CElementLinkages* CElementLinkages::Clone(IElement* element) const
{
    CElementLinkages* copy = Create(element);
    if (!copy)
        return nullptr;
    CLinkage* at = nullptr;
    while (const CLinkage* l = Next(&at)) {
        if (!l->Clone(copy)) {
            delete copy;
            return nullptr;
        }
    }
    return copy;
}

CLinkage* CElementLinkages::First() const { return static_cast<CLinkage*>(CLinkageList::Next()); }

template <class Kind, class Match>
Kind* CElementLinkages::FindKind(std::uint16_t userId, Match match) const
{
    CLinkage* at = nullptr;
    while (CLinkage* l = NextWithId(&at, userId)) {
        // A record of the kind's user ID that did not fit the kind is a generic linkage.
        Kind* kind = dynamic_cast<Kind*>(l);
        if (kind && match(kind))
            return kind;
    }
    return nullptr;
}

bool CElementLinkages::Parse(const std::uint8_t* data, std::uint32_t length)
{
    if (!data)
        return true;
    const bool raw = g_rawLinkages;
    bool ok = true;
    std::uint32_t at = 0;
    while (at < length && length - at >= 4) {
        const std::uint8_t* record = data + at;
        const std::uint8_t flags = record[1];
        const std::uint16_t userId = LoadU16(record + 2);
        // A length that runs past the data is cut to what is there.
        const std::uint64_t stated = 2 * static_cast<std::uint64_t>(CLinkage::HeaderWords(record[0], flags));
        const std::uint32_t bytes = stated < length - at ? static_cast<std::uint32_t>(stated) : length - at;
        const std::uint8_t* body = record + 4;
        const std::uint32_t bodyBytes = bytes - 4;
        const bool userData = (flags & kLinkageUserData) != 0;
        CLinkage* made;
        if (raw && (!userData || userId == 0)) {
            made = AddGeneric(bytes, flags, userId, body);
        } else if (!userData) {
            made = AddDmrsFromRaw(flags, record + 2, bytes - 2);
        } else if (IsDbLinkUserId(userId)) {
            made = AddDbLinkFromRaw(userId, flags, body, bodyBytes);
        } else {
            switch (userId) {
            case kPatternFillId:
                made = AddPatternFillFromRaw(flags, body, bodyBytes);
                if (!made)
                    made = AddGeneric(bytes, flags, userId, body);
                break;
            case kSolidFillId: made = AddSolidFillFromRaw(flags, body, bodyBytes); break;
            case kDependencyId: made = AddDependencyFromRaw(flags, body, bodyBytes); break;
            case kTextStyleId: made = AddTextStyleFromRaw(flags, body, bodyBytes); break;
            case kV7EntityIdId: made = AddV7EntityIdFromRaw(flags, body, bodyBytes); break;
            case kLFilterId: made = AddLFilterFromRaw(flags, body, bodyBytes); break;
            case kStringId: made = AddStringFromRaw(flags, body, bodyBytes); break;
            default: made = AddGeneric(bytes, flags, userId, body); break;
            }
        }
        ok = ok && made;
        at += bytes;
    }
    return ok;
}

std::uint32_t CElementLinkages::GetTotalSize()
{
    std::uint64_t total = 0;
    CLinkage* at = nullptr;
    while (CLinkage* l = Next(&at))
        total += l->PackSizeHeader();
    return total > 0xFFFFFFF0u ? 0xFFFFFFF0u : static_cast<std::uint32_t>(total);
}

std::uint32_t CElementLinkages::Write(std::uint8_t** cursor, const std::uint8_t* recordStart)
{
    std::uint8_t* start = *cursor;
    if ((*cursor - recordStart) & 1)
        PutU8(cursor, 0);
    CLinkage* at = nullptr;
    while (CLinkage* l = Next(&at))
        *cursor += l->WriteTo(*cursor);
    return static_cast<std::uint32_t>(*cursor - start);
}

CLinkage* CElementLinkages::Next(CLinkage** cursor) const
{
    CLinkage* next = *cursor ? static_cast<CLinkage*>((*cursor)->Next()) : First();
    *cursor = next;
    return next;
}

CLinkage* CElementLinkages::NextWithId(CLinkage** cursor, std::uint16_t id) const
{
    while (CLinkage* l = Next(cursor)) {
        if (l->GetUserId() == id)
            return l;
    }
    return nullptr;
}

CLinkage* CElementLinkages::Find(std::uint16_t id) const
{
    CLinkage* at = nullptr;
    return NextWithId(&at, id);
}

void CElementLinkages::Describe(LineCallback callback) const
{
    CLinkage* at = nullptr;
    while (const CLinkage* l = Next(&at))
        l->Describe(callback);
}

// DMRS --------------------------------------------------------------------------------------

CDmrsLinkage* CElementLinkages::AddDmrs(std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType)
{
    return CDmrsLinkage::Create(this, entityId, mslink, linkType);
}

CDmrsLinkage* CElementLinkages::AddDmrsFromRaw(std::uint8_t flags, const std::uint8_t* bytes, std::uint32_t length)
{
    return CDmrsLinkage::CreateFromRaw(this, flags, bytes, length);
}

CDmrsLinkage* CElementLinkages::FindDmrs(std::uint16_t entityId) const
{
    CLinkage* at = nullptr;
    while (CLinkage* l = Next(&at)) {
        if (l->IsDmrs() && static_cast<CDmrsLinkage*>(l)->GetEntityId() == entityId)
            return static_cast<CDmrsLinkage*>(l);
    }
    return nullptr;
}

// Strings -----------------------------------------------------------------------------------

CStringLinkage* CElementLinkages::AddString(std::uint32_t id, const char* text, std::uint32_t byteLength)
{
    return CStringLinkage::Create(this, id, text, byteLength);
}

CStringLinkage* CElementLinkages::AddStringFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CStringLinkage::CreateFromRaw(this, flags, data, length);
}

CStringLinkage* CElementLinkages::FindString(std::uint32_t id) const
{
    return FindKind<CStringLinkage>(kStringId, [id](const CStringLinkage* s) { return s->GetId() == id; });
}

bool CElementLinkages::GetStringLinkage(std::uint32_t id, CDgnString& out) const
{
    CStringLinkage* s = FindString(id);
    return s && out.Assign(*s->GetString());
}

bool CElementLinkages::GetStringLinkage(std::uint32_t id, char* buffer, std::uint32_t capacity) const
{
    CStringLinkage* s = FindString(id);
    if (!s) {
        ClearTextBuffer(buffer, capacity);
        return false;
    }
    CopyTextToBuffer(*s->GetString(), buffer, capacity);
    return true;
}

CStringLinkage* CElementLinkages::ReplaceString(std::uint32_t id, const char* bytes, std::uint32_t n)
{
    // The bytes may be the old linkage's own text: they are copied before that linkage goes.
    const std::vector<char> copy(bytes, bytes + (bytes ? n : 0));
    RemoveStringLinkage(id);
    return AddString(id, copy.data(), static_cast<std::uint32_t>(copy.size()));
}

void CElementLinkages::SetStringLinkage(std::uint32_t id, CDgnString& text)
{
    std::uint32_t n;
    const std::uint8_t* bytes = ContentBytes(text, &n);
    ReplaceString(id, reinterpret_cast<const char*>(bytes), n);
}

CStringLinkage* CElementLinkages::SetStringLinkage(std::uint32_t id, const char* text, std::uint32_t length)
{
    return ReplaceString(id, text, text && length == 0 ? OwnContentLength(text) : length);
}

bool CElementLinkages::RemoveStringLinkage(std::uint32_t id)
{
    CStringLinkage* s = FindString(id);
    delete s;
    return s != nullptr;
}

// Level filters -----------------------------------------------------------------------------

CLFilterLinkage* CElementLinkages::AddLFilter(std::uint32_t id, std::uint16_t type, const char* name, std::uint32_t length)
{
    return CLFilterLinkage::Create(this, id, type, name, length);
}

CLFilterLinkage* CElementLinkages::AddLFilterFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CLFilterLinkage::CreateFromRaw(this, flags, data, length);
}

CLFilterLinkage* CElementLinkages::FindLFilter(std::uint32_t id) const
{
    return FindKind<CLFilterLinkage>(kLFilterId, [id](const CLFilterLinkage* f) { return f->GetId() == id; });
}

bool CElementLinkages::GetLFilterName(std::uint32_t id, CDgnString& out) const
{
    CLFilterLinkage* f = FindLFilter(id);
    return f && out.Assign(*f->GetName());
}

bool CElementLinkages::GetLFilterName(std::uint32_t id, char* buffer, std::uint32_t capacity) const
{
    CLFilterLinkage* f = FindLFilter(id);
    if (!f) {
        ClearTextBuffer(buffer, capacity);
        return false;
    }
    CopyTextToBuffer(*f->GetName(), buffer, capacity);
    return true;
}

CLFilterLinkage* CElementLinkages::SetLFilterName(std::uint32_t id, const CDgnString& name)
{
    CLFilterLinkage* f = FindLFilter(id);
    return f && f->SetName(name) ? f : nullptr;
}

CLFilterLinkage* CElementLinkages::SetLFilterName(std::uint32_t id, const char* text, std::uint32_t length)
{
    CLFilterLinkage* f = FindLFilter(id);
    return f && f->SetNameText(text, length) ? f : nullptr;
}

bool CElementLinkages::RemoveLFilter(std::uint32_t id)
{
    CLFilterLinkage* f = FindLFilter(id);
    delete f;
    return f != nullptr;
}

// V7 entity ids ----------------------------------------------------------------------------

CV7EntityIdLinkage* CElementLinkages::AddV7EntityId(std::uint32_t id) { return CV7EntityIdLinkage::Create(this, id); }

CV7EntityIdLinkage* CElementLinkages::AddV7EntityIdFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CV7EntityIdLinkage::CreateFromRaw(this, flags, data, length);
}

CV7EntityIdLinkage* CElementLinkages::FindV7EntityId() const
{
    return FindKind<CV7EntityIdLinkage>(kV7EntityIdId, [](const CV7EntityIdLinkage*) { return true; });
}

std::uint32_t CElementLinkages::GetV7EntityId() const
{
    CV7EntityIdLinkage* v = FindV7EntityId();
    return v ? v->GetId() : 0;
}

// Database links ---------------------------------------------------------------------------

CDbLinkLinkage* CElementLinkages::AddDbLink(std::uint16_t userId, std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType)
{
    return CDbLinkLinkage::Create(this, userId, entityId, mslink, linkType);
}

CDbLinkLinkage* CElementLinkages::AddDbLinkFromRaw(std::uint16_t userId, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CDbLinkLinkage::CreateFromRaw(this, userId, flags, data, length);
}

// Dependencies -----------------------------------------------------------------------------

CDependencyLinkage* CElementLinkages::AddDependency(std::uint16_t appId, std::uint16_t appValue, std::uint64_t elementId)
{
    RemoveDependency(appId, appValue);
    CDependencyLinkage* d = CDependencyLinkage::Create(this, appId, appValue, kElementIdRoots);
    std::uint8_t root[8];
    StoreU64(root, elementId);
    if (d && !d->AddRoot(root, sizeof root)) {
        delete d;
        return nullptr;
    }
    return d;
}

CDependencyLinkage* CElementLinkages::AddDependencyLinkage(std::uint16_t appId, std::uint16_t appValue, std::uint32_t idLow, std::uint32_t idHigh)
{
    return AddDependency(appId, appValue, (static_cast<std::uint64_t>(idHigh) << 32) | idLow);
}

CDependencyLinkage* CElementLinkages::AddAssociation(std::uint16_t appId, std::uint16_t appValue, std::uint64_t elementId)
{
    std::uint8_t record[kAssociationRecordSize] = {};
    record[0] = kElementAssociation;
    StoreU64(record + 8, elementId);
    return AddAssociationRecord(appId, appValue, record);
}

CDependencyLinkage* CElementLinkages::AddAssociationRecord(std::uint16_t appId, std::uint16_t appValue, const std::uint8_t* record)
{
    RemoveDependency(appId, appValue);
    CDependencyLinkage* d = CDependencyLinkage::Create(this, appId, appValue, kAssociationRoots);
    if (d && !d->AddRoot(record, kAssociationRecordSize)) {
        delete d;
        return nullptr;
    }
    return d;
}

CDependencyLinkage* CElementLinkages::AddDependencyFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CDependencyLinkage::CreateFromRaw(this, flags, data, length);
}

CDependencyLinkage* CElementLinkages::FindDependency(std::uint16_t appId, std::uint16_t appValue) const
{
    return FindKind<CDependencyLinkage>(kDependencyId, [appId, appValue](const CDependencyLinkage* d) {
        return d->GetFields()->appId == appId && d->GetFields()->appValue == appValue;
    });
}

CDependencyLinkage* CElementLinkages::GetDependencyLinkage() const
{
    return FindKind<CDependencyLinkage>(kDependencyId, [](const CDependencyLinkage*) { return true; });
}

bool CElementLinkages::RemoveDependency(std::uint16_t appId, std::uint16_t appValue)
{
    CDependencyLinkage* d = FindDependency(appId, appValue);
    delete d;
    return d != nullptr;
}

IElement* CElementLinkages::GetLinkedElement() const
{
    CDependencyLinkage* d = GetDependencyLinkage();
    std::uint64_t id;
    if (!d || !d->GetFirstElementId(&id) || !m_element)
        return nullptr;
    CDesignFile* file = m_element->GetDesignFile();
    return file ? file->FindElementById(id) : nullptr;
}

// Text style, fills, generic ---------------------------------------------------------------

CTextStyleLinkage* CElementLinkages::AddTextStyleFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CTextStyleLinkage::CreateFromRaw(this, flags, data, length);
}

CSolidFillLinkage* CElementLinkages::AddSolidFill(std::uint32_t color) { return CSolidFillLinkage::Create(this, color); }

CSolidFillLinkage* CElementLinkages::AddSolidFillFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CSolidFillLinkage::CreateFromRaw(this, flags, data, length);
}

CPatternFillLinkage* CElementLinkages::AddPatternFill() { return CPatternFillLinkage::Create(this); }

CPatternFillLinkage* CElementLinkages::AddPatternFillFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    return CPatternFillLinkage::CreateFromRaw(this, flags, data, length);
}

CLinkage* CElementLinkages::AddGeneric(std::uint32_t byteLength, std::uint8_t flags, std::uint16_t userId, const std::uint8_t* data)
{
    return CLinkage::CreateGeneric(this, byteLength, flags, userId, data);
}

} // namespace dgn
