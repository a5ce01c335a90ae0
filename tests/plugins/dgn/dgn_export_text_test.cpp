// The DGN exporter's texts, tags, cell instances and leaders: drawn in the registered control,
// converted by an exporter bound to it into a new design file, saved, and read back with the
// design-file library.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "DesignFile.h"
#include "ElementLinkages.h"
#include "EntityIterator.h"
#include "Library.h"
#include "common/ShapeWalk.h"
#include "dgn/DGNExport.h"
#include "elements/LinearElements.h"
#include "elements/SharedCellElements.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "linkages/TextStyleLinkage.h"

namespace {

const double kPi = 3.14159265358979323846;

// Cleaning by text type: RTF reduced to its characters, the breaks of the attribute kinds out.
TEST(DgnExportText, CleaningByType)
{
    struct Case {
        const char* text;
        long type;
        const char* expected;
    };
    const Case cases[] = {
        {"{\\rtf1\\ansi Hello {\\b x} world}", 4, "Hello  world"},
        {"{\\b \\i text}", 4, "text"},  // every control word goes, also after a blank
        {"{\\b\\i text}", 4, "text"},
        {"{\\b \\i \\ul under}", 4, "under"},
        {"{}", 4, ""},
        {"A \r\nB", 2, "AB"},
        {"A\r\nB", 2, "A B"},
        {"A\n\nB", 2, "A  B"},
        {"A\r\n B\rC \nD", 8, "AB CD"},
        {"A\r\nB", 16, "A B"},
        {"A\r\nB", 1, "A\r\nB"},  // ANSI as it is
        {"{\\b x}", 1, "{\\b x}"},
        {"A\r\nB", 0, "A\r\nB"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CDGNExport::CleanText(c.text, c.type).GetString(), c.expected) << c.text << " type " << c.type;
}

TEST(DgnExportText, TagsForTheAttributeKindsOnly)
{
    for (long type : {2L, 8L, 16L})
        EXPECT_TRUE(CDGNExport::IsTagText(type)) << type;
    for (long type : {0L, 1L, 3L, 4L, 32L})
        EXPECT_FALSE(CDGNExport::IsTagText(type)) << type;
}

struct Exporter : CDGNExport {
    explicit Exporter(IYVEXControlPtr control) : CDGNExport(control, nullptr, nullptr) {}
};

std::string Path(const char* name) { return std::string("dgn_text_") + name + ".dgn"; }

class DgnExportTexts : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(__uuidof(YVEXControl), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IYVEXControl),
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
        ASSERT_EQ(control->get_Site(&site), S_OK);
        ASSERT_EQ(site->get_Shapes(&shapes), S_OK);
        ASSERT_TRUE(dgn::InitializeLibrary(9964, 1));
        exporter.reset(new Exporter(control));
        exporter->FillPalette();
    }
    void TearDown() override
    {
        exporter.reset();
        back.reset();
        dgn::ShutdownLibrary();
        shapes = nullptr;
        site = nullptr;
        control = nullptr;
        CoUninitialize();
    }
    // A new design file for the exporter to write into.
    dgn::CDesignFile* NewFile(const char* name)
    {
        const std::string path = Path(name);
        std::remove(path.c_str());
        dgn::CDesignFile* file = dgn::CDesignFile::CreateNew(path.c_str());
        exporter->SetDesignFile(file);
        return file;
    }
    // Saves the exporter's file and reads it back; the elements of the file, all depths.
    std::vector<dgn::IEntity*> SaveAndRead(const char* name)
    {
        const std::string path = Path(name);
        EXPECT_EQ(exporter->GetDesignFile()->SaveAsA(path.c_str(), 1), 1);
        back.reset(dgn::OpenDesignFile(path.c_str()));
        std::vector<dgn::IEntity*> all;
        if (!back)
            return all;
        std::unique_ptr<dgn::CEntityIterator> walk(back->CreateChildIterator(nullptr));
        for (dgn::IEntity* e = walk ? walk->Next() : nullptr; e; e = walk->Next())
            all.push_back(e);
        return all;
    }
    template <class T>
    static std::vector<T*> OfClass(const std::vector<dgn::IEntity*>& all)
    {
        std::vector<T*> found;
        for (dgn::IEntity* e : all)
            if (T* t = dynamic_cast<T*>(e))
                found.push_back(t);
        return found;
    }
    long Text(const wchar_t* text, long type, float x, float y, float width, float height, Alignments alignment = alTopLeft,
              IShapeCollection* into = nullptr)
    {
        long id = 0;
        IShapeCollection* target = into ? into : shapes.GetInterfacePtr();
        EXPECT_EQ(target->AddPlainText(_bstr_t(text), x, y, width, height, alignment, 0, &id), S_OK);
        ITextShapePtr shape(Shape(id));
        EXPECT_EQ(shape->put_Type(static_cast<TextTypes>(type)), S_OK);
        return id;
    }
    // A new group of the drawing; its children.
    IShapeCollectionPtr Group(long* id)
    {
        EXPECT_EQ(shapes->AddGroup(8, id), S_OK);
        IShapeCollectionPtr children;
        EXPECT_EQ(Shape(*id)->get_Shapes(&children), S_OK);
        return children;
    }
    IShapePtr Shape(long id)
    {
        IShapePtr shape;
        EXPECT_EQ(shapes->get_ItemByID(id, &shape), S_OK);
        return shape;
    }

