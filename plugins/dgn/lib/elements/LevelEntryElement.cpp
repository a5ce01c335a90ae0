#include "LevelEntryElement.h"

#include "DesignFile.h"
#include "DgnString.h"
#include "ElementLinkages.h"
#include "LittleEndian.h"
#include "linkages/LinkageText.h"

#include <cstdio>
#include <new>
#include <string>

namespace dgn {

namespace {

constexpr std::uint16_t kType95 = 95;
constexpr std::int32_t kLevelTable = 1;
constexpr std::uint32_t kBodyBytes = 72;
constexpr std::uint32_t kNameKey = 1;
constexpr std::uint32_t kName2Key = 2;
constexpr std::uint16_t kV7LevelFlags = 0x0060;
// A V7 level-name table: a zero word at 38, the count at 40, entries of 104 bytes from 42.
constexpr std::uint32_t kV7NamesAt = 42;
constexpr std::uint32_t kV7NameEntryBytes = 104;

LevelData DefaultLevel()
{
    LevelData d = {};
    d.levelNumber = kUnassignedLevel;
    d.parentCode = -1;
    d.entryVersion = 2;
    d.levelFlags = 0x026F;
    d.viewColor = d.viewFillColor = 1;
    d.levelColor = d.levelFillColor = 1;
    d.levelCode = kUnassignedLevel;
    return d;
}

// The text of a fixed name field (zero-terminated, at most n bytes).
std::string FieldText(const std::uint8_t* p, std::uint32_t n)
{
    std::string s;
    for (std::uint32_t i = 0; i < n && p[i]; ++i)
        s.push_back(static_cast<char>(p[i]));
    return s;
}

} // namespace

CLevelEntryElement::CLevelEntryElement(CDesignFile* file) : CFixedBodyElement(file), m_data(DefaultLevel())
{
    m_type = kType95;
    m_level = kLevelTable;
    m_flags |= kElementNonModel;
    m_name = CDgnString::CreateWithCapacity(256);
    m_name2 = CDgnString::CreateWithCapacity(256);
}

CLevelEntryElement::~CLevelEntryElement()
{
    if (m_designFile && m_data.levelNumber < kUnassignedLevel &&
        m_designFile->GetLevel(static_cast<int>(m_data.levelNumber)) == this)
        m_designFile->SetLevelIndexEntry(static_cast<int>(m_data.levelNumber) + 1, nullptr);
    delete m_name;
    delete m_name2;
}

CLevelEntryElement* CLevelEntryElement::Create(CDesignFile* file, std::int32_t model)
{
    if (!file)
        return nullptr;
    IElement* table = file->GetLevelTableHeader();
    CLevelEntryElement* e = new (std::nothrow) CLevelEntryElement(file);
    if (!e)
        return nullptr;
    e->m_model = model;
    e->m_elementId = file->NewElementId();
    e->EnterIdIndex();
    if (table)
        table->AddChild(e);
    return e;
}

int CLevelEntryElement::GetType() const { return kType95; }

std::uint32_t CLevelEntryElement::FixedBytes() const { return kBodyBytes; }

bool CLevelEntryElement::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kBodyBytes)
        return false;
    m_data.levelNumber = LoadU32(b);
    m_data.parentCode = static_cast<std::int32_t>(LoadU32(b + 4));
    m_data.entryVersion = LoadU16(b + 8);
    m_data.levelFlags = LoadU16(b + 10);
    m_data.reserved0 = LoadU32(b + 12);
    std::int32_t* words[] = {&m_data.viewStyle, &m_data.viewWeight, &m_data.viewColor, &m_data.viewFillColor,
                             &m_data.levelStyle, &m_data.levelWeight, &m_data.levelColor, &m_data.levelFillColor,
                             &m_data.textStyleId, &m_data.dimStyleId, &m_data.mlineStyleId};
    for (int i = 0; i < 11; ++i)
        *words[i] = static_cast<std::int32_t>(LoadU32(b + 16 + 4 * i));
    m_data.levelCode = LoadU32(b + 60);
    m_data.plotStyleId = LoadU64(b + 64);
    return true;
}

