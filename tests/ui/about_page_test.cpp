// The About page and the version reader behind it: the version line of the module, a file without
// a version resource, and texts cut to their buffers.
#include <cstring>
#include <fstream>
#include "control/ModuleVersion.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/OptionsAboutPage.h"

using namespace controltest;
using namespace pagetest;

namespace {

const char kCopyright[] = "Copyright 2024 the makers of the drafting control, who write a notice far longer than the "
                          "hundred characters that the About page shows of it";

std::string TempFile(const char* name, const char* content)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

class AboutPage : public OptionsPage
{
};

} // namespace

// The page shows the module's version, private build and copyright (cut to 100 characters), the
// logo and the TIFF library's address.
TEST_F(AboutPage, ShowsTheModulesVersionLine)
{
    std::string version, address;
    HANDLE logo = nullptr;
    RunSheet(OPTPAGE_ABOUT, [&](DialogDriver& d) {
        d.Do([&] {
            version = Text(Item(OPTPAGE_ABOUT, IDC_ABOUT_VERSION));
            address = Text(Item(OPTPAGE_ABOUT, IDC_ABOUT_ADDRESS));
            logo = reinterpret_cast<HANDLE>(SendMessageA(Item(OPTPAGE_ABOUT, IDC_ABOUT_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0));
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_about")));
        });
    });
    EXPECT_EQ(version, "YVEX Control v.3.4.5 (build b42)\n" + std::string(kCopyright, 100));
    EXPECT_EQ(address, "http://www.simplesystems.org/libtiff/");
    EXPECT_NE(logo, nullptr);
}

// A file without a version resource reads as version 0 with empty texts.
TEST(ModuleVersion, NoVersionResource)
{
    const std::string path = TempFile("yvex_no_version.txt", "no version here");
    int minor = 9, build = 9, revision = 9;
    char privateBuild[16] = "XXXXXXXXXXXXXXX";
    char copyright[16] = "XXXXXXXXXXXXXXX";
    EXPECT_EQ(ReadModuleVersionInfo(path.c_str(), &minor, &build, &revision, privateBuild, 16, copyright, 16), 0);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(build, 0);
    EXPECT_EQ(revision, 0);
    EXPECT_STREQ(privateBuild, "");
    EXPECT_STREQ(copyright, "");
    EXPECT_EQ(COptionsAboutPage::VersionLine(path.c_str()), "YVEX Control v.0.0.0 (build )\n");
    DeleteFileA(path.c_str());
}

// The module's own version; a text longer than its buffer is cut and ended within the buffer,
// nothing written past it.
TEST(ModuleVersion, TextsAreCutAndTerminated)
{
    int minor = 0, build = 0, revision = 0;
    EXPECT_EQ(ReadModuleVersionInfo(nullptr, &minor, &build, &revision, nullptr, 0, nullptr, 0), 3);
    EXPECT_EQ(minor, 4);
    EXPECT_EQ(build, 5);
    EXPECT_EQ(revision, 6);
    char copyright[120];
    std::memset(copyright, 'X', sizeof copyright);
    char privateBuild[3];
    EXPECT_EQ(ReadModuleVersionInfo("", nullptr, nullptr, nullptr, privateBuild, 3, copyright, 100), 3);
    EXPECT_EQ(std::strlen(copyright), 99u);
    EXPECT_EQ(std::string(copyright), std::string(kCopyright, 99));
    EXPECT_EQ(copyright[100], 'X') << "nothing past the buffer";
    EXPECT_STREQ(privateBuild, "b4");
}
