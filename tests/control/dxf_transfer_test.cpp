// DXF and stream transfers of the control object, its memory buffers and serialized files: our
// drawings written and read back in both versions and both forms (and handed to ezdxf by the
// Python check), drawings ezdxf wrote, block saves and loads, the archive fall-back, the gate,
// the persistence stream, IDTCio buffers, IDataIO files and the serialization error texts.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/PictureFiles.h"
#include "tests/support/TestPaths.h"
#include "control/SerializationMessages.h"
#include "control/ShapeMap.h"
#include "com/AnsiText.h"
#include "com/MessageBoxHook.h"
#include "interchange/DxfDocument.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeList.h"
#include "model/AttributeTypeMap.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/PointRecord.h"
#include "model/Text.h"
#include "persistence/DataTableSet.h"
#include "persistence/DrawingSettingRecord.h"

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::string Fixture(const char* name) { return WinPath("YVEX_SOURCE_DIR", std::string("tests/fixtures/dxf/") + name); }

// Our written drawings, for the independent reader of the Python check.
std::string OutputPath(const char* name)
{
    const std::string dir = WinPath("YVEX_BINARY_DIR", "tests/control/dxf_out");
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\" + name;
}

std::string Scratch(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "yvex_transfer_" + name;
}

// A file of that name in a folder of the test's own (block names come from file names).
std::string NamedScratch(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string folder = std::string(dir) + "yvex_transfer_blocks";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The message boxes the control showed.
std::mutex g_boxLock;
std::vector<std::pair<std::string, std::string>> g_boxes;
int RecordBox(HWND, const char* text, const char* caption, UINT)
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxes.emplace_back(text ? text : "", caption ? caption : "");
    return IDOK;
}

// A small drawing: a layer WALLS with a line and two polylines on it, and a line on the base
// layer. Answers the ID of the first line. (Curves travel as approximations in the old version,
// which the bulk passes of the control's operations rebuild.)
LONG BuildDrawing(CYVEXControl& control)
{
    CGroup* root = control.GetRootGroup();
    LONG layerId = 0, line = 0, other = 0, second = 0, polyline = 0;
    EXPECT_EQ(control.AddLayer(control.GetLayersGroup(), L"WALLS", &layerId), S_OK);
    auto* walls = static_cast<CLayer*>(control.FindShape(layerId));
    EXPECT_EQ(control.AddLine(root, 0, 0, 100, 50, &line), S_OK);
    EXPECT_EQ(control.AddLine(root, 10, 20, 30, -40, &other), S_OK);
    EXPECT_EQ(control.AddPolyline(root, 15, 10, 25, 20, &second), S_OK);
    EXPECT_EQ(control.AddPolyline(root, 0, 0, 50, 0, &polyline), S_OK);
    for (LONG id : {line, second, polyline})
        control.FindShape(id)->SetLayer(walls);
    return line;
}

// The shapes of the root group as (type, layer name, bounding box rounded to 0.01).
std::multiset<std::string> Signature(CYVEXControl& control)
{
    std::multiset<std::string> out;
    for (CShape* child : control.GetRootGroup()->Children()) {
        float l = 0, t = 0, r = 0, b = 0;
        child->GetBoundingRect(&l, &t, &r, &b);
        char text[200];
        std::snprintf(text, sizeof text, "%d %s %.2f %.2f %.2f %.2f", child->GetShapeType(),
                      child->GetLayer() ? child->GetLayer()->GetName().c_str() : "-", l, t, r, b);
        out.insert(text);
    }
    return out;
}

bool WaitIdle(CYVEXControl& control)
{
    for (int i = 0; i < 500 && !control.IsIdle(); ++i)
        Sleep(10);
    control.WaitForWorkers();
    return control.IsIdle();
}

// The version (1 AC1009, 2 AC1012) and form of the control's next DXF save.
void ChooseForm(CYVEXControl& control, int version, bool binary)
{
    control.GetSiteRecord().SetVersionByName(CDrawingHeader::VersionText(version));
    const DWORD flags = control.GetControlFlags();
    control.SetControlFlags(binary ? (flags | controlSaveAsBinary) : (flags & ~static_cast<DWORD>(controlSaveAsBinary)));
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The line an ASCII reader stands on when these bytes are all it got: the last one, ended or not.
uint64_t LinesOf(const std::string& bytes)
{
    const uint64_t ended = static_cast<uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    return ended + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0);
}

CGroup* LibraryBlock(CYVEXControl& control, const wchar_t* name)
{
    for (CShape* child : control.GetLibraryGroup()->Children())
        if (child->IsGroup() && static_cast<CGroup*>(child)->GetName() == name)
            return static_cast<CGroup*>(child);
    return nullptr;
}

} // namespace

TEST(DxfTransfer, OurDrawingsComeBackInBothVersionsAndForms)
{
    const struct {
        int version;
        bool binary;
        const char* file;
    } cases[] = {{1, false, "ours_r12_ascii.dxf"},
                 {1, true, "ours_r12_binary.dxf"},
                 {2, false, "ours_r13_ascii.dxf"},
                 {2, true, "ours_r13_binary.dxf"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ControlRef source;
        BuildDrawing(*source);
        source->GetSiteRecord().SetVersionByName(CDrawingHeader::VersionText(c.version));
        source->GetSiteRecord().unit = 6;
        const DWORD flags = source->GetControlFlags();
        source->SetControlFlags(c.binary ? (flags | controlSaveAsBinary) : (flags & ~static_cast<DWORD>(controlSaveAsBinary)));
        const std::string path = OutputPath(c.file);
        ASSERT_EQ(source->StartDxfSave(path.c_str(), DXFMODE_FOREGROUND | DXFMODE_REMEMBER_FILENAME, -8), S_OK);
        EXPECT_EQ(source->GetDrawingFileName(), path);
        EXPECT_TRUE(source->IsIdle());
        const std::string text = ReadAll(path);
        EXPECT_EQ(text.compare(0, 18, "AutoCAD Binary DXF") == 0, c.binary);

        ControlRef target;
        ASSERT_EQ(target->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), S_OK);
        EXPECT_EQ(target->GetDxfDocument().GetFile().IsBinary(), c.binary);
        EXPECT_EQ(Signature(*target), Signature(*source));
        EXPECT_EQ(target->GetSiteRecord().versionIndex, c.version);
        EXPECT_EQ(target->GetSiteRecord().unit, 6);
        EXPECT_NE(target->FindLayerByName("WALLS"), nullptr);
        EXPECT_FALSE(target->IsModified());
    }
}

