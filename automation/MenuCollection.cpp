#include "automation/MenuCollection.h"
#include <string>
#include <utility>
#include <vector>
#include "automation/ControlItem.h"
#include "automation/MenuItem.h"
#include "com/AnsiText.h"
#include "com/ComObject.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"

namespace {
const HMENU kNoMenu = reinterpret_cast<HMENU>(-1);
// MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_FTYPE
constexpr UINT kItemMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_FTYPE;
} // namespace

template <class F>
HRESULT CMenuCollection::Guarded(F&& body)
{
    return ycom::Guard(IID_IMenuCollection, std::forward<F>(body));
}

HMENU CMenuCollection::MirroredMenu()
{
    if (m_menu == kNoMenu || !m_menu)
        return nullptr;
    const bool shown = m_yvex ? m_yvex->GetShownContextMenu() == m_menu : IsMenu(m_menu) != FALSE;
    if (!shown)
        m_menu = kNoMenu;
    return shown ? m_menu : nullptr;
}

// _IReadOnlyCollection
STDMETHODIMP CMenuCollection::_Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR)
{
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        HMENU menu = reinterpret_cast<HMENU>(lParam);
        if (!menu || menu == kNoMenu)
            return E_FAIL;
        Clear();
        m_yvex = nullptr;
        m_menu = kNoMenu; // filling touches only the collection
        const int count = GetMenuItemCount(menu);
        if (count < 0)
            return E_FAIL;
        for (int position = 0; position < count; ++position) {
            MENUITEMINFOA info = {};
            info.cbSize = sizeof(info);
            info.fMask = kItemMask;
            if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info))
                return E_FAIL;
            std::vector<char> text(info.cch + 1, '\0');
            info.dwTypeData = text.data();
            info.cch += 1;
            if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info))
                return E_FAIL;
            ycom::Bstr label(ycom::AnsiToWide(text.data()).c_str());
            RETURN_IF_FAILED(InsertItem(-1, static_cast<LONG>(info.wID), static_cast<LONG>(info.fType),
                                        static_cast<LONG>(info.fState), label.Get()));
        }
        m_yvex = control;
        m_menu = menu;
        if (control)
            Attach(static_cast<IYVEXControl*>(control), lYVEXControl, lParam);
        else
            m_param = lParam;
        return S_OK;
    });
}

STDMETHODIMP CMenuCollection::_Destroy()
{
    return Guarded([&]() -> HRESULT {
        Clear();
        m_yvex = nullptr;
        m_menu = kNoMenu;
        return S_OK;
    });
}

// IMenuCollection
STDMETHODIMP CMenuCollection::get_Item(LONG Index, IMenuItem** pItem)
{
    return Guarded([&]() -> HRESULT { return PreparedItemAt(m_items, Index, IID_IMenuItem, pItem); });
}
STDMETHODIMP CMenuCollection::InsertItem(LONG indexBefore, LONG newItemID, LONG ItemType, LONG ItemState,
                                         BSTR ItemText)
{
    return Guarded([&]() -> HRESULT {
        const LONG position = indexBefore > 0 ? indexBefore - 1 : indexBefore;
        HRESULT hr = S_OK;
        auto item = ycom::NewObject<CMenuItem>(&hr);
        if (!item)
            return hr;
        RETURN_IF_FAILED(item->_Init(newItemID, ItemType, ItemState, ItemText));
        IDispatch* dispatch = nullptr;
        RETURN_IF_FAILED(item->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
        ycom::Variant entry = ycom::Variant::AttachDispatch(dispatch);
        if (position >= 0 && static_cast<size_t>(position) <= m_items.size())
            m_items.insert(m_items.begin() + position, std::move(entry));
        else
            m_items.push_back(std::move(entry));
        if (HMENU menu = MirroredMenu()) {
            std::string text = ycom::WideToAnsi(ItemText);
            MENUITEMINFOA info = {};
            info.cbSize = sizeof(info);
            info.fMask = kItemMask;
            info.fType = static_cast<UINT>(ItemType);
            info.fState = static_cast<UINT>(ItemState);
            info.wID = static_cast<UINT>(newItemID);
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            const UINT at = position < 0 ? static_cast<UINT>(-1) : static_cast<UINT>(position);
            if (!InsertMenuItemA(menu, at, TRUE, &info))
                return E_FAIL;
        }
        return S_OK;
    });
}
STDMETHODIMP CMenuCollection::DeleteItem(LONG Index)
{
    return Guarded([&]() -> HRESULT {
        if (Index < 1 || static_cast<size_t>(Index) > m_items.size())
            return ReportComErrorW(CLSID_YVEXControl, L"Index out of range");
        m_items.erase(m_items.begin() + (Index - 1));
        if (HMENU menu = MirroredMenu())
            DeleteMenu(menu, static_cast<UINT>(Index - 1), MF_BYPOSITION);
        return S_OK;
    });
}
STDMETHODIMP CMenuCollection::get_ItemByID(LONG ID, IMenuItem** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        for (const ycom::Variant& entry : m_items) {
            const VARIANT& item = entry.Ref();
            if (item.vt != VT_DISPATCH || !item.pdispVal)
                continue;
            if (static_cast<CMenuItem*>(static_cast<IMenuItem*>(item.pdispVal))->GetItemId() == ID)
                return item.pdispVal->QueryInterface(IID_IMenuItem, reinterpret_cast<void**>(pVal));
        }
        return S_FALSE;
    });
}
