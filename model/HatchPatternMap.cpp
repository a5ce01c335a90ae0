// The drawing's hatch patterns by ID: the built-ins from the definitions text, the site's image
// patterns added, loaded and saved; the HatchPatterns rows and records.
#include "model/HatchPatternMap.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "persistence/DataTableSet.h"
#include "persistence/MaxIdReader.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/HatchPatternSql.h"
#include "automation/ResultCodes.h"
#include "com/ErrorInfo.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cstring>
#include <string>

namespace {
const double kMillimetresPerInch = 25.4;
const double kInchesPerMillimetre = 0.03937007874015748;
// The placeholder image resource of a reference that cannot be resolved.
const int kPlaceholderImage = -1;

// Column of the current row as a 32-bit integer; `fallback` for NULL or a failed read.
int IntColumn(SQLHSTMT statement, SQLUSMALLINT column, int fallback)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_SLONG, &value, 0, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return fallback;
    return value;
}

// Column of the current row as text of up to 255 bytes; empty for NULL.
std::string TextColumn(SQLHSTMT statement, SQLUSMALLINT column)
{
    char buffer[256] = {};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return std::string();
    return std::string(buffer);
}

void DrainResults(SQLHSTMT statement)
{
    while (SQLMoreResults(statement) == SQL_SUCCESS) {
    }
    SQLFreeStmt(statement, SQL_CLOSE);
}

} // namespace

CHatchPatternMap::CHatchPatternMap(CImageResourceMap* imageResources) : m_imageResources(imageResources) {}

CHatchPatternMap::~CHatchPatternMap() = default;

int CHatchPatternMap::ParseDefinitions(const char* text, size_t length)
{
    if (!text || length == 0)
        return -1;
    auto blockStart = [&](size_t i) { return text[i] == '*' && (i == 0 || text[i - 1] == '\n'); };
    size_t i = 0;
    while (i < length) {
        if (!blockStart(i)) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < length && !blockStart(end))
            ++end;
        auto pattern = std::make_unique<CHatchPattern>();
        // Added whatever the parse gives, so that the built-ins keep their fixed IDs.
        pattern->ParseDefinition(text + i, end - i, m_metric != 0);
        Insert(std::move(pattern));
        i = end;
    }
    return static_cast<int>(m_patterns.size());
}

int CHatchPatternMap::Insert(std::unique_ptr<CHatchPattern> pattern)
{
    if (!pattern)
        return 0;
    const char* name = pattern->GetName();
    if (name) {
        for (const auto& entry : m_patterns) {
            const CHatchPattern& present = *entry.second;
            if (present.GetName() && present.GetImageResourceId() == pattern->GetImageResourceId() &&
                std::strcmp(present.GetName(), name) == 0)
                return entry.first;
        }
    }
    // The next ID; one still taken (after removals below the highest) is passed over rather
    // than replaced.
    do
        ++m_highestId;
    while (m_patterns.count(m_highestId));
    const int id = m_highestId;
    pattern->SetId(id);
    if (id <= kLastBuiltIn)
        pattern->SetDatabaseId(id);
    m_patterns.emplace(id, std::move(pattern));
    return id;
}

int CHatchPatternMap::AddPattern(const char* name, const char* description, int imageResourceId)
{
    if (FindByImage(imageResourceId))
        return -1;
    auto pattern = std::make_unique<CHatchPattern>(name);
    pattern->SetImageResourceId(imageResourceId);
    pattern->SetDescription(description);
    return Insert(std::move(pattern));
}

CHatchPattern* CHatchPatternMap::Find(int id) const
{
    auto it = m_patterns.find(id);
    return it == m_patterns.end() ? nullptr : it->second.get();
}

CHatchPattern* CHatchPatternMap::FindByImage(int imageResourceId) const
{
    for (const auto& entry : m_patterns)
        if (entry.second->GetImageResourceId() == imageResourceId)
            return entry.second.get();
    return nullptr;
}

CHatchPattern* CHatchPatternMap::FindByStoredId(int databaseId) const
{
    // 0 and below name no stored row (a pattern never stored has such a database ID).
    if (databaseId < 1)
        return nullptr;
    if (databaseId <= kLastBuiltIn) {
        if (CHatchPattern* pattern = Find(databaseId))
            return pattern;
    }
    for (const auto& entry : m_patterns)
        if (entry.second->GetDatabaseId() == databaseId)
            return entry.second.get();
    return nullptr;
}

int CHatchPatternMap::Remove(int id, bool force)
{
    if (id <= kLastBuiltIn && !force)
        return 0;
    auto it = m_patterns.find(id);
    if (it == m_patterns.end())
        return 0;
    m_patterns.erase(it);
    if (id == m_highestId)
        --m_highestId;
    return 1;
}

