// Attribute linkages: the list they live in, header lengths and packing, the parser's dispatch
// by user ID, each kind's reading, writing and description, and records whose lengths lie.
#include "ByteArray.h"
#include "DgnString.h"
#include "ElementLinkages.h"
#include "linkages/DbLinkLinkage.h"
#include "linkages/DependencyLinkage.h"
#include "linkages/DmrsLinkage.h"
#include "linkages/LFilterLinkage.h"
#include "linkages/Linkage.h"
#include "linkages/PatternFillLinkage.h"
#include "linkages/SolidFillLinkage.h"
#include "linkages/StringLinkage.h"
#include "linkages/TextStyleLinkage.h"
#include "linkages/V7EntityIdLinkage.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "element_records.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

struct HolderDeleter {
    void operator()(CElementLinkages* h) const { delete h; }
};
using Holder = std::unique_ptr<CElementLinkages, HolderDeleter>;

Holder Parsed(const Bytes& data)
{
    Holder h(CElementLinkages::Create(nullptr));
    EXPECT_TRUE(h->Parse(data.data(), static_cast<std::uint32_t>(data.size())));
    return h;
}

// What the holder writes after an even offset, into a buffer of exactly its total size.
Bytes Written(CElementLinkages& h)
{
    Bytes out(h.GetTotalSize());
    std::uint8_t* cursor = out.data();
    const std::uint32_t n = h.Write(&cursor, out.data());
    EXPECT_EQ(n, out.size());
    return out;
}

std::vector<CLinkage*> All(const CElementLinkages& h)
{
    std::vector<CLinkage*> out;
    CLinkage* at = nullptr;
    while (CLinkage* l = h.Next(&at))
        out.push_back(l);
    return out;
}

// A node for the list tests.
class Node : public CLinkageList {
public:
    Node() : CLinkageList(false) {}
};
class Head : public CLinkageList {
public:
    Head() : CLinkageList(true) {}
};

} // namespace

TEST(LinkageList, NodesLinkInOrderAndHeadsMoveWholeLists)
{
    Head a, b;
    auto* n1 = new Node;
    auto* n2 = new Node;
    auto* n3 = new Node;
    EXPECT_TRUE(a.Append(n1));
    EXPECT_TRUE(a.Append(n2));
    EXPECT_TRUE(a.Prepend(n3));
    // n3, n1, n2
    EXPECT_EQ(a.Next(), n3);
    EXPECT_EQ(n3->Next(), n1);
    EXPECT_EQ(n2->Next(), nullptr);
    EXPECT_EQ(n3->Prev(), nullptr);
    EXPECT_EQ(n1->GetOwner(), &a);
    EXPECT_FALSE(a.Unlink());
    EXPECT_FALSE(n1->Append(n2));

    // A head appended to an empty head moves all its nodes, in order.
    EXPECT_TRUE(b.Append(&a));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(b.Next(), n3);
    EXPECT_EQ(n3->Next(), n1);
    EXPECT_EQ(n1->GetOwner(), &b);
    EXPECT_EQ(b.RemoveLast(), n2);
    EXPECT_EQ(n2->GetOwner(), nullptr);
    delete n2;
    EXPECT_EQ(b.RemoveFirst(), n3);
    delete n3;
    EXPECT_EQ(a.RemoveFirst(), nullptr);

    // A child list is made on first use and owned.
    EXPECT_EQ(n1->PeekChildList(), nullptr);
    EXPECT_TRUE(n1->AppendChild(new Node));
    ASSERT_NE(n1->PeekChildList(), nullptr);
    EXPECT_EQ(n1->PeekChildList()->GetOwner(), n1);
    // b deletes n1, which deletes its child list.
}

TEST(Linkages, HeaderLengths)
{
    struct Case {
        std::uint8_t sizeByte, flags;
        std::uint32_t words;
    };
    const Case cases[] = {
        {2, 0x10, 4},    // 3 words, raised to the minimum
        {3, 0x52, 12},   // scaled: 3 << 2
        {0, 0x00, 4},    // a zero size byte cannot stall a walk
        {7, 0x10, 8},
        {128, 0x51, 256},
        {5, 0x15, 6},    // a scale nibble without 0x40 is not a scale
        {255, 0x4F, 255u << 15},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CLinkage::HeaderWords(c.sizeByte, c.flags), c.words) << int(c.sizeByte) << " " << int(c.flags);
}

