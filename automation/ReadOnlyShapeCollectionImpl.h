#pragma once
// The members of IReadOnlyShapeCollection (with those of _IReadOnlyCollection) shared by the shape
// collections. A collection holds its control (one reference) and names its items by ID: the
// children of a group it finds by ID on every call, the control's shape map, or a list of shape
// IDs of its own. It never keeps a pointer into the model, so a group deleted while a client
// holds its collection leaves an empty collection, never freed memory.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <iterator>
#include <map>
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "automation/ShapeWrappers.h"
#include "com/Dispatch.h"
#include "com/Enumerators.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Shape.h"

// Where a shape collection takes its items from.
enum class ShapeSource { None, Group, Map, List, Referrers };

// What a shape collection's enumerator hands out: a new wrapper per item. No step is taken while a
// load or save works on the drawing on its worker (the shape map and the groups change under it).
struct ShapeItemToVariant {
    CYVEXControl* control = nullptr;
    const IID* iid = &IID_IShape;
    HRESULT Ready() const
    {
        return control && !control->IsIdle() ? control->AnswerInProgress() : S_OK;
    }
    HRESULT Convert(CShape* shape, VARIANT* out) const
    {
        if (!shape)
            return S_OK; // gone between the count and the step: an empty item
        IDispatch* item = nullptr;
        RETURN_IF_FAILED(NewShapeObject(control, shape, *iid, reinterpret_cast<void**>(&item)));
        out->vt = VT_DISPATCH;
        out->pdispVal = item;
        return S_OK;
    }
    HRESULT Convert(const std::pair<const int, CShape*>& entry, VARIANT* out) const
    {
        return Convert(entry.second, out);
    }
};

// A shape collection's list items as a vector-like view for the enumerator: resolved on each
// access, so a walk meets the list as it stands at that step.
template <class Owner>
struct ShapeListView {
    const Owner* owner = nullptr;
    size_t size() const { return static_cast<size_t>(owner->ListCount()); }
    CShape* operator[](size_t index) const { return owner->ListItem(static_cast<int>(index)); }
};

// A collection member that reads the drawing answers "Operation is in progress." (S_FALSE, no
// item) while a load or save works on it on its worker.
#define RETURN_IF_BUSY()                                                                               \
    do {                                                                                               \
        if (this->m_control && !this->m_control->IsIdle())                                             \
            return this->m_control->AnswerInProgress();                                                 \
    } while (0)

// A new ReadOnlyShapeCollection over a list of shape IDs (a hit list).
HRESULT NewReadOnlyShapeCollection(CYVEXControl* control, std::vector<int> ids, IReadOnlyShapeCollection** out);

