#pragma once
#include <windows.h>

// An object with a use count (1 at construction) that its holders release instead of deleting.
class CCountedObject
{
public:
    CCountedObject() = default;
    CCountedObject(const CCountedObject&) = delete;
    CCountedObject& operator=(const CCountedObject&) = delete;

    LONG GetUseCount() const { return m_useCount; }
    LONG AddUse() { return ++m_useCount; }
    // One use goes (never below 0); with the last one the object deletes itself. Returns the
    // remaining count.
    virtual LONG Release(int ownerId);

protected:
    virtual ~CCountedObject() = default;
    // Called once the last use has gone, before the object deletes itself.
    virtual void OnFinalRelease() {}

    LONG m_useCount = 1;
};
