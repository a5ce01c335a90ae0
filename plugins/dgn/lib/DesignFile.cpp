#include "DesignFile.h"

#include "EntityIterator.h"
#include "Library.h"
#include "PointerTable.h"
#include "RootContainer.h"
#include "elements/ApplicationElement.h"

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
}

int CDesignFile::GetKind() const { return kEntityDesignFile; }
bool CDesignFile::ReadV8(const std::uint8_t**, std::uint32_t) { return false; }
bool CDesignFile::ReadV7(const std::uint8_t**, std::uint32_t) { return false; }
void CDesignFile::Touch() {}
std::uint32_t CDesignFile::WriteV8(std::uint8_t**) { return 0; }
void CDesignFile::Describe(LineCallback) {}

bool CDesignFile::Is3d() const { return m_is3d != 0; }
std::uint64_t CDesignFile::NewElementId() { return m_nextElementId++; }
int CDesignFile::IsV8() const { return m_isV8; }

void CDesignFile::NoteElementId(std::uint64_t id)
{
    if (m_nextElementId <= id)
        m_nextElementId = id + 1;
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

} // namespace dgn
