#pragma once
// Cell headers (type 2): a named, placed group of the elements that follow it (its children).
// The cell keeps its class, range, transformation (row by row in memory, column by column in
// records), origin and name; the name travels as string linkage 1. A V7 cell counts its
// components from its total-length word and keeps its packed name and level mask raw.
#include "DgnString.h"
#include "elements/BodyGraphicElement.h"

namespace dgn {

template <int D>
class TCellHeaderElement : public IBodyGraphicElement {
public:
    explicit TCellHeaderElement(CDesignFile* file);
    ~TCellHeaderElement() override;

    // The name as string linkage 1, the sizes, the range from the components, the graphic
    // Touch.
    void Touch() override;
    void Describe(LineCallback callback) override;
    // The components' geometry, inside a filled group when a component is a hole and another
    // component's linkages describe the fill (never when a text is among them).
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Transforms and touches the graphic components; the cell's own placement stays.
    bool Transform(const double matrix[16]) override;
    // Selector 0: the origin (z 0 in 2-D).
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;

    CDgnString* GetName() const { return m_name; }
    std::uint16_t GetCellClass() const { return m_class; }
    // The transformation, D x D row by row.
    const double* GetMatrix() const { return m_matrix; }
    const double* GetOrigin() const { return m_origin; }
    // Low x, y, z then high x, y, z (z 0 in 2-D).
    const double* GetCellRange() const { return m_cellRange; }
    // The range of the components' geometry, kept as the cell's range.
    const double* ComputeRangeFromComponents();

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 8 + 16 * D + 8 * D * D + 8 * D; }
    void PutBody(std::uint8_t** cursor) const override;
    // Fills copy (a new cell of the leaf class) as Clone does; null when memory runs out.
    IElement* CloneInto(TCellHeaderElement* copy, CDesignFile* target, bool removeSource);

private:
    std::uint16_t m_class = 0;
    std::uint16_t m_class2 = 0;
    double m_cellRange[6] = {};
    std::uint8_t m_rangeValid = 0;
    double m_matrix[D * D] = {};
    double m_origin[D] = {};
    CDgnString* m_name;
    std::uint32_t m_packedName = 0;
    std::uint8_t m_levelMask[8] = {};
};

class CCellHeaderElement2d : public TCellHeaderElement<2> {
public:
    explicit CCellHeaderElement2d(CDesignFile* file) : TCellHeaderElement<2>(file) {}
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CCellHeaderElement3d : public TCellHeaderElement<3> {
public:
    explicit CCellHeaderElement3d(CDesignFile* file) : TCellHeaderElement<3>(file) {}
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

} // namespace dgn
