// The point pool and the containers inside shapes.
#include <gtest/gtest.h>
#include <richedit.h>
#include <shlwapi.h>
#include <string>
#include <thread>
#include <vector>
#include "interchange/DxfFile.h"
#include "model/AttributeBase.h"
#include "model/KeyedObjectMap.h"
#include "model/PointPool.h"
#include "model/ShapeAttributes.h"
#include "model/StringChunkSource.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

TEST(PointPool, IdsOfNewPoints)
{
    // Each step: the ID asked for, the ID expected back (0: refused), the next ID afterwards.
    struct Step
    {
        int asked, got, next;
    } steps[] = {
        {0, 1, 2},   // ID 0 takes the next ID
        {0, 2, 3},
        {10, 10, 11}, // above the next ID: the next follows it
        {2, 0, 11},   // taken: refused, nothing changes
        {5, 5, 12},   // free and below: the next still grows by one
        {-3, 12, 13}, // below 1 counts as none
    };
    CPointPool pool;
    for (const Step& s : steps) {
        int id = s.asked;
        CPointRecord* point = pool.AddPoint(1.5f, -2.5f, &id);
        if (s.got == 0) {
            EXPECT_EQ(point, nullptr) << s.asked;
        } else {
            ASSERT_NE(point, nullptr) << s.asked;
            EXPECT_EQ(point->GetPointId(), s.got);
            EXPECT_EQ(id, s.got);
            EXPECT_EQ(point->x, 1.5f);
            EXPECT_EQ(point->GetUseCount(), 0);
        }
        EXPECT_EQ(pool.GetNextId(), s.next) << s.asked;
    }
    EXPECT_NE(pool.AddPoint(0, 0, nullptr), nullptr); // no in/out ID at all
}

TEST(PointPool, UseCountsAndRelease)
{
    CPointPool pool;
    int id = 0;
    CPointRecord* point = pool.AddPoint(3, 4, &id);
    point->AddOwner(17);
    point->AddOwner(18);
    point->AddOwner(-100); // a use without an owner
    EXPECT_EQ(point->GetOwners(), (std::set<int>{17, 18}));
    LONG count = -1;
    EXPECT_EQ(pool.GetUseCount(id, &count), 0);
    EXPECT_EQ(count, 3);

    EXPECT_EQ(pool.ReleasePoint(id, 17), 2);
    EXPECT_EQ(pool.ReleasePoint(id, -100), 1);
    EXPECT_EQ(point->GetOwners(), (std::set<int>{18}));
    EXPECT_EQ(pool.DeletePoint(id, 18), 0); // still used: stays
    ASSERT_NE(pool.Find(id), nullptr);
    EXPECT_EQ(pool.ReleasePoint(id, 18), 0); // the last use: gone
    EXPECT_EQ(pool.Find(id), nullptr);
    EXPECT_EQ(pool.GetUseCount(id, &count), 1);
    EXPECT_EQ(pool.ReleasePoint(id, 18), 0);
    EXPECT_EQ(pool.DeletePoint(id, 18), 1);

    int unused = 0;
    pool.AddPoint(0, 0, &unused);
    EXPECT_EQ(pool.DeletePoint(unused, 5), 0);
    EXPECT_EQ(pool.Find(unused), nullptr);
}

// A point used by two shapes on two threads: the use count stays exact.
TEST(PointPool, UseCountIsInterlocked)
{
    CPointPool pool;
    int id = 0;
    CPointRecord* point = pool.AddPoint(0, 0, &id);
    const int n = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&]() {
            for (int i = 0; i < n; ++i)
                point->AddOwner(-100);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(point->GetUseCount(), 4 * n);
}

TEST(PointPool, DatabaseIndex)
{
    CPointPool pool;
    int a = 0, b = 0;
    CPointRecord* pa = pool.AddPoint(0, 0, &a);
    CPointRecord* pb = pool.AddPoint(1, 1, &b);
    pa->SetDatabaseId(700);
    pool.SetDatabaseId(700, *pa);
    EXPECT_EQ(pool.FindByDatabaseId(700), pa);
    pool.SetDatabaseId(700, *pb); // another point for the same database ID replaces the entry
    EXPECT_EQ(pool.FindByDatabaseId(700), pb);
    EXPECT_EQ(pool.FindByDatabaseId(701), nullptr);
    pb->SetDatabaseId(700);
    pool.ReleasePoint(b, 1); // the point goes, and its index entry with it
    EXPECT_EQ(pool.FindByDatabaseId(700), nullptr);
}

