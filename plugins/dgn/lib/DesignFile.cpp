#include "DesignFile.h"

#include "ByteArray.h"
#include "DgnString.h"
#include "DgnStringFunctions.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "EntityIterator.h"
#include "Library.h"
#include "PointerTable.h"
#include "RootContainer.h"
#include "TransformHelper.h"
#include "elements/ApplicationElement.h"
#include "elements/FontTableEntry.h"
#include "elements/FontTableHeader.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelTableHeader.h"
#include "elements/LineStyleNameEntry.h"
#include "elements/LineStyleNameTableHeader.h"
#include "elements/SharedCellElements.h"
#include "elements/ViewElement.h"
#include "elements/FileHeaderElement.h"
#include "fonts/Font.h"
#include "fonts/FontCache.h"
#include "fonts/FontResources.h"
#include "platform/Platform.h"
#include "storage/CompoundStorage.h"
#include "storage/ZlibStream.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

// The element-ID index: 65536 slots at first, grown 4096 at a time.
constexpr std::uint32_t kIdIndexSlots = 65536;
constexpr std::uint32_t kIdIndexStep = 4096;
constexpr std::uint16_t kDesignFileType = 1001;
// Model names, descriptions and the look-up by name take this many bytes.
constexpr std::uint32_t kNameBytes = 256;
// The keys of the model header's string linkages.
constexpr std::uint32_t kModelNameKey = 1;
constexpr std::uint32_t kModelDescriptionKey = 2;
constexpr std::uint32_t kMasterLabelKey = 19;
constexpr std::uint16_t kTableHeaderType = 96;
constexpr std::uint16_t kReferenceType = 100;

const char16_t* const kStandardLineStyles[8] = {
    u"STANDARD_LSTYLE_0", u"STANDARD_LSTYLE_1", u"STANDARD_LSTYLE_2", u"STANDARD_LSTYLE_3",
    u"STANDARD_LSTYLE_4", u"STANDARD_LSTYLE_5", u"STANDARD_LSTYLE_6", u"STANDARD_LSTYLE_7",
};

// A string linkage of a model header in the ANSI code page, cut to capacity bytes with its
// terminator; empty when there is none.
void ModelString(const CApplicationElement* header, std::uint32_t key, char* out, std::uint32_t capacity)
{
    if (!out || capacity == 0)
        return;
    out[0] = 0;
    CElementLinkages* linkages = header ? header->GetAttributes() : nullptr;
    CDgnString* text = linkages ? CDgnString::Create() : nullptr;
    if (text && linkages->GetStringLinkage(key, *text)) {
        const std::size_t room = 2 * static_cast<std::size_t>(text->CharCount()) + 1;
        char* ansi = static_cast<char*>(std::malloc(room));
        if (ansi) {
            text->CopyToAnsi(ansi);
            std::strncpy(out, ansi, capacity - 1);
            out[capacity - 1] = 0;
            std::free(ansi);
        }
    }
    delete text;
}

// The ANSI text's case-insensitive comparison over at most n characters.
bool SameNameNoCase(const char* a, const char* b, std::size_t n)
{
    char16_t wa[kNameBytes + 1], wb[kNameBytes + 1];
    const int la = AnsiToUtf16(a, static_cast<int>(StrLenA(a) < n ? StrLenA(a) : n), wa, kNameBytes);
    const int lb = AnsiToUtf16(b, static_cast<int>(StrLenA(b) < n ? StrLenA(b) : n), wb, kNameBytes);
    if (la != lb)
        return false;
    for (int i = 0; i < la; ++i) {
        if (UpperCase16(wa[i]) != UpperCase16(wb[i]))
            return false;
    }
    return true;
}

bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The comparison of FindOpenDesignFile.
bool SameFileName(const char16_t* path, const char16_t* filePath)
{
    std::size_t i = StrLenW(path);
    std::size_t j = StrLenW(filePath);
    while (i > 0 && j > 0) {
        --i;
        --j;
        const char16_t a = path[i];
        const char16_t b = filePath[j];
        if (IsPathSeparator(a) && IsPathSeparator(b))
            return i > 0 || j == 0;
        if (a != b)
            return false;
    }
    return false;
}

