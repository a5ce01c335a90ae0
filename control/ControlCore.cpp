#include "control/ControlCore.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeMap.h"
#include "model/AttributeTypeMap.h"
#include "model/BrushCache.h"
#include "model/FontCache.h"
#include "control/ErrorInfo.h"
#include "control/SharedResources.h"
#include "control/ShapeMap.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "control/ViewportRecord.h"
#include "interchange/DxfDocument.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/HighlightGroup.h"
#include "model/Image.h"
#include "interchange/ImageResource.h"
#include "model/Layer.h"
#include "model/LineTypeMap.h"
#include "model/LinkedPointMap.h"
#include "model/PenCache.h"
#include "model/PointPool.h"
#include "model/SelectionGroup.h"
#include "model/ShapeStateMap.h"
#include "model/Text.h"
#include "model/TextEditorDialog.h"
#include "persistence/DrawingSettingMap.h"
#include "ui/resource.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
// The module that holds this code: yvex.dll, or a test program linked with the core.
HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

// A resource of a custom type of this module; null when it is missing or empty.
const char* FindModuleResource(int id, const char* type, DWORD* size)
{
    HMODULE module = ThisModule();
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    *size = info ? SizeofResource(module, info) : 0;
    const char* data = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    return *size > 0 ? data : nullptr;
}
// A text resource of type HATCH_PATTERN of this module; null when it is missing or empty.
const char* FindModuleText(int id, DWORD* size) { return FindModuleResource(id, RT_HATCH_PATTERN, size); }
} // namespace

CControlCore::CControlCore()
    : m_attributeTypes(std::make_unique<CAttributeTypeMap>(this)),
      m_attributeGroups(std::make_unique<CAttributeGroupMap>(this)),
      m_attributeValues(std::make_unique<CAttributeMap>(this)), m_pointPool(std::make_unique<CPointPool>()),
      m_shapeMap(std::make_unique<CShapeMap>(this)),
      m_lineTypes(std::make_unique<CLineTypeMap>())
{
    // The dotted selection line and the continuous line come first (IDs 1 and 2), then the
    // built-in definitions.
    m_lineTypes->Add(CLineType("__SELECTED", PS_DOT));
    m_lineTypes->Add(CLineType("CONTINUOUS", PS_SOLID));
    LoadBuiltInLineTypes();
    // Before any shape: shapes look their hatch pattern up as it is set.
    m_imageResources = std::make_unique<CImageResourceMap>();
    m_imageResources->SetErrorReporter([this](int code, const char* message) { SetLastError(code, message); });
    m_hatchPatterns = std::make_unique<CHatchPatternMap>(m_imageResources.get());
    LoadBuiltInHatchPatterns();
    m_penCache = std::make_unique<CPenCache>(m_lineTypes.get());
    m_linkedPoints = std::make_unique<CLinkedPointMap>();
    m_shapeStates = std::make_unique<CShapeStateMap>();
    m_fontCache = std::make_unique<CFontCache>();
    m_currentView = std::make_unique<CViewportRecord>(this);
    m_currentView->ID = 1;
    m_currentView->name = "CURRENT";
    m_viewports = std::make_unique<CViewportList>(this);
    m_viewports->SetCurrentView(m_currentView.get());
    m_siteRecord.SetMaps(m_shapeMap.get(), m_pointPool.get());
    m_drawingSettings = std::make_unique<CDrawingSettingMap>();
    CShape* base = m_shapeMap->Lookup(BASE_LAYER);
    m_currentSetting = m_drawingSettings->CreateCurrentSetting(
        true, base && base->GetShapeType() == stLayer ? static_cast<CLayer*>(base) : nullptr);
    if (m_currentSetting)
        m_currentSetting->DatabaseID = 0;
    m_shapeMap->SetCurrentDrawingSetting(m_currentSetting);
    m_undoRecorder = std::make_unique<CUndoRecorder>(this);
    m_brushCache = std::make_unique<CBrushCache>();
    m_dxfDocument = std::make_unique<CDxfDocument>();
    // Every kind with a prototype has an entry, disabled until the host enables it.
    for (int type : {stDummy, stLine, stRectangle, stArc, stCircle, stEllipse, stPolyline, stCurve, stLayer, stImage,
                     stText, stPolygon})
        m_defaultShapeTable[type] = {0, 0};
}

