#pragma once
// Where a benchmark's time goes: a thread that stops the measured thread about every millisecond,
// walks its stack with the modules' own unwind tables (.pdata, as the system's exception dispatch
// does) and keeps the return addresses. Nothing is allocated while the thread stands: it may hold
// the heap's lock. The samples go to a text file that bench/profile_report.py turns into
// functions (x86_64-w64-mingw32-addr2line on the modules and their debugging information).
// Only x64: the benchmark programs are built for it.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#if defined(_M_X64) || defined(__x86_64__)

class SamplingProfiler
{
public:
    // The calling thread is the one sampled.
    SamplingProfiler()
    {
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &m_target, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
        m_stackLow = reinterpret_cast<DWORD64>(tib->StackLimit);
        m_stackHigh = reinterpret_cast<DWORD64>(tib->StackBase);
        m_samples.resize(kCapacity);
    }
    ~SamplingProfiler()
    {
        Stop();
        CloseHandle(m_target);
    }
    SamplingProfiler(const SamplingProfiler&) = delete;
    SamplingProfiler& operator=(const SamplingProfiler&) = delete;

    // Starts sampling under a name (the modules loaded by now are the ones walked).
    void Start(const char* section)
    {
        Stop();
        m_section = section;
        LoadModules();
        m_stop = false;
        m_thread = CreateThread(nullptr, 0, &SamplingProfiler::Run, this, 0, nullptr);
    }
    void Stop()
    {
        if (!m_thread)
            return;
        m_stop = true;
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
        Flush();
    }
    // Appends the samples of each section to the file.
    void SetOutput(const std::string& path) { m_output = path; }

private:
    static const size_t kDepth = 64;
    static const size_t kCapacity = 1 << 22;  // addresses (32 MB)

    struct Module
    {
        DWORD64 base = 0, end = 0;
        const RUNTIME_FUNCTION* table = nullptr;
        DWORD count = 0;
        std::string path;
    };

    void LoadModules()
    {
        m_modules.clear();
        HMODULE handles[512];
        DWORD needed = 0;
        if (!EnumProcessModules(GetCurrentProcess(), handles, sizeof handles, &needed))
            return;
        for (DWORD i = 0; i < std::min<DWORD>(needed / sizeof(HMODULE), 512); ++i) {
            MODULEINFO info = {};
            if (!GetModuleInformation(GetCurrentProcess(), handles[i], &info, sizeof info))
                continue;
            Module m;
            m.base = reinterpret_cast<DWORD64>(info.lpBaseOfDll);
            m.end = m.base + info.SizeOfImage;
            const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(m.base);
            const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(m.base + dos->e_lfanew);
            const IMAGE_DATA_DIRECTORY& pdata = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
            if (pdata.VirtualAddress && pdata.Size) {
                m.table = reinterpret_cast<const RUNTIME_FUNCTION*>(m.base + pdata.VirtualAddress);
                m.count = pdata.Size / sizeof(RUNTIME_FUNCTION);
            }
            char path[MAX_PATH] = {};
            GetModuleFileNameA(handles[i], path, MAX_PATH);
            m.path = path;
            m_modules.push_back(m);
        }
    }

    const RUNTIME_FUNCTION* Lookup(DWORD64 pc, DWORD64* base) const
    {
        for (const Module& m : m_modules) {
            if (pc < m.base || pc >= m.end)
                continue;
            *base = m.base;
            const DWORD rva = static_cast<DWORD>(pc - m.base);
            DWORD lo = 0, hi = m.count;
            while (lo < hi) {
                const DWORD mid = (lo + hi) / 2;
                if (rva < m.table[mid].BeginAddress)
                    hi = mid;
                else if (rva >= m.table[mid].EndAddress)
                    lo = mid + 1;
                else
                    return &m.table[mid];
            }
            return nullptr;
        }
        *base = 0;
        return nullptr;
    }

    static DWORD WINAPI Run(void* self)
    {
        static_cast<SamplingProfiler*>(self)->Loop();
        return 0;
    }

    void Loop()
    {
        timeBeginPeriod(1);
        while (!m_stop) {
            Sleep(1);
            if (m_used + kDepth + 1 >= kCapacity)
                continue;
            if (SuspendThread(m_target) == static_cast<DWORD>(-1))
                continue;
            CONTEXT context = {};
            context.ContextFlags = CONTEXT_FULL;
            if (GetThreadContext(m_target, &context)) {
                const size_t start = m_used++;
                size_t depth = 0;
                for (; depth < kDepth; ++depth) {
                    const DWORD64 pc = context.Rip;
                    if (!pc)
                        break;
                    m_samples[m_used++] = pc;
                    DWORD64 base = 0;
                    const RUNTIME_FUNCTION* function = Lookup(pc, &base);
                    if (!function) {
                        // A leaf without unwind data: its caller's address lies on the stack top.
                        if (context.Rsp < m_stackLow || context.Rsp + 8 > m_stackHigh)
                            break;
                        context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
                        context.Rsp += 8;
                    } else {
                        void* handlerData = nullptr;
                        DWORD64 frame = 0;
                        RtlVirtualUnwind(0, base, pc, const_cast<RUNTIME_FUNCTION*>(function), &context,
                                         &handlerData, &frame, nullptr);
                    }
                    if (context.Rsp < m_stackLow || context.Rsp >= m_stackHigh)
                        break;
                }
                m_samples[start] = depth;
            }
            ResumeThread(m_target);
        }
        timeEndPeriod(1);
    }

    void Flush()
    {
        if (m_output.empty() || !m_used)
            return;
        FILE* f = std::fopen(m_output.c_str(), "a");
        if (!f)
            return;
        std::fprintf(f, "section %s\n", m_section.c_str());
        for (const Module& m : m_modules)
            std::fprintf(f, "module %llx %llx %s\n", static_cast<unsigned long long>(m.base),
                         static_cast<unsigned long long>(m.end), m.path.c_str());
        for (size_t i = 0; i < m_used;) {
            const size_t depth = static_cast<size_t>(m_samples[i++]);
            std::fprintf(f, "sample");
            for (size_t k = 0; k < depth && i < m_used; ++k)
                std::fprintf(f, " %llx", static_cast<unsigned long long>(m_samples[i++]));
            std::fprintf(f, "\n");
        }
        std::fclose(f);
        m_used = 0;
    }

    HANDLE m_target = nullptr;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    DWORD64 m_stackLow = 0, m_stackHigh = 0;
    std::vector<Module> m_modules;
    std::vector<DWORD64> m_samples;
    size_t m_used = 0;
    std::string m_section;
    std::string m_output;
};

#else

class SamplingProfiler
{
public:
    void Start(const char*) {}
    void Stop() {}
    void SetOutput(const std::string&) {}
};

#endif