// An ANSI path as UTF-16 on the heap (the caller frees it), or null.
char16_t* WidePath(const char* path)
{
    if (!path)
        return nullptr;
    const std::size_t n = StrLenA(path);
    char16_t* wide = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    if (!wide)
        return nullptr;
    const int units = AnsiToUtf16(path, static_cast<int>(n), wide, static_cast<int>(n));
    wide[units] = 0;
    return wide;
}

} // namespace

CDesignFile::CDesignFile() : IElement(nullptr)
{
    m_type = kDesignFileType;
    // The list is 4 while the file is being built (no element list), then the file-level list.
    m_list = 4;
    if (CRootContainer* root = GetRootContainer())
        root->AddChild(this);
    GetChildList();
    m_idIndex = CPointerTable::Create(kIdIndexSlots, kIdIndexStep);
    m_fontCache = CFontCache::Create(this);
    m_list = kFileList;
}

CDesignFile::~CDesignFile()
{
    m_refCount = -1;
    CloseV8Storage();
    // The elements go first: each leaves the ID index and its model slot as it is deleted.
    DestroySubtree();
    m_levelIndex.Clear();
    delete m_idIndex;
    m_idIndex = nullptr;
    DeleteBlocks();
    ForgetThumbnail();
    delete m_fontCache;
    m_fontCache = nullptr;
    std::free(m_fontNameBuffer);
    m_fontNameBuffer = nullptr;
    std::free(m_path);
    m_path = nullptr;
    std::free(m_pathA);
    m_pathA = nullptr;
}

void CDesignFile::DeleteBlocks()
{
    CByteArray** blocks[] = {&m_headerBlock, &m_sBlock, &m_mfBlock, &m_summaryInfo, &m_docSummaryInfo, &m_mixBlock};
    for (CByteArray** block : blocks) {
        delete *block;
        *block = nullptr;
    }
    for (CByteArray*& block : m_modelBlocks) {
        delete block;
        block = nullptr;
    }
}

void CDesignFile::ForgetThumbnail()
{
    DeleteScreenBitmap(m_thumbnail);
    m_thumbnail = nullptr;
    m_thumbnailWidth = m_thumbnailHeight = 0;
}

int CDesignFile::GetKind() const { return kEntityDesignFile; }
bool CDesignFile::ReadV8(const std::uint8_t**, std::uint32_t) { return false; }
bool CDesignFile::ReadV7(const std::uint8_t**, std::uint32_t) { return false; }
void CDesignFile::Touch() {}
std::uint32_t CDesignFile::WriteV8(std::uint8_t**) { return 0; }
void CDesignFile::Describe(LineCallback) {}

int CDesignFile::SaveAs(const char16_t* path, int)
{
    if (m_status != 0 || !path)
        return 0;
    RecountComplexFlags();
    PropagateListToComponents();
    CloseV8Storage();
    m_compoundStorage = CCompoundStorage::Create(path);
    if (!m_compoundStorage)
        return 0;
    return SaveV8() ? 1 : 0;
}

int CDesignFile::SaveAsA(const char* path, int flags)
{
    char16_t* wide = WidePath(path);
    const int result = wide ? SaveAs(wide, flags) : 0;
    std::free(wide);
    return result;
}

bool CDesignFile::Is3d() const { return m_is3d != 0; }

// The counter stops at the highest ID instead of wrapping: a file may hold that ID, and a
// wrapped counter would hand out 0 (no ID) and then the IDs of the file's first elements again.
std::uint64_t CDesignFile::NewElementId()
{
    const std::uint64_t id = m_nextElementId;
    if (m_nextElementId != kLastElementId)
        ++m_nextElementId;
    return id;
}

void CDesignFile::NoteElementId(std::uint64_t id)
{
    if (m_nextElementId <= id)
        m_nextElementId = id == kLastElementId ? id : id + 1;
}