namespace {
// An attribute object that reports its final release.
struct Counted : CAttributeBase
{
    Counted(int id, int* deaths) : m_deaths(deaths) { SetId(id); }
    ~Counted() override { ++*m_deaths; }
    int* m_deaths;
};
} // namespace

TEST(ShapeAttributes, InsertMovesRemoveReleases)
{
    int deaths = 0;
    auto* a = new Counted(1, &deaths);
    auto* b = new Counted(2, &deaths);
    auto* c = new Counted(3, &deaths);
    auto* d = new Counted(4, &deaths);
    {
        CShapeAttributes list(nullptr, 17);
        EXPECT_EQ(list.Insert(nullptr, 0), 1);
        for (CAttributeBase* e : {static_cast<CAttributeBase*>(a), static_cast<CAttributeBase*>(b),
                                  static_cast<CAttributeBase*>(c), static_cast<CAttributeBase*>(d)})
            EXPECT_EQ(list.Insert(e, 99), 0); // out of range: appended
        EXPECT_EQ(a->GetUseCount(), 2);
        EXPECT_EQ(a->GetOwners(), (std::set<int>{17}));

        EXPECT_EQ(list.Insert(d, 3), 0); // already at 3: no change
        EXPECT_EQ(list.GetAt(3), d);
        EXPECT_EQ(list.Insert(d, 0), 0); // moved to the front, one copy kept
        EXPECT_EQ(list.GetCount(), 4);
        EXPECT_EQ(list.GetAt(0), d);
        EXPECT_EQ(list.GetAt(3), c);
        EXPECT_EQ(d->GetUseCount(), 2);

        EXPECT_EQ(list.GetAt(4), nullptr);
        EXPECT_EQ(list.RemoveAt(4), 1);
        EXPECT_EQ(list.RemoveById(99), 1);
        EXPECT_EQ(list.RemoveById(2), 0);
        EXPECT_EQ(b->GetUseCount(), 1);
        EXPECT_EQ(list.DetachById(3), 0); // out without release
        EXPECT_EQ(c->GetUseCount(), 2);
        EXPECT_EQ(list.GetCount(), 2);
    }
    // The list released a and d; every object still has the use it was made with.
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(a->GetUseCount(), 1);
    c->Release(-100); // the use the list held when c was detached
    for (Counted* e : {a, b, c, d})
        e->Release(-100);
    EXPECT_EQ(deaths, 4);
}

TEST(KeyedObjectMap, ClearReleasesOnlyWhatItOwns)
{
    int deaths = 0;
    CKeyedObjectMap other;
    auto* own = new Counted(5, &deaths);     // owned by the map
    auto* shared = new Counted(6, &deaths);  // owned elsewhere, the map holds a use
    auto* borrowed = new Counted(7, &deaths); // owned elsewhere with one use: not the map's
    auto* dead = new Counted(8, &deaths);
    {
        CKeyedObjectMap map;
        own->SetOwnerMap(&map);
        shared->SetOwnerMap(&other);
        shared->AddUse();
        borrowed->SetOwnerMap(&other);
        dead->SetOwnerMap(&map);
        for (CAttributeBase* e : {static_cast<CAttributeBase*>(own), static_cast<CAttributeBase*>(shared),
                                  static_cast<CAttributeBase*>(borrowed), static_cast<CAttributeBase*>(dead)})
            ASSERT_TRUE(map.Insert(e));
        EXPECT_FALSE(map.Insert(own)); // the key is taken
        EXPECT_EQ(map.GetAt(1), shared);
        EXPECT_EQ(map.GetAt(4), nullptr);
        dead->SetDatabaseId(900);
        EXPECT_EQ(map.FindByField(900), dead);
        EXPECT_EQ(map.RemoveByKey(99), 1);
        EXPECT_EQ(map.DetachByKey(99), 1);
        EXPECT_EQ(map.RemoveByKey(8), 0); // its own element with one use: released and gone
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(map.Find(8), nullptr);
        map.Clear();
        EXPECT_EQ(map.GetCount(), 0);
    }
    EXPECT_EQ(deaths, 2);                    // own went with the map's release
    EXPECT_EQ(shared->GetUseCount(), 1);     // lost the map's use only
    EXPECT_EQ(borrowed->GetUseCount(), 1);   // alive and unreleased
    EXPECT_EQ(borrowed->GetOwnerMap(), &other);
    shared->Release(-100);
    borrowed->Release(-100);
    EXPECT_EQ(deaths, 4);
}

