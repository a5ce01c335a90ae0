// DXF loads of a control hosted in a window, as its host sees them: a quiet load shows no message
// box and sends the host no event, on the host's thread or on a worker, and still reports its
// failure through the result and LastError; a load that is not quiet shows the box, owned by the
// control's window, and announces itself.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "tests/support/HostedControl.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/TestPaths.h"
#include "model/Group.h"

using namespace controltest;
using hosttest::PumpMessages;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::string Fixture(const char* name) { return WinPath("YVEX_SOURCE_DIR", std::string("tests/fixtures/dxf/") + name); }

const char kVersionMessage[] = "This version of DXF is available under request.\nPlease contact the vendor.";

class DxfHosted : public HostedControl
{
protected:
    // Loads as IDXFOperations::LoadDXF does and pumps until the control is idle again.
    HRESULT Load(const std::string& path, long mode)
    {
        const HRESULT hr = control->StartDxfLoad(path.c_str(), static_cast<DWORD>(mode));
        for (int i = 0; i < 1000 && !control->IsIdle(); ++i) {
            PumpMessages();
            Sleep(5);
        }
        // A worker may still report to the window after the gate opened.
        for (int i = 0; i < 20; ++i) {
            PumpMessages();
            Sleep(5);
        }
        control->WaitForWorkers();
        PumpMessages();
        return hr;
    }

    // The stages and progress reports the host heard.
    std::vector<DISPID> Announcements() const
    {
        std::vector<DISPID> ids;
        for (const EventSink::Call& call : sink.calls)
            if (call.id == cetOnProgress || call.id == cetOnBeginLoadSite || call.id == cetOnEndLoadSite ||
                call.id == cetOnEndLoadSiteWithID)
                ids.push_back(call.id);
        return ids;
    }

    MessageBoxRecorder boxes;
    EventSink sink;
};

} // namespace

TEST_F(DxfHosted, AQuietLoadShowsNoBoxAndSendsNoEventButReportsItsFailure)
{
    const struct {
        const char* what;
        const char* file;
        long mode;
        HRESULT result;      // of the foreground call (a worker's start answers S_OK)
        int lastError;
        bool versionRefused;
    } cases[] = {
        {"refused version, host's thread", "drawing_r2000.dxf", DXFMODE_QUIET | DXFMODE_FOREGROUND, E_FAIL, 1, true},
        {"refused version, worker", "drawing_r2000.dxf", DXFMODE_QUIET, S_OK, 1, true},
        {"missing file", "no_such_drawing.dxf", DXFMODE_QUIET | DXFMODE_FOREGROUND, E_FAIL, 1, false},
        {"good file", "drawing_r12.dxf", DXFMODE_QUIET | DXFMODE_FOREGROUND, S_OK, 0, false},
        {"good file, worker", "drawing_r12.dxf", DXFMODE_QUIET, S_OK, 0, false},
    };
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sink.calls.clear();
        MessageBoxRecorder::Clear();
        EXPECT_EQ(Load(Fixture(c.file), c.mode), c.result);
        EXPECT_TRUE(control->IsIdle());
        EXPECT_TRUE(MessageBoxRecorder::Boxes().empty());
        EXPECT_EQ(Announcements(), std::vector<DISPID>());
        EXPECT_EQ(control->GetLastErrorCode(), c.lastError);
        if (c.versionRefused) {
            EXPECT_EQ(control->GetLastErrorText(), kVersionMessage);
        }
        if (c.lastError == 0) {
            EXPECT_GT(control->GetRootGroup()->GetShapeCount(), 0);
        }
    }
}

TEST_F(DxfHosted, ALoadThatIsNotQuietShowsTheBoxAndAnnouncesItself)
{
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    EXPECT_EQ(Load(Fixture("drawing_r2000.dxf"), DXFMODE_FOREGROUND), E_FAIL);
    const std::vector<RecordedBox> shown = MessageBoxRecorder::Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kVersionMessage);
    EXPECT_EQ(shown[0].caption, "YVEXControl: Error");
    std::vector<DISPID> stages;
    for (DISPID id : Announcements())
        if (id != cetOnProgress)
            stages.push_back(id);
    EXPECT_EQ(stages, (std::vector<DISPID>{cetOnBeginLoadSite, cetOnEndLoadSite, cetOnEndLoadSiteWithID}));
}

