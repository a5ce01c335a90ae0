#pragma once
#include "persistence/AttributeRecordLoader.h"

struct SqlStatement;
class SqlValue;

// The loaders that read from the database: connecting through the context's session (when it
// has no statement yet), draining what a query leaves, and the process-wide use count that each
// concrete loader keeps for itself.
class CDatabaseRecordLoader : public CAttributeRecordLoader
{
public:
    HRESULT Finish(CDbLoadContext* context) override;

protected:
    HRESULT OpenQuery(CDbLoadContext* context) override;
    // Without a concrete row handler: fetches the row and handles nothing.
    HRESULT FetchRow(CDbLoadContext* context) override;

    // Connects (when needed) and runs the loader's query for the context's key and scope.
    HRESULT RunQuery(CDbLoadContext* context, bool count);
    // Column 1 of the count query's one row; -1 when the query cannot run.
    int RunCount(CDbLoadContext* context);
    // The loader's statement for a scope (count or select).
    virtual const SqlStatement* Query(int scope, bool count) const = 0;
};
