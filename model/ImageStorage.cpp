// The image shape in storage: the IMAGE entity (or a SOLID of its rectangle) with the picture's
// file in the extended data, the ImageShapes row and the image records of the record tables. The
// picture itself is stored once, as the site's image resource.
#include "model/Image.h"
#include "com/AnsiText.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ShapeKindSql.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace {
const double kDegreesToRadians = 0.017453292519943278;
const double kRadiansToDegrees = 57.29577951308238;
// The DXF version code that omits the subclass markers.
const int kOldDxfVersion = 1;

float Normalized(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0.0)
        a += 360.0;
    return static_cast<float>(a >= 360.0 ? 0.0 : a);
}

bool IsAddress(const std::string& path) { return path.compare(0, 6, "ftp://") == 0 || path.compare(0, 7, "http://") == 0; }



// A path's drive ("X:" or empty), folder (up to its last separator, empty when none) and the rest.
struct SplitPath
{
    std::string drive, folder, file;
};
SplitPath Split(const std::string& path)
{
    SplitPath out;
    size_t at = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        out.drive = path.substr(0, 2);
        at = 2;
    }
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash >= at) {
        out.folder = path.substr(at, slash + 1 - at);
        at = slash + 1;
    }
    out.file = path.substr(at);
    return out;
}

} // namespace

// --- DXF writing ---------------------------------------------------------------------------------

HRESULT CImage::WriteDxf(CDxfFile& dxf)
{
    const CPointRecord* p = Corner();
    if (!p)
        return 0;
    if (m_control && (m_control->GetDxfOptions() & CShapeHost::kDxfImagesAsSolids))
        return WriteDxfSolid(dxf);
    // IMAGE came with the subclassed format: readers find its groups by the subclass markers,
    // so they are written whatever the file's version.
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwImage));
    WriteDxfHandle(dxf);
    dxf.WriteStringGroup(100, "AcDbEntity");
    WriteDxfCommonGroups(dxf);
    dxf.WriteStringGroup(100, "AcDbRasterImage");
    const CImageResource* resource = GetImageResource();
    const double pixelsX = resource ? resource->GetWidth() : 10.0;
    const double pixelsY = resource ? resource->GetHeight() : 10.0;
    const double fx = resource && pixelsX ? m_width / pixelsX : 1.0;
    const double fy = resource && pixelsY ? m_height / pixelsY : 1.0;
    const double t = m_rotation * kDegreesToRadians;
    const double c = std::cos(t), s = std::sin(t);
    // DXF places the picture by its lower left corner (C3) and the directions of its pixel rows
    // (U) and columns (V, upwards): a turned or flipped image keeps its place.
    dxf.WriteRealGroup(10, p->x + m_height * s);
    dxf.WriteRealGroup(20, p->y - m_height * c);
    dxf.WriteRealGroup(30, 0.0);
    dxf.WriteRealGroup(11, c * fx);
    dxf.WriteRealGroup(21, s * fx);
    dxf.WriteRealGroup(31, 0.0);
    dxf.WriteRealGroup(12, -s * fy);
    dxf.WriteRealGroup(22, c * fy);
    dxf.WriteRealGroup(32, 0.0);
    dxf.WriteRealGroup(13, pixelsX);
    dxf.WriteRealGroup(23, pixelsY);
    dxf.SetCode(340);
    dxf.SetHandle(static_cast<uint32_t>((m_control ? m_control->GetIdBaseAboveShapes() : 100) + m_imageResourceId));
    dxf.WriteGroup();
    dxf.WriteIntGroup(70, 1);
    dxf.WriteIntGroup(280, 0);
    dxf.WriteIntGroup(281, 50);
    dxf.WriteIntGroup(282, 50);
    dxf.WriteIntGroup(283, 0);
    dxf.WriteIntGroup(71, 1);
    dxf.WriteIntGroup(91, 2);
    dxf.WriteRealGroup(14, -0.5);
    dxf.WriteRealGroup(24, -0.5);
    dxf.WriteRealGroup(14, pixelsX - 0.5);
    dxf.WriteRealGroup(24, pixelsY - 0.5);
    WriteXData(dxf);
    for (CShape* child : std::vector<CShape*>(m_children))
        child->WriteDxf(dxf);
    return 1;
}