TEST(Linkages, PackingStatesWholeEightByteLengths)
{
    struct Case {
        std::uint32_t data;
        std::uint32_t bytes;
        std::uint8_t sizeByte, flags;
    };
    const Case cases[] = {
        {0, 8, 3, 0x10},
        {6, 16, 7, 0x10},
        {500, 504, 251, 0x10},
        {501, 512, 128, 0x51},
        {600, 608, 152, 0x51},
    };
    Holder h(CElementLinkages::Create(nullptr));
    for (const Case& c : cases) {
        const Bytes data = Counting(c.data);
        CLinkage* l = h->AddGeneric(c.data + 4, 0x10, 0x1234, data.data());
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->PackSizeHeader(), c.bytes) << c.data;
        EXPECT_EQ(l->GetSizeByte(), c.sizeByte) << c.data;
        EXPECT_EQ(l->GetFlags(), c.flags) << c.data;
        EXPECT_EQ(CLinkage::HeaderWords(l->GetSizeByte(), l->GetFlags()) * 2, c.bytes);
        delete l;
    }
}

TEST(Linkages, EveryKindParsesByUserIdAndWritesBackByteForByte)
{
    const Bytes input = Cat(Cat(Cat(DmrsLinkage(7, 0x123456, 2), DbLinkLinkage(0x5800, 3, 70000, 1)),
                                Cat(DependencyLinkage(1, 2, {4242}, 1), TextStyleLinkage(2.5, 9))),
                            Cat(Cat(Cat(V7EntityIdLinkage(321), LFilterLinkage(4, "lvl", "a&b", 1, 3, 3)), Cat(PatternFillLinkage(0x8031, {1.0, 2.0}, 4242), SolidFillLinkage(6))),
                                Cat(StringLinkage(1, "Default"), GenericLinkage(0x1234, 12))));
    Holder h = Parsed(input);
    const std::vector<CLinkage*> all = All(*h);
    const std::vector<const std::type_info*> kinds = {&typeid(CDmrsLinkage),        &typeid(CDbLinkLinkage),   &typeid(CDependencyLinkage),
                                                      &typeid(CTextStyleLinkage),    &typeid(CV7EntityIdLinkage), &typeid(CLFilterLinkage),
                                                      &typeid(CPatternFillLinkage),  &typeid(CSolidFillLinkage), &typeid(CStringLinkage)};
    ASSERT_EQ(all.size(), kinds.size() + 1);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const CLinkage& l = *all[i];
        EXPECT_EQ(typeid(l), *kinds[i]) << i;
    }
    EXPECT_EQ(all.back()->GetRawData()->Size(), 12u);
    EXPECT_EQ(h->GetTotalSize(), input.size());
    EXPECT_EQ(Written(*h), input);

    // The fields as read.
    auto* dmrs = static_cast<CDmrsLinkage*>(all[0]);
    EXPECT_TRUE(dmrs->IsDmrs());
    EXPECT_EQ(dmrs->GetMslink(), 0x123456u);
    auto* db = static_cast<CDbLinkLinkage*>(all[1]);
    EXPECT_TRUE(db->IsDbLink());
    EXPECT_EQ(db->GetUserId(), 0x5800);
    EXPECT_EQ(db->GetMslink(), 70000u);
    EXPECT_EQ(h->GetV7EntityId(), 321u);
    EXPECT_EQ(static_cast<CTextStyleLinkage*>(all[3])->GetData()->size, 2.5);
    EXPECT_TRUE(static_cast<CTextStyleLinkage*>(all[3])->UsesComputedSize());
    EXPECT_EQ(h->FindDmrs(7), dmrs);
    EXPECT_EQ(h->FindDependency(1, 2), all[2]);
    CLinkage* at = nullptr;
    EXPECT_EQ(h->NextWithId(&at, 0x0041), all[7]);
    EXPECT_EQ(h->NextWithId(&at, 0x0041), nullptr);
}

