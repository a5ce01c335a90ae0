#pragma once
// Tags: a tag set definition (type 39, not drawn) declares a named set of tag definitions, each
// with a name, a prompt, an identifier, a value type and a default value; an attribute tag
// (type 37, 2-D or 3-D) carries one value of one tag of one set, refers to the element it
// annotates through its dependency linkages, and can show its value as text.
//
// Value types: 1 string, 2 int16, 3 int32, 4 double, 5 binary bytes; any other carries no value.
// The set's definitions are packed one after the other in its record (name, identifier, prompt,
// type, value size, flags, a further byte, the value), followed by a checksum word: the XOR of
// the packed bytes' whole 32-bit words. In V7 files a tag set is a type-66 record on level 24.
#include "BoundedReader.h"
#include "ByteArray.h"
#include "DgnString.h"
#include "ItemArray.h"
#include "elements/BodyGraphicElement.h"
#include "elements/BodyGraphicElement.h"

#include <new>
#include <string>

namespace dgn {

enum TagValueType : std::uint16_t {
    kTagString = 1,
    kTagInt16 = 2,
    kTagInt32 = 3,
    kTagDouble = 4,
    kTagBinary = 5,
};

// One tag definition of a set (owned by the set).
struct TagDefinition {
    CDgnString* name;
    CDgnString* prompt;
    // The default value's bytes (a string without its terminator).
    CByteArray* value;
    std::uint16_t id;
    std::uint16_t type;
    std::uint16_t size;
    std::uint16_t flags;
    std::uint8_t extra;
};

class CTagSetDefinitionElement : public CPlainBodyElement {
public:
    explicit CTagSetDefinitionElement(CDesignFile* file);
    ~CTagSetDefinitionElement() override;
    // A new tag set of the design file's model, with a fresh element ID.
    static CTagSetDefinitionElement* Create(CDesignFile* file, std::int32_t model);

    int GetType() const override { return 39; }
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 type-66 record: set value, names and definitions, each bounded by the record.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // The name linkages, the packed definitions and their checksum, the sizes.
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    // First word, signature, set value, checksum, definition byte total, packed length.
    std::uint32_t* GetBlock() { return m_block; }
    CDgnString* GetName() const { return m_name; }
    void SetName(const char* name);
    CDgnString* GetSecondName() const { return m_secondName; }
    void SetSecondName(const char* name);
    // The definition at *index, the index moved on; null past the end.
    TagDefinition* GetNextDefinition(std::uint32_t* index) const;
    TagDefinition* FindDefinition(std::uint16_t id) const;
    std::uint32_t DefinitionCount() const;
    // A new definition: id -1 takes the new count. value: type 1 a narrow string, 2 an int16,
    // 3 an int32, 4 a double (type 5 and others: none). Null when memory runs out.
    TagDefinition* AddDefinition(const char* name, const char* prompt, std::uint16_t type, const void* value, std::uint16_t flags, std::int32_t id);
    bool RemoveDefinition(TagDefinition* definition);
    const CByteArray* GetPacked() const { return m_packed; }
    // The V7 attribute data of the record (when its properties say so) and the element ID
    // taken from it, entered in the design file's ID index.
    bool ReadV7Linkages(const std::uint8_t* record, std::uint32_t length);

private:
    // Adds a definition with the value bytes as they are; null when memory runs out.
    TagDefinition* AddRaw(const CDgnString* name, const CDgnString* prompt, std::uint16_t type, const std::uint8_t* value, std::uint32_t n,
                          std::uint16_t flags, std::uint16_t id, std::uint8_t extra);
    bool ReadPacked(CBoundedReader& packed);
    void ClearDefinitions();
    bool Pack();

    std::uint32_t m_reserved = 0;
    std::uint32_t m_block[6] = {0, 0x74536574, 0xF81, 0, 0, 0};
    CDgnString* m_name;
    CDgnString* m_secondName;
    CItemArray* m_definitions;
    CByteArray* m_packed;
};

// What the two attribute tag classes do differently.
template <int D>
class TAttributeTagElement : public IBodyGraphicElement {
public:
    explicit TAttributeTagElement(CDesignFile* file);
    ~TAttributeTagElement() override;

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Value size by type, the sizes, the graphic Touch.
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // The value as text, unless the tag is invisible, not displayed or binary.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // The text placement at origin + offset through the matrix; factors scaled with its size.
    bool Transform(const double matrix[16]) override;
    // Selector 0: the origin.
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;

