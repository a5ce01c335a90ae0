// The export run of CDGNExport: options, library start, a new 2-D V8 design file, the layers as
// levels, level masks, model units, views, image blocks, library blocks, shapes, leaders, then
// the drawing given back as it was and the file saved.
#include "DGNExport.h"
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "DGNExportCalls.h"
#include "DGNUnits.h"
#include "DesignFile.h"
#include "EntityIterator.h"
#include "Library.h"
#include "afx/MessageBox.h"
#include "com/MessageBoxHook.h"
#include "elements/ApplicationElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/ViewElement.h"

using namespace dgnexport;

namespace {

// The exporter starts the library with its lock on: the control's host may use it elsewhere.
const unsigned char kLibraryLocked = 1;
const int kViewElementType = 98;
// View flags the export sets: shown (the first view only), and two the views of an exported
// file always carry.
const std::uint32_t kViewShown = 0x80;
const std::uint32_t kViewExported = 0x10000;
const std::uint32_t kViewExported2 = 0x20000000;
const unsigned kWhite = 0xFFFFFF;
// The viewport of the control whose extent the views take.
const long kMainViewport = 1;
const long kPrototypeParent = DEFAULT_SHAPES_ID;
// The depth of nested references whose texts get leaders.
const int kLeaderDepth = 10;

// The library builds a new design file in memory and writes it only when it is saved. Whether
// the path can take a file at all (its folder exists, it is no folder, no read-only file) is tried
// here, before the drawing is touched, so that such a path is reported as a file that cannot be
// created instead of failing silently after the whole walk. An existing file keeps its content; a
// file the trial made goes again.
bool CanCreateFile(const char* path)
{
    const HANDLE probe = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(probe);
    if (!existed)
        DeleteFileA(path);
    return true;
}

} // namespace

// What the run changed in the drawing and took from the library, given back on every way out:
// on the way through the steps in their order, and from the destructor when a control call
// raised part-way.
class CDGNExport::CRunCleanup
{
public:
    explicit CRunCleanup(CDGNExport& owner) : m_owner(owner) {}
    ~CRunCleanup()
    {
        GiveBackBlocks();
        HideLayersAgain();
        GiveBackControl();
        EndFile();
    }
    CRunCleanup(const CRunCleanup&) = delete;
    CRunCleanup& operator=(const CRunCleanup&) = delete;

    void LibraryStarted() { m_libraryStarted = true; }
    void UndoSuspended(IYVEXUndo* undo)
    {
        m_undo = undo;
        m_undoSuspended = true;
    }
    void RedrawStopped(VARIANT_BOOL was)
    {
        m_redrawWas = was;
        m_redrawStopped = true;
    }
    // A layer shown for the walk that must be hidden again.
    void LayerShown(long id) { m_shownLayers.insert(id); }
    void LayerHidden(long id) { m_shownLayers.erase(id); }
    const std::set<long>& ShownLayers() const { return m_shownLayers; }
    // The blocks of the library before the image blocks were made: a block ConvertToBlock hands
    // back from among them is the user's.
    void NoteLibrary(const std::map<long, CString>& blocks) { m_libraryBefore = blocks; }
    bool IsUsersBlock(long id) const { return m_libraryBefore.count(id) != 0; }
    // A block of the user's renamed for the file: it gets the name it had before the images.
    void BlockRenamed(long id) { m_renamed.emplace_back(id, m_libraryBefore[id]); }
    void BlockMade(long id) { m_made.push_back(id); }