HRESULT CImage::WriteDxfSolid(CDxfFile& dxf)
{
    CRealPointD c[4];
    if (!GetCorners(c))
        return 0;
    const bool markers = !m_control || m_control->GetDxfDocument().GetOutputVersion() != kOldDxfVersion;
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwSolid));
    WriteDxfHandle(dxf);
    if (markers)
        dxf.WriteStringGroup(100, "AcDbEntity");
    WriteDxfCommonGroups(dxf);
    if (markers)
        dxf.WriteStringGroup(100, "AcDbTrace");
    // SOLID lists its corners crosswise.
    const CRealPointD* order[4] = {&c[0], &c[1], &c[3], &c[2]};
    for (int i = 0; i < 4; ++i) {
        dxf.WriteRealGroup(10 + i, order[i]->x);
        dxf.WriteRealGroup(20 + i, order[i]->y);
        dxf.WriteRealGroup(30 + i, 0.0);
    }
    WriteXData(dxf);
    return 1;
}

int CImage::WriteXDataOwn(CDxfFile& dxf)
{
    CImageResource* resource = GetImageResource();
    if (!resource)
        return 0;
    if (dxf.GetLocalPath().empty()) {
        // A stream has no folder to write into: the picture's own file is named as it is.
        if (resource->GetSourcePath().empty())
            return 0;
    } else {
        // The picture's file beside the DXF file (written or uploaded there unless it is there
        // already, under a name of its own).
        std::wstring fileName;
        if (!resource->PlaceBesideDxf(dxf, &fileName))
            return 0;
    }
    if (resource->GetName().empty())
        return 1;
    const char* keyword = CDxfFile::KeywordFromIndex(CDxfFile::kwImageData);
    dxf.WriteStringGroup(1000, keyword ? keyword : "");
    // The file just written beside the drawing, which the drawing names from now on.
    dxf.WriteStringGroup(1000, ycom::WideToAnsi(resource->GetSourcePath()).c_str());
    return 1;
}

// --- DXF reading ---------------------------------------------------------------------------------

HRESULT CImage::ReadDxf(CDxfFile& dxf)
{
    double x = 0, y = 0, ux = 0, uy = 0, vx = 0, vy = 0, pixelsX = 0, pixelsY = 0;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 10: x = dxf.GetReal(); break;
        case 20: y = dxf.GetReal(); break;
        case 11: ux = dxf.GetReal(); break;
        case 21: uy = dxf.GetReal(); break;
        case 12: vx = dxf.GetReal(); break;
        case 22: vy = dxf.GetReal(); break;
        case 13: pixelsX = dxf.GetReal(); break;
        case 23: pixelsY = dxf.GetReal(); break;
        case 340:
            // The IMAGEDEF's handle stands in the ID until the load maps it to the resource that
            // object became (the extended data that follows may name the picture first).
            ReleaseResourceRef();
            m_imageResourceId = static_cast<int>(dxf.GetHandle());
            break;
        default: break;
        }
    });
    // A drawing whose y grows downwards is turned over, as the other kinds are: the picture is
    // mirrored.
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        y = -y;
        uy = -uy;
        vy = -vy;
    }
    const double uLength = std::sqrt(ux * ux + uy * uy), vLength = std::sqrt(vx * vx + vy * vy);
    m_width = static_cast<float>(uLength * pixelsX);
    // Rows and columns turning clockwise into each other make a mirrored picture: its height is
    // negative.
    const bool mirrored = ux * vy - uy * vx < 0.0;
    m_height = static_cast<float>(vLength * pixelsY * (mirrored ? -1.0 : 1.0));
    m_rotation = Normalized(std::atan2(uy, ux) * kRadiansToDegrees);
    // The corner point is the top of the picture's first column: the insertion point moved along
    // the columns by the picture's height.
    if (m_control) {
        const int pointId = m_control->CreatePoint(static_cast<float>(x + vx * pixelsY), static_cast<float>(y + vy * pixelsY));
        if (pointId > 0)
            AddPointById(pointId, kAppend, true);
    }
    SetExtentCached(false);
    return ended;
}

