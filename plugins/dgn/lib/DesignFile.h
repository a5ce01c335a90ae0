#pragma once
// The design file: the document of the library, itself an element (kind 2, type 1001) whose
// children are the file's elements in file order. It is made by its factories (open a V7 or
// V8 file, or start a new V8 file from the built-in seeds), hands out element IDs and finds
// elements by ID, keeps the model headers by model number and converts units through them,
// keeps the level index, names line styles, answers colours, and saves itself as V8.
//
// A V8 file is a compound file: the design file reads it whole (DesignFileStorage.cpp) and
// keeps the file-level blocks it does not interpret ("Dgn~H", "Dgn~S", "Dgn~Mf", the summary
// informations, "Dgn~Mix", each model's block) to write them back. A V7 file is a flat run of
// records (DesignFileV7.cpp); it gets the V8 blocks from the seeds so that it saves as V8.
// Records become elements through the element factory (ElementFactory.h).
//
// The level table, fonts, line-style tables and views are element classes of their own; until
// they are in place the look-ups through them (levels, views, fonts, line-style names beyond
// the standard ones, shared cells) find nothing.
#include "Element.h"
#include "GraphicElement.h"
#include "LevelIndex.h"

#include <cstdint>

namespace dgn {

class CApplicationElement;
class CByteArray;
class CCompoundStorage;
class CFont;
class CFontCache;
class CLevelEntryElement;
class CPointerTable;
class CZlibStream;
class IByteStream;

// Units of resolution per master unit (and per storage unit) of a model without a header.
constexpr double kDefaultUnitsPerMaster = 10000.0;
// Model numbers run from 0 below this.
constexpr int kMaxModels = 1024;
// The highest element ID: once the next ID reaches it, every new element gets it.
constexpr std::uint64_t kLastElementId = 0xFFFFFFFFFFFFFFFFull;
// A model's block carries this many bytes before its header record.
constexpr std::uint32_t kModelBlockPrefix = 4096;

class CDesignFile : public IElement {
public:
    // An empty design file under the root container (the library must be started), status 1
    // (not loaded). Its element-ID index is null when memory ran out.
    CDesignFile();
    // Deletes every element of the file, then the file's own data.
    ~CDesignFile() override;

    int GetKind() const override;
    // The file's own record operations do nothing: its elements are read and written.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    using IElement::GetLevel;
    using IElement::GetModel;
    using IElement::GetUnitsPerMaster;
    using IElement::GetUnitsPerStorageUnit;
    using IElement::ToMasterUnits2d;
    using IElement::ToMasterUnits3d;