    // An image block after its export: the user's gets its name back and stays, one the run
    // made leaves the drawing.
    void GiveBackBlocks() noexcept
    {
        IShapeCollection* shapes = m_owner.m_shapes.GetInterfacePtr();
        for (const auto& renamed : m_renamed) {
            IShapePtr shape;
            if (shapes && SUCCEEDED(shapes->get_ItemByID(renamed.first, &shape)) && shape) {
                IGroupShapePtr group;
                if (SUCCEEDED(shape.QueryInterface(__uuidof(IGroupShape), &group)) && group)
                    group->put_Name(_bstr_t(renamed.second.GetString()));
            }
        }
        m_renamed.clear();
        for (long id : m_made)
            if (shapes)
                shapes->DeleteByID(id);
        m_made.clear();
    }
    void HideLayersAgain() noexcept
    {
        IShapeCollection* layers = m_owner.m_layerShapes.GetInterfacePtr();
        for (long id : m_shownLayers) {
            IShapePtr layer;
            if (layers && SUCCEEDED(layers->get_ItemByID(id, &layer)) && layer)
                layer->put_Visible(VARIANT_FALSE);
        }
        m_shownLayers.clear();
    }
    // Undo records again as far as the run's own suspension goes (a host's suspension stays),
    // and the control redraws.
    void GiveBackControl() noexcept
    {
        if (m_undoSuspended && m_undo)
            m_undo.GetInterfacePtr()->put_UndoEnabled(VARIANT_TRUE);
        m_undoSuspended = false;
        if (m_redrawStopped && m_owner.m_control)
            m_owner.m_control.GetInterfacePtr()->put_RedrawEnabled(m_redrawWas ? VARIANT_TRUE : VARIANT_FALSE);
        m_redrawStopped = false;
    }
    // The design file goes and the library start ends; failures of either are not reported.
    void EndFile() noexcept
    {
        m_owner.m_designFile.reset();
        if (m_libraryStarted)
            dgn::ShutdownLibrary();
        m_libraryStarted = false;
    }

private:
    CDGNExport& m_owner;
    bool m_libraryStarted = false;
    IYVEXUndoPtr m_undo;
    bool m_undoSuspended = false;
    bool m_redrawStopped = false;
    VARIANT_BOOL m_redrawWas = VARIANT_TRUE;
    std::set<long> m_shownLayers;
    std::map<long, CString> m_libraryBefore;  // block ID -> its name
    std::vector<std::pair<long, CString>> m_renamed;
    std::vector<long> m_made;
};

void CDGNExport::ReportPhase(int start, int end, double fraction)
{
    if (fraction - m_phaseFraction <= 0.1)
        return;
    m_phaseFraction = fraction;
    SetProgress(static_cast<int>(start + (end - start) * fraction));
}

