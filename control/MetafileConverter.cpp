// Metafile pictures into library blocks of vector shapes.
#include "control/MetafileConverter.h"
#include "control/YVEXControl.h"
#include "com/AnsiText.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "model/Text.h"
#include "persistence/DrawingSettingRecord.h"
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Names of groups made here carry a number that is new for every conversion of the process.
std::atomic<int> g_counter{0};

const DWORD kStockFlag = 0x80000000;
const double kDegreesPerRadian = 57.29577951308238;
const DWORD kBlackness = 0x00000042, kWhiteness = 0x00FF0062, kPatCopy = 0x00F00021;

using Row = CMetafileConverter::RecordRow;
// Record type → what it does: state step (kind), where its values go (offset or variant), the
// shape type made, the mapping step. Types not listed are skipped.
const struct
{
    DWORD type;
    Row row;
} kRows[] = {
    {EMR_RECTANGLE, {"Rectangle", 1, 24, stRectangle, 0}},
    {EMR_LINETO, {"LineTo", 1, 24, stLine, 1}},
    {EMR_MOVETOEX, {"MoveToEx", 1, 24, 0, 1}},
    {EMR_ARC, {"Arc", 1, 24, stEllipse, 0}},
    {EMR_ELLIPSE, {"Ellipse", 1, 24, stEllipse, 0}},
    {EMR_PIE, {"Pie", 1, 24, stEllipse, 0}},
    {EMR_POLYLINE, {"Polyline", 2, 0, stPolyline, 0}},
    {EMR_POLYGON, {"Polygon", 2, 0, stPolygon, 0}},
    {EMR_POLYLINE16, {"polyline16", 3, 0, stPolyline, 0}},
    {EMR_POLYGON16, {"polygon16", 3, 0, stPolygon, 0}},
    {EMR_POLYPOLYLINE, {"polypolyline", 9, 0, stPolyline, 0}},
    {EMR_POLYPOLYGON, {"polypolygon", 9, 0, stPolygon, 0}},
    {EMR_POLYPOLYLINE16, {"polypolyline16", 10, 0, stPolyline, 0}},
    {EMR_POLYPOLYGON16, {"polypolygon16", 10, 0, stPolygon, 0}},
    {EMR_EXTTEXTOUTA, {"exttextouta", 4, 1, stText, 0}},
    {EMR_EXTTEXTOUTW, {"exttextoutw", 4, 0, stText, 0}},
    {EMR_SETTEXTALIGN, {"settextalign", 5, 8, 0, 0}},
    {EMR_SETTEXTCOLOR, {"settextcolor", 5, 4, 0, 0}},
    {EMR_BITBLT, {"bitblt", 8, 0, 0, 0}},
    {EMR_STRETCHBLT, {"stretchblt", 8, 1, 0, 0}},
    {EMR_MASKBLT, {"maskblt", 8, 2, 0, 0}},
    {EMR_SETDIBITSTODEVICE, {"setdibitstodevice", 8, 3, 0, 0}},
    {EMR_CREATEBRUSHINDIRECT, {"createbrushindirect", 102, 0, 0, 0}},
    {EMR_CREATEMONOBRUSH, {"createmonobrush", 102, 1, 0, 0}},
    {EMR_CREATEDIBPATTERNBRUSHPT, {"createdibpatternbrushpt", 102, 2, 0, 0}},
    {EMR_CREATEPEN, {"createpen", 101, 0, 0, 0}},
    {EMR_EXTCREATEPEN, {"extcreatepen", 106, 0, 0, 0}},
    {EMR_EXTCREATEFONTINDIRECTW, {"extcreatefontindirectw", 103, 0, 0, 0}},
    {EMR_SELECTOBJECT, {"selectobject", 110, 0, 0, 0}},
    {EMR_DELETEOBJECT, {"deleteobject", 111, 0, 0, 0}},
    {EMR_SAVEDC, {"savedc", 112, 0, 0, 0}},
    {EMR_RESTOREDC, {"restoredc", 113, 0, 0, 0}},
    {EMR_SETWINDOWEXTEX, {"setwindowextex", 1, 24, 0, 2}},
    {EMR_SETVIEWPORTEXTEX, {"setviewportextex", 1, 24, 0, 3}},
    {EMR_SETWINDOWORGEX, {"setWindowOrgEx", 151, 8, 0, 5}},
    {EMR_SETVIEWPORTORGEX, {"setViewportOrgEx", 151, 24, 0, 6}},
    {EMR_SETWORLDTRANSFORM, {"setworldtransform", 151, 36, 0, 7}},
    {EMR_MODIFYWORLDTRANSFORM, {"modifyworldtransform", 1, 0, 0, 7}},
    {EMR_SETMAPMODE, {"setmapmode", 1, 24, 0, 4}},
    {EMR_EOF, {"eof", 0, 0, 0, 8}},
    // Known records that change nothing here.
    {EMR_HEADER, {"header", 0, 0, 0, 0}},
    {EMR_POLYBEZIER, {"polybezier", 0, 0, 0, 0}},
    {EMR_POLYBEZIERTO, {"polybezierto", 0, 0, 0, 0}},
    {EMR_POLYLINETO, {"polylineto", 0, 0, 0, 0}},
    {EMR_SETBRUSHORGEX, {"setbrushorgex", 0, 0, 0, 0}},
    {EMR_SETPIXELV, {"setpixelv", 0, 0, 0, 0}},
    {EMR_SETMAPPERFLAGS, {"setmapperflags", 0, 0, 0, 0}},
    {EMR_SETBKMODE, {"setbkmode", 0, 0, 0, 0}},
    {EMR_SETPOLYFILLMODE, {"setpolyfillmode", 0, 0, 0, 0}},
    {EMR_SETROP2, {"setrop2", 0, 0, 0, 0}},
    {EMR_SETSTRETCHBLTMODE, {"setstretchbltmode", 0, 0, 0, 0}},
    {EMR_SETCOLORADJUSTMENT, {"setcoloradjustment", 0, 0, 0, 0}},
    {EMR_SETBKCOLOR, {"setbkcolor", 0, 0, 0, 0}},
    {EMR_OFFSETCLIPRGN, {"offsetcliprgn", 0, 0, 0, 0}},
    {EMR_SETMETARGN, {"setmetargn", 0, 0, 0, 0}},
    {EMR_EXCLUDECLIPRECT, {"excludecliprect", 0, 0, 0, 0}},
    {EMR_INTERSECTCLIPRECT, {"intersectcliprect", 0, 0, 0, 0}},
    {EMR_SCALEVIEWPORTEXTEX, {"scaleviewportextex", 0, 0, 0, 0}},
    {EMR_SCALEWINDOWEXTEX, {"scalewindowextex", 0, 0, 0, 0}},
    {EMR_ANGLEARC, {"anglearc", 0, 0, 0, 0}},
    {EMR_ROUNDRECT, {"roundrect", 0, 0, 0, 0}},
    {EMR_CHORD, {"chord", 0, 0, 0, 0}},
    {EMR_SELECTPALETTE, {"selectpalette", 0, 0, 0, 0}},
    {EMR_CREATEPALETTE, {"createpalette", 0, 0, 0, 0}},
    {EMR_SETPALETTEENTRIES, {"setpaletteentries", 0, 0, 0, 0}},
    {EMR_RESIZEPALETTE, {"resizepalette", 0, 0, 0, 0}},
    {EMR_REALIZEPALETTE, {"realizepalette", 0, 0, 0, 0}},
    {EMR_EXTFLOODFILL, {"extfloodfill", 0, 0, 0, 0}},
    {EMR_ARCTO, {"arcto", 0, 0, 0, 0}},
    {EMR_POLYDRAW, {"polydraw", 0, 0, 0, 0}},
    {EMR_SETARCDIRECTION, {"setarcdirection", 0, 0, 0, 0}},
    {EMR_SETMITERLIMIT, {"setmiterlimit", 0, 0, 0, 0}},
    {EMR_BEGINPATH, {"beginpath", 0, 0, 0, 0}},
    {EMR_ENDPATH, {"endpath", 0, 0, 0, 0}},
    {EMR_CLOSEFIGURE, {"closefigure", 0, 0, 0, 0}},
    {EMR_FILLPATH, {"fillpath", 0, 0, 0, 0}},
    {EMR_STROKEANDFILLPATH, {"strokeandfillpath", 0, 0, 0, 0}},
    {EMR_STROKEPATH, {"strokepath", 0, 0, 0, 0}},
    {EMR_FLATTENPATH, {"flattenpath", 0, 0, 0, 0}},
    {EMR_WIDENPATH, {"widenpath", 0, 0, 0, 0}},
    {EMR_SELECTCLIPPATH, {"selectclippath", 0, 0, 0, 0}},
    {EMR_ABORTPATH, {"abortpath", 0, 0, 0, 0}},
    {EMR_GDICOMMENT, {"gdicomment", 0, 0, 0, 0}},
    {EMR_FILLRGN, {"fillrgn", 0, 0, 0, 0}},
    {EMR_FRAMERGN, {"framergn", 0, 0, 0, 0}},
    {EMR_INVERTRGN, {"invertrgn", 0, 0, 0, 0}},
    {EMR_PAINTRGN, {"paintrgn", 0, 0, 0, 0}},
    {EMR_EXTSELECTCLIPRGN, {"extselectcliprgn", 0, 0, 0, 0}},
    {EMR_PLGBLT, {"plgblt", 0, 0, 0, 0}},
    {EMR_STRETCHDIBITS, {"stretchdibits", 0, 0, 0, 0}},
    {EMR_POLYBEZIER16, {"polybezier16", 0, 0, 0, 0}},
    {EMR_POLYBEZIERTO16, {"polybezierto16", 0, 0, 0, 0}},
    {EMR_POLYLINETO16, {"polylineto16", 0, 0, 0, 0}},
    {EMR_POLYDRAW16, {"polydraw16", 0, 0, 0, 0}},
    {EMR_POLYTEXTOUTA, {"polytextouta", 0, 0, 0, 0}},
    {EMR_POLYTEXTOUTW, {"polytextoutw", 0, 0, 0, 0}},
};

