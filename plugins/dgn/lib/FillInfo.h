#pragma once
// How a closed graphic element is filled, summarised from its attribute linkages: a solid fill
// (kind 1) in one colour, a hatch or cross hatch (kind 2) or another pattern fill (kind 3, with
// the pattern cell that its dependency names). The element builds it on demand and keeps it;
// it points into the element's linkages, so it is rebuilt after they change.
#include <cstdint>

namespace dgn {

class CDependencyLinkage;
class CElementLinkages;
class CPatternFillLinkage;
class CSolidFillLinkage;
class IElement;
class IGraphicElement;

class CFillInfo {
public:
    enum Kind { kNoFill = 0, kSolidFill = 1, kHatchFill = 2, kPatternFill = 3 };

    // The description of element's fill (kind 0 when it has none); null when memory runs out.
    static CFillInfo* Create(IGraphicElement* element);
    virtual ~CFillInfo() = default;

    virtual int GetKind() const;
    // For a hatch: 1 single, 2 crossed.
    virtual int GetSubKind() const;
    virtual std::int32_t GetFillColor() const;
    // The pattern cell that a pattern fill's dependency names, or null.
    virtual IElement* GetPatternElement() const;
    // The pattern fill's scale; the stored value when there is no pattern fill.
    virtual double GetPatternScale();
    // The pattern fill's offset point (three doubles), or the stored value (null) without one.
    virtual const double* GetPatternData() const;
    // The pattern fill's options word, or null without one.
    virtual std::uint32_t* GetFillFlags() const;

    CFillInfo(const CFillInfo&) = delete;
    CFillInfo& operator=(const CFillInfo&) = delete;

private:
    explicit CFillInfo(IGraphicElement* element);
    void Build();

    IGraphicElement* m_element;
    CElementLinkages* m_attributes;
    int m_kind = kNoFill;
    int m_subKind = 0;
    std::int32_t m_fillColor = 0;
    CSolidFillLinkage* m_solidLinkage = nullptr;
    CPatternFillLinkage* m_patternLinkage = nullptr;
    CDependencyLinkage* m_dependencyLinkage = nullptr;
    std::uint32_t* m_fillFlags = nullptr;
    IElement* m_patternElement = nullptr;
    double m_patternScale = 0.0;
    const double* m_patternData = nullptr;
};

} // namespace dgn
