#pragma once
// The exception guard of every COM member: no C++ exception crosses into a client. A member's
// body runs inside Guard; an exception that leaves the body becomes the member's result:
// std::bad_alloc gives E_OUTOFMEMORY, anything else E_UNEXPECTED with error info for the
// interface (the exception's text when it has one). The shared implementation templates and
// object creation (CreateInstance, NewObject) run every member under it:
//
//     STDMETHODIMP get_Count(LONG* count) override
//     {
//         return Guard(*piid, [&]() -> HRESULT { ... });
//     }
#include <windows.h>

namespace ycom {

// The result of a member for the exception in flight; call it inside a catch block only.
HRESULT ResultOfCaughtException(const IID& iid) noexcept;

// A test seam: the hook runs inside the guard of every member, before its body, with the
// member's interface; a hook that throws shows what the client gets when a body throws. Answers
// the previous hook (null: none).
using GuardHook = void (*)(const IID& iid);
GuardHook SetGuardHook(GuardHook hook);
void RunGuardHook(const IID& iid);

template <class F>
HRESULT Guard(const IID& iid, F&& body) noexcept
{
    try {
        RunGuardHook(iid);
        return body();
    } catch (...) {
        return ResultOfCaughtException(iid);
    }
}

} // namespace ycom
