// CPDFExporter::InsertShape: each kind of shape drawn with GDI on the engine's page, in points
// (y down): lines and polylines, hatched and solid fills, ellipses and arcs under a magnifying
// world transform, pictures, metafile images through the control's own drawing, and texts.
#include <windows.h>
#include <olectl.h>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "PDFExporter.h"
#include "common/ShapeWalk.h"

namespace {

const double kPi = 3.14159265358979;
const double kTurn = 6.28318530717958;
// The sweep from which an arc is a whole ellipse.
const double kFullSweep = 6.251769380643682;
const long kAlignVerticalCentre = 0x10000;

using Vec = ShapePoint;

// The GDI hatch style of a hatch pattern, -1 for a solid fill.
int HatchStyleOf(long pattern)
{
    switch (pattern) {
    case 2:
    case 18:
    case 23:
    case 26:
        return HS_CROSS;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 22:
    case 24:
        return HS_BDIAGONAL;
    case 9:
    case 19:
        return HS_DIAGCROSS;
    case 10:
    case 11:
    case 12:
    case 13:
    case 15:
    case 16:
    case 17:
    case 20:
    case 21:
    case 25:
        return HS_HORIZONTAL;
    case 14:
        return HS_VERTICAL;
    case 27:
        return HS_FDIAGONAL;
    default:
        return -1;
    }
}

// Tenfold steps until both radii are at least 10 device units and the larger at most 10000: GDI
// draws curves on integer coordinates.
double Magnification(double a, double b)
{
    double m = 1;
    if (a <= 0 || b <= 0 || !std::isfinite(a) || !std::isfinite(b))
        return m;
    while ((m * a < 10 || m * b < 10) && m < 1e12)
        m *= 10;
    while (m * a > 10000 && m * b > 10000 && m > 1e-12)
        m /= 10;
    return m;
}

std::string Narrow(BSTR text)
{
    std::string out;
    if (!text)
        return out;
    const int length = static_cast<int>(SysStringLen(text));
    const int n = WideCharToMultiByte(1252, 0, text, length, nullptr, 0, "?", nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0)
        WideCharToMultiByte(1252, 0, text, length, &out[0], n, "?", nullptr);
    return out;
}

// An RTF text reduced to its words: \par as a line end, \cfN choosing a colour of the colour
// table (the first such choice counts), nested groups skipped but the colour table read.
struct ReducedRtf {
    std::string text;
    std::vector<COLORREF> colours;
    int colour = -1;
};

ReducedRtf ReduceRtf(const std::string& rtf)
{
    ReducedRtf out;
    int depth = 0;
    size_t i = 0;
    const size_t n = rtf.size();
    auto word = [&](size_t at, std::string* name, long* number, bool* hasNumber) {
        size_t k = at;
        while (k < n && std::isalpha(static_cast<unsigned char>(rtf[k])))
            *name += rtf[k++];
        *hasNumber = false;
        *number = 0;
        const size_t digits = k;
        if (k < n && rtf[k] == '-')
            ++k;
        while (k < n && std::isdigit(static_cast<unsigned char>(rtf[k])))
            ++k;
        if (k > digits && std::isdigit(static_cast<unsigned char>(rtf[k - 1]))) {
            *hasNumber = true;
            *number = std::strtol(rtf.c_str() + digits, nullptr, 10);
        } else {
            k = digits;
        }
        if (k < n && rtf[k] == ' ')
            ++k;
        return k;
    };
    while (i < n) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
            if (depth < 2)
                continue;
            // A nested group: the colour table is read, any other is skipped whole.
            size_t k = i;
            if (rtf.compare(k, 2, "\\*") == 0)
                k += 2;
            while (k < n && (rtf[k] == ' ' || rtf[k] == '\r' || rtf[k] == '\n'))
                ++k;
            const bool table = rtf.compare(k, 9, "\\colortbl") == 0;
            int level = 1;
            int red = 0, green = 0, blue = 0;
            size_t j = table ? k + 9 : i;
            while (j < n && level > 0) {
                if (rtf[j] == '{') {
                    ++level;
                    ++j;
                } else if (rtf[j] == '}') {
                    --level;
                    ++j;
                } else if (table && level == 1 && rtf[j] == ';') {
                    out.colours.push_back(RGB(red, green, blue));
                    red = green = blue = 0;
                    ++j;
                } else if (table && level == 1 && rtf[j] == '\\') {
                    std::string name;
                    long number = 0;
                    bool hasNumber = false;
                    j = word(j + 1, &name, &number, &hasNumber);
                    if (name.empty())
                        ++j;
                    else if (name == "red")
                        red = static_cast<int>(number & 0xFF);
                    else if (name == "green")
                        green = static_cast<int>(number & 0xFF);
                    else if (name == "blue")
                        blue = static_cast<int>(number & 0xFF);
                } else {
                    ++j;
                }
            }
            i = j;
            --depth;
        } else if (c == '}') {
            --depth;
            ++i;
        } else if (c == '\\') {
            if (i + 1 < n && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
                out.text += rtf[i + 1];
                i += 2;
                continue;
            }
            if (i + 3 < n && rtf[i + 1] == '\'') {
                out.text += static_cast<char>(std::strtol(rtf.substr(i + 2, 2).c_str(), nullptr, 16));
                i += 4;
                continue;
            }
            std::string name;
            long number = 0;
            bool hasNumber = false;
            const size_t next = word(i + 1, &name, &number, &hasNumber);
            if (name.empty()) {
                i += 2;
                continue;
            }
            if (name == "par")
                out.text += "\r\n";
            else if (name == "tab")
                out.text += '\t';
            else if (name == "cf" && hasNumber && out.colour < 0)
                out.colour = static_cast<int>(number);
            i = next;
        } else {
            if (c != '\r' && c != '\n')
                out.text += c;
            ++i;
        }
    }
    // A last paragraph mark ends the text, not a line of its own.
    while (out.text.size() >= 2 && out.text.compare(out.text.size() - 2, 2, "\r\n") == 0)
        out.text.erase(out.text.size() - 2);
    return out;
}

} // namespace

