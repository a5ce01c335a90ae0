// Image resources as imageResources rows, on both databases of the test run: a resource stored by
// one drawing and read by another, what an unchanged, a twin or a missing row does, and the site
// loader's choice of formats. Every test works in a transaction that is rolled back.
#include "tests/support/DbTestSupport.h"
#include "control/ControlCore.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "persistence/sql/SessionSql.h"
#include "tests/support/ImageTestSupport.h"
#include "YVEX_h.h"

namespace {

class ImageRowsTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        imagetest::EnsureGdiplus();
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
        ExecRaw(db.hstmt, "delete from HatchPatterns");
        ExecRaw(db.hstmt, "delete from imageResources");
    }
    void TearDown() override { EXPECT_STATEMENT_OK(db, SessionSql::RollbackTransaction); }

    // A named picture of the drawing: a BMP of four coloured quadrants of the given side.
    static CImageResource* AddPicture(CControlCore& drawing, int side, const char* name)
    {
        const std::vector<BYTE> bytes = imagetest::MakeQuadrants(side, 0x0000FF, 0x00FF00, 0xFF0000, 0);
        CImageResource* picture =
            drawing.GetImageResourceMap().CreateResource(0, bytes.data(), bytes.size(), 0.1f, true);
        EXPECT_NE(picture, nullptr);
        if (picture)
            picture->SetName(name);
        return picture;
    }
    // The content column of a row, read by the test's own statement.
    std::vector<BYTE> StoredContent(int databaseId)
    {
        const std::string query = "select Content from imageResources where ImageResourceID = " +
                                  std::to_string(databaseId);
        std::vector<BYTE> bytes;
        SQLRETURN r = SQLExecDirect(db.hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query.c_str())), SQL_NTS);
        if (SQL_SUCCEEDED(r) && SQL_SUCCEEDED(SQLFetch(db.hstmt))) {
            BYTE piece[4096];
            SQLLEN got = 0;
            while (SQL_SUCCEEDED(r = SQLGetData(db.hstmt, 1, SQL_C_BINARY, piece, sizeof piece, &got)) &&
                   got != SQL_NULL_DATA) {
                const size_t n = got == SQL_NO_TOTAL || got > static_cast<SQLLEN>(sizeof piece) ? sizeof piece : got;
                bytes.insert(bytes.end(), piece, piece + n);
                if (r == SQL_SUCCESS)
                    break;
            }
        }
        Drain(db.hstmt);
        return bytes;
    }

    MessageBoxRecorder boxes;
    DbConnection db;
    CControlCore writer;
    CControlCore reader;
};

} // namespace

// A new picture takes the row after the table's largest, with its content in its own format and
// its hash as a signed number; a stored picture is written again only when forced; another
// drawing reads it back, once.
TEST_P(ImageRowsTest, APictureStoredByOneDrawingIsReadByAnother)
{
    ExecRaw(db.hstmt, "insert into imageResources (ImageResourceID, Name, ImageFormatID) values (41, 'other', 3)");
    CImageResource* picture = AddPicture(writer, 16, "tiles");
    ASSERT_EQ(picture->Save(db, 0, 0), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(picture->GetDatabaseId(), 42);
    EXPECT_EQ(writer.GetImageResourceMap().FindByObjectId(42), picture);
    EXPECT_EQ(writer.GetImageResourceMap().GetLargestDatabaseId(), 42);
    EXPECT_EQ(QueryRows(db.hstmt, "select Name, Width, Height, Hash, ImageFormatID from imageResources "
                                  "where ImageResourceID = 42"),
              (std::vector<std::vector<std::string>>{
                  {"tiles", "16", "16", std::to_string(static_cast<int>(picture->GetHash())), "3"}}));
    const std::vector<BYTE> stored = StoredContent(42);
    ASSERT_GT(stored.size(), 2u);
    EXPECT_EQ(stored[0], 'B');
    EXPECT_EQ(stored[1], 'M');
    EXPECT_EQ(picture->Save(db, 0, 0), 1) << "stored already";
    EXPECT_EQ(picture->Save(db, 0, 1), S_OK) << "forced";
    EXPECT_EQ(QueryRows(db.hstmt, "select count(*) from imageResources")[0][0], "2");

    CImageResource* read = nullptr;
    ASSERT_EQ(reader.GetImageResourceMap().LoadResource(db, 42, &read), S_OK) << TakeErrorInfo().description;
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetName(), "tiles");
    EXPECT_EQ(read->GetDatabaseId(), 42);
    EXPECT_EQ(read->GetWidth(), 16u);
    EXPECT_EQ(read->GetFormat(), irtBitmap);
    EXPECT_EQ(read->GetHash(), picture->GetHash()) << "the stored bytes are the picture's encoding";
    EXPECT_EQ(reader.GetImageResourceMap().FindByObjectId(42), read);
    const int count = reader.GetImageResourceMap().GetCount();
    CImageResource* again = nullptr;
    EXPECT_EQ(reader.GetImageResourceMap().LoadResource(db, 42, &again), 1) << "the same picture is there";
    EXPECT_EQ(again, read);
    EXPECT_EQ(reader.GetImageResourceMap().GetCount(), count);
    CImageResource* none = nullptr;
    EXPECT_EQ(reader.GetImageResourceMap().LoadResource(db, 77, &none), S_FALSE);
    EXPECT_EQ(none, nullptr);
}

