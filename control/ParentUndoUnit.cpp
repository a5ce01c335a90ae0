#include "control/ParentUndoUnit.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/UndoRecorder.h"
#include "YVEX_h.h"
#include <algorithm>

bool IsSameObject(IUnknown* a, IUnknown* b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    ycom::ComPtr<IUnknown> ia, ib;
    if (FAILED(a->QueryInterface(IID_IUnknown, ia.PutVoid())) || FAILED(b->QueryInterface(IID_IUnknown, ib.PutVoid())))
        return false;
    return ia.Get() == ib.Get();
}

CParentUndoUnit::~CParentUndoUnit()
{
    m_openChild.Reset();
    m_children.clear();
}

HRESULT CParentUndoUnit::CreateReverseParent(IOleParentUndoUnit** reverse)
{
    if (!reverse)
        return E_POINTER;
    PrepareDo();
    *reverse = nullptr;
    CUndoRecorder* recorder = GetRecorder();
    if (!recorder)
        return E_NOTIMPL;
    ycom::ComPtr<CParentUndoUnit> unit = recorder->CreateParentUnit(InverseKind(GetKind()));
    if (!unit)
        return E_NOTIMPL;
    unit->SetInverse(!IsInverse());
    unit->QueryInterface(IID_IOleParentUndoUnit, reinterpret_cast<void**>(reverse));
    return S_OK;
}

STDMETHODIMP CParentUndoUnit::Do(IOleUndoManager* manager)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        ycom::ComPtr<IOleParentUndoUnit> reverse;
        if (manager) {
            RETURN_IF_FAILED(CreateReverseParent(reverse.Put()));
            RETURN_IF_FAILED(manager->Open(reverse.Get()));
        }
        // Newest first; every child runs, and the last failure is the result. The children's
        // inverses land in the reverse parent, so the oldest child's inverse ends up newest there.
        HRESULT result = S_OK;
        const std::deque<ycom::ComPtr<IOleUndoUnit>> children = m_children;
        for (const ycom::ComPtr<IOleUndoUnit>& child : children) {
            const HRESULT hr = child->Do(manager);
            if (FAILED(hr))
                result = hr;
        }
        if (reverse) {
            const bool commit = SUCCEEDED(result);
            const HRESULT closed = manager->Close(reverse.Get(), commit ? TRUE : FALSE);
            if (commit)
                result = closed;
        }
        return result;
    });
}

STDMETHODIMP CParentUndoUnit::GetDescription(BSTR* description)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        return Describe(description);
    });
}

STDMETHODIMP CParentUndoUnit::GetUnitType(CLSID* clsid, LONG* type)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!clsid || !type)
            return E_POINTER;
        *clsid = CLSID_YVEXControl;
        *type = GetKind() | 0x100;
        return S_OK;
    });
}

STDMETHODIMP CParentUndoUnit::OnNextAdd()
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!m_children.empty())
            m_children.front()->OnNextAdd();
        return S_OK;
    });
}

STDMETHODIMP CParentUndoUnit::Open(IOleParentUndoUnit* unit)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!unit)
            return E_POINTER;
        if (m_openChild)
            return m_openChild->Open(unit);
        m_openChild = unit;
        return S_OK;
    });
}

STDMETHODIMP CParentUndoUnit::Close(IOleParentUndoUnit* unit, BOOL commit)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!m_openChild) {
            // Closing this unit itself: it leaves the recorder's open operations.
            if (IsSameObject(unit, static_cast<IOleParentUndoUnit*>(this)))
                Detach();
            return S_FALSE;
        }
        const HRESULT hr = m_openChild->Close(unit, commit);
        if (hr != S_FALSE)
            return hr;
        if (!IsSameObject(unit, m_openChild.Get()))
            return E_INVALIDARG;
        if (commit)
            m_children.push_front(ycom::ComPtr<IOleUndoUnit>(static_cast<IOleUndoUnit*>(m_openChild.Get())));
        m_openChild.Reset();
        return S_OK;
    });
}

STDMETHODIMP CParentUndoUnit::Add(IOleUndoUnit* unit)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!unit)
            return E_INVALIDARG;
        if (m_openChild)
            return m_openChild->Add(unit);
        if (!m_children.empty())
            m_children.front()->OnNextAdd();
        m_children.push_front(ycom::ComPtr<IOleUndoUnit>(unit));
        return S_OK;
    });
}

STDMETHODIMP CParentUndoUnit::FindUnit(IOleUndoUnit* unit)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!unit)
            return E_INVALIDARG;
        for (const ycom::ComPtr<IOleUndoUnit>& child : m_children)
            if (IsSameObject(child.Get(), unit))
                return S_OK;
        return S_FALSE;
    });
}

STDMETHODIMP CParentUndoUnit::GetParentState(DWORD* state)
{
    return ycom::Guard(IID_IOleParentUndoUnit, [&]() -> HRESULT {
        if (!state)
            return E_POINTER;
        if (m_openChild)
            return m_openChild->GetParentState(state);
        *state = 0;
        return S_OK;
    });
}

bool CParentUndoUnit::RemoveChild(IOleUndoUnit* unit)
{
    auto it = std::find_if(m_children.begin(), m_children.end(),
                           [unit](const ycom::ComPtr<IOleUndoUnit>& child) { return IsSameObject(child.Get(), unit); });
    if (it == m_children.end())
        return false;
    m_children.erase(it);
    return true;
}