void CPDFExporter::InsertShape(IShape* shape)
{
    if (!shape || !m_dc)
        return;
    VARIANT_BOOL visible = VARIANT_FALSE;
    RaiseIfFailed(shape->get_Visible(&visible), shape);
    if (!visible)
        return;
    long type = 0;
    RaiseIfFailed(shape->get_ShapeType(&type), shape);
    const int saved = SaveDC(m_dc);
    struct Restore {
        HDC dc;
        int saved;
        ~Restore() { RestoreDC(dc, saved); }
    } restore{m_dc, saved};
    OLE_COLOR pen = 0;
    RaiseIfFailed(shape->get_TranslatedPenColor(&pen), shape);
    SelectObject(m_dc, GetStockObject(DC_PEN));
    SetDCPenColor(m_dc, pen & 0xFFFFFF);

    long hatchId = 0;
    RaiseIfFailed(shape->get_TranslatedHatchPatternID(&hatchId), shape);
    bool filling = false;
    HGDIOBJ previousBrush = nullptr;
    HBRUSH created = nullptr;
    struct BrushEnd {
        HBRUSH* brush;
        ~BrushEnd()
        {
            if (*brush)
                DeleteObject(*brush);
        }
    } brushEnd{&created};
    if (hatchId != 0 && (type == stPolyline || type == stRectangle || type == stPolygon || type == stArc ||
                         type == stEllipse || type == stCircle)) {
        OLE_COLOR hatch = 0;
        RaiseIfFailed(shape->get_TranslatedHatchColor(&hatch), shape);
        const int style = HatchStyleOf(hatchId);
        if (style >= 0) {
            created = CreateHatchBrush(style, hatch & 0xFFFFFF);
            previousBrush = SelectObject(m_dc, created);
        } else {
            previousBrush = SelectObject(m_dc, GetStockObject(DC_BRUSH));
            if (!previousBrush || SetDCBrushColor(m_dc, hatch & 0xFFFFFF) == CLR_INVALID) {
                created = CreateHatchBrush(HS_HORIZONTAL, hatch & 0xFFFFFF);
                const HGDIOBJ before = SelectObject(m_dc, created);
                if (!previousBrush)
                    previousBrush = before;
            }
        }
        BeginPath(m_dc);
        filling = true;
    }

    switch (type) {
    case stLine:
    case stRectangle:
    case stPolyline:
        DrawPoints(shape, type, &filling, &previousBrush);
        break;
    case stArc:
    case stEllipse:
    case stCircle:
        DrawCurve(shape, type);
        break;
    case stGroup:
    case stReference: {
        IShapeCollectionPtr children;
        RaiseIfFailed(shape->get_Shapes(&children), shape);
        for (long i = 1; i <= CountOf(children); ++i) {
            IShapePtr child;
            RaiseIfFailed(children->get_Item(i, &child), children);
            if (child)
                InsertShape(child);
        }
        break;
    }
    case stImage:
        DrawImage(shape);
        break;
    case stText:
        DrawText(shape);
        break;
    default:
        break;
    }
    if (filling) {
        EndPath(m_dc);
        StrokeAndFillPath(m_dc);
    }
    if (previousBrush)
        SelectObject(m_dc, previousBrush);
}

