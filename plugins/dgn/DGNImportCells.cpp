// The containers of the DGN importer: a cell header becomes a group of its converted
// components, a text node a group of its texts, a shared cell definition a named block of the
// library group, and a shared cell instance a reference to that block.
#include "DGNImport.h"
#include <cmath>
#include <memory>
#include "DgnString.h"
#include "EntityIterator.h"
#include "elements/CellHeaderElement.h"
#include "elements/SharedCellElements.h"
#include "elements/TextNodeElement2d.h"

namespace {

const double kDegreesPerRadian = 57.29577951308238;

// Rotation and scales of a shared cell's placement (row vectors: t0, t1 its first row, t4, t5
// its second): the cell is turned by r, then scaled along the axes.
struct CellPlacement {
    double rotation = 0;
    double sx = 1.0;
    double sy = 1.0;
};

CellPlacement PlacementOf(const double* t)
{
    CellPlacement out;
    out.rotation = std::atan2(t[1], t[0]);
    const double c = std::cos(out.rotation);
    const double s = std::sin(out.rotation);
    if (std::fabs(c) < std::fabs(s)) {
        // Turned by nearly a quarter: t0 and t5 hold little or nothing of the scales (at exactly
        // 90 degrees both are 0); the other diagonal has them.
        out.sx = t[1] / s;
        out.sy = -t[4] / s;
    } else if (t[0] != 0) {
        // Divided by cos r also when t1 is 0: a placement turned by pi (t0 < 0, t1 = 0) has r = pi,
        // and a negative t0 kept as the scale would mirror the turned cell back onto itself.
        out.sx = t[0] / c;
        out.sy = t[5] / c;
    }
    return out;
}

} // namespace

bool CDGNImport::TakeFirstShapesLook(IShapePtr group, IShapeCollectionPtr& members)
{
    IShapePtr first = ItemAt(members, 1);
    if (!first)
        return false;
    OLE_COLOR colour = 0;
    long layer = 0;
    RaiseIfFailed(first->get_PenColor(&colour), first);
    RaiseIfFailed(first->get_LayerShapeID(&layer), first);
    RaiseIfFailed(group->put_PenColor(colour), group);
    RaiseIfFailed(group->put_LayerShapeID(layer), group);
    return true;
}

int CDGNImport::ConvertCell(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    dgn::CDgnString* name = nullptr;
    if (auto* c2 = dynamic_cast<dgn::TCellHeaderElement<2>*>(element))
        name = c2->GetName();
    else if (auto* c3 = dynamic_cast<dgn::TCellHeaderElement<3>*>(element))
        name = c3->GetName();
    else
        return 0;

    long groupId = 0;
    RaiseIfFailed(working->AddGroup(stGroup, &groupId), working);
    if (groupId < 1)
        return 0;
    IGroupShapePtr group = ItemById(working, groupId);
    if (!group)
        return 0;
    RaiseIfFailed(group->put_Name(DgnText(name)), group);
    IShapeCollectionPtr members;
    RaiseIfFailed(group->get_Shapes(&members), group);
    std::unique_ptr<dgn::CEntityIterator> children(element->CreateChildIterator(nullptr));
    if (!children || !members)
        return 0;

    const long saved = m_currentGroupId;
    m_currentGroupId = groupId;
    bool counted = false;
    while (dgn::IEntity* child = children->Next()) {
        auto* component = dynamic_cast<dgn::IElement*>(child);
        if (!component)
            continue;
        const int result = GetShape(component, members);
        if (counted)
            continue;
        if (!result) {
            counted = true;
            continue;
        }
        // The group takes the colour and layer of its first shape.
        counted = TakeFirstShapesLook(group, members);
    }
    m_currentGroupId = saved;

    if (CountOf(members) == 0) {
        IShapeCollectionPtr site = SiteShapes();
        RaiseIfFailed(site->DeleteByID(groupId), site);
        return 0;
    }
    out.shape = group;
    out.id = groupId;
    return 1;
}

