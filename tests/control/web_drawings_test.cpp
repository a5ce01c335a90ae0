// Drawings and their pictures through the run's web and FTP servers (tools/service-web.sh), and
// the picture files a DXF file names beside itself (read afterwards by ezdxf in
// check_dxf_image_files.py).
#include <algorithm>
#include <fstream>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/ImageTestSupport.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WebServers.h"
#include "control/ShapeMap.h"
#include "com/AnsiText.h"
#include "interchange/ImageResource.h"
#include "interchange/DrawingHeader.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/Image.h"

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::string OutputFolder(const char* name)
{
    const std::string dir = WinPath("YVEX_BINARY_DIR", std::string("tests/control/") + name);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\";
}

int CountOf(CYVEXControl& control, int type)
{
    int n = 0;
    for (const auto& entry : control.GetShapeMap().Shapes())
        n += entry.second->GetShapeType() == type && entry.first > DEFAULT_IMAGE_ID;
    return n;
}

void AddLine(CYVEXControl& control, float x)
{
    CShape* line = control.GetShapeMap().CreateShape(stLine, true, true);
    control.GetRootGroup()->AddChild(line, nullptr, 1, false);
    line->AddPointById(control.CControlCore::CreatePoint(x, 0), CShape::kAppend, true);
    line->AddPointById(control.CControlCore::CreatePoint(x + 5, 5), CShape::kAppend, true);
}

// DXF output of the version with objects (IMAGEDEF), as text.
void WriteR13Text(CYVEXControl& control)
{
    control.GetSiteRecord().SetVersionByName(CDrawingHeader::VersionText(CDrawingHeader::kVersionAC1012));
    control.SetControlFlags(control.GetControlFlags() & ~static_cast<DWORD>(controlSaveAsBinary));
}

// An image of a new resource named `name` of a picture of its own colour.
void AddPicture(CYVEXControl& control, const char* name, COLORREF colour, float x, int side = 8)
{
    const std::vector<BYTE> bmp = imagetest::MakeQuadrants(side, colour, colour, colour, 0);
    CImageResource* resource = control.GetImageResourceMap().CreateResource(0, bmp.data(), bmp.size(), 1.0f, true);
    ASSERT_NE(resource, nullptr);
    resource->SetName(name);
    LONG id = 0;
    ASSERT_EQ(control.AddImageShape(control.GetRootGroup(), resource->GetId(), x, 10, 8, 8, false, &id), S_OK);
}

// The values of group 1 of every IMAGEDEF object of an ASCII DXF file.
std::vector<std::string> ImageDefFiles(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        lines.push_back(line.substr(line.find_first_not_of(' ') == std::string::npos ? 0 : line.find_first_not_of(' ')));
    }
    std::vector<std::string> files;
    bool inside = false;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] == "0")
            inside = lines[i + 1] == "IMAGEDEF";
        else if (inside && lines[i] == "1")
            files.push_back(lines[i + 1]);
    }
    return files;
}

class WebDrawings : public testing::Test
{
protected:
    void SetUp() override
    {
        imagetest::EnsureGdiplus();
        ASSERT_NE(WebPort(), 0) << "the web servers of the test run are not up (service-web.sh)";
    }
};

// SerializeEx to an ftp:// address and back from http://: the drawing travels whole.
TEST_F(WebDrawings, SerializedDrawingsTravelThroughTheServers)
{
    ControlRef writer;
    AddLine(*writer, 0);
    AddLine(*writer, 10);
    ASSERT_EQ(writer->SerializeDrawing(FtpUrl("drawing.yvx").c_str(), 0, 0), S_OK) << writer->GetLastErrorText();
    EXPECT_TRUE(FileExists(ServedPath("drawing.yvx")));
    ControlRef reader;
    ASSERT_EQ(reader->SerializeDrawing(HttpUrl("drawing.yvx").c_str(), DXFMODE_LOAD, 0), S_OK)
        << reader->GetLastErrorText();
    EXPECT_EQ(CountOf(*reader, stLine), 2);
    // A missing file is an error that names the address.
    ControlRef failing;
    EXPECT_EQ(failing->SerializeDrawing(HttpUrl("no_drawing.yvx").c_str(), DXFMODE_LOAD, 0), E_FAIL);
    EXPECT_EQ(failing->GetLastErrorText(), "Error downloading file " + HttpUrl("no_drawing.yvx"));
}

// A control whose progress report after writing the archive throws, as memory running out there
// would: the save fails once its file is complete.
class FailingAfterWriteControl : public CYVEXControl
{
public:
    void OnProgress(long percent) override
    {
        if (percent == 90)
            throw std::bad_alloc();
        CYVEXControl::OnProgress(percent);
    }
};

