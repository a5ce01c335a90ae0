#include "automation/ReadOnlyShapeCollection.h"

HRESULT CReadOnlyShapeCollection::Attach(CYVEXControl* control, LONG_PTR lParam)
{
    if (lParam)
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    AttachList(control, {});
    return S_OK;
}

HRESULT NewReadOnlyShapeCollection(CYVEXControl* control, std::vector<int> ids, IReadOnlyShapeCollection** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    HRESULT hr = S_OK;
    auto collection = ycom::NewObject<CReadOnlyShapeCollection>(&hr);
    if (!collection)
        return hr;
    collection->AttachList(control, std::move(ids));
    return collection->QueryInterface(IID_IReadOnlyShapeCollection, reinterpret_cast<void**>(out));
}
