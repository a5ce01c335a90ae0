#include "control/UndoManager.h"
#include "com/Guard.h"
#include "control/ControlCore.h"
#include "control/ParentUndoUnit.h"
#include "control/UndoRecorder.h"
#include "control/UndoUnitEnumerator.h"
#include <algorithm>

// {6D1C7B0E-2F3A-4E55-9B8E-3C2A51F4D7A1}: private to this module, never registered.
const IID CUndoManager::IID_Self = {0x6d1c7b0e, 0x2f3a, 0x4e55, {0x9b, 0x8e, 0x3c, 0x2a, 0x51, 0xf4, 0xd7, 0xa1}};

CUndoManager::~CUndoManager()
{
    m_openParent.Reset();
    m_undo.clear();
    m_redo.clear();
}

CUndoManager* CUndoManager::FromInterface(IUnknown* unknown)
{
    if (!unknown)
        return nullptr;
    IOleUndoManager* self = nullptr;
    if (FAILED(unknown->QueryInterface(IID_Self, reinterpret_cast<void**>(&self))) || !self)
        return nullptr;
    self->Release();
    return static_cast<CUndoManager*>(self);
}

void CUndoManager::Push(IOleUndoUnit* unit)
{
    Stack& stack = TargetStack();
    if (m_state == stIdle)
        m_redo.clear();
    stack.push_front(ycom::ComPtr<IOleUndoUnit>(unit));
    const size_t limit = static_cast<size_t>(m_queueMaxLength < 2 ? kDefaultQueueLength : m_queueMaxLength);
    while (stack.size() > limit)
        stack.pop_back();
}

STDMETHODIMP CUndoManager::Open(IOleParentUndoUnit* unit)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        if (!m_enabled)
            return S_OK;
        if (!unit)
            return E_POINTER;
        if (m_openParent)
            return m_openParent->Open(unit);
        m_openParent = unit;
        return S_OK;
    });
}

STDMETHODIMP CUndoManager::Close(IOleParentUndoUnit* unit, BOOL commit)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        if (!m_enabled)
            return S_OK;
        if (!m_openParent)
            return S_FALSE;
        // An inner parent closes inside the open one (S_OK); S_FALSE says the open one is the unit.
        const HRESULT hr = m_openParent->Close(unit, commit);
        if (hr != S_FALSE)
            return hr;
        if (!IsSameObject(unit, m_openParent.Get()))
            return E_INVALIDARG;
        ycom::ComPtr<IOleParentUndoUnit> closing = std::move(m_openParent);
        if (commit)
            Push(closing.Get());
        return S_OK;
    });
}

STDMETHODIMP CUndoManager::Add(IOleUndoUnit* unit)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        if (!m_enabled)
            return S_OK;
        if (!unit)
            return E_INVALIDARG;
        if (m_openParent)
            return m_openParent->Add(unit);
        Stack& stack = TargetStack();
        if (!stack.empty())
            stack.front()->OnNextAdd();
        Push(unit);
        return S_OK;
    });
}

STDMETHODIMP CUndoManager::GetOpenParentState(DWORD* state)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        if (!state)
            return E_POINTER;
        if (!m_enabled) {
            *state = UAS_BLOCKED;
            return S_OK;
        }
        if (m_openParent)
            return m_openParent->GetParentState(state);
        *state = UAS_NORMAL;
        return S_FALSE;
    });
}

STDMETHODIMP CUndoManager::DiscardFrom(IOleUndoUnit* unit)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        if (!m_enabled)
            return E_UNEXPECTED;
        if (!unit) {
            m_openParent.Reset();
            m_undo.clear();
            m_redo.clear();
            return S_OK;
        }
        for (Stack* stack : {&m_undo, &m_redo}) {
            auto it = std::find_if(stack->begin(), stack->end(),
                                   [unit](const ycom::ComPtr<IOleUndoUnit>& u) { return IsSameObject(u.Get(), unit); });
            if (it != stack->end()) {
                stack->erase(it, stack->end());
                return S_OK;
            }
        }
        return E_INVALIDARG;
    });
}

