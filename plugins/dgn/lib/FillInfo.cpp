#include "FillInfo.h"

#include "DesignFile.h"
#include "ElementLinkages.h"
#include "GraphicElement.h"
#include "linkages/DependencyLinkage.h"
#include "linkages/PatternFillLinkage.h"
#include "linkages/SolidFillLinkage.h"

#include <cmath>
#include <new>

namespace dgn {

CFillInfo::CFillInfo(IGraphicElement* element) : m_element(element), m_attributes(element ? element->GetAttributes() : nullptr) {}

CFillInfo* CFillInfo::Create(IGraphicElement* element)
{
    CFillInfo* info = new (std::nothrow) CFillInfo(element);
    if (info)
        info->Build();
    return info;
}

void CFillInfo::Build()
{
    if (!m_element)
        return;
    m_fillColor = m_element->GetDisplayColor();
    if (!m_attributes)
        return;
    m_solidLinkage = dynamic_cast<CSolidFillLinkage*>(m_attributes->Find(kSolidFillId));
    if (m_solidLinkage) {
        m_kind = kSolidFill;
        if (m_fillColor != -1 && m_fillColor != -2)
            m_fillColor = static_cast<std::int32_t>(m_solidLinkage->GetColor());
        return;
    }
    // A record kept as a generic linkage (too many pattern lines) is no fill.
    m_patternLinkage = dynamic_cast<CPatternFillLinkage*>(m_attributes->Find(kPatternFillId));
    if (!m_patternLinkage)
        return;
    PatternFillData* data = m_patternLinkage->GetFillData();
    m_fillFlags = &data->options;
    m_kind = kPatternFill;
    m_subKind = 0;
    if (data->options & kPatternCell) {
        m_dependencyLinkage = m_attributes->GetDependencyLinkage();
        std::uint64_t id;
        if (m_dependencyLinkage && m_dependencyLinkage->GetFirstElementId(&id)) {
            CDesignFile* file = m_element->GetDesignFile();
            m_patternElement = file ? file->FindElementById(id) : nullptr;
            m_patternScale = data->values[kPatternScaleIndex];
            m_patternData = data->offset;
        }
    } else if (data->options & kPatternHatch) {
        m_kind = kHatchFill;
        m_subKind = (data->options & kPatternCrossHatch) ? 2 : 1;
    }
}

int CFillInfo::GetKind() const { return m_kind; }
int CFillInfo::GetSubKind() const { return m_subKind; }
std::int32_t CFillInfo::GetFillColor() const { return m_fillColor; }
IElement* CFillInfo::GetPatternElement() const { return m_patternElement; }

double CFillInfo::GetPatternScale()
{
    if ((m_patternScale == 0.0 || std::isnan(m_patternScale)) && m_patternLinkage)
        m_patternScale = m_patternLinkage->GetFillData()->values[kPatternScaleIndex];
    return m_patternScale;
}

const double* CFillInfo::GetPatternData() const { return m_patternLinkage ? m_patternLinkage->GetFillData()->offset : m_patternData; }
std::uint32_t* CFillInfo::GetFillFlags() const { return m_fillFlags; }

} // namespace dgn