void CLevelEntryElement::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, m_data.levelNumber);
    StoreU32(out + 4, static_cast<std::uint32_t>(m_data.parentCode));
    StoreU16(out + 8, m_data.entryVersion);
    StoreU16(out + 10, m_data.levelFlags);
    StoreU32(out + 12, m_data.reserved0);
    const std::int32_t words[] = {m_data.viewStyle, m_data.viewWeight, m_data.viewColor, m_data.viewFillColor,
                                  m_data.levelStyle, m_data.levelWeight, m_data.levelColor, m_data.levelFillColor,
                                  m_data.textStyleId, m_data.dimStyleId, m_data.mlineStyleId};
    for (int i = 0; i < 11; ++i)
        StoreU32(out + 16 + 4 * i, static_cast<std::uint32_t>(words[i]));
    StoreU32(out + 60, m_data.levelCode);
    StoreU64(out + 64, m_data.plotStyleId);
}

bool CLevelEntryElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_name || !m_name2 || !CFixedBodyElement::ReadV8(cursor, length))
        return false;
    m_name->Clear();
    m_name2->Clear();
    if (m_attributes) {
        m_attributes->GetStringLinkage(kNameKey, *m_name);
        m_attributes->GetStringLinkage(kName2Key, *m_name2);
    }
    return true;
}

void CLevelEntryElement::Register()
{
    // An entry without a number yet is no level of the file.
    if (m_designFile && m_data.levelNumber < kUnassignedLevel)
        m_designFile->SetLevelIndexEntry(static_cast<int>(m_data.levelNumber) + 1, this);
}

void CLevelEntryElement::Touch()
{
    Register();
    if (m_attributes && m_name) {
        m_attributes->SetStringLinkage(kNameKey, *m_name);
        if (m_name2 && m_name2->ByteSize() > 1)
            m_attributes->SetStringLinkage(kName2Key, *m_name2);
        else
            m_attributes->RemoveStringLinkage(kName2Key);
    }
    CFixedBodyElement::Touch();
}

IElement* CLevelEntryElement::Clone(CDesignFile* target, bool removeSource)
{
    CLevelEntryElement* copy = new (std::nothrow) CLevelEntryElement(target ? target : m_designFile);
    if (!copy || !copy->m_name || !copy->m_name2) {
        delete copy;
        return nullptr;
    }
    copy->m_data = m_data;
    copy->m_name->Assign(*m_name);
    copy->m_name2->Assign(*m_name2);
    IElement* done = FinishClone(copy, target, removeSource);
    if (done) {
        CDesignFile* file = target ? target : m_designFile;
        if (IElement* table = file ? file->GetLevelTableHeader() : nullptr)
            table->AddChild(done);
    }
    return done;
}

std::uint16_t CLevelEntryElement::GetLevelFlags() const { return m_data.levelFlags; }
void CLevelEntryElement::SetLevelFlags(std::uint16_t flags) { m_data.levelFlags = flags; }
CDgnString* CLevelEntryElement::GetName() const { return m_name; }
CDgnString* CLevelEntryElement::GetName2() const { return m_name2; }
LevelData* CLevelEntryElement::GetLevelData() { return &m_data; }
std::uint32_t CLevelEntryElement::GetLevelNumber() const { return m_data.levelNumber; }
std::int32_t CLevelEntryElement::GetParentCode() const { return m_data.parentCode; }

void CLevelEntryElement::SetLevelNumber(std::uint32_t number)
{
    if (m_designFile && m_data.levelNumber < kUnassignedLevel && m_designFile->GetLevel(static_cast<int>(m_data.levelNumber)) == this)
        m_designFile->SetLevelIndexEntry(static_cast<int>(m_data.levelNumber) + 1, nullptr);
    m_data.levelNumber = m_data.levelCode = number;
}

void CLevelEntryElement::AssignNewLevelNumber()
{
    if (m_designFile)
        SetLevelNumber(static_cast<std::uint32_t>(m_designFile->GetLowestFreeLevelNumber()));
}

void CLevelEntryElement::SetName(const char* text)
{
    if (m_name)
        m_name->Set(text);
}

void CLevelEntryElement::SetName2(const char* text)
{
    if (m_name2)
        m_name2->Set(text);
}

