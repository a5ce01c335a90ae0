#pragma once
// The members shared by the attribute collections. A collection holds its control (one
// reference) and names its container: a shape's values or groups by the shape's ID (looked up on
// every call, so a collection kept past its shape holds no container), the site's groups or types
// through the control, or a group's types through the group (one use held). Items are new
// wrappers of the internal objects on every call.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <utility>
#include "YVEX_h.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "automation/ResultCodes.h"
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "com/Enumerators.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeList.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/KeyedObjectMap.h"
#include "model/Shape.h"

// What an attribute collection lists.
enum class AttributeSource { None, ShapeValues, ShapeGroups, SiteGroups, SiteTypes, GroupTypes };

// The internal object behind a client's item object of this server (null for any other object).
template <class ItemClass, class ItemItf>
typename ItemClass::Object* OwnAttributeObject(ItemItf* item, const CLSID& classId)
{
    if (!item)
        return nullptr;
    ItemItf* own = nullptr;
    if (FAILED(item->QueryInterface(classId, reinterpret_cast<void**>(&own))) || !own)
        return nullptr;
    auto* object = static_cast<ItemClass*>(own)->GetInternal();
    own->Release();
    return object;
}

template <class T, class Itf, const IID* piid, class ItemItf, class ItemClass>
class IAttributeCollectionImpl : public IReadOnlyCollectionImpl<T, Itf, piid> {
public:
    ~IAttributeCollectionImpl() { SetSource(nullptr, AttributeSource::None, 0, nullptr); }

    // ---- _IReadOnlyCollection ----
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override
    {
        return Guarded([&]() -> HRESULT {
            CYVEXControl* control = nullptr;
            RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
            if (!control) {
                if (lParam || wParam)
                    return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
                SetSource(nullptr, AttributeSource::None, 0, nullptr);
                return S_OK;
            }
            return static_cast<T*>(this)->AttachContainer(control, lParam, wParam);
        });
    }
    STDMETHODIMP _Destroy() override
    {
        return Guarded([&]() -> HRESULT {
            SetSource(nullptr, AttributeSource::None, 0, nullptr);
            return S_OK;
        });
    }
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override
    {
        return Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            if (!HasContainer())
                return E_FAIL;
            return ycom::NewLiveEnum(static_cast<T*>(this)->GetUnknown(), &m_view, pVal, ItemToVariant{this});
        });
    }
    STDMETHODIMP get_Count(LONG* pVal) override
    {
        return Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            if (!HasContainer())
                return E_FAIL;
            *pVal = ItemCount();
            return S_OK;
        });
    }
    // The collections read the live containers.
    STDMETHODIMP Refresh() override
    {
        return Guarded([&]() -> HRESULT { return S_OK; });
    }

    // ---- the look-ups ----
    STDMETHODIMP get_Item(LONG Index, ItemItf** pVal) override
    {
        return Guarded([&]() -> HRESULT {
            if (!IsList() && !HasContainer())
                return E_FAIL;
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            CAttributeBase* item = Index >= 1 ? ItemAt(Index - 1) : nullptr;
            return item ? HandOut(item, pVal) : S_FALSE;
        });
    }
    STDMETHODIMP get_ItemByID(LONG id, ItemItf** pVal) override
    {
        return Guarded([&]() -> HRESULT {
            if (!pVal)
                return IsList() ? E_INVALIDARG : E_POINTER;
            *pVal = nullptr;
            CAttributeBase* item = FindItem([&](CAttributeBase* a) { return a->GetId() == id; });
            if (item)
                return HandOut(item, pVal);
            return IsList() ? S_FALSE : S_OK;
        });
    }
    STDMETHODIMP get_ItemByDatabaseID(LONG DatabaseID, ItemItf** pVal) override
    {
        return Guarded([&]() -> HRESULT {
            if (!HasContainer())
                return E_FAIL;
            if (!pVal)
                return E_INVALIDARG;
            *pVal = nullptr;
            CAttributeBase* item = FindItem([&](CAttributeBase* a) { return a->GetDatabaseId() == DatabaseID; });
            return item ? HandOut(item, pVal) : S_FALSE;
        });
    }
    STDMETHODIMP DeleteByID(LONG id) override
    {
        return Guarded([&]() -> HRESULT {
            if (!HasContainer())
                return E_FAIL;
            return Remove(FindItem([&](CAttributeBase* a) { return a->GetId() == id; }));
        });
    }
    STDMETHODIMP Delete(LONG Index) override
    {
        return Guarded([&]() -> HRESULT {
            if (!HasContainer())
                return E_FAIL;
            return Remove(Index >= 1 ? ItemAt(Index - 1) : nullptr);
        });
    }
    STDMETHODIMP DeleteByDatabaseID(LONG DatabaseID) override
    {
        return Guarded([&]() -> HRESULT {
            if (!HasContainer())
                return E_FAIL;
            return Remove(FindItem([&](CAttributeBase* a) { return a->GetDatabaseId() == DatabaseID; }));
        });
    }

    // ---- attaching in the server ----
    void AttachShape(CYVEXControl* control, AttributeSource source, int shapeId)
    {
        SetSource(control, source, shapeId, nullptr);
    }
    void AttachSite(CYVEXControl* control, AttributeSource source) { SetSource(control, source, 0, nullptr); }
    void AttachGroup(CYVEXControl* control, CAttributeGroupData* group)
    {
        SetSource(control, AttributeSource::GroupTypes, 0, group);
    }

    // The items as a vector-like view for the live enumerator, resolved at each step.
    struct ItemView {
        const IAttributeCollectionImpl* owner = nullptr;
        size_t size() const { return static_cast<size_t>(owner->ItemCount()); }
        CAttributeBase* operator[](size_t i) const { return owner->ItemAt(static_cast<int>(i)); }
    };
    struct ItemToVariant {
        IAttributeCollectionImpl* owner = nullptr;
        HRESULT Convert(CAttributeBase* item, VARIANT* out) const
        {
            if (!item)
                return S_OK;
            ItemItf* object = nullptr;
            RETURN_IF_FAILED(owner->HandOut(item, &object));
            out->vt = VT_DISPATCH;
            out->pdispVal = object;
            return S_OK;
        }
    };

    int ItemCount() const
    {
        if (CKeyedObjectMap* map = Map())
            return map->GetCount();
        if (CAttributeList* list = List())
            return list->GetCount();
        return 0;
    }
    CAttributeBase* ItemAt(int position) const
    {
        if (CKeyedObjectMap* map = Map())
            return map->GetAt(position);
        if (CAttributeList* list = List())
            return list->GetAt(position);
        return nullptr;
    }

