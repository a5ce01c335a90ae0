#pragma once
// The dimension (type 33): a 200-byte body of settings, the definition points (48 bytes each)
// and the record bytes that follow them up to the linkages (the note text of note dimensions).
// The 2-D and 3-D classes share the record layouts, the points and the drawing; they differ in
// body offset 68 (the text colour of 3-D dimensions, whose text is in font 0, and the font of
// 2-D ones; the bytes are carried either way) and offset 168 (the 3-D dimension's rotation
// quaternion, the 2-D one's 2 x 2 rotation r00, r01, r10, r11).
//
// The drawing takes the points into the dimension's plane (2-D: as they are, with the 2 x 2
// rotation giving the dimension direction; 3-D: rotated by the inverse quaternion, the direction
// being the plane's x axis) and puts every line and text back out. A drawing with fewer points
// than it uses draws nothing; counts in a record are bounded by the bytes that hold the points.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CItemArray;

// A definition point, the same 48 bytes in memory and in V8 records.
struct DimensionPoint {
    double x, y, z;
    // The height of the dimension line above the point (V7: the fourth integer).
    double offset;
    double carried;
    std::uint16_t word;
    // Bits 1-2: relative to point 0; bit 0 (V7): associated.
    std::uint16_t flags;
    std::uint32_t carried2;
};
static_assert(sizeof(DimensionPoint) == 48, "the record's point layout");

// Body offsets the drawing and the tests name.
enum DimensionBodyOffsets : std::uint32_t {
    kDimLeadWord = 24,
    kDimKind = 29,
    kDimPointCount = 31,
    kDimTextWidth = 48,
    kDimTextHeight = 56,
    kDimFontOrColor = 68,
    kDimWitnessOffset = 88,
    kDimWitnessExtension = 96,
    kDimTerminatorHeight = 128,
    kDimTerminatorWidth = 136,
    kDimStackOffset = 144,
    kDimCentreSize = 152,
    kDimOptionFlags = 160,
    kDimRotation = 168,
};

class IDimensionElement : public IBodyGraphicElement {
public:
    static constexpr std::uint32_t kBodyBytes = 200;
    ~IDimensionElement() override;

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    // The symbology, the design file, then the drawing of the dimension's kind.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Every point's position through the matrix; the body and text are kept.
    bool Transform(const double matrix[16]) override;
    // The body's point count from the points, then the sizes and range.
    void Touch() override;

    std::uint8_t GetDimensionKind() const { return m_body[29]; }
    // The 32-bit word after the body's three leading doubles (offset 24; a V7 record's word at
    // 44). The importer takes only dimensions that leave it 0.
    std::uint32_t GetLeadWord() const { return BodyU32(kDimLeadWord); }
    // The 200-byte body as the V8 record holds it.
    std::uint8_t* GetBodyData() { return m_body; }
    DimensionPoint* GetPointItem(std::uint32_t i) const;
    CItemArray* GetPointArray() const { return m_points; }
    CItemArray* GetTextArray() const { return m_text; }
    std::uint32_t PointCount() const;
    // The position of point i, point 0's added when the point is relative; false past the points.
    bool GetPoint(std::uint32_t i, Point3d* out) const;
    // Appends a point (relative when flags say so); false when memory ran out.
    bool AddPoint(const DimensionPoint& p);

protected:
    IDimensionElement(CDesignFile* file, bool threeD);

    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override;
    void PutBody(std::uint8_t** cursor) const override;
    void AfterRead() override;

    virtual IDimensionElement* NewEmpty(CDesignFile* file) const = 0;

    double BodyDouble(std::uint32_t at) const;
    void SetBodyDouble(std::uint32_t at, double v);
    std::uint32_t BodyU32(std::uint32_t at) const;

    bool m_threeD;
    std::uint8_t m_body[kBodyBytes] = {};
    CItemArray* m_points;
    CItemArray* m_text;

private:
    // The V7 point at p (20 bytes), its association followed.
    bool ReadV7Point(const std::uint8_t* p, DimensionPoint* out);
    friend class CDimensionDrawing;
};

class CDimensionElement2d : public IDimensionElement {
public:
    explicit CDimensionElement2d(CDesignFile* file);
    // The 2 x 2 rotation, r00, r01, r10, r11.
    void SetRotation(double r00, double r01, double r10, double r11);

protected:
    IDimensionElement* NewEmpty(CDesignFile* file) const override { return new CDimensionElement2d(file); }
};

class CDimensionElement3d : public IDimensionElement {
public:
    // The rotation quaternion is the identity.
    explicit CDimensionElement3d(CDesignFile* file);
    // The rotation quaternion, scalar first.
    void SetRotation(const double q[4]);

protected:
    IDimensionElement* NewEmpty(CDesignFile* file) const override { return new CDimensionElement3d(file); }
};

} // namespace dgn
