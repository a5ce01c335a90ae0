// The plug-in DLLs as a host reaches them: loaded with LoadLibrary, their exports found by name,
// converters made by every factory with the registered control, their slots called through the
// host's own declaration of them, and freed by Release or the release exports.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <functional>
#include <string>
#include <vector>
#include "tests/support/FakeCom.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/PluginHost.h"

using pluginhost::Create;
using pluginhost::Exporter;
using pluginhost::ExporterFactory;
using pluginhost::ExporterRelease;
using pluginhost::Importer;
using pluginhost::ImporterFactory;
using pluginhost::ImporterRelease;
using pluginhost::Module;
using pluginhost::RefCount;
using pluginhost::StdExporterFactory;
using pluginhost::StdImporterFactory;
using pluginhost::Text;
using HostPoint = pluginhost::Point;
using faketest::FakeObject;

namespace {

struct Row {
    const char* dll;
    std::vector<std::string> exports;  // the names of its row
    std::vector<std::string> absent;   // names of other rows it must not have
    const char* stdExporter;
    const char* exporterRelease;
    const char* stdImporter;
    const char* importerRelease;
    bool plainImporter;
};

const std::vector<Row>& Rows()
{
    static const std::vector<Row> rows = {
        {"dgn",
         {"GetExporter", "GetImporter", "_GetDGNExport@12", "_ReleaseDGNExport@4", "_GetDGNImport@12", "_ReleaseDGNImport@4"},
         {"GetDGNExport", "_GetSHPImport@12"},
         "_GetDGNExport@12", "_ReleaseDGNExport@4", "_GetDGNImport@12", "_ReleaseDGNImport@4", true},
        {"shp",
         {"GetExporter", "GetImporter", "_GetSHPImport@12", "_ReleaseSHPImport@4"},
         {"_GetSHPExport@12", "_ReleaseSHPExport@4"},
         nullptr, nullptr, "_GetSHPImport@12", "_ReleaseSHPImport@4", true},
        {"xaml",
         {"GetExporter", "GetImporter", "_GetXAMLExport@12", "_ReleaseXAMLExport@4", "_GetXAMLImport@12",
          "_ReleaseXAMLImport@4"},
         {"_GetDGNExport@12"},
         "_GetXAMLExport@12", "_ReleaseXAMLExport@4", "_GetXAMLImport@12", "_ReleaseXAMLImport@4", true},
        {"pdf", {"GetExporter", "_GetPDFExport@12", "_ReleasePDFExporter@4"}, {"GetImporter", "_ReleasePDFExport@4"},
         "_GetPDFExport@12", "_ReleasePDFExporter@4", nullptr, nullptr, false},
    };
    return rows;
}

class PluginHost : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
    }
    void TearDown() override
    {
        if (control)
            control->Release();
        CoUninitialize();
    }
    IYVEXControl* control = nullptr;
};

TEST_F(PluginHost, EachDllExportsItsRow)
{
    for (const Row& row : Rows()) {
        Module dll(row.dll);
        ASSERT_TRUE(dll.Loaded()) << row.dll;
        for (const std::string& name : row.exports)
            EXPECT_NE(dll.Entry<void*>(name.c_str()), nullptr) << row.dll << " " << name;
        for (const std::string& name : row.absent)
            EXPECT_EQ(dll.Entry<void*>(name.c_str()), nullptr) << row.dll << " " << name;
    }
}

// Every factory of every DLL makes a converter bound to the control, and what frees it lets the
// control go: the control's count ends where it began.
TEST_F(PluginHost, EveryFactoryMakesAndFreesAConverter)
{
    const ULONG start = RefCount(control);
    for (const Row& row : Rows()) {
        Module dll(row.dll);
        ASSERT_TRUE(dll.Loaded()) << row.dll;
        std::vector<Exporter*> exporters;
        exporters.push_back(Create(dll.Entry<ExporterFactory>("GetExporter"), control));
        if (row.stdExporter)
            exporters.push_back(Create(dll.Entry<StdExporterFactory>(row.stdExporter), control));
        std::vector<Importer*> importers;
        if (row.plainImporter)
            importers.push_back(Create(dll.Entry<ImporterFactory>("GetImporter"), control));
        if (row.stdImporter)
            importers.push_back(Create(dll.Entry<StdImporterFactory>(row.stdImporter), control));
        for (Exporter* e : exporters) {
            ASSERT_NE(e, nullptr) << row.dll;
            EXPECT_EQ(e->GetRefCount(), 0) << row.dll;
            EXPECT_EQ(e->GetState(), 0) << row.dll;
        }
        for (Importer* i : importers) {
            ASSERT_NE(i, nullptr) << row.dll;
            EXPECT_EQ(i->GetRefCount(), 0) << row.dll;
        }
        EXPECT_GT(RefCount(control), start) << row.dll << ": the converters hold the control";
        // One of each kind through its release export (when the row has one), the rest by Release.
        if (row.exporterRelease) {
            exporters.back()->AddRef();
            exporters.back()->AddRef();
            dll.Entry<ExporterRelease>(row.exporterRelease)(exporters.back());
            dll.Entry<ExporterRelease>(row.exporterRelease)(nullptr);
            exporters.pop_back();
        }
        if (row.importerRelease) {
            importers.back()->AddRef();
            importers.back()->AddRef();
            dll.Entry<ImporterRelease>(row.importerRelease)(importers.back());
            dll.Entry<ImporterRelease>(row.importerRelease)(nullptr);
            importers.pop_back();
        }
        for (Exporter* e : exporters)
            EXPECT_EQ(e->Release(), -1) << row.dll;
        for (Importer* i : importers) {
            EXPECT_EQ(i->AddRef(), 1) << row.dll;
            EXPECT_EQ(i->Release(), 0) << row.dll;
        }
        EXPECT_EQ(RefCount(control), start) << row.dll;
    }
}

