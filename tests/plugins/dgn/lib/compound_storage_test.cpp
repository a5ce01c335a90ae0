// The storage wrapper over the compound-file library and its byte-stream handles: the storage
// stack, listings, the one current stream, and the handles' read and write modes.
#include "compound_test_support.h"
#include "storage/CompoundStorage.h"
#include "storage/StorageStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

using namespace dgn;
using namespace cftest;

namespace {

using Storage = std::unique_ptr<CCompoundStorage>;

Storage OpenNested(bool writable)
{
    const auto path = ScratchCopy("compound/python_nested.cfb", writable ? "wrapper_rw.cfb" : "wrapper_ro.cfb");
    return Storage(CCompoundStorage::Open(Wide(path).c_str(), writable));
}

// The entries of the top storage as "1 name" / "2 name".
std::set<std::string> List(CCompoundStorage* s)
{
    std::set<std::string> out;
    char name[CCompoundStorage::kNameBytes];
    int index = 0;
    while (int kind = s->NextEntry(&index, name))
        out.insert(std::to_string(kind) + " " + name);
    return out;
}

} // namespace

TEST(CompoundStorage, OpensOnlyCompoundFiles)
{
    const auto text = Scratch("not_compound.txt");
    WriteAll(text, Bytes(2000, 'x'));
    EXPECT_EQ(CCompoundStorage::Open(Wide(text).c_str(), false), nullptr);
    EXPECT_EQ(CCompoundStorage::Open(Wide(Scratch("absent.cfb")).c_str(), false), nullptr);
    EXPECT_EQ(CCompoundStorage::Open(Wide(Fixture("compound/tree_cycle.cfb")).c_str(), false), nullptr);
    Storage s = OpenNested(false);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->IsOpen());
    EXPECT_EQ(s->CloseStorage(), kCfOk); // the root: the file closes
    EXPECT_FALSE(s->IsOpen());
    EXPECT_EQ(s->CloseStorage(), kCfBadArgument);
    EXPECT_FALSE(s->OpenStorage("Models"));
    EXPECT_FALSE(s->OpenStream("Small"));
}

TEST(CompoundStorage, ListsWalksAndReads)
{
    Storage s = OpenNested(false);
    ASSERT_TRUE(s);
    const std::set<std::string> root = {"2 Contents", "2 Small", "2 Edge4095", "2 Edge4096", "2 Empty", "1 Models", "1 B", "1 AA"};
    EXPECT_EQ(List(s.get()), root);
    ASSERT_TRUE(s->OpenStorage("Models"));
    EXPECT_EQ(List(s.get()), (std::set<std::string>{"2 Model0", "2 Model1", "1 Deeper", "1 Nothing"}));
    ASSERT_TRUE(s->OpenStorage(u"Deeper"));
    ASSERT_TRUE(s->OpenStream("Leaf2"));
    EXPECT_EQ(s->GetRemaining(), 65u);
    std::uint8_t buf[100];
    std::uint32_t n = 0;
    ASSERT_TRUE(s->Read(buf, sizeof(buf), &n));
    EXPECT_EQ(Bytes(buf, buf + n), Content("Models/Deeper/Leaf2", 65));
    EXPECT_FALSE(s->Read(buf, sizeof(buf), &n)); // at the end
    EXPECT_EQ(n, 0u);
    ASSERT_TRUE(s->Seek(60));
    EXPECT_EQ(s->GetRemaining(), 5u);
    EXPECT_FALSE(s->Seek(-1));
    EXPECT_FALSE(s->Write("x", 1)); // read-only
    EXPECT_FALSE(s->CreateStorage("New"));
    EXPECT_FALSE(s->CreateStream("New"));
    EXPECT_EQ(s->CloseStorage(), kCfOk);
    EXPECT_EQ(s->CloseStorage(), kCfOk);
    EXPECT_EQ(List(s.get()), root);
    EXPECT_FALSE(s->OpenStorage("Small"));  // a stream
    EXPECT_FALSE(s->OpenStream("Models"));  // a storage
    EXPECT_FALSE(s->OpenStream(std::string(40, 'x').c_str()));
    // Without a stream there is nothing to read, seek or count.
    s->CloseStream();
    EXPECT_EQ(s->GetRemaining(), 0u);
    EXPECT_FALSE(s->Seek(0));
    EXPECT_FALSE(s->Read(buf, 1, &n));
}

TEST(CompoundStorage, AnAbandonedListingIsDroppedWhenTheStackChanges)
{
    Storage s = OpenNested(false);
    ASSERT_TRUE(s);
    char name[CCompoundStorage::kNameBytes];
    int index = 0;
    ASSERT_NE(s->NextEntry(&index, name), 0);
    ASSERT_NE(s->NextEntry(&index, name), 0);
    // Into Models halfway through the root's listing: a new listing starts there.
    ASSERT_TRUE(s->OpenStorage("Models"));
    index = 0;
    std::set<std::string> seen;
    while (int kind = s->NextEntry(&index, name))
        seen.insert(std::to_string(kind) + " " + name);
    EXPECT_EQ(seen, (std::set<std::string>{"2 Model0", "2 Model1", "1 Deeper", "1 Nothing"}));
    // Out again halfway through Models's listing.
    index = 0;
    ASSERT_NE(s->NextEntry(&index, name), 0);
    EXPECT_EQ(s->CloseStorage(), kCfOk);
    EXPECT_EQ(List(s.get()).size(), 8u);
    // An empty storage lists nothing.
    ASSERT_TRUE(s->OpenStorage("B"));
    index = 0;
    EXPECT_EQ(s->NextEntry(&index, name), 0);
    EXPECT_EQ(index, 1);
}