// A file cut short, loaded as a host loads it (on a worker, announced): no box, the end of the
// load announced as failed, LastErrorMessage naming where the file ended, the drawing kept.
TEST_F(DxfHosted, AFileCutShortEndsTheLoadAsFailedAndKeepsTheDrawing)
{
    std::string bytes;
    {
        std::ifstream in(Fixture("drawing_r12.dxf"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(bytes.size(), 3000u);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "yvex_hosted_cut.dxf";
    std::ofstream(path, std::ios::binary) << bytes.substr(0, 3000);
    ASSERT_EQ(Load(Fixture("drawing_r12.dxf"), DXFMODE_FOREGROUND), S_OK);
    const int shapes = control->GetRootGroup()->GetShapeCount();
    ASSERT_GT(shapes, 0);
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    MessageBoxRecorder::Clear();
    EXPECT_EQ(Load(path, 0), S_OK);
    EXPECT_TRUE(MessageBoxRecorder::Boxes().empty());
    bool ended = false;
    for (const EventSink::Call& call : sink.calls) {
        if (call.id == cetOnEndLoadSite) {
            ended = true;
            ASSERT_FALSE(call.bools.empty());
            EXPECT_FALSE(call.bools.front()) << "announced as failed";
        }
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(control->GetLastErrorCode(), 1);
    EXPECT_NE(control->GetLastErrorText().find("cut short: it ends at line"), std::string::npos) << control->GetLastErrorText();
    EXPECT_EQ(control->GetRootGroup()->GetShapeCount(), shapes);
    DeleteFileA(path.c_str());
}

// The host hears a file load's progress between its beginning and its end: 0 first, 100 last,
// never going back, and in between a report at most every 64 kB read. A small drawing, which
// loads in a millisecond, is only its start and its end (it was a report each percent, a hundred
// events); a larger file still reports on its way, on the host's thread and on a worker.
TEST_F(DxfHosted, ALoadReportsItsProgressFromStartToEndAtMostEvery64kB)
{
    std::string bytes;
    {
        std::ifstream in(Fixture("drawing_r12.dxf"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_LT(bytes.size(), 64u * 1024u);
    // The same drawing with about 700 kB of comment groups before its end.
    const size_t end = bytes.rfind("  0\nEOF");
    ASSERT_NE(end, std::string::npos);
    std::string padded = bytes.substr(0, end);
    while (padded.size() < 700u * 1024u)
        padded += "999\nprogress padding, a comment the reader passes over\n";
    padded += bytes.substr(end);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string large = std::string(dir) + "yvex_hosted_progress.dxf";
    std::ofstream(large, std::ios::binary) << padded;

    const struct {
        const char* what;
        std::string file;
        long mode;
        int fewestBetween, mostBetween;  // reports strictly between 0 and 100
    } cases[] = {
        {"small, host's thread", Fixture("drawing_r12.dxf"), DXFMODE_FOREGROUND, 0, 0},
        {"small, worker", Fixture("drawing_r12.dxf"), 0, 0, 0},
        {"700 kB, host's thread", large, DXFMODE_FOREGROUND, 3, static_cast<int>(padded.size() / (64 * 1024))},
        {"700 kB, worker", large, 0, 3, static_cast<int>(padded.size() / (64 * 1024))},
    };
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sink.calls.clear();
        ASSERT_EQ(Load(c.file, c.mode), S_OK);
        EXPECT_GT(control->GetRootGroup()->GetShapeCount(), 0);
        const std::vector<DISPID> heard = Announcements();
        ASSERT_GE(heard.size(), 5u);
        EXPECT_EQ(heard.front(), cetOnBeginLoadSite);
        EXPECT_EQ(std::vector<DISPID>(heard.end() - 2, heard.end()),
                  (std::vector<DISPID>{cetOnEndLoadSite, cetOnEndLoadSiteWithID}));
        std::vector<LONG> percents;
        for (const EventSink::Call& call : sink.calls)
            if (call.id == cetOnProgress && !call.ints.empty())
                percents.push_back(call.ints[0]);
        EXPECT_EQ(percents.size() + 3, heard.size()) << "progress only between the beginning and the end";
        ASSERT_FALSE(percents.empty());
        EXPECT_EQ(percents.front(), 0);
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        const auto between = std::count_if(percents.begin(), percents.end(), [](LONG p) { return p > 0 && p < 100; });
        EXPECT_GE(between, c.fewestBetween) << "heard " << percents.size() << " progress events";
        EXPECT_LE(between, c.mostBetween) << "heard " << percents.size() << " progress events";
    }
    DeleteFileA(large.c_str());
}
