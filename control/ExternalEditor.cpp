#include "control/ExternalEditor.h"
#include "com/WholeFile.h"
#include "com/Owners.h"
#include <vector>

namespace {

// Deletes the temporary file however the edit ends.
class TemporaryFile
{
public:
    ~TemporaryFile()
    {
        if (!path.empty())
            DeleteFileA(path.c_str());
    }
    std::string path;
};

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->processId && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool CallerHasActiveWindow()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && info.hwndActive;
}

bool WriteWholeFile(const std::string& path, const char* data, size_t size)
{
    ycom::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(size - done > 0x10000000 ? 0x10000000 : size - done);
        DWORD written = 0;
        if (!WriteFile(file.Get(), data + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}


} // namespace

bool EditTextWithExternalProgram(const char* program, const char* text, size_t size, HWND owner, std::string* edited)
{
    if (!program || !*program || !edited || (!text && size))
        return false;
    char directory[1000] = {};
    const DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory)
        return false;
    char name[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(directory, "YVX", 0, name))
        return false;
    TemporaryFile file;
    file.path = name;
    if (!WriteWholeFile(file.path, text, size))
        return false;
    // The editor recognises rich text by the extension.
    std::string rtf = file.path;
    const size_t dot = rtf.find_last_of('.');
    const size_t slash = rtf.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        rtf.erase(dot);
    rtf += ".rtf";
    if (!MoveFileExA(file.path.c_str(), rtf.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    file.path = rtf;

    // The file name in quotes: the temporary folder may have spaces in its path.
    std::string command = std::string(program) + " \"" + rtf + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process))
        return false;
    ycom::Handle processHandle(process.hProcess);
    ycom::Handle threadHandle(process.hThread);

    if (!owner || owner == reinterpret_cast<HWND>(-1)) {
        WaitForSingleObject(processHandle.Get(), INFINITE);
    } else {
        bool broughtToFront = false;
        HANDLE handles[1] = {processHandle.Get()};
        for (;;) {
            const DWORD wait = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_PAINT);
            if (wait == WAIT_OBJECT_0 || wait == WAIT_FAILED)
                break;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
                DispatchMessageA(&msg);
            if (!broughtToFront && CallerHasActiveWindow()) {
                WindowSearch search = {process.dwProcessId, nullptr};
                EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
                if (search.found) {
                    SetForegroundWindow(search.found);
                    broughtToFront = true;
                }
            }
        }
    }
    return ycom::ReadWholeFile(file.path.c_str(), edited);
}