int CDGNExport::Export(CString path, int mode)
{
    // 1. Options: a cancelled dialog leaves everything untouched.
    if (!ChooseExportMode(mode))
        return FALSE;
    if (!m_control)
        return FALSE;
    // 2. Palette.
    FillPalette();
    SetProgressRange(0, 100);

    CRunCleanup cleanup(*this);
    // 3, 4. Library start and the new design file.
    dgn::InitializeLibrary(dgn::kLibraryVersion, kLibraryLocked);
    cleanup.LibraryStarted();
    m_designFile.reset(dgn::CDesignFile::CreateNew(path.GetString()));
    if (!m_designFile || !CanCreateFile(path.GetString())) {
        AfxMessageBox("Cannot create file", MB_ICONERROR);
        return FALSE;
    }
    dgn::CDesignFile* file = m_designFile.get();

    // 5. The drawing.
    ISitePtr site;
    RaiseIfFailed(m_control->get_Site(&site), m_control);
    IShapeCollectionPtr siteShapes;
    RaiseIfFailed(Need(site.GetInterfacePtr())->get_Shapes(&siteShapes), site);
    m_shapes = siteShapes;
    const IShapeCollectionPtr rootChildren = ChildrenOf(ItemById(siteShapes, BASE_ID));
    m_layerShapes = ChildrenOf(ItemById(siteShapes, LAYERS_ID));
    m_libraryShapes = ChildrenOf(ItemById(siteShapes, LIBRARY_ID));

    // 6, 7. Z, the first phase and the maps of the run.
    const long shapeCount = CountOf(siteShapes);
    SetZ(0, shapeCount ? 0.5f / static_cast<float>(shapeCount) : 0.5f);
    BeginPhase();
    m_blockNames.clear();
    m_images.clear();
    m_layerLevels.clear();

    // 8. Undo off. Switching it off counts in the control: the run gives back its own
    // suspension at the end, which leaves a host's suspension in place.
    IYVEXUndoPtr undo = Ask<IYVEXUndoPtr>(m_control);
    Need(undo.GetInterfacePtr());
    RaiseIfFailed(undo->put_UndoEnabled(VARIANT_FALSE), undo);
    cleanup.UndoSuspended(undo);

    // 9. Every layer exported shown once: the hidden ones are shown, the control redrawn, and
    // hidden again.
    std::set<long> hiddenLayers;
    if (m_exportMode == 0) {
        for (long i = 1, n = CountOf(m_layerShapes); i <= n; ++i) {
            const ILayerShapePtr layer = Ask<ILayerShapePtr>(ItemOf(m_layerShapes, i));
            if (!layer)
                continue;
            VARIANT_BOOL visible = VARIANT_TRUE;
            RaiseIfFailed(layer->get_Visible(&visible), layer);
            if (visible)
                continue;
            const long id = IdOf(layer);
            hiddenLayers.insert(id);
            cleanup.LayerShown(id);
            RaiseIfFailed(layer->put_Visible(VARIANT_TRUE), layer);
        }
        if (!hiddenLayers.empty())
            RaiseIfFailed(m_control->Redraw(rfRedrawAll), m_control);
        for (long id : hiddenLayers) {
            const ILayerShapePtr layer = Ask<ILayerShapePtr>(ItemById(m_layerShapes, id));
            RaiseIfFailed(Need(layer.GetInterfacePtr())->put_Visible(VARIANT_FALSE), layer);
            cleanup.LayerHidden(id);
        }
        RaiseIfFailed(m_control->Redraw(rfRedrawAll), m_control);
    }

    // 10. Redrawing off (and back as the host had it at the end).
    VARIANT_BOOL redrawWas = VARIANT_TRUE;
    RaiseIfFailed(m_control->get_RedrawEnabled(&redrawWas), m_control);
    // Given back even when the switch itself reports a failure.
    cleanup.RedrawStopped(redrawWas);
    RaiseIfFailed(m_control->put_RedrawEnabled(VARIANT_FALSE), m_control);

    // 11 to 15. Levels, their masks, the model's units, the views.
    ExportLevels();
    if (m_exportMode == 0 && !hiddenLayers.empty())
        MakeLevelMask(file, 0, hiddenLayers);
    int cursor = 0;
    if (dgn::CApplicationElement* model = file->GetNextModel(&cursor)) {
        long unitId = 0;
        RaiseIfFailed(site->get_UnitID(&unitId), site);
        SetModelUnits(model, static_cast<int>(unitId));
    }
    ExportViews(hiddenLayers);

    // 16, 17. Image blocks.
    ExportImageBlocks(cleanup);
    // 18. The library's blocks that something references.
    ExportLibraryBlocks();

    // 19. Shapes.
    BeginPhase();
    for (long i = 1; i <= CountOf(rootChildren); ++i) {
        if (IShapePtr shape = ItemOf(rootChildren, i))
            InsertShape(shape, 0, 1, 0);
        ReportPhase(60, 99, static_cast<double>(i) / CountOf(rootChildren));
    }
    // 20. Leaders.
    InsertLeader(ItemById(siteShapes, BASE_ID), kLeaderDepth);

    // 21. The control as it was.
    cleanup.GiveBackControl();
    // 22 to 25. Saved, the end reported, the file and the library start let go.
    const int saved = file->SaveAsA(path.GetString(), 1) ? TRUE : FALSE;
    SetProgress(100);
    cleanup.EndFile();
    return saved;
}

