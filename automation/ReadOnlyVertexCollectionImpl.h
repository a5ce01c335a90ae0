#pragma once
// The members of IReadOnlyVertexCollection (with those of _IReadOnlyCollection) shared by the
// vertex collections: a vector of Vertex objects in the polyline's vertex order, made at _Init.
// The collection names its polyline by ID and each Vertex its record by vertex ID, so a kept
// collection or item never reaches a record that moved or went. When the polyline's vertex count
// differs from the items, the look-ups rebuild the items first.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <utility>
#include "YVEX_h.h"
#include "automation/ShapeWrappers.h"
#include "automation/Vertex.h"
#include "com/Collections.h"
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/YVEXControl.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/VertexRecord.h"

template <class T, class Itf, const IID* piid>
class IReadOnlyVertexCollectionImpl : public ycom::PreparedCollectionImpl<T, Itf, piid> {
public:
    // (control, a rectangle, polyline or polygon of the control, not used).
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR) override
    {
        return Guarded([&]() -> HRESULT {
            CYVEXControl* control = nullptr;
            RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
            CShape* shape = control ? ResolveShapeHandle(control, lParam) : nullptr;
            if (!shape || !IsPolylineType(shape->GetShapeType()))
                return E_INVALIDARG;
            return Build(control, shape->GetId());
        });
    }
    STDMETHODIMP Refresh() override
    {
        return Guarded([&]() -> HRESULT { return Build(m_yvex, m_polylineId); });
    }
    STDMETHODIMP _Destroy() override
    {
        return Guarded([&]() -> HRESULT {
            this->Clear();
            m_yvex = nullptr;
            m_polylineId = 0;
            return S_OK;
        });
    }
    STDMETHODIMP get_Item(LONG Index, IVertex** pItem) override
    {
        return Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pItem);
            *pItem = nullptr;
            CatchUp();
            if (Index < 1 || static_cast<size_t>(Index) > this->m_items.size())
                return E_INVALIDARG;
            CVertex* item = ItemAt(Index - 1);
            if (!item)
                return E_INVALIDARG;
            return static_cast<IVertex*>(item)->QueryInterface(IID_IVertex, reinterpret_cast<void**>(pItem));
        });
    }
    STDMETHODIMP get_ItemByID(LONG VertexID, IVertex** pItem) override
    {
        return Guarded([&]() -> HRESULT {
            return Lookup(pItem, [&](const CVertexRecord& v) { return v.vertexId == VertexID; });
        });
    }
    STDMETHODIMP get_ItemByDatabaseID(LONG DatabaseID, IVertex** pItem) override
    {
        return Guarded([&]() -> HRESULT {
            return Lookup(pItem, [&](const CVertexRecord& v) { return v.databaseId == DatabaseID; });
        });
    }
    STDMETHODIMP get_ItemByPointID(LONG PointID, IVertex** pItem) override
    {
        return Guarded([&]() -> HRESULT {
            return Lookup(pItem, [&](const CVertexRecord& v) { return v.GetPoint() && v.GetPoint()->GetPointId() == PointID; });
        });
    }

protected:
    template <class F>
    HRESULT Guarded(F&& body)
    {
        return ycom::Guard(*piid, std::forward<F>(body));
    }
    static bool IsPolylineType(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

    // The polyline while it lives; null for a detached collection or a polyline gone.
    CPolyline* Polyline() const
    {
        if (!m_yvex || !m_polylineId)
            return nullptr;
        CShape* shape = m_yvex->FindShape(m_polylineId);
        return shape && IsPolylineType(shape->GetShapeType()) ? dynamic_cast<CPolyline*>(shape) : nullptr;
    }
    CVertex* ItemAt(size_t position) const
    {
        if (position >= this->m_items.size())
            return nullptr;
        const VARIANT& item = this->m_items[position].Ref();
        if (item.vt != VT_DISPATCH || !item.pdispVal)
            return nullptr;
        return static_cast<CVertex*>(static_cast<IVertex*>(item.pdispVal));
    }
    // Rebuilds the items when the polyline's vertex count differs from theirs.
    void CatchUp()
    {
        if (CPolyline* polyline = Polyline(); polyline && polyline->GetVertices().size() != this->m_items.size())
            Build(m_yvex, m_polylineId);
    }
    // The position of the first item whose record matches; -1 when none.
    template <class F>
    int FindItem(F&& match) const
    {
        for (size_t i = 0; i < this->m_items.size(); ++i)
            if (CVertex* item = ItemAt(i))
                if (CVertexRecord* record = item->Find(); record && match(*record))
                    return static_cast<int>(i);
        return -1;
    }
    template <class F>
    HRESULT Lookup(IVertex** pItem, F&& match)
    {
        RETURN_IF_NULL_POINTER(pItem);
        *pItem = nullptr;
        if (!Polyline())
            return E_UNEXPECTED;
        CatchUp();
        const int position = FindItem(match);
        if (position < 0)
            return E_FAIL;
        return static_cast<IVertex*>(ItemAt(position))->QueryInterface(IID_IVertex, reinterpret_cast<void**>(pItem));
    }
    // A new Vertex item for a record of the polyline, as a VT_DISPATCH variant.
    HRESULT NewItem(int vertexId, ycom::Variant* out) const
    {
        HRESULT hr = S_OK;
        auto vertex = ycom::NewObject<CVertex>(&hr);
        if (!vertex)
            return hr;
        vertex->Attach(m_yvex, m_polylineId, vertexId);
        IDispatch* dispatch = nullptr;
        RETURN_IF_FAILED(vertex->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
        *out = ycom::Variant::AttachDispatch(dispatch);
        return S_OK;
    }
    HRESULT Build(CYVEXControl* control, int polylineId)
    {
        ycom::ComPtr<IYVEXControl> keep(control ? static_cast<IYVEXControl*>(control) : nullptr);
        this->Clear();
        m_yvex = control;
        m_polylineId = polylineId;
        if (!control)
            return S_OK;
        this->Attach(static_cast<IYVEXControl*>(control), control->Handle(), 0);
        CPolyline* polyline = Polyline();
        if (!polyline)
            return S_OK;
        this->m_items.reserve(polyline->GetVertices().size());
        for (const CVertexRecord& record : polyline->GetVertices()) {
            ycom::Variant item;
            if (SUCCEEDED(NewItem(record.vertexId, &item)))
                this->m_items.push_back(std::move(item));
        }
        return S_OK;
    }

    CYVEXControl* m_yvex = nullptr;
    int m_polylineId = 0;
};