// The record's bytes after type and size, as far as they go.
struct RecordView
{
    const BYTE* data;
    size_t size;

    explicit RecordView(const ENHMETARECORD* record)
        : data(reinterpret_cast<const BYTE*>(record)), size(record->nSize)
    {
    }
    // The 32-bit word at a byte offset of the record; 0 past its end.
    DWORD Word(size_t offset) const
    {
        if (offset + 4 > size)
            return 0;
        DWORD value;
        std::memcpy(&value, data + offset, 4);
        return value;
    }
    LONG Long(size_t offset) const { return static_cast<LONG>(Word(offset)); }
    bool Has(size_t offset, size_t length) const { return offset <= size && length <= size - offset; }
};

// A pen style's line type.
int LineTypeOfPenStyle(UINT style)
{
    switch (style & PS_STYLE_MASK) {
    case PS_SOLID: return ltContinuous;
    case PS_DASH: return ltSelected;
    case PS_DOT: return ltDot;
    case PS_DASHDOT: return ltDashdot;
    case PS_DASHDOTDOT: return ltDivide;
    case PS_INSIDEFRAME: return ltContinuous;
    default: return ltByLayer;
    }
}

int HatchPatternOfBrush(const LOGBRUSH& brush)
{
    if (brush.lbStyle == BS_SOLID)
        return hpSolid;
    if (brush.lbStyle != BS_HATCHED)
        return hpNone;
    switch (brush.lbHatch) {
    case HS_HORIZONTAL: return hpLine;
    case HS_VERTICAL: return hpGrate;
    case HS_FDIAGONAL: return hpDiagonal;
    case HS_BDIAGONAL: return hpAnsi31;
    case HS_CROSS: return hpAngle;
    case HS_DIAGCROSS: return hpAnsi37;
    default: return hpNet;
    }
}

