// The "YVEXbinary" archives: value encodings, record framing, zero-run packing, whole sets, and
// truncated or corrupt data.
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/SampleTableSet.h"

#include "persistence/BinaryFileArchive.h"
#include "persistence/DataTableSet.h"
#include "persistence/MemoryBinaryArchive.h"
#include "persistence/YVEXControlData.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace archive_test;

namespace {

using Body = std::function<void(CDataArchive&)>;

// One block written by body into a memory archive; the bytes after the 12-byte header.
std::string MemoryBlockHex(const Body& body)
{
    CMemoryBinaryArchive ar;
    EXPECT_EQ(ar.BeginSave(), 1);
    ar.BeginWriteBlock("T");
    body(ar);
    ar.EndWriteBlock();
    ar.Close();
    const uint8_t* p = ar.GetBuffer();
    EXPECT_EQ(p[0], 12);
    EXPECT_EQ(p[1], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 2), 10), "YVEXbinary");
    return Hex(p + 12, static_cast<size_t>(ar.GetDataLength() - 12));
}

Body OneRecord(const Body& values)
{
    return [values](CDataArchive& ar) {
        ar.RewindRecord();
        ar.BeginWriteRecord();
        values(ar);
        EXPECT_EQ(ar.EndWriteRecord(), 1);
    };
}

struct EncodingCase {
    const char* name;
    Body values;
    const char* expected;  // count, code, [prefix], data
};

TEST(BinaryArchive, ValueEncodingsAreByteExact)
{
    const uint8_t two[] = {1, 2};
    const EncodingCase cases[] = {
        {"int32", [](CDataArchive& a) { a.WriteInt32(-2); }, "01 00 00 00 04 00 FE FF FF FF"},
        {"int16", [](CDataArchive& a) { a.WriteInt16(-32768); }, "01 00 00 00 02 00 00 80"},
        {"byte", [](CDataArchive& a) { a.WriteByte(7); }, "01 00 00 00 01 00 07"},
        {"float 1.5", [](CDataArchive& a) { a.WriteFloat(1.5); }, "01 00 00 00 04 00 00 00 C0 3F"},
        {"string abc", [](CDataArchive& a) { a.WriteString("abc"); }, "01 00 00 00 00 02 06 00 03 00 61 62 63 00"},
        {"empty string", [](CDataArchive& a) { a.WriteString(""); }, "01 00 00 00 00 02 02 00 00 00"},
        {"null string", [](CDataArchive& a) { a.WriteString(nullptr); }, "01 00 00 00 00 02 02 00 00 00"},
        {"bytes", [&](CDataArchive& a) { a.WriteBytes(two, 2); }, "01 00 00 00 00 04 06 00 00 00 02 00 00 00 01 02"},
        {"no bytes", [](CDataArchive& a) { a.WriteBytes(nullptr, 5); }, "01 00 00 00 00 04 04 00 00 00 00 00 00 00"},
    };
    for (const EncodingCase& c : cases)
        EXPECT_EQ(MemoryBlockHex(OneRecord(c.values)), c.expected) << c.name;
}

