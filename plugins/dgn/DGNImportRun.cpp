// The import run: one DGN design file (V7 or V8) read into the control's site. The outer frame
// starts and ends the library, opens and deletes the file and keeps the control frozen; each
// pass over a file (the file itself, then every attached file, nested inside a group) chooses
// units and scale, measures the drawing, makes layers of the levels, converts the elements and
// gathers graphic groups.
#include "DGNImport.h"
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>
#include "DGNUnits.h"
#include "DesignFile.h"
#include "DgnString.h"
#include "EntityIterator.h"
#include "Geometry.h"
#include "Library.h"
#include "common/FreezeGuard.h"
#include "elements/ApplicationElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/ReferenceAttachment.h"
#include "elements/ViewElement.h"

namespace {

// The state of a run whose library would not start or whose file would not open.
const int kCannotOpen = static_cast<int>(0x80010100);
// A drawing whose mapped size has a squared length beyond this steps to larger units.
const double kLargestSquaredSize = 20000000000.0;
// A lowest corner farther than this from the origin is shifted onto it.
const double kShiftBeyond = 10000.0;

// Ends one start of the library when it goes; a refused start counts too.
struct LibraryStart {
    ~LibraryStart() { dgn::ShutdownLibrary(); }
};

// Deletes the importer's design file when it goes, on every way out of the run.
struct FileOwner {
    std::unique_ptr<dgn::CDesignFile>& file;
    ~FileOwner()
    {
        try {
            file.reset();
        } catch (...) {
            file.release();
        }
    }
};

long ToLong(double v)
{
    if (!(v == v))
        return 0;
    if (v >= static_cast<double>(LONG_MAX))
        return LONG_MAX;
    if (v <= static_cast<double>(LONG_MIN))
        return LONG_MIN;
    return static_cast<long>(v);
}

// The file part of an attachment's file name: a trailing separator dropped, then everything
// up to the last separator; "<none>" for no name.
CString AttachmentName(const std::string& fileName)
{
    if (fileName.empty())
        return CString("<none>");
    std::string name = fileName;
    if (name.back() == '\\' || name.back() == '/')
        name.pop_back();
    const std::size_t cut = name.find_last_of("\\/");
    if (cut != std::string::npos)
        name.erase(0, cut + 1);
    return CString(name.c_str());
}

} // namespace

int CDGNImport::ImportFile(const CString& path)
{
    m_state = 0;
    SetProgress(5);
    const bool started = dgn::InitializeLibrary(dgn::kLibraryVersion, 0);
    LibraryStart end;
    if (!started) {
        m_state = kCannotOpen;
        return FALSE;
    }
    for (int i = 0; i < 256; ++i)
        m_colours[i] = static_cast<COLORREF>(dgn::GetColorRGB(i));
    m_blockTable.clear();
    m_instanceTable.clear();
    m_graphicGroupMembers.clear();
    m_graphicGroups.clear();
    m_converted.clear();
    m_highestGraphicGroup = 0;
    // Every run maps from scratch: a second import through the same importer must not take
    // the first file's scale, turn or shift over.
    m_scale = 1.0;
    m_rotation = m_viewRotation = 0;
    m_takeViewExtent = 1;
    m_attachmentImported = false;
    m_cosRotation = 1.0f;
    m_sinRotation = 0;
    m_shiftX = m_shiftY = 0;
    m_origin = m_viewPivot = CRealPoint<double>();
    m_namePrefix.Empty();

    FileOwner owner{m_designFile};
    dgn::CDesignFile* opened = nullptr;
    try {
        opened = dgn::OpenDesignFile(path.GetString());
    } catch (...) {
        opened = nullptr;
    }
    m_designFile.reset(opened);
    if (!m_designFile) {
        m_state = kCannotOpen;
        return FALSE;
    }

    // Undo, redrawing and the draft limits come back on every way out, a COM error included.
    CFreezeGuard frozen(m_control, true);
    Bind(m_control);
    if (!m_site || !m_shapes || !m_libraryShapes || !m_layerShapes)
        _com_issue_error(E_POINTER);
    // The drawing goes into the root group, as every importer's does.
    const IShapePtr root = ItemById(m_shapes, BASE_ID);
    if (!root)
        _com_issue_errorex(E_POINTER, m_shapes, m_shapes.GetIID());
    IShapeCollectionPtr drawing;
    RaiseIfFailed(root->get_Shapes(&drawing), root.GetInterfacePtr());
    m_shapes = drawing;
    const int result = ImportDGN(TRUE, TRUE, nullptr);
    SetLimitsAndZoom();
    return result;
}