CControlCore::~CControlCore()
{
    TearDownDrawing();
}

void CControlCore::TearDownDrawing()
{
    // A worker still finishing its operation works on the drawing until its thread is over.
    WaitForWorkers();
    // Nothing of the tear-down is recorded; units the host still holds find no recorder.
    m_undoRecorder.reset();
    m_tearingDown = true;
    m_edit = CEditState();
    m_rootGroup = m_activeGroup = nullptr;
    // The current layer goes with the shapes; nothing may look at it on the way.
    if (m_currentSetting)
        m_currentSetting->Layer = nullptr;
    m_viewports->DeleteAll(true);
    m_dxfDocument->ClearReadingState();
    m_shapeMap->ClearReplacements();
    // Every shape goes before the containers its destructor works with.
    m_shapeMap->DeleteAll();
}

void CControlCore::LoadBuiltInLineTypes()
{
    DWORD size = 0;
    if (const char* data = FindModuleText(IDR_LINE_TYPES, &size))
        m_lineTypes->LoadDefinitions(data, size);
}

void CControlCore::LoadBuiltInHatchPatterns()
{
    // The built-ins take IDs 1 to 27 in text order, in inches.
    DWORD size = 0;
    if (const char* data = FindModuleText(IDR_HATCH_PATTERNS, &size))
        m_hatchPatterns->ParseDefinitions(data, size);
}

void CControlCore::SetUndoRecorder(std::unique_ptr<CUndoRecorder> recorder) { m_undoRecorder = std::move(recorder); }

HRESULT CControlCore::CreateUndoManager()
{
    if (!m_undoRecorder)
        m_undoRecorder = std::make_unique<CUndoRecorder>(this);
    HRESULT hr;
    auto manager = ycom::NewObject<CUndoManager>(&hr);
    if (manager) {
        ycom::ComPtr<IOleUndoManager> undo;
        if (SUCCEEDED(manager->QueryInterface(IID_IOleUndoManager, undo.PutVoid())))
            m_undoRecorder->SetManager(undo.Get());
    }
    return m_undoRecorder->GetManager() ? S_OK : (FAILED(hr) ? hr : E_OUTOFMEMORY);
}

bool CControlCore::RefuseWhileBusy()
{
    if (IsIdle())
        return false;
    SetLastError(1, "Operation is in progress.");
    return true;
}

void CControlCore::SetLastError(int code, const char* text)
{
    std::string copy = text ? text : "";
    std::lock_guard<std::mutex> lock(m_lastErrorLock);
    m_lastErrorCode = code;
    m_lastErrorText.swap(copy);
}

int CControlCore::GetLastErrorCode() const
{
    std::lock_guard<std::mutex> lock(m_lastErrorLock);
    return m_lastErrorCode;
}

std::string CControlCore::GetLastErrorText() const
{
    std::lock_guard<std::mutex> lock(m_lastErrorLock);
    return m_lastErrorText;
}

HRESULT CControlCore::ReportError(const char* description)
{
    return ReportComErrorText(CLSID_YVEXControl, description);
}

CShape* CControlCore::FindShape(int id) const { return m_shapeMap->Lookup(id); }

const CUnitRecord* CControlCore::FindUnit(int id) const
{
    auto it = m_units.find(id);
    return it == m_units.end() ? nullptr : &it->second;
}

HWND CControlCore::GetRichEditWindow() const { return GetSharedRichEditWindow(); }

