#include "interchange/ImageResourceMap.h"
#include "interchange/ImageResource.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include <cwctype>

namespace {
bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return true;
}

bool EndsInWmf(const std::wstring& path)
{
    return path.size() >= 3 && EqualNoCase(path.substr(path.size() - 3), L"wmf");
}
} // namespace

CImageResourceMap::CImageResourceMap() = default;

CImageResourceMap::~CImageResourceMap()
{
    for (auto& entry : m_resources)
        entry.second->SetOwner(nullptr);
}

CImageResource* CImageResourceMap::Lookup(int id) const
{
    auto it = m_resources.find(id);
    return it == m_resources.end() ? nullptr : it->second.get();
}

CImageResource* CImageResourceMap::FindByObjectId(int databaseId) const
{
    for (const auto& entry : m_resources)
        if (entry.second->GetDatabaseId() == databaseId)
            return entry.second.get();
    return nullptr;
}

bool CImageResourceMap::IsSame(const CImageResource& a, const CImageResource& b)
{
    if (a.GetFormat() != b.GetFormat())
        return false;
    bool sameContent = a.GetHash() == b.GetHash();
    if (!sameContent && a.GetFormat() == 1) {
        // Windows metafiles converted twice differ in their bytes: the same file counts.
        const std::wstring& pa = a.GetSourcePath();
        const std::wstring& pb = b.GetSourcePath();
        sameContent = !pa.empty() && EndsInWmf(pa) && EqualNoCase(pa, pb);
    }
    return sameContent && a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           a.GetName() == b.GetName();
}

CImageResource* CImageResourceMap::InsertUnique(CImageResource* resource)
{
    if (!resource)
        return nullptr;
    for (auto& entry : m_resources) {
        CImageResource* present = entry.second.get();
        if (present == resource || IsSame(*present, *resource)) {
            present->SetOwner(this);
            if (present != resource && resource->GetDatabaseId() > 0)
                SetDatabaseId(resource->GetDatabaseId(), present->GetId());
            return present;
        }
    }
    const int id = resource->GetId();
    if (id == 0 || m_resources.count(id))
        return nullptr;
    resource->SetOwner(this);
    m_resources.emplace(id, std::unique_ptr<CImageResource>(resource));
    if (id > 0 && id >= m_nextId)
        m_nextId = id + 1;
    if (resource->GetDatabaseId() > 0)
        m_databaseIndex[resource->GetDatabaseId()] = id;
    return resource;
}

CImageResource* CImageResourceMap::CreateResource(int id, const void* bytes, size_t count, float defaultScale,
                                                  bool insert)
{
    auto resource = std::make_unique<CImageResource>(id != 0 ? id : m_nextId++, bytes, count, defaultScale, -1);
    if (!insert)
        return resource.release();
    CImageResource* entry = InsertUnique(resource.get());
    if (entry == resource.get())
        return resource.release();
    // An equal picture was present (the new one goes), or the ID was taken (none).
    return entry;
}

void CImageResourceMap::SetDatabaseId(int databaseId, int resourceId)
{
    if (resourceId < -1) {
        m_databaseIndex.erase(databaseId);
        return;
    }
    m_databaseIndex[databaseId] = resourceId;
    if (CImageResource* resource = Lookup(resourceId))
        resource->SetDatabaseId(databaseId);
}

int CImageResourceMap::Remove(int id)
{
    if (id < 1)
        return 0;
    auto it = m_resources.find(id);
    if (it == m_resources.end() || it->second->GetUseCount() > 1)
        return 0;
    for (auto index = m_databaseIndex.begin(); index != m_databaseIndex.end();) {
        if (index->second == id)
            index = m_databaseIndex.erase(index);
        else
            ++index;
    }
    m_resources.erase(it);
    return 1;
}

bool CImageResourceMap::SetError(int code, const char* message) const
{
    if (!m_reportError)
        return false;
    // Codes of the image module carry its bits.
    m_reportError((code & 0x0F000000) ? code : (code | 0x05000000), message);
    return true;
}

