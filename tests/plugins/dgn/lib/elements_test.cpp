// The element base, the graphic element base and the design file's share of them; the
// unknown and application-data elements; fill descriptions; the fuzz seeds.
#include "ByteArray.h"
#include "DgnString.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "EntityIterator.h"
#include "FillInfo.h"
#include "PointerTable.h"
#include "RootContainer.h"
#include "elements/ApplicationDataElement.h"
#include "elements/ApplicationElement.h"
#include "elements/Type56ApplicationElement.h"
#include "elements/Type57ApplicationElement.h"
#include "elements/UnknownElement.h"
#include "linkages/PatternFillLinkage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>

#include "element_records.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using ElementTest = DesignFileTest;

// A model header for model 0 with uor units of resolution per master unit.
CApplicationElement* AddModelHeader(CDesignFile* file, double uor)
{
    auto* header = new CApplicationElement(file);
    const Bytes record = V8Record(66, 0, 32, 0, ModelHeaderBody(uor), {});
    EXPECT_TRUE(ReadV8Into(*header, record));
    *file->GetModelHeaderSlot(0) = header;
    return header;
}

std::uint64_t IdOf(const IElement* e)
{
    std::uint64_t id = 0;
    e->GetElementId(&id);
    return id;
}

} // namespace

TEST_F(ElementTest, RecordHeadersMustFitTheirRecord)
{
    struct Case {
        const char* what;
        bool graphic;
        std::uint32_t sizeWords, attrOffsetWords, length;
        bool ok;
    };
    const Case cases[] = {
        {"offset 0 reads as the size", false, 20, 0, 44, true},
        {"smallest offset", false, 20, 16, 44, true},
        {"offset inside the header", false, 20, 15, 44, false},
        {"offset past the size", false, 20, 21, 44, false},
        {"size whose bytes wrap 32 bits", false, 0x7FFFFFFE, 16, 200, false},
        {"largest size", false, 0xFFFFFFFF, 16, 200, false},
        {"record longer than the data", false, 21, 20, 44, false},
        {"shorter than a header", false, 14, 14, 32, false},
        {"graphic offset inside the graphic header", true, 60, 51, 124, false},
        {"graphic smallest offset", true, 60, 52, 124, true},
    };
    for (const Case& c : cases) {
        Bytes record = V8Header(c.graphic ? 200 : 66, c.graphic ? 0x1000 : 0, c.sizeWords, c.attrOffsetWords, 20, 4000);
        record.resize(c.length, 0);
        std::unique_ptr<IElement> e(c.graphic ? static_cast<IElement*>(new CUnknownElement(file)) : new CApplicationDataElement(file));
        const std::uint8_t* cursor = record.data();
        EXPECT_EQ(e->ReadV8(&cursor, static_cast<std::uint32_t>(record.size())), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(e->GetAttrOffsetWords(), c.attrOffsetWords ? c.attrOffsetWords : c.sizeWords) << c.what;
            EXPECT_EQ(file->FindElementById(4000), e.get()) << c.what;
        } else {
            // A refused record leaves nothing behind: no ID, no index entry.
            EXPECT_EQ(file->FindElementById(4000), nullptr) << c.what;
            EXPECT_EQ(cursor, record.data()) << c.what;
        }
    }
}

TEST_F(ElementTest, ReadingAnIdRaisesTheNextId)
{
    constexpr std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
    struct Case {
        std::vector<std::uint64_t> read;
        std::uint64_t next, afterNext;
    };
    // The counter never wraps to 0: at the highest ID it stays there.
    const Case cases[] = {
        {{500}, 501, 502},
        {{50}, 100, 101},
        {{499, 500}, 501, 502},
        {{last - 1}, last, last},
        {{last}, last, last},
        {{last, 7}, last, last},
    };
    for (const Case& c : cases) {
        delete file;
        file = new CDesignFile;
        for (std::uint64_t id : c.read)
            EXPECT_TRUE(ReadV8Into(*new CApplicationDataElement(file), V8Record(66, 0, 20, id, {}, {})));
        EXPECT_EQ(file->NewElementId(), c.next);
        EXPECT_EQ(file->NewElementId(), c.afterNext);
    }
}

