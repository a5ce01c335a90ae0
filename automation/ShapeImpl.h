#pragma once
// The members of IShape shared by every shape object. A shape object holds its control (one
// reference) and the ID of its shape, and looks the shape up in the control's shape map on every
// call: a kept wrapper of a deleted shape answers "Shape not found." instead of reaching freed
// memory, and putting ID moves the wrapper along with its shape. A wrapper that was never attached
// answers as a shape object without a shape: getters leave their value, setters do nothing.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <cmath>
#include <type_traits>
#include <utility>
#include "YVEX_h.h"
#include "automation/ShapePropertyNames.h"
#include "automation/ShapeWrappers.h"
#include "com/Dispatch.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/UndoUnit.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Shape.h"

// The ID reported for a missing parent or layer.
constexpr LONG kMissingShapeId = static_cast<LONG>(0x80000000);
// Undo kinds (YVEXOperation).
constexpr int kUndoMove = 1;
constexpr int kUndoProperties = 6;

template <class T, class Itf, const IID* piid>
class IShapeImpl : public ycom::DispatchImpl<Itf, piid>, public IPerPropertyBrowsing {
public:
    // ---- IPerPropertyBrowsing: what the property grid shows ----
    STDMETHODIMP GetDisplayString(DISPID dispID, BSTR* pBstr) override
    {
        return this->Guarded([&]() -> HRESULT {
            CShape* shape = nullptr;
            RETURN_IF_FAILED(FindShape(&shape));
            return CShapePropertyNames::DisplayString(shape, dispID, pBstr);
        });
    }
    STDMETHODIMP MapPropertyToPage(DISPID dispID, CLSID* pClsid) override
    {
        // The one entry of the property map (the line pattern) has no page of its own.
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pClsid);
            *pClsid = CLSID_NULL;
            return dispID == 5 ? S_OK : E_INVALIDARG;
        });
    }
    STDMETHODIMP GetPredefinedStrings(DISPID dispID, CALPOLESTR* pCaStringsOut, CADWORD* pCaCookiesOut) override
    {
        return this->Guarded([&]() -> HRESULT {
            CShape* shape = nullptr;
            RETURN_IF_FAILED(FindShape(&shape));
            ycom::ComPtr<ITypeInfo> typeInfo;
            RETURN_IF_FAILED(this->GetTypeInfo(0, LOCALE_USER_DEFAULT, typeInfo.Put()));
            return CShapePropertyNames::PredefinedStrings(m_control, shape, typeInfo.Get(), dispID, pCaStringsOut,
                                                          pCaCookiesOut);
        });
    }
    STDMETHODIMP GetPredefinedValue(DISPID dispID, DWORD dwCookie, VARIANT* pVarOut) override
    {
        return this->Guarded([&]() -> HRESULT {
            CShape* shape = nullptr;
            RETURN_IF_FAILED(FindShape(&shape));
            return CShapePropertyNames::PredefinedValue(shape, dispID, dwCookie, pVarOut);
        });
    }

    // ---- identity and attachment ----
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lShape) override
    {
        return this->Guarded([&]() -> HRESULT {
            CYVEXControl* control = nullptr;
            RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
            CShape* shape = control ? ResolveShapeHandle(control, lShape) : nullptr;
            if (!shape && (control || lShape))
                return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
            // A second _Init lets go of the first control.
            m_controlRef.Reset();
            m_control = control;
            m_shapeId = shape ? shape->GetId() : 0;
            if (control)
                m_controlRef = static_cast<IYVEXControl*>(control);
            return S_OK;
        });
    }
    STDMETHODIMP get_Site(ISite** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            CShape* shape = nullptr;
            RETURN_IF_FAILED(RequireShape(&shape, E_ACCESSDENIED));
            ycom::ComPtr<ISite> site;
            RETURN_IF_FAILED(CoCreateInstance(CLSID_Site, nullptr, CLSCTX_INPROC_SERVER, IID_ISite, site.PutVoid()));
            RETURN_IF_FAILED(site->_Init(m_control->Handle()));
            *pVal = site.Detach();
            return S_OK;
        });
    }
    STDMETHODIMP get_ID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetId(); }); });
    }
    STDMETHODIMP put_ID(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            // A load or save on its worker holds the shape map: not even looked at meanwhile.
            if (m_control && !m_control->IsIdle())
                return m_control->AnswerInProgress();
            CShape* shape = nullptr;
            RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
            const HRESULT hr = m_control->ChangeShapeID(shape->GetId(), newVal);
            // The wrapper follows its shape to the new ID.
            if (hr == S_OK)
                m_shapeId = newVal;
            return hr;
        });
    }
    STDMETHODIMP get_ShapeType(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetShapeType(); }); });
    }
    STDMETHODIMP get_ParentID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = s->GetParent() ? s->GetParent()->GetId() : kMissingShapeId; });
        });
    }

    // ---- style ----
    STDMETHODIMP get_PenColor(OLE_COLOR* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetPenColor(); }); });
    }
    STDMETHODIMP put_PenColor(OLE_COLOR newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetPenColor() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetPenColor(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_LinePatternID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetLinePatternId(); }); });
    }
    STDMETHODIMP put_LinePatternID(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetLinePatternId() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetLinePatternId(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_Visible(VARIANT_BOOL* pVal) override
    {
        // VARIANT_TRUE, not the model's 1: a script's Not of 1 is -2, still true.
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = s->IsVisible() ? VARIANT_TRUE : VARIANT_FALSE; });
        });
    }
    STDMETHODIMP put_Visible(VARIANT_BOOL newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->IsVisible() != (newVal != VARIANT_FALSE))
                    RecordChange(s, kUndoProperties);
                s->SetVisible(newVal != VARIANT_FALSE);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_Tag(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetTag(); }); });
    }
    STDMETHODIMP put_Tag(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetTag() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetTag(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = s->IsEnabled() ? VARIANT_TRUE : VARIANT_FALSE; });
        });
    }
    STDMETHODIMP put_Enabled(VARIANT_BOOL newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->IsEnabled() != (newVal != VARIANT_FALSE))
                    RecordChange(s, kUndoProperties);
                s->SetStateBits(CShape::stEnabled, newVal != VARIANT_FALSE);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_DatabaseID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetDatabaseId(); }); });
    }
    STDMETHODIMP put_DatabaseID(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                const int old = s->GetDatabaseId();
                if (old != newVal)
                    RecordChange(s, kUndoProperties);
                // The row the shape stood for is no longer its own: a message about that row
                // must not reach this shape.
                CShapeMap& map = m_control->GetShapeMap();
                if (old != newVal && old != 0 && map.FindByDbId(old) == s)
                    map.RemoveDbId(old);
                s->SetDatabaseId(newVal);
                map.SetDbId(newVal, s->GetId());
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_LayerShapeID(LONG* pLayerID) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pLayerID, [&](CShape* s) { *pLayerID = s->GetLayer() ? s->GetLayer()->GetId() : kMissingShapeId; });
        });
    }
    STDMETHODIMP put_LayerShapeID(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                const LONG current = s->GetLayer() ? s->GetLayer()->GetId() : kMissingShapeId;
                if (current != newVal)
                    RecordChange(s, kUndoProperties);
                return s->SetLayerShapeId(newVal);
            });
        });
    }
    STDMETHODIMP get_LinePatternScale(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetLinePatternScale(); }); });
    }
    STDMETHODIMP put_LinePatternScale(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetLinePatternScale() != static_cast<float>(newVal))
                    RecordChange(s, kUndoProperties);
                s->SetLinePatternScale(static_cast<float>(newVal));
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_PenWeight(float* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetPenWeight(); }); });
    }
    STDMETHODIMP put_PenWeight(float newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetPenWeight() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetPenWeight(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_ZOrder(float* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetZOrder(); }); });
    }
    STDMETHODIMP put_ZOrder(float newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetZOrder() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetZOrder(newVal, true);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_HatchColor(OLE_COLOR* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetHatchColor(); }); });
    }
    STDMETHODIMP put_HatchColor(OLE_COLOR newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetHatchColor() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetHatchColor(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_HatchPatternID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetHatchPatternId(); }); });
    }
    STDMETHODIMP put_HatchPatternID(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetHatchPatternId() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetHatchPatternId(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_HatchPatternScale(float* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return Read(pVal, [&](CShape* s) { *pVal = s->GetHatchPatternScale(); }); });
    }
    STDMETHODIMP put_HatchPatternScale(float newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->GetHatchPatternScale() != newVal)
                    RecordChange(s, kUndoProperties);
                s->SetHatchPatternScale(newVal);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_ScalePenWeight(VARIANT_BOOL* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) {
                *pVal = s->HasState(CShape::stScalePenWeight) ? VARIANT_TRUE : VARIANT_FALSE;
            });
        });
    }
    STDMETHODIMP put_ScalePenWeight(VARIANT_BOOL newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->HasState(CShape::stScalePenWeight) != (newVal != VARIANT_FALSE))
                    RecordChange(s, kUndoProperties);
                s->SetStateBits(CShape::stScalePenWeight, newVal != VARIANT_FALSE);
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_TranslatedPenColor(OLE_COLOR* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = CShape::TranslatePenColor(s->GetPenColor(), s); });
        });
    }
    STDMETHODIMP get_TranslatedHatchColor(OLE_COLOR* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = CShape::TranslateHatchColor(s->GetHatchColor(), s); });
        });
    }
    STDMETHODIMP get_TranslatedHatchPatternID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = s->GetTranslatedHatchPatternId(); });
        });
    }
    STDMETHODIMP get_TranslatedLinePatternID(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Read(pVal, [&](CShape* s) { *pVal = CShape::TranslateLinePatternId(s->GetLinePatternId(), s); });
        });
    }

    // ---- protection ----
    STDMETHODIMP get_ProtectionFlags(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return GetMasked(CShape::kProtectionMask, pVal); });
    }
    STDMETHODIMP put_ProtectionFlags(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT { return PutMasked(newVal, CShape::kProtectionMask); });
    }
    STDMETHODIMP get_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = VARIANT_FALSE;
            return Read(pVal, [&](CShape* s) { *pVal = s->HasProtectionFlag(flag) ? VARIANT_TRUE : VARIANT_FALSE; });
        });
    }
    STDMETHODIMP put_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (s->HasProtectionFlag(flag) != (newVal != VARIANT_FALSE))
                    RecordChange(s, kUndoProperties);
                s->PutProtectionFlag(flag, newVal != VARIANT_FALSE);
                return S_OK;
            });
        });
    }
    STDMETHODIMP GetProtectionFlagsMasked(LONG Mask, LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return GetMasked(static_cast<DWORD>(Mask), pVal); });
    }
    STDMETHODIMP PutProtectionFlagsMasked(LONG val, LONG Mask) override
    {
        return this->Guarded([&]() -> HRESULT { return PutMasked(val, static_cast<DWORD>(Mask)); });
    }
    STDMETHODIMP get_DBFlags(LONG* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return GetMasked(0xFFFFFFFF, pVal); });
    }
    STDMETHODIMP put_DBFlags(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT { return PutMasked(newVal, 0xFFFFFFFF); });
    }

    // ---- geometry ----
    STDMETHODIMP get_Angle(double* pVal) override
    {
        // Degrees at the interface; the model keeps radians.
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            CShape* shape = nullptr;
            RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
            *pVal = ToDegrees(shape->GetAngle());
            return S_OK;
        });
    }
    STDMETHODIMP put_Angle(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                const double wanted = ToRadians(newVal);
                if (SameAngle(s->GetAngle(), wanted))
                    return S_OK;
                CUndoRecorder* recorder = m_control->GetUndoRecorder();
                const bool recorded = recorder && recorder->RecordShape(kUndoProperties, s, true) == S_OK;
                s->SetAngle(wanted);
                m_control->SetModified();
                if (recorded)
                    recorder->CloseOperation(SameAngle(s->GetAngle(), wanted));
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_PositionX(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return ReadPosition(pVal, true); });
    }
    STDMETHODIMP get_PositionY(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return ReadPosition(pVal, false); });
    }
    STDMETHODIMP put_PositionX(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT { return MoveTo(newVal, true); });
    }
    STDMETHODIMP put_PositionY(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT { return MoveTo(newVal, false); });
    }
    STDMETHODIMP Shift(double deltaX, double deltaY) override
    {
        return this->Guarded([&]() -> HRESULT {
            if (deltaX == 0 && deltaY == 0)
                return S_OK;
            return Change([&](CShape* s) -> HRESULT { return ShiftShape(s, deltaX, deltaY); });
        });
    }
    STDMETHODIMP Scale(float xc, float yc, float kx, float ky) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (!(xc == 0 && yc == 0 && kx == 1 && ky == 1))
                    RecordChange(s, kUndoProperties);
                s->Scale(xc, yc, kx, ky, nullptr, false);
                return S_OK;
            });
        });
    }
    STDMETHODIMP Rotate(float xc, float yc, float Angle) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (Angle != 0 && Angle != 360)
                    RecordChange(s, kUndoProperties);
                s->Rotate(xc, yc, Angle, nullptr, false);
                return S_OK;
            });
        });
    }
    STDMETHODIMP FlipVertical() override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                RecordChange(s, kUndoProperties);
                s->FlipVertical(nullptr, nullptr);
                return S_OK;
            });
        });
    }
    STDMETHODIMP FlipHorizontal() override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                RecordChange(s, kUndoProperties);
                s->FlipHorizontal(nullptr, nullptr);
                return S_OK;
            });
        });
    }
    STDMETHODIMP AlignPoint(LONG PointID, LONG pointShapeID, PointAlignments alignmentType) override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                RecordChange(s, kUndoProperties);
                return s->AlignPoint(PointID, pointShapeID, alignmentType);
            });
        });
    }
    STDMETHODIMP BringToFront() override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                RecordChange(s, kUndoProperties);
                return s->BringToFront();
            });
        });
    }
    STDMETHODIMP SendToBack() override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                RecordChange(s, kUndoProperties);
                return s->SendToBack();
            });
        });
    }
    STDMETHODIMP MarkPoint(LONG, LONG, OLE_COLOR) override
    {
        return this->Guarded([&]() -> HRESULT { return Change([&](CShape*) -> HRESULT { return S_OK; }); });
    }
    STDMETHODIMP Redraw() override
    {
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                m_control->RequestRedraw(16, s);
                return S_OK;
            });
        });
    }
    STDMETHODIMP GetBoundingRect(float* pLeft, float* pTop, float* pRight, float* pBottom) override
    {
        return this->Guarded([&]() -> HRESULT {
            CShape* shape = nullptr;
            RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
            return static_cast<T*>(this)->BoundingRectOf(shape, pLeft, pTop, pRight, pBottom);
        });
    }
    STDMETHODIMP get_SourceSiteID(LONG* SiteID) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(SiteID);
            CShape* shape = nullptr;
            RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
            int site = 0;
            const HRESULT hr = shape->GetSourceSiteId(&site);
            *SiteID = site;
            return hr;
        });
    }
    STDMETHODIMP put_SourceSiteID(LONG newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            CShape* shape = nullptr;
            RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
            m_control->SetModified();
            return shape->SetSourceSiteId(newVal);
        });
    }

    // ---- child collections ----
    STDMETHODIMP get_Shapes(IShapeCollection** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            return Change([&](CShape* s) -> HRESULT {
                if (!s->IsGroup())
                    return S_OK;
                const int id = s->GetId();
                const CLSID& clsid = (id == -1 || id == -7) ? CLSID_SelectedShapeCollection : CLSID_ShapeCollection;
                ycom::ComPtr<IDispatch> created;
                RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, created.PutVoid()));
                ycom::ComPtr<IShapeCollection> collection;
                RETURN_IF_FAILED(created->QueryInterface(IID_IShapeCollection, collection.PutVoid()));
                RETURN_IF_FAILED(collection->_Init(m_control->Handle(), reinterpret_cast<LONG_PTR>(s), 0));
                *pVal = collection.Detach();
                return S_OK;
            });
        });
    }
    STDMETHODIMP get_Points(IPointCollection** pVal) override
    {
        // A polyline, polygon or rectangle lists its points in the collection that also inserts
        // and removes them.
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            return Change([&](CShape* s) -> HRESULT {
                const int type = s->GetShapeType();
                const bool polyline = type == stPolyline || type == stPolygon || type == stRectangle;
                return NewShapeCollection(polyline ? CLSID_PolylinePointCollection : CLSID_PointCollection,
                                          IID_IPointCollection, s, pVal);
            });
        });
    }
    STDMETHODIMP get_LinkedPoints(ILinkedPointCollection** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            return Change([&](CShape* s) -> HRESULT {
                return NewShapeCollection(CLSID_LinkedPointCollection, IID_ILinkedPointCollection, s, pVal);
            });
        });
    }
    STDMETHODIMP get_Attributes(IAttributeCollection** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            return Change([&](CShape* s) -> HRESULT {
                return NewAttributeCollection(CLSID_AttributeCollection, IID_IAttributeCollection,
                                              reinterpret_cast<LONG_PTR>(&s->GetAttributes()), pVal);
            });
        });
    }
    STDMETHODIMP get_AttributeGroups(IShapeAttributeGroupCollection** pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pVal);
            *pVal = nullptr;
            return Change([&](CShape* s) -> HRESULT {
                return NewAttributeCollection(CLSID_ShapeAttributeGroupCollection, IID_IShapeAttributeGroupCollection,
                                              reinterpret_cast<LONG_PTR>(&s->GetAttributeGroups()), pVal);
            });
        });
    }
    STDMETHODIMP HitTest(float X, float Y, VARIANT_BOOL* bRes) override
    {
        // Shapes hit-test in device pixels: the drawing position goes through the current view.
        return this->Guarded([&]() -> HRESULT {
            return Read(bRes, [&](CShape* s) {
                const POINT device = m_control->GetCurrentViewport().WorldToDevice(CRealPoint(X, Y));
                *bRes = s->HitTestAt(static_cast<float>(device.x), static_cast<float>(device.y)) ? VARIANT_TRUE
                                                                                                   : VARIANT_FALSE;
            });
        });
    }
    STDMETHODIMP SaveToDB(LONG SiteID, LONG scenarioID) override
    {
        // The rows go under the control's current site: a caller naming another site is refused
        // rather than having the shape written where it did not ask.
        return this->Guarded([&]() -> HRESULT {
            return Change([&](CShape* s) -> HRESULT {
                if (SiteID != m_control->GetSiteId())
                    return E_INVALIDARG;
                return m_control->SaveShapeToDB(s, scenarioID);
            });
        });
    }

