// Files to and from the test run's web and FTP servers (tools/service-web.sh).
#include "WebServers.h"
#include "com/MessageBoxHook.h"
#include "persistence/UrlSource.h"
#include "persistence/WebTransfer.h"
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

// 30 KB of every byte value: more than two download blocks.
std::string Payload(size_t size = 30 * 1024)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class WebTransfer : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(WebPort(), 0) << "the web servers of the test run are not up (service-web.sh)"; }
};

TEST_F(WebTransfer, DownloadsAreByteEqualOverHttpFtpAndPassiveOnlyFtp)
{
    const std::string payload = Payload();
    ASSERT_TRUE(WriteServedFile("payload.bin", payload));
    for (const std::string& url : {HttpUrl("payload.bin"), FtpUrl("payload.bin"), FtpUrl("payload.bin", true)}) {
        SCOPED_TRACE(url);
        std::string local;
        ASSERT_EQ(DownloadUrlToFile(url.c_str(), &local, nullptr, nullptr), S_OK);
        EXPECT_NE(local.find("payload"), std::string::npos);
        EXPECT_EQ(ReadWholeFile(local), payload);
        DeleteFileA(local.c_str());
    }
}

TEST_F(WebTransfer, FailedDownloadsLeaveNoFile)
{
    const std::string payload = Payload();
    ASSERT_TRUE(WriteServedFile("cut.bin", payload));
    ASSERT_TRUE(WriteServedFile("public.htm", "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<html></html>"));
    const std::string missing = HttpUrl("missing.bin");
    const std::string cases[] = {
        missing,                      // 404: the server's page about it is not the file
        HttpUrl("cut/cut.bin"),       // the connection closes half-way through the announced length
        HttpUrl("public.htm"),        // an HTML page in place of the file
        FtpUrl("missing.bin"),        // neither FTP mode nor the URL opener finds it
        FtpUrl("payload.bin", false, "yvex:wrong"),
    };
    for (const std::string& url : cases) {
        SCOPED_TRACE(url);
        std::string local;
        EXPECT_EQ(DownloadUrlToFile(url.c_str(), &local, nullptr, nullptr), E_FAIL);
        EXPECT_FALSE(local.empty());
        EXPECT_FALSE(FileExists(local));
    }
}

TEST_F(WebTransfer, OnlyTheUpperCasePublicDoctypeMarksAPage)
{
    const std::string page = "<!DOCTYPE html>\n<html>a page that is the file</html>";
    ASSERT_TRUE(WriteServedFile("page.htm", page));
    std::string local;
    ASSERT_EQ(DownloadUrlToFile(HttpUrl("page.htm").c_str(), &local, nullptr, nullptr), S_OK);
    EXPECT_EQ(ReadWholeFile(local), page);
    DeleteFileA(local.c_str());
}

TEST_F(WebTransfer, AnAddressTwiceGetsNameThenName01)
{
    ASSERT_TRUE(WriteServedFile("twice.dat", "x"));
    std::string first, second;
    ASSERT_EQ(DownloadUrlToFile(HttpUrl("twice.dat?v=1").c_str(), &first, nullptr, nullptr), S_OK);
    ASSERT_EQ(DownloadUrlToFile(HttpUrl("twice.dat").c_str(), &second, nullptr, nullptr), S_OK);
    EXPECT_EQ(first.substr(first.find_last_of('\\') + 1), "twice.dat");
    EXPECT_EQ(second.substr(second.find_last_of('\\') + 1), "twice01.dat");
    EXPECT_EQ(MakeTempPathForUrl(HttpUrl("dir/twice.dat").c_str(), nullptr, true), "twice");
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
}

TEST_F(WebTransfer, AddressesWithPartsTooLongDoNotCrack)
{
    const std::string longHost(120, 'h');
    const std::string longPath(600, 'p');
    EXPECT_EQ(MakeTempPathForUrl(("http://" + longHost + "/a.bin").c_str(), nullptr, false), "");
    EXPECT_EQ(MakeTempPathForUrl(("http://127.0.0.1/" + longPath).c_str(), nullptr, false), "");
    EXPECT_EQ(MakeTempPathForUrl("", nullptr, false), "");
    std::string local;
    EXPECT_EQ(DownloadUrlToFile(("http://127.0.0.1/" + longPath).c_str(), &local, nullptr, nullptr), E_FAIL);
}