    // Writes the file as V8 under path (UTF-16): the complex flags recounted, list numbers
    // handed to components, then the compound file. 0 when the file was not loaded, the
    // compound file cannot be created, or any step of the writing (the element storages, the
    // compression, the final close) failed; the file then holds what was written so far.
    virtual int SaveAs(const char16_t* path, int flags);
    virtual int SaveAsA(const char* path, int flags);
    virtual bool Is3d() const;
    // The next element ID (100 in a new file), counted on up to kLastElementId.
    virtual std::uint64_t NewElementId();
    virtual std::int32_t GetSettingA() const;
    virtual void SetSettingA(std::int32_t value);
    virtual int IsV8() const;
    // Models that have a header.
    virtual int GetModelCount() const;
    // The first model header at or after *cursor, with *cursor moved past its number; null at
    // the end (at once for cursors at or past kMaxModels).
    virtual CApplicationElement* NextModel(int* cursor) const;
    virtual std::int32_t GetSettingB() const;
    // Bit 0 of the model header's flags 2, or the file's 3-D flag without a header.
    virtual bool IsModel3d(int model) const;
    // The model's name (string linkage 1) into out (256 bytes, ANSI); empty without a header.
    virtual void GetModelName(int model, char* out) const;
    // The first model whose name equals name (up to 256 characters, case ignored), or -1.
    virtual int FindModelByName(const char* name) const;
    // The model's description (string linkage 2) into out (256 bytes).
    virtual void GetModelDescription(int model, char* out) const;
    // The model's master unit label (string linkage 19) into out (3 bytes: two characters);
    // without a header, in a V7 file, the name the V7 file header gave.
    virtual void GetMasterUnitName(int model, char* out) const;
    virtual int GetCurrentModel() const;
    virtual void SetCurrentModel(int model);
    // The model header of a model number, null for a free or invalid number.
    virtual CApplicationElement* GetModelHeader(int model) const;
    // The background colour of the model header, 0 without one.
    virtual std::uint32_t GetModelBackgroundColor(int model) const;
    // The model header's origin, or the file's global origin without one.
    virtual void GetGlobalOrigin(int model, double out[3]) const;
    // Into the model header (nothing without one).
    virtual void SetGlobalOrigin(int model, const double in[3]);
    // (point - global origin) / units per master unit of the model.
    virtual void ToMasterUnits2d(int model, Point2d& p) const;
    virtual void ToMasterUnits3d(int model, Point3d& p) const;
    // The range of the model's visible elements (list other than 0) and of every reference
    // attachment.
    virtual void ComputeModelRange(int model, RangeBox* out);
    // The level index: entries by index, the level number + 1.
    virtual bool SetLevelIndexEntry(int index, CLevelEntryElement* entry);
    // The lowest index from 1 that holds no entry.
    virtual int FindFreeLevelIndex() const;
    // The level entry of a level number (index level + 1); null for none.
    virtual CLevelEntryElement* GetLevel(int level) const;
    // The next level entry of the index at or after *cursor (moved past it); null at the end.
    virtual CLevelEntryElement* NextLevel(int* cursor) const;
    virtual void SetPair(std::int32_t a, std::int32_t b);
    // The element whose ID is id: the ID index's element for its low 20 bits when its whole ID
    // matches, else the first element of the file with that ID; null when none.
    virtual IElement* FindElementById(const std::uint64_t& id);
    // The first shared cell definition (type 34) of that name (case ignored).
    virtual IElement* FindSharedCellDefinition(const char* name);
    // The first table header (type 96) whose level field is the table number.
    virtual IElement* FindTableHeader(int table);
    // The first view specification (type 98) of a view number.
    virtual IElement* FindView(int number) const;
    // The first valid view specification whose word 3 and view number are these.
    virtual IElement* FindViewElement(std::int32_t word3, std::int32_t number) const;
    // The font number of the font table's entry of that name (byte for byte), else of the
    // library's font resource list (0 when none).
    virtual int FindFontNumber(const char* name);
    // The name of a font number (ANSI): the font table's entry, else the resource list's;
    // null when none. Valid until the next call.
    virtual const char* GetFontName(int number);
    // A font of the file's font cache for a number, with one reference for the caller
    // (Release it); the default font when the number gives none. The fallback form takes
    // TrueType for numbers below 1024 (number 4095, "Arial" without a name).
    virtual CFont* LoadFont(int number);
    virtual CFont* LoadFontWithFallback(int number);
    // The line style name table's entry of a line style number, null when none.
    virtual IElement* FindLineStyleNameEntry(int number);
    // The name of a line style (UTF-16): the standard names, "LSTYLE_BY_CELL",
    // "LSTYLE_BY_LAYER", the name table's entry, else "LSTYLE_NAME_UNKNOWN".
    virtual const char16_t* GetLineStyleName(std::int32_t style) const;
    // The thumbnail of the summary information as a screen bitmap (null without one, and
    // always without a display).
    virtual void* GetThumbnail() const;
    // Copies the thumbnail to (x, y) of a device context in its own size.
    virtual void DrawThumbnail(void* deviceContext, std::int32_t x, std::int32_t y) const;
    // The file's full path (UTF-16, any length); empty until a path was given.
    virtual const char16_t* GetFilePath() const;
    // The path in the ANSI code page (empty when memory runs out).
    virtual const char* GetFilePathA();
    // With a model header: storage units numerator x UOR scale / denominator; else 10000.
    virtual double GetUnitsPerStorageUnit(int model) const;
    // With a model header: units per storage unit x master units denominator / numerator;
    // else 10000.
    virtual double GetUnitsPerMaster(int model) const;
    virtual std::int32_t AddRef();
    // One reference less; the file deletes itself at 0.
    virtual std::int32_t Release();
    // A new model from the model-header seed under the first free number, which becomes the
    // current model; -1 when all kMaxModels numbers are in use (or memory runs out).
    virtual int NewModel(bool threeD);
    // One value of the file header element: 0 until the file header has its class.
    virtual std::uint32_t GetFileHeaderValue() const;
    virtual IElement* GetFileHeader() const;
    virtual void SetFileHeader(IElement* header);
    virtual void SetSettingC(std::int32_t value);
    virtual std::int32_t GetSettingC() const;
    virtual CPointerTable* GetIdIndex() const;
    virtual std::uint8_t IsLoaded() const;
    // Table headers, found when asked for, made when the file has none: the level table
    // (the first without an attachment ID, else the last of table 1), line style names (7),
    // line style definitions (8) and fonts (2).
    virtual IElement* GetLevelTableHeader();
    virtual IElement* GetLineStyleNameTable();
    virtual IElement* GetLineStyleDefTable();
    virtual IElement* GetFontTable();
    // The child container.
    virtual IEntity* GetChildEnd() const;

