// Blocks of the drawing in the design file: each block a shared cell definition (with a tag set
// of its texts when asked), each placement a shared cell instance naming it.
#include <cmath>
#include <cstdio>
#include "DGNExport.h"
#include "DGNExportCalls.h"
#include "DesignFile.h"
#include "elements/SharedCellElements.h"
#include "elements/TagElements.h"

using namespace dgnexport;

namespace {

const double kRadiansPerDegree = CRealPoint<double>::kRadiansPerDegree;
// A block's definition: its pen weight to a DGN weight, and the properties it is written with.
const double kBlockWeightFactor = 0.3;
const std::uint16_t kDefinitionProperties = 0x4200;


// Puts a saved value back on every way out.
template <class T>
class CRestore
{
public:
    CRestore(T& field, T value) : m_field(field), m_saved(field) { field = value; }
    ~CRestore() { m_field = m_saved; }

private:
    T& m_field;
    T m_saved;
};

// Applies the 2-D linear part (rows r0 and r1) and a translation to the instance.
void Place(dgn::ISymRef* instance, double a, double b, double c, double d, double x = 0, double y = 0, double z = 0)
{
    const double m[16] = {a, b, 0, 0, c, d, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    instance->Transform(m);
}

} // namespace

void CDGNExport::SetDesignFile(dgn::CDesignFile* file) { m_designFile.reset(file); }

dgn::ISymRef* CDGNExport::CreateSymRef(CString cellName, double angleDegrees, double scaleX, double scaleY, double x, double y)
{
    dgn::ISymRef* instance = m_designFile ? dgn::ISymRef::Create(m_designFile.get(), 0) : nullptr;
    if (!instance)
        return nullptr;
    instance->GetName()->Set(cellName);
    // Scaled along the cell's own axes first, then turned: each row is a scaled axis turned by
    // the angle, so a turned cell with unequal scales keeps its right angles and its angle.
    const double a = angleDegrees * kRadiansPerDegree;
    Place(instance, std::cos(a) * scaleX, std::sin(a) * scaleX, -std::sin(a) * scaleY, std::cos(a) * scaleY);
    if (m_rotation != 0) {
        const double r = -static_cast<double>(m_rotation);
        Place(instance, std::cos(r), std::sin(r), -std::sin(r), std::cos(r));
    }
    const float z = GetNextZ(0);
    Place(instance, 1, 0, 0, 1, x, y, z);
    instance->Touch();
    return instance;
}

// Saves the export transformation and sets rotation, base point and shift to 0 (the scale
// stays): a block is written in its own coordinates. Restored on every way out.
class CDGNExport::COwnCoordinates
{
public:
    explicit COwnCoordinates(CDGNExport& e) : m_e(e), m_rotation(e.m_rotation), m_base(e.m_base), m_shift(e.m_shift)
    {
        e.m_rotation = 0;
        e.m_base = CRealPoint<double>();
        e.m_shift = CRealPoint<double>();
    }
    ~COwnCoordinates()
    {
        m_e.m_rotation = m_rotation;
        m_e.m_base = m_base;
        m_e.m_shift = m_shift;
    }

private:
    CDGNExport& m_e;
    float m_rotation;
    CRealPoint<double> m_base, m_shift;
};

CString CDGNExport::ExportBlock(long blockId, int withTags)
{
    IShapePtr item = ItemById(m_shapes, blockId);
    IGroupShapePtr group = Ask<IGroupShapePtr>(item);
    if (!group || !m_designFile)
        return CString();
    const CString name = NameOf(group);
    IShapeCollectionPtr children = ChildrenOf(item);
    m_tagCounter = 1;

    if (withTags) {
        dgn::CTagSetDefinitionElement* set = nullptr;
        for (long i = 1; i <= CountOf(children); ++i) {
            IShapePtr child = ItemOf(children, i);
            if (!child || KindOf(child) != stText)
                continue;
            ITextShapePtr text = Ask<ITextShapePtr>(child);
            if (!text)
                continue;
            if (!set) {
                set = dgn::CTagSetDefinitionElement::Create(m_designFile.get(), 0);
                if (!set)
                    break;
                set->SetName(name);
                set->GetElementId(&m_tagSetElementId);
                m_tagSets[blockId] = static_cast<unsigned long>(m_tagSetElementId);
            }
            const int c = ++m_tagCounter;
            char tagName[32];
            std::snprintf(tagName, sizeof tagName, "Tag%d", c);
            BSTR rawText = nullptr;
            RaiseIfFailed(text->get_Text(&rawText), text);
            const CString value = TakeText(rawText);
            set->AddTagDefinition(dgn::kTagString, static_cast<std::uint16_t>(c + 1), 0, value, tagName, value.GetString());
            set->Touch();
        }
    }

    dgn::CSharedCellDefinitionElement* definition = dgn::CSharedCellDefinitionElement::Create(m_designFile.get(), 0);
    if (!definition)
        return CString();
    const double origin[3] = {0, 0, 0};
    definition->SetOrigin(origin);
    definition->GetName()->Set(name);
    m_tagCounter = 1;
    long level = 0;
    bool levelFound = false;
    {
        COwnCoordinates own(*this);
        for (long i = 1; i <= CountOf(children); ++i) {
            IShapePtr child = ItemOf(children, i);
            dgn::IEntity* entity = child ? InsertShape(child, 0, 1, 0) : nullptr;
            auto* element = dynamic_cast<dgn::IGraphicElement*>(entity);
            if (!element)
                continue;
            if (!levelFound) {
                auto found = m_layerLevels.find(LayerOf(child));
                if (found != m_layerLevels.end()) {
                    level = found->second;
                    levelFound = true;
                }
            }
            // Texts other than ANSI and RTF (the attribute definitions) are not drawn in the cell.
            if (KindOf(child) == stText) {
                if (ITextShapePtr text = Ask<ITextShapePtr>(child)) {
                    TextTypes type = ttANSI;
                    RaiseIfFailed(text->get_Type(&type), text);
                    if (type != ttANSI && type != ttRTF)
                        element->SetProperties(static_cast<std::uint16_t>(element->GetProperties() | dgn::kPropertyInvisible));
                }
            }
            definition->AddChild(element);
        }
    }
    if (!levelFound) {
        auto found = m_layerLevels.find(LayerOf(item));
        if (found != m_layerLevels.end()) {
            level = found->second;
            levelFound = true;
        }
    }
    if (levelFound)
        definition->SetLevel(static_cast<std::int32_t>(level));
    OLE_COLOR pen = 0;
    RaiseIfFailed(item->get_PenColor(&pen), item);
    definition->SetColor(GetNearestColor(pen));
    float weight = 0;
    RaiseIfFailed(item->get_PenWeight(&weight), item);
    definition->SetWeight(static_cast<std::int32_t>(weight * kBlockWeightFactor));
    definition->SetProperties(kDefinitionProperties);
    definition->Touch();
    const CString result(definition->GetName()->CStr());
    m_blockNames.emplace(blockId, result);
    return result;
}

dgn::IGraphicElement* CDGNExport::InsertReference(IShape* shape, unsigned graphicGroup)
{
    IReferenceShapePtr reference = Ask<IReferenceShapePtr>(shape);
    if (!reference)
        return nullptr;
    long blockId = 0;
    RaiseIfFailed(reference->get_BlockGroupShapeID(&blockId), reference);
    auto named = m_blockNames.find(blockId);
    CString name = named != m_blockNames.end() ? named->second : CString();
    if (name.IsEmpty())
        name = ExportBlock(blockId, 0);
    if (name.IsEmpty())
        return nullptr;
    double x = 0, y = 0, angle = 0, scaleX = 1, scaleY = 1;
    RaiseIfFailed(shape->get_PositionX(&x), shape);
    RaiseIfFailed(shape->get_PositionY(&y), shape);
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    RaiseIfFailed(reference->get_XScale(&scaleX), reference);
    RaiseIfFailed(reference->get_YScale(&scaleY), reference);
    const CRealPoint<double> at = GetPt(x, y);
    dgn::ISymRef* instance = CreateSymRef(name, angle, scaleX, scaleY, at.x, at.y);
    if (!instance)
        return nullptr;
    auto tagSet = m_tagSets.find(blockId);
    if (tagSet != m_tagSets.end())
        m_tagSetElementId = tagSet->second;
    std::uint64_t instanceId = 0;
    instance->GetElementId(&instanceId);
    // The tags of its texts aim at the instance while they are written.
    CRestore<std::uint64_t> target(m_currentElementId, instanceId);
    m_tagCounter = 1;
    IShapeCollectionPtr children = ChildrenOf(shape);
    for (long i = 1; i <= CountOf(children); ++i) {
        IShapePtr child = ItemOf(children, i);
        if (!child)
            continue;
        VARIANT_BOOL custom = VARIANT_FALSE;
        if (KindOf(child) != stText)
            RaiseIfFailed(child->get_ProtectionFlag(sdbfCustomChild, &custom), child);
        if (KindOf(child) == stText || custom)
            InsertShape(child, graphicGroup, 1, 0);
    }
    return instance;
}

int CDGNExport::CopyBlockTexts(long, IShapePtr shape, CRealRect<float>&, int)
{
    shape = nullptr;
    return TRUE;
}
