#include "DesignFile.h"

#include "DgnStringFunctions.h"
#include "EntityIterator.h"
#include "Library.h"
#include "PointerTable.h"
#include "RootContainer.h"
#include "elements/ApplicationElement.h"

#include <cstdlib>
#include <cstring>

namespace dgn {

namespace {

// The element-ID index: 65536 slots at first, grown 4096 at a time.
constexpr std::uint32_t kIdIndexSlots = 65536;
constexpr std::uint32_t kIdIndexStep = 4096;
constexpr std::uint16_t kDesignFileType = 1001;

const char16_t* const kStandardLineStyles[8] = {
    u"STANDARD_LSTYLE_0", u"STANDARD_LSTYLE_1", u"STANDARD_LSTYLE_2", u"STANDARD_LSTYLE_3",
    u"STANDARD_LSTYLE_4", u"STANDARD_LSTYLE_5", u"STANDARD_LSTYLE_6", u"STANDARD_LSTYLE_7",
};

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
    m_list = kFileList;
}

CDesignFile::~CDesignFile()
{
    // The elements go first: each leaves the ID index and its model slot as it is deleted.
    DestroySubtree();
    delete m_idIndex;
    m_idIndex = nullptr;
    std::free(m_path);
    m_path = nullptr;
}

int CDesignFile::GetKind() const { return kEntityDesignFile; }
bool CDesignFile::ReadV8(const std::uint8_t**, std::uint32_t) { return false; }
bool CDesignFile::ReadV7(const std::uint8_t**, std::uint32_t) { return false; }
void CDesignFile::Touch() {}
std::uint32_t CDesignFile::WriteV8(std::uint8_t**) { return 0; }
void CDesignFile::Describe(LineCallback) {}

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

int CDesignFile::IsV8() const { return m_isV8; }

void CDesignFile::NoteElementId(std::uint64_t id)
{
    if (m_nextElementId <= id)
        m_nextElementId = id == kLastElementId ? id : id + 1;
}

CApplicationElement* CDesignFile::GetModelHeader(int model) const
{
    return model >= 0 && model < kMaxModels ? m_models[model] : nullptr;
}

CApplicationElement** CDesignFile::GetModelHeaderSlot(int model) { return model >= 0 && model < kMaxModels ? &m_models[model] : nullptr; }

void CDesignFile::GetGlobalOrigin(int model, double out[3]) const
{
    if (const CApplicationElement* header = GetModelHeader(model)) {
        header->GetModelOrigin(out);
        return;
    }
    for (int i = 0; i < 3; ++i)
        out[i] = m_globalOrigin[i];
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

CLevelEntryElement* CDesignFile::GetLevel(int) const { return nullptr; }

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

IElement* CDesignFile::FindView(int) const { return nullptr; }

const char16_t* CDesignFile::GetLineStyleName(std::int32_t style) const
{
    if (style >= 0 && style <= 7)
        return kStandardLineStyles[style];
    if (style == 0x7FFFFFFE)
        return u"LSTYLE_BY_CELL";
    if (style == 0x7FFFFFFF)
        return u"LSTYLE_BY_LAYER";
    return u"LSTYLE_NAME_UNKNOWN";
}

double CDesignFile::GetUnitsPerStorageUnit(int model) const
{
    const CApplicationElement* header = GetModelHeader(model);
    if (!header)
        return kDefaultUnitsPerMaster;
    return header->GetStorageUnitsNumerator() * header->GetUorScale() / header->GetStorageUnitsDenominator();
}

double CDesignFile::GetUnitsPerMaster(int model) const
{
    const CApplicationElement* header = GetModelHeader(model);
    if (!header)
        return kDefaultUnitsPerMaster;
    return GetUnitsPerStorageUnit(model) * header->GetMasterUnitsDenominator() / header->GetMasterUnitsNumerator();
}

CPointerTable* CDesignFile::GetIdIndex() const { return m_idIndex; }

const char16_t* CDesignFile::GetFilePath() const { return m_path ? m_path : u""; }

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

namespace {

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

} // namespace

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