int CDGNImport::ConvertSharedCellDefinition(dgn::IElement* element)
{
    auto* definition = dynamic_cast<dgn::CSharedCellDefinitionElement*>(element);
    if (!definition)
        return 0;
    const std::string name = NarrowText(definition->GetName());
    double origin[3] = {0, 0, 0};
    definition->GetOrigin(origin);
    const CellPlacement placement = PlacementOf(definition->GetMatrix());

    const auto known = m_blockTable.find(name);
    if (known != m_blockTable.end() && known->second != 0)
        return 1;

    long blockId = 0;
    RaiseIfFailed(m_libraryShapes->AddGroup(stGroup, &blockId), m_libraryShapes);
    IGroupShapePtr block = ItemById(m_libraryShapes, blockId);
    if (!block)
        return 0;
    RaiseIfFailed(block->put_Name(DgnText(definition->GetName())), block);
    RaiseIfFailed(block->put_LayerShapeID(1), block);
    IShapeCollectionPtr members;
    RaiseIfFailed(block->get_Shapes(&members), block);
    std::unique_ptr<dgn::CEntityIterator> children(element->CreateChildIterator(nullptr));
    if (!children || !members) {
        RaiseIfFailed(m_libraryShapes->DeleteByID(blockId), m_libraryShapes);
        return 0;
    }

    // The components are drawn about the definition's origin, unrotated and unshifted: the
    // references carry insertion point, rotation and scales.
    const float rotation = m_rotation;
    const float viewRotation = m_viewRotation;
    const long shiftX = m_shiftX;
    const long shiftY = m_shiftY;
    const CRealPoint<double> pivot = m_viewPivot;
    const long savedGroup = m_currentGroupId;
    m_currentGroupId = blockId;
    m_rotation = 0;
    m_viewRotation = 0;
    m_shiftX = 0;
    m_shiftY = 0;
    m_viewPivot = CRealPoint<double>(0, 0);
    // The shift takes the origin off (it moves the origin to the block's base point, (0, 0)).
    const CRealPoint<double> base = DGNPt(origin[0], origin[1]);
    m_shiftX = -static_cast<long>(std::trunc(base.x));
    m_shiftY = -static_cast<long>(std::trunc(base.y));
    while (dgn::IEntity* child = children->Next()) {
        if (auto* component = dynamic_cast<dgn::IElement*>(child))
            GetShape(component, members);
    }
    m_rotation = rotation;
    m_viewRotation = viewRotation;
    m_viewPivot = pivot;
    m_currentGroupId = savedGroup;
    m_shiftX = shiftX;
    m_shiftY = shiftY;

    m_blockTable.insert(std::make_pair(name, blockId));
    if (placement.rotation != 0)
        RaiseIfFailed(block->Rotate(0, 0, static_cast<float>(placement.rotation * kDegreesPerRadian)), block);
    if (placement.sx != 1.0 || placement.sy != 1.0)
        RaiseIfFailed(block->Scale(0, 0, static_cast<float>(placement.sx), static_cast<float>(placement.sy)), block);
    return 1;
}

int CDGNImport::ConvertSharedCellInstance(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    auto* instance = dynamic_cast<dgn::ISymRef*>(element);
    if (!instance)
        return 0;
    dgn::CSharedCellDefinitionElement* definition = instance->ResolveDefinition() ? instance->GetDefinition() : nullptr;
    const std::string name = NarrowText(definition ? definition->GetName() : instance->GetName());
    auto block = m_blockTable.find(name);
    // A definition that comes after its first instance in the file becomes its block now.
    if ((block == m_blockTable.end() || block->second == 0) && definition) {
        GetShape(definition, m_libraryShapes);
        block = m_blockTable.find(name);
    }
    if (block == m_blockTable.end() || block->second == 0)
        return 0;

    double origin[3] = {0, 0, 0};
    instance->GetOrigin(origin);
    const CRealPoint<double> ins = DGNPt(origin[0], origin[1]);
    long referenceId = 0;
    RaiseIfFailed(working->AddReference(block->second, &referenceId, VARIANT_FALSE, static_cast<float>(ins.x),
                                        static_cast<float>(ins.y)),
                  working);
    if (referenceId == 0)
        return 1;
    const CellPlacement placement = PlacementOf(instance->GetMatrix());
    IReferenceShapePtr reference = ItemById(working, referenceId);
    if (!reference)
        return 1;
    RaiseIfFailed(reference->Scale(static_cast<float>(ins.x), static_cast<float>(ins.y), static_cast<float>(placement.sx),
                                   static_cast<float>(placement.sy)),
                  reference);
    RaiseIfFailed(reference->put_RotationAngle(DGNAngleRad(placement.rotation) * kDegreesPerRadian), reference);
    out.shape = reference;
    out.id = referenceId;
    m_instanceTable[element] = referenceId;
    return 1;
}

int CDGNImport::ConvertTextNode(dgn::IElement* element, IShapeCollectionPtr& working)
{
    if (!dynamic_cast<dgn::CTextNodeElement*>(element))
        return 0;
    std::unique_ptr<dgn::CEntityIterator> children(element->CreateChildIterator(nullptr));
    if (!children)
        return 1;
    long groupId = 0;
    RaiseIfFailed(working->AddGroup(stGroup, &groupId), working);
    if (groupId <= 0)
        return 1;
    IShapePtr group = ItemById(working, groupId);
    if (!group)
        return 1;
    IShapeCollectionPtr members;
    RaiseIfFailed(group->get_Shapes(&members), group);
    if (!members)
        return 1;
    while (dgn::IEntity* child = children->Next()) {
        auto* component = dynamic_cast<dgn::IElement*>(child);
        if (!component || !GetShape(component, members) || CountOf(members) != 1)
            continue;
        // A node of one text takes its layer and colour.
        TakeFirstShapesLook(group, members);
    }
    if (CountOf(members) == 0) {
        IShapeCollectionPtr site = SiteShapes();
        RaiseIfFailed(site->DeleteByID(groupId), site);
    }
    return 1;
}
