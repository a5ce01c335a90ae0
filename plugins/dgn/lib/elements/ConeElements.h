#pragma once
// The cone (type 23, 3-D only): a solid of revolution between two circular ends, each with its
// own centre and radius, sharing one orientation quaternion; and the conic (type 13), carried
// as an opaque record whose bytes after the element header are kept and written back as read.
#include "ByteArray.h"
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CConeElement : public IBodyGraphicElement {
public:
    explicit CConeElement(CDesignFile* file);

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    // Both end circles, then the two silhouette lines, taken in the XY plane.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Both centres move; the radii and the orientation stay.
    bool Transform(const double matrix[16]) override;

    std::uint16_t words[4] = {};
    // Scalar first.
    double quaternion[4] = {1.0, 0.0, 0.0, 0.0};
    Point3d center1 = {0.0, 0.0, 0.0};
    double radius1 = 0.0;
    Point3d center2 = {0.0, 0.0, 0.0};
    double radius2 = 0.0;

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    // The first word only (the others 0), the orientation and the ends.
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 104; }
    void PutBody(std::uint8_t** cursor) const override;
};

class CConicElement : public IGraphicElement {
public:
    explicit CConicElement(CDesignFile* file);
    ~CConicElement() override;

    int GetType() const override { return 13; }
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The element header, then the bytes up to the attribute data, kept as they are.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The sizes of the kept bytes; the range stands.
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // The components' geometry; the conic itself draws nothing.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    bool Transform(const double matrix[16]) override;
    CByteArray* GetPoints() const { return m_bytes; }

private:
    CByteArray* m_bytes;
};

} // namespace dgn