std::int32_t CDesignFile::GetSettingA() const { return m_settingA; }
void CDesignFile::SetSettingA(std::int32_t value) { m_settingA = value; }
std::int32_t CDesignFile::GetSettingB() const { return m_settingB; }
void CDesignFile::SetSettingC(std::int32_t value) { m_settingC = value; }
std::int32_t CDesignFile::GetSettingC() const { return m_settingC; }
int CDesignFile::IsV8() const { return m_isV8; }
void CDesignFile::SetPair(std::int32_t a, std::int32_t b)
{
    m_pairA = a;
    m_pairB = b;
}

int CDesignFile::GetModelCount() const
{
    int count = 0;
    for (const CApplicationElement* header : m_models) {
        if (header)
            ++count;
    }
    return count;
}

CApplicationElement* CDesignFile::NextModel(int* cursor) const
{
    if (!cursor)
        return nullptr;
    for (int model = *cursor < 0 ? 0 : *cursor; model < kMaxModels; ++model) {
        if (m_models[model]) {
            *cursor = model + 1;
            return m_models[model];
        }
    }
    return nullptr;
}

bool CDesignFile::IsModel3d(int model) const
{
    const CApplicationElement* header = GetModelHeader(model);
    return header ? (header->GetFlags2() & 1) != 0 : Is3d();
}

void CDesignFile::GetModelName(int model, char* out) const { ModelString(GetModelHeader(model), kModelNameKey, out, kNameBytes); }

int CDesignFile::FindModelByName(const char* name) const
{
    if (!name)
        return -1;
    char modelName[kNameBytes];
    for (int model = 0; model < kMaxModels; ++model) {
        if (!m_models[model])
            continue;
        ModelString(m_models[model], kModelNameKey, modelName, sizeof modelName);
        if (SameNameNoCase(modelName, name, kNameBytes))
            return model;
    }
    return -1;
}

void CDesignFile::GetModelDescription(int model, char* out) const
{
    ModelString(GetModelHeader(model), kModelDescriptionKey, out, kNameBytes);
}

void CDesignFile::GetMasterUnitName(int model, char* out) const
{
    if (!out)
        return;
    out[0] = 0;
    if (const CApplicationElement* header = GetModelHeader(model)) {
        ModelString(header, kMasterLabelKey, out, 3);
    } else if (!m_isV8) {
        std::memcpy(out, m_masterUnitName, 3);
    }
}

int CDesignFile::GetCurrentModel() const { return m_currentModel; }
void CDesignFile::SetCurrentModel(int model) { m_currentModel = model; }

CApplicationElement* CDesignFile::GetModelHeader(int model) const
{
    return model >= 0 && model < kMaxModels ? m_models[model] : nullptr;
}

CApplicationElement** CDesignFile::GetModelHeaderSlot(int model) { return model >= 0 && model < kMaxModels ? &m_models[model] : nullptr; }

const CByteArray* CDesignFile::GetModelBlock(int model) const { return model >= 0 && model < kMaxModels ? m_modelBlocks[model] : nullptr; }

std::uint32_t CDesignFile::GetModelBackgroundColor(int model) const
{
    const CApplicationElement* header = GetModelHeader(model);
    return header ? header->GetBackgroundColor() : 0;
}

void CDesignFile::GetGlobalOrigin(int model, double out[3]) const
{
    if (const CApplicationElement* header = GetModelHeader(model)) {
        header->GetModelOrigin(out);
        return;
    }
    for (int i = 0; i < 3; ++i)
        out[i] = m_globalOrigin[i];
}

void CDesignFile::SetGlobalOrigin(int model, const double in[3])
{
    if (CApplicationElement* header = GetModelHeader(model))
        header->SetModelOrigin(in);
}

void CDesignFile::ToMasterUnits2d(int model, Point2d& p) const
{
    Point3d q = {p.x, p.y, 0.0};
    ToMasterUnits3d(model, q);
    p = {q.x, q.y};
}

void CDesignFile::ToMasterUnits3d(int model, Point3d& p) const
{
    double origin[3];
    GetGlobalOrigin(model, origin);
    const double units = GetUnitsPerMaster(model);
    p.x = (p.x - origin[0]) / units;
    p.y = (p.y - origin[1]) / units;
    p.z = (p.z - origin[2]) / units;
}