TEST_F(WebTransfer, UploadsAreByteEqualAndAnEmptyFileIsNotSent)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string local = std::string(folder) + "yvex_upload.bin";
    const std::string payload = Payload(45000);
    {
        std::ofstream out(local, std::ios::binary);
        out << payload;
    }
    std::vector<long> percents;
    WebStatusContext status;
    status.callback = [](long step, void* user) { static_cast<std::vector<long>*>(user)->push_back(step); };
    status.user = &percents;
    ASSERT_EQ(UploadFileToFtp(local.c_str(), nullptr, FtpUrl("up.bin").c_str(), &status), S_OK);
    EXPECT_EQ(ReadWholeFile(ServedPath("up.bin")), payload);
    // One report a block of 20000 bytes: 44, 88, 99.
    EXPECT_EQ(percents, (std::vector<long>{44, 88, 99}));
    {
        std::ofstream out(local, std::ios::binary | std::ios::trunc);
    }
    EXPECT_EQ(UploadFileToFtp(local.c_str(), nullptr, FtpUrl("empty.bin").c_str(), nullptr), S_FALSE);
    EXPECT_FALSE(FileExists(ServedPath("empty.bin")));
    EXPECT_EQ(UploadFileToFtp(local.c_str(), nullptr, "", nullptr), E_INVALIDARG);
    DeleteFileA(local.c_str());
    EXPECT_EQ(UploadFileToFtp(local.c_str(), nullptr, FtpUrl("gone.bin").c_str(), nullptr), E_ACCESSDENIED);
}

std::mutex g_boxLock;
std::vector<std::pair<std::string, std::string>> g_boxes;
int RecordBox(HWND, const char* text, const char* caption, UINT)
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxes.emplace_back(text, caption);
    return IDOK;
}

TEST_F(WebTransfer, ARefusedLoginIsToldInAMessageBox)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string local = std::string(folder) + "yvex_refused.bin";
    {
        std::ofstream out(local, std::ios::binary);
        out << "data";
    }
    g_boxes.clear();
    const auto previous = ycom::SetMessageBoxHandler(&RecordBox);
    const HRESULT hr = UploadFileToFtp(local.c_str(), nullptr, FtpUrl("refused.bin", false, "yvex:wrong").c_str(), nullptr);
    ycom::SetMessageBoxHandler(previous);
    DeleteFileA(local.c_str());
    EXPECT_EQ(hr, E_ACCESSDENIED);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].first, "Error connecting to FTP-server 127.0.0.1, port " + std::to_string(WebPort() + 1) +
                                    " as yvex.\nPerhaps user is not allowed to operate that server or folder.\n"
                                    "Contact your server administrator.");
    EXPECT_EQ(g_boxes[0].second, "YVEXControl: Error");
    EXPECT_FALSE(FileExists(ServedPath("refused.bin")));
}

// A source that records the percentages its callback receives.
struct ProgressLog
{
    std::vector<long> values;
    static void Record(void* self, long percent) { static_cast<ProgressLog*>(self)->values.push_back(percent); }
};

TEST_F(WebTransfer, SourcesFetchBeforeReadingAndUploadOnClose)
{
    const std::string payload = Payload();
    ASSERT_TRUE(WriteServedFile("source.bin", payload));
    ProgressLog log;
    std::string local;
    {
        CUrlSource source;
        source.SetProgressCallback(&ProgressLog::Record, &log);
        ASSERT_TRUE(source.Open(HttpUrl("source.bin").c_str(), true));
        EXPECT_TRUE(source.HasSource());
        local = source.GetLocalPath();
        EXPECT_EQ(ReadWholeFile(local), payload);
        // The transfer reported within 0 to 20; reading the fetched file spans 20 to 99.
        const std::vector<long> transfer = log.values;
        ASSERT_FALSE(transfer.empty());
        EXPECT_EQ(transfer.front(), 0);
        for (long value : transfer)
            EXPECT_LE(value, 20) << "the transfer's band ends at 20";
        source.ReportProgress(50, 1);
        source.ReportProgress(99, 1);
        EXPECT_EQ(log.values, [&] {
            std::vector<long> all = transfer;
            all.push_back(50 * 79 / 99 + 20);
            all.push_back(99);
            return all;
        }());
        EXPECT_TRUE(source.Close());
    }
    EXPECT_FALSE(FileExists(local)) << "the temporary file goes with the source";

    CUrlSource writer;
    EXPECT_FALSE(writer.Open(HttpUrl("nowrite.bin").c_str(), false)) << "a web server is only read from";
    ASSERT_TRUE(writer.Open(FtpUrl("written.bin").c_str(), false));
    {
        std::ofstream out(writer.GetLocalPath(), std::ios::binary);
        out << payload;
    }
    local = writer.GetLocalPath();
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(FileExists(local));
    EXPECT_EQ(ReadWholeFile(ServedPath("written.bin")), payload);

    CUrlSource failing;
    EXPECT_FALSE(failing.Open(HttpUrl("missing.bin").c_str(), true));
    EXPECT_FALSE(failing.IsOpen());
    EXPECT_FALSE(failing.HasSource());
}

} // namespace
