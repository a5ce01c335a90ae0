#include "DGNExport.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "DGNUnits.h"
#include "DesignFile.h"
#include "ElementLinkages.h"
#include "elements/ApplicationElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "ExportOptionsDialog.h"

namespace {

const int kMillimetres = 4;
const int kFeet = 2;
const int kMetres = 6;
// The string linkages of a model header that hold the unit labels.
const std::uint32_t kMasterLabelLinkage = 19;
const std::uint32_t kSubLabelLinkage = 20;
// The flags of an exported level (displayed, and the view overrides the drawing never sets).
const std::uint16_t kExportedLevelFlags = 0x266;
const std::uint32_t kMinimumMaskBits = 16;
// The background of an exported model: white, the colour its views are set against too.
const std::uint32_t kModelBackground = 0xFFFFFF;

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

int CDGNExport::Export(const CString& path, unsigned long mode, unsigned long)
{
    return Export(CString(path), static_cast<int>(mode));
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

void CDGNExport::FillPalette()
{
    std::fill(m_palette, m_palette + kPaletteEntries, COLORREF(0));
    m_paletteSize = kPaletteEntries;
    // Entry 0 stays black: the library's table (no file yet) gives the other 255.
    for (int i = 1; i < kPaletteEntries; ++i)
        m_palette[i] = static_cast<COLORREF>(dgn::GetColorRGB(i, nullptr));
}

void CDGNExport::GetUnitLabels(int unitId, std::string* master, std::string* sub)
{
    struct Labels {
        const char* master;
        const char* sub;
    };
    // By Units code; the inch mark is the double quote.
    static const Labels kLabels[] = {
        {"'", "\""},     {"'", "\""},       {"ft", "mft"},   {"mil", "mmil"}, {"mm", "mkm"},
        {"cm", "mm"},    {"m", "mm"},       {"km", "m"},     {"mk\"", "n\""}, {"ml", "mml"},
        {"yard", "myard"}, {"angs", "mangs"}, {"nm", "pm"},  {"mkm", "nm"},   {"dm", "mm"},
        {"Dm", "m"},     {"Hm", "m"},       {"Gm", "km"},    {"au", "mau"},   {"LY", "mLY"},
        {"par", "mpar"},
    };
    const Labels& labels = unitId >= 0 && unitId <= 20 ? kLabels[unitId] : kLabels[0];
    if (master)
        *master = labels.master;
    if (sub)
        *sub = labels.sub;
}

void CDGNExport::SetModelUnits(dgn::CApplicationElement* model, int unitId) const
{
    if (!model)
        return;
    // Unit words: base in bits 0 to 2, system in bits 3 to 5 (1 imperial, 2 metric).
    std::uint32_t master = (model->GetMasterUnitsFlags() & ~0x36u) | 0x09u;
    const int reference = IsMetricUnit(unitId) == 0 ? kFeet : kMetres;
    if (reference == kMetres)
        master = (master & ~0x28u) | 0x10u;
    model->SetMasterUnitsFlags(master);
    const double masterNumerator = UnitConversionFactor(kMillimetres, reference);
    const double masterDenominator = UnitConversionFactor(kMillimetres, unitId);
    model->SetMasterUnitsRatio(masterNumerator, masterDenominator);

    std::string masterLabel, subLabel;
    GetUnitLabels(unitId, &masterLabel, &subLabel);
    if (dgn::CElementLinkages* linkages = model->GetAttributes()) {
        linkages->SetStringLinkage(kMasterLabelLinkage, masterLabel.c_str(), static_cast<std::uint32_t>(masterLabel.size()));
        linkages->SetStringLinkage(kSubLabelLinkage, subLabel.c_str(), static_cast<std::uint32_t>(subLabel.size()));
    }

    double uors = UnitConversionFactor(unitId, reference);
    // A foot of storage is 3048 / 10000 of a metre; the metric seed's storage unit stays.
    if (reference == kFeet) {
        double numerator = 10.0 * UnitConversionFactor(kMillimetres, kFeet);
        double denominator = 10.0 * UnitConversionFactor(kMillimetres, kMetres);
        if (numerator == denominator)
            numerator = denominator = 1.0;
        model->SetStorageUnitsRatio(numerator, denominator);
    }
    model->SetBackgroundColor(kModelBackground);
    model->SetSubUnitsRatio(masterNumerator, 1000.0 * masterDenominator);
    model->SetSubUnitsFlags((model->GetSubUnitsFlags() & ~0x38u) | (master & 0x38u));
    if (m_scale != 0 && m_scale != 1.0)
        uors /= m_scale;
    model->SetUorScale(uors);
}

int CDGNExport::AddLevel(dgn::CDesignFile* file, long layerId, const char* name, unsigned penColour, unsigned hatchColour)
{
    dgn::CLevelEntry* level = file ? dgn::CLevelEntry::Create(file, 0) : nullptr;
    if (!level)
        return 0;
    level->SetName(name ? name : "");
    level->AssignNewLevelNumber();
    dgn::LevelData* data = level->GetLevelRecord();
    data->levelStyle = 0;
    data->levelWeight = 0;
    data->levelColor = GetNearestColor(penColour);
    data->levelFillColor = GetNearestColor(hatchColour);
    data->levelFlags = kExportedLevelFlags;
    data->levelCode = static_cast<std::uint32_t>(layerId - 1);
    level->Touch();
    const int number = static_cast<int>(level->GetLevelNumber());
    m_layerLevels[layerId] = number;
    return number;
}

std::uint32_t CDGNExport::LevelMaskBits() const
{
    long highest = 0;
    for (const auto& entry : m_layerLevels)
        highest = std::max(highest, entry.second);
    const std::uint32_t bits = (static_cast<std::uint32_t>(highest) + 7) / 8 * 8;
    return std::max(bits, kMinimumMaskBits);
}

dgn::CLevelMaskElement* CDGNExport::MakeLevelMask(dgn::CDesignFile* file, std::uint16_t viewNumber,
                                                  const std::set<long>& hiddenLayers, dgn::IEntity* owner) const
{
    if (!file)
        return nullptr;
    const std::uint32_t bits = LevelMaskBits();
    // Every level on; whole 16-bit words, as the mask stores them.
    const std::vector<std::uint8_t> on((bits + 15) / 16 * 2, 0xFF);
    dgn::CLevelMaskElement* mask = dgn::CLevelMaskElement::Create(file, 0, viewNumber, bits, on.data());
    if (!mask)
        return nullptr;
    SwitchOffHiddenLevels(mask, hiddenLayers);
    // Owned by the file (or the view) from here, and written with it.
    if (owner)
        owner->AddChild(mask);
    else
        file->AddChild(mask);
    mask->Touch();
    return mask;
}

void CDGNExport::SwitchOffHiddenLevels(dgn::CLevelMaskElement* mask, const std::set<long>& hiddenLayers) const
{
    for (const auto& entry : m_layerLevels)
        if (hiddenLayers.count(entry.first) && entry.second >= 1)
            mask->SetLevelOff(static_cast<std::uint32_t>(entry.second - 1), 0);
}
