#include "persistence/AttributeRecordLoader.h"
#include "persistence/DbLoadContext.h"

int CAttributeRecordLoader::CountRows(CDbLoadContext*) { return 0; }

void CAttributeRecordLoader::Release() {}

HRESULT CAttributeRecordLoader::Finish(CDbLoadContext* context) { return context ? S_OK : E_INVALIDARG; }

HRESULT CAttributeRecordLoader::OpenQuery(CDbLoadContext*) { return S_OK; }

HRESULT CAttributeRecordLoader::FetchRow(CDbLoadContext*) { return S_OK; }

HRESULT CAttributeRecordLoader::OnRowFetched(CDbLoadContext*) { return S_OK; }

HRESULT CAttributeRecordLoader::OnRowDone(CDbLoadContext*) { return S_OK; }

HRESULT CAttributeRecordLoader::Run(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    HRESULT hr = OpenQuery(context);
    if (hr != S_OK)
        return hr;
    int rows = 0;
    while ((hr = FetchRow(context)) == S_OK) {
        hr = OnRowFetched(context);
        if (hr == S_OK)
            hr = OnRowDone(context);
        if (hr != S_OK)
            break;
        ++rows;
    }
    // No row at all, or the first row failed: that is the answer.
    if (rows == 0 && hr != S_OK) {
        Finish(context);
        return hr;
    }
    return Finish(context);
}