void CDesignFile::ComputeModelRange(int model, RangeBox* out)
{
    if (!out)
        return;
    *out = RangeBox{{0, 0, 0}, {0, 0, 0}, false};
    CTransformHelper* collector = CTransformHelper::Create();
    CEntityIterator* it = collector ? CreateChildIterator(nullptr) : nullptr;
    if (it) {
        collector->SetDesignFile(this);
        it->DescendIntoComplex();
        while (IEntity* e = it->Next()) {
            if (e->GetKind() != kEntityElement)
                continue;
            IElement* element = static_cast<IElement*>(e);
            const bool counted = !element->IsHiddenEntity() && element->GetList() != kFileList && element->GetModel() == model;
            if (counted || element->GetType() == kReferenceType)
                element->EmitGeometry(nullptr, collector);
        }
        if (collector->HasRange()) {
            const double* r = collector->Range();
            for (int i = 0; i < 3; ++i) {
                out->low[i] = r[i];
                out->high[i] = r[3 + i];
            }
            out->hasPoint = true;
        }
    }
    delete it;
    delete collector;
}

bool CDesignFile::SetLevelIndexEntry(int index, CLevelEntryElement* entry) { return m_levelIndex.Set(index, entry); }
int CDesignFile::FindFreeLevelIndex() const { return m_levelIndex.FirstFree(); }
CLevelEntryElement* CDesignFile::GetLevel(int level) const { return level >= -1 && level < 0x7FFFFFFF ? m_levelIndex.Get(level + 1) : nullptr; }
CLevelEntryElement* CDesignFile::NextLevel(int* cursor) const { return m_levelIndex.Next(cursor); }

IElement* CDesignFile::FindElementById(const std::uint64_t& id)
{
    if (m_idIndex) {
        IElement* indexed = static_cast<IElement*>(m_idIndex->Get(static_cast<std::uint32_t>(id & 0xFFFFF)));
        std::uint64_t found = 0;
        if (indexed) {
            indexed->GetElementId(&found);
            if (found == id)
                return indexed;
        }
    }
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return nullptr;
    it->DescendIntoComplex();
    IElement* match = nullptr;
    while (IEntity* e = it->Next()) {
        if (e->GetKind() != kEntityElement)
            continue;
        IElement* element = static_cast<IElement*>(e);
        std::uint64_t found = 0;
        element->GetElementId(&found);
        if (found == id) {
            match = element;
            break;
        }
    }
    delete it;
    return match;
}

IElement* CDesignFile::FindSharedCellDefinition(const char* name)
{
    if (!name)
        return nullptr;
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return nullptr;
    IElement* match = nullptr;
    while (IEntity* e = it->Next()) {
        auto* definition = e->GetKind() == kEntityElement ? dynamic_cast<CSharedCellDefinitionElement*>(e) : nullptr;
        if (definition && definition->GetName() && *definition->GetName() == name) {
            match = definition;
            break;
        }
    }
    delete it;
    return match;
}

IElement* CDesignFile::FindTableHeader(int table)
{
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return nullptr;
    IElement* found = nullptr;
    while (IEntity* e = it->Next()) {
        if (e->GetKind() == kEntityElement && e->GetType() == kTableHeaderType && static_cast<IElement*>(e)->GetLevel() == table) {
            found = static_cast<IElement*>(e);
            break;
        }
    }
    delete it;
    return found;
}

