#include "automation/GroupShape.h"

// IGroupShape
STDMETHODIMP CGroupShape::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return Change([&](CShape* s) -> HRESULT {
            *pVal = nullptr;
            const CGroup* group = s->IsGroup() ? static_cast<CGroup*>(s) : nullptr;
            if (group && !group->GetName().empty())
                RETURN_IF_NULL_ALLOC(*pVal = SysAllocString(group->GetName().c_str()));
            return S_OK;
        });
    });
}
STDMETHODIMP CGroupShape::put_Name(BSTR newVal)
{
    // A group's name is no property of the drawing's content: no undo, no modified flag.
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            if (s->IsGroup())
                static_cast<CGroup*>(s)->SetName(newVal);
            return S_OK;
        });
    });
}
STDMETHODIMP CGroupShape::UpdateReferences(updateRefType updateType)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            if (s->IsGroup())
                static_cast<CGroup*>(s)->UpdateReferrers(updateType, 0);
            return S_OK;
        });
    });
}
STDMETHODIMP CGroupShape::Clear()
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            s->Clear(false);
            return S_OK;
        });
    });
}
STDMETHODIMP CGroupShape::get_References(IReadOnlyReferenceShapeCollection** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        return Change([&](CShape* s) -> HRESULT {
            if (s->GetShapeType() != stGroup)
                return S_FALSE;
            ycom::ComPtr<IDispatch> created;
            RETURN_IF_FAILED(CoCreateInstance(CLSID_ReadOnlyReferenceShapeCollection, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IDispatch, created.PutVoid()));
            ycom::ComPtr<IReadOnlyReferenceShapeCollection> collection;
            RETURN_IF_FAILED(created->QueryInterface(IID_IReadOnlyReferenceShapeCollection, collection.PutVoid()));
            RETURN_IF_FAILED(collection->_Init(m_control->Handle(), reinterpret_cast<LONG_PTR>(s), 0));
            *pVal = collection.Detach();
            return S_OK;
        });
    });
}