int CDGNImport::ImportDGN(int createLayers, int topLevel, const std::set<const dgn::CDesignFile*>* chain)
{
    SetProgress(10);
    ChooseUnitsAndScale(topLevel);
    m_viewExtent = CRealRect<double>();
    if (topLevel)
        MeasureDrawing();
    ImportAttachments(chain);
    m_levelLayers.clear();
    m_skipViewLevels = 0;
    if (createLayers)
        CreateLayers();
    ImportElements();
    GatherGraphicGroups();
    return TRUE;
}

double CDGNImport::UnitScale(int targetUnit) const
{
    const double perMaster = m_designFile->GetUnitsPerMaster(0);
    if (perMaster == 0.0)
        return m_unitBaseScale;
    double scale = m_unitBaseScale * UnitConversionFactor(targetUnit, m_sourceUnit) / perMaster;
    if (m_masterMatch != -1.0 && m_masterMatch != 0.0 && m_masterMatch != 1.0)
        scale /= m_masterMatch;
    return scale;
}

void CDGNImport::ChooseUnitsAndScale(int topLevel)
{
    const dgn::CApplicationElement* model = m_designFile->GetModel(0);
    if (!model)
        return;
    m_colours[0] = 0;
    // Nested passes take the scale their attachment composed (ImportAttachedFile).
    if (!topLevel)
        return;
    long siteUnit = 0;
    RaiseIfFailed(m_site->get_UnitID(&siteUnit), m_site.GetInterfacePtr());
    m_masterMatch = -1.0;
    int masterUnit = static_cast<int>(siteUnit);
    if (model->GetMasterUnitsDenominator() != 0.0)
        masterUnit = UnitFromRatio(model->GetMasterUnitsNumerator() / model->GetMasterUnitsDenominator(), &m_masterMatch);
    double subMatch = 0.0;
    int subUnit = unMeters;
    if (model->GetSubUnitsDenominator() != 0.0)
        subUnit = UnitFromRatio(model->GetSubUnitsNumerator() / model->GetSubUnitsDenominator(), &subMatch);
    if (subUnit != 0 && subMatch == 1.0)
        RaiseIfFailed(m_site->put_UnitID(static_cast<Units>(subUnit)), m_site.GetInterfacePtr());
    else if (masterUnit != 0)
        RaiseIfFailed(m_site->put_UnitID(static_cast<Units>(masterUnit)), m_site.GetInterfacePtr());
    m_sourceUnit = masterUnit != 0 ? masterUnit : static_cast<int>(siteUnit);
    m_unitBaseScale = m_scale;
    long current = 0;
    RaiseIfFailed(m_site->get_UnitID(&current), m_site.GetInterfacePtr());
    m_scale = UnitScale(static_cast<int>(current));

    // A drawing too large for the unit climbs to larger units of its system.
    dgn::RangeBox range = {};
    m_designFile->ComputeModelRange(0, &range);
    if (!range.hasPoint)
        return;
    const double sizeX = range.high[0] - range.low[0];
    const double sizeY = range.high[1] - range.low[1];
    CRealPoint<double> q = DGNPt(sizeX, sizeY);
    int unit = static_cast<int>(current);
    while (q.x * q.x + q.y * q.y > kLargestSquaredSize) {
        const int next = NextUnit(unit, true);
        if (next == 0)
            break;
        m_scale = UnitScale(next);
        q = DGNPt(sizeX, sizeY);
        unit = next;
    }
    if (unit != 0 && unit != current)
        RaiseIfFailed(m_site->put_UnitID(static_cast<Units>(unit)), m_site.GetInterfacePtr());
}

