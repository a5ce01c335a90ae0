#include "automation/Point.h"
#include <cmath>
#include <utility>
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Shape.h"
#include "model/ShapePointList.h"

namespace {
// Undo kind (YVEXOperation) of a point that moves.
constexpr int kUndoMove = 1;
// What OwnerID reports for a point that no shape uses, and what starts the walk.
constexpr LONG kNoOwner = -100;
} // namespace

template <class F>
HRESULT CPoint::Guarded(F&& body)
{
    return ycom::Guard(IID_IPoint, std::forward<F>(body));
}

HRESULT CPoint::FindPoint(CPointRecord** point) const
{
    *point = nullptr;
    if (!m_control)
        return E_POINTER;
    *point = m_control->GetPointPool().Find(m_itemId);
    return *point ? S_OK : ReportComErrorW(CLSID_YVEXControl, L"Point not found.");
}

// IPoint
STDMETHODIMP CPoint::get_ID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        *pVal = point->GetPointId();
        return S_OK;
    });
}
STDMETHODIMP CPoint::put_ID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_control)
            return S_OK;
        // A load or save on its worker holds the point pool: not even looked at meanwhile.
        if (!m_control->IsIdle())
            return m_control->AnswerInProgress();
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        if (newVal == m_itemId)
            return S_OK;
        // The control's change marks the site modified when it is made.
        const HRESULT hr = m_control->ChangePointID(m_itemId, newVal);
        if (hr == S_OK)
            m_itemId = newVal;
        return hr;
    });
}
STDMETHODIMP CPoint::_Init(LONG_PTR lYVEXControl, LONG_PTR lPoint)
{
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        // The number is only compared with the pool's records, never used as a pointer before.
        const CPointRecord* found = nullptr;
        if (control && lPoint)
            for (const auto& entry : control->GetPointPool().Points())
                if (reinterpret_cast<LONG_PTR>(&entry.second) == lPoint) {
                    found = &entry.second;
                    break;
                }
        if (!found && (control || lPoint))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        Attach(control, found ? found->GetPointId() : 0);
        return S_OK;
    });
}
STDMETHODIMP CPoint::get_X(float* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        *pVal = point->x;
        return S_OK;
    });
}
STDMETHODIMP CPoint::get_Y(float* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        *pVal = point->y;
        return S_OK;
    });
}
HRESULT CPoint::PutCoordinate(bool horizontal, float value)
{
    // A load or save on its worker holds the point pool: not even looked at meanwhile.
    if (m_control && !m_control->IsIdle())
        return m_control->AnswerInProgress();
    CPointRecord* point = nullptr;
    RETURN_IF_FAILED(FindPoint(&point));
    if (!std::isfinite(value))
        return ReportComErrorW(CLSID_YVEXControl, L"A coordinate is not a number.", E_INVALIDARG);
    float& coordinate = horizontal ? point->x : point->y;
    if (coordinate != value) {
        if (CUndoRecorder* recorder = m_control->GetUndoRecorder(); recorder && recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(kUndoMove, point, false);
        m_control->SetModified();
    }
    coordinate = value;
    return S_OK;
}
STDMETHODIMP CPoint::put_X(float newVal)
{
    return Guarded([&]() -> HRESULT { return PutCoordinate(true, newVal); });
}
STDMETHODIMP CPoint::put_Y(float newVal)
{
    return Guarded([&]() -> HRESULT { return PutCoordinate(false, newVal); });
}
STDMETHODIMP CPoint::Shift(LONG, float* pdx, float* pdy)
{
    // The point this object wraps moves (the argument naming a point is not used), through the
    // control's point move with its event and the shapes linked to the point; the control's own
    // drawing waits until the move is done.
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pdx);
        RETURN_IF_NULL_POINTER(pdy);
        if (m_control && !m_control->IsIdle())
            return m_control->AnswerInProgress();
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        struct RedrawOff
        {
            CYVEXControl* control;
            DWORD flags;
            ~RedrawOff() { control->SetControlFlags(flags); }
        } redrawOff{m_control, m_control->GetControlFlags()};
        m_control->SetControlFlags(redrawOff.flags | controlDisableRedraw);
        // The control's move records the point and marks the site only once the host let it go.
        return m_control->ShiftPoint(m_itemId, pdx, pdy);
    });
}
STDMETHODIMP CPoint::get_DatabaseID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        *pVal = point->GetDatabaseId();
        return S_OK;
    });
}
STDMETHODIMP CPoint::put_DatabaseID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        CPointRecord* point = nullptr;
        RETURN_IF_FAILED(FindPoint(&point));
        if (point->GetDatabaseId() != newVal)
            m_control->SetModified();
        point->SetDatabaseId(newVal);
        m_control->GetPointPool().SetDatabaseId(newVal, *point);
        return S_OK;
    });
}
HRESULT CPoint::NextOwner(LONG previous, LONG* owner)
{
    if (!owner)
        return E_INVALIDARG;
    *owner = kNoOwner;
    CPointRecord* point = nullptr;
    RETURN_IF_FAILED(FindPoint(&point));
    const CPointOwners& owners = point->GetOwners();
    auto it = owners.begin();
    // A previous owner the shape map knows starts the walk after it (none when the point does not
    // list it); any other value starts at the beginning.
    if (previous != kNoOwner && m_control->FindShape(previous)) {
        it = owners.find(previous);
        if (it == owners.end())
            return S_OK;
        ++it;
    }
    for (; it != owners.end(); ++it) {
        if (*it == kNoOwner)
            break;
        CShape* shape = m_control->FindShape(*it);
        if (shape && shape->GetPoints().IndexOf(m_itemId) >= 0) {
            *owner = *it;
            break;
        }
    }
    return S_OK;
}
STDMETHODIMP CPoint::get_OwnerID(LONG* OwnerID)
{
    return Guarded([&]() -> HRESULT { return NextOwner(kNoOwner, OwnerID); });
}
STDMETHODIMP CPoint::GetNextOwnerID(LONG PreviousOwnerID, LONG* OwnerID)
{
    return Guarded([&]() -> HRESULT { return NextOwner(PreviousOwnerID, OwnerID); });
}