// A SerializeEx save that fails leaves the file at the address as it was (nothing is uploaded)
// and no temporary file behind.
TEST_F(WebDrawings, AFailedSerializedSaveUploadsNothing)
{
    ControlRef writer;
    AddLine(*writer, 0);
    ASSERT_EQ(writer->SerializeDrawing(FtpUrl("kept.yvx").c_str(), 0, 0), S_OK) << writer->GetLastErrorText();
    const std::string served = ReadWholeFile(ServedPath("kept.yvx"));
    ASSERT_FALSE(served.empty());

    auto* failing = new ycom::ComObject<FailingAfterWriteControl>();
    failing->InternalAddRef();
    AddLine(*failing, 0);
    AddLine(*failing, 10);
    AddLine(*failing, 20);
    EXPECT_EQ(failing->SerializeDrawing(FtpUrl("kept.yvx").c_str(), 0, 0), E_FAIL);
    failing->Release();
    EXPECT_TRUE(ReadWholeFile(ServedPath("kept.yvx")) == served) << "the served file was replaced";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    EXPECT_FALSE(FileExists(std::string(temp) + "kept.yvx"));
}

// A DXF file saved to FTP takes its picture along beside it; loaded from the web server, the
// picture is found beside the drawing's address.
TEST_F(WebDrawings, DxfFilesTakeTheirPicturesAlong)
{
    ControlRef writer;
    AddLine(*writer, 0);
    AddPicture(*writer, "webpicture", RGB(255, 0, 0), 20);
    WriteR13Text(*writer);
    ASSERT_EQ(writer->StartDxfSave(FtpUrl("webdrawing.dxf").c_str(), DXFMODE_FOREGROUND, -8), S_OK)
        << writer->GetLastErrorText();
    ASSERT_TRUE(FileExists(ServedPath("webdrawing.dxf")));
    EXPECT_TRUE(FileExists(ServedPath("webpicture.bmp")));
    EXPECT_EQ(ImageDefFiles(ServedPath("webdrawing.dxf")), std::vector<std::string>{"webpicture.bmp"});

    ControlRef reader;
    ASSERT_EQ(reader->StartDxfLoad(HttpUrl("webdrawing.dxf").c_str(), DXFMODE_FOREGROUND), S_OK)
        << reader->GetLastErrorText();
    EXPECT_EQ(CountOf(*reader, stLine), 1);
    ASSERT_EQ(CountOf(*reader, stImage), 1);
    bool found = false;
    for (const auto& entry : reader->GetImageResourceMap().Resources())
        found |= entry.second->GetName() == "webpicture" && entry.second->IsLoaded();
    EXPECT_TRUE(found) << "the picture read from beside the drawing's address";
}

// Two pictures of one name and format beside one DXF file each get a file of their own.
TEST_F(WebDrawings, PicturesOfOneNameGetFilesOfTheirOwn)
{
    const std::string folder = OutputFolder("dxf_images");
    for (const char* name : {"logo.bmp", "logo01.bmp", "two_logos.dxf"})
        DeleteFileA((folder + name).c_str());
    ControlRef writer;
    AddPicture(*writer, "logo", RGB(255, 0, 0), 0);
    AddPicture(*writer, "logo", RGB(0, 0, 255), 20, 10);
    WriteR13Text(*writer);
    const std::string dxf = folder + "two_logos.dxf";
    ASSERT_EQ(writer->StartDxfSave(dxf.c_str(), DXFMODE_FOREGROUND, -8), S_OK) << writer->GetLastErrorText();
    std::vector<std::string> files = ImageDefFiles(dxf);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"logo.bmp", "logo01.bmp"}));
    EXPECT_TRUE(FileExists(folder + "logo.bmp"));
    EXPECT_TRUE(FileExists(folder + "logo01.bmp"));
    EXPECT_NE(ReadWholeFile(folder + "logo.bmp"), ReadWholeFile(folder + "logo01.bmp"));

    // Read back, each image shows its own picture.
    ControlRef reader;
    ASSERT_EQ(reader->StartDxfLoad(dxf.c_str(), DXFMODE_FOREGROUND), S_OK);
    std::set<UINT> widths;
    for (const auto& entry : reader->GetShapeMap().Shapes())
        if (auto* image = dynamic_cast<CImage*>(entry.second))
            if (entry.first > DEFAULT_IMAGE_ID && image->GetImageResource()) {
                widths.insert(image->GetImageResource()->GetWidth());
            }

    EXPECT_EQ(widths, (std::set<UINT>{8, 10}));
}

} // namespace