    IYVEXControlPtr control;
    ISitePtr site;
    IShapeCollectionPtr shapes;
    std::unique_ptr<Exporter> exporter;
    std::unique_ptr<dgn::CDesignFile> back;
};

// An ANSI text and an RTF text are text elements (font 32, justification 7, a text style
// linkage); the attribute kinds are tags of the current tag set with target 0 outside a
// reference. With an export scale of 2 a text 13 high has a character height of 5 and height
// multipliers of 833.33 in both kinds.
TEST_F(DgnExportTexts, TextElementsAndTagsReadBack)
{
    NewFile("kinds");
    exporter->SetScale(2);
    const long ansi = Text(L"plain", 1, 10, 20, 40, 13);
    const long rtf = Text(L"{\\rtf1\\ansi {\\b \\i bold}}", 4, 10, 20, 40, 13);
    const long attribute = Text(L"A \r\nB", 2, 10, 20, 40, 13);
    // What the control keeps of an RTF text is its own; the exporter writes its reduction.
    BSTR stored = nullptr;
    ASSERT_EQ(ITextShapePtr(Shape(rtf))->get_Text(&stored), S_OK);
    const CString rtfExpected = CDGNExport::CleanText(CString(stored), 4);
    SysFreeString(stored);
    for (long id : {ansi, rtf, attribute})
        ASSERT_NE(exporter->InsertText(Shape(id)), nullptr) << id;
    EXPECT_EQ(exporter->GetTagCounter(), 3) << "every text counts";

    const std::vector<dgn::IEntity*> all = SaveAndRead("kinds");
    const auto texts = OfClass<dgn::CTextElement2d>(all);
    const auto tags = OfClass<dgn::CAttributeTagElement2d>(all);
    ASSERT_EQ(texts.size(), 2u);
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(std::string(texts[0]->GetText()->CStr()), "plain");
    EXPECT_EQ(std::string(texts[1]->GetText()->CStr()), rtfExpected.GetString());
    for (dgn::CTextElement2d* t : texts) {
        EXPECT_EQ(t->GetType(), 17);
        const dgn::TextParams2d* p = t->GetTextParams();
        EXPECT_EQ(p->fontNumber, 32u);
        EXPECT_EQ(p->justification, 7);
        EXPECT_NEAR(p->height, 5.0, 1e-9);
        EXPECT_NEAR(p->heightMultiplier, 833.3333333, 1e-6);
        const dgn::CTextStyleLinkage* style = t->GetLinkedTextStyle();
        ASSERT_NE(style, nullptr);
        dgn::TextStyleData* data = const_cast<dgn::CTextStyleLinkage*>(style)->GetData();
        EXPECT_EQ(data->flags, 0x8000);
        EXPECT_EQ(data->extFlags, 0x10000u);
        EXPECT_EQ(data->word8000, 4u);
    }
    dgn::CAttributeTagElement2d* tag = tags[0];
    EXPECT_EQ(tag->GetType(), 37);
    EXPECT_EQ(std::string(tag->GetDisplayString()->CStr()), "AB");
    EXPECT_EQ(tag->GetValueType(), 1);
    EXPECT_EQ(tag->GetTagId(), 4) << "the third text";
    EXPECT_EQ(tag->GetTagFlags(), 0x03) << "offset present; no target recorded";
    EXPECT_EQ(tag->GetTarget(), nullptr);
    EXPECT_NEAR(tag->HeightFactor(), 833.3333333, 1e-6);
    EXPECT_EQ(tag->GetFont(), 3u);
    EXPECT_EQ(tag->GetJustification(), 7);
    EXPECT_NE(tag->GetAttributes()->FindDependency(10007, 0), nullptr);
}

