#pragma once
// HRESULT propagation: return early on failure instead of cleanup ladders (the owners in
// Owners.h release whatever was acquired on the way out).
#include <windows.h>

#define RETURN_IF_FAILED(expr)                                                                   \
    do {                                                                                         \
        const HRESULT _hr_ = (expr);                                                             \
        if (FAILED(_hr_))                                                                        \
            return _hr_;                                                                         \
    } while (0)

// Returns hr when cond holds.
#define RETURN_HR_IF(hr, cond)                                                                   \
    do {                                                                                         \
        if (cond)                                                                                \
            return (hr);                                                                         \
    } while (0)

// Out-pointer checks at the top of COM members: E_POINTER for a null pointer.
#define RETURN_IF_NULL_POINTER(p) RETURN_HR_IF(E_POINTER, (p) == nullptr)

// Allocation checks: E_OUTOFMEMORY for a null result.
#define RETURN_IF_NULL_ALLOC(p) RETURN_HR_IF(E_OUTOFMEMORY, (p) == nullptr)

// A Win32 BOOL result turned into an HRESULT from GetLastError (E_FAIL when none is set).
inline HRESULT HResultFromLastError()
{
    const DWORD err = GetLastError();
    return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
}

#define RETURN_IF_WIN32_BOOL_FALSE(expr)                                                         \
    do {                                                                                         \
        if (!(expr))                                                                             \
            return HResultFromLastError();                                                       \
    } while (0)

// A registry (LONG) result that is not ERROR_SUCCESS.
#define RETURN_IF_WIN32_ERROR(expr)                                                              \
    do {                                                                                         \
        const LONG _rc_ = (expr);                                                                \
        if (_rc_ != ERROR_SUCCESS)                                                               \
            return HRESULT_FROM_WIN32(static_cast<DWORD>(_rc_));                                 \
    } while (0)