// The old version carries curves as 36-vertex polygons and rectangles as polylines, the newer one
// every curve as an ELLIPSE: each comes back as the kind it was, drawn through the same points.
TEST(DxfTransfer, CurvesAndRectanglesComeBackAsTheirKinds)
{
    const struct {
        int version;
        bool binary;
    } cases[] = {{1, false}, {1, true}, {2, false}, {2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << (c.binary ? " binary" : " ascii"));
        ControlRef source;
        CGroup* root = source->GetRootGroup();
        LONG id = 0;
        ASSERT_EQ(source->AddCircle(root, 10, 20, 5, &id), S_OK);
        ASSERT_EQ(source->AddArc(root, 30, 40, 7, 30, 120, &id), S_OK);
        ASSERT_EQ(source->AddArc(root, -30, 40, 3, 300, 45, &id), S_OK);
        ASSERT_EQ(source->AddRectangle(root, 0, 0, 20, -10, &id), S_OK);
        ASSERT_EQ(source->AddEllipse(root, 50, 50, 8, 0.5f, 30, 0, 360, &id), S_OK);
        ASSERT_EQ(source->AddEllipse(root, 80, 50, 4, 1.5f, -20, 10, 200, &id), S_OK);
        source->GetSiteRecord().SetVersionByName(CDrawingHeader::VersionText(c.version));
        const DWORD flags = source->GetControlFlags();
        source->SetControlFlags(c.binary ? (flags | controlSaveAsBinary) : (flags & ~static_cast<DWORD>(controlSaveAsBinary)));
        const std::string path = Scratch(c.binary ? "kinds.bin.dxf" : "kinds.dxf");
        ASSERT_EQ(source->StartDxfSave(path.c_str(), DXFMODE_FOREGROUND, -8), S_OK);

        ControlRef target;
        ASSERT_EQ(target->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), S_OK);
        EXPECT_TRUE(target->GetShapeMap().Replacements().empty());
        std::vector<CShape*> before = source->GetRootGroup()->Children();
        std::vector<CShape*> after = target->GetRootGroup()->Children();
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "shape " << i);
            ASSERT_EQ(after[i]->GetShapeType(), before[i]->GetShapeType());
            EXPECT_EQ(target->FindShape(after[i]->GetId()), after[i]);
            if (auto* was = dynamic_cast<CEllipse*>(before[i])) {
                auto* is = dynamic_cast<CEllipse*>(after[i]);
                ASSERT_NE(is, nullptr);
                CRealPointD expected[CEllipse::kMaxSamples], got[CEllipse::kMaxSamples];
                const int count = was->GetSamplePoints(expected);
                ASSERT_EQ(is->GetSamplePoints(got), count);
                for (int k = 0; k < count; ++k) {
                    EXPECT_NEAR(got[k].x, expected[k].x, 1e-2) << k;
                    EXPECT_NEAR(got[k].y, expected[k].y, 1e-2) << k;
                }
            } else {
                const CShapePointList& expected = before[i]->GetPoints();
                const CShapePointList& got = after[i]->GetPoints();
                ASSERT_EQ(got.GetCount(), expected.GetCount());
                for (int k = 0; k < expected.GetCount(); ++k) {
                    EXPECT_NEAR(got.GetAt(k)->x, expected.GetAt(k)->x, 1e-3) << k;
                    EXPECT_NEAR(got.GetAt(k)->y, expected.GetAt(k)->y, 1e-3) << k;
                }
            }
        }
        DeleteFileA(path.c_str());
    }
}

TEST(DxfTransfer, ADrawingEzdxfWroteLoadsIntoTheSameShapes)
{
    ControlRef control;
    ASSERT_EQ(control->StartDxfLoad(Fixture("drawing_r12.dxf").c_str(), DXFMODE_FOREGROUND), S_OK);
    EXPECT_FALSE(control->GetDxfDocument().GetFile().IsBinary());
    CLayer* walls = control->FindLayerByName("WALLS");
    CLayer* doors = control->FindLayerByName("DOORS");
    ASSERT_NE(walls, nullptr);
    ASSERT_NE(doors, nullptr);
    std::map<int, int> kinds;
    std::map<int, std::string> layers;
    for (CShape* child : control->GetRootGroup()->Children()) {
        ++kinds[child->GetShapeType()];
        layers[child->GetShapeType()] = child->GetLayer() ? child->GetLayer()->GetName() : "-";
    }
    // LINE, POLYLINE, CIRCLE, ARC, TEXT and two INSERTs.
    EXPECT_EQ(kinds, (std::map<int, int>{{stLine, 1}, {stPolyline, 1}, {stCircle, 1}, {stArc, 1}, {stText, 1}, {stReference, 2}}));
    EXPECT_EQ(layers[stLine], "WALLS");
    EXPECT_EQ(layers[stPolyline], "WALLS");
    EXPECT_EQ(layers[stReference], "DOORS");
    CGroup* door = LibraryBlock(*control, L"door");
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->GetShapeCount(), 2);
    for (CShape* child : control->GetRootGroup()->Children()) {
        float l = 0, t = 0, r = 0, b = 0;
        child->GetBoundingRect(&l, &t, &r, &b);
        switch (child->GetShapeType()) {
        case stLine:
            EXPECT_NEAR(l, 0.0f, 1e-3);
            EXPECT_NEAR(r, 100.0f, 1e-3);
            break;
        case stPolyline:
            EXPECT_EQ(child->GetPoints().GetCount(), 4);
            EXPECT_NEAR(r - l, 50.0f, 1e-3);
            EXPECT_NEAR(std::fabs(t - b), 30.0f, 1e-3);
            break;
        case stCircle:
            EXPECT_NEAR(r - l, 10.0f, 1e-2);
            break;
        case stText:
            EXPECT_EQ(static_cast<CText*>(child)->GetText(), "Room 1");
            break;
        default:
            break;
        }
    }
    // (R12 has no $INSUNITS.)
    EXPECT_EQ(control->GetSiteRecord().lineTypeScale, 2.5f);
}

TEST(DxfTransfer, AnUnsupportedVersionShowsTheMessageAndLeavesTheDrawingCleared)
{
    g_boxes.clear();
    const auto previous = ycom::SetMessageBoxHandler(&RecordBox);
    ControlRef control;
    BuildDrawing(*control);
    EXPECT_EQ(control->StartDxfLoad(Fixture("drawing_r2000.dxf").c_str(), DXFMODE_FOREGROUND), E_FAIL);
    ycom::SetMessageBoxHandler(previous);
    EXPECT_EQ(control->GetLastErrorCode(), 1);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].first, "This version of DXF is available under request.\nPlease contact the vendor.");
    EXPECT_EQ(g_boxes[0].second, "YVEXControl: Error");
    EXPECT_EQ(control->GetRootGroup()->GetShapeCount(), 0);
    EXPECT_TRUE(control->IsIdle());
}

