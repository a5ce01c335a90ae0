#pragma once
// The design file: the document of the library, itself an element (kind 2, type 1001) whose
// children are the file's elements in file order. It hands out element IDs, finds elements by
// ID through its element-ID index, keeps the model headers by model number and converts units
// through them, and names line styles.
//
// This is the part of the design file that elements rely on. Loading and saving (V7 and V8),
// the level, font and line-style tables, views, the thumbnail and the file-level blocks join it
// with the design-file reader and writer; until then its level and view look-ups find nothing
// and line styles have only their standard names.
#include "Element.h"

#include <cstdint>

namespace dgn {

class CApplicationElement;
class CLevelEntryElement;
class CPointerTable;

// Units of resolution per master unit (and per storage unit) of a model without a header.
constexpr double kDefaultUnitsPerMaster = 10000.0;
// Model numbers run from 0 below this.
constexpr int kMaxModels = 1024;
// The highest element ID: once the next ID reaches it, every new element gets it.
constexpr std::uint64_t kLastElementId = 0xFFFFFFFFFFFFFFFFull;

class CDesignFile : public IElement {
public:
    // An empty design file under the root container (the library must be started). Its
    // element-ID index is null when memory ran out.
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
    using IElement::GetUnitsPerMaster;
    using IElement::GetUnitsPerStorageUnit;
    using IElement::ToMasterUnits2d;
    using IElement::ToMasterUnits3d;

    virtual bool Is3d() const;
    // The next element ID (100 in a new file), counted on up to kLastElementId.
    virtual std::uint64_t NewElementId();
    virtual int IsV8() const;
    // The model header of a model number, null for a free or invalid number.
    virtual CApplicationElement* GetModelHeader(int model) const;
    // The model header's origin, or the file's global origin without one.
    virtual void GetGlobalOrigin(int model, double out[3]) const;
    // (point - global origin) / units per master unit of the model.
    virtual void ToMasterUnits2d(int model, Point2d& p) const;
    virtual void ToMasterUnits3d(int model, Point3d& p) const;
    // The level entry of a level number: none until the file keeps a level table.
    virtual CLevelEntryElement* GetLevel(int level) const;
    // The element whose ID is id: the ID index's element for its low 20 bits when its whole ID
    // matches, else the first element of the file with that ID; null when none.
    virtual IElement* FindElementById(const std::uint64_t& id);
    // The view specification of a view number: none until the file keeps its views.
    virtual IElement* FindView(int number) const;
    // The name of a line style (UTF-16): the standard names, "LSTYLE_BY_CELL",
    // "LSTYLE_BY_LAYER", else "LSTYLE_NAME_UNKNOWN" (no line style table yet).
    virtual const char16_t* GetLineStyleName(std::int32_t style) const;
    // With a model header: storage units numerator x UOR scale / denominator; else 10000.
    virtual double GetUnitsPerStorageUnit(int model) const;
    // With a model header: units per storage unit x master units denominator / numerator;
    // else 10000.
    virtual double GetUnitsPerMaster(int model) const;
    virtual CPointerTable* GetIdIndex() const;
    // The file's full path (UTF-16, any length); empty until a path was given.
    virtual const char16_t* GetFilePath() const;

    // The path the file was opened from or will be saved under; false (unchanged) when memory
    // runs out.
    bool SetFilePath(const char16_t* path);

    // Keeps the next element ID above id (an element read with that ID).
    void NoteElementId(std::uint64_t id);
    // What the readers and the creation of a file set.
    void SetIs3d(bool threeD) { m_is3d = threeD ? 1 : 0; }
    void SetIsV8(bool v8) { m_isV8 = v8 ? 1 : 0; }
    // The slot of a model number's header (null for an invalid number): the element factory
    // stores a model header there, and the header clears it when it is deleted.
    CApplicationElement** GetModelHeaderSlot(int model);

private:
    char16_t* m_path = nullptr;
    CApplicationElement* m_models[kMaxModels] = {};
    std::int32_t m_isV8 = 1;
    std::uint64_t m_nextElementId = 100;
    CPointerTable* m_idIndex = nullptr;
    double m_globalOrigin[3] = {0, 0, 0};
    std::uint8_t m_is3d = 0;
};

// The first open design file whose path ends in the same file name as path: both are compared
// from their last characters back, case-sensitively, up to the last separator ('\\' or '/'),
// which both must have at the same distance from their ends. A separator that is the first
// character of path counts only when the file's path starts there too; a path without a
// separator finds nothing. Null when none matches.
CDesignFile* FindOpenDesignFile(const char16_t* path);

} // namespace dgn
