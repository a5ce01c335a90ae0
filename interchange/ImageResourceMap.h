#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CImageResource;
class CDataTableSet;
class CDxfFile;
class COdbcSession;

// The image resources of the control's site by resource ID, with an index by database ID. The map
// owns its resources, hands out new resource IDs and merges a picture with an equal one already
// present. The control creates one at construction.
class CImageResourceMap
{
public:
    CImageResourceMap();
    CImageResourceMap(const CImageResourceMap&) = delete;
    CImageResourceMap& operator=(const CImageResourceMap&) = delete;
    virtual ~CImageResourceMap();

    // The resource of an ID (-1: the placeholder shown for a reference that cannot be
    // resolved), or null.
    CImageResource* Lookup(int id) const;
    // The first resource (by ID) with the database ID, or null.
    CImageResource* FindByObjectId(int databaseId) const;
    // Adds a resource unless an equal one (IsSame) is present. Returns the resource of the
    // entry: the equal one (which takes the given one's database ID when that is above 0; the
    // caller deletes the given one) or the given one, now owned by the map; null when the given
    // resource's ID is 0 or taken by another picture (it stays the caller's).
    CImageResource* InsertUnique(CImageResource* resource);
    // True when a resource other than `self` has the path (or address) as its source, without
    // regard to case.
    bool IsSourceOfAnother(const std::wstring& path, const CImageResource* self) const;
    // Same format, hash (or, for metafiles, the same ".wmf" source path), size and name.
    static bool IsSame(const CImageResource& a, const CImageResource& b);
    // A resource from encoded bytes under the ID (0: the next ID), inserted with InsertUnique
    // when asked (then the entry's resource is returned and a duplicate deleted); null when it
    // could not be made or inserted.
    CImageResource* CreateResource(int id, const void* bytes, size_t count, float defaultScale, bool insert);
    // Enters (or, for a resource ID below -1, removes) a database ID in the index and sets it on
    // the resource.
    void SetDatabaseId(int databaseId, int resourceId);
    // Deletes a resource no image or pattern holds any more (use count at most 1); 1 when done.
    int Remove(int id);
    // A picture file (path, or an address once the web transfer reads them) as a resource under
    // the next ID: the equal resource already present when there is one, else the new one; null
    // when the file holds no picture ("Cannot open file. Possible unknown format.").
    CImageResource* LoadFromFile(const std::wstring& path, float defaultScale, int blockId);
    // One stored picture (imageResources row of the database ID) into the map under the next
    // ID, or the equal resource already present. *resource, when it names a resource of the map
    // that the index holds for the database ID, is refreshed in place instead (and left alone,
    // 0, while the row's hash and name still match it). *resource then names the map's
    // resource. 0 when the row's picture became the entry, 1 when an equal one was present,
    // S_FALSE without such a row, E_FAIL when the row holds no picture we decode; a database
    // failure as it came.
    HRESULT LoadResource(COdbcSession& session, int databaseId, CImageResource** resource);
    // The stored pictures of a site's image shapes and hatch patterns (of every site for an ID
    // below 1; EMF, JPEG, BMP and GIF rows only), each under its database ID as resource ID or,
    // when another picture has that ID, the next ID; an equal picture present already is kept.
    HRESULT LoadAll(COdbcSession& session, int siteId);
    // Every resource (in ID order) into its imageResources row: a new row, or the row of the
    // same picture already stored, or its own row, rewritten. The first failure ends the loop
    // and is the result.
    HRESULT SaveAll(COdbcSession& session, int siteId, int scenarioId);
    // Reads the largest imageResourceID of the table as the base of new rows.
    HRESULT RefreshMaxDbId(COdbcSession& session);
    // The database IDs the resources hold (by resource ID) with the index and the largest ID,
    // taken before a save and put back when the save is rolled back.
    struct DatabaseIds
    {
        std::map<int, int> byResource;
        std::map<int, int> index;
        int largest = 0;
    };
    DatabaseIds GetDatabaseIds() const;
    void RestoreDatabaseIds(const DatabaseIds& ids);
    // A Windows or enhanced metafile handle as a resource under the next ID (*resource); an
    // equal picture present already leaves *resource null (S_OK). E_INVALIDARG without `resource`,
    // E_ACCESSDENIED for another handle ("Unknown Handle format.").
    HRESULT LoadResourceFromHandle(HGDIOBJ handle, CImageResource** resource);
    // The largest database ID of the table as last read, raised by every row written.
    int GetLargestDatabaseId() const { return m_largestDatabaseId; }
    void SetLargestDatabaseId(int id) { m_largestDatabaseId = id > 0 ? id : 0; }

    // Which resource an ID read from a file (an IMAGEDEF's handle) became; image shapes read with
    // that ID are moved over once the load is done, then the table is emptied.
    void AddIdRemap(int fileId, int resourceId) { m_idRemap[fileId] = resourceId; }
    const std::map<int, int>& IdRemap() const { return m_idRemap; }
    void ClearIdRemap() { m_idRemap.clear(); }

    // The resources into the ImageResources table of a set (every resource but -1), or back from
    // it: all records, or with DXFMODE_SINGLE_OBJECT the record at `position` alone. Each record
    // read becomes the resource of its ID, of its name and format, or a new one; the set records
    // which resource each stored ID became (kind 7). E_INVALIDARG without a set, 1 without the
    // table, E_ACCESSDENIED for a position outside the table; else the last record's result.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int position);
    // The first resource of the name (case-sensitive; an empty name finds only resources without
    // one) and, unless format is 0, of the format.
    CImageResource* FindByName(const char* name, int format) const;
    // The IMAGEDEF objects of the resources in use (another holder than the map; the placeholder
    // -1 from two others on), each under resource ID + handleBase and, when `owner` is not 0,
    // owned by that dictionary. The last result (0: none). `written`, when given, receives the
    // name and handle of each object written, for the dictionary's entries.
    int WriteImageDefsToDxf(CDxfFile& dxf, int handleBase, bool subclassMarkers, uint32_t owner = 0,
                            std::vector<std::pair<std::string, uint32_t>>* written = nullptr);
    // An IMAGEDEF object (its type group read) as a new resource under the next ID; the object's
    // handle goes into the ID remap as standing for it. A picture that cannot be loaded leaves no
    // resource. 1 when loaded.
    int ReadImageDefFromDxf(CDxfFile& dxf);

    // LastError and LastErrorMessage of the control that owns the map: codes without module bits
    // get the image module's (0x05000000). False when nobody listens.
    using ErrorReporter = std::function<void(int code, const char* message)>;
    void SetErrorReporter(ErrorReporter reporter) { m_reportError = std::move(reporter); }
    bool SetError(int code, const char* message) const;

    int GetNextId() const { return m_nextId; }
    // Whether LoadAll reads the pictures (on unless turned off): a catalogue that only lists the
    // stored pictures leaves their bytes in the table until one is shown.
    void SetLoadContent(bool load) { m_loadContent = load; }
    int GetCount() const { return static_cast<int>(m_resources.size()); }
    const std::map<int, std::unique_ptr<CImageResource>>& Resources() const { return m_resources; }

private:
    std::map<int, std::unique_ptr<CImageResource>> m_resources;
    std::map<int, int> m_databaseIndex;
    std::map<int, int> m_idRemap;
    int m_nextId = 1;
    int m_largestDatabaseId = 0;
    bool m_loadContent = true;
    ErrorReporter m_reportError;
};