// ... and leaves the drawing as it was.
TEST(DxfTransfer, AFileNeitherDxfNorArchiveIsAFailure)
{
    const std::string path = Scratch("neither.txt");
    std::ofstream(path) << "just some words\n";
    ControlRef control;
    BuildDrawing(*control);
    const auto before = Signature(*control);
    EXPECT_EQ(control->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), E_FAIL);
    EXPECT_NE(control->GetLastErrorCode(), 0);
    EXPECT_TRUE(control->IsIdle());
    EXPECT_EQ(Signature(*control), before);
    // A missing file likewise.
    EXPECT_EQ(control->StartDxfLoad(Scratch("missing.dxf").c_str(), DXFMODE_FOREGROUND), E_FAIL);
    EXPECT_EQ(Signature(*control), before);
    DeleteFileA(path.c_str());
}

TEST(DxfTransfer, AnArchiveFileLoadsThroughTheDxfLoader)
{
    for (bool binary : {true, false}) {
        ControlRef source;
        BuildDrawing(*source);
        const DWORD flags = source->GetControlFlags();
        source->SetControlFlags(binary ? (flags | controlSaveAsBinary) : (flags & ~static_cast<DWORD>(controlSaveAsBinary)));
        const std::string path = Scratch(binary ? "drawing.bin" : "drawing.txt");
        ASSERT_EQ(source->SerializeDrawing(path.c_str(), 0, 0), S_OK) << binary;
        ControlRef target;
        ASSERT_EQ(target->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), S_OK) << binary;
        EXPECT_EQ(Signature(*target), Signature(*source)) << binary;
        DeleteFileA(path.c_str());
    }
}

TEST(DxfTransfer, SaveShapeRunsOnAWorkerAndPutsTheShapeBack)
{
    ControlRef control;
    const LONG line = BuildDrawing(*control);
    CShape* shape = control->FindShape(line);
    CGroup* parent = shape->GetParent();
    const int index = parent->IndexOfChild(line);
    const std::string path = OutputPath("ours_one_line.dxf");
    DeleteFileA(path.c_str());
    ASSERT_EQ(control->StartDxfSave(path.c_str(), 0, line), S_OK);
    ASSERT_TRUE(WaitIdle(*control));
    EXPECT_EQ(shape->GetParent(), parent);
    EXPECT_EQ(parent->IndexOfChild(line), index);
    EXPECT_EQ(LibraryBlock(*control, L"LoadedBlock"), nullptr);
    for (const auto& entry : control->GetShapeMap().Shapes()) {
        if (entry.second->IsGroup()) {
            EXPECT_NE(static_cast<CGroup*>(entry.second)->GetName(), L"LoadedBlock");
        }
    }
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.find("BLOCKS"), std::string::npos);
    EXPECT_NE(text.find("ENTITIES"), std::string::npos);
    EXPECT_NE(text.find("LINE"), std::string::npos);
    EXPECT_EQ(text.find("CIRCLE"), std::string::npos);
}

TEST(DxfTransfer, LoadShapeMakesABlockNamedAfterTheFileAtTheOrigin)
{
    const std::string path = NamedScratch("door.dxf");
    ASSERT_TRUE(CopyFileA(Fixture("door.dxf").c_str(), path.c_str(), FALSE));
    ControlRef control;
    BuildDrawing(*control);
    const auto before = Signature(*control);
    ASSERT_EQ(control->StartDxfLoad(path.c_str(), DXFMODE_BLOCKS | DXFMODE_LOAD | DXFMODE_FOREGROUND), S_OK);
    CGroup* door = LibraryBlock(*control, L"door");
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->GetShapeCount(), 2);
    float l = 0, t = 0, r = 0, b = 0;
    door->GetBoundingRect(&l, &t, &r, &b);
    // Its lower left corner (y grows upwards) at the origin.
    EXPECT_NEAR(l, 0.0f, 1e-3);
    EXPECT_NEAR(b, 0.0f, 1e-3);
    EXPECT_NEAR(r, 8.0f, 1e-3);
    EXPECT_NEAR(t, 10.0f, 1e-3);
    // The drawing itself stays.
    EXPECT_EQ(Signature(*control), before);
    DeleteFileA(path.c_str());
}

// A file loaded through IPersistFile replaces the drawing whatever access mode the caller
// names: the storage flags are no transfer modes (exclusive sharing must not append, read-write
// must not load a block).
TEST(DxfTransfer, PersistFileLoadReplacesTheDrawingInEveryAccessMode)
{
    const std::string path = Scratch("persist_file.dxf");
    ControlRef source;
    BuildDrawing(*source);
    IPersistFile* saving = source.Get();
    const std::wstring wide(path.begin(), path.end());
    ASSERT_EQ(saving->Save(wide.c_str(), TRUE), S_OK);
    const auto saved = Signature(*source);
    for (const DWORD mode : {DWORD(STGM_READ), DWORD(STGM_SHARE_EXCLUSIVE), DWORD(STGM_READWRITE),
                             DWORD(STGM_READWRITE | STGM_SHARE_EXCLUSIVE)}) {
        SCOPED_TRACE(mode);
        ControlRef target;
        LONG extra = 0;
        ASSERT_EQ(target->AddLine(target->GetRootGroup(), 500, 500, 600, 700, &extra), S_OK);
        IPersistFile* loading = target.Get();
        ASSERT_EQ(loading->Load(wide.c_str(), mode), S_OK);
        EXPECT_EQ(Signature(*target), saved) << "the earlier line is gone, nothing went into a block";
        EXPECT_EQ(LibraryBlock(*target, L"yvex_transfer_persist_file"), nullptr);
        EXPECT_EQ(target->GetDrawingFileName(), path);
    }
    DeleteFileA(path.c_str());
}

