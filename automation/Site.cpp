#include "automation/Site.h"
#include "automation/Module.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "com/HResult.h"
#include <vector>

namespace {

// The file version of a module from its version resource (ID 1): (major << 16 | minor) and
// (build << 16 | revision). E_POINTER when the module has no version resource, E_ACCESSDENIED
// when it cannot be read or holds no fixed file information.
HRESULT ModuleFileVersion(HMODULE module, DWORD* ms, DWORD* ls)
{
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    if (!res)
        return E_POINTER;
    HGLOBAL data = LoadResource(module, res);
    const BYTE* block = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
    const DWORD size = SizeofResource(module, res);
    if (!block || size < 6)
        return E_ACCESSDENIED;
    // The block's stated length bounds the search; the fixed information follows the key
    // "VS_VERSION_INFO" on a 16-bit step and starts with its signature.
    const DWORD length = block[0] | (block[1] << 8);
    const DWORD end = length < size ? length : size;
    static const wchar_t key[] = L"VS_VERSION_INFO";
    const DWORD start = 6 + sizeof(key);
    for (DWORD pos = start; pos + sizeof(VS_FIXEDFILEINFO) <= end; pos += 2) {
        DWORD signature;
        memcpy(&signature, block + pos, sizeof(signature));
        if (signature != 0xFEEF04BD)
            continue;
        VS_FIXEDFILEINFO info;
        memcpy(&info, block + pos, sizeof(info));
        *ms = info.dwFileVersionMS;
        *ls = info.dwFileVersionLS;
        return S_OK;
    }
    return E_ACCESSDENIED;
}

// Whether `value` is the handle of a module loaded in this process; a number from a client is
// never used as a module before this holds.
bool IsLoadedModule(ULONG_PTR value)
{
    HMODULE found = nullptr;
    return value && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                       reinterpret_cast<LPCWSTR>(value), &found) &&
           reinterpret_cast<ULONG_PTR>(found) == value;
}

} // namespace

// ISite
STDMETHODIMP CSite::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_DraftLeft(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_DraftTop(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_DraftRight(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_DraftBottom(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_GridLeft(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_GridTop(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_GridRight(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_GridBottom(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_Measurement(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_LinePatternScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_ImageScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_DraftLeft(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_DraftTop(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_DraftRight(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_DraftBottom(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_GridLeft(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_GridTop(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_GridRight(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_GridBottom(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_Measurement(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_LinePatternScale(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_ImageScale(double) { return E_NOTIMPL; }
STDMETHODIMP CSite::GetLinkedPointShape(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_ImageResources(IImageResourceCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::CreateBlock(BSTR, LONG *, LONG, LONG *, float, float, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_ReadOnly(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_ReadOnly(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_Shapes(IShapeCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_Points(IPointCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_Viewports(IViewportCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_DrawingSettings(IDrawingSettingCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::_Init(LONG_PTR newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
STDMETHODIMP CSite::get_UnitID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_UnitID(Units) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_BadFloatValue(float *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_SelectOnlyTopmostShape(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_SelectOnlyTopmostShape(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_scenarioID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_scenarioID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_UserEditingShapeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::GetPointShape(LONG, IShapeCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_AttributeTypes(IAttributeTypeCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_AttributeGroups(IAttributeGroupCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::Clear() { return E_NOTIMPL; }
STDMETHODIMP CSite::Draw(LONG_PTR, LONG, LONG, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CSite::IsZoomingByWindow(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_ControlState(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::IsEditingBlock(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_ShapePropertyWindowState(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_HatchPatterns(IHatchPatternCollection **) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_DirtyFlag(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_DirtyFlag(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_LineTypeName(LONG, BSTR *, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_ControlFlags(ULONG *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_ControlFlags(ULONG) { return E_NOTIMPL; }
STDMETHODIMP CSite::ResetAttributeProperties(LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CSite::get_SelectOnlyTopmostPolyline(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CSite::put_SelectOnlyTopmostPolyline(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CSite::DrawEx(LONG_PTR, LONG, LONG, LONG, LONG, LONG, LONG) { return E_NOTIMPL; }

// ---- the resource module, module-wide: works with or without a control ----

STDMETHODIMP CSite::get_ResourceHandle(ULONG_PTR* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = reinterpret_cast<ULONG_PTR>(ModuleResourceInstance());
        return S_OK;
    });
}

STDMETHODIMP CSite::put_ResourceHandle(ULONG_PTR newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        HINSTANCE current = ModuleResourceInstance();
        if (newVal == reinterpret_cast<ULONG_PTR>(current))
            return S_FALSE;
        // The control's own module is never released.
        HINSTANCE release = current != ModuleInstance() ? current : nullptr;
        if (newVal == 0) {
            ModuleSetResourceInstance(ModuleInstance());
            if (release)
                FreeLibrary(release);
            return S_OK;
        }
        if (!IsLoadedModule(newVal))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        HMODULE module = reinterpret_cast<HMODULE>(newVal);
        DWORD ms = 0, ls = 0, ownMs = 0, ownLs = 0;
        RETURN_IF_FAILED(ModuleFileVersion(module, &ms, &ls));
        if (FAILED(ModuleFileVersion(ModuleInstance(), &ownMs, &ownLs)))
            return E_FAIL;
        if (ms != ownMs || ls != ownLs)
            return E_INVALIDARG;
        if (release)
            FreeLibrary(release);
        ModuleSetResourceInstance(module);
        return S_OK;
    });
}