std::string BaseName(const char* path)
{
    std::string name = path ? path : "";
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

} // namespace

const CMetafileConverter::RecordRow* CMetafileConverter::FindRow(DWORD type)
{
    // The first row of a type wins; built once.
    static const std::map<DWORD, const Row*> table = [] {
        std::map<DWORD, const Row*> rows;
        for (const auto& entry : kRows)
            rows.emplace(entry.type, &entry.row);
        return rows;
    }();
    const auto it = table.find(type);
    return it == table.end() ? nullptr : it->second;
}

CMetafileConverter::CMetafileConverter(CYVEXControl* control) : m_control(control) { Reset(); }

CMetafileConverter::~CMetafileConverter() = default;

void CMetafileConverter::Reset()
{
    std::memset(&m_header, 0, sizeof m_header);
    m_group = nullptr;
    m_shapeCounter = 0;
    std::memset(m_parameters, 0, sizeof m_parameters);
    m_current = POINT{0, 0};
    m_text.clear();
    m_textWidth = 0;
    m_textScale = 1.0;
    m_textBounds = RECT{};
    m_textReference = POINT{};
    m_textColor = 0;
    m_textAlign = 0;
    m_graphicsMode = GM_COMPATIBLE;
    m_points.clear();
    m_counts.clear();
    m_objects.clear();
    std::memset(m_selected, 0, sizeof m_selected);
    m_saved.clear();
    m_windowExtent = m_viewportExtent = SIZE{};
    m_windowOrigin = m_viewportOrigin = POINT{};
    m_transform = XFORM{1, 0, 0, 1, 0, 0};
    m_mapMode = 0;
    m_scaleX = m_scaleY = 1.0;
    m_flags = 0;
    m_haveBounds = false;
    m_minX = m_minY = m_maxX = m_maxY = 0;
    m_bands.clear();
    m_bandDirection = 0;
    m_pendingImage = 0;
    m_madeResources.clear();
}

int CMetafileConverter::DetectMetafileType(const char* path)
{
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return 0;
    BYTE head[44] = {};
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (got < 4)
        return 0;
    DWORD key;
    std::memcpy(&key, head, 4);
    if (key == 0x9AC6CDD7)
        return 2;
    if (got < sizeof head)
        return 0;
    DWORD signature;
    std::memcpy(&signature, head + 40, 4);
    if (signature == ENHMETA_SIGNATURE)
        return 3;
    if (std::memcmp(head + 6, "JFIF", 4) == 0)
        return 0;
    return 1;
}

int CMetafileConverter::ConvertBuffer(size_t size, const void* bytes)
{
    if (!size || !bytes)
        return 0;
    char folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    // The system picks a name no other file (of any process) has, and creates it.
    if (length == 0 || length >= MAX_PATH || !GetTempFileNameA(folder, "buf", 0, path))
        return 0;
    FILE* file = std::fopen(path, "wb");
    const bool written = file && std::fwrite(bytes, 1, size, file) == size;
    if (file && std::fclose(file) != 0) {
        DeleteFileA(path);
        return 0;
    }
    const int id = written ? ConvertFile(path) : 0;
    DeleteFileA(path);
    return id;
}

