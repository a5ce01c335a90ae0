#pragma once
#include "persistence/DatabaseRecordLoader.h"

// The attribute groups of a site (with their parent groups).
class CAttributeGroupLoader : public CSharedDatabaseLoader<CAttributeGroupLoader>
{
protected:
    HRESULT FetchRow(CDbLoadContext* context) override;
    const SqlStatement* Query(int scope, bool count) const override;
};