// A picture read before is left alone while its row still describes it, and refreshed in place
// (same resource ID, the row's picture) once the row holds another picture.
TEST_P(ImageRowsTest, AReadPictureIsRefreshedInPlaceWhenItsRowChanged)
{
    CImageResource* picture = AddPicture(writer, 8, "plan");
    ASSERT_EQ(picture->Save(db, 0, 0), S_OK) << TakeErrorInfo().description;
    const int databaseId = picture->GetDatabaseId();
    CImageResource* read = nullptr;
    ASSERT_EQ(reader.GetImageResourceMap().LoadResource(db, databaseId, &read), S_OK);
    const int readId = read->GetId();
    CImageResource* kept = read;
    EXPECT_EQ(reader.GetImageResourceMap().LoadResource(db, databaseId, &kept), S_OK);
    EXPECT_EQ(kept, read);

    // The writer's picture of another size goes into the same row.
    const std::vector<BYTE> larger = imagetest::MakeQuadrants(12, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    ASSERT_EQ(picture->LoadFromBytes(larger.size(), larger.data()), 1);
    ASSERT_EQ(picture->Save(db, 0, 1), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(reader.GetImageResourceMap().LoadResource(db, databaseId, &kept), S_OK);
    EXPECT_EQ(kept, read);
    EXPECT_EQ(read->GetId(), readId);
    EXPECT_EQ(read->GetWidth(), 12u);
    EXPECT_EQ(read->GetHash(), picture->GetHash());
    EXPECT_EQ(read->GetOwner(), &reader.GetImageResourceMap());
}

// A picture never stored whose twin row (name, format, hash) is there takes that row without
// writing; a picture never named cannot be stored.
TEST_P(ImageRowsTest, TwinRowsAndNamelessPictures)
{
    CImageResource* first = AddPicture(writer, 8, "door");
    ASSERT_EQ(first->Save(db, 0, 0), S_OK);
    CImageResource* twin = AddPicture(reader, 8, "door");
    EXPECT_EQ(twin->Save(db, 0, 0), 1);
    EXPECT_EQ(twin->GetDatabaseId(), first->GetDatabaseId());
    EXPECT_EQ(QueryRows(db.hstmt, "select count(*) from imageResources")[0][0], "1");

    const std::vector<BYTE> bytes = imagetest::MakeQuadrants(5, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    CImageResource* nameless =
        writer.GetImageResourceMap().CreateResource(0, bytes.data(), bytes.size(), 0.1f, true);
    EXPECT_EQ(nameless->Save(db, 0, 0), DISP_E_EXCEPTION);
    EXPECT_EQ(TakeErrorInfo().description, "Wrong name.");
    EXPECT_EQ(QueryRows(db.hstmt, "select count(*) from imageResources")[0][0], "1");
}

// The loader of every site's pictures reads the rows of every stored format, PNG included, as the
// single-row loader does. A row whose ID a different picture holds already takes the next ID.
TEST_P(ImageRowsTest, WhichRowsTheLoadersRead)
{
    CImageResource* bmp = AddPicture(writer, 8, "walls");
    ASSERT_EQ(bmp->Save(db, 0, 0), S_OK);
    HGLOBAL encoded = bmp->GetDataInFormat(irtPNG);
    ASSERT_NE(encoded, nullptr);
    CImageResource png(0, GlobalLock(encoded), GlobalSize(encoded), 0.1f, -1);
    GlobalUnlock(encoded);
    GlobalFree(encoded);
    ASSERT_EQ(png.GetFormat(), irtPNG);
    png.SetName("walls-png");
    ASSERT_EQ(png.Save(db, 0, 0), S_OK) << TakeErrorInfo().description;

    // The reader's own picture stands under the BMP row's ID.
    CImageResource* own = AddPicture(reader, 5, "mine");
    ASSERT_EQ(own->GetId(), 1);
    ASSERT_EQ(bmp->GetDatabaseId(), 1);
    ASSERT_EQ(reader.GetImageResourceMap().LoadAll(db, 0), S_OK) << TakeErrorInfo().description;
    CImageResourceMap& map = reader.GetImageResourceMap();
    CImageResource* walls = map.FindByObjectId(1);
    ASSERT_NE(walls, nullptr);
    EXPECT_NE(walls->GetId(), 1) << "the ID was taken";
    EXPECT_EQ(walls->GetName(), "walls");
    EXPECT_EQ(map.Lookup(1), own);
    CImageResource* readAll = map.FindByObjectId(png.GetDatabaseId());
    ASSERT_NE(readAll, nullptr) << "a PNG row is read with the others";
    EXPECT_EQ(readAll->GetFormat(), irtPNG);
    EXPECT_EQ(readAll->GetName(), "walls-png");
    CImageResource* read = nullptr;
    // Read again, the row finds its twin in the map.
    ASSERT_EQ(map.LoadResource(db, png.GetDatabaseId(), &read), S_FALSE);
    EXPECT_EQ(read, readAll);
}

// Every format a resource can hold is stored and comes back, through the loader of all rows and
// through the loader of one row, as the same picture in the same format.
TEST_P(ImageRowsTest, EveryFormatComesBackFromItsRow)
{
    CImageResource* bmp = AddPicture(writer, 8, "source");
    ASSERT_NE(bmp, nullptr);
    const std::vector<BYTE> emf = imagetest::MakeEmf(RGB(0, 128, 0));
    std::vector<int> stored;
    for (int format : {irtExtMetafile, irtBitmap, irtJPEG, irtGIF, irtTIFF, irtPNG}) {
        SCOPED_TRACE(format);
        std::vector<BYTE> bytes;
        if (format == irtExtMetafile) {
            bytes = emf;
        } else {
            HGLOBAL encoded = bmp->GetDataInFormat(format);
            ASSERT_NE(encoded, nullptr);
            const BYTE* data = static_cast<const BYTE*>(GlobalLock(encoded));
            bytes.assign(data, data + GlobalSize(encoded));
            GlobalUnlock(encoded);
            GlobalFree(encoded);
        }
        CImageResource* picture =
            writer.GetImageResourceMap().CreateResource(0, bytes.data(), bytes.size(), 0.1f, true);
        ASSERT_NE(picture, nullptr);
        ASSERT_EQ(picture->GetFormat(), format);
        picture->SetName(("format" + std::to_string(format)).c_str());
        ASSERT_EQ(picture->Save(db, 0, 0), S_OK) << TakeErrorInfo().description;
        stored.push_back(picture->GetDatabaseId());
    }
    ASSERT_EQ(reader.GetImageResourceMap().LoadAll(db, 0), S_OK) << TakeErrorInfo().description;
    CImageResourceMap other;
    int index = 0;
    for (int format : {irtExtMetafile, irtBitmap, irtJPEG, irtGIF, irtTIFF, irtPNG}) {
        SCOPED_TRACE(format);
        const CImageResource* all = reader.GetImageResourceMap().FindByObjectId(stored[index]);
        ASSERT_NE(all, nullptr) << "read by the loader of all rows";
        EXPECT_EQ(all->GetFormat(), format);
        EXPECT_TRUE(all->IsLoaded());
        CImageResource* one = nullptr;
        ASSERT_EQ(other.LoadResource(db, stored[index], &one), S_OK) << TakeErrorInfo().description;
        ASSERT_NE(one, nullptr);
        EXPECT_EQ(one->GetFormat(), format);
        EXPECT_EQ(one->GetName(), "format" + std::to_string(format));
        EXPECT_EQ(one->GetWidth(), all->GetWidth());
        ++index;
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, ImageRowsTest, testing::ValuesIn(AllTargets()), TargetName());
