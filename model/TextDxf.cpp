// The text shape in DXF: TEXT, MTEXT, ATTDEF and ATTRIB entities, with what DXF cannot carry in
// the extended-data blocks "RTFTEXT DATA" and "LABELTEXT DATA".
#include "model/Text.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "interchange/DxfTextPieces.h"
#include "model/DxfTextCodes.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/RtfReader.h"
#include "model/ShapeHost.h"
#include "model/TextEditorDialog.h"
#include <cmath>
#include <cstring>
#include <string>

namespace {

const double kRadians = 0.017453292519943278;

long RoundHalfAway(double v) { return static_cast<long>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5)); }

// The font a text read from DXF measures and draws with until it is laid out again.
LOGFONTA DxfLogFont(double height, double rotation)
{
    LOGFONTA font = {};
    font.lfHeight = static_cast<LONG>(height * -10.0);
    font.lfEscapement = font.lfOrientation = -RoundHalfAway(rotation * 10.0);
    font.lfWeight = 100;
    font.lfCharSet = 1;
    font.lfOutPrecision = 7;
    font.lfQuality = 1;
    font.lfPitchAndFamily = 2;
    lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    return font;
}

// Where the frame of a plain text with the alignment begins (its lower left corner) as seen
// from its anchor: along the text for the horizontal part, across it for the vertical part.
CRealPoint FrameOffset(DWORD align, double width, double height, double gap, double degrees)
{
    const double s = std::sin(degrees * kRadians), c = std::cos(degrees * kRadians);
    double x = 0, y = 0;
    if ((align & 6) >= 6) {
        x -= width * 0.5 * c;
        y -= width * 0.5 * s;
    } else if ((align & 6) == 2) {
        x -= width * c;
        y -= width * s;
    }
    if (align & 0x10000) {
        x += height * s * 0.5;
        y -= height * c * 0.5;
    } else if ((align & 0x18) == 0) {
        x += height * s;
        y -= height * c;
    } else if ((align & 0x18) == 0x18) {
        x += gap * s;
        y -= gap * c;
    }
    return CRealPoint(static_cast<float>(x), static_cast<float>(y));
}

bool IsAttributeType(int type) { return type == ttAttrib || type == ttAttDef || type == ttLabel; }

std::string WithoutLineBreaks(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace

bool CText::IsInBlockLibrary() const
{
    return m_parent && m_parent->GetParent() && m_parent->GetParent()->GetId() == LIBRARY_ID;
}

// --- Reading ------------------------------------------------------------------------------------

HRESULT CText::ReadDxf(CDxfFile& dxf)
{
    const int keyword = dxf.GetKeywordIndex();
    if (keyword == CDxfFile::kwMtext)
        return ReadMtext(dxf);
    const int type = keyword == CDxfFile::kwAttrib ? ttAttrib : keyword == CDxfFile::kwAttdef ? ttAttDef : ttANSI;
    const bool attribute = type != ttANSI;
    m_type = type;
    m_align = 0;
    m_text.clear();
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool second = false;
    int horizontal = 0, vertical = 0, flags = 0;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        // The text comes before the extended data, which compares its rich form with it. A
        // TEXT's or ATTRIB's groups 3 right behind it carry the rest of a long one.
        case 1: {
            std::string text = dxf.GetText();
            if (type != ttAttDef)
                ReadDxfTextContinuation(dxf, 3, text);
            SetDxfText(text.c_str());
            break;
        }
        case 10: x1 = dxf.GetReal(); break;
        case 20: y1 = dxf.GetReal(); break;
        case 11: x2 = dxf.GetReal(); second = true; break;
        case 21: y2 = dxf.GetReal(); break;
        case 40: m_height = static_cast<float>(dxf.GetReal()); break;
        case 41: if (!attribute) m_xScale = static_cast<float>(dxf.GetReal()); break;
        case 50: m_rotation = dxf.GetReal(); break;
        case 70: if (attribute) flags = dxf.GetInt(); break;
        case 72: horizontal = dxf.GetInt(); break;
        case 73: if (!attribute) vertical = dxf.GetInt(); break;
        case 74: if (attribute) vertical = dxf.GetInt(); break;
        default: break;
        }
    });
    if (attribute) {
        if (flags & 0x1)
            SetStateBits(stVisible, false);
        else
            SetAttributeShown(true);
    }
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        y1 = -y1;
        y2 = -y2;
        m_rotation = m_rotation == 0.0 ? 0.0 : 360.0 - std::fmod(m_rotation, 360.0);
    }
    m_align = CDxfTextCodes::AlignFromJustification(horizontal, vertical);
    const bool first = CDxfTextCodes::AnchoredAtFirstPoint(horizontal, vertical) || !second;
    SetLogFont(DxfLogFont(m_height, m_rotation));
    if (m_control) {
        const int pointId = m_control->CreatePoint(static_cast<float>(first ? x1 : x2), static_cast<float>(first ? y1 : y2));
        if (pointId > 0)
            AddPointById(pointId, kAppend, true);
    }
    if (!attribute && horizontal == 5 && second && m_control && !m_text.empty()) {
        // A fitted text: its horizontal scale makes it span its two points.
        const double distance = std::hypot(x2 - x1, y2 - y1);
        const double measured = MeasureDxfTextWidth();
        if (distance != 0.0 && measured != 0.0)
            m_xScale = static_cast<float>(distance / measured);
    }
    SetDirty();
    return ended;
}

