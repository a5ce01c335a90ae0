#include "ui/PropertiesDialog.h"
#include <algorithm>
#include "YVEX_h.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "com/Owners.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Shape.h"
#include "ui/resource.h"

namespace {

// The shape properties the applying step knows by number.
constexpr DISPID kPenColor = 4;
constexpr DISPID kShapeType = 2;
constexpr DISPID kTranslatedPenColor = 59;
constexpr DISPID kTranslatedHatchColor = 60;
// The colour bits resolved through the layer (0x20000000) or the block (0x40000000).
constexpr DWORD kResolvedBits = 0x60000000;
constexpr DWORD kByLayer = 0x20000000;
// Shape types of the dependent-row table.
constexpr LONG kRectangle = 2, kArc = 3, kCircle = 4, kEllipse = 5, kPolyline = 6, kText = 11, kPolygon = 13;


// A put through IDispatch as a container makes it: the value as the one named argument.
HRESULT PutValue(IDispatch* object, DISPID dispid, const VARIANT& value)
{
    VARIANT argument = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    const VARTYPE vt = V_VT(&value);
    HRESULT hr = E_FAIL;
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN || (vt & (VT_ARRAY | VT_BYREF)))
        hr = object->Invoke(dispid, IID_NULL, 1024, DISPATCH_PROPERTYPUTREF, &params, nullptr, nullptr, nullptr);
    if (FAILED(hr))
        hr = object->Invoke(dispid, IID_NULL, 1024, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    return hr;
}

bool IsIntegerType(VARTYPE vt) { return vt == VT_I4 || vt == VT_UI4 || vt == VT_INT || vt == VT_UINT; }

} // namespace

CPropertiesDialog::CPropertiesDialog(CYVEXControl* control) : m_control(control) {}

CPropertiesDialog::~CPropertiesDialog()
{
    m_grid.Destroy();
    if (IsWindow())
        DestroyWindow(m_hWnd);
    ReleaseObjects();
    m_rows.DeleteRows();
}

void CPropertiesDialog::ReleaseObjects()
{
    for (IDispatch* object : m_objects)
        object->Release();
    m_objects.clear();
}

std::vector<CShape*> CPropertiesDialog::LiveShapes() const
{
    std::vector<CShape*> shapes;
    for (LONG id : m_shapeIds)
        if (CShape* shape = m_control ? m_control->FindShape(id) : nullptr)
            shapes.push_back(shape);
    return shapes;
}

bool CPropertiesDialog::ShowShapes(CGroup* group)
{
    std::vector<LONG> ids;
    if (group)
        for (CShape* shape : group->Children())
            if (shape)
                ids.push_back(shape->GetId());
    return ShowShapeIds(ids);
}

bool CPropertiesDialog::ShowShapeIds(const std::vector<LONG>& ids)
{
    // The grid lets go of the rows before they go.
    if (m_grid.IsWindow())
        m_grid.RemoveAll();
    m_rows.enableDispid = PROPERTY_DISPID_ENABLED;
    m_shapeIds = ids;
    m_rows.DeleteRows();
    ReleaseObjects();
    m_rows.defaultDecimals = m_defaultDecimals;
    const std::vector<CShape*> shapes = LiveShapes();
    if (shapes.empty()) {
        if (m_grid.IsWindow())
            SendMessageA(m_grid.GetHandle(), PGM_CLEAR, 0, 0);
        return false;
    }
    bool sameType = true;
    for (CShape* shape : shapes)
        sameType = sameType && shape->GetShapeType() == shapes[0]->GetShapeType();
    for (CShape* shape : shapes) {
        CLSID clsid = CLSID_Shape;
        if (sameType)
            shape->GetCoClassId(&clsid);
        IDispatch* object = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object))) ||
            !object)
            continue;
        ycom::ComPtr<IShape> init;
        if (FAILED(object->QueryInterface(IID_IShape, init.PutVoid())) ||
            FAILED(init->_Init(m_control->Handle(), reinterpret_cast<LONG_PTR>(shape)))) {
            object->Release();
            continue;
        }
        m_objects.push_back(object);
    }
    if (!m_objects.empty())
        m_rows.BuildRows(m_objects.data(), static_cast<int>(m_objects.size()));
    if (m_grid.IsWindow()) {
        m_grid.RemoveAll();
        AddAllRows();
    }
    return true;
}

HWND CPropertiesDialog::CreateWindowFor(HWND owner)
{
    if (IsWindow())
        return m_hWnd;
    return Create(ycom::TheModule().ResourceInstance(), IDD_PROPERTIES, owner);
}

void CPropertiesDialog::AddAllRows()
{
    for (int i = 0; i < m_rows.GetCount(); ++i)
        m_grid.AddRow(m_rows.GetAt(i));
    if (m_rows.GetCount() == 0 && m_grid.IsWindow())
        SendMessageA(m_grid.GetHandle(), PGM_CLEAR, 0, 0);
}

