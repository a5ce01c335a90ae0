// Shapes created with the mouse (DrawShape), images placed with it (DrawImage), and nudging the
// edited shape or the selection with the arrow keys.
#include "control/YVEXControl.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/ImageChooser.h"
#include "control/UndoRecorder.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include "persistence/DrawingSettingRecord.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// The point-entry mode of free-hand polylines and placed images.
constexpr int kFreehandEntry = 2;
// Grid cells this wide on screen are steps of their own.
constexpr double kVisibleGridPixels = 15.0;

// The cursor resource of the kind being drawn.
int DrawCursorOf(int type)
{
    switch (type) {
    case stLine: return 280;
    case stRectangle: return 281;
    case stArc: return 282;
    case stCircle: return 277;
    case stEllipse: return 278;
    case stPolyline: return 279;
    case stImage: return 285;
    case stText: return 284;
    case stPolygon: return 283;
    default: return 272;
    }
}

bool IsNudgedEdit(int mode) { return mode == EDSH_MOVE || mode == EDSH_POINT || mode == EDSH_NEWPOINT || mode == EDSH_SCALE; }

} // namespace

HRESULT CYVEXControl::CheckDrawTarget(LONG groupId, CGroup** group)
{
    *group = nullptr;
    if (!IsIdle() || !AcceptsEdits())
        return S_FALSE;
    CShape* shape = FindShape(groupId);
    if (!shape)
        return ReportError("Shape not found.");
    if (!shape->IsGroup() || !shape->IsEnabled())
        return S_FALSE;
    CLayer* layer = GetCurrentLayer();
    if (!layer || !layer->IsEnabled() || !layer->IsVisible())
        return S_FALSE;
    *group = static_cast<CGroup*>(shape);
    return S_OK;
}

void CYVEXControl::ClearSelectionForCreation()
{
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!selection || selection->GetShapeCount() == 0)
        return;
    selection->Clear(false);
    RequestRedraw(rfRedrawSelection, nullptr);
    if (EventsEnabled()) {
        FireChangeSelection();
        RestartRedrawTimer(0);
    }
}

bool CYVEXControl::RollBackCreation(CShape* shape)
{
    EndInteractiveOperation(false);
    // Without the editing machinery nothing took the creation back: it goes here.
    CEditState& edit = GetEditState();
    if (edit.editedShape != shape)
        return false;
    edit.editedShape = nullptr;
    edit.editMode = 0;
    edit.controlState &= ~static_cast<DWORD>(csUserCreate);
    CloseEditUndo(false);
    DeleteShapeTree(shape, false, false);
    return true;
}

void CYVEXControl::OpenCreationUndo(CShape* shape)
{
    // The creation is one undo step, closed as the edit ends: committed with the shape, dropped
    // with a cancel.
    CUndoRecorder* recorder = GetUndoRecorder();
    if (!recorder || recorder->IsSuspended())
        return;
    recorder->RecordShape(opCreate, shape, true);
    m_editUndoOpen = true;
}