int CMetafileConverter::ConvertFile(const char* path)
{
    Reset();
    const int type = DetectMetafileType(path);
    if (!type || !m_control)
        return 0;
    HENHMETAFILE emf = nullptr;
    if (type == 3) {
        emf = GetEnhMetaFileA(path);
    } else {
        char shortPath[MAX_PATH];
        if (!GetShortPathNameA(path, shortPath, MAX_PATH))
            return 0;
        FILE* file = std::fopen(shortPath, "rb");
        if (!file)
            return 0;
        std::vector<BYTE> bytes;
        BYTE chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + got);
        std::fclose(file);
        const size_t start = type == 2 ? 22 : 0;
        if (bytes.size() < start + 18)
            return 0;
        // The metafile's size in 16-bit words; a size beyond the file is not played.
        DWORD words;
        std::memcpy(&words, &bytes[start + 6], 4);
        const unsigned long long dataSize = static_cast<unsigned long long>(words) * 2;
        if (dataSize < 18 || dataSize > bytes.size() - start)
            return 0;
        if (type == 2) {
            auto word = [&](size_t at) { return static_cast<short>(bytes[at] | (bytes[at + 1] << 8)); };
            const int left = word(6), top = word(8), right = word(10), bottom = word(12);
            const int unitsPerInch = static_cast<unsigned short>(word(14));
            // The extents are divided by it: a header without units per inch has no size.
            if (unitsPerInch == 0)
                return 0;
            METAFILEPICT picture = {};
            picture.mm = MM_ANISOTROPIC;
            picture.xExt = static_cast<LONG>(static_cast<long long>(right - left) * 2540 / unitsPerInch);
            picture.yExt = static_cast<LONG>(static_cast<long long>(bottom - top) * 2540 / unitsPerInch);
            HDC screen = GetDC(nullptr);
            emf = SetWinMetaFileBits(static_cast<UINT>(dataSize), &bytes[start], screen, &picture);
            ReleaseDC(nullptr, screen);
        } else {
            emf = SetWinMetaFileBits(static_cast<UINT>(dataSize), &bytes[start], nullptr, nullptr);
        }
    }
    if (!emf)
        return 0;
    GetEnhMetaFileHeader(emf, sizeof m_header, &m_header);
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    const double unit = setting && setting->ImageScale != 0.0f ? 0.04 * setting->ImageScale : 0.04;
    m_scaleX = m_scaleY = unit;
    CShape* group = m_control->GetShapeMap().CreateShape(stGroup, true, true);
    m_group = dynamic_cast<CGroup*>(group);
    if (!m_group) {
        if (group)
            m_control->GetShapeMap().DeleteShape(group);
        DeleteEnhMetaFile(emf);
        return 0;
    }
    char name[300];
    std::snprintf(name, sizeof name, "%s%05d", BaseName(path).c_str(), ++g_counter);
    m_group->SetName(ycom::AnsiToWide(name).c_str());
    const BOOL played = EnumEnhMetaFile(nullptr, emf, &CMetafileConverter::OnRecord, this, nullptr);
    DeleteEnhMetaFile(emf);
    const int id = played ? FinishBlock() : 0;
    if (!id) {
        DiscardGroup();
        return 0;
    }
    if (auto* library = dynamic_cast<CGroup*>(m_control->FindShape(LIBRARY_ID)))
        library->AddChild(m_group, nullptr, 0, false);
    return id;
}

int CALLBACK CMetafileConverter::OnRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM self)
{
    if (record && record->nSize >= 8)
        reinterpret_cast<CMetafileConverter*>(self)->HandleRecord(record);
    return 1;
}

void CMetafileConverter::HandleRecord(const ENHMETARECORD* record)
{
    const RecordRow* row = FindRow(record->iType);
    if (!row)
        return;
    if (row->kind)
        StateStep(*row, record);
    if (row->shape)
        CreateShapeOfType(row->shape, record);
    if (row->mapping)
        MappingStep(*row, record);
}