TEST(BinaryArchive, FirstRecordDecidesTheFramingOfItsBlock)
{
    // Fixed length: two six-byte records, no prefixes.
    EXPECT_EQ(MemoryBlockHex([](CDataArchive& a) {
                  for (int i = 1; i <= 2; ++i)
                      OneRecord([i](CDataArchive& b) { b.WriteInt32(i); b.WriteInt16(-1); })(a);
              }),
              "02 00 00 00 06 00 01 00 00 00 FF FF 02 00 00 00 FF FF");
    // A string first: 2-byte prefixes for every record, also one without strings.
    EXPECT_EQ(MemoryBlockHex([](CDataArchive& a) {
                  OneRecord([](CDataArchive& b) { b.WriteString("x"); })(a);
                  OneRecord([](CDataArchive& b) { b.WriteByte(9); })(a);
              }),
              "02 00 00 00 00 02 04 00 01 00 78 00 01 00 09");
    // An empty block is its count alone.
    EXPECT_EQ(MemoryBlockHex([](CDataArchive&) {}), "00 00 00 00");

    // 256 bytes of data: code 257, each record followed by a filler byte.
    CMemoryBinaryArchive ar;
    ar.BeginSave();
    ar.BeginWriteBlock("T");
    for (int r = 0; r < 2; ++r) {
        ar.RewindRecord();
        ar.BeginWriteRecord();
        for (int i = 0; i < 64; ++i)
            ar.WriteInt32(r * 1000 + i);
        ASSERT_EQ(ar.EndWriteRecord(), 1);
    }
    // A longer record no longer fits the block's fixed length.
    ar.RewindRecord();
    ar.BeginWriteRecord();
    for (int i = 0; i < 65; ++i)
        ar.WriteInt32(i);
    EXPECT_EQ(ar.EndWriteRecord(), 0);
    EXPECT_EQ(ar.GetError(), CDataArchive::aeRecordTooLong);
    ar.EndWriteBlock();
    ar.Close();
    ASSERT_EQ(ar.GetDataLength(), 12u + 6 + 2 * 257);
    EXPECT_EQ(Hex(ar.GetBuffer() + 12, 6), "02 00 00 00 01 01");
    ASSERT_EQ(ar.BeginLoad(), 1);
    ASSERT_NE(ar.BeginReadBlock(), nullptr);
    for (int r = 0; r < 2; ++r) {
        ASSERT_EQ(ar.BeginReadRecord(), 1);
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(ar.ReadInt32(), r * 1000 + i);
        EXPECT_EQ(ar.ReadByte(), 0);  // the filler
        EXPECT_EQ(ar.ReadInt32(), 0); // past the end of the record
        ar.EndReadRecord();
    }
    EXPECT_EQ(ar.BeginReadRecord(), 0);
}

TEST(BinaryArchive, LongDataTakesFourBytePrefixes)
{
    const std::string longText(65515, 'q');
    EXPECT_EQ(MemoryBlockHex(OneRecord([&](CDataArchive& a) { a.WriteString(longText.c_str()); })).substr(0, 35),
              "01 00 00 00 00 04 EE FF 00 00 EB FF");
    EXPECT_EQ(MemoryBlockHex(OneRecord([](CDataArchive& a) {
                                 for (int i = 0; i < 17000; ++i)
                                     a.WriteInt32(i);
                             })).substr(0, 35),
              "01 00 00 00 00 04 A0 09 01 00 00 00");
}

TEST(BinaryArchive, EmptyFullSetIs158BytesInMemory)
{
    CDataTableSet set(1);
    const std::vector<uint8_t> image = MemoryImage(set);
    ASSERT_EQ(image.size(), 158u);
    std::string expected = "0C 1E 59 56 45 58 62 69 6E 61 72 79 "
                           "01 00 00 00 18 00 "
                           "03 00 00 00 01 00 00 07 1D 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00";
    for (int i = 0; i < 29; ++i)
        expected += " 00 00 00 00";
    EXPECT_EQ(Hex(image), expected);
}

// The two binary forms behind one interface, for the tests that hold for both.
struct BinaryForm {
    const char* name;
    std::function<std::unique_ptr<CDataArchive>()> make;
};

std::vector<BinaryForm> BinaryForms()
{
    static const std::string path = ScratchPath("roundtrip.bin");
    return {{"memory", [] { return std::unique_ptr<CDataArchive>(new CMemoryBinaryArchive); }},
            {"file", [] { return std::unique_ptr<CDataArchive>(new CBinaryFileArchive(path.c_str())); }}};
}