protected:
    template <class F>
    HRESULT Guarded(F&& body)
    {
        return ycom::Guard(*piid, std::forward<F>(body));
    }

    void SetSource(CYVEXControl* control, AttributeSource source, int shapeId, CAttributeGroupData* group)
    {
        if (group)
            group->AddOwner(kNoOwnerId);
        if (m_group)
            m_group->Release(kNoOwnerId);
        m_group = group;
        m_controlRef.Reset();
        m_control = control;
        if (control)
            m_controlRef = static_cast<IYVEXControl*>(control);
        m_source = control ? source : AttributeSource::None;
        m_shapeId = shapeId;
    }
    CShape* Shape() const { return m_control ? m_control->FindShape(m_shapeId) : nullptr; }
    // The keyed container of a map-mode collection; null otherwise.
    CKeyedObjectMap* Map() const
    {
        switch (m_source) {
        case AttributeSource::ShapeValues:
            if (CShape* shape = Shape())
                return &shape->GetAttributes();
            return nullptr;
        case AttributeSource::SiteGroups:
            return m_control->GetAttributeGroupMap();
        case AttributeSource::SiteTypes:
            return m_control->GetAttributeTypeMap();
        default:
            return nullptr;
        }
    }
    // The list of a list-mode collection; null otherwise.
    CAttributeList* List() const
    {
        switch (m_source) {
        case AttributeSource::ShapeGroups:
            if (CShape* shape = Shape())
                return &shape->GetAttributeGroups();
            return nullptr;
        case AttributeSource::GroupTypes:
            return m_group ? &m_group->GetTypes() : nullptr;
        default:
            return nullptr;
        }
    }
    bool IsList() const { return m_source == AttributeSource::ShapeGroups || m_source == AttributeSource::GroupTypes; }
    bool HasContainer() const { return Map() || List(); }
    template <class F>
    CAttributeBase* FindItem(F&& match) const
    {
        const int count = ItemCount();
        for (int i = 0; i < count; ++i)
            if (CAttributeBase* item = ItemAt(i); item && match(item))
                return item;
        return nullptr;
    }
    HRESULT HandOut(CAttributeBase* item, ItemItf** out)
    {
        HRESULT hr = S_OK;
        auto object = ycom::NewObject<ItemClass>(&hr);
        if (!object)
            return hr;
        object->Attach(m_control, static_cast<typename ItemClass::Object*>(item));
        return object->QueryInterface(ItemInterface(), reinterpret_cast<void**>(out));
    }
    static const IID& ItemInterface() { return T::ItemIid(); }
    // Removes an item with what its kind takes along; S_FALSE for none.
    HRESULT Remove(CAttributeBase* item)
    {
        if (!item)
            return S_FALSE;
        const int id = item->GetId();
        switch (m_source) {
        case AttributeSource::ShapeValues:
            Map()->RemoveByKey(id);
            break;
        case AttributeSource::SiteGroups:
            m_control->GetAttributeGroupMap()->Delete(id);
            break;
        case AttributeSource::SiteTypes: {
            auto* type = static_cast<CAttributeType*>(item);
            if (CAttributeGroupData* owner = type->GetOwnerGroup())
                owner->GetTypes().RemoveById(id);
            else
                m_control->GetAttributeTypeMap()->DeleteTypesSiteWide({id});
            break;
        }
        default:
            for (int i = 0; i < List()->GetCount(); ++i)
                if (List()->GetAt(i) == item) {
                    List()->RemoveAt(i);
                    break;
                }
            break;
        }
        m_control->SetModified();
        return S_OK;
    }

    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    AttributeSource m_source = AttributeSource::None;
    int m_shapeId = 0;
    CAttributeGroupData* m_group = nullptr;
    ItemView m_view{this};
};