namespace {

// The fixed groups in the order they are made, with their names; the zoom-window rectangle
// (-5) comes from the shape factory and has no name.
struct FixedGroup {
    int id;
    const wchar_t* name;
    // Changes of the group pass on to its children; not for the containers of blocks, layers and
    // prototypes, whose members keep their own state.
    bool propagates;
};
const FixedGroup kFixedGroups[] = {
    {BASE_ID, L"RootShape", true},       {SELECTION_ID, L"Selection", true},
    {CLIPBOARD_ID, L"Clipboard", true},  {LIBRARY_ID, L"Library", false},
    {LAYERS_ID, L"Layers", false},       {WINDOW_ID, nullptr, true},
    {DEFAULT_SHAPES_ID, L"DefaultShapes", false}, {HIGHLIGHTS_ID, L"Highlights", true},
};

// The prototype of each default ID: its kind and the points it starts with at the origin.
struct PrototypeKind {
    int id;
    int type;
    int points;
};
const PrototypeKind kPrototypes[] = {
    {DEFAULT_SHAPE_ID, stDummy, 1},     {DEFAULT_TEXT_ID, stText, 1},    {DEFAULT_CIRCLE_ID, stCircle, 1},
    {DEFAULT_RECTANGLE_ID, stRectangle, 4}, {DEFAULT_LINE_ID, stLine, 2}, {DEFAULT_ELLIPSE_ID, stEllipse, 1},
    {DEFAULT_ARC_ID, stArc, 1},         {DEFAULT_POLYLINE_ID, stPolyline, 2}, {DEFAULT_POLYGON_ID, stPolygon, 3},
    {DEFAULT_IMAGE_ID, stImage, 4},
};

// Kinds that one prototype serves: rectangle, polyline and polygon; arc, circle and ellipse.
int KindFamily(int type)
{
    if (type == stRectangle || type == stPolyline || type == stPolygon || type == stCurve)
        return stPolyline;
    if (type == stArc || type == stCircle || type == stEllipse)
        return stEllipse;
    return type;
}

} // namespace

bool CControlCore::CreateSystemShapes()
{
    bool complete = true;
    for (const FixedGroup& fixed : kFixedGroups) {
        CShape* shape = nullptr;
        if (fixed.id == SELECTION_ID) {
            shape = new CSelectionGroup(fixed.id, this);
        } else if (fixed.id == HIGHLIGHTS_ID) {
            shape = new CHighlightGroup(fixed.id, this);
        } else if (fixed.id == WINDOW_ID) {
            const int id = WINDOW_ID;
            shape = m_shapeMap->CreateShape(stRectangle, true, false, &id);
            if (shape)
                shape->SetHatchPatternId(0);
        } else {
            shape = new CGroup(fixed.id, this);
        }
        if (!shape) {
            complete = false;
            continue;
        }
        if (shape->IsGroup()) {
            auto* group = static_cast<CGroup*>(shape);
            if (fixed.name)
                group->SetName(fixed.name);
            if (!fixed.propagates)
                group->SetStateBits(CGroup::stPropagateToChildren, false);
        }
        if (!m_shapeMap->Insert(shape)) {
            delete shape;
            complete = false;
        }
    }

    const int baseId = BASE_LAYER;
    auto* base = static_cast<CLayer*>(m_shapeMap->CreateShape(stLayer, true, true, &baseId));
    CGroup* layers = GetLayersGroup();
    if (base && layers) {
        layers->AddChild(base, nullptr, 1, false);
        base->SetName("0");
        MapLayerName("0", base);
        SetCurrentLayer(base);
    } else {
        complete = false;
    }

    BuildDefaultShapes(false);
    m_rootGroup = m_activeGroup = FindGroup(BASE_ID);
    return complete && m_rootGroup;
}

void CControlCore::ResetDefaultText(CText* text)
{
    // "Default Text" in rich text, each letter in another colour of a table of twelve.
    static const COLORREF kColours[12] = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF,
                                          0xFFFF00, 0x000080, 0x008000, 0x800000, 0x008080, 0x800080};
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}{\\colortbl;";
    char entry[64];
    for (COLORREF colour : kColours) {
        std::snprintf(entry, sizeof entry, "\\red%u\\green%u\\blue%u;", static_cast<unsigned>(GetRValue(colour)),
                      static_cast<unsigned>(GetGValue(colour)), static_cast<unsigned>(GetBValue(colour)));
        rtf += entry;
    }
    rtf += "}\\pard\\plain\\lang1049\\f0\\fs20 ";
    const char kText[] = "Default Text";
    int colour = 0;
    for (const char* c = kText; *c; ++c) {
        if (*c == ' ') {
            rtf += ' ';
            continue;
        }
        std::snprintf(entry, sizeof entry, "{\\cf%d %c}", colour % 12 + 1, *c);
        rtf += entry;
        ++colour;
    }
    rtf += "\\par}";
    text->SetTextType(ttRTF);
    text->SetPenColor(0xFF0000);
    text->SetHeight(20.0f);
    text->SetWidth(180.0f);
    text->SetTextBytes(rtf.c_str(), static_cast<int>(rtf.size()));
}