// A tag's origin moves for its alignment by the character height, a text element's by the line
// height; a rotation is the shape's angle less the export rotation.
TEST_F(DgnExportTexts, OriginsMoveForTheAlignment)
{
    NewFile("origins");
    const long asText = Text(L"t", 0, 100, 50, 40, 13, alBottomRight);
    const long asTag = Text(L"t", 16, 100, 50, 40, 13, alBottomRight);
    IShapePtr(Shape(asText))->put_Angle(90);
    auto* element = dynamic_cast<dgn::CTextElement2d*>(exporter->InsertText(Shape(asText)));
    auto* tag = dynamic_cast<dgn::CAttributeTagElement2d*>(exporter->InsertText(Shape(asTag)));
    ASSERT_NE(element, nullptr) << "a type outside the text types gives a text element";
    ASSERT_NE(tag, nullptr);
    // Bottom right, h = 10 (13 / 1.3), w = 40: the tag by (-38.5, +3.5) at angle 0.
    EXPECT_NEAR(tag->GetOrigin()[0], 100 - 38.5, 1e-6);
    EXPECT_NEAR(tag->GetOrigin()[1], 50 + 3.5, 1e-6);
    EXPECT_NEAR(tag->GetRotation2d(), 0.0, 1e-9);
    // The text element at 90 degrees with the line height 13: x + A h s - B w c + 0.15 h c,
    // y - A h c - B w s - 0.15 h s with A = -0.35, B = 1, s = 1, c = 0.
    const std::vector<ShapePoint> anchor = PointsOf(Shape(asText));
    ASSERT_FALSE(anchor.empty());
    const dgn::TextParams2d* p = element->GetTextParams();
    EXPECT_NEAR(p->origin.x, anchor[0].x - 0.35 * 13, 1e-4);
    EXPECT_NEAR(p->origin.y, anchor[0].y - 40 - 0.15 * 13, 1e-4);
    EXPECT_NEAR(p->angle, kPi / 2, 1e-6);
}

