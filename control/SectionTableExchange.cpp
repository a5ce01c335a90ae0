// Three sections of the drawing's record tables that belong to the control itself: the site
// settings with the list of included sites, the unit table and the attribute types.
#include "control/ControlCore.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeList.h"
#include "model/AttributeTypeMap.h"
#include "persistence/DataTableSet.h"
#include "com/AnsiText.h"
#include "YVEX_h.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

// The members of the type library's Units enum (unUnitless to unParsecs).
const size_t kUnitsOfTypeLibrary = 21;
// The bit of a stored unit that locks the draft limits, and the bits of the unit itself.
const int kLockLimitsBit = 0x8000;
const int kUnitBits = 0xFFF;
// UnitsSource: keep the current unit.
const int kUseCurrentUnits = -1;
// ID kinds of the table set's maps.
const int kTypeIdKind = 3;
const int kGroupIdKind = 4;

} // namespace

HRESULT CControlCore::ExchangeSiteTables(CDataTableSet* tables, DWORD mode, int)
{
    if (!tables)
        return E_INVALIDARG;
    CSitesTable* sites = tables->Sites();
    CIncludedSitesTable* included = tables->IncludedSites();
    if (!sites || !included)
        return S_FALSE;
    CSiteRecord& site = m_siteRecord;

    if (!(mode & DXFMODE_LOAD)) {
        // Every module of the drawing carries the current settings; a module's unit is the one
        // in force when the next module was loaded, the last one's the current unit.
        const size_t count = std::max<size_t>(m_includedSites.size(), 1);
        for (size_t i = 0; i < count; ++i) {
            CSitesRecord record;
            record.siteID = m_includedSites.empty() ? m_siteId : m_includedSites[i].siteId;
            const CRealRect draft = site.GetDraftLimits();
            const CRealRect grid = site.GetGridLimits();
            record.DraftLeft = draft.left;
            record.DraftTop = draft.top;
            record.DraftRight = draft.right;
            record.DraftBottom = draft.bottom;
            record.GridLeft = grid.left;
            record.GridTop = grid.top;
            record.GridRight = grid.right;
            record.GridBottom = grid.bottom;
            record.Measurement = site.measurement;
            record.LinePatternScale = site.lineTypeScale;
            record.ImageScale = site.GetImageScale();
            if (i + 1 < m_includedSites.size())
                record.UnitID = m_includedSites[i + 1].unit;
            else
                record.UnitID = site.unit + ((m_controlFlags & controlLockLimits) ? kLockLimitsBit : 0);
            sites->Insert(record);
            if (i == 0)
                continue;
            // In load order an included site stands before the site that includes it.
            const CIncludedSite& entry = m_includedSites[i];
            CIncludedSitesRecord link;
            link.RecordNumber = included->NewKey();
            link.LayerOptions = entry.mergeLayers;
            link.SettingOptions = entry.settingsOption;
            link.UnitOptions = entry.unitsOption;
            link.EnableOptions = entry.enableOption;
            link.Order = static_cast<int32_t>(i);
            link.SubSiteID = m_includedSites[i - 1].siteId;
            link.SiteID = entry.siteId;
            included->Insert(link);
        }
        return S_OK;
    }

    auto indexOf = [this](int siteId) -> int {
        for (size_t i = 0; i < m_includedSites.size(); ++i)
            if (m_includedSites[i].siteId == siteId)
                return static_cast<int>(i);
        return -1;
    };
    const bool wasEmpty = m_includedSites.empty();
    int pendingSite = 0;
    bool pending = false;
    for (const auto& item : included->GetRecords()) {
        const CIncludedSitesRecord& link = item.second;
        const int existing = indexOf(link.SubSiteID);
        CIncludedSite entry = existing >= 0 ? m_includedSites[existing] : CIncludedSite();
        entry.siteId = link.SubSiteID;
        entry.control = this;
        entry.mergeLayers = link.LayerOptions;
        entry.settingsOption = link.SettingOptions;
        entry.unitsOption = link.UnitOptions;
        entry.enableOption = link.EnableOptions;
        entry.unit = link.UnitOptions != 0 ? site.unit : 0;
        entry.clear = 0;
        entry.finalProgress = wasEmpty ? 1 : 0;
        entry.progressShare = 1.0;
        const int including = indexOf(link.SiteID);
        if (including < 0) {
            // The including site is not in the list (yet): the entry goes last and the
            // including site's record is applied last.
            if (existing >= 0)
                m_includedSites[existing] = entry;
            else
                m_includedSites.push_back(entry);
            pendingSite = link.SiteID;
            pending = true;
        } else if (existing >= 0 && existing < including) {
            m_includedSites[existing] = entry;
        } else {
            if (existing >= 0)
                m_includedSites.erase(m_includedSites.begin() + existing);
            m_includedSites.insert(m_includedSites.begin() + indexOf(link.SiteID), entry);
        }
    }

    auto apply = [&](const CSitesRecord& record, int unitsOption) {
        site.SetDraftLimits(CRealRect(static_cast<float>(record.DraftLeft), static_cast<float>(record.DraftTop),
                                      static_cast<float>(record.DraftRight), static_cast<float>(record.DraftBottom)));
        site.SetGridLimits(CRealRect(static_cast<float>(record.GridLeft), static_cast<float>(record.GridTop),
                                     static_cast<float>(record.GridRight), static_cast<float>(record.GridBottom)));
        site.measurement = record.Measurement;
        site.lineTypeScale = static_cast<float>(record.LinePatternScale);
        site.SetImageScale(static_cast<float>(record.ImageScale));
        m_siteId = record.siteID;
        if (record.UnitID & kLockLimitsBit)
            m_controlFlags |= controlLockLimits;
        else
            m_controlFlags &= ~static_cast<DWORD>(controlLockLimits);
        if (unitsOption != kUseCurrentUnits)
            site.unit = record.UnitID & kUnitBits;
    };
    for (const CIncludedSite& entry : std::vector<CIncludedSite>(m_includedSites))
        if (const CSitesRecord* record = sites->FindRecord(entry.siteId))
            apply(*record, entry.unitsOption);
    for (CIncludedSite& entry : m_includedSites)
        if (const CSitesRecord* record = sites->FindRecord(entry.siteId))
            entry.name = record->Name;
    if (pending) {
        if (const CSitesRecord* record = sites->FindRecord(pendingSite))
            apply(*record, 0);
    } else if (sites->GetCount() == 1) {
        apply(sites->GetRecords().begin()->second, 0);
    }
    return S_OK;
}