double CText::MeasureDxfTextWidth() const
{
    // The font is made ten times the height: the width comes back in tenths of a world unit.
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 0.0;
    LOGFONTA font = m_logFont;
    font.lfEscapement = font.lfOrientation = 0;
    HFONT handle = CreateFontIndirectA(&font);
    double width = 0.0;
    if (handle) {
        HGDIOBJ old = SelectObject(dc, handle);
        SIZE size = {};
        if (GetTextExtentPoint32A(dc, m_text.c_str(), static_cast<int>(m_text.size()), &size))
            width = size.cx / 10.0;
        SelectObject(dc, old);
        DeleteObject(handle);
    }
    ReleaseDC(nullptr, dc);
    return width;
}

HRESULT CText::ReadMtext(CDxfFile& dxf)
{
    m_type = ttRTF;
    m_align = 0;
    m_text.clear();
    std::string mtext;
    double x = 0, y = 0, dx = 0, dy = 0;
    // Group 50 turns an MTEXT that has no direction vector; other writers give one or the other.
    // Its unit is the degree, as other readers and writers take it.
    double angle = 0;
    bool angleGiven = false;
    int attachment = 0;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 1:
        case 3: mtext += dxf.GetText(); break;
        case 50:
            angle = dxf.GetReal();
            angleGiven = std::isfinite(angle);
            break;
        case 10: x = dxf.GetReal(); break;
        case 20: y = dxf.GetReal(); break;
        case 11: dx = dxf.GetReal(); break;
        case 21: dy = dxf.GetReal(); break;
        case 40: m_height = static_cast<float>(dxf.GetReal()); break;
        case 41: m_width = static_cast<float>(dxf.GetReal()); break;
        case 71: attachment = dxf.GetInt(); break;
        default: break;
        }
    });
    if (attachment >= 1 && attachment <= 9) {
        m_attachment = attachment;
        m_align = CDxfTextCodes::AlignFromAttachment(attachment);
    }
    if (dx == 0.0 && dy == 0.0 && angleGiven)
        m_rotation = angle;
    else
        m_rotation = CDxfTextCodes::RotationFromDirection(dx, dy, m_rotation);
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        y = -y;
        m_rotation = m_rotation == 0.0 ? 0.0 : 360.0 - std::fmod(m_rotation, 360.0);
    }
    // The codes our writer puts into the string come back as their characters.
    std::string rtf;
    MtextToRtf(CDxfTextCodes::Decode(mtext).c_str(), &rtf);
    StoreText(rtf.c_str(), static_cast<int>(rtf.size()));
    SetLogFont(DxfLogFont(m_height, m_rotation));
    // A rich text is anchored at its upper left corner: from the attachment point over the
    // frame's lower left corner.
    const CRealPoint anchor = MtextAnchor(CRealPoint(static_cast<float>(x), static_cast<float>(y)), true);
    if (m_control) {
        const int pointId = m_control->CreatePoint(anchor.x, anchor.y);
        if (pointId > 0)
            AddPointById(pointId, kAppend, true);
    }
    SetDirty();
    SetStateBits(stSeveralLines, true);
    return ended;
}