void CDGNImport::MeasureDrawing()
{
    CheckPoint(0, 0, TRUE);
    BlockBounds blocks;
    if (dgn::CElementIterator* it = m_designFile->CreateChildIterator(nullptr)) {
        it->DescendIntoComplex();
        it->SetGraphicOnly();
        it->SetVisibleGraphicOnly();
        it->SetPrimaryClassOnly();
        it->SetSkipControlList();
        while (dgn::IEntity* e = it->Next()) {
            if (auto* element = dynamic_cast<dgn::IElement*>(e))
                GetBounds(element, m_runningExtent, &blocks, TRUE);
        }
        delete it;
    }
    double cornerX = m_runningExtent.left, cornerY = m_runningExtent.bottom;
    if (m_scale != 0.0 && m_scale != 1.0) {
        cornerX *= m_scale;
        cornerY *= m_scale;
    }
    if (m_rotation != 0) {
        const double a = static_cast<double>(m_rotation);
        const double x = cornerX;
        cornerX = x * std::cos(a) - cornerY * std::sin(a);
        cornerY = x * std::sin(a) + cornerY * std::cos(a);
    }
    const double width = m_runningExtent.right - m_runningExtent.left;
    const double height = m_runningExtent.top - m_runningExtent.bottom;
    const double patternScale = (width < height ? width : height) * m_scale * 0.00025;
    // A drawing without extent (nothing visible to measure) keeps the site's scales: the
    // control takes no pattern scale of 0.
    if (patternScale > 0)
        SetPatternScales(patternScale);
    if (cornerX > kShiftBeyond || cornerX < -kShiftBeyond)
        m_shiftX = ToLong(-cornerX);
    if (cornerY > kShiftBeyond || cornerY < -kShiftBeyond)
        m_shiftY = ToLong(-cornerY);

    // The first view's turn becomes the view rotation, about its origin.
    if (auto* view = dynamic_cast<dgn::CViewElement*>(m_designFile->FindView(0, 0))) {
        dgn::ViewFields fields = {};
        if (view->GetViewRecord(&fields)) {
            const double a = -std::atan2(fields.rotation[1], fields.rotation[0]);
            if (a != 0) {
                m_viewRotation = 0;
                m_viewPivot = DGNPt(fields.origin[0], fields.origin[1]);
                m_viewRotation = static_cast<float>(a);
            }
        }
    }
}

void CDGNImport::SetPatternScales(double patternScale)
{
    RaiseIfFailed(m_site->put_LinePatternScale(patternScale), m_site.GetInterfacePtr());
    IDrawingSettingCollectionPtr settings;
    RaiseIfFailed(m_site->get_DrawingSettings(&settings), m_site.GetInterfacePtr());
    IDrawingSettingPtr setting;
    if (settings)
        RaiseIfFailed(settings->get_ItemByID(1, &setting), settings.GetInterfacePtr());
    if (setting) {
        const double asFloat = static_cast<float>(patternScale);
        RaiseIfFailed(setting->put_ArrowScale(asFloat), setting.GetInterfacePtr());
        RaiseIfFailed(setting->put_LinePatternScale(asFloat), setting.GetInterfacePtr());
        RaiseIfFailed(setting->put_HatchPatternScale(asFloat), setting.GetInterfacePtr());
    }
}

void CDGNImport::ImportAttachments(const std::set<const dgn::CDesignFile*>* chain)
{
    std::vector<dgn::CReferenceAttachment*> attachments;
    if (dgn::CElementIterator* it = m_designFile->CreateChildIterator(nullptr)) {
        it->SetPrimaryClassOnly();
        while (dgn::IEntity* e = it->Next()) {
            if (e->GetType() == 100) {
                if (auto* ref = dynamic_cast<dgn::CReferenceAttachment*>(e))
                    attachments.push_back(ref);
            }
        }
        delete it;
    }
    for (dgn::CReferenceAttachment* ref : attachments) {
        const CString name = AttachmentName(NarrowText(ref->GetFileName()));
        dgn::CDesignFile* attached = nullptr;
        try {
            attached = ref->GetAttachedDesignFile();
        } catch (...) {
            attached = nullptr;
        }
        std::vector<dgn::IElement*> children;
        if (dgn::CElementIterator* it = ref->CreateChildIterator(nullptr)) {
            it->SetTopLevelOnly();
            while (dgn::IEntity* e = it->Next()) {
                if (auto* child = dynamic_cast<dgn::IElement*>(e))
                    children.push_back(child);
            }
            delete it;
        }
        const bool separate = attached && attached != m_designFile.get();
        if (!separate && children.empty())
            continue;
        // A file already being imported up the chain is not imported again.
        if (attached && chain && chain->count(attached))
            continue;

        long groupId = 0;
        RaiseIfFailed(m_shapes->AddGroup(stGroup, &groupId), m_shapes.GetInterfacePtr());
        IGroupShapePtr group = groupId ? ItemById(m_libraryShapes, groupId) : IShapePtr();
        if (group) {
            RaiseIfFailed(group->put_Name(_bstr_t(name.GetString())), group.GetInterfacePtr());
            IShapePtr groupShape = group;
            if (separate) {
                if (!ImportAttachedFile(ref, attached, groupShape, name, chain))
                    group = nullptr;
            } else {
                IShapeCollectionPtr inside;
                RaiseIfFailed(groupShape->get_Shapes(&inside), groupShape.GetInterfacePtr());
                for (dgn::IElement* child : children) {
                    if (child->GetType() != 99)
                        GetShape(child, inside);
                }
            }
        }
        if (groupId != 0 && !group)
            RaiseIfFailed(m_libraryShapes->DeleteByID(groupId), m_libraryShapes.GetInterfacePtr());
        else if (group)
            m_attachmentImported = true;
    }
}

