#pragma once
// The members of IPointCollection (with those of _IReadOnlyCollection) shared by the point
// collections. A collection holds its control (one reference), what it lists (the control's point
// pool, or a shape's own or linked points, the shape named by its ID) and a snapshot: one Point
// object per point, made at _Init and rebuilt by Refresh. The Point objects name their points by
// ID, so a snapshot kept past a point's removal answers "Point not found." from that item.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "automation/ControlItem.h"
#include "automation/Point.h"
#include "automation/ShapeWrappers.h"
#include "com/Collections.h"
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Shape.h"
#include "model/ShapePointList.h"

// What a point collection lists.
enum class PointSource { Pool, ShapePoints, LinkedPoints };

template <class T, class Itf, const IID* piid>
class IPointCollectionImpl : public ycom::PreparedCollectionImpl<T, Itf, piid> {
public:
    // (control, the point pool or a shape of the control, not used): a pool collection takes
    // the control's own pool only, a shape collection one of its shapes; (0, 0) leaves it empty.
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR) override
    {
        return Guarded([&]() -> HRESULT {
            CYVEXControl* control = nullptr;
            RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
            int ownerId = 0;
            if (control) {
                if (T::kSource == PointSource::Pool) {
                    if (lParam != reinterpret_cast<LONG_PTR>(&control->GetPointPool()))
                        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
                } else {
                    CShape* shape = ResolveShapeHandle(control, lParam);
                    if (!shape)
                        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
                    ownerId = shape->GetId();
                }
            } else if (lParam) {
                return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
            }
            return AttachTo(control, ownerId);
        });
    }
    // Rebuilds the snapshot from the same control and source.
    STDMETHODIMP Refresh() override
    {
        return Guarded([&]() -> HRESULT { return AttachTo(m_yvex, m_ownerId); });
    }
    STDMETHODIMP _Destroy() override
    {
        return Guarded([&]() -> HRESULT {
            this->Clear();
            m_yvex = nullptr;
            m_ownerId = 0;
            return S_OK;
        });
    }
    STDMETHODIMP get_Item(LONG Index, IPoint** pVal) override
    {
        return Guarded([&]() -> HRESULT { return PreparedItemAt(this->m_items, Index, IID_IPoint, pVal); });
    }
    STDMETHODIMP get_ItemByID(LONG Index, IPoint** pVal) override
    {
        return Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            const int position = PositionOf(Index);
            if (position < 0)
                return S_FALSE;
            return this->m_items[position].Ref().pdispVal->QueryInterface(IID_IPoint, reinterpret_cast<void**>(pVal));
        });
    }
    // Copies the item at a 1-based position into the caller's variant.
    HRESULT CopyItem(LONG position, VARIANT* target) const
    {
        RETURN_IF_NULL_POINTER(target);
        if (position < 1 || static_cast<size_t>(position) > this->m_items.size())
            return E_FAIL;
        return VariantCopy(target, const_cast<VARIANT*>(this->m_items[position - 1].Get()));
    }

protected:
    template <class F>
    HRESULT Guarded(F&& body)
    {
        return ycom::Guard(*piid, std::forward<F>(body));
    }

    // The owner shape, while it lives; null for the pool, a detached collection or a shape gone.
    CShape* Owner() const { return m_yvex && m_ownerId ? m_yvex->FindShape(m_ownerId) : nullptr; }
    // The point list the collection mirrors; null when there is none.
    const CShapePointList* OwnerList() const
    {
        CShape* owner = Owner();
        if (!owner)
            return nullptr;
        return T::kSource == PointSource::LinkedPoints ? &owner->GetLinkedPoints() : &owner->GetPoints();
    }
    // The snapshot position (from 0) of the point with that ID; -1 when absent.
    int PositionOf(LONG pointId) const
    {
        for (size_t i = 0; i < this->m_items.size(); ++i) {
            const VARIANT& item = this->m_items[i].Ref();
            if (item.vt == VT_DISPATCH && item.pdispVal &&
                static_cast<CPoint*>(static_cast<IPoint*>(item.pdispVal))->GetPointId() == pointId)
                return static_cast<int>(i);
        }
        return -1;
    }
    // The ID of the snapshot item at a 1-based position (0 when none).
    int IdAt(LONG position) const
    {
        if (position < 1 || static_cast<size_t>(position) > this->m_items.size())
            return 0;
        const VARIANT& item = this->m_items[position - 1].Ref();
        if (item.vt != VT_DISPATCH || !item.pdispVal)
            return 0;
        return static_cast<CPoint*>(static_cast<IPoint*>(item.pdispVal))->GetPointId();
    }

    HRESULT AttachTo(CYVEXControl* control, int ownerId)
    {
        // Keep the control alive across the rebuild.
        ycom::ComPtr<IYVEXControl> keep(control ? static_cast<IYVEXControl*>(control) : nullptr);
        this->Clear();
        m_yvex = control;
        m_ownerId = ownerId;
        if (!control)
            return S_OK;
        this->Attach(static_cast<IYVEXControl*>(control), control->Handle(), 0);
        std::vector<int> ids;
        if (T::kSource == PointSource::Pool) {
            for (const auto& entry : control->GetPointPool().Points())
                ids.push_back(entry.first);
        } else if (const CShapePointList* list = OwnerList()) {
            for (CPointRecord* point : *list)
                if (point)
                    ids.push_back(point->GetPointId());
        }
        this->m_items.reserve(ids.size());
        for (int id : ids)
            RETURN_IF_FAILED(AppendItemObject<CPoint>(this->m_items, control, id));
        return S_OK;
    }

    CYVEXControl* m_yvex = nullptr;
    int m_ownerId = 0;
};
