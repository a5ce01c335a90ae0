#include "interchange/ImageResourceMap.h"
#include "interchange/ImageResource.h"
#include "persistence/DataTableSet.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ImageResourceSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <string>
#include <cwctype>
#include <vector>

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

// One row of `select imageResources.*`: database ID, content and name (columns 1, 3 and 4, read
// in column order); without `content` the picture's bytes stay in the table.
struct StoredPicture
{
    int databaseId = 0;
    std::vector<BYTE> content;
    std::string name;
};
bool ReadStoredPicture(COdbcRow& row, StoredPicture& picture, bool content = true)
{
    picture.databaseId = row.Int(1);
    row.Int(2);
    if (content && !row.Bytes(3, picture.content))
        return false;
    picture.name = row.Text(4, 256);
    return true;
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

HRESULT CImageResourceMap::LoadResource(COdbcSession& session, int databaseId, CImageResource** resource)
{
    CImageResource* given = resource ? *resource : nullptr;
    auto indexed = m_databaseIndex.find(databaseId);
    if (given && (indexed == m_databaseIndex.end() || Lookup(indexed->second) != given))
        given = nullptr;
    if (given) {
        // A resource that the row still describes is up to date.
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ImageResourceSql::SelectHashAndName, {databaseId}));
        COdbcRow row(session.Statement());
        bool current = false;
        if (row.Fetch()) {
            const uint32_t hash = static_cast<uint32_t>(row.Int(1));
            const std::string name = row.Text(2, 256);
            current = hash == given->GetHash() && !name.empty() && name == given->GetName();
        }
        row.Finish();
        if (current)
            return 0;
    }
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ImageResourceSql::LoadImageResource, {databaseId}));
    COdbcRow row(session.Statement());
    StoredPicture picture;
    const bool found = row.Fetch();
    const bool read = found && ReadStoredPicture(row, picture);
    row.Finish();
    if (!found)
        return S_FALSE;
    if (!read)
        return session.CheckResult(CLSID_YVEXControl, SQL_ERROR, "CImageResourceMap::LoadResource(..)", nullptr);
    auto fresh = std::make_unique<CImageResource>(given ? 0 : m_nextId, nullptr, 0, 0.1f, -1);
    fresh->SetOwner(this);
    if (!fresh->LoadFromBytes(picture.content.size(), picture.content.data()))
        return E_FAIL;
    fresh->SetName(picture.name.c_str());
    fresh->SetDatabaseId(picture.databaseId);
    if (given) {
        // The resource keeps its ID and its place in the map; the picture and values are the
        // row's.
        const int ownId = given->GetId();
        given->TakeOver(*fresh);
        given->SetId(ownId);
        m_databaseIndex[picture.databaseId] = ownId;
        return 0;
    }
    ++m_nextId;
    CImageResource* entry = InsertUnique(fresh.get());
    if (!entry)
        return E_FAIL;
    const HRESULT result = entry == fresh.get() ? 0 : 1;
    if (entry == fresh.get())
        fresh.release();
    m_databaseIndex[picture.databaseId] = entry->GetId();
    entry->SetDatabaseId(picture.databaseId);
    if (resource)
        *resource = entry;
    return result;
}

HRESULT CImageResourceMap::LoadAll(COdbcSession& session, int siteId)
{
    const HRESULT hr = siteId < 1
                           ? session.Exec(CLSID_YVEXControl, ImageResourceSql::LoadAllImageResources)
                           : session.Exec(CLSID_YVEXControl, ImageResourceSql::LoadSiteImageResources, {siteId, siteId});
    RETURN_IF_FAILED(hr);
    COdbcRow row(session.Statement());
    HRESULT result = hr;
    while (row.Fetch()) {
        StoredPicture picture;
        if (!ReadStoredPicture(row, picture, m_loadContent)) {
            result = E_FAIL;
            break;
        }
        auto loaded = std::make_unique<CImageResource>(picture.databaseId, picture.content.data(),
                                                       picture.content.size(), 2.0f, -1);
        // A row whose picture we cannot decode leaves nothing behind. Without the content the
        // resource stands for its row until its picture is read (LoadContent).
        if (m_loadContent && !loaded->IsLoaded())
            continue;
        loaded->SetName(picture.name.c_str());
        loaded->SetDatabaseId(picture.databaseId);
        CImageResource* entry = nullptr;
        while (!(entry = InsertUnique(loaded.get())))
            loaded->SetId(m_nextId++);
        if (entry == loaded.get())
            loaded.release();
        m_databaseIndex[picture.databaseId] = entry->GetId();
    }
    row.Finish();
    return result;
}