bool CDGNImport::ImportAttachedFile(dgn::CReferenceAttachment* ref, dgn::CDesignFile* attached, IShapePtr group, const CString& name,
                                    const std::set<const dgn::CDesignFile*>* chain)
{
    // The mapping and the target of this pass, taken back exactly after the nested one.
    const MappingState saved{m_shiftX,     m_shiftY, m_shapes,    m_rotation, m_viewRotation,
                             m_namePrefix, m_origin, m_viewPivot, m_scale, m_colours[0]};
    dgn::CDesignFile* const current = m_designFile.release();

    const dgn::AttachmentData data = ref->GetAttachmentData();
    // The attached file's points land where the attachment places them in this file, and from
    // there as this file's points do: its origin goes onto the offset, turned and scaled by the
    // attachment, then by this file's mapping (the view rotation still comes last).
    m_viewRotation = 0;
    const CRealPoint<double> offset = DGNPt(data.offsetX, data.offsetY);
    m_viewRotation = saved.viewRotation;
    double m[16] = {data.rotation[0], data.rotation[1], data.rotation[2], 0, data.rotation[3], data.rotation[4], data.rotation[5], 0,
                    data.rotation[6], data.rotation[7], data.rotation[8], 0, 0, 0, 0, 1};
    double q[4] = {}, angles[3] = {};
    dgn::MatrixToQuaternion(m, q);
    dgn::QuaternionToAngles(q, angles);
    const double theirs = attached->GetUnitsPerMaster(0);
    const double ours = current->GetUnitsPerMaster(0);
    const double attachmentScale = data.scale == 0.0 ? 1.0 : data.scale;
    m_scale = saved.scale * attachmentScale * (theirs != 0.0 ? ours / theirs : 1.0);
    m_rotation = static_cast<float>(static_cast<double>(saved.rotation) + angles[0]);
    m_origin = CRealPoint<double>(data.originX, data.originY);
    m_shiftX = ToLong(offset.x);
    m_shiftY = ToLong(offset.y);
    m_namePrefix = name;
    m_designFile.reset(attached);
    std::set<const dgn::CDesignFile*> nested = chain ? *chain : std::set<const dgn::CDesignFile*>();
    nested.insert(attached);
    nested.insert(current);

    bool ok = true;
    try {
        IShapeCollectionPtr inside;
        RaiseIfFailed(group->get_Shapes(&inside), group.GetInterfacePtr());
        m_shapes = inside;
        ImportDGN(TRUE, FALSE, &nested);
    } catch (...) {
        ok = false;
    }

    // The attached file belongs to its attachment.
    m_designFile.release();
    m_designFile.reset(current);
    m_shiftX = saved.shiftX;
    m_shiftY = saved.shiftY;
    m_shapes = saved.shapes;
    m_rotation = saved.rotation;
    m_viewRotation = saved.viewRotation;
    m_namePrefix = saved.prefix;
    m_origin = saved.origin;
    m_viewPivot = saved.pivot;
    m_scale = saved.scale;
    m_colours[0] = saved.colour0;
    m_takeViewExtent = 1;
    m_cosRotation = std::cos(m_rotation);
    m_sinRotation = std::sin(m_rotation);
    if (!ok)
        return false;

    // Which of the attached file's levels the attachment shows.
    if (auto* mask = dynamic_cast<dgn::CLevelMaskElement*>(ref->GetLevelMask(0)))
        ShowLevels(*mask);
    return true;
}

