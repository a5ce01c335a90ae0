#pragma once
#include <mutex>
#include <new>
#include "persistence/AttributeRecordLoader.h"

struct SqlStatement;
class SqlValue;

// The loaders that read from the database: connecting through the context's session (when it
// has no statement yet), running the loader's query for the context's key and scope, counting
// its rows, and draining what a query leaves. A concrete loader names its statements and reads
// its rows.
class CDatabaseRecordLoader : public CAttributeRecordLoader
{
public:
    int CountRows(CDbLoadContext* context) override;
    HRESULT Finish(CDbLoadContext* context) override;

protected:
    // Runs the select of the context's scope.
    HRESULT OpenQuery(CDbLoadContext* context) override;
    // Without a concrete row handler: fetches the row and handles nothing.
    HRESULT FetchRow(CDbLoadContext* context) override;

    // The loader's statement for a scope (count or select).
    virtual const SqlStatement* Query(int scope, bool count) const = 0;

private:
    HRESULT Connect(CDbLoadContext* context);
    HRESULT RunQuery(CDbLoadContext* context, bool count);
};

// One process-wide loader of a kind, counted by Acquire and Release.
template <class Loader>
class CSharedDatabaseLoader : public CDatabaseRecordLoader
{
public:
    // The process-wide loader, made on first use; every call adds one use (also when it could
    // not be made). Null when it cannot be made.
    static Loader* Acquire()
    {
        std::lock_guard<std::mutex> lock(s_lock);
        if (!s_loader)
            s_loader = new (std::nothrow) Loader();
        ++s_uses;
        return s_loader;
    }

    // One use less; the last one deletes the loader (a release without one sets the count to 0).
    void Release() override
    {
        std::lock_guard<std::mutex> lock(s_lock);
        if (!s_loader || --s_uses <= 0) {
            s_uses = 0;
            delete s_loader;
            s_loader = nullptr;
        }
    }

private:
    static inline std::mutex s_lock;
    static inline Loader* s_loader = nullptr;
    static inline long s_uses = 0;
};
