#include "model/ShapeHost.h"
#include "model/Group.h"
#include "model/Text.h"
#include "YVEX_h.h"

CGroup* CShapeHost::FindGroup(int id) const
{
    CShape* shape = FindShape(id);
    return shape && shape->IsGroup() ? static_cast<CGroup*>(shape) : nullptr;
}

CGroup* CShapeHost::GetLibraryGroup() const { return FindGroup(LIBRARY_ID); }
CGroup* CShapeHost::GetDefaultShapesGroup() const { return FindGroup(DEFAULT_SHAPES_ID); }
CGroup* CShapeHost::GetLayersGroup() const { return FindGroup(LAYERS_ID); }
CGroup* CShapeHost::GetSelectionGroup() const { return FindGroup(SELECTION_ID); }

std::string CShapeHost::GetDefaultFontName() const
{
    const auto* text = dynamic_cast<const CText*>(GetDefaultShape(stText));
    const std::string name = text ? text->GetFontNameA() : std::string();
    return name.empty() ? std::string("Arial") : name;
}