void CPDFExporter::DrawPoints(IShape* shape, long type, bool* filling, HGDIOBJ* previousBrush)
{
    const std::vector<Vec> points = PointsOf(shape);
    if (points.empty())
        return;
    long flags = 0;
    if (type != stLine) {
        IPolylineShapePtr polyline(shape);
        if (polyline)
            RaiseIfFailed(polyline->get_Flags(&flags), polyline);
    }
    const bool closed = (flags & pfClosed) != 0;
    std::vector<POINT> page;
    for (const Vec& p : points)
        page.push_back({static_cast<LONG>(PageX(p.x)), static_cast<LONG>(PageY(p.y))});
    if (closed)
        page.push_back(page.front());
    else if (*filling) {
        // An open shape is only stroked.
        AbortPath(m_dc);
        *filling = false;
        if (*previousBrush)
            SelectObject(m_dc, *previousBrush);
        *previousBrush = nullptr;
    }
    if (flags & pfBezier)
        PolyBezier(m_dc, page.data(), static_cast<DWORD>(page.size()));
    else
        Polyline(m_dc, page.data(), static_cast<int>(page.size()));
}

void CPDFExporter::DrawCurve(IShape* shape, long type)
{
    const std::vector<Vec> points = PointsOf(shape);
    if (points.empty())
        return;
    double start = 0, end = 360, major = 0, ratio = 1, extrusion = 0, angle = 0;
    IEllipseShapePtr ellipse(shape);
    if (ellipse) {
        RaiseIfFailed(ellipse->get_StartAngle(&start), ellipse);
        RaiseIfFailed(ellipse->get_EndAngle(&end), ellipse);
        RaiseIfFailed(ellipse->get_MajorRadius(&major), ellipse);
        RaiseIfFailed(ellipse->get_MinorRatio(&ratio), ellipse);
        RaiseIfFailed(ellipse->get_ZExtrusion(&extrusion), ellipse);
    } else if (IArcShapePtr arc = IArcShapePtr(shape)) {
        RaiseIfFailed(arc->get_StartAngle(&start), arc);
        RaiseIfFailed(arc->get_EndAngle(&end), arc);
        RaiseIfFailed(arc->get_Radius(&major), arc);
    } else if (ICircleShapePtr circle = ICircleShapePtr(shape)) {
        RaiseIfFailed(circle->get_Radius(&major), circle);
    } else {
        return;
    }
    if (type == stCircle) {
        start = 0;
        end = 360;
    }
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    const double a0 = start * kPi / 180;
    double a1 = end * kPi / 180;
    if (!std::isfinite(a0) || !std::isfinite(a1))
        return;
    while (a1 <= a0)
        a1 += kTurn;
    const double R = major * m_pageScale, r = R * ratio;
    const double theta = angle * kPi / 180;
    const bool clockwise = extrusion < 0;
    const double m = Magnification(R, r);

    // The figure about the origin at m times its size, the world transform taking it back down
    // and turning it about its centre on the page.
    XFORM xform;
    xform.eM11 = static_cast<FLOAT>(std::cos(theta) / m);
    xform.eM12 = static_cast<FLOAT>(-std::sin(theta) / m);
    xform.eM21 = static_cast<FLOAT>(std::sin(theta) / m);
    xform.eM22 = static_cast<FLOAT>(std::cos(theta) / m);
    xform.eDx = static_cast<FLOAT>(PageX(points[0].x));
    xform.eDy = static_cast<FLOAT>(PageY(points[0].y));
    SetGraphicsMode(m_dc, GM_ADVANCED);
    SetWorldTransform(m_dc, &xform);
    const double R2 = m * R, r2 = m * r;
    if (a1 - a0 >= kFullSweep) {
        // A whole ellipse at its own size.
        Ellipse(m_dc, static_cast<int>(-R2), static_cast<int>(r2), static_cast<int>(R2), static_cast<int>(-r2));
        return;
    }
    SetArcDirection(m_dc, clockwise ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE);
    // The radials on the page (y down): a world angle goes up from the major axis; mirrored, down.
    auto radial = [&](double a, int* x, int* y) {
        if (a == 0) {
            *x = static_cast<int>(R2);
            *y = 0;
            return;
        }
        const double turned = clockwise ? a : -a;
        *x = static_cast<int>(R2 * std::cos(turned));
        *y = static_cast<int>(R2 * std::sin(turned));
    };
    int sx, sy, ex, ey;
    radial(a0, &sx, &sy);
    radial(a1, &ex, &ey);
    Arc(m_dc, static_cast<int>(R2), static_cast<int>(r2), static_cast<int>(-R2), static_cast<int>(-r2), sx, sy, ex, ey);
}