HRESULT CUndoManager::Unwind(Stack& stack, IOleUndoUnit* unit, State state)
{
    if (!m_enabled)
        return E_UNEXPECTED;
    // The units would change the shapes a worker is loading or saving.
    if (CUndoRecorder* recorder = m_recorder ? *m_recorder : nullptr)
        if (CControlCore* control = recorder->GetControl())
            if (control->RefuseWhileBusy())
                return S_FALSE;
    m_state = state;
    size_t count = 1;
    if (unit) {
        auto it = std::find_if(stack.begin(), stack.end(),
                               [unit](const ycom::ComPtr<IOleUndoUnit>& u) { return IsSameObject(u.Get(), unit); });
        if (it == stack.end()) {
            m_state = stIdle;
            return E_INVALIDARG;
        }
        count = static_cast<size_t>(it - stack.begin()) + 1;
    } else if (stack.empty()) {
        m_state = stIdle;
        return E_INVALIDARG;
    }
    // The units leave the stack first, so that what they add meanwhile lands on the other one;
    // every one runs, and the last failure is the result.
    std::vector<ycom::ComPtr<IOleUndoUnit>> units(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(count));
    stack.erase(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(count));
    HRESULT result = S_OK;
    for (const ycom::ComPtr<IOleUndoUnit>& u : units) {
        const HRESULT hr = u->Do(this);
        if (FAILED(hr))
            result = hr;
    }
    if (result == E_ABORT)
        result = E_FAIL;
    m_state = stIdle;
    return result;
}

STDMETHODIMP CUndoManager::UndoTo(IOleUndoUnit* unit)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        return Unwind(m_undo, unit, stUndoing);
    });
}

STDMETHODIMP CUndoManager::RedoTo(IOleUndoUnit* unit)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        return Unwind(m_redo, unit, stRedoing);
    });
}

HRESULT CUndoManager::Enumerate(Stack& stack, IEnumOleUndoUnits** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    HRESULT hr;
    auto enumerator = ycom::NewObject<CUndoUnitEnumerator>(&hr);
    if (!enumerator)
        return hr;
    enumerator->Init(this, &stack, 0);
    *ppEnum = enumerator.Detach();
    return S_OK;
}

STDMETHODIMP CUndoManager::EnumUndoable(IEnumOleUndoUnits** ppEnum)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        return Enumerate(m_undo, ppEnum);
    });
}

STDMETHODIMP CUndoManager::EnumRedoable(IEnumOleUndoUnits** ppEnum)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        return Enumerate(m_redo, ppEnum);
    });
}

namespace {
HRESULT TopDescription(bool enabled, const CUndoManager::Stack& stack, BSTR* description)
{
    if (!description)
        return E_POINTER;
    *description = nullptr;
    if (!enabled)
        return E_UNEXPECTED;
    if (stack.empty())
        return E_FAIL;
    return stack.front()->GetDescription(description);
}
} // namespace

STDMETHODIMP CUndoManager::GetLastUndoDescription(BSTR* description)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        return TopDescription(m_enabled, m_undo, description);
    });
}

STDMETHODIMP CUndoManager::GetLastRedoDescription(BSTR* description)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        return TopDescription(m_enabled, m_redo, description);
    });
}

STDMETHODIMP CUndoManager::Enable(BOOL enable)
{
    return ycom::Guard(IID_IOleUndoManager, [&]() -> HRESULT {
        m_enabled = enable != FALSE;
        return S_OK;
    });
}

STDMETHODIMP CUndoManager::get_QueueMaxLength(LONG* pVal)
{
    return ycom::Guard(IID_IYVEXOleUndoManagerEx, [&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = m_queueMaxLength;
        return S_OK;
    });
}

STDMETHODIMP CUndoManager::put_QueueMaxLength(LONG newVal)
{
    return ycom::Guard(IID_IYVEXOleUndoManagerEx, [&]() -> HRESULT {
        m_queueMaxLength = newVal >= 2 ? newVal : kDefaultQueueLength;
        return S_OK;
    });
}

bool CUndoManager::RemoveTopUnit(IOleUndoUnit* unit)
{
    Stack& stack = TargetStack();
    if (stack.empty() || !IsSameObject(stack.front().Get(), unit))
        return false;
    stack.pop_front();
    return true;
}