void CMetafileConverter::StateStep(const RecordRow& row, const ENHMETARECORD* record)
{
    const RecordView view(record);
    // The record's own words, never more than it holds nor than the area takes.
    const size_t words = std::min<size_t>(view.size / 4 - 2, kParameterWords);
    switch (row.kind) {
    case 1:
        std::memset(m_parameters, 0, sizeof m_parameters);
        for (size_t i = 0; i < words; ++i)
            m_parameters[i] = view.Word(8 + i * 4);
        break;
    case 151:
        if (row.offset == 8) {
            m_windowOrigin = POINT{view.Long(8), view.Long(12)};
        } else if (row.offset == 24) {
            m_viewportOrigin = POINT{view.Long(8), view.Long(12)};
        } else if (row.offset == 36 && view.Has(8, sizeof(XFORM))) {
            std::memcpy(&m_transform, view.data + 8, sizeof(XFORM));
        }
        break;
    case 2:
    case 3: {
        // Bounds, count, points of 32 or 16 bits: only the points that lie inside the record.
        m_points.clear();
        m_counts.clear();
        const size_t pointSize = row.kind == 2 ? 8 : 4;
        const DWORD count = view.Word(24);
        DWORD taken = 0;
        for (DWORD i = 0; i < count && view.Has(28 + i * pointSize, pointSize); ++i, ++taken) {
            const size_t at = 28 + i * pointSize;
            if (pointSize == 8)
                m_points.push_back(POINT{view.Long(at), view.Long(at + 4)});
            else
                m_points.push_back(POINT{static_cast<SHORT>(view.Word(at) & 0xFFFF), static_cast<SHORT>(view.Word(at) >> 16)});
        }
        m_counts.push_back(taken);
        break;
    }
    case 9:
    case 10: {
        // Bounds, number of polygons, number of points, the counts, then the points.
        m_points.clear();
        m_counts.clear();
        const size_t pointSize = row.kind == 9 ? 8 : 4;
        const DWORD polygons = view.Word(24);
        if (!view.Has(32, static_cast<size_t>(polygons) * 4))
            break;
        size_t at = 32 + static_cast<size_t>(polygons) * 4;
        for (DWORD p = 0; p < polygons; ++p) {
            const DWORD count = view.Word(32 + p * 4);
            DWORD taken = 0;
            for (DWORD i = 0; i < count && view.Has(at, pointSize); ++i, ++taken, at += pointSize) {
                if (pointSize == 8)
                    m_points.push_back(POINT{view.Long(at), view.Long(at + 4)});
                else
                    m_points.push_back(POINT{static_cast<SHORT>(view.Word(at) & 0xFFFF), static_cast<SHORT>(view.Word(at) >> 16)});
            }
            m_counts.push_back(taken);
        }
        break;
    }
    case 4: {
        // EMREXTTEXTOUT: bounds, graphics mode, scales, then the text record: reference point,
        // characters, offset of the string, options, rectangle, offset of the advances.
        m_text.clear();
        m_textWidth = 0;
        m_textScale = 1.0;
        m_graphicsMode = view.Word(24);
        m_textBounds = RECT{view.Long(8), view.Long(12), view.Long(16), view.Long(20)};
        m_textReference = POINT{view.Long(36), view.Long(40)};
        const DWORD chars = view.Word(44);
        const DWORD offString = view.Word(48);
        const DWORD offDx = view.Word(72);
        const size_t charSize = row.offset == 1 ? 1 : 2;
        if (!view.Has(offString, static_cast<size_t>(chars) * charSize))
            break;
        if (charSize == 1) {
            std::string text(reinterpret_cast<const char*>(view.data + offString), chars);
            m_text = ycom::AnsiToWide(text.c_str());
        } else {
            m_text.resize(chars);
            std::memcpy(&m_text[0], view.data + offString, static_cast<size_t>(chars) * 2);
        }
        if (offDx && view.Has(offDx, static_cast<size_t>(chars) * 4))
            for (DWORD i = 0; i < chars; ++i)
                m_textWidth += view.Long(offDx + i * 4);
        if (const GdiObject* font = Selected(3)) {
            HDC screen = GetDC(nullptr);
            HFONT handle = CreateFontIndirectA(&font->font);
            HGDIOBJ old = SelectObject(screen, handle);
            const std::string ansi = ycom::WideToAnsi(m_text);
            SIZE measured = {};
            GetTextExtentPoint32A(screen, ansi.c_str(), static_cast<int>(ansi.size()), &measured);
            SelectObject(screen, old);
            DeleteObject(handle);
            ReleaseDC(nullptr, screen);
            // A text that measures nothing (blanks only, a font without glyphs) keeps scale 1.
            if (measured.cx > 0 && m_textWidth > 0)
                m_textScale = m_textWidth / measured.cx;
        }
        break;
    }
    case 5:
        if (row.offset == 8)
            m_textAlign = view.Word(8);
        else
            m_textColor = view.Word(8);
        break;
    case 8: {
        if (row.offset == 3) {
            CollectBand(record);
            break;
        }
        // BitBlt, StretchBlt, MaskBlt: bounds, then destination x, y, width, height, raster op.
        const LONG x = view.Long(24), y = view.Long(28), w = view.Long(32), h = view.Long(36);
        const DWORD rop = view.Word(40);
        if (rop != kBlackness && rop != kWhiteness && rop != kPatCopy)
            break;
        std::memset(m_parameters, 0, sizeof m_parameters);
        m_parameters[0] = static_cast<DWORD>(x);
        m_parameters[1] = static_cast<DWORD>(y);
        m_parameters[2] = static_cast<DWORD>(x + w);
        m_parameters[3] = static_cast<DWORD>(y + h);
        const int id = CreateShapeOfType(stRectangle, record);
        if (CShape* shape = id ? m_control->FindShape(id) : nullptr) {
            if (rop != kPatCopy) {
                shape->SetHatchColor(rop == kBlackness ? RGB(0, 0, 0) : RGB(255, 255, 255));
                shape->SetHatchPatternId(hpSolid);
            }
        }
        break;
    }
    case 101:
    case 102:
    case 103:
    case 106: {
        const DWORD index = view.Word(8);
        GdiObject object;
        if (row.kind == 101) {
            object.kind = 1;
            object.pen.lopnStyle = view.Word(12);
            object.pen.lopnWidth.x = view.Long(16);
            object.pen.lopnColor = view.Word(24);
        } else if (row.kind == 106) {
            // EMREXTCREATEPEN: index, offsets and sizes of a bitmap, then EXTLOGPEN (style,
            // width, brush style, colour ...).
            object.kind = 1;
            object.pen.lopnStyle = view.Word(28);
            object.pen.lopnWidth.x = view.Long(32);
            object.pen.lopnColor = view.Word(40);
        } else if (row.kind == 102) {
            object.kind = 2;
            if (row.offset == 0) {
                object.brush.lbStyle = view.Word(12);
                object.brush.lbColor = view.Word(16);
                object.brush.lbHatch = view.Word(20);
            } else {
                object.brush.lbStyle = BS_HATCHED;
                object.brush.lbColor = 0;
                object.brush.lbHatch = 5;
            }
        } else {
            object.kind = 3;
            if (view.Has(12, sizeof(LOGFONTW))) {
                LOGFONTW wide;
                std::memcpy(&wide, view.data + 12, sizeof wide);
                std::memcpy(&object.font, &wide, offsetof(LOGFONTW, lfFaceName));
                wide.lfFaceName[LF_FACESIZE - 1] = 0;
                WideCharToMultiByte(CP_ACP, 0, wide.lfFaceName, -1, object.font.lfFaceName, LF_FACESIZE, nullptr, nullptr);
            }
        }
        m_objects[index] = object;
        break;
    }
    case 110: {
        const DWORD index = view.Word(8);
        // A stock object (high bit) is none of the drawing's objects and selects nothing.
        if (index & kStockFlag)
            break;
        const auto it = m_objects.find(index);
        if (it != m_objects.end() && it->second.kind >= 1 && it->second.kind <= 3)
            m_selected[it->second.kind - 1] = index;
        break;
    }
    case 111:
        m_objects.erase(view.Word(8));
        break;
    case 112: m_saved.push_back(std::vector<DWORD>(m_selected, m_selected + 3)); break;
    case 113: {
        const LONG n = view.Long(8);
        const LONG entry = n < 0 ? static_cast<LONG>(m_saved.size()) + n : n;
        if (entry >= 0 && entry < static_cast<LONG>(m_saved.size()))
            std::copy(m_saved[entry].begin(), m_saved[entry].end(), m_selected);
        break;
    }
    default: break;
    }
}