// ItemItf: the interface items are handed out through (IShape; IReferenceShape for the
// references of a block).
template <class T, class Itf, const IID* piid, class ItemItf = IShape>
class IReadOnlyShapeCollectionImpl : public IReadOnlyCollectionImpl<T, Itf, piid> {
public:
    // ---- _IReadOnlyCollection ----
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR) override
    {
        return this->Guarded([&]() -> HRESULT {
            CYVEXControl* control = nullptr;
            RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
            return static_cast<T*>(this)->Attach(control, lParam);
        });
    }
    STDMETHODIMP _Destroy() override
    {
        return this->Guarded([&]() -> HRESULT {
            Detach();
            return S_OK;
        });
    }
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            RETURN_IF_BUSY();
            ShapeItemToVariant traits{m_control, static_cast<T*>(this)->ItemIid()};
            IUnknown* self = static_cast<T*>(this)->GetUnknown();
            if (m_source == ShapeSource::Map && m_control)
                return ycom::NewLiveEnum(self, &m_control->GetShapeMap().Shapes(), pVal, traits);
            return ycom::NewLiveEnum(self, &m_view, pVal, traits);
        });
    }
    STDMETHODIMP get_Count(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            if (m_source == ShapeSource::None || !m_control) {
                *pVal = -1;
                return E_FAIL;
            }
            *pVal = m_source == ShapeSource::Map ? static_cast<LONG>(m_control->GetShapeMap().Shapes().size())
                                                 : ListCount();
            return S_OK;
        });
    }
    STDMETHODIMP Refresh() override
    {
        return this->Guarded([&]() -> HRESULT { return S_OK; });
    }

    // ---- IReadOnlyShapeCollection ----
    STDMETHODIMP get_Item(LONG Index, ItemItf** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            if (m_source == ShapeSource::None || !m_control)
                return E_FAIL;
            RETURN_IF_BUSY();
            CShape* shape = nullptr;
            if (m_source == ShapeSource::Map) {
                shape = MapItem(Index);
            } else if (Index >= 1 && Index <= ListCount()) {
                shape = ListItem(Index - 1);
            }
            if (!shape)
                return S_FALSE;
            return HandOut(shape, pVal);
        });
    }
    STDMETHODIMP get_ItemByID(LONG Index, ItemItf** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            RETURN_IF_BUSY();
            if (m_source == ShapeSource::Referrers) {
                CShape* reference = FindListed([&](CShape* s) { return s->GetId() == Index; });
                return reference ? HandOut(reference, pVal) : S_FALSE;
            }
            if (!HasMap())
                return S_FALSE;
            CShape* shape = m_control->FindShape(Index);
            return shape ? HandOut(shape, pVal) : S_OK;
        });
    }
    STDMETHODIMP get_ItemByDatabaseID(LONG Index, ItemItf** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            RETURN_IF_BUSY();
            if (m_source == ShapeSource::Referrers) {
                CShape* reference = FindListed([&](CShape* s) { return s->GetDatabaseId() == Index; });
                return reference ? HandOut(reference, pVal) : S_FALSE;
            }
            if (!HasMap())
                return S_FALSE;
            CShape* shape = m_control->GetShapeMap().FindByDbId(Index);
            return shape ? HandOut(shape, pVal) : S_FALSE;
        });
    }
    STDMETHODIMP get_HitShapeCollection(double hitX, double hitY, IReadOnlyShapeCollection** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* target = TargetGroup();
            if (!target)
                return S_FALSE;
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            std::vector<CShape*> hits;
            target->CollectHitShapes(static_cast<float>(hitX), static_cast<float>(hitY), hits);
            std::vector<int> ids;
            for (CShape* hit : hits)
                ids.push_back(hit->GetId());
            return NewReadOnlyShapeCollection(m_control, std::move(ids), pVal);
        });
    }

    // The items of a list source, by position from 0; null past the end or for a shape gone.
    int ListCount() const
    {
        switch (m_source) {
        case ShapeSource::Group:
            if (CGroup* group = m_control ? m_control->FindGroup(m_groupId) : nullptr)
                return group->GetShapeCount();
            return 0;
        case ShapeSource::List:
            return static_cast<int>(m_ids.size());
        case ShapeSource::Referrers:
            if (CGroup* block = Block())
                return static_cast<int>(block->GetReferrerList().size());
            return 0;
        default:
            return 0;
        }
    }
    CShape* ListItem(int index) const
    {
        if (index < 0 || index >= ListCount())
            return nullptr;
        switch (m_source) {
        case ShapeSource::Group:
            return m_control->FindGroup(m_groupId)->GetChildAt(index);
        case ShapeSource::List:
            return m_control->FindShape(m_ids[index]);
        case ShapeSource::Referrers:
            return Block()->GetReferrerList()[index];
        default:
            return nullptr;
        }
    }

    // Attaches to a control with a list of shape IDs (a hit list); the in-server way to fill a
    // read-only collection.
    void AttachList(CYVEXControl* control, std::vector<int> ids)
    {
        SetControl(control);
        m_source = ShapeSource::List;
        m_ids = std::move(ids);
    }

    // Attaching by class (T::Attach): the references that use a block (a group or a block
    // reference) given by a client's number; any other shape gives an empty collection.
    HRESULT AttachReferrers(CYVEXControl* control, LONG_PTR lParam)
    {
        SetControl(control);
        if (!control && !lParam)
            return S_OK;
        CShape* shape = ResolveShapeHandle(control, lParam);
        if (!shape)
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        if (shape->GetShapeType() == stGroup || shape->GetShapeType() == stReference) {
            m_source = ShapeSource::Referrers;
            m_groupId = shape->GetId();
        } else {
            m_source = ShapeSource::List;
        }
        return S_OK;
    }
    // Attaching by class (T::Attach): a group of the control's shape map given by a client's
    // number, whose children are the items and which is the target of adds and deletes.
    HRESULT AttachGroup(CYVEXControl* control, LONG_PTR lParam)
    {
        SetControl(control);
        if (!control && !lParam)
            return S_OK;
        CShape* shape = ResolveShapeHandle(control, lParam);
        if (!shape || !shape->IsGroup())
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        m_source = ShapeSource::Group;
        m_groupId = shape->GetId();
        m_targetId = m_groupId;
        m_hasTarget = true;
        return S_OK;
    }
    // The interface its items are handed out through.
    const IID* ItemIid() const { return &IID_IShape; }