TEST(CompoundStorage, StackHoldsTenStorages)
{
    const auto path = Scratch("deep.cfb");
    {
        Storage s(CCompoundStorage::Create(Wide(path).c_str()));
        ASSERT_TRUE(s);
        for (int level = 1; level < CCompoundStorage::kMaxDepth; ++level)
            ASSERT_TRUE(s->CreateStorage(("L" + std::to_string(level)).c_str())) << level;
        EXPECT_FALSE(s->CreateStorage("Eleventh"));
        ASSERT_TRUE(s->CreateStream("AtTheBottom"));
        ASSERT_TRUE(s->Write("deep", 4));
    }
    Storage s(CCompoundStorage::Open(Wide(path).c_str(), false));
    ASSERT_TRUE(s);
    for (int level = 1; level < CCompoundStorage::kMaxDepth; ++level)
        ASSERT_TRUE(s->OpenStorage(("L" + std::to_string(level)).c_str())) << level;
    EXPECT_FALSE(s->OpenStorage("Eleventh"));
    ASSERT_TRUE(s->OpenStream("AtTheBottom"));
    char buf[4];
    std::uint32_t n = 0;
    ASSERT_TRUE(s->Read(buf, 4, &n));
    EXPECT_EQ(std::string(buf, n), "deep");
}

TEST(CompoundStorage, ClosingAStorageClosesItsStreamFirst)
{
    const auto path = Scratch("close_order.cfb");
    {
        Storage s(CCompoundStorage::Create(Wide(path).c_str()));
        ASSERT_TRUE(s);
        ASSERT_TRUE(s->CreateStorage("Sub"));
        ASSERT_TRUE(s->CreateStream("Inside"));
        ASSERT_TRUE(s->Write("inside", 6));
        // The stream's storage goes: the wrapper lets go of the stream, which the library
        // frees with it; nothing is left to use.
        EXPECT_EQ(s->CloseStorage(), kCfOk);
        EXPECT_FALSE(s->Write("more", 4));
        EXPECT_EQ(s->GetRemaining(), 0u);
        // A stream of the root stays current while a storage is pushed and popped above it.
        ASSERT_TRUE(s->CreateStream("Outside"));
        ASSERT_TRUE(s->Write("out", 3));
        ASSERT_TRUE(s->CreateStorage("Other"));
        EXPECT_EQ(s->CloseStorage(), kCfOk);
        ASSERT_TRUE(s->Write("side", 4));
    }
    Storage s(CCompoundStorage::Open(Wide(path).c_str(), false));
    ASSERT_TRUE(s);
    char buf[16];
    std::uint32_t n = 0;
    ASSERT_TRUE(s->OpenStream("Outside"));
    ASSERT_TRUE(s->Read(buf, sizeof(buf), &n));
    EXPECT_EQ(std::string(buf, n), "outside");
    ASSERT_TRUE(s->OpenStorage("Sub"));
    ASSERT_TRUE(s->OpenStream("Inside"));
    ASSERT_TRUE(s->Read(buf, sizeof(buf), &n));
    EXPECT_EQ(std::string(buf, n), "inside");
}

TEST(StorageStream, HandlesReadOrWriteTheCurrentStream)
{
    const auto path = Scratch("handles.cfb");
    {
        Storage s(CCompoundStorage::Create(Wide(path).c_str()));
        ASSERT_TRUE(s);
        CStorageStream out(s.get(), "Data", true);
        EXPECT_FALSE(out.HasFailed());
        EXPECT_NE(out.Write("hello ", 6), 0u);
        EXPECT_NE(out.Write("world", 5), 0u);
        char ignored[4];
        EXPECT_EQ(out.Read(ignored, 4), 0u); // a write handle asked to read fails from then on
        EXPECT_TRUE(out.HasFailed());
        EXPECT_EQ(out.Write("!", 1), 0u);
    }
    Storage s(CCompoundStorage::Open(Wide(path).c_str(), false));
    ASSERT_TRUE(s);
    {
        CStorageStream missing(s.get(), "Absent", false);
        EXPECT_TRUE(missing.HasFailed());
    }
    CStorageStream in(s.get(), "Data", false);
    ASSERT_FALSE(in.HasFailed());
    char buf[64];
    EXPECT_EQ(in.Read(buf, 5), 5u);
    EXPECT_EQ(in.Read(buf + 5, 64), 6u);
    EXPECT_EQ(std::string(buf, 11), "hello world");
    EXPECT_EQ(in.Read(buf, 64), 0u);  // the end, which is no failure
    EXPECT_FALSE(in.HasFailed());
    EXPECT_EQ(in.Read(buf, 64), 0u);
    {
        // A second handle takes over the storage's one current stream; deleting it closes that
        // stream for the first handle too.
        CStorageStream other(s.get(), "Data", false);
        EXPECT_EQ(other.Read(buf, 5), 5u);
    }
    EXPECT_EQ(s->GetRemaining(), 0u);
    EXPECT_EQ(in.Write("x", 1), 0u); // a read handle asked to write fails from then on
    EXPECT_TRUE(in.HasFailed());
}
