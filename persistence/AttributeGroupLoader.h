#pragma once
#include "persistence/DatabaseRecordLoader.h"

// The attribute groups of a site (with their parent groups).
// One process-wide object, counted by Acquire and Release.
class CAttributeGroupLoader : public CDatabaseRecordLoader
{
public:
    // The process-wide loader, made on first use; every call adds one use (also when it could
    // not be made). Null when it cannot be made.
    static CAttributeGroupLoader* Acquire();
    // One use less; the last one deletes the loader (a release without one sets the count to 0).
    void Release() override;
    int CountRows(CDbLoadContext* context) override;

protected:
    HRESULT OpenQuery(CDbLoadContext* context) override;
    HRESULT FetchRow(CDbLoadContext* context) override;
    const SqlStatement* Query(int scope, bool count) const override;
};
