#include "control/UndoUnitEnumerator.h"
#include "com/Guard.h"

void CUndoUnitEnumerator::Init(IOleUndoManager* manager, const CUndoManager::Stack* stack, size_t position)
{
    m_manager = manager;
    m_stack = stack;
    m_position = position;
}

STDMETHODIMP CUndoUnitEnumerator::Next(ULONG count, IOleUndoUnit** units, ULONG* fetched)
{
    return ycom::Guard(IID_IEnumOleUndoUnits, [&]() -> HRESULT {
        if (!units || (!fetched && count > 1))
            return E_POINTER;
        if (!m_stack)
            return E_FAIL;
        ULONG n = 0;
        while (n < count && m_position < m_stack->size()) {
            IOleUndoUnit* unit = (*m_stack)[m_position++].Get();
            unit->AddRef();
            units[n++] = unit;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CUndoUnitEnumerator::Skip(ULONG count)
{
    return ycom::Guard(IID_IEnumOleUndoUnits, [&]() -> HRESULT {
        if (!m_stack)
            return E_FAIL;
        const size_t left = m_position < m_stack->size() ? m_stack->size() - m_position : 0;
        if (count > left) {
            m_position = m_stack->size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    });
}

STDMETHODIMP CUndoUnitEnumerator::Reset()
{
    return ycom::Guard(IID_IEnumOleUndoUnits, [&]() -> HRESULT {
        if (!m_stack)
            return E_FAIL;
        m_position = 0;
        return S_OK;
    });
}

STDMETHODIMP CUndoUnitEnumerator::Clone(IEnumOleUndoUnits** ppEnum)
{
    return ycom::Guard(IID_IEnumOleUndoUnits, [&]() -> HRESULT {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        HRESULT hr;
        auto clone = ycom::NewObject<CUndoUnitEnumerator>(&hr);
        if (!clone)
            return hr;
        clone->Init(m_manager.Get(), m_stack, m_position);
        *ppEnum = clone.Detach();
        return S_OK;
    });
}