// A cell instance: scaled along its own axes, then turned, so a turned instance with unequal
// scales keeps its angle; the export rotation turns it back; one Z step up at (x, y).
TEST_F(DgnExportTexts, CellInstancesScaleThenTurn)
{
    NewFile("instances");
    exporter->SetZ(0, 0.25f);
    dgn::ISymRef* turned = exporter->CreateSymRef("cell", 30, 2, 1, 7, 8);
    ASSERT_NE(turned, nullptr);
    const double c = std::cos(kPi / 6), s = std::sin(kPi / 6);
    const double expected[16] = {2 * c, 2 * s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 7, 8, 0.25, 1};
    exporter->SetRotation(kPi / 6);
    dgn::ISymRef* exportTurned = exporter->CreateSymRef("cell", 0, 1, 1, 0, 0);
    ASSERT_NE(exportTurned, nullptr);
    for (dgn::ISymRef* r : {turned, exportTurned})
        EXPECT_STREQ(r->GetName()->CStr(), "cell");
    const double* m = turned->GetMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-9) << "entry " << i;
    // Its x axis keeps the angle of 30 degrees, its y axis stays at right angles to it.
    EXPECT_NEAR(std::atan2(m[1], m[0]), kPi / 6, 1e-9);
    EXPECT_NEAR(m[0] * m[4] + m[1] * m[5], 0.0, 1e-9);
    const double* r = exportTurned->GetMatrix();
    EXPECT_NEAR(std::atan2(r[1], r[0]), -kPi / 6, 1e-6) << "turned back by the export rotation";
    EXPECT_NEAR(r[14], 0.5, 1e-6) << "the next Z step";

    const auto read = OfClass<dgn::ISymRef>(SaveAndRead("instances"));
    ASSERT_EQ(read.size(), 2u);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(read[0]->GetMatrix()[i], expected[i], 1e-9) << "entry " << i;
    EXPECT_STREQ(read[0]->GetName()->CStr(), "cell");
}

// The leaders of one text, from the container {0, 0, 10, 10} to a text 10 wide and 2 high:
// the end at the centre (type 1) or the nearer side's midpoint (type 2, ties the second), the
// shoulder one text height before the text, the point at its far end.
TEST_F(DgnExportTexts, LeaderOfOneText)
{
    struct Case {
        const char* name;
        long leaderType;
        Alignments alignment;
        double angle;
        double x, y;
        double end[2];
        std::vector<double> shoulderAndPoint;  // (qx, qy, px, py), empty: not checked
    };
    const Case cases[] = {
        {"top left", 1, alTopLeft, 0, 20, 5, {5, 5}, {18, 5, 30, 5}},
        {"middle centre", 1, alMiddleCenter, 0, 20, 5, {5, 5}, {13, 5, 14, 5}},
        {"right aligned", 1, alTopRight, 0, 20, 5, {5, 5}, {8, 5, 20, 5}},
        {"nearest side at 0: right", 2, alTopLeft, 0, 20, 5, {10, 5}, {}},
        {"nearest side at 0: left", 2, alTopLeft, 0, -20, 5, {0, 5}, {}},
        {"nearest side at 90: bottom", 2, alTopLeft, 90, 5, 20, {5, 10}, {}},
        {"nearest side at 90: top", 2, alTopLeft, 90, 5, -20, {5, 0}, {}},
        {"a tie takes the second", 2, alTopLeft, 90, 5, 5, {5, 10}, {}},
        {"405 as 45: sides", 2, alTopLeft, 405, 5, 20, {10, 5}, {}},
        {"-90 as 270: top and bottom", 2, alTopLeft, -90, 5, -20, {5, 0}, {}},
    };
    const CRealRect<float> container(0, 0, 10, 10);
    for (const Case& c : cases) {
        NewFile("leader");
        const long id = Text(L"label", 16, 0, 0, 10, 2, c.alignment);
        IShapePtr shape = Shape(id);
        ASSERT_EQ(shape->put_Angle(c.angle), S_OK);
        ASSERT_EQ(shape->put_PositionX(c.x), S_OK);
        ASSERT_EQ(shape->put_PositionY(c.y), S_OK);
        ITextShapePtr text(shape);
        ASSERT_EQ(text->put_Width(10), S_OK);
        ASSERT_EQ(text->put_Height(2), S_OK);
        ASSERT_EQ(text->put_LeaderType(c.leaderType), S_OK);
        exporter->InsertLeaderTxt(text, container);
        const auto leaders = OfClass<dgn::CShapeElement2d>(SaveAndRead("leader"));
        ASSERT_EQ(leaders.size(), 1u) << c.name;
        const dgn::CPoint2dArray* v = leaders[0]->GetPoints();
        ASSERT_EQ(v->Count(), 3u) << c.name;
        EXPECT_NEAR(v->At(0)->x, c.end[0], 1e-4) << c.name;
        EXPECT_NEAR(v->At(0)->y, c.end[1], 1e-4) << c.name;
        if (!c.shoulderAndPoint.empty()) {
            EXPECT_NEAR(v->At(1)->x, c.shoulderAndPoint[0], 1e-4) << c.name;
            EXPECT_NEAR(v->At(1)->y, c.shoulderAndPoint[1], 1e-4) << c.name;
            EXPECT_NEAR(v->At(2)->x, c.shoulderAndPoint[2], 1e-4) << c.name;
            EXPECT_NEAR(v->At(2)->y, c.shoulderAndPoint[3], 1e-4) << c.name;
        }
    }
    NewFile("no_leader");
    const long none = Text(L"label", 16, 20, 5, 10, 2);
    exporter->InsertLeaderTxt(ITextShapePtr(Shape(none)), container);
    EXPECT_TRUE(OfClass<dgn::CShapeElement2d>(SaveAndRead("no_leader")).empty()) << "leader type 0";
}