protected:
    template <class F>
    HRESULT Guarded(F&& body)
    {
        return ycom::Guard(*piid, std::forward<F>(body));
    }

    // A new collection of a class over the shape: made in-process, asked for the interface and
    // initialised with (control, shape, 0); a failing _Init leaves the out pointer null.
    template <class Out>
    HRESULT NewShapeCollection(const CLSID& clsid, REFIID iid, CShape* shape, Out** out)
    {
        ycom::ComPtr<IDispatch> created;
        RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, created.PutVoid()));
        ycom::ComPtr<Out> collection;
        RETURN_IF_FAILED(created->QueryInterface(iid, collection.PutVoid()));
        RETURN_IF_FAILED(collection->_Init(m_control->Handle(), reinterpret_cast<LONG_PTR>(shape), 0));
        *out = collection.Detach();
        return S_OK;
    }
    // A new attribute collection over one of the shape's containers.
    template <class Out>
    HRESULT NewAttributeCollection(const CLSID& clsid, REFIID iid, LONG_PTR container, Out** out)
    {
        ycom::ComPtr<Out> collection;
        RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, collection.PutVoid()));
        RETURN_IF_FAILED(collection->_Init(m_control->Handle(), container, 0));
        *out = collection.Detach();
        return S_OK;
    }
    // The wrapped shape: S_OK with it; S_FALSE for a wrapper never attached to one; "Shape not
    // found." when the shape is gone.
    HRESULT FindShape(CShape** shape) const
    {
        *shape = nullptr;
        if (!m_control)
            return S_FALSE;
        *shape = m_control->FindShape(m_shapeId);
        return *shape ? S_OK : ReportShapeNotFound();
    }
    // The wrapped shape, or `none` for a wrapper without one.
    HRESULT RequireShape(CShape** shape, HRESULT none) const
    {
        const HRESULT hr = FindShape(shape);
        return hr == S_FALSE ? none : hr;
    }
    // A getter: E_POINTER for a null pointer; without a shape the value stays and S_OK.
    template <class P, class F>
    HRESULT Read(P* out, F&& read) const
    {
        RETURN_IF_NULL_POINTER(out);
        CShape* shape = nullptr;
        const HRESULT hr = FindShape(&shape);
        if (hr != S_OK)
            return hr == S_FALSE ? S_OK : hr;
        read(shape);
        return S_OK;
    }
    // A setter or method: without a shape nothing happens (S_OK). While a load or save works on
    // the drawing on its worker, nothing changes ("Operation is in progress.", S_FALSE).
    template <class F>
    HRESULT Change(F&& body)
    {
        if (m_control && !m_control->IsIdle())
            return m_control->AnswerInProgress();
        CShape* shape = nullptr;
        const HRESULT hr = FindShape(&shape);
        if (hr != S_OK)
            return hr == S_FALSE ? S_OK : hr;
        return body(shape);
    }
    // Read and Change on the shape as the object's own kind K: a shape of another kind is left
    // alone. A change may answer a result or nothing (S_OK).
    template <class K, class P, class F>
    HRESULT ReadKind(P* out, F&& read) const
    {
        return Read(out, [&](CShape* s) {
            if (auto* kind = dynamic_cast<K*>(s))
                read(kind);
        });
    }
    template <class K, class F>
    HRESULT ChangeKind(F&& change)
    {
        return Change([&](CShape* s) -> HRESULT {
            auto* kind = dynamic_cast<K*>(s);
            if (!kind)
                return S_OK;
            if constexpr (std::is_void_v<decltype(change(kind))>) {
                change(kind);
                return S_OK;
            } else {
                return change(kind);
            }
        });
    }
    // The value of a drop-down list entry: its cookie, as VT_I4.
    static HRESULT CookieValue(DWORD cookie, VARIANT* out)
    {
        RETURN_IF_NULL_POINTER(out);
        VariantInit(out);
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(cookie);
        return S_OK;
    }

    // A property change about to happen: the site is modified, and the change is recorded for
    // undo (the shape, or the point named).
    void RecordChange(CShape* shape, int kind, int pointId = 0)
    {
        m_control->SetModified();
        CUndoRecorder* recorder = m_control->GetUndoRecorder();
        if (!recorder)
            return;
        CPointRecord* point = pointId ? m_control->GetPointPool().Find(pointId) : nullptr;
        if (point ? !recorder->ShouldRecordPoint(point) : !recorder->ShouldRecordShape(shape))
            return;
        // Changes of one element in a row fall into one unit; another element starts a new one
        // (the history is kept).
        CUndoUnit* current = recorder->GetCurrentUnit();
        if (!current || !(point ? current->IsPointRecorded(point) : current->IsShapeRecorded(shape)))
            recorder->EndCurrentUnit(true);
        if (point)
            recorder->RecordPoint(kind, point, false);
        else
            recorder->RecordShape(kind, shape, false);
    }

    // The protection word under a mask: 0 without a shape.
    HRESULT GetMasked(DWORD mask, LONG* pVal)
    {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = 0;
        return Read(pVal, [&](CShape* s) { *pVal = static_cast<LONG>(s->GetProtectionFlagsMasked(mask)); });
    }
    HRESULT PutMasked(LONG value, DWORD mask)
    {
        return Change([&](CShape* s) -> HRESULT {
            if (s->GetProtectionFlagsMasked(mask) != (static_cast<DWORD>(value) & mask))
                RecordChange(s, kUndoProperties);
            s->SetProtectionFlagsMasked(static_cast<DWORD>(value), mask);
            return S_OK;
        });
    }

    // The arrow types of lines and polylines (first or second end).
    HRESULT ReadArrowType(bool first, LONG* pVal)
    {
        return Read(pVal, [&](CShape* s) { *pVal = first ? s->GetFirstArrowType() : s->GetSecondArrowType(); });
    }
    HRESULT WriteArrowType(bool first, LONG value)
    {
        return Change([&](CShape* s) -> HRESULT {
            if ((first ? s->GetFirstArrowType() : s->GetSecondArrowType()) != value)
                RecordChange(s, kUndoProperties);
            if (first)
                s->SetFirstArrowType(value);
            else
                s->SetSecondArrowType(value);
            return S_OK;
        });
    }

    // Every kind's bounds leave out what the extended form leaves out; the plain shape and the
    // layer objects hide this with the shape's own plain bounds.
    HRESULT BoundingRectOf(CShape* shape, float* left, float* top, float* right, float* bottom)
    {
        return shape->GetBoundingRectEx(left, top, right, bottom, nullptr, 0);
    }

    // The shape's position: the centre of a group's extents (whatever its children), else its
    // first point, or the centre of a reference's extents when it has no point.
    static HRESULT PositionOf(CShape* shape, double* x, double* y)
    {
        const int type = shape->GetShapeType();
        if (type != stGroup && shape->GetPointCount() > 0) {
            const CPointRecord* first = shape->GetPoints().GetAt(0);
            *x = first->x;
            *y = first->y;
            return S_OK;
        }
        if (type != stGroup && type != stReference)
            return E_FAIL;
        float l = 0, t = 0, r = 0, b = 0;
        RETURN_IF_FAILED(shape->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0));
        *x = (static_cast<double>(l) + r) / 2;
        *y = (static_cast<double>(t) + b) / 2;
        return S_OK;
    }
    HRESULT ReadPosition(double* out, bool horizontal)
    {
        RETURN_IF_NULL_POINTER(out);
        CShape* shape = nullptr;
        const HRESULT hr = FindShape(&shape);
        if (hr != S_OK)
            return hr == S_FALSE ? S_OK : hr;
        double x = 0, y = 0;
        RETURN_IF_FAILED(PositionOf(shape, &x, &y));
        *out = horizontal ? x : y;
        return S_OK;
    }
    HRESULT MoveTo(double value, bool horizontal)
    {
        return Change([&](CShape* s) -> HRESULT {
            double x = 0, y = 0;
            RETURN_IF_FAILED(PositionOf(s, &x, &y));
            const double delta = value - (horizontal ? x : y);
            return ShiftShape(s, horizontal ? delta : 0, horizontal ? 0 : delta);
        });
    }
    // A move, recorded as such: a one-point shape records its point.
    HRESULT ShiftShape(CShape* shape, double dx, double dy)
    {
        const int pointId = shape->GetPointCount() == 1 ? shape->GetPoints().GetAt(0)->GetPointId() : 0;
        if (dx != 0 || dy != 0)
            RecordChange(shape, kUndoMove, pointId);
        return shape->Shift(static_cast<float>(dx), static_cast<float>(dy), nullptr, false);
    }

    static double ToDegrees(double radians) { return radians * 180.0 / 3.14159265358979323846; }
    static double ToRadians(double degrees) { return degrees * 3.14159265358979323846 / 180.0; }
    // Angles equal within the precision the model keeps them in (float points).
    static bool SameAngle(double a, double b) { return std::fabs(a - b) < 1e-6; }

    // The attached control (one reference held) and the wrapped shape's ID.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    int m_shapeId = 0;
};