HRESULT CYVEXControl::BeginDrawShape(LONG groupId, LONG shapeType, LONG param, LONG* newId)
{
    if (newId)
        *newId = 0;
    CGroup* group = nullptr;
    const HRESULT checked = CheckDrawTarget(groupId, &group);
    if (checked != S_OK)
        return checked;
    // A copy of the kind's prototype when the host enabled it and it is not itself being edited.
    CShape* prototype = GetDefaultShape(shapeType);
    const bool fromPrototype = prototype && IsDefaultShapeEnabledFor(shapeType) && GetRootGroup() != prototype;
    // A fresh image asks the user for its picture first (starting from the previous answer); a
    // cancelled chooser draws nothing and leaves a running operation as it was.
    if (shapeType == stImage && !fromPrototype) {
        if (const ImageChooser choose = GetImageChooser()) {
            CPendingImage choice = GetPendingImage();
            if (!choose(this, m_hWnd, choice))
                return S_FALSE;
            SetPendingImage(choice);
        }
    }
    CEditState& edit = GetEditState();
    if (edit.editedShape)
        EndInteractiveOperation(false);
    edit.editStepFlags = 0;
    edit.dragActive = false;

    CShape* shape = fromPrototype ? GetShapeMap().CreateShapeFromPrototype(shapeType, true, true)
                                  : GetShapeMap().CreateShape(shapeType, true, true);
    if (!shape)
        return ReportError("Shape not found.");
    OpenCreationUndo(shape);
    edit.controlState |= csUserCreate;
    edit.editedShape = shape;
    edit.editMode = EDSH_NEWPOINT;
    shape->StartEdit(EDSH_NEWPOINT, 0, nullptr);
    if (shapeType == stPolyline && (param & pfFreeHand) && m_pointEntryMode == 0)
        m_pointEntryMode = kFreehandEntry;

    const int count = group->GetShapeCount();
    shape->SetZOrder(count > 0 ? group->GetChildAt(count - 1)->GetZOrder() + 1.0f : 1.0f, false);
    group->AppendChild(shape, 0);
    if (auto* polyline = dynamic_cast<CPolyline*>(shape)) {
        if (shapeType == stPolygon)
            polyline->SetFlags(polyline->GetFlags() | param | pfClosed);
        else if (param != 0)
            polyline->SetFlags(static_cast<DWORD>(param));
    } else if (auto* text = dynamic_cast<CText*>(shape)) {
        text->SetType(param ? param : ttANSI);
        if (!IsDefaultShapeEnabledFor(stText)) {
            const CRealPoint at = edit.mousePosition;
            const int point = CControlCore::CreatePoint(at.x, at.y);
            if (point)
                shape->AddPointById(point, CShape::kAppend, true);
            const char kDefaultText[] = "Default Text";
            text->SetTextBytes(kDefaultText, static_cast<int>(sizeof kDefaultText - 1));
        }
    }
    ClearSelectionForCreation();
    if (newId)
        *newId = shape->GetId();
    if (EventsEnabled() && !FireBeginDraw(shape->GetId())) {
        RollBackCreation(shape);
        if (newId)
            *newId = 0;
        return S_FALSE;
    }
    SetEditCursor(DrawCursorOf(shapeType));
    if (m_hWnd)
        SetFocus(m_hWnd);
    if (auto* image = dynamic_cast<CImage*>(shape); image && !fromPrototype)
        HangFreshImage(image);
    shape->OnEditDrag(edit.mousePosition.x, edit.mousePosition.y);
    RestartRedrawTimer(0);
    return S_OK;
}

void CYVEXControl::HangFreshImage(CImage* image)
{
    m_pointEntryMode = kFreehandEntry;
    m_hungImageId = image->GetId();
    const CPendingImage pending = GetPendingImage();
    CImageResourceMap& map = GetImageResourceMap();
    CImageResource* resource = pending.resourceId ? map.Lookup(pending.resourceId) : nullptr;
    if (!resource && pending.resourceId > 0)
        resource = map.FindByObjectId(pending.resourceId);
    if (!resource)
        resource = GetDefaultPicture();
    if (resource) {
        image->SetImageResourceId(resource->GetId());
        image->ResetSizeFromResource(0);
        if (pending.width != 0.0f || pending.height != 0.0f)
            image->SetSize(pending.width, pending.height);
    }
    const CRealPoint at = GetEditState().mousePosition;
    if (image->GetPoints().IsEmpty()) {
        const int corner = CControlCore::CreatePoint(at.x, at.y);
        if (corner)
            image->AddPointById(corner, CShape::kAppend, true);
    } else {
        image->SetPointCoords(3, at.x, at.y, 0);
    }
}

bool CYVEXControl::PlaceImageAsReference(CShape* shape)
{
    auto* image = dynamic_cast<CImage*>(shape);
    CEditState& edit = GetEditState();
    if (!image || image->GetId() != m_hungImageId || !GetPendingImage().metafileAsBlock || edit.editedShape != image ||
        !(edit.controlState & csUserCreate) || RefusesReferences())
        return false;
    CGroup* parent = image->GetParent();
    float left = 0, top = 0, right = 0, bottom = 0;
    if (!parent || FAILED(image->GetBoundingRectEx(&left, &top, &right, &bottom, nullptr, 0)))
        return false;
    // A picture that gives no block stays an image.
    const int blockId = MakeBlockOfImageResource(image->GetImageResourceId());
    if (blockId <= 0)
        return false;
    const int imageId = image->GetId();
    const LONG parentId = parent->GetId();
    // The image's creation ends uncommitted, its undo step dropped, so that the reference is the
    // one step the placement leaves. A host that refuses the cancel keeps the image.
    EndInteractiveOperation(false);
    if (FindShape(imageId))
        return false;
    m_hungImageId = 0;
    LONG referenceId = 0;
    if (AddReference(parentId, blockId, &referenceId, false, left, top) == S_OK)
        if (CShape* reference = FindShape(referenceId))
            FitReferenceToRect(reference, left, top, right, bottom);
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    return true;
}