CImageResource* CControlCore::GetDefaultPicture()
{
    if (CImageResource* present = m_imageResources->Lookup(kDefaultPictureId))
        return present;
    DWORD size = 0;
    const char* bytes = FindModuleResource(IDR_DEFAULT_IMAGE, RT_METAFILE_PICTURE, &size);
    if (!bytes)
        return nullptr;
    std::unique_ptr<CImageResource> picture(
        m_imageResources->CreateResource(kDefaultPictureId, bytes, size, 1.0f, false));
    // Nothing goes into the map that does not decode (GDI+ not started, say).
    if (!picture || !picture->IsLoaded())
        return nullptr;
    picture->SetName("default");
    if (m_imageResources->InsertUnique(picture.get()) != picture.get())
        return nullptr;
    return picture.release();
}

void CControlCore::ResetDefaultImage(CImage* image)
{
    CImageResource* picture = GetDefaultPicture();
    if (!picture)
        return;
    image->SetImageResourceId(picture->GetId());
    image->SetRotation(0.0);
    image->SetSize(static_cast<float>(picture->GetWidth()), static_cast<float>(picture->GetHeight()));
}

void CControlCore::BuildDefaultShapes(bool reset)
{
    CGroup* defaults = GetDefaultShapesGroup();
    if (!defaults)
        return;
    for (const PrototypeKind& kind : kPrototypes) {
        CShape* existing = FindShape(kind.id);
        if (existing && (existing->GetParent() != defaults || KindFamily(existing->GetShapeType()) != KindFamily(kind.type)))
            DeleteShapeTree(existing, false, false);
        CShape* prototype = FindShape(kind.id);
        if (!prototype) {
            // A kind the factory does not build has no prototype.
            prototype = m_shapeMap->CreateShape(kind.type, true, true, &kind.id);
            if (!prototype)
                continue;
            defaults->AddChild(prototype, nullptr, 1, false);
        }
        // A prototype without points gets them at the origin, and its defaults with them.
        const bool fresh = prototype->GetPoints().IsEmpty();
        if (fresh)
            for (int i = 0; i < kind.points; ++i)
                prototype->SetPointCoords(3, 0.0f, 0.0f, i);
        if (auto* text = dynamic_cast<CText*>(prototype)) {
            if (fresh || reset)
                text->SetFontNameA("Arial");
            if (reset)
                ResetDefaultText(text);
        }
        if (auto* image = dynamic_cast<CImage*>(prototype))
            if (fresh || reset || image->GetImageResourceId() == 0)
                ResetDefaultImage(image);
    }
    // The IDs up to the last prototype's belong to the system, whichever prototypes exist.
    m_shapeMap->ReserveIdsThrough(DEFAULT_IMAGE_ID);
}

CHighlightGroup* CControlCore::GetHighlightGroup() const
{
    return dynamic_cast<CHighlightGroup*>(FindShape(HIGHLIGHTS_ID));
}

bool CControlCore::FireBringShapeToFront(int) { return true; }

bool CControlCore::FireSendShapeToBack(int) { return true; }

bool CControlCore::FireAddPoint(int) { return true; }

bool CControlCore::FireBeginEditShape(LONG, LONG) { return true; }

bool CControlCore::FireCancel() { return true; }

CTextEditorDialog* CControlCore::GetTextEditor()
{
    if (!m_textEditor)
        m_textEditor = MakeTextEditorDialog();
    return m_textEditor.get();
}

bool CControlCore::EditTextExternally(const std::string&, std::string*) { return false; }

int CControlCore::StartTextEditor(CShape*) { return 0; }

bool CControlCore::FireDeletePoint(int) { return true; }

bool CControlCore::HandleTimer(UINT_PTR timerId)
{
    CHighlightGroup* highlights = GetHighlightGroup();
    return highlights && highlights->OnBlinkTimer(timerId);
}

void CControlCore::HandleLButtonDown()
{
    CHighlightGroup* highlights = GetHighlightGroup();
    if (highlights && highlights->GetShapeCount() > 0 && highlights->GetBlinkOn()) {
        highlights->Clear(false);
        highlights->SetBlinking(false);
    }
}

void CControlCore::SetRootId(int id)
{
    CGroup* group = FindGroup(id);
    if (!group)
        group = FindGroup(BASE_ID);
    m_rootGroup = group;
}