CRealPoint CText::MtextAnchor(const CRealPoint& point, bool fromAttachment) const
{
    const double h = std::fabs(m_height);
    const double r = m_rotation * kRadians;
    const CRealPoint frame = FrameOffset(m_align, m_width, h, 0.0, m_rotation);
    // The upper left corner lies one line above the lower left one.
    const float ux = static_cast<float>(frame.x - h * std::sin(r));
    const float uy = static_cast<float>(frame.y + h * std::cos(r));
    return fromAttachment ? CRealPoint(point.x + ux, point.y + uy) : CRealPoint(point.x - ux, point.y - uy);
}

// --- Writing ------------------------------------------------------------------------------------

bool CText::GetDxfInsertionPoint(CRealPoint* point) const
{
    if (m_points.IsEmpty())
        return false;
    const CPointRecord* anchor = m_points.GetAt(0);
    const int horizontal = CDxfTextCodes::HorizontalJustification(m_align);
    const int vertical = CDxfTextCodes::VerticalJustification(m_align);
    const double h = std::fabs(m_height);
    const double along = horizontal == 2 ? m_width : (horizontal == 1 || horizontal == 4) ? m_width * 0.5 : 0.0;
    const double across = vertical == 3 ? h : vertical == 2 ? h * 0.5 : 0.0;
    // Back along the text and down across it, as the text is turned.
    const double s = std::sin(m_rotation * kRadians), c = std::cos(m_rotation * kRadians);
    point->x = static_cast<float>(anchor->x - along * c + across * s);
    point->y = static_cast<float>(anchor->y - along * s - across * c);
    return true;
}

HRESULT CText::WriteDxf(CDxfFile& dxf)
{
    CDxfDocument* doc = m_control ? &m_control->GetDxfDocument() : nullptr;
    const bool oldVersion = doc && doc->GetOutputVersion() == 1;
    const bool mtext = m_type == ttRTF && !oldVersion;
    int keyword = CDxfFile::kwText;
    switch (m_type) {
    case ttAttrib: keyword = CDxfFile::kwAttrib; break;
    case ttRTF: keyword = mtext ? CDxfFile::kwMtext : CDxfFile::kwText; break;
    case ttAttDef: keyword = CDxfFile::kwAttdef; break;
    case ttLabel: keyword = IsInBlockLibrary() ? CDxfFile::kwAttdef : CDxfFile::kwAttrib; break;
    default: break;
    }
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(keyword));
    // MTEXT exists from the version with subclass markers on, and readers of that version find
    // its groups only under its own marker.
    WriteDxfHandle(dxf);
    if (mtext)
        dxf.WriteStringGroup(100, "AcDbEntity");
    WriteDxfCommonGroups(dxf);
    if (mtext)
        dxf.WriteStringGroup(100, "AcDbMText");

    if (!m_points.IsEmpty()) {
        CPointRecord at(*m_points.GetAt(0));
        CRealPoint insertion;
        if (mtext) {
            const CRealPoint p = MtextAnchor(CRealPoint(at.x, at.y), false);
            at.x = p.x;
            at.y = p.y;
        } else if (m_align != 0 && GetDxfInsertionPoint(&insertion)) {
            at.x = insertion.x;
            at.y = insertion.y;
        }
        at.WriteDxf(dxf, true, 0);
    }
    dxf.WriteRealGroup(40, m_height);
    if (mtext) {
        dxf.WriteRealGroup(41, m_width);
    } else {
        dxf.WriteRealGroup(41, m_xScale);
        if (m_rotation != 0.0)
            dxf.WriteRealGroup(50, m_rotation);
    }

    std::string text;
    if (mtext) {
        CRtfReader reader(1.0);
        if (reader.Parse(m_text.c_str()) == 0) {
            text = reader.Result();
        } else {
            // Not an RTF document after all: its plain text.
            text = m_text;
        }
        const std::vector<std::string> pieces = CDxfTextCodes::SplitMtext(CDxfTextCodes::Encode(text, true));
        for (size_t i = 0; i + 1 < pieces.size(); ++i)
            dxf.WriteStringGroup(3, pieces[i].c_str());
        dxf.WriteStringGroup(1, pieces.back().c_str());
    } else {
        if (m_type == ttRTF) {
            std::string plain;
            if (const_cast<CText*>(this)->ConvertText(m_text, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain, &plain))
                text = WithoutLineBreaks(plain);
        } else {
            text = m_text;
        }
        // A TEXT or ATTRIB longer than one group goes on in groups 3, which our reader joins and
        // other readers pass over (neither entity has a 3 of its own). An ATTDEF's 3 is its
        // prompt: its text must fit one group, or the write fails.
        const std::string encoded = CDxfTextCodes::Encode(text, false);
        if (keyword == CDxfFile::kwAttdef)
            dxf.WriteStringGroup(1, encoded.c_str());
        else
            WriteDxfTextPieces(dxf, 1, 3, encoded.c_str(), CDxfFile::kMaxTextLength);
    }

    if (mtext) {
        dxf.WriteIntGroup(71, CDxfTextCodes::AttachmentFromAlign(m_align));
        const double r = m_rotation * kRadians;
        dxf.WriteRealGroup(11, 10.0 * std::cos(r));
        dxf.WriteRealGroup(21, 10.0 * std::sin(r));
        dxf.WriteRealGroup(31, 0.0);
    } else if (m_align != 0x18) {
        const int horizontal = CDxfTextCodes::HorizontalJustification(m_align);
        const int vertical = CDxfTextCodes::VerticalJustification(m_align);
        if (horizontal != 0)
            dxf.WriteIntGroup(72, horizontal);
        if (!m_points.IsEmpty())
            CPointRecord(*m_points.GetAt(0)).WriteDxf(dxf, true, 1);
        if (vertical != 0)
            dxf.WriteIntGroup(IsAttributeType(m_type) ? 74 : 73, vertical);
    }
    if (IsAttributeType(m_type)) {
        dxf.WriteIntGroup(70, (m_state & stVisible) ? 0 : 1);
        dxf.WriteStringGroup(2, "TAG");
        if (IsInBlockLibrary())
            dxf.WriteStringGroup(3, "Prompt");
    }
    WriteXData(dxf);
    return 1;
}