namespace {

// Calls visit on every element of the file (components too) until it answers true; that one.
template <class Visit>
IElement* FindElement(const CDesignFile* file, Visit visit)
{
    const IEntity* end = file->ChildList();
    for (IEntity* e = file->Next(); e && e != end; e = e->Next()) {
        if (e->GetKind() == kEntityElement && visit(static_cast<IElement*>(e)))
            return static_cast<IElement*>(e);
    }
    return nullptr;
}

// The elements of a table: the header's components.
template <class Entry, class Visit>
Entry* FindEntry(IElement* table, Visit visit)
{
    if (!table || !table->ChildList())
        return nullptr;
    for (IEntity* e = table->Next(); e && e != table->ChildList(); e = e->SubtreeEnd()->Next()) {
        Entry* entry = dynamic_cast<Entry*>(e);
        if (entry && visit(entry))
            return entry;
    }
    return nullptr;
}

std::string AnsiOf(CDgnString* s)
{
    std::string out;
    if (s && s->CharCount()) {
        out.resize(2 * static_cast<std::size_t>(s->CharCount()) + 1);
        s->CopyToAnsi(&out[0]);
        out.resize(std::strlen(out.c_str()));
    }
    return out;
}

} // namespace

IElement* CDesignFile::FindView(int number) const
{
    return FindElement(this, [number](IElement* e) {
        const CViewElement* view = e->GetType() == 98 ? dynamic_cast<const CViewElement*>(e) : nullptr;
        return view && view->GetViewNumber() == number;
    });
}

IElement* CDesignFile::FindViewElement(std::int32_t word3, std::int32_t number) const
{
    return FindElement(this, [word3, number](IElement* e) {
        const CViewElement* view = e->GetType() == 98 ? dynamic_cast<const CViewElement*>(e) : nullptr;
        return view && view->IsValid() && view->GetViewWord3() == word3 && view->GetViewNumber() == number;
    });
}

int CDesignFile::FindFontNumber(const char* name)
{
    if (!name)
        return 0;
    CFontTableEntry* entry = FindEntry<CFontTableEntry>(FindTableHeader(2), [name](CFontTableEntry* f) { return AnsiOf(f->GetFontName()) == name; });
    return entry ? entry->GetFontWord2() : FindFontNumberByName(name);
}

