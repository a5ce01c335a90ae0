#include "ui/ShapeNamePickList.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "YVEX_h.h"

namespace {

// The name a group or layer is listed under (empty for any other shape).
std::string ListedName(CShape* shape)
{
    switch (shape->GetShapeType()) {
    case stLayer: return static_cast<CLayer*>(shape)->GetName();
    case stGroup: {
        const std::wstring& wide = static_cast<CGroup*>(shape)->GetName();
        if (wide.empty())
            return std::string();
        const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
        std::string name(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0)
            WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &name[0], n, nullptr, nullptr);
        return name;
    }
    default: return std::string();
    }
}

} // namespace

bool CShapeNamePickList::Fill(int currentId)
{
    bool added = FillSpecials(currentId);
    if (!m_shapes)
        return added;
    for (CShape* shape : *m_shapes) {
        if (!shape)
            continue;
        const std::string name = ListedName(shape);
        if (name.empty())
            continue;
        added |= AddEntry(shape->GetId(), name.c_str(), shape->GetId() == currentId) >= 0;
    }
    return added;
}

CShape* CShapeNamePickList::Find(int id) const
{
    if (!m_shapes)
        return nullptr;
    for (CShape* shape : *m_shapes)
        if (shape && shape->GetId() == id)
            return shape;
    return nullptr;
}