void CMetafileConverter::MappingStep(const RecordRow& row, const ENHMETARECORD* record)
{
    const RecordView view(record);
    switch (row.mapping) {
    case 1: m_current = POINT{static_cast<LONG>(m_parameters[0]), static_cast<LONG>(m_parameters[1])}; break;
    case 2:
    case 3: {
        if (m_mapMode > MM_TWIPS) {
            const SIZE extent = {static_cast<LONG>(m_parameters[0]), static_cast<LONG>(m_parameters[1])};
            (row.mapping == 2 ? m_windowExtent : m_viewportExtent) = extent;
        }
        if (!(m_flags & 1) && m_windowExtent.cx && m_viewportExtent.cx && ((m_windowExtent.cx < 0) != (m_viewportExtent.cx < 0))) {
            m_scaleX = -m_scaleX;
            m_flags |= 1;
        }
        if (!(m_flags & 2) && m_windowExtent.cy && m_viewportExtent.cy && ((m_windowExtent.cy < 0) != (m_viewportExtent.cy < 0))) {
            m_scaleY = -m_scaleY;
            m_flags |= 2;
        }
        break;
    }
    case 4: {
        const int mode = static_cast<int>(m_parameters[0]);
        // Modes 2 to 6 are fixed units with y growing upwards; the others grow downwards.
        auto fixed = [](int m) { return m >= MM_LOMETRIC && m <= MM_TWIPS; };
        if (fixed(mode) != fixed(m_mapMode))
            m_scaleY = -m_scaleY;
        m_mapMode = mode;
        if (mode < MM_ISOTROPIC)
            m_flags |= 3;
        else
            m_flags &= ~3u;
        break;
    }
    case 7:
        if (record->iType == EMR_MODIFYWORLDTRANSFORM) {
            if (view.Word(8 + sizeof(XFORM)) == MWT_IDENTITY) {
                m_transform = XFORM{1, 0, 0, 1, 0, 0};
                m_flags &= ~4u;
            }
            break;
        }
        if (m_transform.eM11 == 1 && m_transform.eM12 == 0 && m_transform.eM21 == 0 && m_transform.eM22 == 1 &&
            m_transform.eDx == 0 && m_transform.eDy == 0)
            m_flags &= ~4u;
        else
            m_flags |= 4;
        break;
    case 8:
        if (m_shapeCounter > 0)
            FlushBands();
        break;
    default: break;
    }
}

void CMetafileConverter::Map(double x, double y, float* outX, float* outY)
{
    double wx = x, wy = y;
    if (m_flags & 4) {
        wx = x * m_transform.eM11 + y * m_transform.eM21;
        wy = x * m_transform.eM12 + y * m_transform.eM22;
    }
    double dx = wx + m_transform.eDx + m_viewportOrigin.x;
    double dy = wy + m_transform.eDy + m_viewportOrigin.y;
    if (m_scaleX != 0)
        dx *= m_scaleX;
    dy = -dy;
    if (m_scaleY != 0)
        dy *= m_scaleY;
    *outX = static_cast<float>(dx);
    *outY = static_cast<float>(dy);
    if (!m_haveBounds) {
        m_minX = m_maxX = *outX;
        m_minY = m_maxY = *outY;
        m_haveBounds = true;
    } else {
        m_minX = std::min(m_minX, *outX);
        m_maxX = std::max(m_maxX, *outX);
        m_minY = std::min(m_minY, *outY);
        m_maxY = std::max(m_maxY, *outY);
    }
}

double CMetafileConverter::MapLength(double length) const
{
    double l = length;
    if (m_flags & 4)
        l = length * std::sqrt(std::fabs(m_transform.eM11 * m_transform.eM22 - m_transform.eM12 * m_transform.eM21));
    return std::fabs(m_scaleX != 0 ? l * m_scaleX : l);
}

const CMetafileConverter::GdiObject* CMetafileConverter::Selected(int kind) const
{
    const DWORD index = m_selected[kind - 1];
    const auto it = index ? m_objects.find(index) : m_objects.end();
    return it == m_objects.end() || it->second.kind != kind ? nullptr : &it->second;
}

void CMetafileConverter::StyleShape(CShape* shape)
{
    shape->SetZOrder(static_cast<float>(++m_shapeCounter), false);
    shape->SetPenWeight(0);
    shape->SetPenColor(coByLayer);
    shape->SetHatchColor(coByLayer);
    shape->SetLinePatternId(ltByLayer);
    shape->SetHatchPatternId(hpNone);
    shape->SetLayer(m_control->GetCurrentLayer());
    const GdiObject* pen = Selected(1);
    shape->SetPenColor(pen ? pen->pen.lopnColor : coByBlock);
    if (pen) {
        const double width = MapLength(pen->pen.lopnWidth.x);
        if (width != 0)
            shape->SetPenWeight(static_cast<float>(width));
        shape->SetLinePatternId(LineTypeOfPenStyle(pen->pen.lopnStyle));
    }
    const GdiObject* brush = Selected(2);
    if (brush && brush->brush.lbStyle != BS_HOLLOW) {
        shape->SetHatchColor(brush->brush.lbColor);
        shape->SetHatchPatternId(HatchPatternOfBrush(brush->brush));
    }
}

