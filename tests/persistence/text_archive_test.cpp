// The "YVEXtext" archive: its lines, the quoting of strings, the encoding of bytes, and sets
// written and read through it.
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/SampleTableSet.h"

#include "persistence/DataTableSet.h"
#include "persistence/TextFileArchive.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace archive_test;

namespace {

// The file's lines, whatever line ends the runtime wrote.
std::vector<std::string> FileLines(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t b : bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (b != '\r') {
            line.push_back(static_cast<char>(b));
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(WriteFileBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST(TextArchive, FullSetBeginsWithFormatAndHeaderLines)
{
    const std::string path = ScratchPath("empty.txt");
    CDataTableSet set(1);
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(set.WriteToArchive(&ar), 1);
    const std::vector<std::string> lines = FileLines(path);
    ASSERT_EQ(lines.size(), 4u + 2 * 29);
    EXPECT_EQ(lines[0], "//FormatYVEXtext");
    EXPECT_EQ(lines[1], "// FILE HEADER");
    EXPECT_EQ(lines[2], "3;117440513;29;0;0;1");
    EXPECT_EQ(lines[3], ";");
    for (int i = 0; i < 29; ++i) {
        EXPECT_EQ(lines[4 + 2 * i], std::string("// ") + DataTableName(i));  // an empty table
        EXPECT_EQ(lines[5 + 2 * i], ";");
    }
    EXPECT_EQ(lines[4], "// Arc");
    EXPECT_EQ(lines.back(), ";");
}

TEST(TextArchive, ValuesAreWrittenAsSpecified)
{
    const std::string path = ScratchPath("values.txt");
    const uint8_t bytes[] = {0x00, 0x0A, 0x41};
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(ar.BeginSave(), 1);
    ASSERT_EQ(ar.BeginWriteBlock("Values"), 1);
    ar.RewindRecord();
    ar.BeginWriteRecord();
    ar.WriteInt32(117440513);
    ar.WriteInt16(-5);
    ar.WriteByte(7);
    ar.WriteByte(0);
    ar.WriteFloat(1.5);
    ar.WriteFloat(-0.25);
    ar.WriteFloat(0.0);
    ar.WriteString("a\"b");
    ar.WriteString("x;y");
    ar.WriteString(nullptr);
    ar.WriteBytes(bytes, 3);
    ASSERT_EQ(ar.EndWriteRecord(), 1);
    ar.RewindRecord();
    ar.BeginWriteRecord();
    ar.WriteBytes(nullptr, 0);
    ASSERT_EQ(ar.EndWriteRecord(), 1);
    ar.EndWriteBlock();
    ASSERT_EQ(ar.Close(), 1);

    const std::vector<std::string> lines = FileLines(path);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "// Values");
    EXPECT_EQ(lines[2], "117440513;-5;1;0;1.500;-0.250;0.000;\"a\\\"b\";\"x;y\";\"\";5");
    EXPECT_EQ(lines[3], "!0!:A");
    EXPECT_EQ(lines[4], "0");
    EXPECT_EQ(lines[5], ";");

    ASSERT_EQ(ar.BeginLoad(), 1);
    EXPECT_STREQ(ar.BeginReadBlock(), "Values");
    ASSERT_EQ(ar.BeginReadRecord(), 1);
    EXPECT_EQ(ar.ReadInt32(), 117440513);
    EXPECT_EQ(ar.ReadInt16(), -5);
    EXPECT_EQ(ar.ReadByte(), 1);
    EXPECT_EQ(ar.ReadByte(), 0);
    EXPECT_EQ(ar.ReadFloat(), 1.5);
    EXPECT_EQ(ar.ReadFloat(), -0.25);
    EXPECT_EQ(ar.ReadFloat(), 0.0);
    EXPECT_STREQ(ar.ReadString(), "a\"b");
    EXPECT_STREQ(ar.ReadString(), "x;y");
    EXPECT_STREQ(ar.ReadString(), "");
    void* data = nullptr;
    int32_t length = 0;
    ASSERT_EQ(ar.ReadBytes(&data, &length), 1);
    ASSERT_EQ(length, 3);
    EXPECT_EQ(Hex(static_cast<uint8_t*>(data), 3), "00 0A 41");
    std::free(data);
    EXPECT_EQ(ar.ReadInt32(), 0);  // past the last value
    EXPECT_STREQ(ar.ReadString(), "");
    EXPECT_EQ(ar.EndReadRecord(), 1);
    ASSERT_EQ(ar.BeginReadRecord(), 1);
    EXPECT_EQ(ar.ReadBytes(&data, &length), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(ar.BeginReadRecord(), 0);
    EXPECT_FALSE(ar.HasReadFault());
    ar.Close();
}

// A float that three decimals would change is written with as many digits as it needs and
// reads back as the same float; one that three decimals hold keeps the format's form.
TEST(TextArchive, FloatsKeepTheirPrecision)
{
    struct Case {
        float value;
        const char* written;  // null: only the value read back is checked
    };
    const Case cases[] = {
        {1.5f, "1.500"},          {-0.25f, "-0.250"},      {1234.125f, "1234.125"}, {0.0001f, "0.0001"},
        {3.14159274f, "3.1415927"}, {2.0f / 3.0f, "0.6666667"}, {1e-10f, nullptr},       {-7.1e-5f, nullptr},
        {1234.5678f, nullptr},    {1e30f, nullptr},        {16777217.0f, nullptr},
    };
    const std::string path = ScratchPath("floats.txt");
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(ar.BeginSave(), 1);
    ASSERT_EQ(ar.BeginWriteBlock("Floats"), 1);
    ar.RewindRecord();
    ar.BeginWriteRecord();
    for (const Case& c : cases)
        ar.WriteFloat(c.value);
    ASSERT_EQ(ar.EndWriteRecord(), 1);
    ar.EndWriteBlock();
    ASSERT_EQ(ar.Close(), 1);

    const std::vector<std::string> lines = FileLines(path);
    ASSERT_EQ(lines.size(), 4u);
    std::vector<std::string> fields;
    std::istringstream line(lines[2]);
    for (std::string field; std::getline(line, field, ';');)
        fields.push_back(field);
    ASSERT_EQ(fields.size(), sizeof cases / sizeof cases[0]);
    ASSERT_EQ(ar.BeginLoad(), 1);
    ASSERT_STREQ(ar.BeginReadBlock(), "Floats");
    ASSERT_EQ(ar.BeginReadRecord(), 1);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (cases[i].written) {
            EXPECT_EQ(fields[i], cases[i].written);
        }
        EXPECT_EQ(static_cast<float>(ar.ReadFloat()), cases[i].value) << fields[i];
    }
    ar.Close();
}

TEST(TextArchive, EveryStringReadsBackUnchanged)
{
    // Line breaks and Ctrl-Z cannot stand in a line of a text file, and a backslash just before
    // a closing quote would escape it: all of them must still come back as written.
    const char* const values[] = {"",        "plain",      "with \"quotes\"", "semi;colon",      "back\\slash",
                                  "ends\\",  "\\",         "\\\\",            "\\\"",            "line\r\nbreak",
                                  "\n",      "a\nb\\\nc\\", "ctrl\x1az",      "!0 looks encoded", "{\\rtf1 x\\par}"};
    const std::string path = ScratchPath("strings.txt");
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(ar.BeginSave(), 1);
    ar.BeginWriteBlock("S");
    for (const char* v : values) {
        ar.RewindRecord();
        ar.BeginWriteRecord();
        ar.WriteString(v);
        ar.WriteInt32(42);
        ASSERT_EQ(ar.EndWriteRecord(), 1);
    }
    ar.EndWriteBlock();
    ASSERT_EQ(ar.Close(), 1);
    EXPECT_EQ(FileLines(path).size(), 3u + sizeof values / sizeof values[0]);  // one line each

    ASSERT_EQ(ar.BeginLoad(), 1);
    ar.BeginReadBlock();
    for (const char* v : values) {
        ASSERT_EQ(ar.BeginReadRecord(), 1);
        EXPECT_EQ(std::string(ar.ReadString()), v);
        EXPECT_EQ(ar.ReadInt32(), 42) << v;
        ar.EndReadRecord();
    }
    EXPECT_EQ(ar.BeginReadRecord(), 0);
}

TEST(TextArchive, ReaderFollowsTheFormatsLineRules)
{
    const std::string path = ScratchPath("hand.txt");
    // Any eight characters before the name; blank lines between blocks; "//" lines inside a
    // block; values outside quotes dropped; plain numbers with blanks and signs.
    WriteTextFile(path,
                  "XXXXXXXXYVEXtext and more\n"
                  "\n"
                  "// First\n"
                  "// a remark\n"
                  " 12;-3;x\"ab\"y\"cd\";2.75\n"
                  ";\n"
                  "\n"
                  "// Second\n"
                  ";\n");
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(ar.BeginLoad(), 1);
    EXPECT_STREQ(ar.BeginReadBlock(), "First");
    ASSERT_EQ(ar.BeginReadRecord(), 1);
    EXPECT_EQ(ar.ReadInt32(), 12);
    EXPECT_EQ(ar.ReadInt16(), -3);
    EXPECT_STREQ(ar.ReadString(), "abcd");
    EXPECT_EQ(ar.ReadFloat(), 2.75);
    EXPECT_EQ(ar.BeginReadRecord(), 0);
    EXPECT_STREQ(ar.BeginReadBlock(), "Second");
    EXPECT_EQ(ar.BeginReadRecord(), 0);
    EXPECT_EQ(ar.BeginReadBlock(), nullptr);
    EXPECT_FALSE(ar.HasReadFault());
    ar.Close();

    for (const char* foreign : {"//FormatYVEXbinary\n", "//Format\n", "YVEXtext\n", ""}) {
        WriteTextFile(path, foreign);
        EXPECT_EQ(ar.BeginLoad(), 0) << foreign;
    }
}

TEST(TextArchive, SampleSetSurvives)
{
    const std::string path = ScratchPath("sample.txt");
    CDataTableSet original(1);
    FillSampleSet(original);
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(original.WriteToArchive(&ar), 1);
    CDataTableSet copy(1);
    ASSERT_EQ(copy.ReadFromArchive(&ar), 1);
    EXPECT_EQ(MemoryImage(copy), MemoryImage(original));
    EXPECT_EQ(copy.Texts()->FindRecord(15)->Text, "{\\rtf1\\ansi line one\\par\r\nline two\\}\\");
}

TEST(TextArchive, TruncatedFileIsRefused)
{
    const std::string path = ScratchPath("whole.txt");
    CDataTableSet original(1);
    FillSampleSet(original);
    original.ImageResources()->FindRecord(2)->content.resize(30);
    CTextFileArchive ar(path.c_str());
    ASSERT_EQ(original.WriteToArchive(&ar), 1);
    const std::vector<std::string> lines = FileLines(path);
    // Cut after each line but the last: the block being read never ends.
    const std::string cut = ScratchPath("cut.txt");
    for (size_t keep = 1; keep + 1 < lines.size(); ++keep) {
        std::string text;
        for (size_t i = 0; i < keep; ++i)
            text += lines[i] + "\n";
        WriteTextFile(cut, text);
        CTextFileArchive damaged(cut.c_str());
        CDataTableSet copy(1);
        EXPECT_EQ(copy.ReadFromArchive(&damaged), 0) << "kept " << keep << " lines";
    }
}

} // namespace
