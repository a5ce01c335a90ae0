#pragma once
// The element: the base of every element of a design file and of the design file itself.
//
// It adds to the entity the element header that V7 and V8 records share in memory (type, flags,
// level, sizes, element ID, time stamp, list, model) and the element's attribute holder, reads
// and writes the 36-byte V8 record header, reads the 28-byte V7 header, describes itself and
// converts units through its design file.
//
// A V8 record is 2 x sizeWords + 4 bytes: the header, the element's own body up to word
// attrOffsetWords, then the attribute linkages. Readers take the record's length and refuse a
// record whose header does not fit it; writers write exactly the record that the sizes state,
// or nothing. Touch commits changes: it recomputes what an element derives (time stamp,
// component count, and in the element classes the sizes), so a changed element is written as
// it now is.
#include "Entity.h"
#include "GeometryTypes.h"
#include "LineCallback.h"

#include <cstdint>

namespace dgn {

class CDesignFile;
class CDgnString;
class CElementLinkages;
class CEntityIterator;
class IGeometrySink;
struct LevelData;

// Element flags.
enum ElementFlagBits : std::uint16_t {
    kElementNonModel = 0x0400,
    kElementLocked = 0x0800,
    kElementGraphic = 0x1000,
    kElementComplexHeader = 0x2000,
    kElementComplexComponent = 0x4000,
    kElementDeleted = 0x8000,
};

// Element lists: where the V8 writer stores an element.
enum ElementList : std::int32_t {
    kFileList = 0,
    kGraphicList = 1,
    kControlList = 2,
    kModelHeaderList = 3,
};

// The V8 record header, and where the smallest attribute offset lies (in words after the
// record's first 4 bytes): right after the element header, or the graphic header.
constexpr std::uint32_t kV8HeaderBytes = 36;
constexpr std::uint32_t kV7HeaderBytes = 28;
constexpr std::uint32_t kMinAttrOffsetWords = (kV8HeaderBytes - 4) / 2;

class IElement : public IEntity {
public:
    // A new element, the last child of file (when not null), with an empty attribute holder.
    explicit IElement(CDesignFile* file);
    // Leaves the design file's element-ID index, deletes the attribute holder.
    ~IElement() override;

    // Makes child the last child; this element becomes a complex header and an element child a
    // complex component.
    void AddChild(IEntity* child) override;
    void MarkDeleted() override;
    void UnmarkDeleted() override;
    int GetKind() const override;
    int GetType() const override;
    bool GetSelectorFacts(SelectorFacts* facts) const override;

    // A copy of the element in target (its last child, with a new element ID) or, without a
    // target, right before this element; null in the base (the element classes make copies).
    virtual IElement* Clone(CDesignFile* target, bool removeSource);
    // Reads the record at *cursor, length bytes available there: the 36-byte header, the
    // attribute linkages; the cursor ends after the header. False (nothing changed) when the
    // header's sizes do not fit: attrOffsetWords (0 reads as sizeWords) below 16 or above
    // sizeWords, or a record of 2 x sizeWords + 4 bytes longer than length.
    virtual bool ReadV8(const std::uint8_t** cursor, std::uint32_t length);
    // Reads the 28-byte V7 element header (type, level, complex bit); the cursor ends after it.
    // False when the record (4 + 2 x words to follow bytes) does not fit length or is shorter
    // than the header.
    virtual bool ReadV7(const std::uint8_t** cursor, std::uint32_t length);
    // Stamps the time (whole seconds) and recounts the components at all depths.
    virtual void Touch();
    // 2 x sizeWords + 4.
    virtual std::uint32_t GetRecordSize() const;
    // Writes the record at *cursor and moves it on; the bytes written (the header alone in the
    // base), 0 when nothing was written.
    virtual std::uint32_t WriteV8(std::uint8_t** cursor);
    // The element line, the flags line and the linkages' lines.
    virtual void Describe(LineCallback callback);
    virtual std::int32_t GetList() const;
    virtual std::int32_t GetModel() const;
    virtual bool IsGraphic() const;
    // True for elements that are never drawn (all but graphic ones).
    virtual bool IsHidden() const;
    virtual std::int32_t GetLevel() const;
    virtual void SetLevel(std::int32_t level);
    // A graphic element's level flags, 0 without a level entry.
    virtual std::uint16_t GetLevelFlags() const;
    virtual std::uint16_t GetFlags() const;
    // Stores the word; bit 0x8000 marks the element deleted (hidden) or alive.
    virtual void SetFlags(std::uint16_t flags);
    virtual void GetElementId(std::uint64_t* id) const;
    virtual void SetElementId(const std::uint64_t& id);
    virtual CDesignFile* GetDesignFile() const;
    virtual CElementLinkages* GetAttributes() const;
    // The body of the element's model header, null without one.
    virtual const std::uint8_t* GetModelInfo() const;
    virtual double GetUnitsPerStorageUnit() const;
    virtual double GetUnitsPerMaster() const;
    // (point - the model's global origin) / units per master unit.
    virtual void ToMasterUnits2d(Point2d& p) const;
    virtual void ToMasterUnits3d(Point3d& p) const;
    // Into out (256 bytes): the prefix, then the value in master units ("%g").
    virtual void FormatDistance(double value, const char* prefix, char* out) const;
    virtual void FormatPoint2d(const Point2d& p, const char* prefix, char* out) const;
    virtual void FormatPoint3d(const Point3d& p, const char* prefix, char* out) const;
    // Hands the element's geometry to sink; nothing in the base. The context, when given, is
    // the iterator the caller walks with.
    virtual void EmitGeometry(CEntityIterator* context, IGeometrySink* sink);
    // Fills destination as a copy of this element (header, linkages, children), placed as
    // Clone says; marks this element deleted when removeSource is set.
    virtual void CopyTo(CDesignFile* target, IElement* destination, bool removeSource);

