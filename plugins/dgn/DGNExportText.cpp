// Texts of the drawing in the design file: the attribute kinds as attribute tags of the current
// tag set (aimed at the reference they belong to), every other text as a text element with a
// text style linkage. Positions, sizes and angles go through the export mapping.
#include <cstring>
#include <string>
#include "DGNExport.h"
#include "DesignFile.h"
#include "ElementLinkages.h"
#include "TextPlacement.h"
#include "common/RtfText.h"
#include "DGNExportCalls.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "linkages/TextStyleLinkage.h"

using namespace dgnexport;

namespace {

const double kRadiansPerDegree = CRealPoint<double>::kRadiansPerDegree;
// The control's text height is the line's; the characters take 1 / 1.3 of it.
const double kCharacterHeight = 0.7692307692307692;
const double kLineHeight = 1.3;
// Design-file height multipliers per unit of height: a text element's per character height,
// a tag's per line height (the same value per character height).
const double kTextHeightMultiplier = 166.66666666666666;
const double kTagHeightMultiplier = 128.20512820512818;
const std::uint32_t kTextFont = 32;
const std::uint16_t kTextJustification = 7;
const std::uint32_t kTagFont = 3;
const std::uint16_t kTagJustification = 7;
const std::uint16_t kTagOffsetPresent = 0x02;
// The text style linkage of an exported text: only the fields that the flags 0x8000 and the
// extended flags 0x10000 make present, the line-spacing field set to 4.
const std::uint16_t kStyleFlags = 0x8000;
const std::uint32_t kStyleExtendedFlags = 0x10000;
const std::uint32_t kStyleLineSpacing = 4;
const std::uint32_t kStyleGroupValue = 2;
const std::uint32_t kRawStyleBytes = 99;


void ReplaceAll(std::string& text, const char* from, const char* to)
{
    const std::size_t n = std::strlen(from), m = std::strlen(to);
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + m))
        text.replace(at, n, to);
}


// Fresh text style linkage data as the exporter writes it.
void SetExportedTextStyle(dgn::TextStyleData& d)
{
    d = dgn::TextStyleData();
    d.flags = kStyleFlags;
    d.extFlags = kStyleExtendedFlags;
    d.word8000 = kStyleLineSpacing;
    // The third value of the groups that the flags 0x800 and the extended flags 0x40000 make
    // present; neither is set, so they are kept but not written.
    d.words800[2] = kStyleGroupValue;
    std::memcpy(d.ext40000 + 8, &kStyleGroupValue, 4);
}

} // namespace

CString CDGNExport::CleanText(const CString& text, long type)
{
    std::string s(text.GetString(), static_cast<std::size_t>(text.GetLength()));
    if (type == ttRTF) {
        s = ReducedRtf(s);
    } else if (type == ttAttDef || type == ttAttrib || type == ttLabel) {
        // A break beside a blank goes with no trace; a lone one becomes a blank.
        static const char* const kJoined[] = {" \r\n", "\r\n ", " \n", " \r", "\n ", "\r "};
        for (const char* from : kJoined)
            ReplaceAll(s, from, "");
        ReplaceAll(s, "\r\n", " ");
        ReplaceAll(s, "\n", " ");
        ReplaceAll(s, "\r", " ");
    }
    return CString(s.c_str(), static_cast<int>(s.size()));
}

bool CDGNExport::IsTagText(long type) { return type == ttAttrib || type == ttAttDef || type == ttLabel; }

dgn::IGraphicElement* CDGNExport::InsertText(IShape* shape)
{
    if (!m_designFile)
        return nullptr;
    ITextShapePtr text = Ask<ITextShapePtr>(shape);
    Need(text.GetInterfacePtr());
    BSTR raw = nullptr;
    RaiseIfFailed(text->get_Text(&raw), text);
    TextTypes type = ttANSI;
    RaiseIfFailed(text->get_Type(&type), text);
    const CString value = CleanText(TakeText(raw), type);
    double width = 0, height = 0;
    RaiseIfFailed(text->get_Width(&width), text);
    RaiseIfFailed(text->get_Height(&height), text);
    const std::vector<ShapePoint> points = PointsOf(shape);
    const double anchorX = points.empty() ? 0.0 : points[0].x, anchorY = points.empty() ? 0.0 : points[0].y;
    Alignments alignment = alTopLeft;
    RaiseIfFailed(text->get_AlignType(&alignment), text);
    double degrees = 0;
    RaiseIfFailed(shape->get_Angle(&degrees), shape);
    double xScale = 0;
    RaiseIfFailed(text->get_XScale(&xScale), text);
    BSTR face = nullptr;
    RaiseIfFailed(text->get_FontName(&face), text);
    const CString fontName = TakeText(face);

    const double h = GetLength(height * kCharacterHeight);
    const double w = GetLength(width);
    const double angle = degrees * kRadiansPerDegree - m_rotation;
    const double lengthMultiplier = EstimateTextWidth(0.0, h, value, static_cast<float>(xScale), fontName);
    const CRealPoint<double> anchor = GetPt(anchorX, anchorY);
    double origin[2] = {anchor.x, anchor.y};
    // Counted for every text, so that the texts of a reference pair with its block's tag
    // definitions by position.
    const int position = ++m_tagCounter;

    if (IsTagText(type)) {
        dgn::CAttributeTagElement2d* tag = dgn::CAttributeTagElement2d::Create(m_designFile.get(), 0);
        if (!tag)
            return nullptr;
        tag->SetFont(kTagFont);
        tag->SetJustification(kTagJustification);
        // A tag's origin moves by the character height, a text element's by the line height.
        AlignTextOrigin(origin, alignment, h, w, angle);
        tag->SetOrigin(origin);
        tag->SetTextFactors(lengthMultiplier, GetLength(height) * kTagHeightMultiplier);
        tag->SetTagFlags(static_cast<std::uint16_t>(tag->GetTagFlags() | kTagOffsetPresent));
        tag->SetRotation2d(angle);
        // Tag definitions of a block are numbered from 3 (their names from "Tag2"), the counter
        // from 2 at a reference's first text.
        tag->SetTagId(static_cast<std::uint16_t>(position + 1));
        tag->SetStringValue(value);
        IShapePtr parent = ItemById(m_shapes, ParentOf(shape));
        const bool inReference = parent && KindOf(parent) == stReference;
        tag->SetTagSetAndTarget(m_tagSetElementId, inReference ? m_currentElementId : 0);
        tag->Touch();
        return tag;
    }

    dgn::CTextElement2d* element = dgn::CTextElement2d::Create(m_designFile.get(), 0);
    if (!element)
        return nullptr;
    if (dgn::CElementLinkages* linkages = element->GetAttributes()) {
        const std::uint8_t raw[100] = {};
        if (dgn::CTextStyleLinkage* style = linkages->AddTextStyleFromRaw(0, raw, kRawStyleBytes))
            if (dgn::TextStyleData* data = style->GetData())
                SetExportedTextStyle(*data);
    }
    dgn::TextParams2d* params = element->GetTextParams();
    params->fontNumber = kTextFont;
    params->height = h;
    params->length = w;
    params->heightMultiplier = h * kTextHeightMultiplier;
    params->lengthMultiplier = lengthMultiplier;
    params->angle = angle;
    params->justification = kTextJustification;
    params->reserved = 0;
    params->textBytes = static_cast<std::uint16_t>(value.GetLength());
    element->SetText(value);
    AlignTextOrigin(origin, alignment, h * kLineHeight, w, angle);
    params->origin.x = origin[0];
    params->origin.y = origin[1];
    element->Touch();
    return element;
}