TEST(Linkages, RawOptionKeepsDmrsAndUserIdZeroGeneric)
{
    const Bytes input = Cat(DmrsLinkage(7, 9, 2), GenericLinkage(0, 4));
    SetRawLinkageOption(true);
    Holder h = Parsed(input);
    SetRawLinkageOption(false);
    for (CLinkage* l : All(*h)) {
        const CLinkage& linkage = *l;
        EXPECT_EQ(typeid(linkage), typeid(CLinkage));
    }
    EXPECT_EQ(Written(*h), input);
}

TEST(Linkages, WritingAfterAnOddBodyInsertsOneZeroByteAndPaddingIsZero)
{
    Holder h(CElementLinkages::Create(nullptr));
    const Bytes six = Counting(6, 1);
    h->AddGeneric(10, 0x10, 0x4321, six.data());
    // Whatever the buffer held, the byte before the linkage and the bytes after its data are 0.
    Bytes buffer(3 + 1 + 16, 0xAA);
    std::uint8_t* cursor = buffer.data() + 3;
    EXPECT_EQ(h->Write(&cursor, buffer.data()), 17u);
    EXPECT_EQ(cursor, buffer.data() + buffer.size());
    const Bytes expected = Cat(Bytes{0xAA, 0xAA, 0xAA, 0x00}, UserLinkage(0x4321, six));
    EXPECT_EQ(buffer, expected);
}

TEST(Linkages, UnknownLinkagesLongerThan259BytesStayWhole)
{
    for (std::size_t n : {4, 252, 300, 1020}) {
        const Bytes input = GenericLinkage(0x2222, n);
        Holder h = Parsed(input);
        ASSERT_EQ(All(*h).size(), 1u);
        EXPECT_EQ(All(*h)[0]->GetRawData()->Size(), input.size() - 4) << n;
        EXPECT_EQ(Written(*h), input) << n;
    }
}

