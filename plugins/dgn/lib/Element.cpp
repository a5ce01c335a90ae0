#include "Element.h"

#include "DesignFile.h"
#include "DgnString.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "EntityIterator.h"
#include "GraphicElement.h"
#include "LevelData.h"
#include "LittleEndian.h"
#include "PointerTable.h"
#include "elements/ApplicationElement.h"
#include "elements/LevelEntryElement.h"
#include "linkages/LinkageText.h"
#include "platform/Platform.h"

#include <cinttypes>
#include <cstdio>
#include <string>

namespace dgn {

namespace {

// The ID index keys an element by the low 20 bits of its ID.
constexpr std::uint64_t kIdIndexMask = 0xFFFFF;

} // namespace

IElement::IElement(CDesignFile* file) : IEntity(file), m_designFile(file) { m_attributes = CElementLinkages::Create(this); }

IElement::~IElement()
{
    LeaveIdIndex();
    delete m_attributes;
    m_attributes = nullptr;
}

void IElement::EnterIdIndex()
{
    LeaveIdIndex();
    CPointerTable* index = m_designFile ? m_designFile->GetIdIndex() : nullptr;
    const std::uint32_t key = static_cast<std::uint32_t>(m_elementId & kIdIndexMask);
    if (index && index->Set(key, this)) {
        m_indexed = true;
        m_indexKey = key;
    }
}

void IElement::LeaveIdIndex()
{
    if (!m_indexed)
        return;
    m_indexed = false;
    // An element deleted for good must not stay findable by its ID.
    CPointerTable* index = m_designFile ? m_designFile->GetIdIndex() : nullptr;
    if (index && index->Get(m_indexKey) == this)
        index->Set(m_indexKey, nullptr);
}

void IElement::AddChild(IEntity* child)
{
    const std::int32_t before = m_childCount;
    IEntity::AddChild(child);
    if (m_childCount == before)
        return;
    m_flags |= kElementComplexHeader;
    // A child still under construction is not an element yet; its constructor sets its flags.
    if (child->GetKind() != kEntityContainer) {
        if (IElement* element = dynamic_cast<IElement*>(child))
            element->m_flags |= kElementComplexComponent;
    }
}

void IElement::MarkDeleted()
{
    m_flags |= kElementDeleted;
    IEntity::MarkDeleted();
}

void IElement::UnmarkDeleted()
{
    m_flags &= static_cast<std::uint16_t>(~kElementDeleted);
    IEntity::UnmarkDeleted();
}

int IElement::GetKind() const { return kEntityElement; }
int IElement::GetType() const { return m_type; }

bool IElement::GetSelectorFacts(SelectorFacts* facts) const
{
    facts->type = GetType();
    facts->graphic = IsGraphic();
    facts->hidden = IsHidden() || IsHiddenEntity();
    facts->level = m_level;
    facts->elementClass = 0;
    facts->list = m_list;
    facts->model = m_model;
    return true;
}

IElement* IElement::Clone(CDesignFile*, bool) { return nullptr; }

bool IElement::ReadV8Header(const std::uint8_t** cursor, std::uint32_t length, std::uint32_t minAttrOffsetWords)
{
    const std::uint8_t* record = *cursor;
    if (!record || length < kV8HeaderBytes)
        return false;
    const std::uint32_t sizeWords = LoadU32(record + 8);
    std::uint32_t attrOffsetWords = LoadU32(record + 12);
    if (attrOffsetWords == 0)
        attrOffsetWords = sizeWords;
    // The header's sizes decide every offset that follows: they must describe a record that
    // holds the header, lies within what was read and has its linkages after its body.
    if (attrOffsetWords < minAttrOffsetWords || attrOffsetWords > sizeWords ||
        2 * static_cast<std::uint64_t>(sizeWords) + 4 > length)
        return false;
    m_recordTag = LoadU32(record);
    m_type = LoadU16(record + 4);
    m_flags = LoadU16(record + 6);
    m_sizeWords = sizeWords;
    m_attrOffsetWords = attrOffsetWords;
    m_level = static_cast<std::int32_t>(LoadU32(record + 16));
    m_elementId = LoadU64(record + 20);
    m_lastModified = LoadF64(record + 28);
    if (m_designFile) {
        EnterIdIndex();
        m_designFile->NoteElementId(m_elementId);
    }
    if (m_attributes) {
        // Reading replaces what an earlier read left.
        m_attributes->Clear();
        const std::uint32_t attributeBytes = 2 * (sizeWords - attrOffsetWords);
        if (attributeBytes)
            m_attributes->Parse(record + 4 + 2 * static_cast<std::uint64_t>(attrOffsetWords), attributeBytes);
    }
    *cursor = record + kV8HeaderBytes;
    return true;
}

bool IElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length) { return ReadV8Header(cursor, length, kMinAttrOffsetWords); }

