#pragma once
// A process-wide table of the live objects of one class. Hidden automation members receive
// an object as a pointer-sized number from any client, scripts included; such a number is
// only ever turned back into an object through this table, so an arbitrary value cannot
// make the server touch memory that holds no such object.
#include <windows.h>
#include <set>

namespace ycom {

template <class T>
class LiveObjects {
public:
    static void Add(T* object)
    {
        Table& t = Get();
        EnterCriticalSection(&t.lock);
        t.objects.insert(object);
        LeaveCriticalSection(&t.lock);
    }
    static void Remove(T* object)
    {
        Table& t = Get();
        EnterCriticalSection(&t.lock);
        t.objects.erase(object);
        LeaveCriticalSection(&t.lock);
    }
    // The live object whose address is `handle`, or null.
    static T* Find(LONG_PTR handle)
    {
        Table& t = Get();
        EnterCriticalSection(&t.lock);
        auto found = t.objects.find(reinterpret_cast<T*>(handle));
        T* object = found != t.objects.end() ? *found : nullptr;
        LeaveCriticalSection(&t.lock);
        return object;
    }
    static LONG_PTR HandleOf(const T* object) { return reinterpret_cast<LONG_PTR>(object); }

private:
    struct Table {
        Table() { InitializeCriticalSection(&lock); }
        ~Table() { DeleteCriticalSection(&lock); }
        CRITICAL_SECTION lock;
        std::set<T*> objects;
    };
    static Table& Get()
    {
        static Table table;
        return table;
    }
};

} // namespace ycom
