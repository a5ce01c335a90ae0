// The part of the DXF load benchmark that runs under Wine; bench/dxf_bench.py drives it and
// times the peers. One measure a run, printed as "key=value" lines:
//   yvex_dxf_bench groups FILE   every group of FILE through CDxfFile::ReadGroup, three passes;
//                                the best: seconds, groups, bytes
//   yvex_dxf_bench load FILE     FILE loaded into a new control through IDXFOperations::LoadDXF,
//                                as a host loads it (on its own thread: DXFMODE_FOREGROUND returns
//                                when the drawing is in): seconds and the number of shapes, or a
//                                note and exit code 2 when the control cannot load it; then the
//                                same file loaded again into the same control, in place of the
//                                first drawing, as a host opens its next file: again_seconds; then
//                                the control released with the drawing in it: release_seconds
//   yvex_dxf_bench entities FILE the ENTITIES section read into a control's drawing by the shapes'
//                                own readers (the root group's section reader), with no tables
//                                or blocks: seconds, groups, shapes
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfFile.h"
#include "model/Group.h"
#include "YVEX_h.h"

#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int GroupPass(const char* path)
{
    double best = 0.0;
    unsigned long long groups = 0, bytes = 0;
    for (int pass = 0; pass < 3; ++pass) {
        CDxfFile dxf;
        const double start = Now();
        if (!dxf.Open(path, true)) {
            std::printf("note=cannot open the file\n");
            return 1;
        }
        unsigned long long n = 0;
        while (dxf.ReadGroup())
            ++n;
        const double seconds = Now() - start;
        if (dxf.HasError()) {
            std::printf("note=malformed at line %llu\n", static_cast<unsigned long long>(dxf.GetErrorLine()));
            return 1;
        }
        bytes = dxf.GetTotalSize();
        dxf.Close();
        if (pass == 0 || seconds < best)
            best = seconds;
        groups = n;
    }
    std::printf("seconds=%.6f\ngroups=%llu\nbytes=%llu\n", best, groups, bytes);
    return 0;
}

int Entities(const char* path)
{
    CControlCore control;
    // The fixed groups a drawing has (root, block library, layers), and shape IDs from 20 up.
    CGroup* root = nullptr;
    for (int id : {static_cast<int>(BASE_ID), static_cast<int>(LIBRARY_ID), static_cast<int>(LAYERS_ID)}) {
        auto* group = new CGroup(id, &control);
        control.GetShapeMap().Insert(group);
        if (id == BASE_ID)
            root = group;
    }
    control.SetRootId(BASE_ID);
    const int first = 20;
    control.GetShapeMap().CreateShape(stDummy, true, true, &first);

    const double start = Now();
    CDxfFile dxf;
    if (!root || !dxf.Open(path, true)) {
        std::printf("note=cannot open the file\n");
        return 1;
    }
    bool found = false;
    while (!found && dxf.ReadGroup())
        found = dxf.GetCode() == 2 && std::strcmp(dxf.GetText(), "ENTITIES") == 0;
    if (!found || root->ReadDxfEntitiesSection(dxf) != 1) {
        std::printf("note=no ENTITIES section read\n");
        return 1;
    }
    const double seconds = Now() - start;
    std::printf("seconds=%.6f\nshapes=%zu\n", seconds, root->Children().size());
    return 0;
}

int Load(const char* path)
{
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    int result = 2;
    IDXFOperations* operations = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDXFOperations,
                                  reinterpret_cast<void**>(&operations));
    if (FAILED(hr)) {
        std::printf("note=no control (0x%08lX): is yvex.dll registered?\n", static_cast<unsigned long>(hr));
    } else {
        const int wide = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
        BSTR name = SysAllocStringLen(nullptr, static_cast<UINT>(wide > 0 ? wide - 1 : 0));
        MultiByteToWideChar(CP_ACP, 0, path, -1, name, wide);
        const double start = Now();
        hr = operations->LoadDXF(name, DXFMODE_FOREGROUND);
        const double seconds = Now() - start;
        if (hr != S_OK) {
            std::printf("note=LoadDXF answered 0x%08lX\n", static_cast<unsigned long>(hr));
        } else {
            // What came in: the shapes of the drawing, through the site's global collection count.
            long shapes = -1;
            ISite* site = nullptr;
            IYVEXControl* control = nullptr;
            if (SUCCEEDED(operations->QueryInterface(IID_IYVEXControl, reinterpret_cast<void**>(&control)))) {
                if (SUCCEEDED(control->get_Site(&site)) && site) {
                    IShapeCollection* collection = nullptr;
                    if (SUCCEEDED(site->get_Shapes(&collection)) && collection) {
                        collection->get_Count(&shapes);
                        collection->Release();
                    }
                    site->Release();
                }
                control->Release();
            }
            std::printf("seconds=%.6f\nshapes=%ld\n", seconds, shapes);
            // The process's peak so far: the load's own, before the second load below.
            PROCESS_MEMORY_COUNTERS memory = {};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
                std::printf("peak_bytes=%llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize));
            result = 0;
            const double again = Now();
            if (operations->LoadDXF(name, DXFMODE_FOREGROUND) == S_OK)
                std::printf("again_seconds=%.6f\n", Now() - again);
        }
        SysFreeString(name);
        // The last reference: the control goes, and the whole drawing with it, as when a host
        // closes it.
        const double released = Now();
        operations->Release();
        if (result == 0)
            std::printf("release_seconds=%.6f\n", Now() - released);
    }
    CoUninitialize();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc == 3 ? argv[1] : "";
    int result = 64;
    if (mode == "groups")
        result = GroupPass(argv[2]);
    else if (mode == "load")
        result = Load(argv[2]);
    else if (mode == "entities")
        result = Entities(argv[2]);
    else
        std::fprintf(stderr, "usage: yvex_dxf_bench groups|load|entities FILE\n");
    std::fflush(stdout);
    return result;
}