RECT CPropertiesDialog::GridRect() const
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    RECT inset = {4, 4, 4, 4};
    MapDialogRect(m_hWnd, &inset);
    client.left += inset.left;
    client.top += inset.top;
    client.right -= inset.right;
    client.bottom -= inset.bottom;
    if (client.right < client.left)
        client.right = client.left;
    if (client.bottom < client.top)
        client.bottom = client.top;
    return client;
}

LRESULT CPropertiesDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!IsRectEmpty(&m_savedRect))
        MoveWindow(m_hWnd, m_savedRect.left, m_savedRect.top, m_savedRect.right - m_savedRect.left,
                   m_savedRect.bottom - m_savedRect.top, FALSE);
    m_grid.Create(m_hWnd, GridRect(), IDC_PROPERTY_GRID);
    AddAllRows();
    return FALSE;
}

LRESULT CPropertiesDialog::HandleDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (wParam != IDC_PROPERTY_GRID || !item) {
        handled = FALSE;
        return 0;
    }
    m_grid.DrawItem(*item);
    return TRUE;
}

LRESULT CPropertiesDialog::HandleClose(UINT, WPARAM, LPARAM, BOOL&)
{
    GetWindowRect(m_hWnd, &m_savedRect);
    m_grid.Destroy();
    DestroyWindow(m_hWnd);
    ReleaseObjects();
    if (m_control)
        m_control->RestartRedrawTimer(0);
    return 0;
}