    // EmitGeometry on every graphic component (the context's criteria, graphic only).
    void ForwardToComponents(CEntityIterator* context, IGeometrySink* sink);
    // Transform and Touch on every direct component flagged graphic.
    void UpdateFlaggedComponents(const double matrix[16]);

    std::uint32_t GetRecordTag() const { return m_recordTag; }
    std::uint32_t GetSizeWords() const { return m_sizeWords; }
    std::uint32_t GetAttrOffsetWords() const { return m_attrOffsetWords; }
    double GetLastModified() const { return m_lastModified; }
    // What the element factory and the readers set.
    void SetModel(std::int32_t model) { m_model = model; }
    void SetList(std::int32_t list) { m_list = list; }
    // Sets and clears flag bits, without what SetFlags does for the deleted bit.
    void ChangeFlags(std::uint16_t set, std::uint16_t clear) { m_flags = static_cast<std::uint16_t>((m_flags & ~clear) | set); }
    // Enters the element in its design file's ID index under its ID (what the V7 reader does
    // for IDs it reads from linkages or gives).
    void IndexElementId() { EnterIdIndex(); }

protected:
    // Reads the V8 header and attribute linkages of the record at *cursor (ReadV8), refusing
    // attribute offsets below minAttrOffsetWords.
    bool ReadV8Header(const std::uint8_t** cursor, std::uint32_t length, std::uint32_t minAttrOffsetWords);
    // The length of the V7 record at record (4 + 2 x words to follow) when it fits length and
    // holds at least minBytes, else 0.
    static std::uint32_t V7RecordLength(const std::uint8_t* record, std::uint32_t length, std::uint32_t minBytes);
    // sizeWords from the linkages as they now are: attrOffsetWords + linkage bytes / 2. The
    // element classes that write their linkages after a body call it after reading, so that
    // what they write is the record they state.
    void FitSizeToLinkages();
    // Touch's sizes for a fixed part (header and body) of fixedBytes: attrOffsetWords counts
    // it in whole words, sizeWords adds the linkages.
    void SetSizesForBody(std::uint64_t fixedBytes);
    // Before writing a fixed part of fixedBytes and the linkages: the record length that the
    // sizes state, with sizeWords lowered when the linkages take less room; 0 when the fixed
    // part passes attrOffsetWords or the linkages need more room than the record has.
    std::uint32_t PlanLinkedRecord(std::uint64_t fixedBytes);
    // Where the record at record keeps its attribute bytes (after the header was read).
    const std::uint8_t* AttributesIn(const std::uint8_t* record) const;
    // Ends the reading of a body that runs up to the attribute bytes: when ok, sizeWords follows
    // the linkages and the cursor stands at the attribute bytes; otherwise the cursor goes back
    // to the record. Returns ok.
    bool EndBodyRead(const std::uint8_t** cursor, const std::uint8_t* record, bool ok);
    // Writes the record of an element whose body (after the 36-byte header) is n bytes at body:
    // the header, the body, the linkages; the record's length, 0 (nothing written) when the
    // sizes do not state that record (PlanLinkedRecord).
    std::uint32_t WriteBodyRecord(std::uint8_t** cursor, const std::uint8_t* body, std::uint32_t n);
    // Zero bytes from the cursor up to the attribute offset of the record at record, then the
    // linkages.
    void WriteLinkages(std::uint8_t** cursor, const std::uint8_t* record);
    // The element line (with the level's name when there is one) and the flags line.
    void DescribeElementLines(LineCallback callback);
    // The level entry of the element's level: its data and its name; null until the design
    // file keeps a level table.
    virtual const LevelData* LevelEntryData() const;
    virtual CDgnString* LevelEntryName() const;
    // Enters the element in its design file's ID index under its ID (leaving the slot it held).
    void EnterIdIndex();

    CDesignFile* m_designFile;
    std::uint32_t m_recordTag = 0;
    std::uint16_t m_type = 0;
    std::uint16_t m_flags = 0x0080;
    std::uint32_t m_sizeWords = 20;
    std::uint32_t m_attrOffsetWords = 20;
    std::int32_t m_level = 0;
    std::uint64_t m_elementId = 0;
    double m_lastModified = 0.0;
    std::int32_t m_list = 0;
    std::int32_t m_model = 0;
    CElementLinkages* m_attributes = nullptr;

private:
    void LeaveIdIndex();

    // The ID-index slot the element holds, if any.
    bool m_indexed = false;
    std::uint32_t m_indexKey = 0;
};

} // namespace dgn
