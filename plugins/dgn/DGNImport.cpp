#include "DGNImport.h"
#include <cmath>
#include "DesignFile.h"
#include "Point2dArray.h"
#include "Point3dArray.h"

CDGNImport::CDGNImport(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVImporter(control, user, callback)
{
    Init();
}

CDGNImport::CDGNImport(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVImporter(control, notifier)
{
    Init();
}

CDGNImport::CDGNImport(const CDGNImport& other) : CVImporter(other)
{
    *this = other;
}

CDGNImport& CDGNImport::operator=(const CDGNImport& other)
{
    if (this == &other)
        return *this;
    CVImporter::operator=(other);
    m_blockTable = other.m_blockTable;
    m_instanceTable = other.m_instanceTable;
    m_viewExtent = other.m_viewExtent;
    m_shiftX = other.m_shiftX;
    m_shiftY = other.m_shiftY;
    m_factor = other.m_factor;
    m_skipViewLevels = other.m_skipViewLevels;
    m_levelLayers = other.m_levelLayers;
    m_graphicGroupMembers = other.m_graphicGroupMembers;
    m_graphicGroups = other.m_graphicGroups;
    m_namePrefix = other.m_namePrefix;
    m_rotation = other.m_rotation;
    m_viewRotation = other.m_viewRotation;
    m_cosRotation = other.m_cosRotation;
    m_sinRotation = other.m_sinRotation;
    m_scale = other.m_scale;
    m_origin = other.m_origin;
    m_viewPivot = other.m_viewPivot;
    m_converted = other.m_converted;
    m_currentGroupId = other.m_currentGroupId;
    m_highestGraphicGroup = other.m_highestGraphicGroup;
    m_takeViewExtent = other.m_takeViewExtent;
    m_attachmentImported = other.m_attachmentImported;
    for (int i = 0; i < 256; ++i)
        m_colours[i] = other.m_colours[i];
    // The design file stays with the importer that opened it (and this one keeps its own): two
    // owners would delete it twice.
    m_runningExtent = other.m_runningExtent;
    m_firstPoint = other.m_firstPoint;
    return *this;
}

CDGNImport::~CDGNImport() = default;

void CDGNImport::Init()
{
    m_shiftX = 0;
    m_shiftY = 0;
    m_highestGraphicGroup = 0;
    m_takeViewExtent = 1;
    m_attachmentImported = false;
    for (COLORREF& c : m_colours)
        c = 0;
    // Dropped, not deleted, as a new run's state starts: the run that opened the file deletes it,
    // and the library's end deletes whatever is still under it.
    m_designFile.release();
    m_currentGroupId = 0;
    m_rotation = 0;
    m_cosRotation = 1.0f;
    m_sinRotation = 0;
    m_viewRotation = 0;
    m_scale = 1.0;
    m_firstPoint = 1;
}

int CDGNImport::Import(const CString& path, unsigned long, unsigned long)
{
    const CString copy(path);
    return ImportFile(copy);
}

CRealPoint<double> CDGNImport::GetShift()
{
    return CRealPoint<double>(static_cast<double>(m_shiftX), static_cast<double>(m_shiftY));
}

double CDGNImport::GetScale() { return m_scale; }

CRealPoint<double> CDGNImport::GetBase() { return CRealPoint<double>(m_viewPivot.x, m_viewPivot.y); }

double CDGNImport::GetRotation() { return static_cast<double>(m_viewRotation); }

CRealPoint<double> CDGNImport::DGNPt(const CRealPoint<double>& p) const { return DGNPt(p.x, p.y); }

CRealPoint<double> CDGNImport::DGNPt(double x, double y) const
{
    x -= m_origin.x;
    y -= m_origin.y;
    if (m_scale != 1.0) {
        x *= m_scale;
        y *= m_scale;
    }
    if (m_rotation != 0) {
        const double e = static_cast<double>(m_rotation);
        const double c = std::cos(e);
        const double s = std::sin(e);
        const double ox = x;
        x = ox * c - y * s;
        y = ox * s + y * c;
    }
    x += static_cast<double>(m_shiftX);
    y += static_cast<double>(m_shiftY);
    if (m_viewRotation != 0) {
        const double r = static_cast<double>(m_viewRotation);
        const double c = std::cos(r);
        const double s = std::sin(r);
        const double dx = x - m_viewPivot.x;
        const double dy = y - m_viewPivot.y;
        x = (dx * c + m_viewPivot.x) - dy * s;
        y = (dx * s + dy * c) + m_viewPivot.y;
    }
    return CRealPoint<double>(x, y);
}

CRealPoint<double> CDGNImport::DGNVector(const CRealPoint<double>& v) const { return DGNVector(v.x, v.y); }

CRealPoint<double> CDGNImport::DGNVector(double x, double y) const
{
    if (m_scale != 1.0) {
        x *= m_scale;
        y *= m_scale;
    }
    for (const float angle : {m_rotation, m_viewRotation}) {
        if (angle == 0)
            continue;
        const double a = static_cast<double>(angle);
        const double c = std::cos(a);
        const double s = std::sin(a);
        const double ox = x;
        x = ox * c - y * s;
        y = ox * s + y * c;
    }
    return CRealPoint<double>(x, y);
}

double CDGNImport::DGNDistance(double d) const { return m_scale == 1.0 ? d : d * m_scale; }

double CDGNImport::DGNAngleRad(double radians) const
{
    if (m_rotation == 0 && m_viewRotation == 0)
        return radians;
    return (static_cast<double>(m_viewRotation) + static_cast<double>(m_rotation)) + radians;
}

double CDGNImport::DGNTextAngleRad(double radians) const { return DGNAngleRad(radians); }

long CDGNImport::GetListCount(void* list) const
{
    if (!list)
        return 0;
    if (m_designFile && m_designFile->Is3d())
        return static_cast<long>(static_cast<dgn::CPoint3dArray*>(list)->Count());
    return static_cast<long>(static_cast<dgn::CPoint2dArray*>(list)->Count());
}

double CDGNImport::GetListCoord(void* list, int index, int selector) const
{
    if (!list || index < 0)
        return 0.0;
    // A 3-D point begins with x and y as a 2-D one does: the two kinds differ only in how far
    // apart the points lie.
    const auto i = static_cast<std::uint32_t>(index);
    if (m_designFile && m_designFile->Is3d()) {
        const dgn::Point3d* p = static_cast<dgn::CPoint3dArray*>(list)->At(i);
        return p ? (selector ? p->x : p->y) : 0.0;
    }
    const dgn::Point2d* p = static_cast<dgn::CPoint2dArray*>(list)->At(i);
    return p ? (selector ? p->x : p->y) : 0.0;
}

CRealRect<double> CDGNImport::CheckPoint(std::int64_t x, std::int64_t y, int reset)
{
    if (reset) {
        m_runningExtent = CRealRect<double>();
        m_firstPoint = 1;
    } else {
        const double px = static_cast<double>(x);
        const double py = static_cast<double>(y);
        if (m_firstPoint) {
            m_runningExtent = CRealRect<double>(px, py, px, py);
            m_firstPoint = 0;
        } else {
            if (px < m_runningExtent.left)
                m_runningExtent.left = px;
            if (px > m_runningExtent.right)
                m_runningExtent.right = px;
            if (py < m_runningExtent.bottom)
                m_runningExtent.bottom = py;
            if (py > m_runningExtent.top)
                m_runningExtent.top = py;
        }
    }
    return CRealRect<double>(std::trunc(m_runningExtent.left), std::trunc(m_runningExtent.top), std::trunc(m_runningExtent.right),
                             std::trunc(m_runningExtent.bottom));
}