// The walk: only visible attribute and label texts of references get leaders; ANSI texts, texts
// outside references and invisible ones none; depth 0 does not enter the reference.
TEST_F(DgnExportTexts, LeadersOfTheTextsOfReferences)
{
    long group = 0;
    IShapeCollectionPtr children = Group(&group);
    long rectangle = 0;
    ASSERT_EQ(children->AddRectangle(0, 10, 10, 0, &rectangle), S_OK);
    const long withLeader = Text(L"a", 8, 20, 5, 10, 2, alTopLeft, children);
    const long hidden = Text(L"h", 8, 20, 8, 10, 2, alTopLeft, children);
    const long ansi = Text(L"p", 1, 20, 11, 10, 2, alTopLeft, children);
    for (long id : {withLeader, hidden, ansi})
        ASSERT_EQ(ITextShapePtr(Shape(id))->put_LeaderType(1), S_OK);
    long block = 0, reference = 0;
    ASSERT_EQ(site->CreateBlock(_bstr_t(L"B"), &block, group, &reference, 0, 0, VARIANT_TRUE), S_OK);
    ASSERT_NE(reference, 0);
    const long outside = Text(L"o", 2, 40, 40, 10, 2);
    ASSERT_EQ(ITextShapePtr(Shape(outside))->put_LeaderType(1), S_OK);
    // The reference's own copy of the second definition is hidden.
    IShapeCollectionPtr own;
    ASSERT_EQ(Shape(reference)->get_Shapes(&own), S_OK);
    int attributes = 0;
    for (long i = 1, n = CountOf(own); i <= n; ++i) {
        IShapePtr child;
        ASSERT_EQ(own->get_Item(i, &child), S_OK);
        ITextShapePtr text(child);
        TextTypes type = ttANSI;
        if (text && text->get_Type(&type) == S_OK && type == ttAttrib && ++attributes == 2) {
            ASSERT_EQ(child->put_Visible(VARIANT_FALSE), S_OK);
        }
    }
    ASSERT_EQ(attributes, 2) << "the reference's own attributes";
    struct Case {
        int depth;
        size_t leaders;
    };
    for (const Case& c : {Case{10, 1}, Case{0, 0}}) {
        NewFile("walk");
        exporter->InsertLeader(Shape(0), c.depth);
        EXPECT_EQ(OfClass<dgn::CShapeElement2d>(SaveAndRead("walk")).size(), c.leaders) << "depth " << c.depth;
    }
}


