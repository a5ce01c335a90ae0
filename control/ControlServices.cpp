// Small services of the control that other parts call: the source-site table, hatch-pattern
// search and replacement, the default font, the selection count and the unset-float marker.
#include "control/YVEXControl.h"
#include "com/Guard.h"
#include "model/Group.h"
#include "model/Text.h"
#include <cstring>

int CYVEXControl::GetSourceSiteOfShape(int shapeId) { return GetShapeMap().GetSourceSiteOfShape(shapeId); }

int CYVEXControl::GetSourceSite(int databaseShapeId) { return GetShapeMap().GetSourceSite(databaseShapeId); }

void CYVEXControl::SetSourceSite(int databaseShapeId, int siteId) { GetShapeMap().SetSourceSite(databaseShapeId, siteId); }

bool CYVEXControl::FindShapesByHatchPattern(int patternId, std::set<int>* ids)
{
    for (const auto& entry : GetShapeMap().Shapes()) {
        if (entry.second->GetHatchPatternId() != patternId)
            continue;
        if (!ids)
            return true;
        ids->insert(entry.first);
    }
    return ids && !ids->empty();
}

bool CYVEXControl::ReplaceHatchPattern(int oldId, int newId, const std::set<int>* ids)
{
    bool changed = false;
    auto replace = [&](CShape* shape) {
        if (shape && shape->GetHatchPatternId() == oldId) {
            shape->SetHatchPatternId(newId);
            changed = true;
        }
    };
    if (ids) {
        for (int id : *ids)
            replace(FindShape(id));
    } else {
        for (const auto& entry : GetShapeMap().Shapes())
            replace(entry.second);
    }
    return changed;
}

void CYVEXControl::SetDefaultFontName(const char* name)
{
    auto* text = dynamic_cast<CText*>(GetDefaultShape(stText));
    if (text)
        text->SetFontNameA(name && *name ? name : "Arial");
}

int CYVEXControl::GetSelectionCount() const
{
    const CGroup* selection = GetSelectionGroup();
    return selection ? selection->GetShapeCount() : 0;
}

HRESULT CYVEXControl::GetBadFloatValue(float* value)
{
    if (!value)
        return E_INVALIDARG;
    // The largest finite float marks an unset value throughout the control.
    const DWORD bits = 0x7F7FFFFF;
    std::memcpy(value, &bits, sizeof bits);
    return S_OK;
}

HRESULT CYVEXControl::IsModifiedAsVariant(VARIANT_BOOL* modified)
{
    if (!modified)
        return E_POINTER;
    *modified = IsDirty() == S_OK ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
