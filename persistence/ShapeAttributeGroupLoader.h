#pragma once
#include "persistence/DatabaseRecordLoader.h"

// The attribute groups given to shapes: of a site, of one shape (scope 2), or of a shape and the
// shapes whose group it is (scope 3).
class CShapeAttributeGroupLoader : public CSharedDatabaseLoader<CShapeAttributeGroupLoader>
{
protected:
    HRESULT FetchRow(CDbLoadContext* context) override;
    const SqlStatement* Query(int scope, bool count) const override;
};
