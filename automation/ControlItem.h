#pragma once
// What the item objects that name a record of their control by ID share: the control, on which
// they hold one reference, and the record's ID. They look the record up on every call, so a kept
// object of a record that went, moved or was taken back by an undo fails instead of reaching
// freed memory.
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "com/ComObject.h"
#include "com/HResult.h"
#include "com/Owners.h"

class CYVEXControl;

class CControlItem
{
public:
    // Attaches to the record of that ID (null control: detached, ID 0).
    void Attach(CYVEXControl* control, int id);
    CYVEXControl* GetItemControl() const { return m_control; }
    int GetItemId() const { return m_itemId; }

protected:
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    int m_itemId = 0;
};

// A new item object of class Object attached to the record `id`, appended to a prepared
// collection's items as a VT_DISPATCH variant.
template <class Object>
HRESULT AppendItemObject(std::vector<ycom::Variant>& items, CYVEXControl* control, int id)
{
    HRESULT hr = S_OK;
    auto object = ycom::NewObject<Object>(&hr);
    if (!object)
        return hr;
    object->Attach(control, id);
    IDispatch* dispatch = nullptr;
    RETURN_IF_FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    items.push_back(ycom::Variant::AttachDispatch(dispatch));
    return S_OK;
}

// The item of a prepared collection at a 1-based index, asked for `iid`: a null item and S_OK
// for an index outside the items or an entry that holds no object.
template <class Itf>
HRESULT PreparedItemAt(const std::vector<ycom::Variant>& items, LONG index, REFIID iid, Itf** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    if (index < 1 || static_cast<size_t>(index) > items.size())
        return S_OK;
    const VARIANT& item = items[index - 1].Ref();
    if (item.vt != VT_DISPATCH || !item.pdispVal)
        return S_OK;
    return item.pdispVal->QueryInterface(iid, reinterpret_cast<void**>(out));
}