TEST(DxfTransfer, NothingStartsBesideAnotherLongOperation)
{
    ControlRef control;
    BuildDrawing(*control);
    // A database load holds the gate.
    ASSERT_TRUE(control->TryCloseGate());
    const std::string path = Scratch("busy.dxf");
    EXPECT_EQ(control->StartDxfSave(path.c_str(), DXFMODE_FOREGROUND, -8), S_FALSE);
    EXPECT_EQ(control->GetLastErrorCode(), 1);
    EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
    EXPECT_EQ(control->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), S_FALSE);
    EXPECT_EQ(control->StartTransferOperation(nullptr, path.c_str(), DXFMODE_FOREGROUND, 0), S_FALSE);
    LONG_PTR buffer = 0;
    EXPECT_EQ(control->SaveDTC(0, 0, &buffer), S_FALSE);
    EXPECT_EQ(buffer, 0);
    EXPECT_EQ(control->SerializeDrawing(path.c_str(), 0, 0), S_FALSE);
    int block = 0;
    EXPECT_EQ(control->LoadBlock(path.c_str(), DXFMODE_LOAD, &block), S_FALSE);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    control->OpenGate();
    // A buffer load while a worker holds the gate.
    ASSERT_EQ(control->SaveDTC(0, 0, &buffer), S_OK);
    ASSERT_TRUE(control->TryCloseGate());
    EXPECT_EQ(control->LoadDTC(buffer, DXFMODE_APPEND, 0), S_FALSE);
    control->OpenGate();
    control->ReleaseDTC(buffer);
}

TEST(DxfTransfer, ThePersistenceStreamCarriesViewSettingAndDrawing)
{
    ControlRef source;
    BuildDrawing(*source);
    CViewportRecord& view = source->GetCurrentViewport();
    view.SetCenter(12.5f, -7.0f);
    view.SetHeight(300.0f);
    CDrawingSettingRecord* setting = source->GetCurrentDrawingSetting();
    ASSERT_NE(setting, nullptr);
    setting->GridXSpace = 25.0f;
    setting->SnapBaseY = 3.5f;
    setting->ShowGrid = 0;
    setting->SetPenColor(RGB(0, 0, 255));
    ycom::ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(source->GetControllingUnknown()->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()), S_OK);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
    // Complete when Save returns: the drawing's end is there.
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &got);
    EXPECT_NE(bytes.find("EOF"), std::string::npos);

    ControlRef target;
    ycom::ComPtr<IPersistStreamInit> loader;
    ASSERT_EQ(target->GetControllingUnknown()->QueryInterface(IID_IPersistStreamInit, loader.PutVoid()), S_OK);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(loader->Load(stream), S_OK);
    stream->Release();
    EXPECT_EQ(target->GetCurrentViewport().center.x, 12.5f);
    EXPECT_EQ(target->GetCurrentViewport().center.y, -7.0f);
    EXPECT_EQ(target->GetCurrentViewport().height, view.height);
    CDrawingSettingRecord* loaded = target->GetCurrentDrawingSetting();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GridXSpace, 25.0f);
    EXPECT_EQ(loaded->SnapBaseY, 3.5f);
    EXPECT_EQ(loaded->ShowGrid, 0);
    EXPECT_EQ(loaded->PenColor & 0xFFFFFF, static_cast<DWORD>(RGB(0, 0, 255)));
    EXPECT_EQ(Signature(*target), Signature(*source));
}

TEST(DxfTransfer, AStreamEndingInTheValuesLoadsThemPartly)
{
    ControlRef source;
    source->GetCurrentViewport().SetCenter(40.0f, 60.0f);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(source->SaveContent(stream), S_OK);
    // Two values and a half: the centre only.
    ULARGE_INTEGER size;
    size.QuadPart = 6 * 2 + 3;
    stream->SetSize(size);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ControlRef target;
    BuildDrawing(*target);
    const auto drawing = Signature(*target);
    const float width = target->GetCurrentViewport().width;
    EXPECT_EQ(target->LoadContent(stream), S_OK);
    stream->Release();
    EXPECT_EQ(target->GetCurrentViewport().center.x, 40.0f);
    EXPECT_EQ(target->GetCurrentViewport().center.y, 60.0f);
    EXPECT_EQ(target->GetCurrentViewport().width, width);
    EXPECT_EQ(Signature(*target), drawing);
}