TEST_F(ElementTest, FlagsWordFollowsDeletion)
{
    auto* e = new CApplicationDataElement(file);
    e->SetFlags(0x8000);
    EXPECT_TRUE(e->IsHiddenEntity());
    EXPECT_EQ(e->GetFlags(), 0x8000);
    e->SetFlags(0);
    EXPECT_FALSE(e->IsHiddenEntity());
    e->MarkDeleted();
    EXPECT_EQ(e->GetFlags(), 0x8000);
}

TEST_F(ElementTest, ElementsDeletedForGoodLeaveTheIdIndex)
{
    auto* e = new CApplicationDataElement(file);
    ASSERT_TRUE(ReadV8Into(*e, V8Record(66, 0, 20, 0x100000 + 500, {}, {})));
    ASSERT_EQ(file->FindElementById(0x100000 + 500), e);
    e->MarkDeleted();
    GetRootContainer()->CommitMarks();
    EXPECT_EQ(file->GetIdIndex()->Get(500), nullptr);
    EXPECT_EQ(file->FindElementById(0x100000 + 500), nullptr);
    // An ID whose low bits match another element's slot is not that element.
    auto* other = new CApplicationDataElement(file);
    ASSERT_TRUE(ReadV8Into(*other, V8Record(66, 0, 20, 500, {}, {})));
    EXPECT_EQ(file->FindElementById(0x100000 + 500), nullptr);
    EXPECT_EQ(file->FindElementById(500), other);
}

TEST_F(ElementTest, UnitsComeFromTheModelHeader)
{
    auto* e = new CApplicationDataElement(file);
    char out[256];
    e->FormatDistance(20000, nullptr, out);
    EXPECT_STREQ(out, "2");
    AddModelHeader(file, 1000.0);
    e->FormatDistance(1000, nullptr, out);
    EXPECT_STREQ(out, "1");
    e->FormatDistance(2500, "d=", out);
    EXPECT_STREQ(out, "d=2.5");
    // The header's origin is (5, 6, 7).
    e->FormatPoint2d(Point2d{1005, 2006}, nullptr, out);
    EXPECT_STREQ(out, "1,2");
    e->FormatPoint3d(Point3d{1005, 2006, 3007}, "p ", out);
    EXPECT_STREQ(out, "p 1.000000,2.000000,3.000000");
    EXPECT_NE(e->GetModelInfo(), nullptr);
}

TEST_F(ElementTest, TouchCountsComponentsAtAllDepths)
{
    auto* header = new TestGraphic(file, 2);
    auto* a = new TestGraphic(nullptr, 3);
    auto* b = new TestGraphic(nullptr, 2);
    header->AddChild(a);
    header->AddChild(b);
    b->AddChild(new TestGraphic(nullptr, 3));
    b->AddChild(new TestGraphic(nullptr, 3));
    header->Touch();
    EXPECT_EQ(header->ChildCount(), 4);
    EXPECT_TRUE(header->GetFlags() & 0x2000);
    EXPECT_TRUE(a->GetFlags() & 0x4000);
    const double before = header->GetLastModified();
    EXPECT_EQ(before, std::floor(before / 1000.0) * 1000.0);
    EXPECT_GT(before, 1.6e12);
}

TEST_F(ElementTest, CopiesGoIntoATargetOrBeforeTheirSource)
{
    auto* source = new CApplicationDataElement(file);
    ASSERT_TRUE(ReadV8Into(*source, ApplicationDataRecord(20, 10, StringLinkage(1, "x"))));
    auto* target = new CDesignFile;
    target->NewElementId();
    auto* copy = static_cast<CApplicationDataElement*>(source->Clone(target, false));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(IdOf(copy), 101u);
    EXPECT_EQ(copy->Next(), static_cast<IEntity*>(target->ChildList()));
    EXPECT_EQ(copy->GetDesignFile(), target);
    EXPECT_EQ(target->FindElementById(101), copy);
    EXPECT_EQ(WriteElement(*copy).size(), source->GetRecordSize());

    auto* local = static_cast<CApplicationDataElement*>(source->Clone(nullptr, true));
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->Next(), source);
    EXPECT_EQ(local->Owner(), source->Owner());
    EXPECT_EQ(IdOf(local), IdOf(source));
    EXPECT_TRUE(source->IsHiddenEntity());
    source->SetFlags(0);
    EXPECT_EQ(WriteElement(*local), WriteElement(*source));
    delete target;
}