TEST(Linkages, LengthsAreBoundedByTheBytesThatAreThere)
{
    struct Case {
        const char* what;
        Bytes input;
        int written; // -1: not checked
    };
    Bytes stringData;
    Put32(stringData, 5);
    Put32(stringData, 1000); // says 1000 bytes, 3 follow
    stringData.insert(stringData.end(), {'a', 'b', 'c'});
    Bytes lfilterData;
    Put32(lfilterData, 1);
    Put16(lfilterData, 0);
    Put16(lfilterData, 0);
    Put32(lfilterData, 0x7FFFFFFF);
    Put32(lfilterData, 0x7FFFFFFF);
    Put32(lfilterData, 1);
    lfilterData.insert(lfilterData.end(), {'n', 'm'});
    const Case cases[] = {
        // A size byte of 255 words over 12 bytes: a 12-byte generic linkage, written in 16.
        {"claimed length", RawLinkage(254, 0x10, 0x3333, Counting(8)), 16},
        {"string", RawLinkage(254, 0x10, 0x56D2, stringData), 16},
        // Five roots stated, one there.
        {"dependency", DependencyLinkage(1, 1, {99}, 5), 24},
        {"level filter", RawLinkage(254, 0x10, 0x56DD, lfilterData), 32},
        // A DMRS cut short keeps the fields that are there and is 8 bytes.
        {"short dmrs", Bytes{0, 0, 7, 0, 1}, 8},
        // A remnant too short for a header is dropped.
        {"remnant", Bytes{1, 2, 3}, 0},
        // Every field bit set over four bytes: the fields read as 0.
        {"text style", RawLinkage(254, 0x10, 0x80D4, Bytes{0x00, 0x0F, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), -1},
    };
    for (const Case& c : cases) {
        Holder h = Parsed(c.input);
        if (c.written >= 0) {
            EXPECT_EQ(h->GetTotalSize(), static_cast<std::uint32_t>(c.written)) << c.what;
        }
        const Bytes out = Written(*h);
        // What was written reads back to the same linkages.
        Holder again = Parsed(out);
        EXPECT_EQ(Written(*again), out) << c.what;
    }
    Holder h = Parsed(RawLinkage(254, 0x10, 0x56D2, stringData));
    CDgnString* text = CDgnString::Create();
    ASSERT_TRUE(h->GetStringLinkage(5, *text));
    EXPECT_STREQ(text->CStr(), "abc");
    delete text;
    Holder d = Parsed(DependencyLinkage(1, 1, {99}, 5));
    EXPECT_EQ(d->GetDependencyLinkage()->GetFields()->numRoots, 1);
}

TEST(PatternFill, TooManyLinesOrDashesStayGeneric)
{
    struct Case {
        std::vector<std::uint16_t> lines;
        bool pattern;
    };
    const Case cases[] = {
        {std::vector<std::uint16_t>(64, 16), true},
        {std::vector<std::uint16_t>(65, 0), false},
        {{3, 17}, false},
    };
    for (const Case& c : cases) {
        const Bytes input = PatternFillLinkage(0x4000, {}, 0, c.lines);
        Holder h = Parsed(input);
        ASSERT_EQ(All(*h).size(), 1u);
        EXPECT_EQ(dynamic_cast<CPatternFillLinkage*>(All(*h)[0]) != nullptr, c.pattern) << c.lines.size();
        EXPECT_EQ(Written(*h), input);
    }
}

TEST(PatternFill, FieldsFollowTheOptions)
{
    // Only the scale: options and one double, 12 bytes in a 16-byte linkage.
    Holder h(CElementLinkages::Create(nullptr));
    CPatternFillLinkage* fill = h->AddPatternFill();
    fill->GetFillData()->options = kPatternScale;
    fill->GetFillData()->values[kPatternScaleIndex] = 2.0;
    EXPECT_EQ(fill->GetDataSize(), 12u);
    EXPECT_EQ(Written(*h), PatternFillLinkage(0x10, {2.0}));

    // A hatch with rotation, offset and a cell, in the order of the options' bits.
    Bytes data;
    Put32(data, 0x1801 | 0x8000);
    PutF64(data, 0.25);                       // 0x1
    for (double q : {1.0, 0.0, 0.0, 0.0})    // 0x800
        PutF64(data, q);
    for (double c : {10.0, 20.0, 30.0})      // 0x1000
        PutF64(data, c);
    Put64(data, 77);                          // 0x8000
    Holder r = Parsed(UserLinkage(0x7D28, data));
    auto* read = dynamic_cast<CPatternFillLinkage*>(All(*r).at(0));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetFillData()->values[0], 0.25);
    EXPECT_EQ(read->GetFillData()->offset[1], 20.0);
    EXPECT_EQ(read->GetFillData()->cellId, 77u);
    EXPECT_EQ(Written(*r), UserLinkage(0x7D28, data));
}

TEST(PatternFill, OlderFormIsWrittenInTheCurrentForm)
{
    // Options above 0x1FFFFF: VAX doubles for 0x1 and 0x10, one byte for 0x100, int32 offset.
    Bytes data;
    Put32(data, 0x00801111);
    for (std::uint8_t b : {0x80, 0x40, 0, 0, 0, 0, 0, 0}) // 1.0
        data.push_back(b);
    for (std::uint8_t b : {0x40, 0x41, 0, 0, 0, 0, 0, 0}) // 3.0
        data.push_back(b);
    data.push_back(9);                                   // 0x100
    for (std::int32_t v : {-5, 6, 7})                    // 0x1000
        Put32(data, static_cast<std::uint32_t>(v));
    Holder h = Parsed(UserLinkage(0x7D28, data));
    auto* fill = dynamic_cast<CPatternFillLinkage*>(All(*h).at(0));
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->GetFillData()->values[0], 1.0);
    EXPECT_EQ(fill->GetFillData()->values[kPatternScaleIndex], 3.0);
    EXPECT_EQ(fill->GetFillData()->words[1], 9u);
    EXPECT_EQ(fill->GetFillData()->offset[0], -5.0);

    // Written in the current form with the current form's options, it reads back as that form.
    const Bytes out = Written(*h);
    EXPECT_EQ(Get32(out, 4), 0x00001111u);
    Holder again = Parsed(out);
    auto* back = dynamic_cast<CPatternFillLinkage*>(All(*again).at(0));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetFillData()->values[kPatternScaleIndex], 3.0);
    EXPECT_EQ(back->GetFillData()->words[1], 9u);
    EXPECT_EQ(back->GetFillData()->offset[2], 7.0);
    EXPECT_EQ(Written(*again), out);
}

