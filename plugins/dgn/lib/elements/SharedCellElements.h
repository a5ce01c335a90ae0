#pragma once
// Shared cells: a definition (type 34) holds a group of elements (its components) once, with a
// name, a description and its extents; each instance (type 35) places one definition, found
// through its dependency linkage or by name, with a 4 x 4 placement matrix (row vectors:
// m[r][c] at r * 4 + c, the origin in row 3). Both records have the same 152-byte body; the
// name travels as string linkage 1 and the description as string linkage 2.
#include "DgnString.h"
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CSharedCellElement : public IBodyGraphicElement {
public:
    ~CSharedCellElement() override;

    // Selector 0: the origin.
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;

    double* GetMatrix() { return m_matrix; }
    // The placement as a 4 x 4 matrix by rows (row vectors: x's image in row 1, y's in row 2,
    // the origin in row 4); the importer takes the turn and scales from t0, t1 and t4, t5.
    void GetTransform(double out[16]) const;
    CDgnString* GetName() const { return m_name; }
    void GetOrigin(double out[3]) const;
    void SetOrigin(const double origin[3]);
    // Low x, y, z, high x, y, z.
    const double* GetExtents() const { return m_extents; }
    bool ExtentsValid() const { return m_extentsValid != 0; }
    std::uint16_t GetCellWord() const { return m_cellWord; }
    void SetCellWord(std::uint16_t word) { m_cellWord = word; }

protected:
    CSharedCellElement(CDesignFile* file, int type);
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 152; }
    void PutBody(std::uint8_t** cursor) const override;
    // The stored component count (the definition's is its child count).
    virtual std::uint32_t StoredCount() const = 0;
    virtual void SetStoredCount(std::uint32_t count) = 0;
    // Copies the fields both classes clone; false when memory runs out.
    bool CopyCellTo(CSharedCellElement* copy) const;
    // Stores the name as string linkage 1 when it is not empty.
    void StoreName();
    // The title, graphic lines, the class's own lines (between), the name and matrix lines.
    void DescribeCell(LineCallback callback, const char* title, void (CSharedCellElement::*middle)(LineCallback), void (CSharedCellElement::*after)(LineCallback));
    void DescribeMatrixAndExtents(LineCallback callback);
    void SetNewElementProperties();

    // The override mask of the components' symbology (0x08 colour, 0x10 weight, 0x20 style).
    std::uint16_t m_cellWord = 0;
    std::uint16_t m_cellWord2 = 0xFFFF;
    double m_extents[6] = {};
    std::uint8_t m_extentsValid = 0;
    double m_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    CDgnString* m_name;
    std::int16_t m_v7Words[7] = {};
    std::int32_t m_v7Trailing = 0;
};

class CSharedCellDefinitionElement : public CSharedCellElement {
public:
    explicit CSharedCellDefinitionElement(CDesignFile* file);
    ~CSharedCellDefinitionElement() override;
    // A new definition of the design file's model, with a fresh element ID (3-D in a 3-D file).
    static CSharedCellDefinitionElement* Create(CDesignFile* file, std::int32_t model);

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The extents, the name and description linkages (none for an empty description), the
    // sizes, the graphic Touch.
    void Touch() override;
    // Drops the description linkage when the description is empty, then writes.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // The components, only while the sink is nested in an instance: on its own a definition
    // draws nothing.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Transforms and touches the flagged components; the matrix and extents stay.
    bool Transform(const double matrix[16]) override;

    CDgnString* GetDescription() const { return m_description; }
    // The extents of the components (nested instances by their placed boxes); null without
    // components (the extents unchanged).
    const double* ComputeExtents();
    // True while an instance draws this definition: an instance of it met inside draws nothing.
    bool IsBeingEmitted() const { return m_emitting; }
    void SetBeingEmitted(bool on) { m_emitting = on; }

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint32_t StoredCount() const override { return static_cast<std::uint32_t>(ChildCount()); }
    void SetStoredCount(std::uint32_t count) override { SetChildCount(static_cast<std::int32_t>(count)); }

private:
    void DescribeCount(LineCallback callback);
    void DescribeDescription(LineCallback callback);

    CDgnString* m_description;
    bool m_emitting = false;
};

class ISymRef : public CSharedCellElement {
public:
    explicit ISymRef(CDesignFile* file);
    // A new instance of the design file's model, with a fresh element ID (3-D in a 3-D file).
    static ISymRef* Create(CDesignFile* file, std::int32_t model);

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The range of the placed instance, the name linkage, the sizes, the graphic Touch.
    void Touch() override;
    void Describe(LineCallback callback) override;
    // The definition under the placement matrix; nothing when it does not resolve or is being
    // drawn already (a definition that holds an instance of itself).
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Placement = placement x matrix; both extents corners transformed.
    bool Transform(const double matrix[16]) override;

    CSharedCellDefinitionElement* GetDefinition() const { return m_definition; }
    // Finds the definition (the dependency linkage's element, else by name) and takes its
    // extents; false when there is none.
    bool ResolveDefinition();
    // The range of the placed geometry; null when the definition does not resolve.
    const double* ComputeInstanceRange();
    // A box around the origin of the extents' largest reach, as one 3-D line between corners.
    void AddPlacedBox(CEntityIterator* context, IGeometrySink* sink);
    const double* GetInstanceRange() const { return m_ownRange; }
    bool InstanceRangeValid() const { return m_ownRangeValid != 0; }

protected:
    std::uint16_t GetCellOverrideMask() const override { return m_cellWord; }
    std::uint32_t StoredCount() const override { return m_storedCount; }
    void SetStoredCount(std::uint32_t count) override { m_storedCount = count; }

private:
    void DescribeOrigin(LineCallback callback);

    std::uint32_t m_storedCount = 0;
    double m_ownRange[6] = {};
    std::uint8_t m_ownRangeValid = 0;
    CSharedCellDefinitionElement* m_definition = nullptr;
};

} // namespace dgn