int CImage::ReadXDataOwn(CDxfFile& dxf)
{
    if (!dxf.ReadGroup())
        return 1;
    if (dxf.GetCode() != 1000) {
        dxf.UngetGroup();
        return 1;
    }
    std::string source = dxf.GetText();
    if (!IsAddress(source)) {
        const SplitPath parts = Split(source);
        const bool absoluteFolder = !parts.folder.empty() && (parts.folder[0] == '\\' || parts.folder[0] == '/');
        if (!(!parts.drive.empty() && absoluteFolder)) {
            if (dxf.HasSource()) {
                // Beside the drawing's address.
                const std::string& url = dxf.GetUrl();
                size_t end = url.find_last_of('/');
                if (end == std::string::npos)
                    end = url.find_last_of('\\');
                if (end != std::string::npos)
                    source = url.substr(0, end + 1) + source;
            } else if (!dxf.GetLocalPath().empty()) {
                // Beside the drawing's file: what the name lacks comes from there; a folder of
                // its own counts from the drawing's folder.
                const SplitPath own = Split(dxf.GetLocalPath());
                const std::string drive = parts.drive.empty() ? own.drive : parts.drive;
                const std::string folder = parts.folder.empty() ? own.folder
                                           : absoluteFolder   ? parts.folder
                                                              : own.folder + parts.folder;
                source = drive + folder + parts.file;
            }
        }
    }
    if (!m_control)
        return 0;
    CImageResource* resource = m_control->GetImageResourceMap().LoadFromFile(ycom::AnsiToWide(source), 0.1f, -1);
    if (!resource)
        return 0;
    SetImageResourceId(resource->GetId());
    return 1;
}

// --- Database and record tables ------------------------------------------------------------------

HRESULT CImage::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    const int before = m_databaseId;
    // The Shapes row and the corner point (an image has no GroupShapes row).
    const HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    const CImageResource* resource = GetImageResource();
    if (m_databaseId < 1 || !resource)
        return E_FAIL;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    const int imageDbId = resource->GetDatabaseId();
    return SaveKindRow(session, before >= 1, true, ShapeKindSql::UpdateImage,
                       {m_width, m_height, m_rotation, imageDbId, m_databaseId}, ShapeKindSql::InsertImage,
                       {m_databaseId, scenario, m_width, m_height, m_rotation, imageDbId});
}

HRESULT CImage::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    if (FAILED(hr))
        return hr;
    CImagesTable* images = tables->Images();
    if (!images)
        return S_FALSE;
    bool alreadyStored = false;
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    CImageResourceMap* map = m_control ? &m_control->GetImageResourceMap() : nullptr;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    if (mode & DXFMODE_LOAD) {
        const CImagesRecord* record = images->FindRecord(key);
        if (!record)
            return E_ACCESSDENIED;
        m_height = static_cast<float>(record->Height);
        m_width = static_cast<float>(record->Width);
        m_rotation = Normalized(record->RotationAngle);
        const int stored = record->ImageResourceID;
        int current = tables->StoredToCurrentId(stored, 7, static_cast<int>(mode));
        if (map) {
            if (!map->Lookup(current) && tables->ImageResources()) {
                // The picture travels in the same set: it is read now.
                map->ExchangeTables(tables, mode | DXFMODE_SINGLE_OBJECT, stored);
                current = tables->StoredToCurrentId(stored, 7, static_cast<int>(mode));
            }
            if (!map->Lookup(current) && map->GetCount() > 0)
                current = -1;
        }
        SetImageResourceId(current);
        return hr;
    }
    if (!(m_state & stPersistent))
        return S_FALSE;
    CImagesRecord record;
    record.ShapeID = key;
    record.DatabaseID = keepIds ? m_databaseId : 0;
    record.Width = m_width;
    record.Height = m_height;
    record.RotationAngle = m_rotation;
    CImageResource* resource = GetImageResource();
    if (keepIds) {
        record.ImageResourceID = m_imageResourceId;
        CImageResourcesTable* pictures = tables->ImageResources();
        if (resource && pictures && (mode & 0x802) == 0x802 && !pictures->FindRecord(m_imageResourceId))
            resource->ExchangeTables(tables, mode);
    } else {
        // The picture's record in this set when it has one (its key is what a reader translates);
        // else the picture's database identity.
        int stored = tables->CurrentToStoredId(m_imageResourceId, 7, static_cast<int>(mode));
        if (stored == CDataTableSet::kNoIdMapping && resource && tables->ImageResources() && (mode & 0x802) == 0x802 &&
            SUCCEEDED(resource->ExchangeTables(tables, mode)))
            stored = tables->CurrentToStoredId(m_imageResourceId, 7, static_cast<int>(mode));
        if (stored == CDataTableSet::kNoIdMapping) {
            const int databaseId = resource ? resource->GetDatabaseId() : 0;
            stored = databaseId >= 1 ? databaseId : -1;
        }
        record.ImageResourceID = stored;
    }
    if (CImagesRecord* existing = images->FindRecord(key))
        *existing = record;
    else
        images->Insert(record);
    return hr;
}