TEST(DrawingBuffers, ABufferKeepsTheShapesAndTheirIds)
{
    ControlRef source;
    BuildDrawing(*source);
    LONG_PTR handle = 0;
    ASSERT_EQ(source->SaveDTC(0, 0, &handle), S_OK);
    ASSERT_NE(handle, 0);
    HGLOBAL buffer = reinterpret_cast<HGLOBAL>(handle);
    const SIZE_T size = GlobalSize(buffer);
    ASSERT_GT(size, 1u);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(buffer));
    EXPECT_EQ(bytes[size - 1], 0);
    GlobalUnlock(buffer);

    ControlRef target;
    ASSERT_EQ(target->LoadDTC(handle, DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    EXPECT_EQ(Signature(*target), Signature(*source));
    for (CShape* child : source->GetRootGroup()->Children()) {
        CShape* same = target->FindShape(child->GetId());
        ASSERT_NE(same, nullptr) << child->GetId();
        EXPECT_EQ(same->GetShapeType(), child->GetShapeType());
    }
    // The host's buffer is left as it was.
    EXPECT_EQ(GlobalSize(buffer), size);
    EXPECT_EQ(source->ReleaseDTC(handle), S_OK);
    EXPECT_EQ(source->ReleaseDTC(0), S_FALSE);
    EXPECT_EQ(source->SaveDTC(0, 0, nullptr), E_INVALIDARG);
}

// The site's settings, its units and its attribute types go into a buffer with the drawing and
// come back from it, under new IDs and under the control's own.
TEST(DrawingBuffers, SiteSettingsUnitsAndAttributeTypesTravelWithTheDrawing)
{
    for (DWORD mode : {DWORD(0), DWORD(DXFMODE_USE_YVEX_IDENTIFIERS)}) {
        SCOPED_TRACE(mode);
        ControlRef source;
        BuildDrawing(*source);
        CSiteRecord& site = source->GetSiteRecord();
        site.SetDraftLimits(CRealRect(-10, 30, 70, -20));
        site.SetGridLimits(CRealRect(-5, 25, 60, -15));
        site.measurement = 1;
        site.lineTypeScale = 12.5f;
        site.SetImageScale(3.0f);
        site.unit = 6;
        source->SetSiteId(17);
        source->SetControlFlags(source->GetControlFlags() | controlLockLimits);
        CUnitRecord cubits;
        cubits.id = 99;
        cubits.name = "Cubits";
        cubits.inches = 18.0f;
        cubits.centimetres = 45.72f;
        cubits.metric = 0;
        ASSERT_TRUE(source->AddUnit(cubits));
        CAttributeGroupData* doors = source->GetAttributeGroupMap()->Create(-1, 0, L"Doors");
        ASSERT_NE(doors, nullptr);
        CAttributeType* width = doors->GetTypes().Create(-1, 0, L"Width", L"%.2f", L"Door width");
        ASSERT_NE(width, nullptr);
        // Types are numbered apart from the source: IDs kept or not tell apart.
        ControlRef target;
        target->GetAttributeGroupMap()->Create(-1, 0, L"Windows")->GetTypes().Create(-1, 0, L"Glass", L"", L"");
        target->GetSiteRecord().unit = 4;

        LONG_PTR handle = 0;
        ASSERT_EQ(source->SaveDTC(0, mode, &handle), S_OK);
        ASSERT_EQ(target->LoadDTC(handle, mode, 0), S_OK);
        EXPECT_EQ(source->ReleaseDTC(handle), S_OK);

        const CSiteRecord& back = target->GetSiteRecord();
        const CRealRect draft = back.GetDraftLimits(), grid = back.GetGridLimits();
        EXPECT_EQ(std::vector<float>({draft.left, draft.top, draft.right, draft.bottom}), std::vector<float>({-10, 30, 70, -20}));
        EXPECT_EQ(std::vector<float>({grid.left, grid.top, grid.right, grid.bottom}), std::vector<float>({-5, 25, 60, -15}));
        EXPECT_EQ(back.measurement, 1);
        EXPECT_EQ(back.lineTypeScale, 12.5f);
        EXPECT_EQ(back.GetImageScale(), 3.0f);
        EXPECT_EQ(back.unit, 6);
        EXPECT_EQ(target->GetSiteId(), 17);
        EXPECT_NE(target->GetControlFlags() & controlLockLimits, 0u);
        const CUnitRecord* unit = target->FindUnit(99);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->name, "Cubits");
        EXPECT_EQ(unit->inches, 18.0f);
        EXPECT_EQ(unit->centimetres, 45.72f);
        EXPECT_EQ(unit->metric, 0);

        // The restore replaced the drawing's attribute model with the buffer's.
        CAttributeType* type = target->GetAttributeTypeMap()->FindByName(L"Width");
        ASSERT_NE(type, nullptr);
        EXPECT_EQ(type->GetFormat(), L"%.2f");
        EXPECT_EQ(type->GetPrompt(), L"Door width");
        ASSERT_NE(type->GetOwnerGroup(), nullptr);
        EXPECT_EQ(type->GetOwnerGroup()->GetName(), L"Doors");
        EXPECT_EQ(type->GetOwnerGroup()->GetTypes().GetCount(), 1);
        EXPECT_EQ(target->GetAttributeTypeMap()->GetCount(), 1);
        if (mode & DXFMODE_USE_YVEX_IDENTIFIERS) {
            EXPECT_EQ(type->GetId(), width->GetId());
        }
    }
}

// Included sites in load order: each record of the set puts the included site before the site
// that includes it, and the Sites records are applied in list order, the including site last.
// Saved again, the list gives one Sites record per module and one link per neighbouring pair.
TEST(DrawingTables, IncludedSitesComeBeforeTheSitesThatIncludeThem)
{
    CDataTableSet tables(1);
    const struct {
        int id;
        float left;
        int unit;
    } sites[] = {{11, -1, 2}, {12, -2, 3}, {13, -3, 5 | 0x8000}};
    for (const auto& entry : sites) {
        CSitesRecord record;
        record.siteID = entry.id;
        record.DraftLeft = entry.left;
        record.DraftTop = 10;
        record.DraftRight = 20;
        record.DraftBottom = -10;
        record.LinePatternScale = 1;
        record.ImageScale = 1;
        record.UnitID = entry.unit;
        tables.Sites()->Insert(record);
    }
    // 11 is included in 12 (merging layers, its units taken), 12 in 13.
    const int links[][3] = {{11, 12, 1}, {12, 13, 0}};
    for (const auto& link : links) {
        CIncludedSitesRecord record;
        record.RecordNumber = tables.IncludedSites()->NewKey();
        record.SubSiteID = link[0];
        record.SiteID = link[1];
        record.LayerOptions = link[2];
        record.UnitOptions = link[2];
        record.SettingOptions = -1;
        tables.IncludedSites()->Insert(record);
    }
    ControlRef control;
    ASSERT_EQ(control->ExchangeSiteTables(&tables, DXFMODE_LOAD, 0), S_OK);
    std::vector<int> order;
    for (const CIncludedSite& entry : control->GetIncludedSites())
        order.push_back(entry.siteId);
    EXPECT_EQ(order, (std::vector<int>{11, 12}));
    ASSERT_EQ(control->GetIncludedSites().size(), 2u);
    EXPECT_EQ(control->GetIncludedSites()[0].mergeLayers, 1);
    EXPECT_EQ(control->GetIncludedSites()[0].settingsOption, -1);
    EXPECT_EQ(control->GetIncludedSites()[1].mergeLayers, 0);
    EXPECT_EQ(control->GetSiteId(), 13);
    EXPECT_EQ(control->GetSiteRecord().GetDraftLimits().left, -3.0f);
    EXPECT_EQ(control->GetSiteRecord().unit, 5);
    EXPECT_NE(control->GetControlFlags() & controlLockLimits, 0u);

    CDataTableSet saved(1);
    ASSERT_EQ(control->ExchangeSiteTables(&saved, 0, 0), S_OK);
    std::vector<int> keys;
    for (const auto& entry : saved.Sites()->GetRecords())
        keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<int>{11, 12}));
    EXPECT_EQ(saved.Sites()->FindRecord(12)->UnitID, 5 | 0x8000);
    ASSERT_EQ(saved.IncludedSites()->GetCount(), 1u);
    const CIncludedSitesRecord& link = saved.IncludedSites()->GetRecords().begin()->second;
    EXPECT_EQ(std::vector<int>({link.SubSiteID, link.SiteID, link.Order}), std::vector<int>({11, 12, 1}));

    // Without included sites: one Sites record for the current site, no link.
    ControlRef plain;
    plain->SetSiteId(7);
    CDataTableSet single(1);
    ASSERT_EQ(plain->ExchangeSiteTables(&single, 0, 0), S_OK);
    ASSERT_EQ(single.Sites()->GetCount(), 1u);
    EXPECT_NE(single.Sites()->FindRecord(7), nullptr);
    EXPECT_EQ(single.IncludedSites()->GetCount(), 0u);
    CDataTableSet none(0);
    EXPECT_EQ(plain->ExchangeSiteTables(&none, DXFMODE_LOAD, 0), S_FALSE);
    EXPECT_EQ(plain->ExchangeUnitTables(&none, 0, 0), S_FALSE);
    EXPECT_EQ(plain->ExchangeAttributeTypes(&none, 0, 0), S_FALSE);
    EXPECT_EQ(plain->ExchangeSiteTables(nullptr, 0, 0), E_INVALIDARG);
}