    // The value as text: a string as it is, numbers "%i " / "%g ", binary "%i bytes of binary
    // data"; "***Invalid Tag Type***" for other types.
    std::string ValueText() const;
    // The tag set (from the dependency linkages, looked up once), and the annotated elements.
    CTagSetDefinitionElement* ResolveTagSet();
    IElement* GetTarget();
    IElement* GetSecondTarget();
    std::uint8_t* GetTextParams() { return m_params; }
    std::uint16_t GetValueType() const { return m_type; }
    CDgnString* GetDisplayString() const { return m_string; }
    std::int32_t GetInt32Value() const { return m_int32; }
    double GetDoubleValue() const { return m_double; }
    CByteArray* GetBinaryValue() const { return m_binary; }
    std::uint16_t GetTagFlags() const { return m_tagFlags; }
    std::uint16_t GetTagId() const { return m_tagId; }
    void SetTagId(std::uint16_t id) { m_tagId = id; }
    const double* GetOrigin() const { return m_origin; }
    const double* GetOffset() const { return m_offset; }
    std::uint16_t GetValueSize() const { return m_valueSize; }
    bool IsDisplayed() const { return m_display != 0; }
    double WidthFactor() const;
    double HeightFactor() const;
    // The text placement's orientation: its angle in radians (2-D, out[0]) or its quaternion
    // (3-D, out[0] to out[3]).
    void GetOrientation(double out[4]) const;

    // Links the tag set (dependency 10007, its two 32-bit halves) and, when the target's halves
    // are not both 0, marks the target as recorded.
    void SetTagSetLinkage(std::uint32_t setLow, std::uint32_t setHigh, std::uint32_t targetLow, std::uint32_t targetHigh);
    // The tag set linkage, and the target as an association (10000, 1) when it is not 0.
    void SetTagSetAndTarget(std::uint64_t tagSetId, std::uint64_t targetId);
    // Stores the offset; true (origin at the annotated element's first key point) when the
    // annotated element is known and has one.
    bool SetOffset(const double offset[D]);
    void SetStringValue(const char* text);
    void SetInt16Value(std::int16_t v);
    void SetInt32Value(std::int32_t v);
    void SetDoubleValue(double v);
    // Replaces the binary value (the buffer made when there is none); false when memory runs out.
    bool SetBinaryValue(const void* bytes, std::uint32_t n);

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 216 + 2 * static_cast<std::uint64_t>(m_valueSize); }
    void PutBody(std::uint8_t** cursor) const override;
    void AfterRead() override;
    // Reads the value of the value area (n bytes at data).
    void ReadValue(const std::uint8_t* data, std::uint32_t n);
    virtual IElement* NewOfClass(CDesignFile* target) const = 0;

    std::uint8_t m_params[48] = {};
    std::uint16_t m_tagWord = 3;
    std::uint16_t m_tagFlags = 1;
    std::uint32_t m_word52 = 0;
    double m_origin[3] = {};
    double m_offset[3] = {};
    std::uint16_t m_tagId = 0;
    std::uint16_t m_type = 0;
    std::uint16_t m_words108[2] = {};
    std::uint8_t m_displayValues[88] = {};
    std::uint16_t m_justification = 2;
    std::uint8_t m_bytes202[2] = {};
    std::uint32_t m_word204 = 0;
    std::uint16_t m_valueSize = 0;
    std::uint16_t m_word210 = 0;
    std::uint32_t m_word212 = 0;

    std::uint64_t m_tagSetId = 0;
    std::uint64_t m_targetIds[2] = {};
    CTagSetDefinitionElement* m_tagSet = nullptr;
    IElement* m_targets[2] = {};
    std::uint8_t m_noRetry = 0;
    std::uint8_t m_display = 1;
    std::int16_t m_int16 = 0;
    std::int32_t m_int32 = 0;
    double m_double = 0.0;
    CDgnString* m_string;
    CByteArray* m_binary = nullptr;
};

class CAttributeTagElement2d : public TAttributeTagElement<2> {
public:
    explicit CAttributeTagElement2d(CDesignFile* file) : TAttributeTagElement<2>(file) {}
    // A new 2-D tag of the design file's model with an empty value and a fresh element ID.
    static CAttributeTagElement2d* Create(CDesignFile* file, std::int32_t model);

protected:
    IElement* NewOfClass(CDesignFile* target) const override { return new (std::nothrow) CAttributeTagElement2d(target); }
};

class CAttributeTagElement3d : public TAttributeTagElement<3> {
public:
    explicit CAttributeTagElement3d(CDesignFile* file) : TAttributeTagElement<3>(file) {}
    static CAttributeTagElement3d* Create(CDesignFile* file, std::int32_t model);

protected:
    IElement* NewOfClass(CDesignFile* target) const override { return new (std::nothrow) CAttributeTagElement3d(target); }
};

} // namespace dgn
