// The text shape: its data and their setters, the frame every geometric operation uses, hit
// testing, the transforms, the editing by its handles and the textShapes row.
#include "model/Text.h"
#include "com/AnsiText.h"
#include "model/FontCache.h"
#include "model/Geometry.h"
#include "model/Image.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ShapeKindSql.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>


bool IsBlankText(const char* text, int length)
{
    if (!text)
        return true;
    for (int i = 0; i < length && text[i]; ++i)
        if (!std::isspace(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// --- Construction ------------------------------------------------------------------------------

CText::CText(CShapeHost* control, int id) : CShape(id, control) { m_shapeType = stText; }

CText::CText(int id, const CText& source)
    : CShape(id, source), m_attachment(source.m_attachment), m_width(source.m_width),
      m_lineHeight(source.m_lineHeight), m_lineGap(source.m_lineGap), m_fontName(source.m_fontName),
      m_charset(source.m_charset), m_fontStyle(source.m_fontStyle), m_drawnAngle(static_cast<float>(source.m_rotation)),
      m_type(source.m_type), m_rotation(source.m_rotation), m_align(source.m_align), m_text(source.m_text),
      m_height(source.m_height), m_xScale(source.m_xScale), m_hitMode(source.m_hitMode),
      m_savedState(source.m_savedState)
{
    m_shapeType = stText;
    if (source.m_fields)
        m_fields = std::make_unique<std::vector<CTextField>>(*source.m_fields);
    CountLines(m_text.c_str(), static_cast<int>(m_text.size()));
}

CText::~CText()
{
    if (m_metafile)
        DeleteEnhMetaFile(m_metafile);
}

const CPointRecord* CText::Anchor() const { return m_points.IsEmpty() ? nullptr : m_points.GetAt(0); }

// --- Data ----------------------------------------------------------------------------------------

void CText::SetTextType(int type)
{
    if (type == m_type)
        return;
    m_type = type;
    CountLines(m_text.c_str(), static_cast<int>(m_text.size()));
    SetDirty();
}

void CText::StoreText(const char* text, int length)
{
    if (!text)
        length = 0;
    else if (length < 0)
        length = static_cast<int>(std::strlen(text));
    const int oldLength = static_cast<int>(m_text.size());
    if (IsBlankText(text, length))
        m_text.clear();
    else
        m_text.assign(text, static_cast<size_t>(length));
    // A plain text keeps its characters' width.
    if (m_type != ttRTF && oldLength > 0 && m_width != 0.0f)
        m_width = m_width * static_cast<float>(m_text.size()) / oldLength;
    CountLines(m_text.c_str(), static_cast<int>(m_text.size()));
    SetDirty();
    SetExtentCached(false);
}

void CText::CountLines(const char* text, int length)
{
    int lines = 1, longest = 0, current = 0;
    if (m_type == ttRTF) {
        // A rich text lays its lines out itself.
        m_lineCount = 1;
        m_longestLine = length;
        SetStateBits(stSeveralLines, false);
        return;
    }
    for (int i = 0; text && i < length; ++i) {
        if (text[i] == '\n') {
            longest = std::max(longest, current);
            current = 0;
            ++lines;
            // A carriage return just after the line feed belongs to the break.
            if (i + 1 < length && text[i + 1] == '\r')
                ++i;
        } else if (!(text[i] == '\r' && i + 1 < length && text[i + 1] == '\n')) {
            ++current;
        }
    }
    m_longestLine = std::max(longest, current);
    m_lineCount = lines;
    SetStateBits(stSeveralLines, lines > 1);
}

void CText::SetHeight(float height)
{
    if (height != m_height)
        SetDirty();
    m_height = height;
    SetExtentCached(false);
}

void CText::SetWidth(float width)
{
    if (width != m_width)
        SetDirty();
    const float old = m_width;
    m_width = width;
    if (m_type != ttRTF && old != 0.0f)
        m_xScale = width / old * (m_xScale != 0.0f ? m_xScale : 1.0f);
    SetExtentCached(false);
}

void CText::SetXScale(float scale)
{
    if (scale != m_xScale)
        SetDirty();
    m_xScale = scale;
}

void CText::SetRotation(double degrees)
{
    if (degrees != m_rotation)
        SetDirty();
    m_rotation = degrees;
    SetExtentCached(false);
}

void CText::SetAlignType(DWORD align)
{
    // Both vertical bits are the baseline, which only a DXF file brings.
    if ((align & 0x18) == 0x18)
        align = (align & 0x10000) ? ((align & 6) | 0x10000) : ((align & 6) | 8);
    if (align != m_align)
        SetDirty();
    m_align = align;
    SetExtentCached(false);
}

std::string CText::GetFontNameA() const { return ycom::WideToAnsi(m_fontName); }

void CText::SetFontName(const wchar_t* name)
{
    const std::wstring value = name ? name : L"";
    if (value != m_fontName)
        SetDirty();
    m_fontName = value;
}

void CText::SetFontNameA(const char* name)
{
    std::wstring wide;
    if (name && *name) {
        const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
        wide.assign(n > 0 ? n - 1 : 0, L'\0');
        if (n > 1)
            MultiByteToWideChar(CP_ACP, 0, name, -1, &wide[0], n);
    }
    SetFontName(wide.c_str());
}

void CText::SetCharset(int charset)
{
    if (charset != m_charset)
        SetDirty();
    m_charset = charset;
}

void CText::SetFontStyle(DWORD style)
{
    if (style != m_fontStyle)
        SetDirty();
    // Bold is a heavier pen.
    if ((style ^ m_fontStyle) & 0x8)
        m_penWeight = (style & 0x8) ? 10.0f : 0.0f;
    m_fontStyle = style;
}

void CText::SetFieldList(const std::vector<CTextField>* fields)
{
    m_fields = fields ? std::make_unique<std::vector<CTextField>>(*fields) : nullptr;
    SetDirty();
}

void CText::SetAttributeShown(bool shown) { m_savedState = shown ? (m_state | stVisible) : (m_state & ~stVisible); }

bool CText::IsAttributeShown() { return (m_state & stVisible) != 0; }

bool CText::IsAttributeOrLabel() { return m_type == ttAttrib || m_type == ttAttDef || m_type == ttLabel; }

double CText::GetAngle() { return m_rotation; }

int CText::GetClassShapeType() { return stText; }

void CText::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_TextShape;
}

int CText::AlignPointTo(float x, float y, int* index, CRealPoint* point)
{
    if (!CShape::AlignPointTo(x, y, index, point))
        return 0;
    return -1;
}

// --- Frame and geometry --------------------------------------------------------------------------

bool CText::GetTextFrame(CRealPoint frame[5])
{
    const CPointRecord* anchor = Anchor();
    if (!anchor)
        return false;
    RecalcExtent();
    const double a = m_rotation * kDegreesToRadians;
    const double s = std::sin(a), c = std::cos(a);
    double h = m_height < 0 ? -m_lineHeight : m_lineHeight;
    if (h == 0.0)
        h = m_height;
    if (m_state & stSeveralLines)
        h *= m_lineCount;
    double x = anchor->x, y = anchor->y;
    if (m_type == ttRTF) {
        // The anchor is the top left corner.
        x += h * s;
        y -= h * c;
    } else {
        if ((m_align & 6) >= 6) {
            x -= m_width * 0.5 * c;
            y -= m_width * 0.5 * s;
        } else if ((m_align & 6) == 2) {
            x -= m_width * c;
            y -= m_width * s;
        }
        if (m_align & 0x10000) {
            x += h * s * 0.5;
            y -= h * c * 0.5;
        } else if ((m_align & 0x18) == 0) {
            x += h * s;
            y -= h * c;
        } else if ((m_align & 0x18) == 0x18) {
            x += m_lineGap * s;
            y -= m_lineGap * c;
        }
    }
    auto at = [](double px, double py) { return CRealPoint(static_cast<float>(px), static_cast<float>(py)); };
    const double x1 = x + m_width * c, y1 = y + m_width * s;
    frame[0] = at(x, y);
    frame[1] = at(x1, y1);
    frame[2] = at(x1 - h * s, y1 + h * c);
    frame[3] = at(x - h * s, y + h * c);
    frame[4] = at(x, y);
    return true;
}

int CText::GetHandlePoints(CRealPoint* points, int capacity)
{
    const int count = m_type == ttRTF ? 3 : 1;
    if (!points)
        return count;
    const CPointRecord* anchor = Anchor();
    if (!anchor || capacity < count)
        return 0;
    points[0] = *anchor;
    if (count == 3) {
        const double a = m_rotation * kDegreesToRadians;
        const double s = std::sin(a), c = std::cos(a);
        double h = m_height < 0 ? -m_lineHeight : m_lineHeight;
        if (h == 0.0)
            h = m_height;
        const double x = anchor->x + h * 0.5 * s, y = anchor->y - h * 0.5 * c;
        points[1] = CRealPoint(static_cast<float>(x), static_cast<float>(y));
        points[2] = CRealPoint(static_cast<float>(x + m_width * c), static_cast<float>(y + m_width * s));
    }
    return count;
}

HRESULT CText::GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>*, DWORD)
{
    const CPointRecord* anchor = Anchor();
    if (!anchor)
        return E_FAIL;
    float l = anchor->x, r = anchor->x, t = anchor->y, b = anchor->y;
    CRealPoint frame[5];
    if (!m_text.empty() && GetTextFrame(frame)) {
        for (const CRealPoint& p : frame) {
            l = std::min(l, p.x), r = std::max(r, p.x);
            t = std::max(t, p.y), b = std::min(b, p.y);
        }
    }
    if (left)
        *left = l;
    if (top)
        *top = t;
    if (right)
        *right = r;
    if (bottom)
        *bottom = b;
    return S_OK;
}

int CText::GetNearestPoint(const CRealPoint& point, CRealPoint* nearest)
{
    CRealPoint frame[5];
    if (!GetTextFrame(frame))
        return 0;
    CRealPoint found;
    NearestPointOnPolyline(frame + 1, 4, point, &found, true);
    if (nearest)
        *nearest = found;
    return 1;
}

BOOL CText::HitTest(float x, float y)
{
    if (!CShape::HitTest(x, y))
        return FALSE;
    CRealPoint frame[5];
    if (!m_control || m_points.GetCount() != 1 || !GetTextFrame(frame))
        return FALSE;
    const CViewMapping& view = m_control->GetCurrentViewport();
    POINT d[5];
    for (int i = 0; i < 5; ++i)
        d[i] = view.WorldToDevice(frame[i]);
    const long px = static_cast<long>(x), py = static_cast<long>(y);
    if (m_hitMode == kHitFrame)
        return PointInPolygon(d + 1, 4, px, py, nullptr) ? TRUE : FALSE;
    if (m_hitMode != kHitBorder)
        return FALSE;
    for (int i = 1; i < 5; ++i) {
        const double ax = d[i].x - px, ay = d[i].y - py;
        if (ax * ax + ay * ay < 9.0)
            return TRUE;
        CRealPoint foot;
        const CRealPoint p(static_cast<float>(px), static_cast<float>(py));
        ProjectPointOnLine(p, CRealPoint(static_cast<float>(d[i].x), static_cast<float>(d[i].y)),
                           CRealPoint(static_cast<float>(d[i % 4 + 1].x), static_cast<float>(d[i % 4 + 1].y)), true, &foot);
        const double fx = foot.x - px, fy = foot.y - py;
        if (fx * fx + fy * fy < 9.0)
            return TRUE;
    }
    return FALSE;
}

// --- Transforms ---------------------------------------------------------------------------------

int CText::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    if (!CShape::Rotate(xc, yc, degrees, visited, force))
        return 0;
    m_rotation += degrees;
    if (degrees != 0.0)
        SetDirty();
    SetExtentCached(false);
    return 1;
}

