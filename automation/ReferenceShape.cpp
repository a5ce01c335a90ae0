#include "automation/ReferenceShape.h"
#include "model/Reference.h"

namespace {

// Undo kind of a change of relations (YVEXOperation opRelations).
constexpr int kUndoLink = 8;

} // namespace

// The stored scale changes through the reference's own scaling, done along its own axes: turned
// back to 0 degrees about its insertion point, scaled there, turned again.
HRESULT CReferenceShape::SetScale(bool horizontal, double value)
{
    return ChangeKind<CReference>([&](CReference* r) {
        const float stored = horizontal ? r->GetXScale() : r->GetYScale();
        const float wanted = static_cast<float>(value);
        if (stored != wanted)
            RecordChange(r, kUndoProperties);
        const float factor = stored != 0.0f ? wanted / stored : wanted;
        const double degrees = ToDegrees(r->GetAngle());
        double x = 0, y = 0;
        if (FAILED(PositionOf(r, &x, &y)))
            return;
        const float px = static_cast<float>(x), py = static_cast<float>(y);
        if (degrees != 0.0)
            r->Rotate(px, py, -degrees, nullptr, false);
        r->Scale(px, py, horizontal ? factor : 1.0f, horizontal ? 1.0f : factor, nullptr, false);
        if (degrees != 0.0)
            r->Rotate(px, py, degrees, nullptr, false);
    });
}

// IReferenceShape
STDMETHODIMP CReferenceShape::get_XScale(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CReference>(pVal, [&](CReference* r) { *pVal = r->GetXScale(); }); });
}
STDMETHODIMP CReferenceShape::get_YScale(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CReference>(pVal, [&](CReference* r) { *pVal = r->GetYScale(); }); });
}
STDMETHODIMP CReferenceShape::get_RotationAngle(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CReference>(pVal, [&](CReference* r) { *pVal = r->GetRotationAngle(); });
    });
}
STDMETHODIMP CReferenceShape::get_BlockGroupShapeID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CReference>(pVal, [&](CReference* r) { *pVal = r->GetBlock() ? r->GetBlock()->GetId() : kMissingShapeId; });
    });
}
STDMETHODIMP CReferenceShape::put_XScale(double newVal)
{
    return Guarded([&]() -> HRESULT { return SetScale(true, newVal); });
}
STDMETHODIMP CReferenceShape::put_YScale(double newVal)
{
    return Guarded([&]() -> HRESULT { return SetScale(false, newVal); });
}
STDMETHODIMP CReferenceShape::put_RotationAngle(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CReference>([&](CReference* r) {
            if (r->GetRotationAngle() != newVal)
                RecordChange(r, kUndoProperties);
            r->SetRotationAngle(newVal, true);
        });
    });
}
STDMETHODIMP CReferenceShape::put_BlockGroupShapeID(LONG newVal)
{
    // Only a group becomes the block; S_OK whatever the reference decided.
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CReference>([&](CReference* r) {
            const LONG current = r->GetBlock() ? r->GetBlock()->GetId() : kMissingShapeId;
            if (current != newVal)
                RecordChange(r, kUndoLink);
            r->SetBlockGroupShapeID(newVal);
        });
    });
}
STDMETHODIMP CReferenceShape::put_Angle(double newVal)
{
    return Guarded([&]() -> HRESULT { return put_RotationAngle(newVal); });
}

// IPerPropertyBrowsing: the linked block for the block ID.
STDMETHODIMP CReferenceShape::GetPredefinedStrings(DISPID dispID, CALPOLESTR* pCaStringsOut, CADWORD* pCaCookiesOut)
{
    return Guarded([&]() -> HRESULT {
        if (dispID != 103)
            return IShapeImpl::GetPredefinedStrings(dispID, pCaStringsOut, pCaCookiesOut);
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_NOTIMPL));
        auto* reference = dynamic_cast<CReference*>(shape);
        CGroup* block = reference ? reference->GetBlock() : nullptr;
        if (!block)
            return E_NOTIMPL;
        return CShapePropertyNames::HandOut({{block->GetName(), static_cast<DWORD>(block->GetId())}}, pCaStringsOut,
                                            pCaCookiesOut);
    });
}
STDMETHODIMP CReferenceShape::GetPredefinedValue(DISPID dispID, DWORD dwCookie, VARIANT* pVarOut)
{
    return Guarded([&]() -> HRESULT {
        if (dispID != 103)
            return IShapeImpl::GetPredefinedValue(dispID, dwCookie, pVarOut);
        return CookieValue(dwCookie, pVarOut);
    });
}
