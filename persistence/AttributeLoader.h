#pragma once
#include "persistence/DatabaseRecordLoader.h"

// The attribute values of shapes: of a site, of one shape (scope 2), or of a shape and the shapes
// whose group it is (scope 3).
class CAttributeLoader : public CSharedDatabaseLoader<CAttributeLoader>
{
protected:
    HRESULT FetchRow(CDbLoadContext* context) override;
    const SqlStatement* Query(int scope, bool count) const override;
};