CImageResource* CImageResourceMap::LoadFromFile(const std::wstring& path, float defaultScale, int blockId)
{
    auto resource = std::make_unique<CImageResource>(m_nextId++, nullptr, 0, defaultScale, blockId);
    // Owned by the map while it loads, so that its errors reach the control.
    resource->SetOwner(this);
    if (FAILED(resource->LoadFromFile(path))) {
        SetError(0x106, "Cannot open file. Possible unknown format.");
        return nullptr;
    }
    CImageResource* entry = InsertUnique(resource.get());
    if (entry == resource.get())
        return resource.release();
    return entry;
}

CImageResource* CImageResourceMap::FindByName(const char* name, int format) const
{
    const std::string wanted = name ? name : "";
    for (const auto& entry : m_resources) {
        const CImageResource& r = *entry.second;
        const bool sameName = wanted.empty() ? r.GetName().empty() : r.GetName() == wanted;
        if (sameName && (format == 0 || r.GetFormat() == format))
            return entry.second.get();
    }
    return nullptr;
}

HRESULT CImageResourceMap::ExchangeTables(CDataTableSet* tables, DWORD mode, int position)
{
    if (!tables)
        return E_INVALIDARG;
    CImageResourcesTable* table = tables->ImageResources();
    if (!table)
        return 1;
    if (!(mode & DXFMODE_LOAD)) {
        for (auto& entry : m_resources) {
            if (entry.first == -1)
                continue;
            const HRESULT hr = entry.second->ExchangeTables(tables, mode);
            if (FAILED(hr))
                return hr;
            if (entry.second->GetDatabaseId() > 0)
                m_databaseIndex[entry.second->GetDatabaseId()] = entry.first;
        }
        return 0;
    }
    const bool single = (mode & DXFMODE_SINGLE_OBJECT) != 0;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    if (single ? !table->SeekKey(position) : !table->MoveFirst())
        return single ? E_ACCESSDENIED : 0;
    HRESULT result = 0;
    do {
        const CImageResourcesRecord* record = table->GetCurrent();
        if (!record)
            break;
        const int storedId = record->imageResourceID;
        const int translated = tables->StoredToCurrentId(storedId, 7, static_cast<int>(mode));
        CImageResource* resource = Lookup(translated);
        if (!resource)
            resource = FindByName(record->name.c_str(), DbFormatIdToImageFormat(record->ImageFormatID));
        bool created = false;
        if (!resource) {
            const int id = keepIds ? storedId : m_nextId++;
            auto fresh = std::make_unique<CImageResource>(id, nullptr, 0, 0.1f, -1);
            if (id == 0 || m_resources.count(id))
                return E_FAIL;
            fresh->SetOwner(this);
            resource = fresh.get();
            m_resources.emplace(id, std::move(fresh));
            if (id > 0 && id >= m_nextId)
                m_nextId = id + 1;
            created = true;
        }
        result = resource->ExchangeTables(tables, mode);
        if (FAILED(result))
            return result;
        if (!resource->IsLoaded()) {
            // A record whose picture we cannot decode leaves no empty resource behind.
            if (created)
                m_resources.erase(resource->GetId());
            continue;
        }
        if (!keepIds)
            tables->AddIdMapping(resource->GetId(), storedId, 7);
        if (resource->GetDatabaseId() > 0)
            m_databaseIndex[resource->GetDatabaseId()] = resource->GetId();
    } while (!single && table->MoveNext());
    return result;
}

int CImageResourceMap::WriteImageDefsToDxf(CDxfFile& dxf, int handleBase, bool subclassMarkers)
{
    int result = 0;
    for (auto& entry : m_resources) {
        const LONG uses = entry.second->GetUseCount();
        if (uses >= (entry.first == -1 ? 3 : 2))
            result = entry.second->WriteDxfImageDef(dxf, handleBase, subclassMarkers);
    }
    return result;
}