    // The names the converter knows these operations by.
    CApplicationElement* GetModel(int model) const { return GetModelHeader(model); }
    CApplicationElement* GetNextModel(int* cursor) const { return NextModel(cursor); }
    CLevelEntryElement* NextLevelEntry(int* cursor) const { return NextLevel(cursor); }
    CPointerTable* GetElementIdIndex() const { return GetIdIndex(); }
    IElement* FindView(int number, std::int32_t key) const { return FindViewElement(key, number); }
    // The lowest level number from 1 up that no level of the file has.
    int GetLowestFreeLevelNumber() const;
    // A new 2-D V8 file for path (ANSI), as CreateDesignFile.
    static CDesignFile* CreateNew(const char* path);

    // Status 0 once a load or creation succeeded.
    std::int32_t GetStatus() const { return m_status; }
    std::uint32_t GetLoadedCount() const { return m_loadedCount; }
    std::uint64_t PeekNextElementId() const { return m_nextElementId; }
    std::int32_t GetThumbnailWidth() const { return m_thumbnailWidth; }
    std::int32_t GetThumbnailHeight() const { return m_thumbnailHeight; }
    // The file-level blocks as read or made (null for none): "Dgn~H", "Dgn~S", "Dgn~Mf", the
    // summary and document summary informations, "Dgn~Mix"; and a model's block.
    const CByteArray* GetHeaderBlock() const { return m_headerBlock; }
    const CByteArray* GetSBlock() const { return m_sBlock; }
    const CByteArray* GetMfBlock() const { return m_mfBlock; }
    const CByteArray* GetSummaryInfo() const { return m_summaryInfo; }
    const CByteArray* GetDocSummaryInfo() const { return m_docSummaryInfo; }
    const CByteArray* GetMixBlock() const { return m_mixBlock; }
    const CByteArray* GetModelBlock(int model) const;
    // The file's colour table (256 entries of R, G, B; background first), null for none.
    const std::uint8_t* GetColorTable() const { return m_hasColorTable ? m_colorTable : nullptr; }
    CFontCache* GetFontCache() const { return m_fontCache; }

    // Keeps the next element ID above id (an element read with that ID).
    void NoteElementId(std::uint64_t id);
    // What the readers and the creation of a file set.
    void SetIs3d(bool threeD) { m_is3d = threeD ? 1 : 0; }
    void SetIsV8(bool v8) { m_isV8 = v8 ? 1 : 0; }
    // The slot of a model number's header (null for an invalid number): the element factory
    // stores a model header there, and the header clears it when it is deleted.
    CApplicationElement** GetModelHeaderSlot(int model);
    // The path the file was opened from or will be saved under; false (unchanged) when memory
    // runs out.
    bool SetFilePath(const char16_t* path);
    // The V7 file header's settings: positional units (kept, per master, per sub unit), unit
    // names (two characters each) and the global origin.
    void SetV7Units(std::int32_t kept, std::int32_t subPerMaster, std::int32_t uorPerSub);
    void SetV7UnitNames(const char master[2], const char sub[2]);
    void SetV7GlobalOrigin(const double origin[3]);
    // The file's colour table: 768 bytes (256 x R, G, B) copied; a shorter table gives none.
    void SetColorTable(const std::uint8_t* rgb, std::uint32_t size);

    // Loading: the path decides V8 (a compound file) or V7 (anything else). True when the
    // reader succeeded (status 0).
    bool LoadFromPath(const char16_t* path);
    bool LoadFromPathA(const char* path);
    // A new V8 file from the seeds (2-D or 3-D), path null for "(work).dgn"; always true
    // unless memory runs out.
    bool CreateNewV8(const char16_t* path, bool threeD);
    bool CreateNewV8A(const char* path, bool threeD);
    // The blocks and the model-0 header that a V7 file needs to be saved as V8.
    void BuildV8Scaffolding(bool threeD);

    // Makes the element of a V8 record (length bytes at record) through the element factory:
    // a child of this file, in the current model, read from the record. True with *out (when
    // out is not null) the element, or with nothing made for a record flagged deleted; false
    // when the record is refused or memory runs out (nothing made).
    bool CreateElementV8(const std::uint8_t* record, std::uint32_t length, bool fileIs3d, IElement** out);

