#pragma once
// The GeneralPropPage class (GeneralPropPage Class).
#include "com/ComObject.h"
#include "YVEX_h.h"

class CGeneralPropPage : public ycom::ObjectRoot,
    public IUnknown {
public:
    DECLARE_CLASS_ID(CLSID_GeneralPropPage)
    BEGIN_INTERFACE_MAP(CGeneralPropPage)
        INTERFACE_ENTRY(IUnknown)
    END_INTERFACE_MAP()
};