TEST(DrawingBuffers, RandomBytesFailAndLeaveTheDrawing)
{
    ControlRef control;
    BuildDrawing(*control);
    const auto before = Signature(*control);
    HGLOBAL buffer = GlobalAlloc(GMEM_MOVEABLE, 4096);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(buffer));
    uint32_t state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(state >> 16);
    }
    GlobalUnlock(buffer);
    EXPECT_EQ(control->LoadDTC(reinterpret_cast<LONG_PTR>(buffer), 0, 0), E_FAIL);
    EXPECT_EQ(Signature(*control), before);
    GlobalFree(buffer);
    EXPECT_EQ(control->LoadDTC(0, 0, 0), E_INVALIDARG);
}

TEST(DrawingFiles, TextAndBinaryFilesLoadWithoutAHint)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary);
        ControlRef source;
        BuildDrawing(*source);
        source->SetModified(true);
        const DWORD flags = source->GetControlFlags();
        source->SetControlFlags(binary ? (flags | controlSaveAsBinary) : (flags & ~static_cast<DWORD>(controlSaveAsBinary)));
        const std::string path = Scratch(binary ? "serialized.bin" : "serialized.txt");
        ASSERT_EQ(source->SerializeDrawing(path.c_str(), 0, 0), S_OK);
        EXPECT_FALSE(source->IsModified());
        EXPECT_EQ(source->GetSiteRecord().GetName(), path);
        EXPECT_EQ(source->GetLastErrorCode(), 0);
        const std::string text = ReadAll(path);
        EXPECT_EQ(text.compare(0, 8, "//Format") == 0, !binary);
        // A second save keeps the first name.
        ASSERT_EQ(source->SerializeDrawing((path + "2").c_str(), 0, 0), S_OK);
        EXPECT_EQ(source->GetSiteRecord().GetName(), path);

        ControlRef target;
        ASSERT_EQ(target->SerializeDrawing(path.c_str(), DXFMODE_LOAD, 0), S_OK);
        EXPECT_EQ(Signature(*target), Signature(*source));
        DeleteFileA(path.c_str());
        DeleteFileA((path + "2").c_str());
    }
}

TEST(DrawingFiles, LoadBlockMakesABlockNamedAfterTheFile)
{
    ControlRef source;
    BuildDrawing(*source);
    const std::string path = NamedScratch("cabinet.yvx");
    ASSERT_EQ(source->SerializeDrawing(path.c_str(), 0, 0), S_OK);
    ControlRef target;
    int block = -1;
    ASSERT_EQ(target->LoadBlock(path.c_str(), DXFMODE_LOAD, &block), S_OK);
    ASSERT_GT(block, 0);
    CGroup* cabinet = LibraryBlock(*target, L"cabinet");
    ASSERT_NE(cabinet, nullptr);
    EXPECT_EQ(cabinet->GetId(), block);
    EXPECT_GT(cabinet->GetShapeCount(), 0);
    EXPECT_EQ(target->GetRootGroup()->GetShapeCount(), 0);
    // A file of neither format leaves the library as it was.
    const std::string junk = Scratch("junk.yvx");
    std::ofstream(junk) << "nothing to read";
    const size_t blocks = target->GetLibraryGroup()->Children().size();
    EXPECT_EQ(target->LoadBlock(junk.c_str(), DXFMODE_LOAD, &block), E_FAIL);
    EXPECT_EQ(block, 0);
    EXPECT_EQ(target->GetLibraryGroup()->Children().size(), blocks);
    DeleteFileA(path.c_str());
    DeleteFileA(junk.c_str());
}

