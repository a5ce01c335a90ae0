// Texts and tags of the DGN importer: a text element becomes a plain text anchored at its
// bottom left, a tag an attribute text, either the one of its instance's reference that carries
// its tag ID or a new one.
#include "DGNImport.h"
#include <cmath>
#include <cstdio>
#include "DgnString.h"
#include "Geometry.h"
#include "TextPlacement.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"

namespace {

const double kDegreesPerRadian = 57.29577951308239;
// A DGN character size is its multiplier times this many design units.
const double kMultiplierToUnits = 0.006;
// A text's height in the drawing over the DGN character height.
const double kHeightFactor = 1.3;

double QuaternionRotation(const double q[4])
{
    double m[16];
    dgn::QuaternionToMatrix(q, m);
    return std::atan2(m[1], m[0]);
}

} // namespace

double GetTextXScale(double width, double height, const CString& text, CString fontName)
{
    if (height == 0 || width == 0)
        return 1.0;
    double ratio = 1.0;
    if (fontName.CompareNoCase("Courier new") != 0) {
        const CString face = fontName.IsEmpty() ? CString("Arial") : fontName;
        // The measure gives the width in the face over the width in "Courier new" (1.0 when it
        // cannot measure, as without a main window): the scale wants the inverse.
        const double measured = TextWidthRatioOf(text, face);
        if (measured != 0)
            ratio = 1.0 / measured;
    }
    return width / height * ratio * 0.006593406593406594;
}

CRealPoint<double> CDGNImport::TextAnchor(const CRealPoint<double>& p, double h, double a)
{
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    return CRealPoint<double>(p.x + h * (0.27 * s - 0.15 * c), p.y + h * (0.15 * s - 0.27 * c));
}

int CDGNImport::ConvertText(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    dgn::CDgnString* text = nullptr;
    double x = 0, y = 0, rotation = 0, height = 0, width = 0;
    if (auto* t2 = dynamic_cast<dgn::TTextElement<dgn::TextParams2d>*>(element)) {
        const dgn::TextParams2d* p = t2->GetTextParams();
        text = t2->GetText();
        x = p->origin.x, y = p->origin.y, rotation = p->angle, height = p->height;
        width = p->lengthMultiplier * kMultiplierToUnits;
    } else if (auto* t3 = dynamic_cast<dgn::TTextElement<dgn::TextParams3d>*>(element)) {
        const dgn::TextParams3d* p = t3->GetTextParams();
        text = t3->GetText();
        x = p->origin.x, y = p->origin.y, rotation = QuaternionRotation(p->q), height = p->height;
        width = p->lengthMultiplier * kMultiplierToUnits;
    } else {
        return 0;
    }
    if (!text)
        return 0;
    const CRealPoint<double> origin = DGNPt(x, y);
    if (height == 0)
        return 0;
    const double h = DGNDistance(height) * kHeightFactor;
    const double a = DGNAngleRad(rotation);
    const CRealPoint<double> anchor = TextAnchor(origin, h, a);
    long id = 0;
    RaiseIfFailed(working->AddPlainText(DgnText(text), static_cast<float>(anchor.x), static_cast<float>(anchor.y),
                                        static_cast<float>(DGNDistance(width)), static_cast<float>(h), alBottomLeft,
                                        static_cast<float>(a * kDegreesPerRadian), &id),
                  working);
    out.shape = ItemById(working, id);
    out.id = out.shape ? id : 0;
    return 1;
}

namespace {

// What the conversion reads of a tag, 2-D or 3-D.
struct TagFields {
    std::uint16_t flags = 0;
    const double* origin = nullptr;
    const double* offset = nullptr;
    std::uint16_t id = 0;
    std::uint16_t type = 0;
    double width = 0;
    double height = 0;
    double rotation = 0;
    dgn::CDgnString* string = nullptr;
    std::string valueText;
    std::int32_t integer = 0;
    double real = 0;
    dgn::IElement* target = nullptr;
};

template <int D>
bool ReadTag(dgn::IElement* element, TagFields& f)
{
    auto* tag = dynamic_cast<dgn::TAttributeTagElement<D>*>(element);
    if (!tag)
        return false;
    f.flags = tag->GetTagFlags();
    f.origin = tag->GetOrigin();
    f.offset = tag->GetOffset();
    f.id = tag->GetTagId();
    f.type = tag->GetValueType();
    f.width = tag->WidthFactor();
    f.height = tag->HeightFactor();
    double orientation[4];
    tag->GetOrientation(orientation);
    f.rotation = D == 3 ? QuaternionRotation(orientation) : orientation[0];
    f.string = tag->GetDisplayString();
    f.valueText = tag->ValueText();
    f.integer = tag->GetInt32Value();
    f.real = tag->GetDoubleValue();
    f.target = tag->GetTarget();
    return true;
}

} // namespace