std::uint32_t IElement::V7RecordLength(const std::uint8_t* record, std::uint32_t length, std::uint32_t minBytes)
{
    if (!record || length < 4)
        return 0;
    const std::uint32_t n = 4 + 2 * static_cast<std::uint32_t>(LoadU16(record + 2));
    return n <= length && n >= minBytes ? n : 0;
}

bool IElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!V7RecordLength(record, length, kV7HeaderBytes))
        return false;
    m_level = record[0] & 0x3F;
    m_type = record[1] & 0x7F;
    if (record[0] & 0x80)
        m_flags |= kElementComplexComponent;
    *cursor = record + kV7HeaderBytes;
    return true;
}

void IElement::Touch()
{
    m_lastModified = static_cast<double>(CurrentCalendarSeconds()) * 1000.0;
    if (!ChildList())
        return;
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return;
    it->DescendIntoComplex();
    std::int32_t count = 0;
    while (IEntity* e = it->Next()) {
        if (e->GetKind() != kEntityContainer)
            ++count;
    }
    delete it;
    m_childCount = count;
}

std::uint32_t IElement::GetRecordSize() const { return 2 * m_sizeWords + 4; }

std::uint32_t IElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t* p = *cursor;
    PutU32(&p, m_recordTag);
    PutU16(&p, m_type);
    PutU16(&p, m_flags);
    PutU32(&p, m_sizeWords);
    PutU32(&p, m_attrOffsetWords);
    PutU32(&p, static_cast<std::uint32_t>(m_level));
    PutU64(&p, m_elementId);
    PutF64(&p, m_lastModified);
    *cursor = p;
    return kV8HeaderBytes;
}

void IElement::FitSizeToLinkages()
{
    const std::uint64_t words = m_attrOffsetWords + (m_attributes ? m_attributes->GetTotalSize() / 2 : 0);
    // A record that large cannot be written (PlanLinkedRecord refuses it).
    m_sizeWords = words > 0x7FFFFFF0u ? 0x7FFFFFF0u : static_cast<std::uint32_t>(words);
}

void IElement::SetSizesForBody(std::uint64_t fixedBytes)
{
    const std::uint64_t attrOffsetWords = fixedBytes > 4 ? (fixedBytes - 3) / 2 : 0;
    m_attrOffsetWords = attrOffsetWords > 0x7FFFFFF0u ? 0x7FFFFFF0u : static_cast<std::uint32_t>(attrOffsetWords);
    FitSizeToLinkages();
}

std::uint32_t IElement::PlanLinkedRecord(std::uint64_t fixedBytes)
{
    const std::uint64_t attributesAt = 4 + 2 * static_cast<std::uint64_t>(m_attrOffsetWords);
    if (fixedBytes > attributesAt || m_attrOffsetWords > m_sizeWords)
        return 0;
    const std::uint64_t linkages = m_attributes ? m_attributes->GetTotalSize() : 0;
    const std::uint64_t record = attributesAt + linkages;
    if (record > GetRecordSize())
        return 0;
    m_sizeWords = static_cast<std::uint32_t>((record - 4) / 2);
    return static_cast<std::uint32_t>(record);
}

std::uint32_t IElement::WriteBodyRecord(std::uint8_t** cursor, const std::uint8_t* body, std::uint32_t n)
{
    std::uint8_t* record = *cursor;
    const std::uint32_t size = PlanLinkedRecord(kV8HeaderBytes + static_cast<std::uint64_t>(n));
    if (!size)
        return 0;
    IElement::WriteV8(cursor);
    PutBytes(cursor, body, n);
    WriteLinkages(cursor, record);
    return size;
}