TEST(SerializationMessages, TheModeWordReadsAsItsFlags)
{
    const struct {
        DWORD mode;
        const char* text;
    } cases[] = {
        {0x10004, "Loading"},
        {0, "Saving,\n   in background"},
        {0x1000A | 0x400, "Saving blocks using stream,\n   keeping database IDs"},
        {0x14 | 0x10000, "Loading,\n   appending to existing drawing"},
        {0x10000 | 0x20000 | 0x40000, "Saving,\n   as READ-ONLY,\n preserving database IDs"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeSerializationMode(c.mode), c.text) << c.mode;
}

TEST(SerializationMessages, ShapesAreNamedAndFailuresCollect)
{
    ControlRef control;
    const LONG line = BuildDrawing(*control);
    EXPECT_EQ(DescribeShape(nullptr), "");
    EXPECT_EQ(DescribeShape(control->FindShape(BASE_ID)), "Entire drawing");
    EXPECT_EQ(DescribeShape(control->FindShape(LIBRARY_ID)), "Blocks");
    CShape* shape = control->FindShape(line);
    EXPECT_EQ(DescribeShape(shape), "Line");
    EXPECT_EQ(DescribeShapeLayer(shape), "WALLS");
    EXPECT_EQ(DescribeShapeParent(shape), "Entire drawing");
    EXPECT_EQ(DescribeShapeParent(control->FindShape(BASE_ID)), "none");

    control->SetLastError(0, "");
    control->ReportSerializationError("Shapes.cpp", 12, 0x10004, shape, E_FAIL);
    control->ReportSerializationError("Shapes.cpp", 34, 0, shape, E_ACCESSDENIED);
    const std::string id = std::to_string(line);
    EXPECT_EQ(control->GetLastErrorText(),
              "Error serialization in 'Shapes.cpp:12':\nError Loading\n of shape " + id +
                  " Line in layer 'WALLS' as child of 'Entire drawing'.Error code 0x80004005;\n"
                  "Error serialization in 'Shapes.cpp:34':\nError Saving,\n   in background\n of shape " + id +
                  " Line in layer 'WALLS' as child of 'Entire drawing'.Error code 0x80070005");
    EXPECT_EQ(control->GetLastErrorCode(), static_cast<int>(E_ACCESSDENIED));
}

TEST(DxfTransfer, OneControlSavesAgainInEveryForm)
{
    ControlRef control;
    BuildDrawing(*control);
    for (int round = 0; round < 2; ++round) {
        for (bool binary : {false, true}) {
            SCOPED_TRACE(binary);
            const DWORD flags = control->GetControlFlags();
            control->SetControlFlags(binary ? (flags | controlSaveAsBinary) : (flags & ~static_cast<DWORD>(controlSaveAsBinary)));
            const std::string dxf = Scratch(binary ? "again_binary.dxf" : "again_ascii.dxf");
            EXPECT_EQ(control->StartDxfSave(dxf.c_str(), DXFMODE_FOREGROUND | DXFMODE_REMEMBER_FILENAME, -8), S_OK)
                << control->GetLastErrorText();
            const std::string file = Scratch(binary ? "again.bin" : "again.txt");
            EXPECT_EQ(control->SerializeDrawing(file.c_str(), 0, 0), S_OK) << control->GetLastErrorText();
            ControlRef target;
            EXPECT_EQ(target->StartDxfLoad(dxf.c_str(), DXFMODE_FOREGROUND), S_OK);
            EXPECT_EQ(Signature(*target), Signature(*control));
            DeleteFileA(dxf.c_str());
            DeleteFileA(file.c_str());
        }
    }
}

// A drawing file that ends anywhere before its EOF group, in either form, is refused before
// anything changes: the load answers a failure, quiet or not, LastErrorMessage names the line
// (ASCII) or byte (binary) where the file ended, and the drawing stays as it was.
TEST(DxfTransfer, AFileCutShortIsRefusedAndTheDrawingStays)
{
    ControlRef source;
    BuildDrawing(*source);
    const std::string door = NamedScratch("door.dxf");
    ASSERT_TRUE(CopyFileA(Fixture("door.dxf").c_str(), door.c_str(), FALSE));
    ASSERT_EQ(source->StartDxfLoad(door.c_str(), DXFMODE_BLOCKS | DXFMODE_LOAD | DXFMODE_FOREGROUND), S_OK);
    ASSERT_NE(LibraryBlock(*source, L"door"), nullptr);
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "ascii");
        ChooseForm(*source, 2, binary);
        const std::string whole = Scratch(binary ? "whole.bin.dxf" : "whole.dxf");
        ASSERT_EQ(source->StartDxfSave(whole.c_str(), DXFMODE_FOREGROUND, -8), S_OK);
        const std::string bytes = ReadAll(whole);
        const struct {
            const char* where;
            size_t at;
        } cuts[] = {
            {"inside HEADER", bytes.find("$LTSCALE") + 3},
            {"inside TABLES", bytes.find("LAYER", bytes.find("TABLES")) + 2},
            {"inside BLOCKS", bytes.find("door", bytes.find("BLOCKS")) + 2},
            {"inside an entity", bytes.find("WALLS", bytes.find("ENTITIES")) + 2},
            {"before EOF", bytes.rfind("EOF")},
        };
        ControlRef target;
        BuildDrawing(*target);
        const auto drawing = Signature(*target);
        const int blocks = target->GetLibraryGroup()->GetShapeCount();
        for (const auto& cut : cuts) {
            SCOPED_TRACE(cut.where);
            ASSERT_LT(cut.at, bytes.size());
            const std::string path = Scratch(binary ? "cut.bin.dxf" : "cut.dxf");
            WriteAll(path, bytes.substr(0, cut.at));
            const std::string ended = binary ? "byte " + std::to_string(cut.at)
                                             : "line " + std::to_string(LinesOf(bytes.substr(0, cut.at)));
            for (DWORD quiet : {DWORD(0), DWORD(DXFMODE_QUIET)}) {
                const HRESULT hr = target->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND | quiet);
                EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
                EXPECT_TRUE(target->IsIdle());
                EXPECT_EQ(target->GetLastErrorCode(), 1);
                const std::string text = target->GetLastErrorText();
                EXPECT_NE(text.find("cut short"), std::string::npos) << text;
                EXPECT_NE(text.find("ends at " + ended + " "), std::string::npos) << text;
                EXPECT_EQ(Signature(*target), drawing);
                EXPECT_EQ(target->GetLibraryGroup()->GetShapeCount(), blocks);
                EXPECT_NE(target->FindLayerByName("WALLS"), nullptr);
            }
            DeleteFileA(path.c_str());
        }
        // Whole, the same file loads.
        ASSERT_EQ(target->StartDxfLoad(whole.c_str(), DXFMODE_FOREGROUND), S_OK) << target->GetLastErrorText();
        EXPECT_EQ(Signature(*target), Signature(*source));
        DeleteFileA(whole.c_str());
    }
    DeleteFileA(door.c_str());
}

// Drawings our control wrote, loaded into a new control and saved again in every version and
// form, go to the Python check: ezdxf reads each with an audit that repairs nothing. One has two
// images of one picture. A control that loaded a drawing writes no definition (and no file) of
// the picture its image prototype shows.
TEST(DxfTransfer, ADrawingLoadedAndSavedAgainReadsElsewhere)
{
    const std::wstring picture = picturefiles::TempPath(L"yvex_transfer_picture.bmp");
    ASSERT_TRUE(picturefiles::WriteWhiteBmp(picture, 40, 20));
    const std::string folder = WinPath("YVEX_BINARY_DIR", "tests/control/dxf_out");
    for (int version : {1, 2}) {
        for (bool binary : {false, true}) {
            for (bool pictures : {false, true}) {
                const std::string name = std::string(pictures ? "pictures_" : "reloaded_") + (version == 1 ? "r12_" : "r13_") +
                                         (binary ? "binary" : "ascii") + ".dxf";
                SCOPED_TRACE(name);
                ControlRef source;
                BuildDrawing(*source);
                if (pictures) {
                    LONG id = 0;
                    ASSERT_EQ(source->AddImage(source->GetRootGroup(), picture.c_str(), 5, 60, 40, 20, true, &id), S_OK);
                    ASSERT_EQ(source->AddImage(source->GetRootGroup(), picture.c_str(), 50, 60, 20, 10, true, &id), S_OK);
                }
                ChooseForm(*source, version, binary);
                const std::string first = NamedScratch(("first_" + name).c_str());
                ASSERT_EQ(source->StartDxfSave(first.c_str(), DXFMODE_FOREGROUND, -8), S_OK);

                ControlRef target;
                ASSERT_EQ(target->StartDxfLoad(first.c_str(), DXFMODE_FOREGROUND), S_OK) << target->GetLastErrorText();
                DeleteFileA((folder + "\\default.emf").c_str());
                ChooseForm(*target, version, binary);
                ASSERT_EQ(target->StartDxfSave(OutputPath(name.c_str()).c_str(), DXFMODE_FOREGROUND, -8), S_OK);
                EXPECT_EQ(GetFileAttributesA((folder + "\\default.emf").c_str()), INVALID_FILE_ATTRIBUTES);
                EXPECT_EQ(ReadAll(OutputPath(name.c_str())).find("default.emf"), std::string::npos);
                EXPECT_EQ(Signature(*target), Signature(*source));
                DeleteFileA(first.c_str());
            }
        }
    }
    DeleteFileW(picture.c_str());
}