int CDGNImport::ConvertTag(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    TagFields f;
    if (!ReadTag<2>(element, f) && !ReadTag<3>(element, f))
        return 0;

    // The value as the tag shows it: numbers formatted, a string as it is.
    _bstr_t value;
    char number[64];
    if (f.type == dgn::kTagInt16 || f.type == dgn::kTagInt32) {
        std::snprintf(number, sizeof number, "%d", static_cast<int>(f.integer));
        value = number;
    } else if (f.type == dgn::kTagDouble) {
        std::snprintf(number, sizeof number, "%g", f.real);
        value = number;
    } else if (f.string && !f.string->IsEmpty()) {
        value = DgnText(f.string);
    } else {
        value = f.valueText.c_str();
    }

    double ox = f.origin[0], oy = f.origin[1];
    if (f.flags & 0x0002) {
        ox += f.offset[0];
        oy += f.offset[1];
    }
    const CRealPoint<double> p = DGNPt(ox, oy);

    const double h = f.height * kMultiplierToUnits;
    if (h == 0)
        return 0;
    const double height = (m_scale == 1.0 ? h : h * m_scale) * kHeightFactor;
    const double a = DGNAngleRad(f.rotation);
    const CRealPoint<double> anchor = TextAnchor(p, height, a);

    // The reference made for the tagged instance holds the attribute texts to fill in.
    IShapeCollectionPtr refs;
    if (f.target) {
        const auto instance = m_instanceTable.find(f.target);
        if (instance != m_instanceTable.end()) {
            IReferenceShapePtr reference = ItemById(working, instance->second);
            if (reference)
                RaiseIfFailed(reference->get_Shapes(&refs), reference);
        }
    }

    long id = 0;
    if (refs) {
        // The count is read again for each item.
        for (long i = 1; i <= CountOf(refs); ++i) {
            IShapePtr item = ItemAt(refs, i);
            ITextShapePtr text(item);
            if (!text)
                continue;
            TextTypes type = ttANSI;
            OLE_COLOR tagId = 0;
            RaiseIfFailed(text->get_Type(&type), text);
            RaiseIfFailed(item->get_HatchColor(&tagId), item);
            if ((type != ttAttrib && type != ttAttDef) || tagId != f.id)
                continue;
            RaiseIfFailed(text->put_Text(value), text);
            RaiseIfFailed(item->get_ID(&id), item);
            RaiseIfFailed(item->put_Angle(a * kDegreesPerRadian), item);
            RaiseIfFailed(text->put_Height(height), text);
            double x = 0, y = 0;
            RaiseIfFailed(item->get_PositionX(&x), item);
            RaiseIfFailed(item->get_PositionY(&y), item);
            RaiseIfFailed(item->Shift(anchor.x - x, anchor.y - y), item);
            break;
        }
    }
    if (!id) {
        IShapeCollectionPtr into = refs ? refs : working;
        RaiseIfFailed(into->AddPlainText(value, static_cast<float>(anchor.x), static_cast<float>(anchor.y), 0,
                                         static_cast<float>(height), alBottomLeft, static_cast<float>(a * kDegreesPerRadian),
                                         &id),
                      into);
    }

    IShapePtr shape = ItemById(working, id);
    if (!shape)
        return 1;
    if (ITextShapePtr text = shape) {
        RaiseIfFailed(text->put_Type(f.target ? ttAttrib : ttAttDef), text);
        BSTR face = nullptr;
        RaiseIfFailed(text->get_FontName(&face), text);
        const _bstr_t ownedFace(face, false);
        const CString faceName(static_cast<const wchar_t*>(ownedFace) ? static_cast<const wchar_t*>(ownedFace) : L"");
        const CString valueText(static_cast<const wchar_t*>(value) ? static_cast<const wchar_t*>(value) : L"");
        RaiseIfFailed(text->put_XScale(GetTextXScale(f.width, h, valueText, faceName)), text);
    }
    // The tag ID travels in the attribute text's hatch colour, where a later tag of the same
    // instance finds it; a text has no fill to lose.
    RaiseIfFailed(shape->put_HatchColor(f.id), shape);
    out.shape = shape;
    out.id = id;
    out.keepHatch = true;
    return 1;
}