TEST_F(ElementTest, V7HeadersGiveSymbologyRangeAndLinkages)
{
    const Bytes record = V7LinkedRecord();
    auto* e = new CUnknownElement(file);
    const std::uint8_t* cursor = record.data();
    ASSERT_TRUE(e->ReadV7(&cursor, static_cast<std::uint32_t>(record.size())));
    EXPECT_EQ(e->GetType(), 3);
    EXPECT_EQ(e->GetLevel(), 2);
    EXPECT_EQ(e->GetColor(), 10);
    EXPECT_EQ(e->GetWeight(), 3);
    EXPECT_EQ(e->GetLineStyle(), 3);
    EXPECT_EQ(e->GetClass(), 2);
    EXPECT_EQ(e->GetGraphicGroup(), 11u);
    EXPECT_EQ(e->GetRange()[0], 10);
    EXPECT_EQ(e->GetRange()[3], 15);
    EXPECT_EQ(e->GetPayload().Size(), record.size());
    ASSERT_TRUE(e->ReadV7Linkages(record.data(), static_cast<std::uint32_t>(record.size())));
    EXPECT_EQ(IdOf(e), 321u);
    Lines::Reset();
    e->Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has(" range x low=       10  hi=       25  delta=       15"));

    // An attribute index past the record's end takes no attribute data.
    Bytes pastEnd = record;
    pastEnd[30] = 0xF4;
    pastEnd[31] = 0x01;
    ASSERT_TRUE(e->ReadV7Linkages(pastEnd.data(), static_cast<std::uint32_t>(pastEnd.size())));
    EXPECT_EQ(IdOf(e), 0u);
    CLinkage* at = nullptr;
    EXPECT_EQ(e->GetAttributes()->Next(&at), nullptr);

    // A record whose words to follow run past what was read is refused.
    cursor = record.data();
    EXPECT_FALSE(e->ReadV7(&cursor, static_cast<std::uint32_t>(record.size() - 2)));
    EXPECT_FALSE(e->ReadV7Linkages(record.data(), 30));
}

TEST_F(ElementTest, SymbologyResolvesByCellAndByLevel)
{
    auto* cell = new TestGraphic(file, 2);
    cell->SetColor(5);
    auto* inside = new TestGraphic(nullptr, 3);
    cell->AddChild(inside);
    inside->SetColor(kColorByCell);
    EXPECT_EQ(inside->GetEffectiveColor(), 5);
    EXPECT_EQ(GetLastByCellSymbology().color, 5);
    EXPECT_EQ(inside->GetColorResolvingCell(), 5);
    auto* outside = new TestGraphic(file, 3);
    outside->SetColor(kColorByCell);
    EXPECT_EQ(outside->GetEffectiveColor(), 0);

    LevelData level = {};
    level.levelFlags = 0x0020 | 0x0008;
    level.levelColor = 9;
    level.levelFillColor = 4;
    level.levelStyle = 2;
    outside->level = &level;
    outside->SetColor(kColorByLevel);
    outside->SetLineStyle(kStyleByLevel);
    EXPECT_EQ(outside->GetEffectiveColor(), 9);
    EXPECT_EQ(outside->GetEffectiveLineStyle(), 2);
    EXPECT_EQ(outside->GetDisplayColor(), 4);
    // Without a level entry a by-level value comes back as stored.
    outside->level = nullptr;
    EXPECT_EQ(outside->GetEffectiveColor(), kColorByLevel);
}

TEST_F(ElementTest, HiddenByPropertiesOrLevel)
{
    LevelData displayed = {};
    displayed.levelFlags = 0x0020;
    LevelData frozen = displayed;
    frozen.levelFlags |= 0x4000;
    auto* e = new TestGraphic(file, 3);
    EXPECT_FALSE(e->IsHidden());
    e->level = &displayed;
    EXPECT_FALSE(e->IsHidden());
    EXPECT_EQ(e->GetLevelFlags(), 0x0020);
    e->SetProperties(0x0080);
    EXPECT_TRUE(e->IsHidden());
    e->SetProperties(0);
    e->level = &frozen;
    EXPECT_TRUE(e->IsHidden());
}