const std::uint8_t* IElement::AttributesIn(const std::uint8_t* record) const
{
    return record + 4 + 2 * static_cast<std::uint64_t>(m_attrOffsetWords);
}

bool IElement::EndBodyRead(const std::uint8_t** cursor, const std::uint8_t* record, bool ok)
{
    if (!ok) {
        *cursor = record;
        return false;
    }
    FitSizeToLinkages();
    *cursor = AttributesIn(record);
    return true;
}

void IElement::WriteLinkages(std::uint8_t** cursor, const std::uint8_t* record)
{
    const std::uint8_t* attributesAt = AttributesIn(record);
    PutZeros(cursor, static_cast<std::uint32_t>(attributesAt - *cursor));
    if (m_attributes)
        m_attributes->Write(cursor, record);
}

const LevelData* IElement::LevelEntryData() const
{
    CLevelEntryElement* level = m_designFile ? m_designFile->GetLevel(m_level) : nullptr;
    return level ? level->GetLevelData() : nullptr;
}

CDgnString* IElement::LevelEntryName() const
{
    CLevelEntryElement* level = m_designFile ? m_designFile->GetLevel(m_level) : nullptr;
    return level ? level->GetName() : nullptr;
}

void IElement::DescribeElementLines(LineCallback callback)
{
    CDgnString* name = IsGraphic() ? LevelEntryName() : nullptr;
    const std::int64_t id = static_cast<std::int64_t>(m_elementId);
    const int size = static_cast<int>(m_sizeWords);
    if (name && name->IsWide()) {
        std::u16string line = FormatWide("Element id: %" PRId64 ", level: %i \"", id, m_level);
        line += WideText(*name);
        line += FormatWide("\" flags: 0x%04x, list: %i model: %i esize: %i", m_flags, m_list, m_model, size);
        EmitWideLine(callback, kLineBuffer, line);
    } else {
        const std::string text = name ? NarrowText(*name) : std::string();
        EmitLine(callback, kLineBuffer, "Element id: %" PRId64 ", level: %i \"%s\" flags: 0x%04x, list: %i model: %i esize: %i", id, m_level,
                 text.c_str(), m_flags, m_list, m_model, size);
    }
    EmitLine(callback, kLineBuffer, "nelems=%i %s%s%s%s%s", m_childCount, (m_flags & kElementComplexComponent) ? "COMPLEX " : "",
             (m_flags & kElementComplexHeader) ? "CPLXHDR " : "", (m_flags & kElementGraphic) ? "GRAPHICS " : "",
             (m_flags & kElementLocked) ? "LOCKED " : "", (m_flags & kElementNonModel) ? "NONMODEL " : "");
}

void IElement::Describe(LineCallback callback)
{
    DescribeElementLines(callback);
    if (m_attributes)
        m_attributes->Describe(callback);
}

std::int32_t IElement::GetList() const { return m_list; }
std::int32_t IElement::GetModel() const { return m_model; }
bool IElement::IsGraphic() const { return false; }
bool IElement::IsHidden() const { return true; }
std::int32_t IElement::GetLevel() const { return m_level; }
void IElement::SetLevel(std::int32_t level) { m_level = level; }

std::uint16_t IElement::GetLevelFlags() const
{
    if (!(m_flags & kElementGraphic))
        return 0;
    const LevelData* level = LevelEntryData();
    return level ? level->levelFlags : 0;
}

std::uint16_t IElement::GetFlags() const { return m_flags; }

void IElement::SetFlags(std::uint16_t flags)
{
    m_flags = flags;
    if (flags & kElementDeleted)
        MarkDeleted();
    else
        UnmarkDeleted();
}

void IElement::GetElementId(std::uint64_t* id) const { *id = m_elementId; }
void IElement::SetElementId(const std::uint64_t& id) { m_elementId = id; }
CDesignFile* IElement::GetDesignFile() const { return m_designFile; }
CElementLinkages* IElement::GetAttributes() const { return m_attributes; }