void CDGNImport::ShowLevels(const dgn::CLevelMaskElement& mask)
{
    for (const auto& level : m_levelLayers) {
        if (level.second == 0)
            continue;
        IShapePtr layer = ItemById(m_layerShapes, level.second);
        if (layer)
            RaiseIfFailed(layer->put_Visible(mask.IsLevelOn(static_cast<std::int32_t>(level.first)) ? VARIANT_TRUE : VARIANT_FALSE),
                          layer.GetInterfacePtr());
    }
}

void CDGNImport::CreateLayers()
{
    int cursor = 0;
    while (dgn::CLevelEntry* level = m_designFile->NextLevelEntry(&cursor)) {
        dgn::LevelData* record = level->GetLevelRecord();
        CString layerName;
        if (!m_namePrefix.IsEmpty())
            layerName = m_namePrefix + "_";
        const std::string text = NarrowText(level->GetName());
        if (!text.empty()) {
            layerName += text.c_str();
        } else {
            // A level without a name is named by its number.
            char number[16];
            std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(record->levelNumber));
            layerName += number;
        }
        const std::string description = NarrowText(level->GetDescription());
        if (!description.empty())
            layerName += (" (" + description + ")").c_str();
        long layerId = 0;
        RaiseIfFailed(m_layerShapes->AddLayer(_bstr_t(layerName.GetString()), &layerId), m_layerShapes.GetInterfacePtr());
        m_levelLayers[static_cast<long>(record->levelNumber)] = layerId;
        IShapePtr layer = ItemById(m_layerShapes, layerId);
        if (!layer)
            continue;
        const bool shown = (record->levelFlags & (dgn::kLevelDisplay | dgn::kLevelFrozen)) == dgn::kLevelDisplay;
        RaiseIfFailed(layer->put_Visible(shown ? VARIANT_TRUE : VARIANT_FALSE), layer.GetInterfacePtr());
        // Colour indices outside the table give the level no colour of its own.
        const std::int32_t colour = record->levelColor;
        const COLORREF pen = colour > 0 && colour < 256 ? m_colours[colour] : 0;
        RaiseIfFailed(layer->put_PenColor(pen), layer.GetInterfacePtr());
    }
}

namespace {

// The views (type 98) are the components of the file's view group (type 97), which a walk of
// the top-level elements passes over whole.
constexpr int kViewGroupType = 97;

// The view group's own elements, in the file's order.
std::vector<dgn::IElement*> ViewsOf(dgn::IEntity* group)
{
    std::vector<dgn::IElement*> views;
    std::unique_ptr<dgn::CElementIterator> it(group->CreateChildIterator(nullptr));
    if (!it)
        return views;
    it->SetTopLevelOnly();
    while (dgn::IEntity* e = it->Next()) {
        if (auto* view = dynamic_cast<dgn::IElement*>(e))
            views.push_back(view);
    }
    return views;
}

} // namespace

void CDGNImport::ImportElements()
{
    dgn::CElementIterator* it = m_designFile->CreateChildIterator(nullptr);
    if (!it)
        return;
    std::unique_ptr<dgn::CElementIterator> owned(it);
    it->SetTopLevelOnly();
    // Each view of the view group counts as one element of the progress.
    unsigned long count = 0;
    while (dgn::IEntity* e = it->Next())
        count += e->GetType() == kViewGroupType ? static_cast<unsigned long>(ViewsOf(e).size()) : 1;
    it->Reset();
    DWORD tick = GetTickCount();
    unsigned long k = 0;
    int lastPercent = 10;
    auto advance = [&] {
        ++k;
        const int percent = count ? 10 + static_cast<int>((89 * static_cast<unsigned long long>(k)) / count) : lastPercent;
        if (GetTickCount() - tick > 1000 || percent != lastPercent) {
            lastPercent = percent;
            SetProgress(lastPercent);
            tick = GetTickCount();
        }
    };
    while (dgn::IEntity* e = it->Next()) {
        if (e->GetType() == kViewGroupType) {
            for (dgn::IElement* view : ViewsOf(e)) {
                GetShape(view, m_shapes);
                advance();
            }
            continue;
        }
        if (auto* element = dynamic_cast<dgn::IElement*>(e))
            GetShape(element, m_shapes);
        advance();
    }
}