int CHatchPatternMap::RemoveAll(bool all)
{
    bool removed = false;
    for (auto it = m_patterns.begin(); it != m_patterns.end();) {
        if (all || it->first > kLastBuiltIn) {
            it = m_patterns.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    m_highestId = m_patterns.empty() ? 0 : m_patterns.rbegin()->first;
    return all ? (m_patterns.empty() ? 1 : 0) : (removed ? 1 : 0);
}

int CHatchPatternMap::PurgeMarked()
{
    int count = 0;
    for (auto it = m_patterns.begin(); it != m_patterns.end();) {
        const int id = it->first;
        m_highestId = std::max(m_highestId, id);
        if (it->second->IsLoadedForBrowsing()) {
            it = m_patterns.erase(it);
            if (id == m_highestId)
                --m_highestId;
            ++count;
        } else {
            ++it;
        }
    }
    return count;
}

void CHatchPatternMap::ConvertLengths(double factor)
{
    for (auto& entry : m_patterns)
        for (CHatchPatternLine& line : entry.second->Lines())
            line.ScaleLengths(factor);
}

void CHatchPatternMap::ConvertToMillimetres()
{
    if (m_metric)
        return;
    ConvertLengths(kMillimetresPerInch);
    m_metric = 1;
}

void CHatchPatternMap::ConvertToInches()
{
    if (!m_metric)
        return;
    ConvertLengths(kInchesPerMillimetre);
    m_metric = 0;
}

HRESULT CHatchPatternMap::ReadMaxDatabaseId(COdbcSession& session)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, HatchPatternSql::MaxHatchPatternId));
    // An empty table answers NULL. The built-in IDs are never handed to a stored pattern: a row
    // stored under one of them would read back as that built-in.
    m_maxDatabaseId = std::max(ReadMaxIdResult(session.Statement(), kLastBuiltIn), kLastBuiltIn);
    return S_OK;
}

HRESULT CHatchPatternMap::Load(COdbcSession& session, int siteId) { return Load(session, siteId, false); }

HRESULT CHatchPatternMap::Load(COdbcSession& session, int siteId, bool browsing)
{
    const HRESULT hr = siteId >= 1 ? session.Exec(CLSID_YVEXControl, HatchPatternSql::LoadSitePatterns, {siteId})
                                   : session.Exec(CLSID_YVEXControl, HatchPatternSql::LoadAllPatterns);
    RETURN_IF_FAILED(hr);
    SQLHSTMT statement = session.Statement();
    while (SQL_SUCCEEDED(SQLFetch(statement))) {
        const int rowId = IntColumn(statement, 1, -1);
        const std::string name = TextColumn(statement, 2);
        const std::string description = TextColumn(statement, 3);
        const int rowImage = IntColumn(statement, 4, -1);
        // Only image patterns are the site's own.
        if (rowId > kLastBuiltIn && rowImage < 1)
            continue;
        int current = 0;
        if (rowImage > 0 && m_imageResources) {
            if (CImageResource* image = m_imageResources->FindByObjectId(rowImage))
                current = image->GetId();
        }
        CHatchPattern* pattern = FindByStoredId(rowId);
        if (!pattern) {
            if (current != 0) {
                pattern = FindByImage(current);
            } else if (browsing && rowImage > 0) {
                CHatchPattern* browsed = FindByImage(rowImage);
                if (browsed && browsed->IsLoadedForBrowsing())
                    pattern = browsed;
            }
        }
        std::unique_ptr<CHatchPattern> created;
        if (pattern) {
            pattern->SetName(name.c_str());
        } else {
            created = std::make_unique<CHatchPattern>(name.c_str());
            created->SetLoadedForBrowsing(browsing);
            pattern = created.get();
        }
        pattern->SetDatabaseId(rowId);
        pattern->SetDescription(description.c_str());
        pattern->SetImageResourceId(pattern->IsLoadedForBrowsing() ? rowImage : current);
        if (created)
            Insert(std::move(created));
    }
    DrainResults(statement);
    return hr;
}