TEST(KeyedObjectMap, FinalReleaseDetachesFromTheOwningMap)
{
    int deaths = 0;
    CKeyedObjectMap map;
    auto* e = new Counted(3, &deaths);
    e->SetOwnerMap(&map);
    map.Insert(e);
    e->Release(-100);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(map.GetCount(), 0);
}

TEST(StringChunkSource, ChunksCoverTheWholeText)
{
    const std::string text(10000, 'x');
    CStringChunkSource source(text.c_str());
    std::vector<BYTE> buffer(4096);
    std::vector<LONG> sizes;
    for (;;) {
        LONG copied = -1;
        EXPECT_EQ(ReadStringChunk(reinterpret_cast<DWORD_PTR>(&source), buffer.data(), 4096, &copied), 0u);
        sizes.push_back(copied);
        if (copied == 0)
            break;
    }
    EXPECT_EQ(sizes, (std::vector<LONG>{4096, 4096, 1808, 0}));
}

// A rich-edit control fed through the callback receives all 10,000 bytes (in lines: one long line
// makes the control's layout slow).
TEST(StringChunkSource, StreamsIntoARichEdit)
{
    HMODULE riched = LoadLibraryA("RICHED32.DLL");
    ASSERT_NE(riched, nullptr);
    HWND edit = CreateWindowExA(0, "RICHEDIT", "", ES_MULTILINE, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 1 << 20);
    std::string text;
    while (text.size() < 10000)
        text += (text.size() % 82 == 80) ? "\r\n" : std::string(1, static_cast<char>('a' + text.size() % 26));
    text.resize(10000);
    CStringChunkSource source(text.c_str());
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadStringChunk};
    SendMessageA(edit, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 10000);
    std::vector<char> back(10001);
    GetWindowTextA(edit, back.data(), static_cast<int>(back.size()));
    EXPECT_EQ(std::string(back.data()), text);
    DestroyWindow(edit);
    FreeLibrary(riched);
}

namespace {
IStream* StreamOf(const std::string& bytes)
{
    return SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
}
} // namespace

TEST(PointRecord, DxfCoordinateGroups)
{
    struct Case
    {
        const char* text;
        int result;
        float x, y;
        int nextCode; // the group left for the caller, -1 for none
    } cases[] = {
        {" 10\r\n1.5\r\n 20\r\n-2.25\r\n 30\r\n0.0\r\n", 1, 1.5f, -2.25f, 30},
        {" 20\r\n4.0\r\n 10\r\n3.0\r\n  0\r\nLINE\r\n", 1, 3.0f, 4.0f, 0},
        {" 10\r\n1.0\r\n 30\r\n0.0\r\n 20\r\n2.0\r\n", 0, 1.0f, 0.0f, 30}, // the 30 stops it before y
        {" 10\r\n7.0\r\n", 0, 7.0f, 0.0f, 10},                            // the end of the data
    };
    for (const Case& c : cases) {
        IStream* stream = StreamOf(c.text);
        CDxfFile dxf;
        ASSERT_TRUE(dxf.OpenStream(stream, true));
        CPointRecord point(9, 9, 1);
        EXPECT_EQ(point.ReadDxf(dxf), c.result) << c.text;
        EXPECT_EQ(point.x, c.x) << c.text;
        EXPECT_EQ(point.y, c.y) << c.text;
        ASSERT_TRUE(dxf.ReadGroup()) << c.text;
        EXPECT_EQ(dxf.GetCode(), c.nextCode) << c.text;
        dxf.Close();
        stream->Release();
    }

    IStream* stream = SHCreateMemStream(nullptr, 0);
    CDxfFile out;
    ASSERT_TRUE(out.OpenStream(stream, false));
    CPointRecord point(1.5f, -2.0f, 1);
    EXPECT_EQ(point.WriteDxf(out, true, 1), 1);
    EXPECT_EQ(point.WriteDxf(out, false, 0), 1);
    out.Close();
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CDxfFile in;
    ASSERT_TRUE(in.OpenStream(stream, true));
    const int codes[] = {11, 21, 31, 10, 20};
    const double values[] = {1.5, -2.0, 0.0, 1.5, -2.0};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(in.ReadGroup());
        EXPECT_EQ(in.GetCode(), codes[i]);
        EXPECT_EQ(in.GetReal(), values[i]);
    }
    EXPECT_FALSE(in.ReadGroup());
    in.Close();
    stream->Release();
}