HRESULT CText::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    const HRESULT hr = CShape::Scale(xc, yc, kx, ky, visited, force);
    if (FAILED(hr))
        return hr;
    float sx = kx, sy = ky;
    if (!force && ApplyScaleProtection(&sx, &sy))
        return E_ACCESSDENIED;
    if (m_type != ttRTF && !m_text.empty() && m_width == 0.0f) {
        SetDirty();
        RecalcExtent();
    }
    const double oldWidth = m_width, oldHeight = m_height;
    double width = oldWidth, height = oldHeight, angle = 0.0;
    if (!ScaleRotatedExtent(m_rotation * kDegreesToRadians, sx, sy, &width, &height, &angle) ||
        (width == oldWidth && height == oldHeight && std::fabs(angle * kRadiansToDegrees - m_rotation) < 1e-9))
        return S_FALSE;
    const double turns = m_rotation / 360.0;
    m_rotation = std::fabs(turns - std::round(turns)) * 360.0 < 0.0001 ? 0.0 : angle * kRadiansToDegrees;
    m_lineHeight = static_cast<float>(m_lineHeight * (oldHeight != 0.0 ? std::fabs(height / oldHeight) : sy));
    if (oldWidth != 0.0 && height != 0.0)
        m_xScale = static_cast<float>(m_xScale * (width / oldWidth) * std::fabs(oldHeight / height));
    else if (sy != 0.0f)
        m_xScale = m_xScale * sx / sy;
    m_width = static_cast<float>(width);
    m_height = static_cast<float>(height);
    SetDirty();
    SetExtentCached(false);
    return S_OK;
}