void CLevelEntryElement::CreateV7Levels(CDesignFile* file, const std::uint8_t* record, std::uint32_t length, IEntity* before)
{
    if (!file || !record)
        return;
    for (int i = 0; i < 64; ++i) {
        CLevelEntryElement* e = new (std::nothrow) CLevelEntryElement(file);
        if (!e)
            return;
        e->m_model = 0;
        // The record holds one word per level; levels it is too short for keep the defaults.
        const std::uint32_t at = 28 + 2 * static_cast<std::uint32_t>(i);
        const std::uint16_t w = at + 2 <= length ? LoadU16(record + at) : 0;
        char name[16];
        std::snprintf(name, sizeof name, "%i", i);
        e->SetName(i == 0 ? "Default" : name);
        e->SetLevelNumber(static_cast<std::uint32_t>(i));
        e->m_data.levelStyle = w & 7;
        e->m_data.levelWeight = (w >> 3) & 0x1F;
        e->m_data.levelColor = w >> 8;
        e->m_data.levelFlags = kV7LevelFlags;
        e->Touch();
        if (before)
            e->InsertBefore(before);
    }
}

void CLevelEntryElement::ApplyV7LevelNames(CDesignFile* file, const std::uint8_t* record, std::uint32_t length)
{
    if (!file || length < kV7NamesAt || LoadU16(record + 38) != 0)
        return;
    const std::uint32_t count = LoadU16(record + 40);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = kV7NamesAt + static_cast<std::uint64_t>(i) * kV7NameEntryBytes;
        // Entries that the record does not hold whole are not read.
        if (at + kV7NameEntryBytes > length)
            break;
        const std::uint8_t* entry = record + at;
        CLevelEntryElement* level = file->GetLevel(LoadU16(entry));
        if (!level)
            continue;
        level->SetName(FieldText(entry + 2, 34).c_str());
        level->Touch();
        if (entry[36]) {
            level->SetName2(FieldText(entry + 36, kV7NameEntryBytes - 36).c_str());
            level->Touch();
        }
    }
}

void CLevelEntryElement::Describe(LineCallback callback)
{
    EmitLine(callback, 1024, "Level %i table entry", static_cast<int>(m_data.levelNumber));
    IElement::Describe(callback);
    auto nameLine = [&](CDgnString* name, const char* head) {
        if (!name)
            return;
        if (name->IsWide())
            EmitWideLine(callback, 1024, WidenAscii(head) + WideText(*name));
        else
            EmitLine(callback, 1024, "%s%s", head, NarrowText(*name).c_str());
    };
    if (m_name && m_name->CharCount() < 256)
        nameLine(m_name, "name: ");
    if (m_name2 && m_name2->CharCount() > 0)
        nameLine(m_name2, "name2: ");
    std::string line;
    char part[64];
    if (m_data.levelFlags & 0x000F) {
        line = "View overrides(if on): ";
        const struct {
            std::uint16_t bit;
            const char* text;
            std::int32_t value;
        } views[] = {{0x1, "Color(%i) ", m_data.viewColor}, {0x2, "Style(%i) ", m_data.viewStyle},
                     {0x4, "Weight(%i) ", m_data.viewWeight}, {0x8, "FillColor(%i) ", m_data.viewFillColor}};
        for (const auto& v : views) {
            if (m_data.levelFlags & v.bit) {
                std::snprintf(part, sizeof part, v.text, v.value);
                line += part;
            }
        }
        EmitLine(callback, 1024, "%s", line.c_str());
    }
    EmitLine(callback, 1024, "Level overrides(if set by entity): Color(%i) Style(%i) Weight(%i) FillColor(%i) ", m_data.levelColor,
             m_data.levelStyle, m_data.levelWeight, m_data.levelFillColor);
    EmitLine(callback, 1024, "Style overrides: dimStyleId(%i) mlineStyleId(%i) plotStyleId(%i) textStyleId(%i) ", m_data.dimStyleId,
             m_data.mlineStyleId, static_cast<int>(m_data.plotStyleId & 0xFFFFFFFF), m_data.textStyleId);
    line = "Visibility flags (if set): ";
    const struct {
        std::uint16_t bit;
        const char* text;
    } flags[] = {{0x0020, "display "}, {0x0040, "plot "}, {0x0080, "external "}, {0x0100, "byCell "},
                 {0x0200, "snap "}, {0x0400, "readOnly "}, {0x4000, "frozen "}, {0x8000, "customStyleFromMaster "}};
    for (const auto& f : flags) {
        if (m_data.levelFlags & f.bit)
            line += f.text;
    }
    if ((m_data.levelFlags & 0x3000) == 0x1000)
        line += "elementAccess=locked";
    else if ((m_data.levelFlags & 0x3000) == 0x2000)
        line += "elementAccess=readonly";
    EmitLine(callback, 1024, "%s", line.c_str());
    EmitEnd(callback);
}

} // namespace dgn
