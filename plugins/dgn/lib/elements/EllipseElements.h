#pragma once
// Ellipses (type 15) and elliptical arcs (type 16), 2-D (oriented by a rotation angle) and 3-D
// (by a quaternion). Their bodies are the geometry blocks of GeometryTypes.h, stored as
// doubles in V8 and as VAX doubles, V7 angles and V7 quaternions in V7.
#include "elements/BodyGraphicElement.h"

namespace dgn {

template <class Body>
class TEllipticElement : public IBodyGraphicElement {
public:
    TEllipticElement(CDesignFile* file, int type, std::uint16_t properties, const char* title);

    void Describe(LineCallback callback) override;
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    bool Transform(const double matrix[16]) override;
    // Kind 3 only: the centre (selector 1) or the point of the ellipse at an angle (2: 0,
    // 3: 0 or the arc's sweep, others: the double at record offset 24), turned by the
    // element's orientation.
    bool EvaluateAssociation(const std::uint8_t* association, Point3d* out) override;
    Body& GetBody() { return m_body; }
    Body* GetGeometry() { return &m_body; }

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return sizeof(Body); }
    void PutBody(std::uint8_t** cursor) const override;
    void AfterRead() override;
    template <class T>
    IElement* CloneAs(CDesignFile* target, bool removeSource);

    Body m_body = {};
    const char* m_title;
};

class CEllipseElement2d : public TEllipticElement<Ellipse2d> {
public:
    explicit CEllipseElement2d(CDesignFile* file);
    // A new 2-D ellipse of the design file's model, with a fresh element ID.
    static CEllipseElement2d* Create(CDesignFile* file, std::int32_t model);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CArcElement2d : public TEllipticElement<Arc2d> {
public:
    explicit CArcElement2d(CDesignFile* file);
    static CArcElement2d* Create(CDesignFile* file, std::int32_t model);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CEllipseElement3d : public TEllipticElement<Ellipse3d> {
public:
    explicit CEllipseElement3d(CDesignFile* file);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CArcElement3d : public TEllipticElement<Arc3d> {
public:
    explicit CArcElement3d(CDesignFile* file);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

} // namespace dgn
