#pragma once
#include <windows.h>
#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include "model/HatchPattern.h"

class CImageResourceMap;
class CDataTableSet;
class COdbcSession;

// The hatch patterns of a drawing by the ID that shapes store as their hatch pattern: the 27
// built-in line patterns (IDs 1 to 27, fixed: the HatchPatternIDs of the type library) and the
// site's own image patterns (28 and above). The map gives out the IDs, keeps the line patterns
// in inches or millimetres as the site measures, and moves the site's patterns to and from the
// HatchPatterns table and the HatchPatterns record table. The control owns it.
class CHatchPatternMap
{
public:
    // The last built-in pattern; site patterns take IDs above it, and database IDs of site
    // patterns start above it too.
    static const int kLastBuiltIn = 27;

    // The image resources are the site's (not owned); null when the control has none.
    explicit CHatchPatternMap(CImageResourceMap* imageResources);
    CHatchPatternMap(const CHatchPatternMap&) = delete;
    CHatchPatternMap& operator=(const CHatchPatternMap&) = delete;
    virtual ~CHatchPatternMap();

    // The patterns of a site's shapes (siteId 1 or more), or every pattern of the table.
    virtual HRESULT Load(COdbcSession& session, int siteId);
    // Writes the site's image patterns (only `patternId` when it is above 0): a new row under the
    // next database ID, an update of a stored one. scenarioId and force go to the image
    // resource's own save. The result of the last statement; E_FAIL without image resources.
    // An update of a row this map inserted itself that finds no row fails ("The hatch pattern's
    // row is missing."): the map's bookkeeping no longer names what is stored.
    virtual HRESULT Save(COdbcSession& session, int scenarioId, int force, int patternId);
    // The largest HatchPatternID of the table; the built-in IDs are never handed out again.
    virtual HRESULT ReadMaxDatabaseId(COdbcSession& session);

    // Parses every definition block of the text ('*' at the start of a line) into a new pattern
    // and inserts it; the number of patterns in the map, -1 for no text.
    int ParseDefinitions(const char* text, size_t length);
    // Adds the pattern under the next ID; a named pattern equal in name and image to one in the
    // map is not added (and deleted): that one's ID is returned.
    int Insert(std::unique_ptr<CHatchPattern> pattern);
    // A new image pattern: -1 when the image already has a pattern (with 0, when there is any
    // line pattern); else its ID.
    int AddPattern(const char* name, const char* description, int imageResourceId);

    CHatchPattern* Find(int id) const;
    // The first pattern (by ID) of the image resource ID, or null.
    CHatchPattern* FindByImage(int imageResourceId) const;
    // A built-in by its ID; a site pattern by its database ID.
    CHatchPattern* FindByStoredId(int databaseId) const;
    // A site pattern (ID 28 or above; a built-in only when forced): 1 when removed.
    int Remove(int id, bool force);
    // The site patterns (every pattern with `all`): without `all` whether any was removed, with
    // it whether the map is empty now.
    int RemoveAll(bool all);
    // The patterns loaded for browsing; the number removed.
    int PurgeMarked();

    // Every length of every line pattern times 25.4 or 1/25.4; each direction acts once.
    void ConvertToMillimetres();
    void ConvertToInches();
    bool IsMetric() const { return m_metric != 0; }

    // Reads the table's rows into the map; in browsing mode new patterns are marked and keep
    // the image's database ID as their image resource ID.
    HRESULT Load(COdbcSession& session, int siteId, bool browsing);
    // The site patterns into the HatchPatterns record table, or (DXFMODE_LOAD) from it; with
    // DXFMODE_SINGLE_OBJECT only the record `key`.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int key);

    const std::map<int, std::unique_ptr<CHatchPattern>>& Patterns() const { return m_patterns; }
    int GetHighestId() const { return m_highestId; }
    int GetMaxDatabaseId() const { return m_maxDatabaseId; }
    // The database IDs of the rows this map inserted: kept, and put back, with the patterns'
    // database IDs when a save is rolled back.
    const std::set<int>& InsertedRows() const { return m_insertedRows; }
    void SetInsertedRows(const std::set<int>& rows) { m_insertedRows = rows; }
    CImageResourceMap* GetImageResources() const { return m_imageResources; }

private:
    // The image resource ID a stored image reference stands for in this drawing.
    int TranslateStoredImage(CDataTableSet* tables, int storedId, DWORD mode) const;
    void ConvertLengths(double factor);

    std::map<int, std::unique_ptr<CHatchPattern>> m_patterns;
    int m_maxDatabaseId = kLastBuiltIn;
    std::set<int> m_insertedRows;
    CImageResourceMap* m_imageResources;
    int m_highestId = 0;
    int m_metric = 0;
};