const std::uint8_t* IElement::GetModelInfo() const
{
    CApplicationElement* header = m_designFile ? m_designFile->GetModelHeader(m_model) : nullptr;
    return header ? header->GetBody() : nullptr;
}

double IElement::GetUnitsPerStorageUnit() const { return m_designFile ? m_designFile->GetUnitsPerStorageUnit(m_model) : kDefaultUnitsPerMaster; }
double IElement::GetUnitsPerMaster() const { return m_designFile ? m_designFile->GetUnitsPerMaster(m_model) : kDefaultUnitsPerMaster; }

void IElement::ToMasterUnits2d(Point2d& p) const
{
    if (m_designFile)
        m_designFile->ToMasterUnits2d(m_model, p);
    else
        p = {p.x / kDefaultUnitsPerMaster, p.y / kDefaultUnitsPerMaster};
}

void IElement::ToMasterUnits3d(Point3d& p) const
{
    if (m_designFile)
        m_designFile->ToMasterUnits3d(m_model, p);
    else
        p = {p.x / kDefaultUnitsPerMaster, p.y / kDefaultUnitsPerMaster, p.z / kDefaultUnitsPerMaster};
}

void IElement::FormatDistance(double value, const char* prefix, char* out) const
{
    std::snprintf(out, kLineBuffer, "%s%g", prefix ? prefix : "", value / GetUnitsPerMaster());
}

void IElement::FormatPoint2d(const Point2d& p, const char* prefix, char* out) const
{
    Point2d q = p;
    ToMasterUnits2d(q);
    std::snprintf(out, kLineBuffer, "%s%g,%g", prefix ? prefix : "", q.x, q.y);
}

void IElement::FormatPoint3d(const Point3d& p, const char* prefix, char* out) const
{
    Point3d q = p;
    ToMasterUnits3d(q);
    std::snprintf(out, kLineBuffer, "%s%f,%f,%f", prefix ? prefix : "", q.x, q.y, q.z);
}

void IElement::EmitGeometry(CEntityIterator*, IGeometrySink*) {}

void IElement::CopyTo(CDesignFile* target, IElement* destination, bool removeSource)
{
    if (!destination || destination == this)
        return;
    destination->m_designFile = target ? target : m_designFile;
    destination->m_list = m_list;
    destination->m_model = m_model;
    destination->m_recordTag = m_recordTag;
    destination->m_type = m_type;
    destination->m_flags = m_flags;
    destination->m_sizeWords = m_sizeWords;
    destination->m_attrOffsetWords = m_attrOffsetWords;
    destination->m_level = m_level;
    destination->m_elementId = m_elementId;
    destination->m_lastModified = m_lastModified;
    if (m_attributes) {
        if (CElementLinkages* copy = m_attributes->Clone(destination)) {
            delete destination->m_attributes;
            destination->m_attributes = copy;
        }
    }
    if (removeSource)
        MarkDeleted();
    if (target) {
        if (CEntityContainer* children = target->GetChildList())
            destination->InsertBefore(children);
        destination->m_elementId = target->NewElementId();
        destination->EnterIdIndex();
    } else {
        destination->InsertBefore(this);
    }
    if (!ChildList())
        return;
    destination->GetChildList();
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return;
    while (IEntity* e = it->Next()) {
        IElement* child = dynamic_cast<IElement*>(e);
        if (!child || child == destination)
            continue;
        if (IElement* copy = child->Clone(target, removeSource))
            destination->AddChild(copy);
    }
    delete it;
}

void IElement::ForwardToComponents(CEntityIterator* context, IGeometrySink* sink)
{
    CEntityIterator* it = CreateChildIterator(context);
    if (!it)
        return;
    it->GraphicOnly();
    while (IEntity* e = it->Next()) {
        if (IElement* element = dynamic_cast<IElement*>(e))
            element->EmitGeometry(context, sink);
    }
    delete it;
}

void IElement::UpdateFlaggedComponents(const double matrix[16])
{
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return;
    while (IEntity* e = it->Next()) {
        IGraphicElement* element = dynamic_cast<IGraphicElement*>(e);
        if (element && (element->GetFlags() & kElementGraphic)) {
            element->Transform(matrix);
            element->Touch();
        }
    }
    delete it;
}

} // namespace dgn