TEST_F(ElementTest, SymbologyGoesToDrawingSinksOnly)
{
    auto* e = new TestGraphic(file, 3);
    e->SetColor(3);
    e->SetWeight(2);
    e->SetLineStyle(1);
    RecordingSink range(2);
    e->ApplySymbologyTo(nullptr, &range);
    EXPECT_TRUE(range.calls.empty());
    RecordingSink drawing(0);
    e->ApplySymbologyTo(nullptr, &drawing);
    ASSERT_EQ(drawing.calls.size(), 5u);
    EXPECT_EQ(std::string({drawing.calls[0].what, drawing.calls[1].what, drawing.calls[2].what, drawing.calls[3].what, drawing.calls[4].what}),
              "cswf2");
    EXPECT_EQ(GetCurrentSymbology().color, 3);
    EXPECT_EQ(GetCurrentSymbology().weight, 2);
}

TEST_F(ElementTest, ViewOverridesAndInstanceOverrides)
{
    LevelData level = {};
    level.levelFlags = 0x0020 | 0x0001;
    level.viewColor = 7;
    auto* e = new TestGraphic(file, 3);
    e->SetColor(3);
    e->level = &level;
    e->viewFlags = 0x400;
    CEntityIterator* context = CEntityIterator::Create(nullptr);
    RecordingSink sink(0);
    e->ApplySymbologyTo(context, &sink);
    EXPECT_EQ(sink.Last('c'), 7);
    EXPECT_EQ(sink.Last('2'), 7);
    EXPECT_EQ(GetCurrentSymbology().color, 3);
    // A view without the override bit leaves the element's colour.
    e->viewFlags = 0;
    RecordingSink plain(0);
    e->ApplySymbologyTo(context, &plain);
    EXPECT_EQ(plain.Last('c'), 3);
    delete context;

    // Inside a shared cell instance whose colour follows its level and whose mask overrides
    // the line style.
    LevelData instanceLevel = {};
    instanceLevel.levelColor = 12;
    instanceLevel.levelStyle = 6;
    auto* instance = new TestGraphic(file, 35);
    instance->level = &instanceLevel;
    instance->SetLineStyle(4);
    instance->overrideMask = 0x20;
    RecordingSink nested(0);
    nested.nested = true;
    nested.held = instance;
    e->level = nullptr;
    e->ApplySymbologyTo(nullptr, &nested);
    EXPECT_EQ(nested.Last('c'), 12);
    EXPECT_EQ(nested.Last('s'), 4);
    EXPECT_EQ(GetCurrentSymbology().color, 3);
}