int CText::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    const int result = CShape::CopyPropertiesFrom(source, mask);
    const auto* other = dynamic_cast<const CText*>(&source);
    if (!result || !other)
        return result;
    if (mask & 0x100)
        SetAlignType(other->m_align);
    if (mask & 0x8) {
        SetHeight(other->m_height);
        m_lineGap = other->m_lineGap;
        m_lineHeight = other->m_lineHeight;
    }
    if (mask & 0x4) {
        if (other->m_width != m_width || other->m_xScale != m_xScale)
            SetDirty();
        m_width = other->m_width;
        m_xScale = other->m_xScale;
    }
    if (mask & 0x2)
        SetRotation(other->m_rotation);
    if (mask & 0x200) {
        SetFontName(other->m_fontName.c_str());
        SetCharset(other->m_charset);
        SetFontStyle(other->m_fontStyle);
    }
    SetExtentCached(false);
    return result;
}

// --- Editing ------------------------------------------------------------------------------------

int CText::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (const int result = CShape::OnEditMouseDown(x, y, selection))
        return result;
    if (!m_control || IsEditTarget() != 1)
        return 0;
    CEditState& edit = m_control->GetEditState();
    if (edit.editMode == EDSH_NEWPOINT) {
        if (m_points.IsEmpty()) {
            const int pointId = m_control->CreatePoint(x, y);
            if (pointId <= 0 || AddPointById(pointId, kAppend, true) != S_OK)
                return 0;
            if (m_control->EventsEnabled()) {
                const int id = m_id;
                const bool proceed = m_control->FireAddPoint(pointId);
                if (m_control->FindShape(id) != this)
                    return 0;
                if (!proceed) {
                    RemovePointById(pointId, false, 0);
                    return 1;
                }
            }
        }
        StartEdit(EDSH_POINT, 0, nullptr);
        // A text of a size already given ends here; one still to be sized is dragged out.
        const bool unsized = m_width == -1.0f || m_height == -1.0f;
        if (m_control->IsDefaultShapeEnabledFor(stText) || !unsized)
            EndEdit(true);
        return 1;
    }
    if (edit.editMode == EDSH_POINT && m_control->GetShapeStateMap().GetValue(m_id) == 0 && !m_points.IsEmpty()) {
        // A negative size turns into a positive one about the far corner.
        CPointRecord* anchor = m_points.GetAt(0);
        if (m_width < 0) {
            anchor->x += m_width;
            m_width = -m_width;
        }
        if (m_height < 0) {
            anchor->y += m_height;
            m_height = -m_height;
        }
        SetDirty();
    }
    return 1;
}