int CControlCore::GetActiveGroupID() const
{
    CGroup* group = m_activeGroup ? m_activeGroup : m_rootGroup;
    return group ? group->GetId() : BASE_ID;
}

CLayer* CControlCore::GetCurrentLayer()
{
    if (!m_currentSetting || !m_currentSetting->Layer)
        return nullptr;
    CLayer* layer = m_currentSetting->Layer;
    if (layer->GetShapeType() != stLayer) {
        ReportError("Wrong shape type.");
        return nullptr;
    }
    return layer;
}

void CControlCore::SetCurrentLayer(CLayer* layer)
{
    if (layer && layer->GetShapeType() != stLayer)
        layer = nullptr;
    if (m_currentSetting)
        m_currentSetting->Layer = layer;
}

CShape* CControlCore::GetDefaultShape(int shapeType) const
{
    int id;
    switch (shapeType) {
    case stDummy: id = DEFAULT_SHAPE_ID; break;
    case stLine: id = DEFAULT_LINE_ID; break;
    case stRectangle: id = DEFAULT_RECTANGLE_ID; break;
    case stArc: id = DEFAULT_ARC_ID; break;
    case stCircle: id = DEFAULT_CIRCLE_ID; break;
    case stEllipse: id = DEFAULT_ELLIPSE_ID; break;
    case stPolyline:
    case stCurve: id = DEFAULT_POLYLINE_ID; break;
    case stLayer: id = BASE_LAYER; break;
    case stImage: id = DEFAULT_IMAGE_ID; break;
    case stText: id = DEFAULT_TEXT_ID; break;
    case stPolygon: id = DEFAULT_POLYGON_ID; break;
    default: return nullptr;
    }
    CShape* shape = FindShape(id);
    CGroup* defaults = GetDefaultShapesGroup();
    if (!shape || !defaults || shape->GetParent() != defaults)
        return nullptr;
    auto family = [](int type) {
        if (type == stRectangle || type == stPolyline || type == stPolygon)
            return static_cast<int>(stPolyline);
        if (type == stArc || type == stCircle || type == stEllipse)
            return static_cast<int>(stEllipse);
        if (type == stCurve)
            return static_cast<int>(stPolyline);
        return type;
    };
    return family(shape->GetShapeType()) == family(shapeType) ? shape : nullptr;
}

bool CControlCore::IsDefaultShapeEnabledFor(int shapeType) const
{
    auto it = m_defaultShapeTable.find(shapeType);
    return it != m_defaultShapeTable.end() && it->second.second > 0;
}

HRESULT CControlCore::SetDefaultShapeEnabled(int shapeType, bool enable)
{
    auto it = m_defaultShapeTable.find(shapeType);
    if (it == m_defaultShapeTable.end())
        return S_FALSE;
    it->second.second = enable ? 1 : 0;
    if (it->second.first == 0)
        for (auto& entry : m_defaultShapeTable)
            entry.second.second = enable ? 1 : 0;
    return S_OK;
}

void CControlCore::SnapPointToGrid(const CRealPoint& in, CRealPoint* out) const
{
    if (!out)
        return;
    *out = in;
    if (!m_currentSetting)
        return;
    auto snap = [](double v, double s, double g) {
        if (s == 0.0)
            return v;
        const double o = std::fmod(g, s);
        return std::round((v - o) / s) * s + o;
    };
    out->x = static_cast<float>(snap(in.x, m_currentSetting->GridXSpace, m_currentSetting->SnapBaseX));
    out->y = static_cast<float>(snap(in.y, m_currentSetting->GridYSpace, m_currentSetting->SnapBaseY));
}

int CControlCore::CreatePoint(float x, float y)
{
    int id = 0;
    return m_pointPool->AddPoint(x, y, &id) ? id : 0;
}

void CControlCore::RequestRedraw(DWORD flags, CShape* target)
{
    // A weaker request never drops a pending full redraw.
    if (flags != 0 && ((flags & rfRedrawAll) || !(m_pendingRedraw & rfRedrawAll)))
        m_pendingRedraw = flags;
    if ((flags & rfRedrawShape) && target) {
        m_redrawTargetId = target->GetId();
        m_hasRedrawTarget = true;
    }
}

CShape* CControlCore::GetRedrawTarget() const { return m_hasRedrawTarget ? FindShape(m_redrawTargetId) : nullptr; }