void CDGNExport::ExportLevels()
{
    dgn::CDesignFile* file = m_designFile.get();
    for (long i = 1; i <= CountOf(m_layerShapes); ++i) {
        const ILayerShapePtr layer = Ask<ILayerShapePtr>(ItemOf(m_layerShapes, i));
        if (!layer) {
            ycom::ShowMessageBox(nullptr, "Bad Layer", "Error", MB_OK);
            continue;
        }
        if (m_exportMode != 0) {
            VARIANT_BOOL visible = VARIANT_TRUE;
            RaiseIfFailed(layer->get_Visible(&visible), layer);
            if (!visible)
                continue;
        }
        _bstr_t name;
        RaiseIfFailed(layer->get_Name(name.GetAddress()), layer);
        OLE_COLOR pen = 0, hatch = 0;
        RaiseIfFailed(layer->get_PenColor(&pen), layer);
        RaiseIfFailed(layer->get_HatchColor(&hatch), layer);
        AddLevel(file, IdOf(layer), name.length() ? static_cast<const char*>(name) : "", pen, hatch);
        ReportPhase(0, 5, static_cast<double>(i) / CountOf(m_layerShapes));
    }
}

void CDGNExport::ExportViews(const std::set<long>& hiddenLayers)
{
    dgn::CDesignFile* file = m_designFile.get();
    IViewportCollectionPtr viewports;
    RaiseIfFailed(m_site->get_Viewports(&viewports), m_site);
    const double c = std::cos(-static_cast<double>(m_rotation)), s = std::sin(-static_cast<double>(m_rotation));
    bool first = true;
    // The views are components of the file's view group: the walk enters complex headers.
    std::unique_ptr<dgn::CEntityIterator> views(file->CreateChildIterator(nullptr));
    if (views)
        views->DescendIntoComplex();
    while (dgn::IEntity* entity = views ? views->Next() : nullptr) {
        auto* view = entity->GetType() == kViewElementType ? dynamic_cast<dgn::CViewElement*>(entity) : nullptr;
        if (!view)
            continue;
        IViewportPtr viewport;
        RaiseIfFailed(Need(viewports.GetInterfacePtr())->get_ItemByID(kMainViewport, &viewport), viewports);
        if (!viewport)
            continue;
        view->SetViewFlags(view->GetViewFlags() | kViewExported2);
        view->SetColorIndex(GetNearestColor(kWhite));
        const std::uint16_t number = view->GetViewNumber();
        if (number == 0)
            view->SetRotation2d(c, s);
        double centreX = 0, centreY = 0, width = 0, height = 0;
        RaiseIfFailed(viewport->get_ViewCenterX(&centreX), viewport);
        RaiseIfFailed(viewport->get_ViewCenterY(&centreY), viewport);
        RaiseIfFailed(viewport->get_ViewWidth(&width), viewport);
        RaiseIfFailed(viewport->get_ViewHeight(&height), viewport);
        double deltaX = width, deltaY = height;
        if (m_rotation != 0) {
            deltaX = width * c - height * s;
            deltaY = width * s + height * c;
        }
        if (m_scale != 0 && m_scale != 1.0) {
            deltaX /= m_scale;
            deltaY /= m_scale;
        }
        const CRealPoint<double> origin = GetPt(centreX - width / 2, centreY - height / 2);
        view->SetOriginAndDelta2d(origin.x, origin.y, deltaX, deltaY);
        view->SetOnWord(1);
        std::uint32_t flags = view->GetViewFlags() | kViewExported;
        flags = first ? flags | kViewShown : flags & ~kViewShown;
        view->SetViewFlags(flags);
        first = false;
        if (m_exportMode == 0 && !hiddenLayers.empty()) {
            if (dgn::CLevelMaskElement* mask = view->GetLevelMask())
                SwitchOffHiddenLevels(mask, hiddenLayers);
            else
                MakeLevelMask(file, number, hiddenLayers, view);
        }
        view->Touch();
    }
}