namespace {

std::vector<BYTE> ReadWhole(const wchar_t* path)
{
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x40000000) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
            bytes.clear();
    }
    CloseHandle(file);
    return bytes;
}

// A JPEG or GIF file's bytes as an OLE picture, rendered whole onto (0, 0, w, h).
void RenderPicture(HDC dc, const std::vector<BYTE>& bytes, int w, int h)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory)
        return;
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return;
    }
    IPicture* picture = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture))) &&
        picture) {
        OLE_XSIZE_HIMETRIC pw = 0;
        OLE_YSIZE_HIMETRIC ph = 0;
        picture->get_Width(&pw);
        picture->get_Height(&ph);
        // OLE pictures take their source upside down, in 0.01 mm.
        picture->Render(dc, 0, 0, w, h, 0, ph, pw, -ph, nullptr);
        picture->Release();
    }
    stream->Release();
}

} // namespace

void CPDFExporter::DrawImage(IShape* shape)
{
    IImageShapePtr image(shape);
    if (!image || !m_runResources)
        return;
    long resourceId = 0;
    double width = 0, height = 0, angle = 0, x = 0, y = 0;
    RaiseIfFailed(image->get_ImageResourceID(&resourceId), image);
    RaiseIfFailed(image->get_Width(&width), image);
    RaiseIfFailed(image->get_Height(&height), image);
    IImageResourcePtr resource;
    RaiseIfFailed(m_runResources->get_ItemByID(resourceId, &resource), m_runResources);
    if (!resource)
        return;
    const int saved = SaveDC(m_dc);
    struct Restore {
        HDC dc;
        int saved;
        ~Restore() { RestoreDC(dc, saved); }
    } restore{m_dc, saved};
    ImageResourceTypes kind = irtUnknown;
    RaiseIfFailed(resource->get_ResourceType(&kind), resource);
    if (kind == irtExtMetafile) {
        DrawEnhMetafile(shape);
        return;
    }
    const double w = width * m_pageScale, h = height * m_pageScale;
    const double m = Magnification(w, h);
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"pict", 0, file))
        return;
    struct Remove {
        const wchar_t* path;
        ~Remove() { DeleteFileW(path); }
    } remove{file};
    RaiseIfFailed(resource->SaveToFile(_bstr_t(file)), resource);
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    RaiseIfFailed(shape->get_PositionX(&x), shape);
    RaiseIfFailed(shape->get_PositionY(&y), shape);
    const double theta = angle * kPi / 180;
    XFORM xform;
    xform.eM11 = static_cast<FLOAT>(std::cos(theta) / m);
    xform.eM12 = static_cast<FLOAT>(-std::sin(theta) / m);
    xform.eM21 = static_cast<FLOAT>(std::sin(theta) / m);
    xform.eM22 = static_cast<FLOAT>(std::cos(theta) / m);
    xform.eDx = static_cast<FLOAT>(PageX(x));
    xform.eDy = static_cast<FLOAT>(PageY(y));
    SetGraphicsMode(m_dc, GM_ADVANCED);
    SetWorldTransform(m_dc, &xform);
    const int pw = static_cast<int>(w * m), ph = static_cast<int>(h * m);

    const std::vector<BYTE> bytes = ReadWhole(file);
    if (bytes.size() >= 4 && bytes[0] == 'B' && bytes[1] == 'M') {
        // A bitmap file: its header, its colours and its rows, each part checked against the file.
        if (bytes.size() < 14 + 12)
            return;
        const DWORD offBits = bytes[10] | (bytes[11] << 8) | (bytes[12] << 16) | (static_cast<DWORD>(bytes[13]) << 24);
        const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + 14);
        const DWORD headerSize = info->bmiHeader.biSize;
        if (headerSize < 40 || 14 + headerSize > bytes.size() || offBits >= bytes.size() || offBits < 14 + headerSize)
            return;
        const LONG bw = info->bmiHeader.biWidth, bh = std::labs(info->bmiHeader.biHeight);
        const size_t stride = ((static_cast<size_t>(bw) * info->bmiHeader.biBitCount + 31) / 32) * 4;
        if (bw <= 0 || bh <= 0 || (info->bmiHeader.biCompression == BI_RGB && stride * bh > bytes.size() - offBits))
            return;
        StretchDIBits(m_dc, 0, 0, pw, ph, 0, 0, bw, bh, bytes.data() + offBits, info, DIB_RGB_COLORS, SRCCOPY);
    } else if ((bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) ||
               (bytes.size() >= 3 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F')) {
        RenderPicture(m_dc, bytes, pw, ph);
    }
}