HRESULT CYVEXControl::CheckImageTarget(LONG groupId, CShape** target)
{
    *target = nullptr;
    if (!IsIdle() || !AcceptsEdits())
        return S_FALSE;
    *target = FindShape(groupId);
    if (!*target)
        return ReportError("Shape not found.");
    if (!(*target)->IsGroup())
        return ReportError("Shape is not a group.");
    return S_OK;
}

HRESULT CYVEXControl::BeginPlaceImage(LONG groupId, LONG resourceId, bool fixSize, LONG* newId)
{
    if (newId)
        *newId = 0;
    CShape* target = nullptr;
    const HRESULT checked = CheckImageTarget(groupId, &target);
    if (checked != S_OK)
        return checked;
    CImageResource* resource = GetImageResourceMap().Lookup(resourceId);
    if (!resource)
        return ReportError("Resource not found.");
    auto* image = dynamic_cast<CImage*>(GetShapeMap().CreateShape(stImage, true, true));
    if (!image)
        return E_OUTOFMEMORY;
    // The image takes a use of its resource.
    image->SetImageResourceId(resourceId);
    // The image stands on its corner point.
    const int corner = CControlCore::CreatePoint(GetEditState().mousePosition.x, GetEditState().mousePosition.y);
    if (corner)
        image->AddPointById(corner, CShape::kAppend, true);
    if (fixSize)
        image->ResetSizeFromResource(0);
    CEditState& edit = GetEditState();
    if (edit.editedShape)
        EndInteractiveOperation(false);
    image->StartEdit(EDSH_NEWPOINT, 0, nullptr);
    static_cast<CGroup*>(target)->AppendChild(image, 0);
    OpenCreationUndo(image);
    edit.editedShape = image;
    edit.editMode = EDSH_NEWPOINT;
    ClearSelectionForCreation();
    if (newId)
        *newId = image->GetId();
    if (EventsEnabled() && !FireBeginDraw(image->GetId())) {
        RollBackCreation(image);
        if (newId)
            *newId = 0;
        return S_FALSE;
    }
    edit.controlState |= csUserCreate;
    SetEditCursor(DrawCursorOf(stImage));
    m_pointEntryMode = kFreehandEntry;
    image->SetPointCoords(3, edit.mousePosition.x, edit.mousePosition.y, 0);
    if (fixSize)
        image->ResetSizeFromResource(0);
    return S_OK;
}

STDMETHODIMP CYVEXControl::DrawShape(LONG GroupID, LONG ShapeType, LONG Param)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        LONG id = 0;
        return BeginDrawShape(GroupID, ShapeType, Param, &id);
    });
}

STDMETHODIMP CYVEXControl::DrawImage(LONG GroupID, LONG resourceID, VARIANT_BOOL FixSize)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        LONG id = 0;
        return BeginPlaceImage(GroupID, resourceID, FixSize != VARIANT_FALSE, &id);
    });
}

STDMETHODIMP CYVEXControl::DrawImageFromDB(LONG GroupID, LONG resourceDBID, VARIANT_BOOL FixSize)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        CShape* target = nullptr;
        const HRESULT checked = CheckImageTarget(GroupID, &target);
        if (checked != S_OK)
            return checked;
        // A picture not in the drawing yet is read from the database on a connection of its own.
        CImageResource* resource = GetImageResourceMap().FindByObjectId(resourceDBID);
        if (!resource) {
            const HRESULT loaded = LoadImageResourceFromDB(resourceDBID, &resource);
            if (FAILED(loaded) || loaded == S_FALSE || !resource)
                return ReportComErrorW(CLSID_YVEXControl, L"Resource not found.",
                                       FAILED(loaded) ? loaded : DISP_E_EXCEPTION);
        }
        LONG id = 0;
        return BeginPlaceImage(GroupID, resource->GetId(), FixSize != VARIANT_FALSE, &id);
    });
}

// ---- nudging ----

bool CYVEXControl::CanNudge()
{
    const CEditState& edit = GetEditState();
    if (edit.editedShape)
        return IsNudgedEdit(edit.editMode);
    CGroup* selection = GetSelectionGroup();
    if (!selection)
        return false;
    for (int i = 0; i < selection->GetShapeCount(); ++i) {
        CShape* shape = selection->GetChildAt(i);
        if (shape->IsEnabled() && shape->IsVisible())
            return true;
    }
    return false;
}