void CDGNExport::ExportImageBlocks(CRunCleanup& cleanup)
{
    // 16. The names in use, and the blocks that are the user's.
    std::set<std::string> names;
    std::map<long, CString> library;
    for (long i = 1, n = CountOf(m_libraryShapes); i <= n; ++i) {
        const IShapePtr item = ItemOf(m_libraryShapes, i);
        if (!item)
            continue;
        CString& name = library[IdOf(item)];
        if (const IGroupShapePtr group = Ask<IGroupShapePtr>(item)) {
            name = NameOf(group);
            if (!name.IsEmpty())
                names.insert(name.GetString());
        }
    }
    cleanup.NoteLibrary(library);

    // 17. One block per image resource, exported and let go again.
    BeginPhase();
    IImageResourceCollectionPtr resources;
    RaiseIfFailed(m_site->get_ImageResources(&resources), m_site);
    const long shapeCount = CountOf(m_shapes);
    long handled = 0;
    for (long i = 1; i <= CountOf(m_shapes); ++i) {
        const IShapePtr shape = ItemOf(m_shapes, i);
        if (!shape || KindOf(shape) != stImage || ParentOf(shape) == kPrototypeParent)
            continue;
        const IImageShapePtr image = Ask<IImageShapePtr>(shape);
        if (!image)
            continue;
        try {
            long resourceId = 0;
            RaiseIfFailed(image->get_ImageResourceID(&resourceId), image);
            if (m_images.count(resourceId))
                continue;
            IImageResourcePtr resource;
            RaiseIfFailed(Need(resources.GetInterfacePtr())->get_ItemByID(resourceId, &resource), resources);
            long blockId = 0;
            RaiseIfFailed(Need(resource.GetInterfacePtr())->ConvertToBlock(&blockId), resource);
            const IShapePtr block = blockId ? ItemById(m_shapes, blockId) : IShapePtr();
            // From here the block goes again (or, the user's, gets its name back) whatever
            // happens to this image.
            if (blockId && !cleanup.IsUsersBlock(blockId))
                cleanup.BlockMade(blockId);
            if (const IGroupShapePtr group = Ask<IGroupShapePtr>(block)) {
                const CString old = NameOf(group);
                const std::string base = std::string(old.GetString()) + "_Img";
                std::string name = base;
                for (int k = 1; names.count(name); ++k) {
                    char suffix[16];
                    std::snprintf(suffix, sizeof suffix, "_%02d", k);
                    name = base + suffix;
                }
                if (cleanup.IsUsersBlock(blockId))
                    cleanup.BlockRenamed(blockId);
                RaiseIfFailed(group->put_Name(_bstr_t(name.c_str())), group);
            }
            const long imageLayer = LayerOf(shape);
            if (block && LayerOf(block) != imageLayer)
                RaiseIfFailed(block->put_LayerShapeID(imageLayer), block);
            ImageBlock record;
            record.blockId = block ? blockId : 0;
            if (block) {
                float left = 0, top = 0, right = 0, bottom = 0;
                if (SUCCEEDED(block->GetBoundingRect(&left, &top, &right, &bottom))) {
                    record.width = right - left;
                    record.height = top - bottom;
                } else {
                    record.blockId = 0;
                }
            }
            if (record.width == 0 || record.height == 0) {
                long w = 0, h = 0;
                RaiseIfFailed(resource->get_Width(&w), resource);
                RaiseIfFailed(resource->get_Height(&h), resource);
                record.width = w;
                record.height = h;
            }
            m_images[resourceId] = record;
            if (record.blockId)
                ExportBlock(record.blockId, 0);
            // The temporary block leaves the drawing now; a block of the user's gets its name
            // back and stays.
            cleanup.GiveBackBlocks();
        } catch (const _com_error&) {
            // This image is left out; the next one follows.
        }
        // Tested with the images handled before this one, reported with this one counted.
        const double before = static_cast<double>(handled) / shapeCount;
        ++handled;
        if (before - m_phaseFraction > 0.1) {
            m_phaseFraction = static_cast<double>(handled) / shapeCount;
            SetProgress(static_cast<int>(5 + 45 * m_phaseFraction));
        }
    }
}

void CDGNExport::ExportLibraryBlocks()
{
    BeginPhase();
    for (long i = 1, n = CountOf(m_libraryShapes); i <= n; ++i) {
        const IGroupShapePtr block = Ask<IGroupShapePtr>(ItemOf(m_libraryShapes, i));
        if (!block)
            continue;
        IReadOnlyReferenceShapeCollectionPtr references;
        RaiseIfFailed(block->get_References(&references), block);
        if (!references || CountOf(references) < 1)
            continue;
        ExportBlock(IdOf(block), 1);
        ReportPhase(50, 60, static_cast<double>(i - 1) / n);
    }
}
