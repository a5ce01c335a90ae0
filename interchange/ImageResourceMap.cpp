#include "interchange/ImageResourceMap.h"
#include "interchange/ImageResource.h"
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
