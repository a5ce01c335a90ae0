#include "automation/HatchPatternCollection.h"
#include <string>
#include <utility>
#include <vector>
#include "automation/ControlItem.h"
#include "automation/HatchPatternObject.h"
#include "com/AnsiText.h"
#include "com/ComObject.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"

namespace {
// Undo kinds (YVEXOperation).
constexpr int kUndoCreate = 4;
constexpr int kUndoDelete = 5;
} // namespace

template <class F>
HRESULT CHatchPatternCollection::Guarded(F&& body)
{
    return ycom::Guard(IID_IHatchPatternCollection, std::forward<F>(body));
}

HRESULT CHatchPatternCollection::Build()
{
    m_items.clear();
    if (!m_yvex)
        return S_OK;
    for (const auto& entry : m_yvex->GetHatchPatternMap().Patterns())
        RETURN_IF_FAILED(AppendItemObject<CHatchPatternObject>(m_items, m_yvex, entry.first));
    return S_OK;
}

HRESULT CHatchPatternCollection::DeletePattern(int id)
{
    CHatchPatternMap& map = m_yvex->GetHatchPatternMap();
    CHatchPattern* pattern = map.Find(id);
    if (!pattern)
        return S_FALSE;
    CUndoRecorder* recorder = m_yvex->GetUndoRecorder();
    const bool opened = recorder && recorder->RecordHatchPattern(kUndoDelete, pattern, true) == S_OK;
    const bool removed = map.Remove(id, false) == 1;
    if (opened)
        recorder->CloseOperation(removed);
    if (!removed)
        return S_FALSE;
    m_yvex->SetModified();
    return S_OK;
}

// _IReadOnlyCollection
STDMETHODIMP CHatchPatternCollection::_Init(LONG_PTR lYVEXControl, LONG_PTR, LONG_PTR)
{
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        Clear();
        m_yvex = control;
        if (control)
            Attach(static_cast<IYVEXControl*>(control), lYVEXControl, 0);
        return Build();
    });
}

// IHatchPatternCollection
STDMETHODIMP CHatchPatternCollection::get_Item(LONG Index, IHatchPattern** pVal)
{
    return Guarded([&]() -> HRESULT { return PreparedItemAt(m_items, Index, IID_IHatchPattern, pVal); });
}
STDMETHODIMP CHatchPatternCollection::get_ItemByID(LONG ID, IHatchPattern** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (!m_yvex)
            return S_FALSE;
        if (m_items.size() != m_yvex->GetHatchPatternMap().Patterns().size())
            RETURN_IF_FAILED(Build());
        for (const ycom::Variant& item : m_items) {
            const VARIANT& v = item.Ref();
            if (v.vt == VT_DISPATCH && v.pdispVal &&
                static_cast<CHatchPatternObject*>(static_cast<IHatchPattern*>(v.pdispVal))->GetPatternId() == ID)
                return v.pdispVal->QueryInterface(IID_IHatchPattern, reinterpret_cast<void**>(pVal));
        }
        return S_FALSE;
    });
}
STDMETHODIMP CHatchPatternCollection::Delete(LONG Index)
{
    return Guarded([&]() -> HRESULT {
        if (!m_yvex)
            return E_FAIL;
        if (Index == 0) {
            // Every site pattern, from the highest ID down; the built-in ones stay.
            std::vector<int> ids;
            for (const auto& entry : m_yvex->GetHatchPatternMap().Patterns())
                if (entry.first > CHatchPatternMap::kLastBuiltIn)
                    ids.insert(ids.begin(), entry.first);
            bool any = false;
            for (int id : ids)
                any = DeletePattern(id) == S_OK || any;
            if (!any)
                return S_FALSE;
            return Build();
        }
        if (Index < 1 || static_cast<size_t>(Index) > m_items.size())
            return E_INVALIDARG;
        const VARIANT& item = m_items[Index - 1].Ref();
        if (item.vt != VT_DISPATCH || !item.pdispVal)
            return E_INVALIDARG;
        const int id = static_cast<CHatchPatternObject*>(static_cast<IHatchPattern*>(item.pdispVal))->GetPatternId();
        const HRESULT hr = DeletePattern(id);
        if (hr == S_OK)
            RETURN_IF_FAILED(Build());
        return hr;
    });
}
STDMETHODIMP CHatchPatternCollection::DeleteByID(LONG ID)
{
    return Guarded([&]() -> HRESULT {
        if (!m_yvex)
            return E_FAIL;
        const HRESULT hr = DeletePattern(ID);
        if (hr == S_OK)
            RETURN_IF_FAILED(Build());
        return hr;
    });
}
STDMETHODIMP CHatchPatternCollection::AddItem(BSTR Name, BSTR Description, LONG DatabaseID, LONG ImageResourceID,
                                              LONG* pNewPatternID)
{
    return Guarded([&]() -> HRESULT {
        if (!m_yvex)
            return E_FAIL;
        CHatchPatternMap& map = m_yvex->GetHatchPatternMap();
        const int id = map.AddPattern(ycom::WideToAnsi(Name).c_str(), ycom::WideToAnsi(Description).c_str(),
                                      ImageResourceID);
        if (pNewPatternID)
            *pNewPatternID = id > 0 ? id : 0;
        if (id == -1)
            return S_FALSE;
        if (id <= 0)
            return E_FAIL;
        if (CHatchPattern* pattern = map.Find(id)) {
            pattern->SetDatabaseId(DatabaseID);
            if (CUndoRecorder* recorder = m_yvex->GetUndoRecorder())
                recorder->RecordHatchPattern(kUndoCreate, pattern, false);
        }
        m_yvex->SetModified();
        return Build();
    });
}