int CText::OnEditDrag(float x, float y)
{
    if (!m_control || IsEditTarget() != 1)
        return 1;
    CEditState& edit = m_control->GetEditState();
    if (edit.editMode == EDSH_NEWPOINT) {
        if (!m_control->IsDefaultShapeEnabledFor(stText) && !m_points.IsEmpty())
            SetPointCoords(3, x, y, 0);
        SetExtentCached(false);
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
        return 1;
    }
    if (edit.editMode != EDSH_POINT)
        return CShape::OnEditDrag(x, y);
    const DWORD f = GetProtectionFlagsMasked(0xE0);
    const bool widthLocked = (f & sdbfWidth) != 0, heightLocked = (f & sdbfHeight) != 0;
    if (((f & sdbfAspect) && (widthLocked || heightLocked)) || (widthLocked && heightLocked))
        return 1;
    CPointRecord* anchor = m_points.IsEmpty() ? nullptr : m_points.GetAt(0);
    if (!anchor)
        return 1;
    const int handle = m_control->GetShapeStateMap().GetValue(m_id);
    const double a = m_rotation * kDegreesToRadians;
    const double c = std::cos(a), s = std::sin(a);
    if (handle == 0) {
        if (!widthLocked)
            m_width = x - anchor->x;
        if (!heightLocked) {
            m_height = m_lineHeight = anchor->y - y;
            if (m_type != ttRTF)
                m_lineHeight = 0.0f; // a plain text's pitch is measured from its font again
        }
    } else if (handle == 1 && !widthLocked) {
        // The left edge moves; the right edge stays.
        CRealPoint handles[3];
        if (GetHandlePoints(handles, 3) == 3) {
            const double w = (handles[2].x - x) * c + (handles[2].y - y) * s;
            anchor->x = static_cast<float>(anchor->x + (m_width - w) * c);
            anchor->y = static_cast<float>(anchor->y + (m_width - w) * s);
            m_width = static_cast<float>(w);
        }
    } else if (handle == 2 && !widthLocked) {
        m_width = static_cast<float>((x - anchor->x) * c + (y - anchor->y) * s);
    }
    SetDirty();
    SetExtentCached(false);
    m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    return 1;
}

