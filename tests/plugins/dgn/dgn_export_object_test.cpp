// The DGN exporter's own state: the host's transformation into design-file coordinates, the
// running Z, the colour matching against the palette, Init and copies, and the options dialog
// (template 159) driven by a WH_CBT hook.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>
#include <string>
#include "DesignFile.h"
#include "DgnString.h"
#include "ElementLinkages.h"
#include "Library.h"
#include "dgn/DGNExport.h"
#include "dgn/resource.h"
#include "EntityIterator.h"
#include "elements/ApplicationElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "tests/support/DialogCloser.h"

namespace {

const double kPi = 3.14159265358979323846;

struct Exporter : CDGNExport {
    Exporter() : CDGNExport(IYVEXControlPtr(), nullptr, nullptr) {}
};

TEST(DgnExportObject, PointsVectorsLengthsAndAngles)
{
    struct Case {
        double baseX, baseY, rotation, shiftX, shiftY, scale;
        double x, y, expectX, expectY;
    };
    const Case cases[] = {
        {10, 0, kPi / 2, 0, 0, 1, 11, 0, 10, -1},  // about the base point, clockwise
        {0, 0, 0, 5, 5, 2, 1, 1, 3, 3},             // shifted, then divided
        {0, 0, 0, 5, 5, 0, 1, 1, 6, 6},             // scale 0: shifted only
        {7, 7, 0, 0, 0, 1, 1, 2, 1, 2},             // the base point alone moves nothing
    };
    for (const Case& c : cases) {
        Exporter e;
        e.SetBase(CRealPoint<double>(c.baseX, c.baseY));
        e.SetRotation(c.rotation);
        e.SetShift(CRealPoint<double>(c.shiftX, c.shiftY));
        e.SetScale(c.scale);
        const CRealPoint<double> p = e.GetPt(c.x, c.y);
        EXPECT_NEAR(p.x, c.expectX, 1e-6) << c.x << "," << c.y;
        EXPECT_NEAR(p.y, c.expectY, 1e-6) << c.x << "," << c.y;
        EXPECT_EQ(e.GetX(c.x, c.y), p.x);
        EXPECT_EQ(e.GetY(c.x, c.y), p.y);
    }
    Exporter e;
    e.SetShift(CRealPoint<double>(5, 5));
    e.SetScale(2);
    EXPECT_EQ(e.GetLength(4), 2.0);
    const CRealPoint<double> v = e.GetVector(CRealPoint<double>(2, 2));
    EXPECT_EQ(v.x, 1.0);
    EXPECT_EQ(v.y, 1.0);
    e.SetScale(0);
    EXPECT_EQ(e.GetLength(4), 4.0);
    EXPECT_EQ(e.GetAngle(90.0f), 90.0f) << "no rotation";
    e.SetRotation(kPi / 2);
    EXPECT_NEAR(e.GetAngle(90.0f), 0.0f, 1e-4);
    EXPECT_NEAR(e.GetAngleRad(1.0f), 1.0f - static_cast<float>(kPi / 2), 1e-6);
    const CRealPoint<double> turned = e.GetVector(CRealPoint<double>(0, 1));
    EXPECT_NEAR(turned.x, 1.0, 1e-6) << "no shift, no base point";
    EXPECT_NEAR(turned.y, 0.0, 1e-6);
}

TEST(DgnExportObject, NextZStepsAndRaises)
{
    Exporter e;
    e.SetZ(0, 0.25f);
    EXPECT_EQ(e.GetNextZ(0), 0.25f);
    EXPECT_EQ(e.GetNextZ(1), 1.0f) << "0.5 raised";
    EXPECT_EQ(e.GetNextZ(0), 0.75f) << "the raise was not kept";
}

TEST(DgnExportObject, NearestColourUnderTheWeights)
{
    Exporter e;
    COLORREF* palette = e.Palette();
    palette[3] = RGB(200, 0, 0);
    palette[4] = RGB(0, 90, 0);
    palette[5] = RGB(0, 90, 0);
    palette[6] = RGB(255, 255, 255);
    struct Case {
        unsigned colour;
        int index;
    };
    const Case cases[] = {
        {0x20000000, -1},           {0x40000000, -2},
        {RGB(0, 90, 0), 4},         // equal to two entries: the lower
        {RGB(255, 0, 0), 3},        // 30 x 55² beats black's 30 x 255²
        {RGB(0, 0, 0), 0},          {RGB(250, 250, 250), 6},
        {RGB(0, 0, 0) | 0x01000000, 0}, // other flag bits are not looked at
    };
    for (const Case& c : cases)
        EXPECT_EQ(e.GetNearestColor(c.colour), c.index) << std::hex << c.colour;
}

TEST(DgnExportObject, InitAndCopies)
{
    Exporter e;
    EXPECT_EQ(e.GetExportMode(), 1);
    e.SetExportMode(0);
    e.SetScale(3);
    e.SetRotation(1);
    e.SetShift(CRealPoint<double>(2, 2));
    e.Palette()[7] = RGB(1, 2, 3);
    e.LayerLevels()[12] = 3;
    e.BlockNames()[40] = "Door";
    e.NextGraphicGroup();
    e.SetZ(1.5f, 0.5f);

    Exporter copy;
    copy = e;
    EXPECT_EQ(copy.GetExportMode(), 0);
    EXPECT_EQ(copy.LayerLevels().at(12), 3);
    EXPECT_STREQ(copy.BlockNames().at(40).GetString(), "Door");
    EXPECT_EQ(copy.Palette()[7], RGB(1, 2, 3));
    EXPECT_EQ(copy.NextGraphicGroup(), 2);
    EXPECT_EQ(copy.GetNextZ(0), 2.0f);
    EXPECT_NEAR(copy.GetX(0, 0), 2.0 / 3.0, 1e-12);
    EXPECT_EQ(copy.GetDesignFile(), nullptr);
    CDGNExport constructed(e);
    EXPECT_EQ(constructed.LayerLevels().size(), 1u);

    e.Init();
    EXPECT_EQ(e.GetExportMode(), 1);
    EXPECT_EQ(e.Palette()[7], 0u);
    EXPECT_EQ(e.NextGraphicGroup(), 1);
    EXPECT_EQ(e.GetLength(3), 3.0) << "scale 1 again";
    EXPECT_EQ(e.GetAngleRad(1.0f), 1.0f) << "no rotation";
    EXPECT_EQ(e.GetX(0, 0), 2.0) << "the shift stays";
    EXPECT_EQ(e.LayerLevels().size(), 1u) << "the maps stay";
    EXPECT_EQ(e.GetNextZ(0), 2.0f) << "Z stays";
}

// Mode -1 asks: OK with the box as it came (checked) exports the visible layers only, OK with it
// cleared every layer; Cancel stops the run. Any other mode asks nothing.
TEST(DgnExportObject, OptionsDialogChoosesTheMode)
{
    struct Case {
        const char* name;
        int mode;
        bool clear;
        int button;
        bool goesOn;
        int chosen;
        int dialogs;
    };
    const Case cases[] = {
        {"checked, OK", -1, false, IDOK, true, 1, 1},
        {"cleared, OK", -1, true, IDOK, true, 0, 1},
        {"cancelled", -1, false, IDCANCEL, false, -1, 1},
        {"every layer, no question", 0, false, IDOK, true, 0, 0},
        {"visible layers, no question", 1, false, IDOK, true, 1, 0},
    };
    for (const Case& c : cases) {
        Exporter e;
        int checkedAsShown = -1;
        std::string caption;
        DialogCloser closer([&](HWND dialog, int) {
            checkedAsShown = static_cast<int>(IsDlgButtonChecked(dialog, IDC_VISIBLE_LAYERS_ONLY));
            char text[64] = "";
            GetDlgItemTextA(dialog, IDC_VISIBLE_LAYERS_ONLY, text, sizeof text);
            caption = text;
            if (c.clear)
                SendDlgItemMessageA(dialog, IDC_VISIBLE_LAYERS_ONLY, BM_SETCHECK, BST_UNCHECKED, 0);
            DialogCloser::PostCommand(dialog, c.button);
        });
        EXPECT_EQ(e.ChooseExportMode(c.mode), c.goesOn) << c.name;
        EXPECT_EQ(closer.Activations(), c.dialogs) << c.name;
        EXPECT_FALSE(closer.TimedOut()) << c.name;
        if (c.goesOn) {
            EXPECT_EQ(e.GetExportMode(), c.chosen) << c.name;
        }
        if (c.dialogs) {
            EXPECT_EQ(checkedAsShown, BST_CHECKED) << c.name;
            EXPECT_EQ(caption, "Export visible layers only");
        }
    }
}

// The palette: black, then the library's DGN colours 1 to 255.
TEST(DgnExportObject, PaletteFromTheLibrary)
{
    Exporter e;
    e.Palette()[0] = RGB(9, 9, 9);
    e.FillPalette();
    EXPECT_EQ(e.Palette()[0], 0u);
    for (int i : {1, 7, 255})
        EXPECT_EQ(e.Palette()[i], static_cast<COLORREF>(dgn::GetColorRGB(i, nullptr))) << i;
}

// The model's units for drawings in millimetres, feet and no unit (and a scaled export), set on a
// new file's model, saved, and read back from the file by the library.
TEST(DgnExportObject, ModelUnitsWrittenAndReadBack)
{
    ASSERT_TRUE(dgn::InitializeLibrary(9964, 1));
    struct Case {
        const char* name;
        int unit;
        double scale;
        const char* master;
        const char* sub;
        double masterNumerator, masterDenominator, uors, storageNumerator, storageDenominator;
        std::uint32_t system;  // bits 3 to 5 of both unit words
    };
    const Case cases[] = {
        {"mm", 4, 1.0, "mm", "mkm", 1000, 1, 1000, 0, 0, 2},
        {"ft", 2, 1.0, "ft", "mft", 304.8, 304.8, 1, 3048, 10000, 1},
        {"unitless", 0, 1.0, "'", "\"", 1000, 1, 1, 0, 0, 2},
        {"mm scaled by 4", 4, 4.0, "mm", "mkm", 1000, 1, 250, 0, 0, 2},
    };
    for (const Case& c : cases) {
        const std::string path = std::string("dgn_units_") + c.name + ".dgn";
        std::remove(path.c_str());
        std::unique_ptr<dgn::CDesignFile> file(dgn::CDesignFile::CreateNew(path.c_str()));
        ASSERT_NE(file, nullptr) << c.name;
        int cursor = 0;
        dgn::CApplicationElement* model = file->GetNextModel(&cursor);
        ASSERT_NE(model, nullptr) << c.name;
        const double seedStorage[2] = {model->GetStorageUnitsNumerator(), model->GetStorageUnitsDenominator()};
        Exporter e;
        e.SetScale(c.scale);
        e.SetModelUnits(model, c.unit);
        ASSERT_EQ(file->SaveAsA(path.c_str(), 1), 1) << c.name;
        file.reset();

        std::unique_ptr<dgn::CDesignFile> back(dgn::OpenDesignFile(path.c_str()));
        ASSERT_NE(back, nullptr) << c.name;
        cursor = 0;
        model = back->GetNextModel(&cursor);
        ASSERT_NE(model, nullptr) << c.name;
        EXPECT_NEAR(model->GetMasterUnitsNumerator(), c.masterNumerator, 1e-9) << c.name;
        EXPECT_NEAR(model->GetMasterUnitsDenominator(), c.masterDenominator, 1e-9) << c.name;
        EXPECT_NEAR(model->GetSubUnitsNumerator(), c.masterNumerator, 1e-9) << c.name;
        EXPECT_NEAR(model->GetSubUnitsDenominator(), 1000 * c.masterDenominator, 1e-9) << c.name;
        EXPECT_NEAR(model->GetUorScale(), c.uors, 1e-9) << c.name;
        if (c.storageNumerator != 0) {
            EXPECT_NEAR(model->GetStorageUnitsNumerator(), c.storageNumerator, 1e-9) << c.name;
            EXPECT_NEAR(model->GetStorageUnitsDenominator(), c.storageDenominator, 1e-9) << c.name;
        } else {
            EXPECT_EQ(model->GetStorageUnitsNumerator(), seedStorage[0]) << c.name << ": the seed's";
            EXPECT_EQ(model->GetStorageUnitsDenominator(), seedStorage[1]) << c.name;
        }
        EXPECT_EQ((model->GetMasterUnitsFlags() >> 3) & 7, c.system) << c.name;
        EXPECT_EQ((model->GetSubUnitsFlags() >> 3) & 7, c.system) << c.name;
        EXPECT_EQ(model->GetMasterUnitsFlags() & 7, 1u) << c.name;
        char label[32] = "";
        ASSERT_NE(model->GetAttributes(), nullptr);
        EXPECT_TRUE(model->GetAttributes()->GetStringLinkage(19, label, sizeof label)) << c.name;
        EXPECT_STREQ(label, c.master) << c.name;
        EXPECT_TRUE(model->GetAttributes()->GetStringLinkage(20, label, sizeof label)) << c.name;
        EXPECT_STREQ(label, c.sub) << c.name;
    }
    dgn::ShutdownLibrary();
    std::string master, sub;
    CDGNExport::GetUnitLabels(99, &master, &sub);
    EXPECT_EQ(master + sub, "'\"") << "an unknown unit as inches";
    CDGNExport::GetUnitLabels(8, &master, &sub);
    EXPECT_EQ(master + " " + sub, "mk\" n\"");
}

// Levels for the layers: names (an empty one kept), colours as palette indices, flags and code,
// numbered from the file's level table; the level mask has a bit for the highest level number
// written (at least 16, whole bytes) with the hidden layers' levels off. Written and read back.
TEST(DgnExportObject, LevelsAndTheLevelMask)
{
    ASSERT_TRUE(dgn::InitializeLibrary(9964, 1));
    struct Case {
        const char* name;
        int taken;   // levels the file had before, numbered 1 up
        int layers;  // layer IDs 12, 13, ...; every second one hidden
        std::uint32_t bits;
    };
    const Case cases[] = {
        {"4 layers", 0, 4, 16},
        {"17 layers", 0, 17, 24},
        {"4 layers after 16 taken levels", 16, 4, 24},
    };
    for (const Case& c : cases) {
        const std::string path = std::string("dgn_levels_") + std::to_string(c.taken) + "_" + std::to_string(c.layers) + ".dgn";
        std::unique_ptr<dgn::CDesignFile> file(dgn::CDesignFile::CreateNew(path.c_str()));
        ASSERT_NE(file, nullptr);
        for (int i = 0; i < c.taken; ++i) {
            dgn::CLevelEntryElement* other = dgn::CLevelEntryElement::Create(file.get(), 0);
            other->AssignNewLevelNumber();
            other->Touch();
        }
        Exporter e;
        e.FillPalette();
        std::set<long> hidden;
        std::vector<int> numbers;
        for (int i = 0; i < c.layers; ++i) {
            const long layer = 12 + i;
            if (i % 2)
                hidden.insert(layer);
            const std::string name = i == 0 ? "" : "L" + std::to_string(i);
            numbers.push_back(e.AddLevel(file.get(), layer, name.c_str(), RGB(255, 0, 0), 0x20000000));
        }
        EXPECT_EQ(numbers.front(), c.taken + 1) << c.name << ": the lowest free number";
        EXPECT_EQ(e.LevelMaskBits(), c.bits) << c.name;
        dgn::CLevelMaskElement* mask = e.MakeLevelMask(file.get(), 0, hidden);
        ASSERT_NE(mask, nullptr);
        EXPECT_EQ(mask->GetBitCount(), c.bits) << c.name;
        for (int i = 0; i < c.layers; ++i)
            EXPECT_EQ(mask->IsLevelOn(numbers[i]), i % 2 == 0) << c.name << " level " << numbers[i];
        EXPECT_TRUE(mask->IsLevelOn(1) || c.taken == 0) << "levels of no hidden layer stay on";
        ASSERT_EQ(file->SaveAsA(path.c_str(), 1), 1);
        file.reset();

        std::unique_ptr<dgn::CDesignFile> back(dgn::OpenDesignFile(path.c_str()));
        ASSERT_NE(back, nullptr);
        for (int i = 0; i < c.layers; ++i) {
            dgn::CLevelEntryElement* level = back->GetLevel(numbers[i]);
            ASSERT_NE(level, nullptr) << c.name << " level " << numbers[i];
            EXPECT_EQ(level->GetLevelFlags(), 0x266) << c.name;
            EXPECT_EQ(level->GetLevelData()->levelCode, static_cast<std::uint32_t>(12 + i - 1)) << c.name;
            EXPECT_EQ(level->GetLevelData()->levelColor, e.GetNearestColor(RGB(255, 0, 0))) << c.name;
            EXPECT_EQ(level->GetLevelData()->levelFillColor, -1) << c.name << ": by-level hatch";
            EXPECT_STREQ(level->GetName()->CStr(), i == 0 ? "" : ("L" + std::to_string(i)).c_str()) << c.name;
        }
        int masks = 0;
        std::unique_ptr<dgn::CEntityIterator> walk(back->CreateChildIterator(nullptr));
        for (dgn::IEntity* entity = walk ? walk->Next() : nullptr; entity; entity = walk->Next())
            if (auto* read = dynamic_cast<dgn::CLevelMaskElement*>(entity)) {
                ++masks;
                EXPECT_EQ(read->GetBitCount(), c.bits) << c.name;
                EXPECT_FALSE(read->IsLevelOn(numbers[1])) << c.name;
                EXPECT_TRUE(read->IsLevelOn(numbers[0])) << c.name;
            }
        EXPECT_EQ(masks, 1) << c.name << ": the mask is in the file";
    }
    dgn::ShutdownLibrary();
}

} // namespace
