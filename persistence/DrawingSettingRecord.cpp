#include "persistence/DrawingSettingRecord.h"
#include <cmath>
#include <cstdint>
#include "persistence/DataTableSet.h"
#include "persistence/DataTables.h"
#include "persistence/DrawingSettingLayers.h"
#include "persistence/MaxIdReader.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/DrawingSettingSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"

namespace {

// Bits 4-5 of the style word hold the horizontal alignment code (0 left, 1 right, 2 centre),
// bits 6-7 the vertical one (0 top, 1 bottom, 2 middle); 3 reads as right and as bottom.
const DWORD kHorizontalShift = 4;
const DWORD kVerticalShift = 6;
const DWORD kAlignmentBits = 0xF0;
const DWORD kStyleBits = 0xF;

std::string Narrow(BSTR text)
{
    if (!text)
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 1 ? static_cast<size_t>(n - 1) : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

} // namespace

CDrawingSettingRecord::CDrawingSettingRecord(const CDrawingSettingRecord& other) { *this = other; }

CDrawingSettingRecord& CDrawingSettingRecord::operator=(const CDrawingSettingRecord& other)
{
    if (this == &other)
        return *this;
    const int id = ID;
    const int databaseId = DatabaseID;
    ImageScale = other.ImageScale;
    LinkMarkScale = other.LinkMarkScale;
    LinePatternID = other.LinePatternID;
    HatchPatternID = other.HatchPatternID;
    LinePatternScale = other.LinePatternScale;
    HatchPatternScale = other.HatchPatternScale;
    OrthoMode = other.OrthoMode;
    PenWeight = other.PenWeight;
    ArrowScale = other.ArrowScale;
    FontName = other.FontName;
    FontSize = other.FontSize;
    FontCharset = other.FontCharset;
    StyleWord = other.StyleWord;
    PenColor = other.PenColor;
    HatchColor = other.HatchColor;
    CopyGridAndSnapFrom(other);
    EditNewText = other.EditNewText;
    ShowRulers = other.ShowRulers;
    ScalePenWeight = other.ScalePenWeight;
    SplineFreeHand = other.SplineFreeHand;
    Layer = other.Layer;
    Name = other.Name;
    ID = id;
    DatabaseID = databaseId;
    return *this;
}

void CDrawingSettingRecord::SetName(const char* name)
{
    if (name)
        Name = name;
    else
        Name.reset();
}

void CDrawingSettingRecord::CopyGridAndSnapFrom(const CDrawingSettingRecord& other)
{
    ShowGrid = other.ShowGrid;
    GridXSpace = other.GridXSpace;
    GridYSpace = other.GridYSpace;
    SnapToGrid = other.SnapToGrid;
    SnapXSpace = other.SnapXSpace;
    SnapYSpace = other.SnapYSpace;
    SnapBaseX = other.SnapBaseX;
    SnapBaseY = other.SnapBaseY;
}

DWORD CDrawingSettingRecord::GetFontAlignType() const
{
    const DWORD horizontal = (StyleWord >> kHorizontalShift) & 3;
    const DWORD vertical = (StyleWord >> kVerticalShift) & 3;
    DWORD alignment = horizontal == 2 ? 6 : (horizontal != 0 ? 2 : 0);
    alignment |= vertical == 2 ? 0x10000 : (vertical != 0 ? 8 : 0);
    return alignment;
}

void CDrawingSettingRecord::SetFontAlignType(DWORD alignment)
{
    DWORD horizontal = 0;
    if ((alignment & 6) == 6)
        horizontal = 2;
    else if (alignment & 2)
        horizontal = 1;
    const DWORD vertical = ((alignment & 0x10000) ? 2 : 0) + ((alignment & 8) ? 1 : 0);
    StyleWord = (StyleWord & ~kAlignmentBits) | (horizontal << kHorizontalShift) | (vertical << kVerticalShift);
}

DWORD CDrawingSettingRecord::GetProtectionFlags() const
{
    DWORD flags = 0;
    if (StyleWord & styleUnderline)
        flags |= sdbfFontUnderline;
    if (StyleWord & styleItalic)
        flags |= sdbfFontItalic;
    if (StyleWord & styleStrikethrough)
        flags |= sdbfFontStrikethrough;
    if (StyleWord & styleBold)
        flags |= sdbfFontBold;
    return flags;
}

void CDrawingSettingRecord::SetProtectionFlags(DWORD flags)
{
    DWORD style = 0;
    if (flags & sdbfFontUnderline)
        style |= styleUnderline;
    if (flags & sdbfFontItalic)
        style |= styleItalic;
    if (flags & sdbfFontStrikethrough)
        style |= styleStrikethrough;
    if (flags & sdbfFontBold)
        style |= styleBold;
    StyleWord = (StyleWord & ~kStyleBits) | style;
}

void CDrawingSettingRecord::GetFontDesc(FONTDESC* desc) const
{
    if (!desc)
        return;
    const std::string& face = FontName.empty() ? std::string("Arial") : FontName;
    const int n = MultiByteToWideChar(CP_ACP, 0, face.c_str(), -1, nullptr, 0);
    m_fontDescName.assign(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, face.c_str(), -1, &m_fontDescName[0], n);
    desc->cbSizeofstruct = sizeof(FONTDESC);
    desc->lpstrName = &m_fontDescName[0];
    desc->cySize.int64 = static_cast<LONGLONG>(std::llround(static_cast<double>(FontSize) * 10000.0));
    long weight = std::lround(static_cast<double>(PenWeight) * 100.0);
    if (weight < 0)
        weight = 0;
    if (weight > 1000)
        weight = 1000;
    desc->sWeight = static_cast<SHORT>(weight);
    desc->sCharset = FontCharset;
    desc->fItalic = (StyleWord & styleItalic) ? TRUE : FALSE;
    desc->fUnderline = (StyleWord & styleUnderline) ? TRUE : FALSE;
    desc->fStrikethrough = (StyleWord & styleStrikethrough) ? TRUE : FALSE;
}

int CDrawingSettingRecord::SetFromFont(IFont* font)
{
    if (!font)
        return 0;
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strikethrough = FALSE;
    SHORT weight = 0, charset = 0;
    CY size = {};
    font->get_Bold(&bold);
    font->get_Weight(&weight);
    if (!bold && weight > 0)
        weight = 0;
    else if (bold && weight < 550)
        weight = 1000;
    const float asPenWeight = static_cast<float>(weight) * 0.01f;
    if (std::fabs(PenWeight - asPenWeight) > 1.0f)
        PenWeight = asPenWeight;
    if (SUCCEEDED(font->get_Size(&size))) {
        const float points = static_cast<float>(std::llround(static_cast<double>(size.int64) / 10000.0));
        if (std::fabs(points - FontSize) > 0.5f)
            FontSize = points;
    }
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strikethrough);
    auto setBit = [this](DWORD bit, BOOL on) { StyleWord = on ? (StyleWord | bit) : (StyleWord & ~bit); };
    setBit(styleItalic, italic);
    setBit(styleUnderline, underline);
    setBit(styleStrikethrough, strikethrough);
    if (SUCCEEDED(font->get_Charset(&charset)) && charset > 1 && charset != FontCharset)
        FontCharset = charset;
    BSTR name = nullptr;
    if (SUCCEEDED(font->get_Name(&name)) && name) {
        const std::string face = Narrow(name);
        SysFreeString(name);
        if (!face.empty())
            FontName = face;
    }
    return 1;
}

