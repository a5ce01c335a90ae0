#include "automation/DrawingSettingCollection.h"

// IDrawingSettingCollection
STDMETHODIMP CDrawingSettingCollection::CreateDrawingSetting(BSTR, float, Colors, Colors, LONG, LONG, VARIANT_BOOL, float, float, VARIANT_BOOL, float, float, float, float, float, float, float, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSettingCollection::get_Item(LONG, IDrawingSetting **) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSettingCollection::get_ItemByID(LONG, IDrawingSetting **) { return E_NOTIMPL; }
