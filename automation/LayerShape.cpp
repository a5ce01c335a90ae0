#include "automation/LayerShape.h"

// Selectable by flags: the shape's own not-selectable bit is clear, and so, up the chain, its
// layer's.
static bool IsSelectableByFlags(const CShape* shape)
{
    for (int depth = 0; shape && depth < 64; ++depth) {
        if (shape->HasState(CShape::stNotSelectable))
            return false;
        if (shape->GetLayer() == shape)
            break;
        shape = shape->GetLayer();
    }
    return true;
}

// ILayerShape
STDMETHODIMP CLayerShape::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return Change([&](CShape* s) -> HRESULT {
            const CLayer* layer = dynamic_cast<const CLayer*>(s);
            *pVal = nullptr;
            if (layer)
                RETURN_IF_NULL_ALLOC(*pVal = SysAllocString(AnsiToWide(layer->GetName().c_str())));
            return S_OK;
        });
    });
}
STDMETHODIMP CLayerShape::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            CLayer* layer = dynamic_cast<CLayer*>(s);
            if (!layer)
                return S_OK;
            const std::string name = newVal ? WideToAnsi(newVal) : "";
            if (name != layer->GetName())
                RecordChange(s, kUndoProperties);
            layer->SetName(name.c_str());
            return S_OK;
        });
    });
}
STDMETHODIMP CLayerShape::get_Flags(LONG* pVal)
{
    // A layer keeps no flags of its own.
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = 0;
        return S_OK;
    });
}
STDMETHODIMP CLayerShape::put_Flags(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            if (newVal != 0)
                RecordChange(s, kUndoProperties);
            return S_OK;
        });
    });
}
STDMETHODIMP CLayerShape::get_Selectable(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CShape* s) { *pVal = IsSelectableByFlags(s) ? VARIANT_TRUE : VARIANT_FALSE; });
    });
}
STDMETHODIMP CLayerShape::put_Selectable(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            if (IsSelectableByFlags(s) != (newVal != VARIANT_FALSE))
                RecordChange(s, kUndoProperties);
            s->SetSelectable(newVal != VARIANT_FALSE);
            return S_OK;
        });
    });
}