int CMetafileConverter::CreateShapeOfType(int type, const ENHMETARECORD* record)
{
    if (!m_group)
        return 0;
    auto newShape = [&](int kind) -> CShape* {
        CShape* shape = m_control->GetShapeMap().CreateShape(kind, true, true);
        if (!shape)
            return nullptr;
        StyleShape(shape);
        return shape;
    };
    auto addPoint = [&](CShape* shape, double x, double y) {
        float fx, fy;
        Map(x, y, &fx, &fy);
        const int id = m_control->CreatePoint(fx, fy);
        if (id)
            shape->AddPointById(id, CShape::kAppend, true);
        return id != 0;
    };
    auto place = [&](CShape* shape) {
        m_group->AddChild(shape, nullptr, 0, false);
        return shape->GetId();
    };
    const LONG* p = reinterpret_cast<const LONG*>(m_parameters);
    switch (type) {
    case stLine: {
        CShape* shape = newShape(stLine);
        if (!shape)
            return 0;
        addPoint(shape, m_current.x, m_current.y);
        addPoint(shape, p[0], p[1]);
        return place(shape);
    }
    case stRectangle: {
        CShape* shape = newShape(stRectangle);
        if (!shape)
            return 0;
        addPoint(shape, p[0], p[1]);
        addPoint(shape, p[2], p[1]);
        addPoint(shape, p[2], p[3]);
        addPoint(shape, p[0], p[3]);
        return place(shape);
    }
    case stEllipse: {
        auto* ellipse = dynamic_cast<CEllipse*>(newShape(stEllipse));
        if (!ellipse)
            return 0;
        float left, top, right, bottom;
        Map(p[0], p[1], &left, &top);
        Map(p[2], p[3], &right, &bottom);
        const float cx = (left + right) / 2, cy = (top + bottom) / 2;
        const float rx = std::fabs(right - left) / 2, ry = std::fabs(bottom - top) / 2;
        const int id = m_control->CreatePoint(cx, cy);
        if (id)
            ellipse->AddPointById(id, CShape::kAppend, true);
        ellipse->SetMajorAxis(rx, 0);
        ellipse->SetMinorRatio(rx > 0 ? ry / rx : 1.0f);
        if ((record->iType == EMR_ARC || record->iType == EMR_PIE) && (p[4] != p[6] || p[5] != p[7])) {
            float sx, sy, ex, ey;
            Map(p[4], p[5], &sx, &sy);
            Map(p[6], p[7], &ex, &ey);
            ellipse->SetAngles(static_cast<float>(std::atan2(sy - cy, sx - cx) * kDegreesPerRadian),
                               static_cast<float>(std::atan2(ey - cy, ex - cx) * kDegreesPerRadian));
        }
        return place(ellipse);
    }
    case stPolyline:
    case stPolygon: {
        int last = 0;
        size_t start = 0;
        for (DWORD count : m_counts) {
            const size_t end = std::min<size_t>(start + count, m_points.size());
            size_t n = end - start;
            const bool closedByPoints = n >= 2 && m_points[start].x == m_points[end - 1].x &&
                                        m_points[start].y == m_points[end - 1].y;
            if (n >= 2) {
                CShape* shape = newShape(stPolyline);
                if (!shape)
                    return last;
                if (closedByPoints)
                    --n;
                for (size_t i = 0; i < n; ++i)
                    addPoint(shape, m_points[start + i].x, m_points[start + i].y);
                if (auto* polyline = dynamic_cast<CPolyline*>(shape))
                    if (type == stPolygon || closedByPoints)
                        polyline->SetClosed(true, false);
                last = place(shape);
            }
            start = end;
        }
        return last;
    }
    case stText: {
        if (m_text.empty())
            return 0;
        auto* text = dynamic_cast<CText*>(newShape(stText));
        if (!text)
            return 0;
        float x, y;
        Map(m_textReference.x, m_textReference.y, &x, &y);
        const int id = m_control->CreatePoint(x, y);
        if (id)
            text->AddPointById(id, CShape::kAppend, true);
        const GdiObject* font = Selected(3);
        float fontHeight = 0;
        if (font) {
            text->SetRotation(font->font.lfOrientation * 0.1);
            text->SetCharset(font->font.lfCharSet);
            text->SetPenWeight(font->font.lfWeight / 400.0f);
            text->SetFontNameA(font->font.lfFaceName);
            DWORD style = 0;
            if (font->font.lfUnderline)
                style |= 0x1;
            if (font->font.lfStrikeOut)
                style |= 0x2;
            text->SetFontStyle(style);
            fontHeight = static_cast<float>(MapLength(std::abs(font->font.lfHeight)));
        }
        text->SetType(ttANSI);
        text->SetText(m_text.c_str());
        text->SetAlignType(m_textAlign);
        const double boundsW = MapLength(m_textBounds.right - m_textBounds.left);
        const double boundsH = MapLength(m_textBounds.bottom - m_textBounds.top);
        float height = static_cast<float>(boundsH * 0.90909094);
        float width = static_cast<float>(boundsW);
        if (height < fontHeight / 2) {
            height = fontHeight / 2;
        }
        if (m_textBounds.bottom == m_textBounds.top)
            height = -1;
        if (m_textBounds.right == m_textBounds.left)
            width = -1;
        text->SetHeight(height);
        text->SetWidth(width);
        if ((m_textAlign & TA_BASELINE) == TA_BASELINE && height > 0)
            text->Shift(0, -0.3f * height, nullptr, true);
        if (m_textScale > 0)
            text->SetXScale(static_cast<float>(m_textScale));
        if (m_textColor != 0)
            text->SetPenColor(m_textColor);
        return place(text);
    }
    default: return 0;
    }
}