// --- Database ------------------------------------------------------------------------------------

HRESULT CText::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    const int before = m_databaseId;
    const HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    if (m_databaseId < 1)
        return E_FAIL;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    // The text goes as it is, its length and no more (a terminating NUL would reach the row), and
    // the face name bound as well: NULL when there is none. A row stored before always names its
    // text, NULL for a text emptied since: it would keep the old one otherwise.
    const std::string fontName = GetFontNameA();
    const OdbcParam face = fontName.empty() ? OdbcParam::Text(nullptr) : OdbcParam::Text(fontName);
    const bool withText = !m_text.empty();
    const OdbcParam body = withText ? OdbcParam::LongText(m_text.data(), m_text.size()) : OdbcParam::Text(nullptr);
    const std::vector<OdbcParam> updateParams{body, face};
    const std::vector<OdbcParam> insertParams = withText ? updateParams : std::vector<OdbcParam>{face};
    const DWORD align = m_align;
    return SaveKindRow(session, before >= 1, true, ShapeKindSql::UpdateTextWithText,
                       {m_type, align, m_height, m_width, m_xScale, m_rotation, m_charset, m_databaseId},
                       withText ? ShapeKindSql::InsertTextWithText : ShapeKindSql::InsertText,
                       {m_type, align, m_height, m_width, m_xScale, m_rotation, m_databaseId, scenario, m_charset},
                       &updateParams, &insertParams);
}
