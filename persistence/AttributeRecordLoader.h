#pragma once
#include <windows.h>

class CDbLoadContext;

// The fixed sequence of a database loader of the attribute model: open the query, fetch and
// handle each row, finish. The classes below it supply the steps; none of them holds data, all
// state lives in the load context. The concrete loaders are process-wide objects with a use
// count (Acquire, Release).
class CAttributeRecordLoader
{
public:
    virtual ~CAttributeRecordLoader() = default;

    // The number of rows the loader will read; -1 when its count query cannot run.
    virtual int CountRows(CDbLoadContext* context);
    // One use of the process-wide loader goes.
    virtual void Release();
    // Drains and closes what the query left; S_OK (E_INVALIDARG without a context).
    virtual HRESULT Finish(CDbLoadContext* context);
    // The fetch loop: S_OK after rows, 1 (S_FALSE) for no rows at all, or the failure of the
    // query or of the first row. A failing later row ends the loop without being returned.
    HRESULT Run(CDbLoadContext* context);

protected:
    virtual HRESULT OpenQuery(CDbLoadContext* context);
    // 0 when a row was read and handled, 1 when there are no more rows, an error otherwise.
    virtual HRESULT FetchRow(CDbLoadContext* context);
    virtual HRESULT OnRowFetched(CDbLoadContext* context);
    virtual HRESULT OnRowDone(CDbLoadContext* context);
};