LRESULT CPropertiesDialog::HandleSize(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_grid.IsWindow()) {
        const RECT r = GridRect();
        MoveWindow(m_grid.GetHandle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    return 0;
}

LRESULT CPropertiesDialog::HandleSizing(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* r = reinterpret_cast<RECT*>(lParam);
    if (!r)
        return FALSE;
    const LONG width = std::clamp<LONG>(r->right - r->left, kMinWidth, kMaxWidth);
    const LONG height = std::clamp<LONG>(r->bottom - r->top, kMinHeight, kMaxHeight);
    r->right = r->left + width;
    r->bottom = r->top + height;
    return TRUE;
}

LRESULT CPropertiesDialog::HandleGetTextEditor(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (auto** out = reinterpret_cast<const char**>(lParam))
        *out = m_textEditor.empty() ? nullptr : m_textEditor.c_str();
    return 1;
}

LRESULT CPropertiesDialog::HandleGetSingleShapeId(UINT, WPARAM, LPARAM, BOOL&)
{
    return m_shapeIds.size() == 1 ? m_shapeIds[0] : PROPERTY_NO_SINGLE_SHAPE;
}

LRESULT CPropertiesDialog::HandleGetControl(UINT, WPARAM, LPARAM, BOOL&)
{
    return reinterpret_cast<LRESULT>(m_control);
}

bool CPropertiesDialog::PutRow(CPropertyRow* row)
{
    bool allPut = true;
    for (IDispatch* object : m_objects) {
        if (V_VT(&row->value) == VT_EMPTY || V_VT(&row->value) == VT_NULL || !row->IsEditable() || !row->enabled)
            continue;
        if (FAILED(PutValue(object, row->dispid, row->value))) {
            ycom::ShowMessageBox(m_hWnd, "Failed to apply properties!", "Error", MB_OK | MB_ICONHAND);
            allPut = false;
        }
        VARIANT back;
        if (SUCCEEDED(ReadPropertyValue(object, row->dispid, &back))) {
            const int32_t modified = row->modified;
            SetRowValue(row, back);
            row->modified = modified;
        }
        VariantClear(&back);
    }
    if (allPut)
        row->modified = 0;
    return allPut;
}

LRESULT CPropertiesDialog::HandleApplyProperty(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const DISPID dispid = static_cast<DISPID>(wParam);
    CPropertyRow* row = m_rows.FindByDispid(dispid);
    if (!row || m_objects.empty())
        return 0;
    // The values before the change, for the host's veto.
    std::vector<VARIANT> old(m_objects.size());
    for (size_t i = 0; i < m_objects.size(); ++i)
        if (FAILED(ReadPropertyValue(m_objects[i], dispid, &old[i])))
            VariantInit(&old[i]);
    if (PutRow(row))
        RefreshDependents(dispid);
    const LONG shapeId = m_shapeIds.size() == 1 ? m_shapeIds[0] : -1;
    if (m_control && !m_control->FireEndEditShape(shapeId)) {
        for (size_t i = 0; i < m_objects.size(); ++i)
            if (V_VT(&old[i]) != VT_EMPTY)
                PutValue(m_objects[i], dispid, old[i]);
        // The refused value must not stay on show: the row and those that follow it are read
        // again from the objects that now hold the old values.
        RefreshRow(dispid);
        RefreshDependents(dispid);
        row->modified = 0;
    }
    for (VARIANT& value : old)
        VariantClear(&value);
    if (m_control)
        m_control->RequestRedraw(1, nullptr);
    if (m_grid.IsWindow())
        InvalidateRect(m_grid.GetHandle(), nullptr, TRUE);
    return 0;
}

LRESULT CPropertiesDialog::HandleRefreshProperty(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    RefreshRow(static_cast<DISPID>(wParam));
    return 0;
}

void CPropertiesDialog::RefreshRow(DISPID dispid)
{
    CPropertyRow* row = m_rows.FindByDispid(dispid);
    if (!row || m_objects.empty())
        return;
    VARIANT shared;
    VARTYPE firstType = VT_NULL;
    ReadSharedValue(m_objects.data(), static_cast<int>(m_objects.size()), dispid, &shared, &firstType);
    SetRowValue(row, shared);
    VariantClear(&shared);
    if (m_grid.IsWindow())
        InvalidateRect(m_grid.GetHandle(), nullptr, TRUE);
}

LONG CPropertiesDialog::ShapeTypeValue() const
{
    const CPropertyRow* row = m_rows.FindByDispid(kShapeType);
    VARIANT type;
    VariantInit(&type);
    if (!row || FAILED(VariantChangeType(&type, const_cast<VARIANT*>(&row->value), 0, VT_I4)))
        return -1;
    return V_I4(&type);
}

void CPropertiesDialog::RefreshDependents(DISPID applied)
{
    const LONG type = ShapeTypeValue();
    const bool outline = type == kPolyline || type == kPolygon || type == kRectangle;
    const bool round = type == kCircle || type == kArc || type == kEllipse;
    const bool text = type == kText;
    const DISPID font = m_rows.FindByDispid(109) ? 109 : 110;
    std::vector<DISPID> rows;
    if (outline) {
        switch (applied) {
        case 105: rows = {106, 107}; break;
        case 106: rows = {69}; break;
        case 69: rows = {106}; break;
        case 107: rows = {70}; break;
        case 70: rows = {107}; break;
        default: break;
        }
    } else if (text) {
        switch (applied) {
        case 109: case 110: rows = {102, 103, 22}; break;
        case 103: rows = {font, 105}; break;
        case 102: case 22: rows = {font}; break;
        case 101: rows = {100}; break;
        default: break;
        }
    } else if (round && applied == 68) {
        rows = {107, 108};
    }
    for (DISPID each : rows)
        RefreshRow(each);
}

LRESULT CPropertiesDialog::HandleResolveColor(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const DWORD colour = static_cast<DWORD>(wParam);
    if (!(colour & kResolvedBits))
        return colour;
    const DISPID dispid = static_cast<DISPID>(LOWORD(lParam));
    const int mode = HIWORD(lParam);
    if (mode == 0) {
        const DISPID translated = dispid == kPenColor ? kTranslatedPenColor : kTranslatedHatchColor;
        VARIANT common;
        VARTYPE firstType = VT_NULL;
        ReadSharedValue(m_objects.data(), static_cast<int>(m_objects.size()), translated, &common, &firstType);
        LRESULT result = 0;
        if (IsIntegerType(V_VT(&common)) && SUCCEEDED(VariantChangeType(&common, &common, 0, VT_UI4)))
            result = static_cast<LRESULT>(V_UI4(&common));
        VariantClear(&common);
        return result;
    }
    // Mode 1: the colour as the shapes' layer (or block) gives it; one answer for all, else 0.
    const std::vector<CShape*> shapes = LiveShapes();
    if (shapes.empty())
        return 0;
    COLORREF result = 0;
    for (size_t i = 0; i < shapes.size(); ++i) {
        const COLORREF each = dispid == kPenColor ? CShape::TranslatePenColor(colour, shapes[i])
                                                  : CShape::TranslateHatchColor(colour, shapes[i]);
        if (i == 0)
            result = each;
        else if (each != result)
            return 0;
    }
    return static_cast<LRESULT>(result);
}

LRESULT CPropertiesDialog::HandleGetTextColor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    LRESULT common = -1;
    bool first = true;
    for (CShape* shape : LiveShapes()) {
        if ((wParam & 1) && shape->GetShapeType() != kText)
            continue;
        const COLORREF colour = CShape::TranslatePenColor(shape->GetPenColor(), shape);
        if (first)
            common = static_cast<LRESULT>(colour);
        else if (common != static_cast<LRESULT>(colour))
            return -1;
        first = false;
    }
    return common;
}

LRESULT CPropertiesDialog::HandleSetPenColor(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    DWORD colour = static_cast<DWORD>(lParam);
    if (static_cast<LONG>(colour) == -1)
        return 0;
    if ((colour & kResolvedBits) == kResolvedBits)
        colour = kByLayer;
    CPropertyRow* row = m_rows.FindByDispid(kPenColor);
    if (!row || !row->IsEditable() || !row->enabled)
        return 0;
    VARIANT value;
    V_VT(&value) = VT_UI4;
    V_UI4(&value) = colour;
    SetRowValue(row, value);
    row->modified = 1;
    if (PutRow(row))
        RefreshDependents(kPenColor);
    return 0;
}