TEST_F(ElementTest, RangesContainTheirGeometry)
{
    auto* e = new TestGraphic(file, 3);
    e->points = {{-1.5, 0.2, -0.5}, {2.5, 3.7, 0.5}};
    e->Touch();
    const std::int64_t* r = e->GetRange();
    EXPECT_EQ(r[0], -2);
    EXPECT_EQ(r[3], 5);
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[4], 4);
    // A 2-D element keeps its z.
    EXPECT_EQ(r[2], 0);
    EXPECT_EQ(r[5], 0);
    e->Set3dElement();
    e->Touch();
    EXPECT_EQ(r[2], -1);
    EXPECT_EQ(r[5], 2);

    e->points = {{1e300, -1e300, 0}, {std::nan(""), -1e300, 0}};
    e->Touch();
    EXPECT_EQ(r[0], std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(r[1], std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(r[4], 0);
    RangeBox box;
    e->points = {{1, 2, 3}};
    e->ComputeRange(&box);
    EXPECT_TRUE(box.hasPoint);
    EXPECT_EQ(box.high[2], 3);
}

TEST_F(ElementTest, GraphicDescription)
{
    const Bytes record = V8Record(200, 0x1000, 1, 900, GraphicHeader(0x0809, kColorByLevel, kWeightByCell, 0x7FFFFFFF), {});
    auto* e = new CUnknownElement(file);
    ASSERT_TRUE(ReadV8Into(*e, record));
    Lines::Reset();
    e->Describe(&Lines::Collect);
    const std::vector<std::string> expected = {
        "Unknown element type 200",
        "Element id: 900, level: 1 \"\" flags: 0x1000, list: 1 model: 0 esize: 52",
        "nelems=0 GRAPHICS ",
        "[wide]color: -1, lweight: -2, lstyle: 2147483647 = LSTYLE_BY_LAYER, props: 0x0809",
        "Color_BYLEVEL  Weight_BYCELL  LStyle_BYLEVEL  ",
        "3D Class ?",
        " range x low=     -100  hi=      200  delta=      300",
        " range y low=     -200  hi=      200  delta=      400",
        " range z low=        0  hi=        0  delta=        0",
    };
    EXPECT_EQ(Lines::Get(), expected);
    EXPECT_EQ(Lines::Ends(), 1);
}

TEST_F(ElementTest, FillDescriptions)
{
    struct Case {
        const char* what;
        Bytes linkages;
        int kind, subKind;
    };
    const Case cases[] = {
        {"none", StringLinkage(1, "x"), -1, 0},
        {"solid", SolidFillLinkage(6), 1, 0},
        {"solid wins over a pattern", Cat(PatternFillLinkage(0x1, {1.0}), SolidFillLinkage(6)), 1, 0},
        {"hatch", PatternFillLinkage(0x1, {1.0}), 2, 1},
        {"cross hatch", PatternFillLinkage(0x5, {1.0, 2.0}), 2, 2},
        {"pattern lines", PatternFillLinkage(0x4000, {}, 0, {1}), 3, 0},
        {"too many lines", PatternFillLinkage(0x4000, {}, 0, std::vector<std::uint16_t>(65, 0)), -1, 0},
    };
    for (const Case& c : cases) {
        auto* e = new CUnknownElement(file);
        ASSERT_TRUE(ReadV8Into(*e, V8Record(6, 0x1000, 1, 77, GraphicHeader(0, 2, 0, 0), c.linkages))) << c.what;
        CFillInfo* fill = e->GetFillInfo();
        if (c.kind < 0) {
            EXPECT_EQ(fill, nullptr) << c.what;
            continue;
        }
        ASSERT_NE(fill, nullptr) << c.what;
        EXPECT_EQ(fill->GetKind(), c.kind) << c.what;
        EXPECT_EQ(fill->GetSubKind(), c.subKind) << c.what;
        // No pattern cell here: the scale is the stored one, read from no missing linkage.
        if (c.kind == 1) {
            EXPECT_EQ(fill->GetFillColor(), 6) << c.what;
            EXPECT_EQ(fill->GetPatternScale(), 0.0) << c.what;
            EXPECT_EQ(fill->GetPatternData(), nullptr) << c.what;
            EXPECT_EQ(fill->GetFillFlags(), nullptr) << c.what;
        }
    }
}

TEST_F(ElementTest, PatternCellsComeThroughTheDependency)
{
    auto* cell = new TestGraphic(file, 2);
    cell->SetElementId(4242);
    // Options: hatch, scale, cell, offset and cell ID; the scale is 2.5, the offset (1, 2, 3).
    Bytes data;
    Put32(data, 0x1 | 0x10 | 0x20 | 0x1000 | 0x8000);
    PutF64(data, 0.75);
    PutF64(data, 2.5);
    for (double v : {1.0, 2.0, 3.0})
        PutF64(data, v);
    Put64(data, 4242);
    const Bytes linkages = Cat(UserLinkage(0x7D28, data), DependencyLinkage(1, 1, {4242}, 1));
    auto* e = new CUnknownElement(file);
    ASSERT_TRUE(ReadV8Into(*e, V8Record(6, 0x1000, 1, 78, GraphicHeader(0, 2, 0, 0), linkages)));
    CFillInfo* fill = e->GetFillInfo();
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->GetKind(), 3);
    EXPECT_EQ(fill->GetPatternElement(), cell);
    EXPECT_EQ(fill->GetPatternScale(), 2.5);
    ASSERT_NE(fill->GetPatternData(), nullptr);
    EXPECT_EQ(fill->GetPatternData()[2], 3.0);
    EXPECT_EQ(*fill->GetFillFlags() & 0x20, 0x20u);
    Lines::Reset();
    e->Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("     Pattern Cell: Entity 4242, Scale 2.5, "));
    EXPECT_TRUE(Lines::Has("Fill Info present"));
}

TEST_F(ElementTest, UnknownElementsSurviveByteForByte)
{
    for (const Bytes& record : {UnknownComplexRecord(), UnknownPlainRecord()}) {
        auto* e = new CUnknownElement(file);
        ASSERT_TRUE(ReadV8Into(*e, record));
        EXPECT_EQ(WriteElement(*e), record);
    }
    auto* complex = new CUnknownElement(file);
    ASSERT_TRUE(ReadV8Into(*complex, UnknownComplexRecord()));
    EXPECT_EQ(complex->ChildCount(), 3);
    EXPECT_EQ(complex->GetType(), 77);
    // A V7 design file takes no unknown elements.
    file->SetIsV8(false);
    EXPECT_TRUE(WriteElement(*complex).empty());
}