TEST(BinaryArchive, ReadersSkipTrailingValuesAndZeroMissingOnes)
{
    for (const BinaryForm& form : BinaryForms()) {
        std::unique_ptr<CDataArchive> ar = form.make();
        ASSERT_EQ(ar->BeginSave(), 1) << form.name;
        ar->BeginWriteBlock("A");
        for (int r = 0; r < 3; ++r) {
            ar->RewindRecord();
            ar->BeginWriteRecord();
            ar->WriteInt32(r);
            ar->WriteString("text;\"");
            ar->WriteFloat(2.5);
            ar->WriteInt16(-7);
            ASSERT_EQ(ar->EndWriteRecord(), 1);
        }
        ar->EndWriteBlock();
        ar->BeginWriteBlock("B");
        ar->RewindRecord();
        ar->BeginWriteRecord();
        ar->WriteInt32(99);
        ar->EndWriteRecord();
        ar->EndWriteBlock();
        ASSERT_EQ(ar->Close(), 1);

        ASSERT_EQ(ar->BeginLoad(), 1) << form.name;
        ASSERT_STREQ(ar->BeginReadBlock(), "HEADER");
        // Only the first two values of the first record; the rest is skipped.
        ASSERT_EQ(ar->BeginReadRecord(), 1);
        EXPECT_EQ(ar->ReadInt32(), 0);
        EXPECT_STREQ(ar->ReadString(), "text;\"");
        ar->EndReadRecord();
        ar->RewindRecord();
        // Everything, then more than the record holds.
        ASSERT_EQ(ar->BeginReadRecord(), 1);
        EXPECT_EQ(ar->ReadInt32(), 1);
        EXPECT_STREQ(ar->ReadString(), "text;\"");
        EXPECT_EQ(ar->ReadFloat(), 2.5);
        EXPECT_EQ(ar->ReadInt16(), -7);
        EXPECT_EQ(ar->ReadInt32(), 0);
        EXPECT_STREQ(ar->ReadString(), "");
        EXPECT_EQ(ar->ReadFloat(), 0.0);
        ar->EndReadRecord();
        // The third record is left unread: the next block is still found.
        ASSERT_NE(ar->BeginReadBlock(), nullptr) << form.name;
        ASSERT_EQ(ar->BeginReadRecord(), 1);
        EXPECT_EQ(ar->ReadInt32(), 99);
        ar->EndReadRecord();
        EXPECT_EQ(ar->BeginReadRecord(), 0);
        EXPECT_EQ(ar->BeginReadBlock(), nullptr);
        EXPECT_FALSE(ar->HasReadFault());
        ar->Close();
    }
}

TEST(BinaryArchive, SampleSetSurvivesBothForms)
{
    CDataTableSet original(1);
    FillSampleSet(original);
    const std::vector<uint8_t> expected = MemoryImage(original);
    for (const BinaryForm& form : BinaryForms()) {
        std::unique_ptr<CDataArchive> ar = form.make();
        ASSERT_EQ(original.WriteToArchive(ar.get()), 1) << form.name;
        CDataTableSet copy(1);
        ASSERT_EQ(copy.ReadFromArchive(ar.get()), 1) << form.name;
        EXPECT_EQ(MemoryImage(copy), expected) << form.name;
        EXPECT_EQ(copy.ImageResources()->FindRecord(2)->content, SampleImage(3000)) << form.name;
    }
}

TEST(BinaryArchive, ValuesOfARefusedBlockLeaveNothingBehind)
{
    for (const BinaryForm& form : BinaryForms()) {
        std::unique_ptr<CDataArchive> ar = form.make();
        ASSERT_EQ(ar->BeginSave(), 1) << form.name;
        for (int b = 0; b < 255; ++b) {
            ASSERT_EQ(ar->BeginWriteBlock("B"), 1) << form.name;
            ar->RewindRecord();
            ar->BeginWriteRecord();
            ar->WriteInt32(b);
            ASSERT_EQ(ar->EndWriteRecord(), 1) << form.name;
        }
        // The block count is one byte: a 256th block is refused, and so are its records.
        EXPECT_EQ(ar->BeginWriteBlock("B"), 0) << form.name;
        ar->RewindRecord();
        EXPECT_EQ(ar->BeginWriteRecord(), 0) << form.name;
        ar->WriteInt32(-1);
        EXPECT_EQ(ar->EndWriteRecord(), -1) << form.name;
        ar->Close();
        EXPECT_TRUE(ar->HasWriteFault()) << form.name;

        const uint64_t expected = 12 + 255 * (4 + 2 + 4);
        if (auto* memory = dynamic_cast<CMemoryBinaryArchive*>(ar.get())) {
            EXPECT_EQ(memory->GetDataLength(), expected);
        } else {
            EXPECT_EQ(ReadFileBytes(static_cast<CBinaryFileArchive*>(ar.get())->GetFileName()).size(), expected);
        }
        ASSERT_EQ(ar->BeginLoad(), 1) << form.name;
        for (int b = 0; b < 255; ++b) {
            ASSERT_NE(ar->BeginReadBlock(), nullptr) << form.name;
            ASSERT_EQ(ar->BeginReadRecord(), 1) << form.name;
            EXPECT_EQ(ar->ReadInt32(), b) << form.name;
            ar->EndReadRecord();
        }
        EXPECT_EQ(ar->BeginReadBlock(), nullptr) << form.name;
        EXPECT_FALSE(ar->HasReadFault()) << form.name;
    }
}