TEST(Linkages, SolidFillAndDmrsHaveFixedLayouts)
{
    Holder h(CElementLinkages::Create(nullptr));
    h->AddSolidFill(0x00112233);
    CDmrsLinkage* dmrs = h->AddDmrs(0xFFFF, 0xFFFFFFFF, 0xFF);
    EXPECT_EQ(dmrs->GetMslink(), 0xFFFFFFu);
    EXPECT_EQ(dmrs->PackSizeHeader(), 8u);
    EXPECT_EQ(Written(*h), Cat(SolidFillLinkage(0x00112233), DmrsLinkage(0xFFFF, 0xFFFFFF, 0xFF)));
}

TEST(Linkages, DependenciesReplaceTheirPairAndSizeTheirRoots)
{
    Holder h(CElementLinkages::Create(nullptr));
    h->AddDependency(10007, 0, 500);
    h->AddDependency(10007, 0, 501);
    h->AddAssociation(10000, 1, 502);
    EXPECT_EQ(All(*h).size(), 2u);
    std::uint64_t id = 0;
    EXPECT_TRUE(h->FindDependency(10007, 0)->GetFirstElementId(&id));
    EXPECT_EQ(id, 501u);
    CDependencyLinkage* association = h->FindDependency(10000, 1);
    EXPECT_EQ(association->GetRootType(), 2);
    EXPECT_EQ(association->GetRoots()->Size(), kAssociationRecordSize);
    EXPECT_EQ(association->GetRoots()->ByteAt(0), 7);
    EXPECT_EQ(association->GetRoots()->ByteAt(8), 502 & 0xFF);
    EXPECT_TRUE(h->RemoveDependency(10007, 0));
    EXPECT_FALSE(h->RemoveDependency(10007, 0));

    // Root type 6: 24 + 8 x n bytes each.
    Bytes data;
    Put16(data, 1);
    Put16(data, 1);
    Put16(data, 6 << 10);
    Put16(data, 2);
    for (std::uint32_t n : {1u, 2u}) {
        Put32(data, n);
        data.resize(data.size() + 20 + 8 * n, 0x11);
    }
    Holder six = Parsed(UserLinkage(0x56D0, data));
    EXPECT_EQ(six->GetDependencyLinkage()->GetRoots()->Size(), 32u + 40u);
    EXPECT_EQ(six->GetDependencyLinkage()->GetDataSize(), 80u);
    EXPECT_EQ(Written(*six), UserLinkage(0x56D0, data));
}