HRESULT CImageResourceMap::RefreshMaxDbId(COdbcSession& session)
{
    int largest = 0;
    RETURN_IF_FAILED(ReadLargestImageResourceId(session, &largest));
    m_largestDatabaseId = largest;
    return S_OK;
}

HRESULT CImageResourceMap::SaveAll(COdbcSession& session, int, int scenarioId)
{
    RETURN_IF_FAILED(RefreshMaxDbId(session));
    for (const auto& entry : m_resources) {
        // A picture that came without a name (from memory or the clipboard) is named after its
        // ID: a row needs a name, and one such picture must not keep the whole site unsaved.
        if (!entry.second->HasName() && entry.second->GetDatabaseId() <= 0)
            entry.second->SetName(("Image" + std::to_string(entry.first)).c_str());
        const HRESULT hr = entry.second->Save(session, scenarioId, 1);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

CImageResourceMap::DatabaseIds CImageResourceMap::GetDatabaseIds() const
{
    DatabaseIds ids;
    for (const auto& entry : m_resources)
        ids.byResource[entry.first] = entry.second->GetDatabaseId();
    ids.index = m_databaseIndex;
    ids.largest = m_largestDatabaseId;
    return ids;
}

void CImageResourceMap::RestoreDatabaseIds(const DatabaseIds& ids)
{
    for (const auto& entry : m_resources) {
        auto it = ids.byResource.find(entry.first);
        if (it != ids.byResource.end())
            entry.second->SetDatabaseId(it->second);
    }
    m_databaseIndex = ids.index;
    m_largestDatabaseId = ids.largest;
}

HRESULT CImageResourceMap::LoadResourceFromHandle(HGDIOBJ handle, CImageResource** resource)
{
    if (!resource)
        return E_INVALIDARG;
    *resource = nullptr;
    auto loaded = std::make_unique<CImageResource>(m_nextId++, nullptr, 0, 1.0f, -1);
    loaded->SetOwner(this);
    if (!loaded->LoadFromGdiHandle(handle)) {
        SetError(0x106, "Unknown Handle format.");
        return E_ACCESSDENIED;
    }
    // A handle's picture is named after its resource ID: the same picture taken from a handle
    // before is the one of equal content named so.
    for (const auto& entry : m_resources) {
        const CImageResource& present = *entry.second;
        if (present.GetFormat() == loaded->GetFormat() && present.GetHash() == loaded->GetHash() &&
            present.GetWidth() == loaded->GetWidth() && present.GetHeight() == loaded->GetHeight() &&
            present.GetName() == "Enhanced Metafile" + std::to_string(entry.first))
            return S_OK;
    }
    CImageResource* entry = InsertUnique(loaded.get());
    if (!entry)
        return S_FALSE;
    if (entry == loaded.get())
        *resource = loaded.release();
    return S_OK;
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

int CImageResourceMap::WriteImageDefsToDxf(CDxfFile& dxf, int handleBase, bool subclassMarkers, uint32_t owner,
                                           std::vector<std::pair<std::string, uint32_t>>* written)
{
    int result = 0;
    for (auto& entry : m_resources) {
        const LONG uses = entry.second->GetUseCount();
        if (uses < (entry.first == -1 ? 3 : 2))
            continue;
        result = entry.second->WriteDxfImageDef(dxf, handleBase, subclassMarkers, owner);
        if (result && written)
            written->emplace_back(entry.second->GetName(), static_cast<uint32_t>(entry.first + handleBase));
    }
    return result;
}

int CImageResourceMap::ReadImageDefFromDxf(CDxfFile& dxf)
{
    const int id = m_nextId++;
    auto resource = std::make_unique<CImageResource>(id, nullptr, 0, 0.1f, -1);
    resource->SetOwner(this);
    uint32_t handle = 0;
    const int read = resource->ReadDxfImageDef(dxf, &handle);
    if (!read || !handle)
        return 0;
    CImageResource* entry = InsertUnique(resource.get());
    if (!entry)
        return 0;
    if (entry == resource.get())
        resource.release();
    m_idRemap[static_cast<int>(handle)] = entry->GetId();
    return read;
}

bool CImageResourceMap::IsSourceOfAnother(const std::wstring& path, const CImageResource* self) const
{
    for (const auto& entry : m_resources) {
        const std::wstring& source = entry.second->GetSourcePath();
        if (entry.second.get() != self && source.size() == path.size() &&
            _wcsnicmp(source.c_str(), path.c_str(), path.size()) == 0)
            return true;
    }
    return false;
}
