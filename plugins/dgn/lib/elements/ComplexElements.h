#pragma once
// Complex chains (type 12) and complex shapes (type 14): headers without geometry of their own
// that stand for the open or closed outline made of their components (lines, line strings,
// arcs, curves), which follow them in the file and hang below them. One class serves 2-D and
// 3-D files. The V8 body is the component count and a second header word carried as read; a V7
// header counts its components from the word count after the display header.
//
// Complex surface (type 18) and solid (type 19) headers group the elements that bound a 3-D
// surface or solid in the same way; their body adds a kind and three parameters, carried as
// read (the V7 kind is a byte, written to V8 as a 16-bit word).
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CComplexElement : public IBodyGraphicElement {
public:
    void Touch() override;
    void Describe(LineCallback callback) override;
    // The components' geometry in list order; the shape brackets it with its fill.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Transforms and touches the flagged components.
    bool Transform(const double matrix[16]) override;
    std::uint32_t GetSecondWord() const { return m_secondWord; }

protected:
    CComplexElement(CDesignFile* file, int type, std::uint16_t properties = kPropertyScreen);
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 8; }
    void PutBody(std::uint8_t** cursor) const override;
    void AfterRead() override;
    IElement* CloneInto(CComplexElement* copy, CDesignFile* target, bool removeSource);

    std::uint32_t m_secondWord = 0;
};

class CComplexChainElement : public CComplexElement {
public:
    explicit CComplexChainElement(CDesignFile* file) : CComplexElement(file, 12) {}
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CComplexShapeElement : public CComplexElement {
public:
    explicit CComplexShapeElement(CDesignFile* file) : CComplexElement(file, 14) {}
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

// The complex surface and solid headers.
class CComplexSurfaceSolidElement : public CComplexElement {
public:
    // The sizes only: the header's range stands.
    void Touch() override;
    // The single count line.
    void Describe(LineCallback callback) override;
    // The second header word, then the kind and the three parameters.
    std::uint32_t* GetBodyData() { return &m_secondWord; }
    std::uint16_t GetSolidKind() const { return m_kind; }
    const std::uint16_t* GetParameters() const { return m_parameters; }

protected:
    CComplexSurfaceSolidElement(CDesignFile* file, int type);
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 16; }
    void PutBody(std::uint8_t** cursor) const override;
    IElement* CloneSurfaceInto(CComplexSurfaceSolidElement* copy, CDesignFile* target, bool removeSource);

    std::uint16_t m_kind = 0;
    std::uint16_t m_parameters[3] = {};
};

class CComplexSurfaceHeaderElement : public CComplexSurfaceSolidElement {
public:
    explicit CComplexSurfaceHeaderElement(CDesignFile* file) : CComplexSurfaceSolidElement(file, 18) {}
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CComplexSolidHeaderElement : public CComplexSurfaceSolidElement {
public:
    explicit CComplexSolidHeaderElement(CDesignFile* file) : CComplexSurfaceSolidElement(file, 19) {}
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

} // namespace dgn