HRESULT CControlCore::ExchangeUnitTables(CDataTableSet* tables, DWORD mode, int)
{
    if (!tables)
        return E_INVALIDARG;
    CUnitsTable* units = tables->Units();
    if (!units)
        return S_FALSE;
    if (!(mode & DXFMODE_LOAD)) {
        // A table of every unit the type library lists needs only the units that differ from
        // the defaults; any other table travels whole.
        const bool all = m_units.size() != kUnitsOfTypeLibrary;
        for (const auto& item : m_units) {
            const CUnitRecord& unit = item.second;
            if (!all && unit.inches == 1.0f && unit.centimetres == 1.0f && unit.metric == 1)
                continue;
            CUnitsRecord record;
            record.UnitID = unit.id;
            record.Name = unit.name;
            record.ScaleToEnglish = unit.inches;
            record.ScaleToMetric = unit.centimetres;
            record.system = unit.metric;
            units->Insert(record);
        }
        return S_OK;
    }
    for (const auto& item : units->GetRecords()) {
        CUnitRecord unit;
        unit.id = item.second.UnitID;
        unit.name = item.second.Name;
        unit.inches = static_cast<float>(item.second.ScaleToEnglish);
        unit.centimetres = static_cast<float>(item.second.ScaleToMetric);
        unit.metric = item.second.system;
        AddUnit(unit);
    }
    return S_OK;
}

HRESULT CControlCore::ExchangeAttributeTypes(CDataTableSet* tables, DWORD mode, int typeId)
{
    // The type map keeps its own records: its groups' keys, the database-ID index and the ID
    // translations of a restore.
    return m_attributeTypes->ExchangeTables(tables, mode, typeId);
}