TEST_F(ElementTest, ApplicationDataDescribesItsLevel)
{
    struct Case {
        std::int32_t level;
        const char* line;
    };
    const Case cases[] = {
        {26, "MicroStation Application Data - level 26 Element Map"},
        {11, "MicroStation Application Data - level 11 ?"},
        {32, "MicroStation Application Data - level 32 Model Header"},
    };
    for (const Case& c : cases) {
        auto* e = new CApplicationDataElement(file);
        ASSERT_TRUE(ReadV8Into(*e, ApplicationDataRecord(c.level, 4)));
        Lines::Reset();
        e->Describe(&Lines::Collect);
        ASSERT_FALSE(Lines::Get().empty());
        EXPECT_EQ(Lines::Get()[0], c.line);
        EXPECT_EQ(Lines::Ends(), 1);
    }
}

TEST_F(ElementTest, ModelHeaderDescribesItsModel)
{
    auto* header = new CApplicationElement(file);
    ASSERT_TRUE(ReadV8Into(*header, ModelHeaderRecord()));
    // A wide name gives a marked wide line.
    const char wide[] = {'\xFF', '\xFE', 'W', 0, 0, 0};
    header->GetAttributes()->SetStringLinkage(1, wide, 0);
    Lines::Reset();
    header->Describe(&Lines::Collect);
    const std::vector<std::string> expected = {
        "MicroStation Application Data - type 32 Model 0 Header",
        "[wide]  Name: W",
        "  Description: Master Model",
        "  UOR Scale - 10000",
        "  Storage units - mbase: 2, msys:1, num: 1, div: 1",
        "  Master units: mu - mbase: 3, msys:1, num: 1, div: 1",
        "  Sub units: su - mbase: 4, msys:1, num: 10, div: 1",
        "  mtype: 1, flags1: 0x00000011, flags2: 0x00000001, bkcolor: 3",
        "  Model origin (unscaled): 5,6,7",
    };
    EXPECT_EQ(Lines::Get(), expected);
    EXPECT_EQ(Lines::Ends(), 1);
}

TEST_F(ElementTest, Type56WritesItsLinkagesAndType57KeepsALongPayload)
{
    const Bytes linked = Type56Record(50, Cat(SolidFillLinkage(5), GenericLinkage(0x1234, 300)));
    auto* e56 = new CType56ApplicationElement(file);
    ASSERT_TRUE(ReadV8Into(*e56, linked));
    EXPECT_EQ(WriteElement(*e56), linked);
    EXPECT_EQ(e56->GetBlock()[0], 7);

    // Subtype 1's record holds 88 payload bytes; 200 keep the size they were read with.
    const Bytes longer = Type57Record(1, 200, StringLinkage(2, "x"));
    auto* e57 = new CType57ApplicationElement(file);
    ASSERT_TRUE(ReadV8Into(*e57, longer));
    const std::uint32_t attrOffsetWords = e57->GetAttrOffsetWords();
    e57->Touch();
    EXPECT_EQ(e57->GetAttrOffsetWords(), attrOffsetWords);
    const Bytes out = WriteElement(*e57);
    EXPECT_EQ(out.size(), longer.size());
    EXPECT_EQ(Bytes(out.begin() + 36, out.end()), Bytes(longer.begin() + 36, longer.end()));

    // A new type-57 element (subtype 65535) is not written.
    auto* fresh = new CType57ApplicationElement(file);
    EXPECT_EQ(fresh->GetSubtype(), 0xFFFF);
    EXPECT_EQ(fresh->GetLevel(), 5);
    fresh->Touch();
    EXPECT_TRUE(WriteElement(*fresh).empty());
}