double CYVEXControl::NudgeStep(bool horizontal)
{
    double step = 0.0;
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    const CViewportRecord& view = GetCurrentViewport();
    if (setting && setting->ShowGrid) {
        // The grid's cells on screen along each axis.
        const POINT origin = view.WorldToDevice(CRealPoint(0.0f, 0.0f));
        const POINT cell = view.WorldToDevice(CRealPoint(setting->GridXSpace, setting->GridYSpace));
        const double xPixels = std::abs(cell.x - origin.x);
        const double yPixels = std::abs(cell.y - origin.y);
        if (setting->SnapToGrid)
            step = std::fabs(setting->GridXSpace);
        else if (xPixels >= kVisibleGridPixels || yPixels >= kVisibleGridPixels)
            step = std::fabs(horizontal ? setting->GridXSpace : setting->GridYSpace);
    }
    if (step >= 0.001)
        return step;
    // From the view: the decade below its size along the axis.
    const CWorldRect area = view.GetWorldRect();
    const double size = std::fabs(horizontal ? area.right - area.left : area.top - area.bottom);
    if (size > 5.0)
        return std::pow(10.0, std::floor(std::log10(size)));
    if (size > 2.0)
        return 0.5;
    if (size > 0.5)
        return 0.1;
    if (size > 0.05)
        return 0.01;
    // Below that the decades end at steps of 0.001.
    return 0.001;
}

bool CYVEXControl::Nudge(int dx, int dy)
{
    if (std::abs(dx) == std::abs(dy))
        return false;
    CEditState& edit = GetEditState();
    bool started = false;
    if (!edit.editedShape) {
        auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
        if (!selection || selection->GetShapeCount() == 0)
            return false;
        // Shapes that cannot move leave the selection.
        std::vector<CShape*> refusing;
        for (int i = 0; i < selection->GetShapeCount(); ++i) {
            CShape* shape = selection->GetChildAt(i);
            if (!shape->IsEnabled() || !shape->IsVisible() || shape->IsOperationLocked(EDSH_MOVE))
                refusing.push_back(shape);
        }
        if (!refusing.empty()) {
            if (refusing.size() == static_cast<size_t>(selection->GetShapeCount()))
                return false;
            for (CShape* shape : refusing)
                selection->RemoveChild(shape);
            RequestRedraw(rfRedrawSelection, nullptr);
            FireChangeSelection();
        }
        edit.editedShape = selection;
        edit.editMode = EDSH_MOVE;
        edit.controlState |= csUserEdit;
        if (EventsEnabled() && !FireBeginEditShape(SELECTION_ID, EDSH_MOVE)) {
            edit.editedShape = nullptr;
            edit.editMode = 0;
            edit.controlState &= ~static_cast<DWORD>(csUserEdit);
            return false;
        }
        selection->StartEdit(EDSH_MOVE, 0, nullptr);
        if (CUndoRecorder* recorder = GetUndoRecorder())
            recorder->OpenOperation(opMove);
        started = true;
    }
    const double step = NudgeStep(dx != 0);
    CShape* shape = edit.editedShape;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        if (recorder->ShouldRecordShape(shape))
            recorder->RecordShape(opMove, shape, false);
    if (edit.editMode == EDSH_MOVE || edit.editMode == EDSH_SCALE)
        if (!edit.dragActive)
            shape->OnEditMouseDown(edit.mousePosition.x, edit.mousePosition.y, nullptr);
    edit.mousePosition.x += static_cast<float>(dx * step);
    edit.mousePosition.y += static_cast<float>(dy * step);
    if (started) {
        const DWORD flags = GetControlFlags();
        SetControlFlags(flags | controlDisableRedraw);
        shape->OnEditDrag(edit.mousePosition.x, edit.mousePosition.y);
        SetControlFlags(flags);
        FinishNudgeMove(shape);
    } else {
        shape->OnEditDrag(edit.mousePosition.x, edit.mousePosition.y);
    }
    RequestRedraw(rfRedrawAll, nullptr);
    return true;
}

void CYVEXControl::FinishNudgeMove(CShape* shape)
{
    CEditState& edit = GetEditState();
    EndInteractiveOperation(true);
    if (edit.editedShape != shape)
        return;
    // Without the editing machinery the move is committed here: the shape keeps where it went.
    shape->OnEditMouseUp(edit.mousePosition.x, edit.mousePosition.y);
    shape->EndEdit(true);
    edit.editedShape = nullptr;
    edit.editMode = 0;
    edit.controlState &= ~static_cast<DWORD>(csUserEdit);
    if (CUndoRecorder* recorder = GetUndoRecorder())
        recorder->CloseOperation(true);
    SetModified(true);
}