// A block of a line and some attribute definitions ("value 1", ...), made in place of its group:
// the block and the reference that took the group's place.
struct DrawnBlock {
    long block = 0;
    long reference = 0;
};

class DgnExportBlocks : public DgnExportTexts
{
protected:
    DrawnBlock Block(const wchar_t* name, int definitions)
    {
        DrawnBlock drawn;
        long group = 0;
        IShapeCollectionPtr children = Group(&group);
        long line = 0;
        EXPECT_EQ(children->AddLine(0, 0, 10, 0, &line), S_OK);
        for (int k = 1; k <= definitions; ++k)
            Text((L"value " + std::to_wstring(k)).c_str(), 8, 0, 5.0f * k, 10, 2, alTopLeft, children);
        EXPECT_EQ(site->CreateBlock(_bstr_t(name), &drawn.block, group, &drawn.reference, 0, 0, VARIANT_TRUE), S_OK);
        return drawn;
    }
    static std::vector<dgn::IEntity*> Components(dgn::IEntity* header)
    {
        std::vector<dgn::IEntity*> found;
        std::unique_ptr<dgn::CEntityIterator> walk(header->CreateChildIterator(nullptr));
        for (dgn::IEntity* e = walk ? walk->Next() : nullptr; e; e = walk->Next())
            found.push_back(e);
        return found;
    }
};

// A block of three attribute definitions with tags: a tag set named as the block with "Tag2" to
// "Tag4", IDs 3 to 5; the definition holds the line and the definitions' tags, hidden, with the
// weight 1 of the pen weight 5 and the properties 0x4200. The reference's own texts become tags
// 3 to 5 aimed at its instance: each names an existing tag definition of the set.
TEST_F(DgnExportBlocks, TagSetsAndTheTagsOfReferences)
{
    const DrawnBlock drawn = Block(L"Door", 3);
    ASSERT_EQ(Shape(drawn.block)->put_PenWeight(5), S_OK);
    NewFile("tags");
    EXPECT_STREQ(exporter->ExportBlock(drawn.block, 1).GetString(), "Door");
    EXPECT_EQ(exporter->TagSets().count(drawn.block), 1u);
    EXPECT_STREQ(exporter->BlockNames()[drawn.block].GetString(), "Door");
    ASSERT_NE(exporter->InsertShape(Shape(drawn.reference), 0, 1, 0), nullptr);
    EXPECT_EQ(exporter->GetCurrentElementId(), 0u) << "given back after the reference";

    const std::vector<dgn::IEntity*> all = SaveAndRead("tags");
    const auto sets = OfClass<dgn::CTagSetDefinitionElement>(all);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_STREQ(sets[0]->GetName()->CStr(), "Door");
    std::vector<std::string> definitions;
    std::uint32_t index = 0;
    while (dgn::TagDefinition* d = sets[0]->GetNextDefinition(&index))
        definitions.push_back(std::string(d->name->CStr()) + "/" + std::to_string(d->id) + "/" +
                              std::string(reinterpret_cast<const char*>(d->value->Data()), d->value->Size()));
    EXPECT_EQ(definitions, (std::vector<std::string>{"Tag2/3/value 1", "Tag3/4/value 2", "Tag4/5/value 3"}));

    const auto cells = OfClass<dgn::CSharedCellDefinitionElement>(all);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_STREQ(cells[0]->GetName()->CStr(), "Door");
    EXPECT_EQ(cells[0]->GetWeight(), 1) << "5 x 0.3, truncated";
    EXPECT_EQ(cells[0]->GetProperties(), 0x4200);
    int hiddenTags = 0, lines = 0;
    for (dgn::IEntity* e : Components(cells[0])) {
        if (auto* tag = dynamic_cast<dgn::CAttributeTagElement2d*>(e)) {
            hiddenTags += (tag->GetProperties() & 0x80) != 0;
            EXPECT_NE(sets[0]->FindDefinition(tag->GetTagId()), nullptr) << "definition tag " << tag->GetTagId();
        }
        lines += dynamic_cast<dgn::CShapeElement2d*>(e) != nullptr;
    }
    EXPECT_EQ(hiddenTags, 3);
    EXPECT_EQ(lines, 1);

    const auto instances = OfClass<dgn::ISymRef>(all);
    ASSERT_EQ(instances.size(), 1u);
    EXPECT_STREQ(instances[0]->GetName()->CStr(), "Door");
    auto tags = OfClass<dgn::CAttributeTagElement2d>(all);
    ASSERT_EQ(tags.size(), 3u) << "the reference's own attributes";
    std::vector<int> ids;
    for (dgn::CAttributeTagElement2d* tag : tags) {
        ids.push_back(tag->GetTagId());
        EXPECT_EQ(tag->GetTarget(), instances[0]);
        EXPECT_EQ(tag->GetTagFlags(), 0x01) << "the target recorded";
        ASSERT_EQ(tag->ResolveTagSet(), sets[0]);
        const dgn::TagDefinition* d = sets[0]->FindDefinition(tag->GetTagId());
        ASSERT_NE(d, nullptr) << "tag " << tag->GetTagId() << " names a definition";
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(d->value->Data()), d->value->Size()),
                  std::string(tag->GetDisplayString()->CStr()))
            << "the k-th text pairs with the k-th definition";
    }
    EXPECT_EQ(ids, (std::vector<int>{3, 4, 5}));
}

