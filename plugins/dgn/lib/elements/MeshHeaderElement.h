#pragma once
// The header of a mesh (type 105): its mesh type (1 indexed, 6 quad grid) and its matrix
// components, from which an indexed mesh builds its geometry (face lists and coordinates).
// Quad grids have no geometry here and draw nothing.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CIndexedMeshGeometry;
class CMatrixElement;

class CMeshHeaderElement : public CGraphicBodyElement {
public:
    // Graphic complex header, properties 0x1000, list 1, mesh type 1.
    explicit CMeshHeaderElement(CDesignFile* file);
    ~CMeshHeaderElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Body: childCount, mesh type.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // Resolves the components, then the sizes.
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // The geometry object to the sink: filled (bracketed by the fill) as faces, else as edges.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Nothing changes.
    bool Transform(const double matrix[16]) override;

    virtual CIndexedMeshGeometry* GetMeshGeometry() const;
    virtual std::int32_t GetMeshType() const;
    virtual void SetMeshType(std::int32_t type);
    // Finds the matrices; for an indexed mesh with index and coordinate data, builds the
    // geometry anew (true).
    bool ResolveMeshComponents();

private:
    std::int32_t m_meshType = 1;
    CMatrixElement* m_firstHeader = nullptr;
    CMatrixElement* m_secondHeader = nullptr;
    CMatrixElement* m_integerData = nullptr;
    CMatrixElement* m_doubleData = nullptr;
    CIndexedMeshGeometry* m_geometry = nullptr;
};

} // namespace dgn