void CMetafileConverter::CollectBand(const ENHMETARECORD* record)
{
    // EMRSETDIBITSTODEVICE: bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmiSrc, cbBmiSrc,
    // offBitsSrc, cbBitsSrc, iUsageSrc, iStartScan, cScans.
    const RecordView view(record);
    if (!view.Has(0, 76))
        return;
    const LONG x = view.Long(24), y = view.Long(28), w = view.Long(40), h = view.Long(44);
    const DWORD offBmi = view.Word(48), cbBmi = view.Word(52), offBits = view.Word(56), cbBits = view.Word(60);
    if (w <= 0 || h <= 0 || !view.Has(offBmi, cbBmi) || !view.Has(offBits, cbBits) || cbBmi < sizeof(BITMAPINFOHEADER))
        return;
    Band band;
    band.rect = RECT{x, y, x + w, y + h};
    band.record.assign(view.data, view.data + view.size);
    if (!m_bands.empty()) {
        const RECT& last = m_bands.back().rect;
        const bool beside = band.rect.top == last.top && band.rect.bottom == last.bottom && band.rect.left == last.right;
        const bool below = band.rect.left == last.left && band.rect.right == last.right && band.rect.top == last.bottom;
        const bool continues = m_bandDirection == 0 ? (beside || below) : m_bandDirection == 1 ? beside : below;
        if (!continues) {
            FlushBands();
        } else if (m_bandDirection == 0) {
            m_bandDirection = beside ? 1 : 2;
        }
    }
    m_bands.push_back(std::move(band));
}

void CMetafileConverter::FlushBands()
{
    if (m_bands.empty())
        return;
    RECT all = m_bands.front().rect;
    for (const Band& band : m_bands)
        UnionRect(&all, &all, &band.rect);
    HDC screen = GetDC(nullptr);
    // The frame in 0.01 mm from the screen's pixels.
    const int mmX = GetDeviceCaps(screen, HORZSIZE), mmY = GetDeviceCaps(screen, VERTSIZE);
    const int pxX = GetDeviceCaps(screen, HORZRES), pxY = GetDeviceCaps(screen, VERTRES);
    RECT frame = {0, 0, (all.right - all.left) * mmX * 100 / std::max(pxX, 1),
                  (all.bottom - all.top) * mmY * 100 / std::max(pxY, 1)};
    HDC recorder = CreateEnhMetaFileA(screen, nullptr, &frame, "image");
    ReleaseDC(nullptr, screen);
    if (!recorder) {
        m_bands.clear();
        m_bandDirection = 0;
        return;
    }
    for (const Band& band : m_bands) {
        const RecordView view(reinterpret_cast<const ENHMETARECORD*>(band.record.data()));
        const auto* info = reinterpret_cast<const BITMAPINFO*>(view.data + view.Word(48));
        SetDIBitsToDevice(recorder, band.rect.left - all.left, band.rect.top - all.top, view.Word(40), view.Word(44),
                          view.Long(32), view.Long(36), view.Word(68), view.Word(72), view.data + view.Word(56), info,
                          view.Word(64));
    }
    HENHMETAFILE emf = CloseEnhMetaFile(recorder);
    m_bands.clear();
    m_bandDirection = 0;
    if (!emf)
        return;
    CImageResourceMap& map = m_control->GetImageResourceMap();
    CImageResource* resource = nullptr;
    const HRESULT hr = map.LoadResourceFromHandle(emf, &resource);
    DeleteEnhMetaFile(emf);
    if (FAILED(hr) || !resource)
        return;
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    resource->SetDefaultScale(setting ? setting->ImageScale : 1.0f);
    m_madeResources.push_back(resource->GetId());
    auto* image = dynamic_cast<CImage*>(m_control->GetShapeMap().CreateShape(stImage, true, true));
    if (!image)
        return;
    StyleShape(image);
    float left, top, right, bottom;
    Map(all.left, all.top, &left, &top);
    Map(all.right, all.bottom, &right, &bottom);
    image->SetImageResourceId(resource->GetId());
    const int id = m_control->CreatePoint(std::min(left, right), std::max(top, bottom));
    if (id)
        image->AddPointById(id, CShape::kAppend, true);
    image->SetSize(std::fabs(right - left), std::fabs(bottom - top));
    m_group->AddChild(image, nullptr, 0, false);
}

int CMetafileConverter::FinishBlock()
{
    if (!m_group)
        return 0;
    const std::vector<CShape*> children = m_group->Children();
    const bool onlyImages = std::all_of(children.begin(), children.end(),
                                        [](CShape* child) { return child->GetShapeType() == stImage; });
    if (onlyImages) {
        // Pictures alone are no drawing: the conversion is undone, the pictures made go.
        for (CShape* child : children)
            if (auto* image = dynamic_cast<CImage*>(child))
                image->SetImageResourceId(0);
        DiscardGroup();
        for (int id : m_madeResources)
            m_control->GetImageResourceMap().Remove(id);
        return 0;
    }
    float left = 0, top = 0, right = 0, bottom = 0;
    if (SUCCEEDED(m_group->GetBoundingRect(&left, &top, &right, &bottom)))
        m_group->Shift(-std::min(left, right), -std::max(top, bottom), nullptr, true);
    return m_group->GetId();
}

void CMetafileConverter::DiscardGroup()
{
    if (!m_group)
        return;
    CGroup* group = m_group;
    m_group = nullptr;
    m_control->DeleteShapeTree(group, false, false);
}