int CPDFExporter::DrawEnhMetafile(IShape* shape)
{
    if (!m_selection || !m_engine)
        return 0;
    long id = 0;
    RaiseIfFailed(shape->get_ID(&id), shape);
    auto emptySelection = [this]() {
        while (CountOf(m_selection) > 0)
            RaiseIfFailed(m_selection->Delete(1), m_selection);
    };
    emptySelection();
    RaiseIfFailed(m_selection->AddShape(id), m_selection);
    float l = 0, t = 0, r = 0, b = 0;
    RaiseIfFailed(shape->GetBoundingRect(&l, &t, &r, &b), shape);
    const int x = static_cast<int>(PageX(l)), y = static_cast<int>(PageY(t));
    int w = static_cast<int>((r - l) * m_pageScale), h = static_cast<int>((t - b) * m_pageScale);
    if (w <= 0 || h <= 0) {
        w = w > 0 ? w : 11;
        h = h > 0 ? h : 11;
    }
    // The control draws the selection alone, at its bounds without a margin, into a metafile of
    // enough pixels for its detail; the engine plays it over the shape's rectangle on the page.
    const double m = Magnification(w, h);
    CSize size(static_cast<int>(w * m), static_cast<int>(h * m));
    HENHMETAFILE metafile = DrawYVEXOnMetafile(size, nullptr, dmfSourceSelection | dmfPrecise, 0);
    int result = 0;
    if (metafile) {
        result = m_engine->DrawMetafile(metafile, x, y, w, h);
        DeleteEnhMetaFile(metafile);
    }
    emptySelection();
    return result;
}

