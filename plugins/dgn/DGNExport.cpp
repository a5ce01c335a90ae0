#include "DGNExport.h"
#include <cmath>
#include "DesignFile.h"
#include "ExportOptionsDialog.h"

namespace {
// Degrees per radian as the angle mapping has always used it (not 57.29577951308232).
const double kDegreesPerRadian = 57.29577951308239;
} // namespace

CDGNExport::CDGNExport(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVExporter(control, user, callback)
{
    Init();
}

CDGNExport::CDGNExport(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVExporter(control, notifier)
{
    Init();
}

CDGNExport::CDGNExport(const CDGNExport& other) : CVExporter(other) { CopyState(other); }

CDGNExport& CDGNExport::operator=(const CDGNExport& other)
{
    if (this != &other) {
        CVExporter::operator=(other);
        CopyState(other);
    }
    return *this;
}

CDGNExport::~CDGNExport() { m_designFile.reset(); }

void CDGNExport::CopyState(const CDGNExport& other)
{
    m_currentElementId = other.m_currentElementId;
    m_tagSetElementId = other.m_tagSetElementId;
    m_tagSets = other.m_tagSets;
    m_blockNames = other.m_blockNames;
    // The design file keeps its one owner; this object's own (if any) goes.
    m_designFile.reset();
    std::copy(other.m_palette, other.m_palette + kPaletteEntries, m_palette);
    m_paletteSize = other.m_paletteSize;
    m_graphicGroup = other.m_graphicGroup;
    m_tagCounter = other.m_tagCounter;
    m_exportMode = other.m_exportMode;
    m_images = other.m_images;
    m_layerLevels = other.m_layerLevels;
    m_z = other.m_z;
    m_zStep = other.m_zStep;
    m_base = other.m_base;
    m_rotation = other.m_rotation;
    m_shift = other.m_shift;
    m_scale = other.m_scale;
}

void CDGNExport::Init()
{
    // A file left by a run that did not end is this object's own: it goes rather than leaks.
    m_designFile.reset();
    std::fill(m_palette, m_palette + kPaletteEntries, COLORREF(0));
    m_currentElementId = 0;
    m_tagSetElementId = 0;
    m_graphicGroup = 0;
    m_tagCounter = 0;
    m_exportMode = 1;
    m_scale = 1.0;
    m_rotation = 0;
}

int CDGNExport::Export(const CString&, unsigned long mode, unsigned long)
{
    ChooseExportMode(static_cast<int>(mode));
    return FALSE;
}

bool CDGNExport::ChooseExportMode(int mode)
{
    m_exportMode = mode;
    if (mode != -1)
        return true;
    CExportOptionsDialog dialog;
    dialog.m_visibleLayersOnly = TRUE;
    if (dialog.DoModal() != IDOK)
        return false;
    m_exportMode = dialog.m_visibleLayersOnly ? 1 : 0;
    return true;
}

CRealPoint<double> CDGNExport::GetPt(double x, double y) const
{
    const double a = -static_cast<double>(m_rotation);
    if (a != 0) {
        const double dx = x - m_base.x, dy = y - m_base.y;
        const double c = std::cos(a), s = std::sin(a);
        x = (dx * c + m_base.x) - dy * s;
        y = (dx * s + dy * c) + m_base.y;
    }
    x += m_shift.x;
    y += m_shift.y;
    if (m_scale != 0) {
        x /= m_scale;
        y /= m_scale;
    }
    return CRealPoint<double>(x, y);
}

CRealPoint<double> CDGNExport::GetVector(const CRealPoint<double>& vector) const
{
    double x = vector.x, y = vector.y;
    const double a = -static_cast<double>(m_rotation);
    if (a != 0) {
        const double c = std::cos(a), s = std::sin(a);
        const double oldX = x;
        x = oldX * c - y * s;
        y = oldX * s + y * c;
    }
    if (m_scale != 0 && m_scale != 1.0) {
        x /= m_scale;
        y /= m_scale;
    }
    return CRealPoint<double>(x, y);
}

double CDGNExport::GetLength(double length) const
{
    return m_scale != 0 && m_scale != 1.0 ? length / m_scale : length;
}

float CDGNExport::GetAngle(float degrees) const
{
    if (m_rotation == 0)
        return degrees;
    return static_cast<float>(degrees - m_rotation * kDegreesPerRadian);
}

float CDGNExport::GetNextZ(int raise)
{
    m_z += m_zStep;
    return raise ? m_z + 0.5f : m_z;
}

int CDGNExport::GetNearestColor(unsigned colour) const
{
    if (colour == kByBlockColour)
        return kByCellColourIndex;
    if (colour == kByLayerColour)
        return kByLevelColourIndex;
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    int best = 0;
    long long bestDistance = 0x7FFFFFFF;
    for (int i = 0; i < kPaletteEntries; ++i) {
        const int pr = GetRValue(m_palette[i]), pg = GetGValue(m_palette[i]), pb = GetBValue(m_palette[i]);
        const long long d = 30LL * (r - pr) * (r - pr) + 59LL * (g - pg) * (g - pg) + 11LL * (b - pb) * (b - pb);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}