void CDGNImport::GatherGraphicGroups()
{
    for (unsigned long g = 1; g != 0 && g <= m_highestGraphicGroup; ++g) {
        const auto members = m_graphicGroupMembers.equal_range(g);
        if (members.first == members.second)
            continue;
        long groupId = 0;
        const auto known = m_graphicGroups.find(g);
        if (known != m_graphicGroups.end()) {
            groupId = known->second.groupId;
        } else {
            RaiseIfFailed(m_shapes->AddGroup(stGroup, &groupId), m_shapes.GetInterfacePtr());
            if (groupId <= 0)
                continue;
        }
        IShapePtr group = ItemById(m_shapes, groupId);
        if (!group)
            continue;
        IShapeCollectionPtr children;
        RaiseIfFailed(group->get_Shapes(&children), group.GetInterfacePtr());
        if (!children)
            continue;
        int i = 0;
        for (auto m = members.first; m != members.second; ++m, ++i) {
            IShapePtr shape = ItemById(m_shapes, m->second);
            if (!shape)
                continue;
            long parent = 0;
            RaiseIfFailed(shape->get_ParentID(&parent), shape.GetInterfacePtr());
            if (i == 0) {
                long layer = 0, groupLayer = 0;
                RaiseIfFailed(shape->get_LayerShapeID(&layer), shape.GetInterfacePtr());
                RaiseIfFailed(group->get_LayerShapeID(&groupLayer), group.GetInterfacePtr());
                if (layer != 1 && layer != groupLayer)
                    RaiseIfFailed(group->put_LayerShapeID(layer), group.GetInterfacePtr());
                OLE_COLOR colour = 0, groupColour = 0;
                RaiseIfFailed(shape->get_PenColor(&colour), shape.GetInterfacePtr());
                RaiseIfFailed(group->get_PenColor(&groupColour), group.GetInterfacePtr());
                if (colour != groupColour)
                    RaiseIfFailed(group->put_PenColor(colour), group.GetInterfacePtr());
            }
            if (parent != groupId)
                RaiseIfFailed(children->AddShape(m->second), children.GetInterfacePtr());
        }
    }
}

void CDGNImport::SetLimitsAndZoom()
{
    try {
        IShapePtr root = ItemById(m_shapes, 0);
        if (root) {
            float left = 0, top = 0, right = 0, bottom = 0;
            RaiseIfFailed(root->GetBoundingRect(&left, &top, &right, &bottom), root.GetInterfacePtr());
            ISite* site = m_site.GetInterfacePtr();
            RaiseIfFailed(site->put_DraftBottom(bottom), site);
            RaiseIfFailed(site->put_DraftLeft(left), site);
            RaiseIfFailed(site->put_DraftRight(right), site);
            RaiseIfFailed(site->put_DraftTop(top), site);
            RaiseIfFailed(site->put_GridBottom(bottom), site);
            RaiseIfFailed(site->put_GridLeft(left), site);
            RaiseIfFailed(site->put_GridRight(right), site);
            RaiseIfFailed(site->put_GridTop(top), site);
        }
    } catch (const _com_error&) {
    }
    // A control that has no size yet cannot zoom: the drawing is in, and the host zooms later.
    try {
        // The file's own views are read after its attachments are in, so an extent they give
        // would leave attached content out of sight: after an attachment the whole drawing shows.
        if (!m_takeViewExtent && !m_attachmentImported) {
            RaiseIfFailed(m_control->ZoomWindow(VARIANT_FALSE, static_cast<float>(m_viewExtent.left), static_cast<float>(m_viewExtent.bottom),
                                                static_cast<float>(m_viewExtent.right), static_cast<float>(m_viewExtent.top)),
                          m_control.GetInterfacePtr());
            RaiseIfFailed(m_control->Redraw(static_cast<RedrawFlags>(1)), m_control.GetInterfacePtr());
        } else {
            RaiseIfFailed(m_control->ZoomAll(), m_control.GetInterfacePtr());
        }
    } catch (const _com_error&) {
    }
}