TEST(PointPool, ExchangeWithThePointsTable)
{
    CPointPool pool;
    int a = 0, b = 0;
    CPointRecord* pa = pool.AddPoint(1, 2, &a);
    CPointRecord* pb = pool.AddPoint(3, 4, &b);
    pb->SetDatabaseId(88);
    EXPECT_EQ(pool.ExchangeTables(nullptr, 0, 0), E_INVALIDARG);
    CDataTableSet none(0);
    EXPECT_EQ(pool.ExchangeTables(&none, 0, 0), S_FALSE);
    EXPECT_EQ(pa->SaveToTables(&none, 0, 0), E_INVALIDARG);

    // Renumbered: keys from the table's counter, the site passed through.
    CDataTableSet renumbered(1);
    ASSERT_EQ(pool.ExchangeTables(&renumbered, 0, 6), S_OK);
    const auto& rows = renumbered.Points()->GetRecords();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.at(1).x, 1.0);
    EXPECT_EQ(rows.at(2).y, 4.0);
    EXPECT_EQ(rows.at(2).siteID, 6);
    EXPECT_EQ(rows.at(2).DatabaseID, 0); // a table key is no database ID
    EXPECT_EQ(pb->GetDatabaseId(), 88);  // the point's own database ID stays
    EXPECT_EQ(pool.FindByDatabaseId(88), pb);

    // With kept IDs the key is the point ID; saving twice gives the same record.
    CDataTableSet kept(1);
    ASSERT_EQ(pool.ExchangeTables(&kept, DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    ASSERT_EQ(pool.ExchangeTables(&kept, DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    ASSERT_EQ(kept.Points()->GetRecords().size(), 2u);
    EXPECT_EQ(kept.Points()->GetRecords().at(b).DatabaseID, 88);

    // Loading into another pool: new points under new IDs, entered in the set's ID maps.
    CPointPool other;
    int taken = 0;
    other.AddPoint(0, 0, &taken);
    ASSERT_EQ(other.ExchangeTables(&renumbered, DXFMODE_LOAD, 0), S_OK);
    EXPECT_EQ(other.GetCount(), 3u);
    const int current = renumbered.StoredToCurrentId(2, 1, 0);
    ASSERT_NE(other.Find(current), nullptr);
    EXPECT_EQ(other.Find(current)->x, 3.0f);
    EXPECT_EQ(other.Find(current)->y, 4.0f);
    // Loading again finds the same points through the maps.
    ASSERT_EQ(other.ExchangeTables(&renumbered, DXFMODE_LOAD, 0), S_OK);
    EXPECT_EQ(other.GetCount(), 3u);

    // One record by key, with kept IDs: the stored ID and database ID come back.
    CPointPool single;
    ASSERT_EQ(single.ExchangeTables(&kept, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT | DXFMODE_USE_YVEX_IDENTIFIERS, b),
              S_OK);
    ASSERT_EQ(single.GetCount(), 1u);
    EXPECT_EQ(single.Find(b)->x, 3.0f);
    EXPECT_EQ(single.Find(b)->GetDatabaseId(), 88);
    EXPECT_EQ(single.FindByDatabaseId(88), single.Find(b));
    EXPECT_EQ(single.ExchangeTables(&kept, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT, 999), E_ACCESSDENIED);

    // Loading with no current record is refused.
    CPointRecord loose;
    renumbered.Points()->SeekKey(4711);
    EXPECT_EQ(loose.SaveToTables(&renumbered, DXFMODE_LOAD, 0), E_ACCESSDENIED);
}