int CControlCore::StartEditShape(CShape*, int, int, int) { return 0; }

void CControlCore::EndInteractiveOperation(bool) {}

void CControlCore::ForEachShape(const std::function<void(CShape*)>& visit)
{
    std::vector<CShape*> shapes;
    shapes.reserve(m_shapeMap->Shapes().size());
    for (const auto& entry : m_shapeMap->Shapes())
        shapes.push_back(entry.second);
    for (CShape* shape : shapes)
        visit(shape);
}

CShape* CControlCore::FindNextPointOwner(int pointId)
{
    CPointRecord* point = m_pointPool->Find(pointId);
    if (!point)
        return nullptr;
    for (int owner : point->GetOwners()) {
        CShape* shape = FindShape(owner);
        if (shape && (shape->GetPoints().IndexOf(pointId) >= 0 || shape->GetLinkedPoints().IndexOf(pointId) >= 0))
            return shape;
    }
    return nullptr;
}

void CControlCore::RestartRedrawTimer(UINT) {}

void CControlCore::ForgetShape(CShape* shape)
{
    if (!shape)
        return;
    if (m_edit.editedShape == shape)
        m_edit.editedShape = nullptr;
    if (m_edit.tracker == shape)
        m_edit.tracker = nullptr;
    if (m_edit.containerShape == shape)
        m_edit.containerShape = nullptr;
    m_edit.hitShapes.erase(std::remove(m_edit.hitShapes.begin(), m_edit.hitShapes.end(), shape),
                           m_edit.hitShapes.end());
    if (m_editedReference == shape)
        m_editedReference = nullptr;
    if (m_activeGroup == shape)
        m_activeGroup = nullptr;
    if (m_dxfDocument->GetBlockBeingWritten() == shape)
        m_dxfDocument->SetBlockBeingWritten(nullptr);
    if (shape->GetShapeType() != stLayer || m_tearingDown)
        return;

    CShape* found = FindShape(BASE_LAYER);
    CLayer* base = found && found != shape && found->GetShapeType() == stLayer ? static_cast<CLayer*>(found) : nullptr;
    // Each shape by itself: a group passing the layer on would also move children that lie on
    // other layers.
    for (const auto& entry : m_shapeMap->Shapes())
        if (entry.second->GetLayer() == shape)
            entry.second->CShape::SetLayer(base);
    if (m_edit.tracker && m_edit.tracker->GetLayer() == shape)
        m_edit.tracker->CShape::SetLayer(base);
    for (const auto& entry : m_shapeMap->Replacements())
        if (entry.second->GetLayer() == shape)
            entry.second->CShape::SetLayer(base);
    for (const auto& entry : m_drawingSettings->Settings())
        if (entry.second->Layer == shape)
            entry.second->Layer = base;
}

CLayer* CControlCore::FindLayerByName(const std::string& name)
{
    auto it = m_layerNames.find(name);
    if (it != m_layerNames.end()) {
        CShape* shape = FindShape(it->second);
        if (shape && shape->GetShapeType() == stLayer && static_cast<CLayer*>(shape)->GetName() == name)
            return static_cast<CLayer*>(shape);
        m_layerNames.erase(it); // the layer went or was renamed
    }
    if (CGroup* layers = GetLayersGroup())
        for (CShape* child : layers->Children())
            if (child->GetShapeType() == stLayer && static_cast<CLayer*>(child)->GetName() == name)
                return static_cast<CLayer*>(child);
    return nullptr;
}

void CControlCore::MapLayerName(const std::string& name, CLayer* layer)
{
    if (layer)
        m_layerNames[name] = layer->GetId();
    else
        m_layerNames.erase(name);
}

void CControlCore::BeginProgress(long steps)
{
    m_progressSteps = steps;
    m_progressDone = 0;
    m_progressPercent = -1;
}

void CControlCore::StepProgress()
{
    ++m_progressDone;
    ++m_processed;
    if (m_progressSteps <= 0)
        return;
    // A site load reports into its share of one scale (its progress range).
    const long percent = m_progressKey != 0 ? GetProgressPercent()
                                            : static_cast<long>(static_cast<long long>(m_progressDone) * 100 / m_progressSteps);
    if (percent != m_progressPercent && percent < 100) {
        m_progressPercent = percent;
        OnProgress(percent);
    }
}

void CControlCore::OnProgress(long) {}