TEST_F(PluginHost, BaseDefaultsThroughTheSlots)
{
    Module dll("xaml");
    Importer* i = Create(dll.Entry<ImporterFactory>("GetImporter"), control);
    ASSERT_NE(i, nullptr);
    for (unsigned long option : {0ul, 1ul, 4ul, 0xFFFFFFFFul}) {
        EXPECT_EQ(i->ReadyImport(option, 7), TRUE);
        EXPECT_EQ(i->SetOption(option, 7), TRUE);
    }
    const HostPoint shift = i->GetShift();
    EXPECT_EQ(shift.x, 0.0);
    EXPECT_EQ(shift.y, 0.0);
    EXPECT_EQ(i->GetScale(), 1.0);
    const HostPoint base = i->GetBase();
    EXPECT_EQ(base.x, 0.0);
    EXPECT_EQ(base.y, 0.0);
    EXPECT_EQ(i->GetRotation(), 0.0);
    for (const Text& info : {i->GetInfoString1(), i->GetInfoString2(), i->GetInfoString3()}) {
        EXPECT_TRUE(info.IsNull());
        EXPECT_EQ(info.str(), "");
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    const Text text = i->GetLastErrorText();
    EXPECT_GT(text.str().size(), 2u);
    EXPECT_EQ(text.str().substr(text.str().size() - 2), "\r\n");
    i->Release();

    Exporter* e = Create(dll.Entry<ExporterFactory>("GetExporter"), control);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ReadyExport(1, 2), TRUE);
    EXPECT_EQ(e->SetOption(3, 4), TRUE);
    e->SetShift(HostPoint(10, 20));
    e->SetScale(3);
    e->SetBase(HostPoint(-1, 1));
    e->SetRotation(0.5);
    EXPECT_EQ(e->GetRefCount(), 0);
    EXPECT_EQ(e->GetState(), 0);
    e->Release();
}

TEST_F(PluginHost, ConvertersThatCannotReachTheirFileSaySo)
{
    // Every converter is built: one that cannot write or read its file answers FALSE with a
    // state of its own, never "not implemented" (the pdf plug-in after its message, answered
    // here).
    for (const char* name : {"dgn", "shp", "xaml", "pdf"}) {
        Module dll(name);
        Exporter* e = Create(dll.Entry<ExporterFactory>("GetExporter"), control);
        ASSERT_NE(e, nullptr) << name;
        {
            DialogCloser closer;
            EXPECT_EQ(e->Export(Text("Z:\\nowhere\\out"), 0, 0), FALSE) << name;
        }
        EXPECT_NE(e->GetState(), E_NOTIMPL) << name;
        e->Release();
    }
    for (const char* name : {"dgn", "shp", "xaml"}) {
        Module dll(name);
        Importer* i = Create(dll.Entry<ImporterFactory>("GetImporter"), control);
        ASSERT_NE(i, nullptr) << name;
        EXPECT_EQ(i->Import(Text("Z:\\nowhere\\in"), 0, 0), FALSE) << name;
        EXPECT_NE(i->GetState(), E_NOTIMPL) << name;
        i->Release();
    }
}

TEST(PluginHostFakes, ABindingErrorReachesTheHost)
{
    FakeObject fakeControl(__uuidof(IYVEXControl));
    FakeObject site(__uuidof(ISite));
    FakeObject shapes(__uuidof(IShapeCollection));
    FakeObject layers(__uuidof(IShape));
    FakeObject layerShapes(__uuidof(IShapeCollection));
    fakeControl.Answer(__uuidof(ISite), S_OK, &site);
    site.Getter(&ISite::get_Shapes, S_OK, &shapes);
    // The block library (-3) is missing.
    shapes.ItemGetter(&IReadOnlyShapeCollection::get_ItemByID, {{LAYERS_ID, &layers}});
    layers.Getter(&IShape::get_Shapes, S_OK, &layerShapes);
    for (const char* factory : {"GetImporter", "_GetSHPImport@12"}) {
        Module dll("shp");
        try {
            Create(dll.Entry<ImporterFactory>(factory), fakeControl.As<IYVEXControl>());
            ADD_FAILURE() << factory << ": no exception";
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), E_POINTER) << factory;
        }
        EXPECT_EQ(fakeControl.Refs() + site.Refs() + shapes.Refs() + layers.Refs() + layerShapes.Refs(), 0)
            << factory << ": nothing leaked";
    }
    // A control without a site gives an unbound converter, no exception.
    fakeControl.Answer(__uuidof(ISite), E_NOINTERFACE);
    Module dll("pdf");
    Exporter* e = nullptr;
    EXPECT_NO_THROW(e = Create(dll.Entry<StdExporterFactory>("_GetPDFExport@12"), fakeControl.As<IYVEXControl>()));
    ASSERT_NE(e, nullptr);
    dll.Entry<ExporterRelease>("_ReleasePDFExporter@4")(e);
    EXPECT_EQ(fakeControl.Refs(), 0);
}

} // namespace