// --- zero-run packing ------------------------------------------------------------------------

TEST(ZeroRunPacking, RunsBecomeZeroAndCount)
{
    struct Case {
        std::vector<uint8_t> data;
        std::vector<uint8_t> packed;
    };
    std::vector<Case> cases = {
        {{}, {}},
        {{0}, {0, 1}},
        {{0, 0}, {0, 2}},
        {{5}, {5}},
        {{1, 0, 0, 0, 2}, {1, 0, 3, 2}},
        {std::vector<uint8_t>(255, 0), {0, 255}},
        {std::vector<uint8_t>(300, 0), {0, 255, 0, 45}},
        {std::vector<uint8_t>(510, 0), {0, 255, 0, 255}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> packed, unpacked;
        yvexbinary::Pack(c.data.data(), c.data.size(), packed);
        EXPECT_EQ(packed, c.packed) << Hex(c.data);
        EXPECT_EQ(yvexbinary::PackedLength(c.data.data(), c.data.size()), c.packed.size());
        yvexbinary::Unpack(packed.data(), packed.size(), unpacked);
        EXPECT_EQ(unpacked, c.data);
    }
    // A (0, 0) pair ends the data; a lone 0 at the end stands for itself.
    std::vector<uint8_t> out;
    const uint8_t ended[] = {7, 0, 0, 9, 9};
    yvexbinary::Unpack(ended, sizeof ended, out);
    EXPECT_EQ(out, std::vector<uint8_t>({7}));
    const uint8_t lone[] = {7, 0};
    yvexbinary::Unpack(lone, sizeof lone, out);
    EXPECT_EQ(out, std::vector<uint8_t>({7, 0}));
}

TEST(BinaryFileArchive, EmptyFullSetPacksItsHeaderRecord)
{
    const std::string path = ScratchPath("empty.bin");
    CDataTableSet set(1);
    CBinaryFileArchive ar(path.c_str());
    ASSERT_EQ(set.WriteToArchive(&ar), 1);
    // The 24-byte header record saves 11 bytes packed: zero-run mode, 1-byte prefix (code 256).
    std::string expected = "0C 1E 59 56 45 58 62 69 6E 61 72 79 "
                           "01 00 00 00 00 01 0D 03 00 03 01 00 02 07 1D 00 0B 01 00 03";
    for (int i = 0; i < 29; ++i)
        expected += " 00 00 00 00";
    EXPECT_EQ(Hex(ReadFileBytes(path)), expected);
    CDataTableSet copy(1);
    EXPECT_EQ(copy.ReadFromArchive(&ar), 1);
    EXPECT_EQ(copy.GetHeader()->TableCount, 29);
}

TEST(BinaryFileArchive, RecordsThatWouldGrowByPackingStayUnpacked)
{
    const std::string path = ScratchPath("limits.bin");
    std::vector<uint8_t> alternating(14000), plain(25000, 0x55);
    for (size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = static_cast<uint8_t>(i & 1);
    CBinaryFileArchive ar(path.c_str());
    ASSERT_EQ(ar.BeginSave(), 1);
    ar.BeginWriteBlock("A");
    ar.RewindRecord();
    ar.BeginWriteRecord();
    ar.WriteBytes(alternating.data(), static_cast<int32_t>(alternating.size()));
    ASSERT_EQ(ar.EndWriteRecord(), 1);
    ar.RewindRecord();
    ar.BeginWriteRecord();
    ar.WriteBytes(plain.data(), static_cast<int32_t>(plain.size()));
    ASSERT_EQ(ar.EndWriteRecord(), 1);
    ar.EndWriteBlock();
    ASSERT_EQ(ar.Close(), 1);

    const std::vector<uint8_t> file = ReadFileBytes(path);
    ASSERT_GE(file.size(), 22u);
    // Count 2, code 1024, then the first record's prefix: padded to exactly 20000 bytes.
    EXPECT_EQ(Hex(file.data() + 12, 10), "02 00 00 00 00 04 20 4E 00 00");
    const size_t second = 12 + 6 + 4 + 20000;
    ASSERT_GE(file.size(), second + 4);
    EXPECT_EQ(ybytes::Load(file.data() + second, 4), 25004u);  // 20000 or more: as it is
    EXPECT_EQ(file.size(), second + 4 + 25004);

    ASSERT_EQ(ar.BeginLoad(), 1);
    ar.BeginReadBlock();
    for (const std::vector<uint8_t>* expected : {&alternating, &plain}) {
        ASSERT_EQ(ar.BeginReadRecord(), 1);
        void* data = nullptr;
        int32_t length = 0;
        ASSERT_EQ(ar.ReadBytes(&data, &length), 1);
        ASSERT_EQ(static_cast<size_t>(length), expected->size());
        EXPECT_EQ(std::memcmp(data, expected->data(), expected->size()), 0);
        std::free(data);
        ar.EndReadRecord();
    }
    ar.Close();
}

// --- damaged data ----------------------------------------------------------------------------

std::vector<uint8_t> SampleMemoryImage()
{
    CDataTableSet set(1);
    FillSampleSet(set);
    set.ImageResources()->FindRecord(2)->content.resize(40);  // keep the data small
    return MemoryImage(set);
}

// A refused read leaves no record of the damaged data behind, and the header as it was.
::testing::AssertionResult NothingRead(const CDataTableSet& set)
{
    for (int i = 0; i < DATA_TABLE_COUNT; ++i)
        if (set.GetTable(i) && set.GetTable(i)->GetCount() != 0)
            return ::testing::AssertionFailure() << set.GetTable(i)->GetName() << " kept " << set.GetTable(i)->GetCount();
    if (set.GetHeader()->FormatVersion != CFileHeaderRecord::kFormatVersion || set.GetHeader()->TableCount != 29)
        return ::testing::AssertionFailure() << "the header changed";
    return ::testing::AssertionSuccess();
}

int ReadGuarded(const std::vector<uint8_t>& bytes, size_t length)
{
    GuardedBuffer buffer(bytes.data(), length);
    CMemoryBinaryArchive ar(buffer.data(), buffer.size(), false);
    CDataTableSet set(1);
    const int result = set.ReadFromArchive(&ar);
    if (result == 0) {
        EXPECT_TRUE(NothingRead(set)) << "read of " << length << " bytes";
    }
    return result;
}

TEST(BinaryArchive, EveryTruncationIsRefusedWithoutReadingPastTheData)
{
    const std::vector<uint8_t> image = SampleMemoryImage();
    ASSERT_GT(image.size(), 500u);
    EXPECT_EQ(ReadGuarded(image, image.size()), 1);
    for (size_t length = 0; length < image.size(); ++length)
        ASSERT_EQ(ReadGuarded(image, length), 0) << "cut at " << length;
}

TEST(BinaryArchive, DamagedBytesNeverReadPastTheData)
{
    const std::vector<uint8_t> image = SampleMemoryImage();
    uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> damaged = image;
        for (int k = 0; k < 3; ++k) {
            seed = seed * 1103515245u + 12345u;
            const size_t at = 12 + (seed >> 8) % (damaged.size() - 12);
            seed = seed * 1103515245u + 12345u;
            damaged[at] = static_cast<uint8_t>(seed >> 16);
        }
        ReadGuarded(damaged, damaged.size());  // any answer, but no fault
    }
}

TEST(BinaryArchive, ImpossibleLengthsAndCountsAreFaults)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> block;  // after the 12-byte header with one block
    };
    const Case cases[] = {
        {"prefix past the end", {1, 0, 0, 0, 0, 2, 0x40, 0, 1, 2}},
        {"fixed record past the end", {1, 0, 0, 0, 8, 0, 1, 2, 3}},
        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF, 4, 0}},
        {"huge count", {0xFF, 0xFF, 0xFF, 0x7F, 4, 0, 1, 2, 3, 4}},
        {"code zero", {1, 0, 0, 0, 0, 0, 1, 2}},
        {"prefix wider than four", {1, 0, 0, 0, 0, 5, 1, 0, 0, 0, 0, 9}},
        {"count without code", {1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = {12, 1, 'Y', 'V', 'E', 'X', 'b', 'i', 'n', 'a', 'r', 'y'};
        bytes.insert(bytes.end(), c.block.begin(), c.block.end());
        GuardedBuffer buffer(bytes.data(), bytes.size());
        CMemoryBinaryArchive ar(buffer.data(), buffer.size(), false);
        ASSERT_EQ(ar.BeginLoad(), 1) << c.name;
        if (ar.BeginReadBlock()) {
            EXPECT_EQ(ar.BeginReadRecord(), 0) << c.name;
        }
        EXPECT_TRUE(ar.HasReadFault()) << c.name;

        const std::string path = ScratchPath("damaged.bin");
        ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
        CBinaryFileArchive file(path.c_str());
        ASSERT_EQ(file.BeginLoad(), 1) << c.name;
        if (file.BeginReadBlock()) {
            EXPECT_EQ(file.BeginReadRecord(), 0) << c.name;
        }
        EXPECT_TRUE(file.HasReadFault()) << c.name;
    }
}