const char* CDesignFile::GetFontName(int number)
{
    CFontTableEntry* entry =
        FindEntry<CFontTableEntry>(FindTableHeader(2), [number](CFontTableEntry* f) { return f->GetFontWord2() == static_cast<std::uint16_t>(number); });
    if (!entry)
        return FindFontEntryByNumber(number);
    const std::string name = AnsiOf(entry->GetFontName());
    char* copy = static_cast<char*>(std::malloc(name.size() + 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, name.c_str(), name.size() + 1);
    std::free(m_fontNameBuffer);
    m_fontNameBuffer = copy;
    return m_fontNameBuffer;
}

CFont* CDesignFile::LoadFont(int number) { return m_fontCache ? m_fontCache->Load(number, false) : nullptr; }
CFont* CDesignFile::LoadFontWithFallback(int number) { return m_fontCache ? m_fontCache->Load(number, true) : nullptr; }

IElement* CDesignFile::FindLineStyleNameEntry(int number)
{
    return FindEntry<CLineStyleNameEntry>(FindTableHeader(7), [number](CLineStyleNameEntry* e) { return e->GetLineStyleNumber() == number; });
}

const char16_t* CDesignFile::GetLineStyleName(std::int32_t style) const
{
    if (style >= 0 && style <= 7)
        return kStandardLineStyles[style];
    if (style == 0x7FFFFFFE)
        return u"LSTYLE_BY_CELL";
    if (style == 0x7FFFFFFF)
        return u"LSTYLE_BY_LAYER";
    const CLineStyleNameEntry* entry = static_cast<const CLineStyleNameEntry*>(const_cast<CDesignFile*>(this)->FindLineStyleNameEntry(style));
    return entry ? entry->GetWideName() : u"LSTYLE_NAME_UNKNOWN";
}

void* CDesignFile::GetThumbnail() const { return m_thumbnail; }

void CDesignFile::DrawThumbnail(void* deviceContext, std::int32_t x, std::int32_t y) const
{
    if (m_thumbnail)
        DrawScreenBitmap(deviceContext, m_thumbnail, x, y, m_thumbnailWidth, m_thumbnailHeight);
}

const char16_t* CDesignFile::GetFilePath() const { return m_path ? m_path : u""; }

const char* CDesignFile::GetFilePathA()
{
    const char16_t* path = GetFilePath();
    const std::size_t units = StrLenW(path);
    // An ANSI character takes at most two bytes.
    char* ansi = static_cast<char*>(std::malloc(2 * units + 1));
    if (!ansi)
        return "";
    const int n = Utf16ToAnsi(path, static_cast<int>(units), ansi, static_cast<int>(2 * units));
    ansi[n] = 0;
    std::free(m_pathA);
    m_pathA = ansi;
    return m_pathA;
}

bool CDesignFile::SetFilePath(const char16_t* path)
{
    const std::size_t units = path ? StrLenW(path) + 1 : 1;
    char16_t* copy = static_cast<char16_t*>(std::malloc(units * sizeof(char16_t)));
    if (!copy)
        return false;
    if (path)
        std::memcpy(copy, path, units * sizeof(char16_t));
    else
        copy[0] = 0;
    std::free(m_path);
    m_path = copy;
    return true;
}

double CDesignFile::GetUnitsPerStorageUnit(int model) const
{
    const CApplicationElement* header = GetModelHeader(model);
    if (!header)
        return m_defaultUnitsB * m_defaultUnitsC;
    return header->GetStorageUnitsNumerator() * header->GetUorScale() / header->GetStorageUnitsDenominator();
}

double CDesignFile::GetUnitsPerMaster(int model) const
{
    const CApplicationElement* header = GetModelHeader(model);
    if (!header)
        return m_defaultUnitsB * m_defaultUnitsC;
    return GetUnitsPerStorageUnit(model) * header->GetMasterUnitsDenominator() / header->GetMasterUnitsNumerator();
}

std::int32_t CDesignFile::AddRef() { return ++m_refCount; }

std::int32_t CDesignFile::Release()
{
    const std::int32_t left = --m_refCount;
    if (left == 0)
        delete this;
    return left;
}

std::uint32_t CDesignFile::GetFileHeaderValue() const
{
    const CFileHeaderElement* header = dynamic_cast<const CFileHeaderElement*>(m_fileHeader);
    return header && header->Is3d() ? 1 : 0;
}

IElement* CDesignFile::GetFileHeader() const { return m_fileHeader; }
void CDesignFile::SetFileHeader(IElement* header) { m_fileHeader = header; }
CPointerTable* CDesignFile::GetIdIndex() const { return m_idIndex; }
std::uint8_t CDesignFile::IsLoaded() const { return m_loaded; }

namespace {

// The file's own level table: the first table-1 header without an attachment ID, else the last
// table-1 header; null when the file has none.
CLevelTableHeader* OwnLevelTable(const CDesignFile* file)
{
    CLevelTableHeader* last = nullptr;
    CLevelTableHeader* own = static_cast<CLevelTableHeader*>(FindElement(file, [&last](IElement* e) {
        CLevelTableHeader* h = e->GetType() == 96 && e->GetLevel() == 1 ? dynamic_cast<CLevelTableHeader*>(e) : nullptr;
        if (h)
            last = h;
        return h && h->GetAttachmentId() == 0;
    }));
    return own ? own : last;
}

} // namespace

// The table headers are looked up each time rather than kept: a header the caller deleted
// must not be handed out again.
IElement* CDesignFile::GetLevelTableHeader()
{
    IElement* own = OwnLevelTable(this);
    return own ? own : CLevelTableHeader::Create(this, 0);
}

IElement* CDesignFile::GetLineStyleNameTable()
{
    IElement* h = FindTableHeader(7);
    return h ? h : CLineStyleNameTableHeader::Create(this, 0);
}

IElement* CDesignFile::GetLineStyleDefTable()
{
    IElement* h = FindTableHeader(8);
    return h ? h : CLineStyleDefTableHeader::Create(this, 0);
}

IElement* CDesignFile::GetFontTable()
{
    IElement* h = FindTableHeader(2);
    return h ? h : CFontTableHeader::Create(this, 0);
}

int CDesignFile::GetLowestFreeLevelNumber() const
{
    int number = 1;
    while (number < 0x7FFFFFFE && GetLevel(number))
        ++number;
    return number;
}

IEntity* CDesignFile::GetChildEnd() const { return ChildList(); }

CDesignFile* CDesignFile::CreateNew(const char* path) { return CreateDesignFile(path); }

void CDesignFile::SetV7Units(std::int32_t kept, std::int32_t subPerMaster, std::int32_t uorPerSub)
{
    m_defaultUnitsA = kept;
    m_defaultUnitsB = subPerMaster;
    m_defaultUnitsC = uorPerSub;
}

void CDesignFile::SetV7UnitNames(const char master[2], const char sub[2])
{
    std::memcpy(m_masterUnitName, master, 2);
    m_masterUnitName[2] = 0;
    std::memcpy(m_subUnitName, sub, 2);
    m_subUnitName[2] = 0;
}

void CDesignFile::SetV7GlobalOrigin(const double origin[3])
{
    for (int i = 0; i < 3; ++i)
        m_globalOrigin[i] = origin[i];
}

void CDesignFile::SetColorTable(const std::uint8_t* rgb, std::uint32_t size)
{
    m_hasColorTable = rgb && size >= sizeof m_colorTable;
    if (m_hasColorTable)
        std::memcpy(m_colorTable, rgb, sizeof m_colorTable);
}

void CDesignFile::RecountComplexFlags()
{
    // Counts of the open complex headers, innermost last.
    struct Open {
        IEntity* header;
        std::int32_t count;
    };
    Open* stack = nullptr;
    std::uint32_t depth = 0, capacity = 0;
    std::int32_t outer = 0;
    const IEntity* end = ChildList();
    for (IEntity* e = Next(); e && e != end; e = e->Next()) {
        if (e->GetKind() == kEntityContainer) {
            if (static_cast<CEntityContainer*>(e)->ContainerKind() == CEntityContainer::kChildList && depth > 0 &&
                stack[depth - 1].header == e->Owner()) {
                const Open closed = stack[--depth];
                closed.header->SetChildCount(closed.count - 1);
                if (depth > 0)
                    stack[depth - 1].count += closed.count;
                else
                    outer += closed.count;
            }
            continue;
        }
        if (e->GetKind() != kEntityElement)
            continue;
        IElement* element = static_cast<IElement*>(e);
        element->ChangeFlags(depth > 0 ? kElementComplexComponent : 0, depth > 0 ? 0 : kElementComplexComponent);
        if (e->ChildList()) {
            element->ChangeFlags(kElementComplexHeader, 0);
            if (depth == capacity) {
                const std::uint32_t grown = capacity ? 2 * capacity : 16;
                Open* more = static_cast<Open*>(std::realloc(stack, grown * sizeof(Open)));
                if (!more)
                    break;
                stack = more;
                capacity = grown;
            }
            stack[depth++] = {e, 0};
        }
        if (depth > 0)
            ++stack[depth - 1].count;
        else
            ++outer;
    }
    std::free(stack);
}

void CDesignFile::PropagateListToComponents()
{
    const IEntity* end = ChildList();
    for (IEntity* e = Next(); e && e != end;) {
        if (e->GetKind() == kEntityElement && e->ChildList()) {
            // Everything in this top-level header's subtree takes its list.
            const std::int32_t list = static_cast<IElement*>(e)->GetList();
            const IEntity* last = e->SubtreeEnd();
            for (IEntity* c = e->Next(); c && c != last; c = c->Next()) {
                if (c->GetKind() == kEntityElement)
                    static_cast<IElement*>(c)->SetList(list);
            }
            e = last->Next();
            continue;
        }
        e = e->Next();
    }
}

void CDesignFile::RebuildLevelIndex()
{
    m_levelIndex.Clear();
    const IEntity* own = OwnLevelTable(this);
    FindElement(this, [this, own](IElement* e) {
        CLevelEntryElement* level = e->GetType() == 95 ? dynamic_cast<CLevelEntryElement*>(e) : nullptr;
        // The file's own levels: those of its level table, and those a V7 file keeps at its top.
        if (level && (e->Owner() == this || (own && e->Owner() == own)) && level->GetLevelNumber() < kUnassignedLevel)
            SetLevelIndexEntry(static_cast<int>(level->GetLevelNumber()) + 1, level);
        return false;
    });
}

void CDesignFile::RebuildComplexTree(IEntity* from)
{
    const IEntity* end = ChildList();
    for (IEntity* e = from ? from : Next(); e && e != end; e = e->Next()) {
        if (e->GetKind() != kEntityElement || e->ChildCount() <= 0 || e->ChildList())
            continue;
        IElement* header = static_cast<IElement*>(e);
        std::int32_t left = header->ChildCount();
        IEntity* closing = nullptr;
        IEntity* previous = header;
        for (IEntity* c = header->Next(); c; c = c->Next()) {
            // A child list closes the range the header lies in: its components cannot pass it.
            if (c->GetKind() == kEntityContainer) {
                if (static_cast<CEntityContainer*>(c)->ContainerKind() == CEntityContainer::kChildList)
                    break;
                continue;
            }
            if (--left == 0) {
                // A last component that is an unattached complex header keeps its own
                // components: the span ends before it.
                if (c->ChildCount() > 0 && !c->ChildList()) {
                    header->SetChildCount(header->ChildCount() - 1);
                    closing = previous;
                } else {
                    closing = c;
                }
                break;
            }
            previous = c;
        }
        if (!closing) {
            header->SetChildCount(0);
            continue;
        }
        if (closing == header || !header->AdoptFollowing(closing))
            continue;
        header->ChangeFlags(kElementComplexHeader, 0);
        for (IEntity* c = header->Next(); c != header->ChildList(); c = c->SubtreeEnd()->Next()) {
            if (c->GetKind() == kEntityElement)
                static_cast<IElement*>(c)->ChangeFlags(kElementComplexComponent, 0);
        }
    }
}

bool CDesignFile::LoadFromPathA(const char* path)
{
    char16_t* wide = WidePath(path);
    const bool ok = wide && LoadFromPath(wide);
    std::free(wide);
    return ok;
}

bool CDesignFile::CreateNewV8A(const char* path, bool threeD)
{
    if (!path)
        return false;
    char16_t* wide = WidePath(path);
    const bool ok = wide && CreateNewV8(wide, threeD);
    std::free(wide);
    return ok;
}

namespace {

// A factory's end: the object when it loaded, else nothing (the object deleted).
CDesignFile* Loaded(CDesignFile* file)
{
    if (file && file->GetStatus() != 0) {
        delete file;
        return nullptr;
    }
    return file;
}

CDesignFile* NewFile()
{
    CDesignFile* file = new (std::nothrow) CDesignFile;
    if (file && !file->GetIdIndex()) {
        delete file;
        return nullptr;
    }
    if (file)
        file->SetModel(0);
    return file;
}

} // namespace

CDesignFile* OpenDesignFileW(const char16_t* path)
{
    CDesignFile* file = NewFile();
    if (file)
        file->LoadFromPath(path);
    return Loaded(file);
}

CDesignFile* OpenDesignFile(const char* path)
{
    CDesignFile* file = NewFile();
    if (file)
        file->LoadFromPathA(path);
    return Loaded(file);
}

CDesignFile* CreateDesignFile(const char* path)
{
    CDesignFile* file = NewFile();
    if (file) {
        char16_t* wide = WidePath(path);
        file->CreateNewV8(wide, false);
        std::free(wide);
    }
    return Loaded(file);
}

CDesignFile* FindOpenDesignFile(const char16_t* path)
{
    CRootContainer* root = GetRootContainer();
    if (!path || !root)
        return nullptr;
    CLibraryLockGuard lock;
    IEntity* e = root->Next();
    const IEntity* end = root->SubtreeEnd();
    while (e && e != end) {
        if (e->GetKind() == kEntityDesignFile) {
            CDesignFile* file = static_cast<CDesignFile*>(e);
            if (SameFileName(path, file->GetFilePath()))
                return file;
            // A design file's subtree holds its elements, never another design file.
            e = e->SubtreeEnd()->Next();
            continue;
        }
        e = e->Next();
    }
    return nullptr;
}

} // namespace dgn