HRESULT CHatchPatternMap::Save(COdbcSession& session, int scenarioId, int force, int patternId)
{
    if (!m_imageResources)
        return E_FAIL;
    RETURN_IF_FAILED(ReadMaxDatabaseId(session));
    SQLHSTMT statement = session.Statement();
    // The result of the last statement.
    HRESULT hr = S_OK;
    const bool single = patternId > 0;
    auto it = single ? m_patterns.find(patternId) : m_patterns.begin();
    for (; it != m_patterns.end(); ++it) {
        CHatchPattern& pattern = *it->second;
        CImageResource* image =
            pattern.GetImageResourceId() != 0 ? m_imageResources->Lookup(pattern.GetImageResourceId()) : nullptr;
        if (it->first > kLastBuiltIn && image) {
            int imageDbId = image->GetDatabaseId();
            if (imageDbId == 0 && single) {
                image->Save(session, scenarioId, force);
                imageDbId = image->GetDatabaseId();
            }
            if (imageDbId > 0) {
                if (pattern.GetDatabaseId() < 1) {
                    // A row of another session may hold the image's pattern already.
                    hr = session.Exec(CLSID_YVEXControl, HatchPatternSql::FindByImage, {imageDbId});
                    RETURN_IF_FAILED(hr);
                    while (SQL_SUCCEEDED(SQLFetch(statement)))
                        pattern.SetDatabaseId(IntColumn(statement, 1, pattern.GetDatabaseId()));
                    DrainResults(statement);
                }
                const OdbcParam name = OdbcParam::Text(pattern.GetName());
                const OdbcParam description = OdbcParam::Text(pattern.GetDescription());
                if (pattern.GetDatabaseId() < 1) {
                    const int newId = m_maxDatabaseId + 1;
                    hr = session.ExecSave(CLSID_YVEXControl, HatchPatternSql::InsertPattern, {newId, imageDbId},
                                          {name, description}, "CHatchPatternMap::Save(..)");
                    RETURN_IF_FAILED(hr);
                    pattern.SetDatabaseId(newId);
                    m_maxDatabaseId = newId;
                    m_insertedRows.insert(newId);
                } else {
                    hr = session.Exec(CLSID_YVEXControl, HatchPatternSql::UpdatePattern,
                                      {imageDbId, pattern.GetDatabaseId()}, {name, description});
                    const SQLLEN rows = SUCCEEDED(hr) ? OdbcRowCount(statement) : -1;
                    SQLFreeStmt(statement, SQL_CLOSE);
                    RETURN_IF_FAILED(hr);
                    // Counted as done, an update that finds no row would leave the shapes naming a
                    // pattern nobody stores (or, were the ID another session's by now, its pattern
                    // overwritten).
                    if (rows == 0 && m_insertedRows.count(pattern.GetDatabaseId()))
                        return ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl,
                                                  "The hatch pattern's row is missing.");
                }
            }
        }
        if (single)
            break;
    }
    return hr;
}

int CHatchPatternMap::TranslateStoredImage(CDataTableSet* tables, int storedId, DWORD mode) const
{
    if (!m_imageResources)
        return storedId;
    const int current = tables->StoredToCurrentId(storedId, 7, static_cast<int>(mode));
    if (current != CDataTableSet::kNoIdMapping && m_imageResources->Lookup(current))
        return current;
    // Database IDs start at 1; an image never stored is written as 0.
    if (storedId > 0) {
        if (CImageResource* image = m_imageResources->FindByObjectId(storedId))
            return image->GetId();
    }
    if (m_imageResources->Lookup(storedId))
        return storedId;
    return kPlaceholderImage;
}

HRESULT CHatchPatternMap::ExchangeTables(CDataTableSet* tables, DWORD mode, int key)
{
    if (!tables)
        return E_INVALIDARG;
    CHatchPatternsTable* table = tables->HatchPatterns();
    if (!table)
        return S_FALSE;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    if (!(mode & DXFMODE_LOAD)) {
        for (auto& entry : m_patterns) {
            if (entry.first <= kLastBuiltIn)
                continue;
            CHatchPattern& pattern = *entry.second;
            const int own = pattern.GetImageResourceId();
            if (!keepIds && m_imageResources) {
                // Records name the image by its database ID.
                CImageResource* image = m_imageResources->Lookup(own);
                if (!image)
                    image = m_imageResources->Lookup(kPlaceholderImage);
                pattern.SetImageResourceId(image ? image->GetDatabaseId() : 0);
            }
            const HRESULT hr = pattern.ExchangeTables(tables, mode);
            pattern.SetImageResourceId(own);
            RETURN_IF_FAILED(hr);
        }
        return S_OK;
    }
    if (mode & DXFMODE_SINGLE_OBJECT) {
        if (!table->FindRecord(key))
            return E_ACCESSDENIED;
    } else if (!table->MoveFirst()) {
        return S_OK;
    }
    HRESULT hr = S_OK;
    do {
        const CHatchPatternsRecord* record = table->GetCurrent();
        if (!record)
            break;
        CHatchPattern* pattern = Find(record->HatchPatternID);
        if (!pattern) {
            auto created = std::make_unique<CHatchPattern>();
            pattern = created.get();
            Insert(std::move(created));
        }
        hr = pattern->ExchangeTables(tables, mode);
        RETURN_IF_FAILED(hr);
        if (!keepIds)
            pattern->SetImageResourceId(TranslateStoredImage(tables, pattern->GetImageResourceId(), mode));
    } while (!(mode & DXFMODE_SINGLE_OBJECT) && table->MoveNext());
    return hr;
}