    // Flags of complex headers and components recomputed from the tree, and component counts.
    void RecountComplexFlags();
    // Every component takes the list of its outermost complex header.
    void PropagateListToComponents();
    // The level index made again from the level entries: the file's own level table and the
    // levels a V7 file keeps at its top.
    void RebuildLevelIndex();
    // Gives complex headers that are not yet attached the records that follow them as
    // components, from the element from on (from the first element when null).
    void RebuildComplexTree(IEntity* from);
    // The thumbnail (property 17) of the summary information as a screen bitmap; false when
    // there is none.
    bool LoadThumbnail();
    // Elements from the records of one zlib stream in memory (length bytes at seed), read as
    // the element storages are (with no limit on their count); list -1 leaves each element the
    // list of its class, else every element takes that list.
    void InflateSeedElements(const std::uint8_t* seed, std::uint32_t length, bool fileIs3d, int list);

private:
    // V8 storage (DesignFileStorage.cpp).
    bool LoadV8();
    bool SaveV8();
    bool WriteElementStreams(int list, int model);
    bool ReadElementStorage(bool fileIs3d, int list);
    void ReadElementRecords(CZlibStream* z, bool fileIs3d, int list);
    bool ReadRawStream(const char* name, CByteArray** block);
    bool ReadCompressedStream(const char* name, CByteArray** block, std::uint32_t prefix);
    bool InflateSeed(const std::uint8_t* seed, std::uint32_t length, CByteArray** block, std::uint32_t prefix);
    // Deletes the seed inflater and closes the compound file; the close's status (kCfOk when
    // nothing was open).
    int CloseV8Storage();
    bool EnsureModelSeeds();
    // A model block from the model-header seed, and its header element.
    bool MakeSeedModel(int model, bool threeD);
    // Writes a model's header record into its block at kModelBlockPrefix.
    bool PlaceModelRecord(int model);
    // The summary information of a new file.
    bool MakeSummaryInfo();
    // V7 reading (DesignFileV7.cpp).
    bool LoadV7(const char16_t* path);

    void DeleteBlocks();
    void ForgetThumbnail();

    char16_t* m_path = nullptr;
    char* m_pathA = nullptr;
    std::int32_t m_status = 1;
    CZlibStream* m_modelSeeds = nullptr;
    CByteArray* m_headerBlock = nullptr;
    CByteArray* m_sBlock = nullptr;
    CByteArray* m_mfBlock = nullptr;
    CByteArray* m_summaryInfo = nullptr;
    CByteArray* m_docSummaryInfo = nullptr;
    CByteArray* m_mixBlock = nullptr;
    CByteArray* m_modelBlocks[kMaxModels] = {};
    CApplicationElement* m_models[kMaxModels] = {};
    CFontCache* m_fontCache = nullptr;
    IElement* m_fileHeader = nullptr;
    char* m_fontNameBuffer = nullptr;
    CLevelIndex m_levelIndex;
    std::int32_t m_pairA = 0;
    std::int32_t m_pairB = 0;
    std::int32_t m_isV8 = 1;
    std::uint64_t m_nextElementId = 100;
    std::int32_t m_settingA = 0;
    std::int32_t m_settingB = 0;
    std::int32_t m_settingC = 0;
    std::int32_t m_currentModel = 0;
    std::uint32_t m_loadedCount = 0;
    void* m_thumbnail = nullptr;
    std::int32_t m_thumbnailWidth = 0;
    std::int32_t m_thumbnailHeight = 0;
    std::int32_t m_refCount = 1;
    CPointerTable* m_idIndex = nullptr;
    double m_defaultUnitsA = 10000.0;
    double m_defaultUnitsB = 10000.0;
    double m_defaultUnitsC = 1.0;
    double m_globalOrigin[3] = {0, 0, 0};
    char m_masterUnitName[3] = {};
    char m_subUnitName[3] = {};
    CCompoundStorage* m_compoundStorage = nullptr;
    std::uint32_t m_recordsLeft = 0;
    std::uint8_t m_loaded = 0;
    std::uint8_t m_is3d = 0;
    std::uint8_t m_colorTable[768] = {};
    bool m_hasColorTable = false;
};

// Opens a design file: V8 when the path opens as a compound file, otherwise V7. Null when the
// file cannot be read (the object is deleted).
CDesignFile* OpenDesignFile(const char* path);
CDesignFile* OpenDesignFileW(const char16_t* path);
// A new 2-D V8 design file from the seeds, to be saved under path (ANSI; null for none).
CDesignFile* CreateDesignFile(const char* path);

// The first open design file whose path ends in the same file name as path: both are compared
// from their last characters back, case-sensitively, up to the last separator ('\\' or '/'),
// which both must have at the same distance from their ends. A separator that is the first
// character of path counts only when the file's path starts there too; a path without a
// separator finds nothing. Null when none matches.
CDesignFile* FindOpenDesignFile(const char16_t* path);

// The RGB value (red in the low byte) of a colour number: -2 the last by-cell colour, -1 the
// current colour; then, without a file or without a colour table in it, the default DGN colour
// table's entry color & 255; with one, its entry (color + 1) & 255, replaced by its complement
// (0xFFFFFF minus it) when it equals the table's background (entry 0).
std::uint32_t GetColorRGB(std::int32_t color, const CDesignFile* file = nullptr);

} // namespace dgn