protected:
    template <class F>
    HRESULT Guarded(F&& body)
    {
        return ycom::Guard(*piid, std::forward<F>(body));
    }

    void SetControl(CYVEXControl* control)
    {
        m_controlRef.Reset();
        m_control = control;
        if (control)
            m_controlRef = static_cast<IYVEXControl*>(control);
        m_source = ShapeSource::None;
        m_groupId = 0;
        m_targetId = 0;
        m_hasTarget = false;
        m_ids.clear();
    }
    void Detach() { SetControl(nullptr); }
    // The first listed shape that `match` accepts.
    template <class F>
    CShape* FindListed(F&& match) const
    {
        for (int i = 0; i < ListCount(); ++i)
            if (CShape* s = ListItem(i); s && match(s))
                return s;
        return nullptr;
    }
    HRESULT HandOut(CShape* shape, ItemItf** out)
    {
        return NewShapeObject(m_control, shape, *static_cast<T*>(this)->ItemIid(), reinterpret_cast<void**>(out));
    }
    bool HasMap() const { return m_control && (m_source == ShapeSource::Group || m_source == ShapeSource::Map); }
    // The Index-th shape of the map in ID order (from 1), null outside. A client that walks the
    // items one after another (Item(1), Item(2), ...) is answered from the position of the last
    // one while the map stays as it was: each step is a step, not a walk from the start.
    CShape* MapItem(LONG index)
    {
        const CShapeMap& map = m_control->GetShapeMap();
        const auto& shapes = map.Shapes();
        if (index < 1 || static_cast<size_t>(index) > shapes.size())
            return nullptr;
        auto it = shapes.begin();
        LONG at = 1;
        if (m_cacheIndex >= 1 && m_cacheChanges == map.GetChangeCount() && m_cacheIndex <= index) {
            auto cached = shapes.find(m_cacheKey);
            if (cached != shapes.end()) {
                it = cached;
                at = m_cacheIndex;
            }
        }
        for (; at < index; ++at)
            ++it;
        m_cacheIndex = index;
        m_cacheKey = it->first;
        m_cacheChanges = map.GetChangeCount();
        return it->second;
    }
    // The group that add, delete and reorder operations work on; null when there is none (or it
    // is gone).
    CGroup* TargetGroup() const
    {
        return m_control && m_hasTarget ? m_control->FindGroup(m_targetId) : nullptr;
    }
    CGroup* Block() const { return m_control ? m_control->FindGroup(m_groupId) : nullptr; }

    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    ShapeSource m_source = ShapeSource::None;
    // The group whose children are listed (Group), or the block whose references are (Referrers).
    int m_groupId = 0;
    std::vector<int> m_ids;
    int m_targetId = 0;
    bool m_hasTarget = false;
    ShapeListView<IReadOnlyShapeCollectionImpl> m_view{this};
    // The last item Item handed out of the map: its index, its ID and the map's change count then.
    LONG m_cacheIndex = 0;
    int m_cacheKey = 0;
    unsigned long m_cacheChanges = 0;
};
