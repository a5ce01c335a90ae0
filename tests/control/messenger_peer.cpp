// The other process of the messenger tests: sends a number of update messages of its session as
// fast as it can, then exits 0 when every one was written. Arguments: data source, user,
// password ("-" for empty), session ID, count, first shape ID.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include "persistence/MessengerSender.h"
#include "com/MessageBoxHook.h"

namespace {

// Nobody is there to close a message box: its text goes to the error output instead.
int PrintBox(HWND, const char* text, const char* caption, UINT)
{
    fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

std::string Arg(const char* text) { return std::string(text) == "-" ? std::string() : std::string(text); }

} // namespace

int main(int argc, char** argv)
{
    if (argc < 7)
        return 2;
    ycom::SetMessageBoxHandler(&PrintBox);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    auto sender = std::make_shared<CMessengerSender>();
    sender->SetLogin({Arg(argv[1]), Arg(argv[2]), Arg(argv[3])});
    const int session = atoi(argv[4]);
    const int count = atoi(argv[5]);
    const int first = atoi(argv[6]);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        if (FAILED(sender->Send({1, 1, first + i, session})))
            ++failed;
    }
    while (sender->PendingSends() > 0)
        Sleep(5);
    // Each send sets the last error; a failure among them shows as the count of rows the test
    // reads, the last one here.
    if (!sender->GetLastError().empty()) {
        fprintf(stderr, "%s\n", sender->GetLastError().c_str());
        ++failed;
    }
    CoUninitialize();
    return failed == 0 ? 0 : 1;
}
