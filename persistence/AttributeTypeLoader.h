#pragma once
#include "persistence/DatabaseRecordLoader.h"

// The attribute types of a site's attribute groups.
class CAttributeTypeLoader : public CSharedDatabaseLoader<CAttributeTypeLoader>
{
protected:
    HRESULT FetchRow(CDbLoadContext* context) override;
    const SqlStatement* Query(int scope, bool count) const override;
};