HRESULT CDrawingSettingRecord::InsertIntoDatabase(COdbcSession& session, int siteId, const CDrawingSettingLayers& layers)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DrawingSettingSql::MaxDrawingSettingId));
    const int largest = ReadMaxIdResult(session.Statement(), 0);
    const int id = largest > 0 ? largest + 1 : 1;
    const int layerDatabaseId = Layer ? layers.GetLayerDatabaseId(Layer) : 0;
    const int scenario = Layer ? layers.GetLayerScenarioId(Layer) : 0;
    const double storedWeight = ScalePenWeight ? PenWeight : -PenWeight;
    const std::string name = Name ? *Name : std::string();
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DrawingSettingSql::InsertDrawingSetting,
        {id, scenario, storedWeight, PenColor, ShowGrid ? 1 : 0, SnapToGrid ? 1 : 0, OrthoMode ? 1 : 0, GridXSpace,
         GridYSpace, SnapXSpace, SnapYSpace, SnapBaseX, SnapBaseY, LinePatternScale, ImageScale,
         EditNewText ? 1 : 0, ShowRulers ? 1 : 0, HatchColor, siteId, LinePatternID, SqlOptionalId(layerDatabaseId),
         SqlOptionalId(HatchPatternID), ArrowScale, static_cast<int>(FontCharset), FontSize,
         GetFontAlignType(), GetProtectionFlags()},
        {OdbcParam::Text(name), OdbcParam::Text(FontName)}));
    DatabaseID = id;
    return S_OK;
}

