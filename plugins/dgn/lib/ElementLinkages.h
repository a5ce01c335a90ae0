#pragma once
// The attribute holder of an element: the head of the element's list of attribute linkages,
// which it owns. It parses the attribute bytes of a record into linkage objects (one kind per
// user ID, a generic linkage for the rest), gives them back in order, finds, adds and removes
// them by kind, measures and writes them, and describes them.
//
// Parsing never trusts a length: each linkage is bounded by the bytes left and each kind's
// fields by the linkage's length. What is written is always whole linkages of 8-byte
// multiples, so a record's attribute bytes can be sized before they are written.
#include "LineCallback.h"
#include "linkages/LinkageList.h"

#include <cstdint>

namespace dgn {

class CDependencyLinkage;
class CDgnString;
class CDmrsLinkage;
class CDbLinkLinkage;
class CLFilterLinkage;
class CLinkage;
class CPatternFillLinkage;
class CSolidFillLinkage;
class CStringLinkage;
class CTextStyleLinkage;
class CV7EntityIdLinkage;
class IElement;

// The library-wide raw-linkage option: with it, linkages without the user-data flag and those
// with user ID 0 are kept as generic linkages. Off unless a caller sets it.
void SetRawLinkageOption(bool on);
bool GetRawLinkageOption();

class CElementLinkages : public CLinkageList {
public:
    // An empty holder of element's linkages; null when memory runs out.
    static CElementLinkages* Create(IElement* element);
    // Deletes every linkage.
    ~CElementLinkages() override;

    // A holder for element with a copy of every linkage, in order; null when memory runs out.
    CElementLinkages* Clone(IElement* element) const;
    IElement* GetElement() const { return m_element; }
    // Deletes every linkage.
    void Clear();

    using CLinkageList::Next;

    // Appends one linkage per record of the length attribute bytes at data. A remnant too short
    // for a linkage header is dropped. False when memory ran out (the linkages parsed stay).
    virtual bool Parse(const std::uint8_t* data, std::uint32_t length);
    // The bytes that Write writes after an even offset: the sum of the linkages' lengths.
    virtual std::uint32_t GetTotalSize();
    // Writes one 0 byte when the cursor stands at an odd distance from recordStart, then every
    // linkage, moving the cursor on; the bytes written.
    virtual std::uint32_t Write(std::uint8_t** cursor, const std::uint8_t* recordStart);
    // The next linkage after *cursor (from the first when it is null) with user ID id, stored in
    // *cursor; null at the end.
    virtual CLinkage* NextWithId(CLinkage** cursor, std::uint16_t id) const;
    // The next linkage after *cursor (from the first when it is null), stored in *cursor.
    virtual CLinkage* Next(CLinkage** cursor) const;
    // The first linkage with user ID id, or null.
    virtual CLinkage* Find(std::uint16_t id) const;
    virtual void Describe(LineCallback callback) const;

    // DMRS linkages.
    virtual CDmrsLinkage* AddDmrs(std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType);
    // bytes: the linkage's bytes from its offset 2, length of them.
    virtual CDmrsLinkage* AddDmrsFromRaw(std::uint8_t flags, const std::uint8_t* bytes, std::uint32_t length);
    virtual CDmrsLinkage* FindDmrs(std::uint16_t entityId) const;

    // String linkages (names, descriptions, labels under numeric keys). An added string replaces
    // the one with the same id.
    virtual CStringLinkage* AddString(std::uint32_t id, const char* text, std::uint32_t byteLength);
    virtual CStringLinkage* AddStringFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    virtual CStringLinkage* FindString(std::uint32_t id) const;
    // The text of string id into out; false (out unchanged) when there is none.
    virtual bool GetStringLinkage(std::uint32_t id, CDgnString& out) const;
    // The text of string id into a buffer of capacity bytes (narrow, or UTF-16 units for a wide
    // string), cut to fit; false and an empty buffer when there is none.
    virtual bool GetStringLinkage(std::uint32_t id, char* buffer, std::uint32_t capacity) const;
    // Replaces string id by the string's content bytes (removes it for an empty string).
    virtual void SetStringLinkage(std::uint32_t id, CDgnString& text);
    // Replaces string id by length content bytes of text (0: its own length without its
    // terminator); the new linkage, null when memory runs out.
    virtual CStringLinkage* SetStringLinkage(std::uint32_t id, const char* text, std::uint32_t length);
    virtual bool RemoveStringLinkage(std::uint32_t id);

