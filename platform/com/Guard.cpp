#include "com/Guard.h"
#include <oleauto.h>
#include <atomic>
#include <exception>
#include <new>
#include "com/ErrorInfo.h"
#include "com/Module.h"

namespace ycom {

namespace {
std::atomic<GuardHook> g_hook{nullptr};
}

HRESULT ResultOfCaughtException(const IID& iid) noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        // No error object either: making one needs memory. An older one must not be read as
        // this failure's.
        ::SetErrorInfo(0, nullptr);
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        return ReportErrorA(TheModule().ErrorSource(), iid, e.what(), E_UNEXPECTED);
    } catch (...) {
        return ReportErrorA(TheModule().ErrorSource(), iid, "Unexpected error.", E_UNEXPECTED);
    }
}

GuardHook SetGuardHook(GuardHook hook) { return g_hook.exchange(hook); }

void RunGuardHook(const IID& iid)
{
    if (GuardHook hook = g_hook.load())
        hook(iid);
}

} // namespace ycom