HRESULT CDrawingSettingRecord::ExchangeTables(CDataTableSet* tables, DWORD mode, int siteId,
                                              const CDrawingSettingLayers* layers)
{
    if (!tables)
        return E_INVALIDARG;
    CDrawingSettingsTable* table = tables->DrawingSettings();
    if (!table)
        return S_FALSE;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    if (!(mode & DXFMODE_LOAD)) {
        CDrawingSettingsRecord r;
        if (keepIds) {
            r.drawingSettingID = ID;
            r.DatabaseID = DatabaseID;
        } else {
            r.drawingSettingID = table->NewKey();
            DatabaseID = r.drawingSettingID;
        }
        r.Name = Name ? *Name : std::string();
        r.PenColor = static_cast<int32_t>(PenColor);
        r.PenWeight = PenWeight;
        r.ShowGrid = ShowGrid;
        r.SnapToGrid = SnapToGrid;
        r.OrthoMode = OrthoMode;
        r.GridXSpace = GridXSpace;
        r.GridYSpace = GridYSpace;
        r.SnapXSpace = SnapXSpace;
        r.SnapYSpace = SnapYSpace;
        r.SnapBaseX = SnapBaseX;
        r.SnapBaseY = SnapBaseY;
        r.LinePatternScale = LinePatternScale;
        r.ImageScale = ImageScale;
        r.EditNewText = EditNewText;
        r.ShowRulers = ShowRulers;
        r.HatchColor = static_cast<int32_t>(HatchColor);
        r.linePatternID = LinePatternID;
        r.HatchPatternID = HatchPatternID;
        r.HatchPatternScale = HatchPatternScale;
        r.ScalePenWeight = ScalePenWeight;
        r.SplineFreeHand = SplineFreeHand;
        r.FontStyle = static_cast<int32_t>(StyleWord);
        r.FontSize = FontSize;
        if (siteId != 0)
            r.siteID = siteId;
        // Scales equal to the image scale are left out (0), and read back as the image scale.
        if (ArrowScale != ImageScale)
            r.ArrowScale = ArrowScale;
        if (LinkMarkScale != ImageScale)
            r.LinkMarkScale = LinkMarkScale;
        if (!FontName.empty())
            r.FontName = FontName;
        if (FontCharset != 1)
            r.FontCharset = FontCharset;
        if (Layer && layers) {
            if (keepIds) {
                r.layerShapeID = layers->GetLayerShapeId(Layer);
            } else {
                const int layerDatabaseId = layers->GetLayerDatabaseId(Layer);
                r.layerShapeID = layerDatabaseId >= 1 ? layerDatabaseId : 0;
            }
        }
        table->Insert(r);
        return S_OK;
    }

    const CDrawingSettingsRecord* r = table->GetCurrent();
    if (!r)
        return E_ACCESSDENIED;
    if (DatabaseID == 0 && keepIds)
        DatabaseID = r->DatabaseID;
    Name = r->Name;
    PenColor = static_cast<DWORD>(r->PenColor);
    PenWeight = static_cast<float>(r->PenWeight);
    ShowGrid = r->ShowGrid;
    SnapToGrid = r->SnapToGrid;
    OrthoMode = r->OrthoMode;
    GridXSpace = static_cast<float>(r->GridXSpace);
    GridYSpace = static_cast<float>(r->GridYSpace);
    SnapXSpace = static_cast<float>(r->SnapXSpace);
    SnapYSpace = static_cast<float>(r->SnapYSpace);
    SnapBaseX = static_cast<float>(r->SnapBaseX);
    SnapBaseY = static_cast<float>(r->SnapBaseY);
    LinePatternScale = static_cast<float>(r->LinePatternScale);
    ImageScale = static_cast<float>(r->ImageScale);
    EditNewText = r->EditNewText;
    ShowRulers = r->ShowRulers;
    HatchColor = static_cast<DWORD>(r->HatchColor);
    LinePatternID = r->linePatternID;
    HatchPatternID = r->HatchPatternID;
    HatchPatternScale = static_cast<float>(r->HatchPatternScale);
    ScalePenWeight = r->ScalePenWeight;
    SplineFreeHand = r->SplineFreeHand;
    StyleWord = static_cast<DWORD>(r->FontStyle);
    FontSize = static_cast<float>(r->FontSize);
    ArrowScale = r->ArrowScale == 0.0 ? ImageScale : static_cast<float>(r->ArrowScale);
    LinkMarkScale = r->LinkMarkScale == 0.0 ? ImageScale : static_cast<float>(r->LinkMarkScale);
    FontName = r->FontName.empty() ? std::string("Arial") : r->FontName;
    FontCharset = static_cast<short>(r->FontCharset);
    return S_OK;
}