    // Level filter linkages.
    virtual CLFilterLinkage* AddLFilter(std::uint32_t id, std::uint16_t type, const char* name, std::uint32_t length);
    virtual CLFilterLinkage* AddLFilterFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    virtual CLFilterLinkage* FindLFilter(std::uint32_t id) const;
    virtual bool GetLFilterName(std::uint32_t id, CDgnString& out) const;
    virtual bool GetLFilterName(std::uint32_t id, char* buffer, std::uint32_t capacity) const;
    // The filter with the new name, or null when there is no filter id (or memory ran out).
    virtual CLFilterLinkage* SetLFilterName(std::uint32_t id, const CDgnString& name);
    virtual CLFilterLinkage* SetLFilterName(std::uint32_t id, const char* text, std::uint32_t length);
    virtual bool RemoveLFilter(std::uint32_t id);

    // V7 entity ids.
    virtual CV7EntityIdLinkage* AddV7EntityId(std::uint32_t id);
    virtual CV7EntityIdLinkage* AddV7EntityIdFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    virtual CV7EntityIdLinkage* FindV7EntityId() const;
    // The id of the first one, 0 when there is none.
    virtual std::uint32_t GetV7EntityId() const;

    // Database links.
    virtual CDbLinkLinkage* AddDbLink(std::uint16_t userId, std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType);
    virtual CDbLinkLinkage* AddDbLinkFromRaw(std::uint16_t userId, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    // Dependencies. Each add first removes the dependency of the same appId and appValue.
    // One root of type 0: the element ID.
    virtual CDependencyLinkage* AddDependency(std::uint16_t appId, std::uint16_t appValue, std::uint64_t elementId);
    // One association record of kind 7 naming the element ID.
    virtual CDependencyLinkage* AddAssociation(std::uint16_t appId, std::uint16_t appValue, std::uint64_t elementId);
    // One association record (40 bytes) as the caller made it.
    virtual CDependencyLinkage* AddAssociationRecord(std::uint16_t appId, std::uint16_t appValue, const std::uint8_t* record);
    // One root of type 0: the element ID given as its low and high 32 bits.
    virtual CDependencyLinkage* AddDependencyLinkage(std::uint16_t appId, std::uint16_t appValue, std::uint32_t idLow, std::uint32_t idHigh);
    virtual CDependencyLinkage* AddDependencyFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    virtual CDependencyLinkage* FindDependency(std::uint16_t appId, std::uint16_t appValue) const;
    // The first dependency, or null.
    virtual CDependencyLinkage* GetDependencyLinkage() const;
    virtual bool RemoveDependency(std::uint16_t appId, std::uint16_t appValue);
    // The element that the first dependency names (type 0), looked up by ID in the owner's
    // design file; null otherwise.
    virtual IElement* GetLinkedElement() const;

    virtual CTextStyleLinkage* AddTextStyleFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    virtual CSolidFillLinkage* AddSolidFill(std::uint32_t color);
    virtual CSolidFillLinkage* AddSolidFillFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    // An empty pattern fill (options 0).
    virtual CPatternFillLinkage* AddPatternFill();
    // Null when the data does not fit a pattern fill (Parse then keeps it generic).
    virtual CPatternFillLinkage* AddPatternFillFromRaw(std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);

    // A generic linkage of a whole record (header included) of byteLength bytes.
    virtual CLinkage* AddGeneric(std::uint32_t byteLength, std::uint8_t flags, std::uint16_t userId, const std::uint8_t* data);

private:
    explicit CElementLinkages(IElement* element) : CLinkageList(true), m_element(element) {}
    CLinkage* First() const;
    // The first linkage of a kind under its user ID for which match is true, or null.
    template <class Kind, class Match>
    Kind* FindKind(std::uint16_t userId, Match match) const;
    // Replaces string id by n content bytes.
    CStringLinkage* ReplaceString(std::uint32_t id, const char* bytes, std::uint32_t n);

    IElement* m_element;
};

} // namespace dgn