void CPDFExporter::DrawText(IShape* shape)
{
    ITextShapePtr text(shape);
    if (!text || !m_engine)
        return;
    BSTR content = nullptr;
    RaiseIfFailed(text->get_Text(&content), text);
    std::string value = Narrow(content);
    SysFreeString(content);
    OLE_COLOR pen = 0;
    RaiseIfFailed(shape->get_TranslatedPenColor(&pen), shape);
    const COLORREF previousColour = SetTextColor(m_dc, pen & 0xFFFFFF);

    double height = 0, angle = 0, boxWidth = 0, xScale = 1, ax = 0, ay = 0;
    VARIANT_BOOL italic = VARIANT_FALSE, underline = VARIANT_FALSE;
    long charset = 0;
    TextTypes textType = ttANSI;
    Alignments align = alLeft;
    BSTR face = nullptr;
    RaiseIfFailed(text->get_Height(&height), text);
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    RaiseIfFailed(text->get_FontItalic(&italic), text);
    RaiseIfFailed(text->get_FontUnderline(&underline), text);
    RaiseIfFailed(text->get_FontCharset(&charset), text);
    RaiseIfFailed(text->get_FontName(&face), text);
    const std::string faceName = Narrow(face);
    SysFreeString(face);
    RaiseIfFailed(text->get_Type(&textType), text);
    RaiseIfFailed(text->get_Width(&boxWidth), text);
    RaiseIfFailed(text->get_XScale(&xScale), text);
    RaiseIfFailed(text->get_AlignType(&align), text);
    RaiseIfFailed(shape->get_PositionX(&ax), shape);
    RaiseIfFailed(shape->get_PositionY(&ay), shape);

    LOGFONTA font = {};
    font.lfHeight = static_cast<LONG>(m_pageScale * height * -1.2);
    font.lfEscapement = font.lfOrientation = static_cast<LONG>(angle * 10);
    font.lfItalic = italic ? 1 : 0;
    font.lfUnderline = underline ? 1 : 0;
    font.lfCharSet = static_cast<BYTE>(charset);
    // The face's record holds 31 characters: a longer name is cut there.
    std::strncpy(font.lfFaceName, faceName.c_str(), LF_FACESIZE - 1);
    HFONT created = CreateFontIndirectA(&font);
    const HGDIOBJ previousFont = created ? SelectObject(m_dc, created) : nullptr;

    const double h = std::fabs(height * 1.3);
    const double theta = angle * kPi / 180;
    double c = 1, s = 0;
    if (theta != 0) {
        c = std::cos(theta);
        s = std::sin(theta);
    }
    float l = 0, t = 0, r = 0, b = 0;
    RaiseIfFailed(shape->GetBoundingRect(&l, &t, &r, &b), shape);
    double w = c != 0 ? (r - l - s * h) / c : s != 0 ? (t - b - c * h) / s : xScale * value.size() * h * 0.75;

    double wrap = 0;
    if (textType == ttRTF) {
        wrap = boxWidth * m_pageScale;
        const ReducedRtf reduced = ReduceRtf(value);
        value = reduced.text;
        if (reduced.colour >= 0 && reduced.colour < static_cast<int>(reduced.colours.size()))
            SetTextColor(m_dc, reduced.colours[static_cast<size_t>(reduced.colour)]);
    }
    SelectObject(m_dc, GetStockObject(NULL_PEN));

    // The anchor's shift by the alignment (a text of negative height is upside down: top and
    // bottom swap).
    long a = align;
    if (height < 0) {
        if (a == 0 || a == 2 || a == 6)
            a |= 8;
        else if (a == 8 || a == 10 || a == 14)
            a &= ~8L;
    }
    long lines = 1;
    for (char ch : value)
        lines += ch == '\n';
    const double wx = w * c, wy = w * s;    // the width vector, turned
    const double hx = -h * s, hy = h * c;   // the height vector, turned
    double shiftX = 0, shiftY = 0;
    if (textType != ttRTF) {
        const double n = static_cast<double>(lines);
        switch (a) {
        case 2:
            shiftX = -wx, shiftY = -wy;
            break;
        case 6:
            shiftX = -wx / 2, shiftY = -wy / 2;
            break;
        case 8:
            shiftX = n * hx, shiftY = n * hy;
            break;
        case 10:
            shiftX = n * hx - wx, shiftY = n * hy - wy;
            break;
        case 14:
            shiftX = n * hx - wx / 2, shiftY = n * hy - wy / 2;
            break;
        case kAlignVerticalCentre:
            shiftX = n * hx / 2, shiftY = n * hy / 2;
            break;
        case kAlignVerticalCentre | 2:
            shiftX = n * hx / 2 - wx, shiftY = n * hy / 2 - wy;
            break;
        case kAlignVerticalCentre | 6:
            shiftX = n * hx / 2 - wx / 2, shiftY = n * hy / 2 - wy / 2;
            break;
        default:
            break;
        }
    }
    ax += shiftX;
    ay += shiftY;

    TEXTMETRICA metrics = {};
    GetTextMetricsA(m_dc, &metrics);
    const double average = metrics.tmAveCharWidth;
    // Column offsets are in points on the page; the world offsets below divide them back.
    auto write = [&](const std::string& segment, int line, int column, bool afterTab) {
        if (segment.empty())
            return;
        const double dy = -line * h;
        const double dx = afterTab && m_pageScale > 0 ? column * average * std::fabs(xScale) * 1.01 / m_pageScale : 0;
        double ox = dx, oy = dy;
        if (theta != 0) {
            ox = dx * std::cos(theta) - dy * std::sin(theta);
            oy = dx * std::sin(theta) + dy * std::cos(theta);
        }
        m_engine->TextOut(static_cast<int>((ax + ox - m_left) * m_pageScale + m_marginX),
                          static_cast<int>((m_top - (ay + oy)) * m_pageScale + m_marginY), segment.c_str());
    };
    std::string segment;
    int line = 0, column = 0, segmentColumn = 0;
    bool afterTab = false;
    for (size_t i = 0; i < value.size(); ++i) {
        const char ch = value[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
            write(segment, line, segmentColumn, afterTab);
            segment.clear();
            ++line;
            column = segmentColumn = 0;
            afterTab = false;
        } else if (ch == '\t') {
            write(segment, line, segmentColumn, afterTab);
            segment.clear();
            column = column == 0 ? 10 : (column / 10 + 1) * 10;
            segmentColumn = column;
            afterTab = true;
        } else if (ch == ' ' && wrap > 0 && (column + 0.5) * average * 0.93 >= wrap) {
            write(segment, line, segmentColumn, afterTab);
            segment.clear();
            ++line;
            column = segmentColumn = 0;
            afterTab = false;
        } else {
            segment += ch;
            ++column;
        }
    }
    write(segment, line, segmentColumn, afterTab);

    if (previousFont)
        SelectObject(m_dc, previousFont);
    if (created)
        DeleteObject(created);
    SetTextColor(m_dc, previousColour);
}