TEST_F(ElementTest, EveryClassWritesTheRecordItsSizesStateAfterTouch)
{
    struct Case {
        const char* what;
        std::function<IElement*()> make;
        std::function<IElement*()> fresh;
        std::uint32_t sizeWords; // 0: not fixed; the label linkage takes 12 words
    };
    auto payloadOf = [](IElement* e, std::size_t n) {
        CElementPayload* payload = nullptr;
        if (auto* u = dynamic_cast<CUnknownElement*>(e))
            payload = &u->GetPayload();
        else if (auto* a = dynamic_cast<CType57ApplicationElement*>(e))
            payload = &a->GetPayload();
        else if (auto* b = dynamic_cast<CType56ApplicationElement*>(e))
            payload = &b->GetPayload();
        else if (auto* d = dynamic_cast<CApplicationDataElement*>(e))
            payload = &d->GetPayload();
        const Bytes bytes = Counting(n, 1);
        payload->Append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        e->GetAttributes()->SetStringLinkage(1, "label", 0);
        return e;
    };
    CDesignFile* f = file;
    auto type57 = [&](std::uint16_t subtype, std::size_t n) {
        auto* e = new CType57ApplicationElement(f);
        e->SetSubtype(subtype);
        return payloadOf(e, n);
    };
    const Case cases[] = {
        {"unknown", [&] { return payloadOf(new CUnknownElement(f), 5); }, [&] { return new CUnknownElement(f); }, 0},
        {"unknown read", [&] {
             auto* e = new CUnknownElement(f);
             EXPECT_TRUE(ReadV8Into(*e, UnknownComplexRecord()));
             return e;
         }, [&] { return new CUnknownElement(f); }, 0},
        {"type 57 subtype 1", [&] { return type57(1, 10); }, [&] { return new CType57ApplicationElement(f); }, 67 + 12},
        {"type 57 subtype 2", [&] { return type57(2, 10); }, [&] { return new CType57ApplicationElement(f); }, 113 + 12},
        {"type 57 subtype 3", [&] { return type57(3, 10); }, [&] { return new CType57ApplicationElement(f); }, 31 + 12},
        {"type 57 long", [&] { return type57(3, 99); }, [&] { return new CType57ApplicationElement(f); }, 0},
        {"type 56", [&] { return payloadOf(new CType56ApplicationElement(f), 33); }, [&] { return new CType56ApplicationElement(f); }, 0},
        {"model header", [&] {
             auto* e = new CApplicationElement(f);
             e->GetAttributes()->SetStringLinkage(1, "Default", 0);
             return e;
         }, [&] { return new CApplicationElement(f); }, 248 + 12},
        {"application data", [&] { return payloadOf(new CApplicationDataElement(f), 21); }, [&] { return new CApplicationDataElement(f); }, 0},
    };
    for (const Case& c : cases) {
        IElement* e = c.make();
        e->Touch();
        if (c.sizeWords) {
            EXPECT_EQ(e->GetSizeWords(), c.sizeWords) << c.what;
        }
        const Bytes out = WriteElement(*e);
        ASSERT_EQ(out.size(), 2 * e->GetSizeWords() + 4) << c.what;
        IElement* back = c.fresh();
        ASSERT_TRUE(ReadV8Into(*back, out)) << c.what;
        EXPECT_EQ(back->GetType(), e->GetType()) << c.what;
        EXPECT_EQ(back->GetSizeWords(), e->GetSizeWords()) << c.what;
        EXPECT_EQ(WriteElement(*back), out) << c.what;
        CDgnString* label = CDgnString::Create();
        if (!dynamic_cast<CUnknownElement*>(e)) {
            EXPECT_TRUE(back->GetAttributes()->GetStringLinkage(1, *label)) << c.what;
        }
        delete label;
    }
}

namespace {

std::string SeedPath(const std::string& name)
{
    const char* root = std::getenv("YVEX_SOURCE_DIR");
    std::string p = std::string(root ? root : ".") + "/tests/fixtures/dgn/element_records/" + name;
#ifdef _WIN32
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char& ch : p) {
        if (ch == '/')
            ch = '\\';
    }
#endif
    return p;
}

} // namespace

// The fuzz seeds are the records these tests make: YVEX_WRITE_DGN_SEEDS=1 writes them anew.
TEST(ElementRecordSeeds, AreTheRecordsTheTestsMake)
{
    const bool write = std::getenv("YVEX_WRITE_DGN_SEEDS") != nullptr;
    for (const auto& seed : FuzzSeeds()) {
        const std::string path = SeedPath(seed.first);
        if (write) {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(seed.second.data()), static_cast<std::streamsize>(seed.second.size()));
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const Bytes committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(committed, seed.second) << seed.first;
    }
}