TEST(BinaryArchive, BytesNeverReachBeyondTheirRecord)
{
    // A bytes value claims 1000 bytes, its record holds 3 of them.
    const std::vector<uint8_t> bytes = {12, 1, 'Y', 'V', 'E', 'X', 'b', 'i', 'n', 'a', 'r', 'y',
                                        1, 0, 0, 0, 0, 4, 7, 0, 0, 0, 0xE8, 3, 0, 0, 1, 2, 3};
    GuardedBuffer buffer(bytes.data(), bytes.size());
    CMemoryBinaryArchive ar(buffer.data(), buffer.size(), false);
    ASSERT_EQ(ar.BeginLoad(), 1);
    ASSERT_NE(ar.BeginReadBlock(), nullptr);
    ASSERT_EQ(ar.BeginReadRecord(), 1);
    void* data = nullptr;
    int32_t length = 0;
    ASSERT_EQ(ar.ReadBytes(&data, &length), 1);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(Hex(static_cast<uint8_t*>(data), 3), "01 02 03");
}

TEST(BinaryArchive, ForeignHeadersAreRefused)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"other name", {12, 1, 'Y', 'V', 'E', 'X', 't', 'e', 'x', 't', '!', '!', 0, 0, 0, 0}},
        {"header length past the end", {200, 1, 'Y', 'V', 'E', 'X', 'b', 'i', 'n', 'a', 'r', 'y', 0, 0, 0, 0}},
        {"header length too short", {3, 1, 'Y', 'V', 'E', 'X', 'b', 'i', 'n', 'a', 'r', 'y', 0, 0, 0, 0}},
        {"header alone", {12, 0, 'Y', 'V', 'E', 'X', 'b', 'i', 'n', 'a', 'r', 'y'}},
        {"short", {12, 1, 'Y', 'V', 'E'}},
    };
    for (const Case& c : cases) {
        GuardedBuffer buffer(c.bytes.data(), c.bytes.size());
        CMemoryBinaryArchive ar(buffer.data(), buffer.size(), false);
        EXPECT_EQ(ar.BeginLoad(), 0) << c.name;
        const std::string path = ScratchPath("foreign.bin");
        ASSERT_TRUE(WriteFileBytes(path, c.bytes.data(), c.bytes.size()));
        CBinaryFileArchive file(path.c_str());
        if (std::string(c.name) != "header alone") {  // a file may hold a header and no block
            EXPECT_EQ(file.BeginLoad(), 0) << c.name;
        }
    }
}

TEST(BinaryFileArchive, EveryTruncationIsRefused)
{
    const std::string path = ScratchPath("sample.bin");
    CDataTableSet set(1);
    FillSampleSet(set);
    set.ImageResources()->FindRecord(2)->content.resize(40);
    CBinaryFileArchive ar(path.c_str());
    ASSERT_EQ(set.WriteToArchive(&ar), 1);
    const std::vector<uint8_t> file = ReadFileBytes(path);
    ASSERT_GT(file.size(), 400u);
    const std::string cut = ScratchPath("cut.bin");
    for (size_t length = 0; length < file.size(); ++length) {
        ASSERT_TRUE(WriteFileBytes(cut, file.data(), length));
        CBinaryFileArchive damaged(cut.c_str());
        CDataTableSet copy(1);
        ASSERT_EQ(copy.ReadFromArchive(&damaged), 0) << "cut at " << length;
        ASSERT_TRUE(NothingRead(copy)) << "cut at " << length;
    }
}

} // namespace