// The draw order of a file that gives only some entities a sort handle: those come first, by
// their handles, and the others after them in the order the file has them.
TEST(DxfTransfer, ShapesWithoutASortHandleFollowTheSortedOnesInFileOrder)
{
    std::string text = " 0\r\nSECTION\r\n 2\r\nHEADER\r\n 9\r\n$ACADVER\r\n 1\r\nAC1012\r\n 0\r\nENDSEC\r\n"
                       " 0\r\nSECTION\r\n 2\r\nENTITIES\r\n";
    // Six lines, handles 20 to 25, each starting at x = its place in the file.
    for (int i = 0; i < 6; ++i)
        text += " 0\r\nLINE\r\n 5\r\n" + std::to_string(20 + i) + "\r\n 8\r\n0\r\n 10\r\n" + std::to_string(i) +
                "\r\n 20\r\n0\r\n 11\r\n" + std::to_string(i) + "\r\n 21\r\n10\r\n";
    // Half of them sorted: 24 first, then 20, then 22.
    text += " 0\r\nENDSEC\r\n 0\r\nSECTION\r\n 2\r\nOBJECTS\r\n 0\r\nSORTENTSTABLE\r\n 5\r\n40\r\n"
            "331\r\n24\r\n 5\r\n1\r\n331\r\n20\r\n 5\r\n2\r\n331\r\n22\r\n 5\r\n3\r\n 0\r\nENDSEC\r\n 0\r\nEOF\r\n";
    const std::string path = Scratch("draw_order.dxf");
    WriteAll(path, text);
    ControlRef control;
    ASSERT_EQ(control->StartDxfLoad(path.c_str(), DXFMODE_FOREGROUND), S_OK) << control->GetLastErrorText();
    std::vector<int> order;
    float z = -1e9f;
    for (CShape* child : control->GetRootGroup()->Children()) {
        float l = 0, t = 0, r = 0, b = 0;
        child->GetBoundingRect(&l, &t, &r, &b);
        order.push_back(static_cast<int>(std::lround(l)));
        EXPECT_GT(child->GetZOrder(), z) << "drawn over the one before";
        z = child->GetZOrder();
    }
    EXPECT_EQ(order, (std::vector<int>{4, 0, 2, 1, 3, 5}));
    DeleteFileA(path.c_str());
}

// The persistence stream while another long operation holds the control: a save answers a failure
// with the control's text and leaves the control dirty (the container must not take the stream
// for its content), a load takes nothing. A stream whose drawing is cut short fails to load and
// leaves the drawing.
TEST(DxfTransfer, ThePersistenceStreamRefusesABusyControlAndACutDrawing)
{
    ControlRef control;
    BuildDrawing(*control);
    ycom::ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(control->GetControllingUnknown()->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()), S_OK);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    control->SetDirtyState(true);
    // A database load holds the gate.
    ASSERT_TRUE(control->TryCloseGate());
    EXPECT_EQ(persist->Save(stream, TRUE), E_PENDING);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    EXPECT_EQ(control->GetLastErrorCode(), 1);
    EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
    control->OpenGate();
    // (A failed save leaves what it wrote: the container starts again.)
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER none = {};
    stream->SetSize(none);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    ControlRef target;
    LONG extra = 0;
    ASSERT_EQ(target->AddLine(target->GetRootGroup(), 500, 500, 600, 700, &extra), S_OK);
    const auto before = Signature(*target);
    target->GetCurrentViewport().SetCenter(-3.0f, 4.0f);
    ycom::ComPtr<IPersistStreamInit> loader;
    ASSERT_EQ(target->GetControllingUnknown()->QueryInterface(IID_IPersistStreamInit, loader.PutVoid()), S_OK);
    ASSERT_TRUE(target->TryCloseGate());
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(loader->Load(stream), E_PENDING);
    target->OpenGate();
    EXPECT_EQ(Signature(*target), before);
    EXPECT_EQ(target->GetCurrentViewport().center.x, -3.0f);

    // The same stream cut inside its drawing.
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    ULARGE_INTEGER shorter;
    shorter.QuadPart = stat.cbSize.QuadPart - 40;
    ASSERT_EQ(stream->SetSize(shorter), S_OK);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(loader->Load(stream), E_FAIL);
    EXPECT_NE(target->GetLastErrorText().find("cut short"), std::string::npos) << target->GetLastErrorText();
    EXPECT_EQ(Signature(*target), before);
    EXPECT_TRUE(target->IsIdle());
    stream->Release();
}

namespace {
int OutOfMemoryBox(HWND, const char*, const char*, UINT) { throw std::bad_alloc(); }
} // namespace

// A foreground load that memory runs out in (here while it tells of a refused version) ends as
// a failure and leaves the control usable: idle, its layer flags as they were, the document no
// longer pointing at the transfer's parts; the next load runs.
TEST(DxfTransfer, AForegroundLoadThatRunsOutOfMemoryLeavesTheControlUsable)
{
    ControlRef control;
    const DWORD flags = (control->GetControlFlags() | controlDontMergeLayers) & ~static_cast<DWORD>(controlDontOverwriteLayers);
    control->SetControlFlags(flags);
    IPersistFile* file = control.Get();
    const std::string refused = Fixture("drawing_r2000.dxf");
    const auto previous = ycom::SetMessageBoxHandler(&OutOfMemoryBox);
    const HRESULT hr = file->Load(std::wstring(refused.begin(), refused.end()).c_str(), STGM_READ);
    ycom::SetMessageBoxHandler(previous);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_TRUE(control->IsIdle());
    EXPECT_EQ(control->GetControlFlags(), flags);
    EXPECT_EQ(control->GetDxfDocument().GetParts().root, nullptr);
    EXPECT_EQ(control->GetDxfDocument().GetParts().layers, nullptr);
    EXPECT_FALSE(control->GetDxfDocument().GetFile().IsOpen());
    EXPECT_EQ(control->GetDxfDocument().GetMode(), 0u);
    const std::string good = Fixture("drawing_r12.dxf");
    EXPECT_EQ(file->Load(std::wstring(good.begin(), good.end()).c_str(), STGM_READ), S_OK);
    EXPECT_GT(control->GetRootGroup()->GetShapeCount(), 0);
}