// Without tags, or without texts, no tag set; an ID that is no group writes nothing; an export
// rotation leaves the definition unrotated and turns the instance back.
TEST_F(DgnExportBlocks, DefinitionsWithoutTagsAndUnderARotation)
{
    const DrawnBlock texts = Block(L"Texts", 2);
    const DrawnBlock bare = Block(L"Bare", 0);
    NewFile("plain");
    exporter->SetRotation(kPi / 6);
    EXPECT_STREQ(exporter->ExportBlock(texts.block, 0).GetString(), "Texts");
    EXPECT_STREQ(exporter->ExportBlock(bare.block, 1).GetString(), "Bare");
    EXPECT_TRUE(exporter->TagSets().empty());
    EXPECT_TRUE(exporter->ExportBlock(texts.reference, 1).IsEmpty()) << "a reference is no group";
    EXPECT_EQ(exporter->BlockNames().size(), 2u);
    double angle = 0;
    ASSERT_EQ(Shape(bare.reference)->get_Angle(&angle), S_OK);
    ASSERT_NE(exporter->InsertShape(Shape(bare.reference), 0, 1, 0), nullptr);

    const std::vector<dgn::IEntity*> all = SaveAndRead("plain");
    EXPECT_TRUE(OfClass<dgn::CTagSetDefinitionElement>(all).empty());
    const auto cells = OfClass<dgn::CSharedCellDefinitionElement>(all);
    ASSERT_EQ(cells.size(), 2u);
    for (dgn::CSharedCellDefinitionElement* cell : cells)
        for (dgn::IEntity* e : Components(cell))
            if (auto* line = dynamic_cast<dgn::CShapeElement2d*>(e)) {
                EXPECT_NEAR(line->GetPoints()->At(1)->x - line->GetPoints()->At(0)->x, 10.0, 1e-4) << "unrotated";
                EXPECT_NEAR(line->GetPoints()->At(1)->y - line->GetPoints()->At(0)->y, 0.0, 1e-4) << "unrotated";
            }
    const auto instances = OfClass<dgn::ISymRef>(all);
    ASSERT_EQ(instances.size(), 1u);
    const double* m = instances[0]->GetMatrix();
    EXPECT_NEAR(std::atan2(m[1], m[0]), angle * kPi / 180 - kPi / 6, 1e-6);
}

} // namespace
