#pragma once
// The graphic element: the base of every element that is drawn. It adds to the element the
// display header (graphic group, properties, colour, weight, line style, range box), resolves
// symbology that follows the level or the enclosing cell, reads the V7 display header and the
// V8 graphic header, describes itself, and builds the element's fill description from its
// attribute linkages on demand.
//
// Colour, weight and line style have by-level values (-1, -1, 0x7FFFFFFF) resolved through the
// element's level entry and by-cell values (-2, -2, 0x7FFFFFFE) resolved through the enclosing
// cell header.
#include "Element.h"

#include <cstdint>

namespace dgn {

class CFillInfo;
class CTextStyleLinkage;
struct LevelData;

// Properties bits.
enum PropertyBits : std::uint16_t {
    kPropertyClassMask = 0x000F,
    kPropertyInvisible = 0x0080,
    kPropertyNew = 0x0200,
    kPropertyModified = 0x0400,
    kProperty3d = 0x0800,
    kPropertyScreen = 0x1000,
    kPropertyPlanar = 0x2000,
    kPropertyNoSnap = 0x4000,
    kPropertyHole = 0x8000,
};

constexpr std::int32_t kColorByLevel = -1;
constexpr std::int32_t kColorByCell = -2;
constexpr std::int32_t kWeightByLevel = -1;
constexpr std::int32_t kWeightByCell = -2;
constexpr std::int32_t kStyleByLevel = 0x7FFFFFFF;
constexpr std::int32_t kStyleByCell = 0x7FFFFFFE;

// The V8 graphic header ends, and the element's body begins, here.
constexpr std::uint32_t kV8GraphicHeaderBytes = 108;
constexpr std::uint32_t kV7GraphicHeaderBytes = 36;
constexpr std::uint32_t kMinGraphicAttrOffsetWords = (kV8GraphicHeaderBytes - 4) / 2;

// The element's range as a range collector gathers it.
struct RangeBox {
    double low[3];
    double high[3];
    bool hasPoint;
};

// The library-wide symbology: the current values that the last ApplySymbologyTo pushed, and
// the last values resolved through a cell header.
struct Symbology {
    std::int32_t color;
    std::int32_t lineStyle;
    std::int32_t weight;
};
Symbology GetCurrentSymbology();
Symbology GetLastByCellSymbology();
// What a shared cell instance sets as it starts emitting its geometry.
void SetLastByCellSymbology(const Symbology& s);

class IGraphicElement : public IElement {
public:
    // List 1, flags 0x1100, graphic attribute 0x8000, colour by level, weight 0, line style 0,
    // sizes 56.
    explicit IGraphicElement(CDesignFile* file);
    // Deletes the fill description.
    ~IGraphicElement() override;

    bool GetSelectorFacts(SelectorFacts* facts) const override;
    // The element header, then the graphic header; the cursor ends at the body (108). Refuses
    // attribute offsets below 52 words.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 element and display header (36 bytes); the cursor ends at 36.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // Recomputes the range from the element's geometry (low floored, high ceiled), then the
    // element's Touch.
    void Touch() override;
    // The element header and the graphic header (108 bytes).
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    // The element lines, then the symbology, property and range lines.
    void Describe(LineCallback callback) override;
    bool IsGraphic() const override;
    // Invisible, or on a level that is frozen or not displayed.
    bool IsHidden() const override;
    // Copies the graphic header, then the element part; the destination builds its own fill
    // description.
    void CopyTo(CDesignFile* target, IElement* destination, bool removeSource) override;

    virtual bool Is3dElement() const;
    virtual void Clear3dElement();
    virtual void Set3dElement();
    // Applies the matrix to the element's geometry; false (nothing done) in the base.
    virtual bool Transform(const double matrix[16]);
    // The level record of the element's level, null without one.
    virtual const LevelData* GetLevelSymbology() const;
    virtual std::int32_t GetColor() const;
    virtual void SetColor(std::int32_t color);
    virtual std::int32_t GetLineStyle() const;
    virtual void SetLineStyle(std::int32_t style);
    virtual std::int32_t GetWeight() const;
    virtual void SetWeight(std::int32_t weight);
    virtual std::uint32_t GetGraphicGroup() const;
    virtual void SetGraphicGroup(std::uint32_t group);
    virtual std::uint16_t GetProperties() const;
    virtual void SetProperties(std::uint16_t properties);
    virtual int GetClass() const;
    virtual void SetClass(int elementClass);
    // By cell: the enclosing cell header's value (0 outside any); by level: the level's value
    // when there is a level entry; else as stored.
    virtual std::int32_t GetEffectiveColor();
    virtual std::int32_t GetEffectiveLineStyle();
    virtual std::int32_t GetEffectiveWeight();
    // By cell: the cell header's; otherwise as stored (by level too).
    virtual std::int32_t GetColorResolvingCell();
    // By cell: the cell header's; the level's fill colour when the level says so; else the
    // stored colour.
    virtual std::int32_t GetDisplayColor();
    // Sets a drawing sink's symbology from the element (nothing for a range collector), with
    // the overrides of an enclosing shared cell instance and of the context's view.
    virtual void ApplySymbologyTo(CEntityIterator* context, IGeometrySink* sink);
    // The fill description, built on first use; null when the element has no fill.
    virtual CFillInfo* GetFillInfo();
    virtual void RebuildFillInfo();
    // rangeLow x, y, z followed by rangeExtent x, y, z.
    virtual const std::int64_t* GetRange() const;
    virtual void ComputeRange(RangeBox* box);
    // Characteristic points and association points: the element classes give them meaning.
    virtual bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra);
    virtual bool EvaluateAssociation(const std::uint8_t* association, Point3d* out);
    // The first text-style linkage (user ID 0x80D4), or null.
    virtual CTextStyleLinkage* GetLinkedTextStyle() const;

    // Parses the V7 attribute data of the record at record (length bytes there) when its
    // properties say it has some, and takes the element ID from its V7 entity id linkage. An
    // attribute index that points past the record takes none.
    bool ReadV7Linkages(const std::uint8_t* record, std::uint32_t length);

protected:
    // The override mask of a shared cell instance (0x08 colour, 0x10 weight, 0x20 line style);
    // 0 for other elements.
    virtual std::uint16_t GetCellOverrideMask() const;
    // The viewFlags of the view of context's view number in the element's design file; 0
    // without one (and until the design file keeps its views).
    virtual std::uint32_t GetContextViewFlags(CEntityIterator* context) const;
    // Writes the graphic header part (offsets 36 to 108).
    void WriteGraphicHeader(std::uint8_t** cursor) const;
    // The range from a box (low x, y, z, high x, y, z) in whole design units, each bound cut
    // toward zero and held to what 64 bits can say.
    void SetRangeFromBox(const double box[6]);

    std::uint32_t m_graphicGroup = 0;
    std::uint32_t m_graphicAttr = 0x8000;
    std::uint16_t m_properties = 0;
    std::uint16_t m_properties2 = 0;
    std::int32_t m_lineStyle = 0;
    std::int32_t m_weight = 0;
    std::int32_t m_color = kColorByLevel;
    std::int64_t m_range[6] = {0, 0, 0, 0, 0, 0};
    CFillInfo* m_fillInfo = nullptr;

private:
    enum SymbologyKind { kEffectiveColor, kEffectiveLineStyle, kEffectiveWeight };
    // The enclosing cell header (type 2), or null.
    IGraphicElement* EnclosingCell() const;
    // The effective value of one kind of symbology (GetEffectiveColor and its twins).
    std::int32_t Effective(SymbologyKind kind);
};

} // namespace dgn