int CText::WriteXDataOwn(CDxfFile& dxf)
{
    CDxfDocument* doc = m_control ? &m_control->GetDxfDocument() : nullptr;
    if (m_type == ttRTF && doc && doc->GetOutputVersion() == 1) {
        dxf.WriteStringGroup(1000, CDxfFile::KeywordFromIndex(CDxfFile::kwRtfTextData));
        std::string rtf;
        rtf.reserve(m_text.size());
        for (size_t i = 0; i < m_text.size(); ++i) {
            if (m_text[i] == '\r' && i + 1 < m_text.size() && m_text[i + 1] == '\n') {
                const bool beforeControl = i + 2 < m_text.size() && m_text[i + 2] == '\\';
                if (!beforeControl)
                    rtf += ' ';
                ++i;
                continue;
            }
            rtf += m_text[i];
        }
        // Extended-data strings hold 255 bytes for other readers: a longer RTF goes on in
        // further groups 1000, which our reader joins up to the width's 1040.
        WriteDxfTextPieces(dxf, 1000, 1000, rtf.c_str(), 255);
        dxf.WriteRealGroup(1040, m_width);
        dxf.WriteRealGroup(1040, m_xScale);
    } else if (m_type == ttLabel) {
        dxf.WriteStringGroup(1000, CDxfFile::KeywordFromIndex(CDxfFile::kwLabelTextData));
    }
    return 1;
}

int CText::ReadXDataOwn(CDxfFile& dxf)
{
    switch (dxf.GetKeywordIndex()) {
    case CDxfFile::kwRtfTextData: {
        if (!dxf.ReadExpectedGroup(1000))
            return 1;
        // A long RTF comes in several groups 1000, up to the 1040 of the width.
        std::string rtf = dxf.GetText();
        ReadDxfTextContinuation(dxf, 1000, rtf);
        std::string plain;
        if (ConvertText(rtf, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain, &plain)) {
            plain = WithoutLineBreaks(plain);
            plain.erase(0, plain.find_first_not_of(' ') == std::string::npos ? plain.size() : plain.find_first_not_of(' '));
            // Unless another program changed the TEXT, its rich form comes back.
            if (plain == m_text)
                StoreText(rtf.c_str(), static_cast<int>(rtf.size()));
        }
        SetType(ttRTF);
        SetDirty();
        if (!dxf.ReadExpectedGroup(1040))
            return 1;
        m_width = static_cast<float>(dxf.GetReal());
        if (!dxf.ReadExpectedGroup(1040))
            return 1;
        const float stored = static_cast<float>(dxf.GetReal());
        if (stored != 0.0f && stored != m_xScale)
            m_width *= m_xScale / stored;
        return 1;
    }
    case CDxfFile::kwLabelTextData:
        m_type = ttLabel;
        return 1;
    default:
        return 0;
    }
}
