// Record tables and the table set: keys, cursors, secondary indexes, ID maps, the header and
// its version check, and the archive pass over all three archives.
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/SampleTableSet.h"

#include "persistence/BinaryFileArchive.h"
#include "persistence/DataTableSet.h"
#include "persistence/MemoryBinaryArchive.h"
#include "persistence/TextFileArchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace archive_test;

namespace {

struct ArchiveForm {
    const char* name;
    std::function<std::unique_ptr<CDataArchive>()> make;
};

std::vector<ArchiveForm> AllForms()
{
    static const std::string bin = ScratchPath("set.bin");
    static const std::string txt = ScratchPath("set.txt");
    return {{"memory", [] { return std::unique_ptr<CDataArchive>(new CMemoryBinaryArchive); }},
            {"binary file", [] { return std::unique_ptr<CDataArchive>(new CBinaryFileArchive(bin.c_str())); }},
            {"text file", [] { return std::unique_ptr<CDataArchive>(new CTextFileArchive(txt.c_str())); }}};
}

TEST(DataTableSet, FullAndEmptySets)
{
    CDataTableSet full(1);
    EXPECT_EQ(full.GetHeader()->TableCount, 29);
    const char* const names[] = {"Arc", "Attributes", "AttributeGroups", "AttributeTypes", "Circle", "DrawingSettings",
                                 "Ellipses", "Groups", "HatchPatterns", "ImageResources", "Images", "IncludedSites",
                                 "Layers", "LayerSettings", "Lines", "LinkedPoints", "Points", "Polylines",
                                 "References", "ShapeAttributes", "ShapeAttributeGroups", "Shapes", "ShapePoints",
                                 "SiteAttributes", "Sites", "Texts", "Vertexes", "Viewports", "Units"};
    for (int i = 0; i < DATA_TABLE_COUNT; ++i) {
        ASSERT_NE(full.GetTable(i), nullptr);
        EXPECT_STREQ(full.GetTable(i)->GetName(), names[i]);
    }
    EXPECT_EQ(full.GetTable(DATA_TABLE_COUNT), nullptr);

    CDataTableSet empty(0);
    EXPECT_EQ(empty.GetHeader()->TableCount, 0);
    EXPECT_EQ(empty.Shapes(), nullptr);
    // Tables made on demand are not counted in the header.
    ASSERT_NE(empty.CreateTable(dtShapes), nullptr);
    EXPECT_EQ(empty.CreateTable(dtShapes), empty.Shapes());
    EXPECT_EQ(empty.GetHeader()->TableCount, 0);
    // Such a set writes the header and its one table.
    CMemoryBinaryArchive ar;
    ASSERT_EQ(empty.WriteToArchive(&ar), 1);
    EXPECT_EQ(ar.GetBuffer()[1], 2);
}

TEST(DataTable, KeysCursorAndErase)
{
    CLinesTable table;
    CLinesRecord r;
    EXPECT_EQ(table.MoveFirst(), 0);
    EXPECT_EQ(table.GetCurrent(), nullptr);
    for (int key : {30, 10, 20}) {
        r.ShapeID = key;
        r.FirstArrowTypeID = key / 10;
        EXPECT_EQ(table.Insert(r), 0);
    }
    r.ShapeID = 20;
    r.FirstArrowTypeID = 99;
    table.Insert(r);  // a key that is taken keeps its first record
    EXPECT_EQ(table.GetCount(), 3u);
    EXPECT_EQ(table.FindRecord(20)->FirstArrowTypeID, 2);
    EXPECT_EQ(table.GetMaxKey(), 30);

    // Key order; erasing under the cursor moves it on; erasing the last leaves it at the end.
    ASSERT_EQ(table.MoveFirst(), 1);
    EXPECT_EQ(table.GetCurrent()->ShapeID, 10);
    EXPECT_EQ(table.EraseCurrent(), 1);
    EXPECT_EQ(table.GetCurrent()->ShapeID, 20);
    EXPECT_EQ(table.MoveNext(), 1);
    EXPECT_EQ(table.GetCurrent()->ShapeID, 30);
    EXPECT_EQ(table.EraseCurrent(), 1);
    EXPECT_EQ(table.GetCurrent(), nullptr);
    EXPECT_EQ(table.EraseCurrent(), 0);
    EXPECT_EQ(table.MoveNext(), 0);

    // EraseKey with the cursor on the key.
    ASSERT_NE(table.FindRecord(20), nullptr);
    EXPECT_EQ(table.EraseKey(20), 1);
    EXPECT_EQ(table.GetCurrent(), nullptr);
    EXPECT_EQ(table.EraseKey(20), 0);

    // Clear keeps the largest key: new keys go on above the old ones.
    r.ShapeID = 5;
    table.Insert(r);
    table.Clear();
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_EQ(table.NewKey(), 31);
    EXPECT_EQ(table.GetMaxKey(), 31);

    // SeekKey / NextKey: keys are unique, so NextKey passes the record at once.
    r.ShapeID = 40;
    table.Insert(r);
    r.ShapeID = 41;
    table.Insert(r);
    EXPECT_EQ(table.SeekKey(40), 1);
    EXPECT_EQ(table.NextKey(), 0);
    EXPECT_EQ(table.GetCurrent()->ShapeID, 41);
    EXPECT_EQ(table.SeekKey(39), 0);
    EXPECT_EQ(table.GetCurrent(), nullptr);
    EXPECT_EQ(table.SeekSecondaryKey(40), 0);  // no secondary index
}

TEST(DataTable, SecondaryIndexesWalkRecordsBySecondaryKey)
{
    CShapePointsTable table;
    EXPECT_STREQ(table.GetName(), "ShapePoints");
    // (key, 0, number, shape, point)
    table.Insert({1, 0, 0, 12, 40});
    table.Insert({2, 0, 1, 12, 41});
    table.Insert({3, 0, 0, 13, 41});
    table.Insert({4, 0, 2, 12, 42});
    // A taken key with another shape: ignored, and not in the index either.
    table.Insert({2, 0, 0, 13, 99});

    auto walk = [&](int32_t key, int index) {
        std::vector<int32_t> keys;
        if (table.SeekSecondaryKey(key, index)) {
            while (CShapePointsRecord* r = table.NextInOrder()) {
                if ((index == 0 ? r->ShapeID : r->PointID) != key)
                    break;
                keys.push_back(r->ShapePointID);
                EXPECT_EQ(table.GetCurrent(), r);  // the table's cursor follows
            }
        }
        return keys;
    };
    EXPECT_EQ(walk(12, 0), std::vector<int32_t>({1, 2, 4}));
    EXPECT_EQ(walk(13, 0), std::vector<int32_t>({3}));
    EXPECT_EQ(walk(41, 1), std::vector<int32_t>({2, 3}));
    EXPECT_EQ(walk(99, 1), std::vector<int32_t>());
    EXPECT_EQ(walk(11, 0), std::vector<int32_t>());

    // Erased records leave the indexes.
    table.EraseKey(2);
    EXPECT_EQ(walk(12, 0), std::vector<int32_t>({1, 4}));
    EXPECT_EQ(walk(41, 1), std::vector<int32_t>({3}));
    table.Clear();
    EXPECT_EQ(walk(12, 0), std::vector<int32_t>());

    CLayerSettingsTable settings;
    settings.Insert({1, 0, 1, 1, 1, 11});
    settings.Insert({2, 0, 0, 1, 1, 7});
    ASSERT_EQ(settings.SeekSecondaryKey(11), 1);
    EXPECT_EQ(settings.NextInOrder()->LayerSettingID, 1);
}

TEST(DataTableSet, IdMapsTranslateBothWays)
{
    CDataTableSet set(0);
    EXPECT_EQ(set.AddIdMapping(500, 12, 0), 0);
    EXPECT_EQ(set.AddIdMapping(501, 13, 7), 0);
    EXPECT_EQ(set.StoredToCurrentId(12, 0, 0), 500);
    EXPECT_EQ(set.CurrentToStoredId(500, 0, 0), 12);
    EXPECT_EQ(set.StoredToCurrentId(13, 7, 0), 501);
    EXPECT_EQ(set.StoredToCurrentId(13, 0, 0), -100);   // other kind
    EXPECT_EQ(set.StoredToCurrentId(12, 8, 0), -100);   // no such kind
    EXPECT_EQ(set.AddIdMapping(1, 1, 8), -100);
    EXPECT_EQ(set.StoredToCurrentId(12, 9, 0x400), 12); // identifiers kept: no translation
    EXPECT_EQ(set.CurrentToStoredId(777, 0, 0x400), 777);
    // Removing needs the right partner.
    set.RemoveIdMapping(499, 12, 0);
    EXPECT_EQ(set.StoredToCurrentId(12, 0, 0), 500);
    set.RemoveIdMapping(500, 12, 0);
    EXPECT_EQ(set.StoredToCurrentId(12, 0, 0), -100);
    EXPECT_EQ(set.CurrentToStoredId(500, 0, 0), -100);
    set.ClearAll();
    EXPECT_EQ(set.StoredToCurrentId(13, 7, 0), -100);
}

TEST(DataTableSet, HeaderVersionCheck)
{
    struct Case {
        int32_t version;
        int check;
    };
    const Case cases[] = {
        {0x07000001, 1}, {0x07000101, -1}, {0x06000001, -2}, {0x05000001, -2}, {0x07000002, 0}, {0, 0},
    };
    for (const Case& c : cases) {
        CFileHeaderRecord header;
        header.FormatVersion = c.version;
        EXPECT_EQ(header.CheckVersion(), c.check) << std::hex << c.version;
    }
}

TEST(DataTableSet, StoredHeaderSixthValueZeroReadsAsOne)
{
    CDataTableSet set(0);
    set.GetHeader()->Reserved6 = 0;
    CMemoryBinaryArchive ar;
    ASSERT_EQ(set.WriteToArchive(&ar), 1);
    CDataTableSet copy(0);
    copy.GetHeader()->Reserved6 = 5;
    ASSERT_EQ(copy.ReadFromArchive(&ar), 1);
    EXPECT_EQ(copy.GetHeader()->Reserved6, 1);
}

TEST(DataTableSet, NewerVersionIsRefusedAndNothingChanges)
{
    for (const ArchiveForm& form : AllForms()) {
        CDataTableSet newer(1);
        newer.GetHeader()->FormatVersion = 0x07000002;
        newer.Lines()->Insert({1, 0, 5, 5});
        std::unique_ptr<CDataArchive> ar = form.make();
        ASSERT_EQ(newer.WriteToArchive(ar.get()), 1) << form.name;

        CDataTableSet target(1);
        target.Lines()->Insert({9, 0, 1, 2});
        const std::vector<uint8_t> before = MemoryImage(target);
        EXPECT_EQ(target.ReadFromArchive(ar.get()), 0) << form.name;
        EXPECT_EQ(MemoryImage(target), before) << form.name;
        EXPECT_EQ(target.GetHeader()->FormatVersion, 0x07000001) << form.name;

        // An older major version is read.
        newer.GetHeader()->FormatVersion = 0x05000001;
        ASSERT_EQ(newer.WriteToArchive(ar.get()), 1);
        EXPECT_EQ(target.ReadFromArchive(ar.get()), 1) << form.name;
        EXPECT_NE(target.Lines()->FindRecord(1), nullptr) << form.name;
    }
}

TEST(DataTableSet, EmptyFullSetRoundTripsInEveryArchive)
{
    for (const ArchiveForm& form : AllForms()) {
        CDataTableSet set(1);
        std::unique_ptr<CDataArchive> ar = form.make();
        ASSERT_EQ(set.WriteToArchive(ar.get()), 1) << form.name;
        CDataTableSet copy(1);
        copy.GetHeader()->TableCount = 0;
        ASSERT_EQ(copy.ReadFromArchive(ar.get()), 1) << form.name;
        EXPECT_EQ(copy.GetHeader()->TableCount, 29) << form.name;
        for (int i = 0; i < DATA_TABLE_COUNT; ++i)
            EXPECT_EQ(copy.GetTable(i)->GetCount(), 0u) << form.name << " " << DataTableName(i);
    }
}

TEST(DataTableSet, LargeImageDataTravelsInEveryArchive)
{
    for (const ArchiveForm& form : AllForms()) {
        CDataTableSet set(1);
        CImageResourcesRecord image;
        image.imageResourceID = 1;
        image.content = SampleImage(200000);
        set.ImageResources()->Insert(image);
        std::unique_ptr<CDataArchive> ar = form.make();
        ASSERT_EQ(set.WriteToArchive(ar.get()), 1) << form.name;
        CDataTableSet copy(1);
        ASSERT_EQ(copy.ReadFromArchive(ar.get()), 1) << form.name;
        // The record owns its copy: the archive may go away.
        ar.reset();
        ASSERT_NE(copy.ImageResources()->FindRecord(1), nullptr);
        EXPECT_EQ(copy.ImageResources()->FindRecord(1)->content, image.content) << form.name;
    }
}

// Database IDs in 16-bit fields: one that does not fit would come back as another row's ID.
TEST(DataTableSet, DatabaseIdsThatDoNotFitTravelAsNone)
{
    struct Case {
        int32_t stored;
        int32_t read;
    };
    const Case cases[] = {{1, 1}, {32767, 32767}, {32768, 0}, {40000, 0}, {65537, 0}, {-5, 0}};
    for (const Case& c : cases) {
        CDataTableSet set(1);
        CShapesRecord shape;
        shape.ShapeID = 1;
        shape.DatabaseID = c.stored;
        set.Shapes()->Insert(shape);
        CPointsRecord point;
        point.pointID = 1;
        point.DatabaseID = c.stored;
        set.Points()->Insert(point);
        CVertexesRecord vertex;
        vertex.VertexID = 1;
        vertex.DatabaseID = c.stored;
        set.Vertexes()->Insert(vertex);
        CDrawingSettingsRecord setting;
        setting.drawingSettingID = 1;
        setting.DatabaseID = c.stored;
        set.DrawingSettings()->Insert(setting);
        CViewportsRecord viewport;
        viewport.viewPortID = 1;
        viewport.DatabaseID = c.stored;
        set.Viewports()->Insert(viewport);
        CImageResourcesRecord image;
        image.imageResourceID = 1;
        image.DatabaseID = c.stored;
        set.ImageResources()->Insert(image);
        CAttributesRecord attribute;  // 32 bits wide here: travels whole
        attribute.AttributeID = 1;
        attribute.DatabaseID = c.stored;
        set.Attributes()->Insert(attribute);

        for (const ArchiveForm& form : AllForms()) {
            std::unique_ptr<CDataArchive> ar = form.make();
            ASSERT_EQ(set.WriteToArchive(ar.get()), 1);
            CDataTableSet copy(1);
            ASSERT_EQ(copy.ReadFromArchive(ar.get()), 1);
            const std::string what = std::string(form.name) + " " + std::to_string(c.stored);
            EXPECT_EQ(copy.Shapes()->FindRecord(1)->DatabaseID, c.read) << what;
            EXPECT_EQ(copy.Points()->FindRecord(1)->DatabaseID, c.read) << what;
            EXPECT_EQ(copy.Vertexes()->FindRecord(1)->DatabaseID, c.read) << what;
            EXPECT_EQ(copy.DrawingSettings()->FindRecord(1)->DatabaseID, c.read) << what;
            EXPECT_EQ(copy.Viewports()->FindRecord(1)->DatabaseID, c.read) << what;
            EXPECT_EQ(copy.ImageResources()->FindRecord(1)->DatabaseID, c.read) << what;
            EXPECT_EQ(copy.Attributes()->FindRecord(1)->DatabaseID, c.stored) << what;
        }
    }
}

TEST(DataTableSet, ReferencesTravelExactlyLikeImages)
{
    CDataTableSet images(0), references(0);
    images.CreateTable(dtImages);
    references.CreateTable(dtReferences);
    images.Images()->Insert({7, 0, 2.5, -1.5, 30.0, 12});
    references.References()->Insert({7, 0, 2.5, -1.5, 30.0, 12});
    EXPECT_EQ(MemoryImage(images), MemoryImage(references));
}

TEST(DataTable, TablesReadBlocksWithMoreOrFewerFieldsPerRecord)
{
    CMemoryBinaryArchive ar;
    ASSERT_EQ(ar.BeginSave(), 1);
    // A Lines block whose records carry two more values than a Lines record has.
    ar.BeginWriteBlock("Lines");
    for (int key = 1; key <= 2; ++key) {
        ar.RewindRecord();
        ar.BeginWriteRecord();
        ar.WriteInt32(key);
        ar.WriteInt16(0);
        ar.WriteInt16(3);
        ar.WriteInt16(4);
        ar.WriteInt32(77);
        ar.WriteString("newer field");
        ar.EndWriteRecord();
    }
    ar.EndWriteBlock();
    // A Points block whose records stop after x.
    ar.BeginWriteBlock("Points");
    ar.RewindRecord();
    ar.BeginWriteRecord();
    ar.WriteInt32(5);
    ar.WriteInt16(9);
    ar.WriteFloat(1.5);
    ar.EndWriteRecord();
    ar.EndWriteBlock();
    ar.Close();

    CLinesTable lines;
    CPointsTable points;
    ASSERT_EQ(ar.BeginLoad(), 1);
    EXPECT_EQ(lines.ReadFromArchive(&ar), 1);
    EXPECT_EQ(points.ReadFromArchive(&ar), 1);
    ASSERT_EQ(lines.GetCount(), 2u);
    EXPECT_EQ(lines.FindRecord(2)->SecondArrowTypeID, 4);
    ASSERT_NE(points.FindRecord(5), nullptr);
    EXPECT_EQ(points.FindRecord(5)->DatabaseID, 9);
    EXPECT_EQ(points.FindRecord(5)->x, 1.5);
    EXPECT_EQ(points.FindRecord(5)->y, 0.0);
    EXPECT_EQ(points.FindRecord(5)->siteID, 0);
    EXPECT_EQ(points.GetMaxKey(), 5);

    // Without an archive a table reads zeros and writes nothing.
    CLinesRecord r;
    r.ShapeID = 3;
    lines.ReadRecord(r);
    EXPECT_EQ(r.ShapeID, 0);
    EXPECT_EQ(lines.WriteToArchive(nullptr), 0);
    ar.Close();
    EXPECT_EQ(lines.ReadFromArchive(&ar), 0);  // closed: not loading
}

} // namespace