TEST(Linkages, StringsAreSetReadAndRemovedByKey)
{
    Holder h(CElementLinkages::Create(nullptr));
    // Length 0: the text's own length without its terminator.
    h->SetStringLinkage(1, "Default", 0);
    h->SetStringLinkage(1, "Model", 0);
    EXPECT_EQ(All(*h).size(), 1u);
    char buffer[4];
    EXPECT_TRUE(h->GetStringLinkage(1, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Mod");
    EXPECT_FALSE(h->GetStringLinkage(2, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(Written(*h), StringLinkage(1, "Model"));

    // A wide string keeps its marker and units.
    const char wide[] = {'\xFF', '\xFE', 'A', 0, 'B', 0, 0, 0};
    h->SetStringLinkage(2, wide, 0);
    CDgnString* text = CDgnString::Create();
    ASSERT_TRUE(h->GetStringLinkage(2, *text));
    EXPECT_TRUE(text->IsWide());
    EXPECT_EQ(text->CharCount(), 2u);
    // Set from the linkage's own string: copied before the old linkage goes.
    h->SetStringLinkage(2, *h->FindString(2)->GetString());
    ASSERT_TRUE(h->GetStringLinkage(2, *text));
    EXPECT_EQ(text->CharCount(), 2u);
    EXPECT_TRUE(h->RemoveStringLinkage(2));
    EXPECT_FALSE(h->RemoveStringLinkage(2));
    delete text;
}

TEST(Linkages, LevelFilterWritesTheLengthsOfItsStrings)
{
    // The strings are absent (the presence word is 0) though the lengths say 10 and 5.
    Holder stale = Parsed(LFilterLinkage(4, "", "", 0, 10, 5));
    EXPECT_EQ(All(*stale)[0]->GetDataSize(), 20u);
    EXPECT_EQ(Written(*stale), LFilterLinkage(4, "", "", 0, 0, 0));

    Holder h = Parsed(LFilterLinkage(4, "lvl", "a&b", 1, 3, 3));
    CLFilterLinkage* f = h->SetLFilterName(4, "longer name", 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(h->SetLFilterName(5, "x", 0), nullptr);
    EXPECT_EQ(Written(*h), LFilterLinkage(4, "longer name", "a&b", 1, 11, 3));
    char buffer[32];
    EXPECT_TRUE(h->GetLFilterName(4, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "longer name");
    EXPECT_TRUE(h->RemoveLFilter(4));
}

TEST(Linkages, DescriptionLines)
{
    // The string's text is printed by its length: the data need not hold a zero byte.
    Bytes stringData;
    Put32(stringData, 5);
    Put32(stringData, 3);
    stringData.insert(stringData.end(), {'A', 'B', 'C', 'D', 'E'});
    const Bytes input = Cat(Cat(UserLinkage(0x56D2, stringData), SolidFillLinkage(0x12)),
                            Cat(Cat(DmrsLinkage(7, 70000, 2), DbLinkLinkage(0x5800, 3, 9, 1)),
                                Cat(Cat(V7EntityIdLinkage(321), GenericLinkage(0x1234, 4)),
                                    Cat(DependencyLinkage(1, 2, {3}, 1), LFilterLinkage(4, "lvl", "a&b", 1, 3, 3)))));
    Holder h = Parsed(input);
    Lines::Reset();
    h->Describe(&Lines::Collect);
    const std::vector<std::string> expected = {
        "String attribute type: 0x56d2, size: 0x07, flags: 0x10, id: 5 = ABC",
        "Solid fill attribute: 0x0041, size: 0x07, flags: 0x10",
        "    color: 0x00000012",
        "DMRS attribute: id = 7, mslink = 70000, ltype = 2",
        "DBLink attribute: 0x5800, size: 0x07, flags: 0x10",
        "    id = 3, mslink = 9, ltype = 1",
        "V7 entity id attribute: id = 321, type: 0x7d2f, size: 0x03, flags: 0x10",
        "Attribute type: 0x1234, size: 0x03, flags: 0x10",
        "Dependency linkage attribute: 0x56d0, size: 0x0b, flags: 0x10",
        " appId: 0x0001, appValue: 0x0002, dlflags: 0x0200, numRoots = 1",
        "LFilter attribute type: 0x56dd, size: 0x0F, flags: 0x10, type: 0x0003; exprLen: 0x0003; id: 4 = lvl",
    };
    EXPECT_EQ(Lines::Get(), expected);

    // A wide string's line is a marked wide DGN string.
    const char wide[] = {'\xFF', '\xFE', 'W', 0, 0, 0};
    Holder w(CElementLinkages::Create(nullptr));
    w->SetStringLinkage(6, wide, 0);
    Lines::Reset();
    w->Describe(&Lines::Collect);
    ASSERT_EQ(Lines::Get().size(), 1u);
    EXPECT_EQ(Lines::Get()[0], "[wide]String attribute type: 0x56d2, size: 0x07, flags: 0x10, id: 6 = W");
}

TEST(Linkages, ClonesAreIndependentCopies)
{
    const Bytes input = Cat(Cat(StringLinkage(1, "Default"), LFilterLinkage(4, "lvl", "a&b", 1, 3, 3)),
                            Cat(DependencyLinkage(1, 2, {3}, 1), Cat(PatternFillLinkage(0x11, {1.0, 2.0}), GenericLinkage(0x99, 20))));
    Holder h = Parsed(input);
    Holder copy(h->Clone(nullptr));
    ASSERT_NE(copy, nullptr);
    h->Clear();
    EXPECT_EQ(Written(*copy), input);
}
