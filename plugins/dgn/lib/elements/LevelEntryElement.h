#pragma once
// A level (type 95 in the level table, table number 1): its number, symbology overrides,
// visibility flags and two names (string linkages 1 and 2). A touched entry registers itself
// in its design file's level index under its number, which graphic elements resolve their
// level through.
#include "LevelData.h"
#include "elements/FixedBodyElement.h"

namespace dgn {

class CDgnString;

// A level number that no entry has been given yet.
constexpr std::uint32_t kUnassignedLevel = 0x7FFFFFFF;

class CLevelEntryElement : public CFixedBodyElement {
public:
    // Level 1 (the level table), non-model, the defaults of a new level.
    explicit CLevelEntryElement(CDesignFile* file);
    // Leaves the level index.
    ~CLevelEntryElement() override;
    // A new level of the file's model, with a new element ID, in the file's level table.
    static CLevelEntryElement* Create(CDesignFile* file, std::int32_t model);
    // The 64 levels of a V7 file from its level symbology record (one word per level from
    // offset 28: style in bits 0-2, weight in 3-7, colour in 8-15), linked before before:
    // "Default" for level 0, the number for the others, flags display and plot.
    static void CreateV7Levels(CDesignFile* file, const std::uint8_t* record, std::uint32_t length, IEntity* before);
    // A V7 level-name table (type 66, level 6): names for the levels that exist.
    static void ApplyV7LevelNames(CDesignFile* file, const std::uint8_t* record, std::uint32_t length);

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The body, then the names from string linkages 1 and 2.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // Registers the level, writes the names into their linkages, sizes the record.
    void Touch() override;
    void Describe(LineCallback callback) override;

    virtual std::uint16_t GetLevelFlags() const override;
    virtual void SetLevelFlags(std::uint16_t flags);
    virtual CDgnString* GetName() const;
    virtual CDgnString* GetName2() const;
    // The converter's name for the second name: the level's description.
    CDgnString* GetDescription() const { return GetName2(); }
    virtual LevelData* GetLevelData();
    // The converter's name for the level record (never null).
    LevelData* GetLevelRecord() { return GetLevelData(); }
    // The lowest level number from 1 up that the file does not use yet, for number and code.
    virtual void AssignNewLevelNumber();
    virtual std::uint32_t GetLevelNumber() const;
    virtual std::int32_t GetParentCode() const;
    // Sets the number (and code) and the names.
    void SetLevelNumber(std::uint32_t number);
    void SetName(const char* text);
    void SetName2(const char* text);

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    void Register();

    LevelData m_data;
    CDgnString* m_name = nullptr;
    CDgnString* m_name2 = nullptr;
};

// The converter's name for a level table entry.
using CLevelEntry = CLevelEntryElement;

} // namespace dgn
