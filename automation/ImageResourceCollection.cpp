#include "automation/ImageResourceCollection.h"

// _IReadOnlyCollection
STDMETHODIMP CImageResourceCollection::_Init(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }

// IImageResourceCollection
STDMETHODIMP CImageResourceCollection::get_Item(LONG, IImageResource **) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::get_ItemByID(LONG, IImageResource **) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::get_ItemByDBID(LONG, IImageResource **) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::Load(LONG) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::LoadResource(LONG, IImageResource **) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::LoadResourceFromFile(BSTR, IImageResource **) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::DeleteByIDExt(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::DeleteExt(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceCollection::LoadResourceFromHandle(LONG_PTR, IImageResource **) { return E_NOTIMPL; }
