// The text shape's rich text, editing, font description, DXF entities and Texts records: plain
// and rich switched through the control's text editor (run hidden, or closed by a hook), the
// justification and attachment tables through real entities, MTEXT at every quarter turn, the
// old version's TEXT with "RTFTEXT DATA", the drawing ezdxf wrote (tests/fixtures/dxf) and a
// drawing for ezdxf to read (check_dxf_texts.py).
#include <gtest/gtest.h>
#include <windows.h>
#include <olectl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "DialogCloser.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/PointPool.h"
#include "model/RtfReader.h"
#include "model/RtfWriter.h"
#include "model/Text.h"
#include "model/AttributeCopy.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeList.h"
#include "model/Group.h"
#include "persistence/DataTableSet.h"
#include "ui/MultilineTextDialog.h"
#include "ui/resource.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"
#include "tests/support/StorageTestSupport.h"

namespace {

using Group = WrittenGroup;

// The rich-edit library and the editor the control makes, as yvex.dll provides them.
class TextEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_richEdit = LoadLibraryA("RICHED32.DLL");
        SetTextEditorDialogMaker([]() -> std::unique_ptr<CTextEditorDialog> {
            return std::make_unique<CMultilineTextDialog>();
        });
    }
    void TearDown() override
    {
        SetTextEditorDialogMaker(nullptr);
        FreeLibrary(m_richEdit);
    }

private:
    HMODULE m_richEdit = nullptr;
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new TextEnvironment);

CText* MakeText(Drawing& d, int type, const char* text, float x = 0, float y = 0)
{
    auto* t = static_cast<CText*>(d.Make(stText, {{x, y}}, d.root));
    t->SetTextType(type);
    if (text)
        t->SetTextBytes(text, -1);
    return t;
}

std::string ToMtext(const std::string& rtf)
{
    CRtfReader reader(1.0);
    return reader.Parse(rtf.c_str()) == 0 ? reader.Result() : "<not RTF>";
}

std::vector<std::string> Values(const std::vector<Group>& groups, int code)
{
    std::vector<std::string> values;
    for (const Group& g : groups)
        if (g.code == code)
            values.push_back(g.value);
    return values;
}

// A drawing file of one version with the entities given as code/value lines.
std::string WriteEntitiesFile(const char* name, const char* version, const std::string& entities)
{
    const std::string path = OutputPath(name);
    std::string unix = path.substr(2);
    for (char& c : unix)
        if (c == '\\')
            c = '/';
    FILE* f = std::fopen(unix.c_str(), "wb");
    EXPECT_NE(f, nullptr) << unix;
    if (f) {
        std::fprintf(f, "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n%s\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n%s0\nENDSEC\n0\nEOF\n",
                     version, entities.c_str());
        std::fclose(f);
    }
    return path;
}

// The drawing's entities as a file of the version (1 AC1009, 2 AC1012).
void WriteDrawing(Drawing& d, const std::string& path, int version)
{
    d.control.GetDxfDocument().SetOutputVersion(version);
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), false));
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "HEADER");
    dxf.WriteStringGroup(9, "$ACADVER");
    dxf.WriteStringGroup(1, version == 1 ? "AC1009" : "AC1012");
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "TABLES");
    dxf.WriteStringGroup(0, "TABLE");
    dxf.WriteStringGroup(2, "APPID");
    dxf.WriteIntGroup(70, 1);
    dxf.WriteStringGroup(0, "APPID");
    dxf.WriteStringGroup(2, "YVEXControl");
    dxf.WriteIntGroup(70, 0);
    dxf.WriteStringGroup(0, "ENDTAB");
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "ENTITIES");
    d.root->WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "EOF");
    ASSERT_TRUE(dxf.Close());
}

std::vector<CText*> TextsOf(const std::vector<CShape*>& shapes)
{
    std::vector<CText*> texts;
    for (CShape* s : shapes)
        if (auto* t = dynamic_cast<CText*>(s))
            texts.push_back(t);
    return texts;
}

double Turn(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360.0 : d;
}

const char kRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\\f0\\fs20 Hello {\\b World}}";

} // namespace

// A plain text switched to rich keeps its characters and its colour; switched back it is the
// plain text again. Nothing is shown on the way.
TEST(TextRich, SwitchingKeepsTheTextAndItsColour)
{
    DialogCloser closer([](HWND dialog, int) { DialogCloser::PostCommand(dialog, IDCANCEL); });
    Drawing d;
    CText* text = MakeText(d, ttANSI, "Hello World");
    text->SetPenColor(0x0000FF);
    text->SetType(ttRTF);
    EXPECT_EQ(text->GetTextType(), ttRTF);
    const std::string rtf = text->GetText();
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("\\red255\\green0\\blue0;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\cf1"), std::string::npos) << rtf;
    const std::string mtext = ToMtext(rtf);
    EXPECT_NE(mtext.find("\\C1;"), std::string::npos) << mtext;
    EXPECT_LT(mtext.find("\\C1;"), mtext.find("Hello")) << mtext;

    text->SetType(ttANSI);
    EXPECT_EQ(text->GetText(), "Hello World");
    EXPECT_EQ(text->GetLineCount(), 1);
    EXPECT_EQ(closer.Activations(), 0);
}

// Stored RTF gets the default font table and size where it lacks them.
TEST(TextRich, StoredRtfIsNormalised)
{
    Drawing d;
    CText* text = MakeText(d, ttRTF, nullptr);
    text->SetHeight(2.5f);
    text->SetTextBytes("{\\rtf1 Hi}", -1);
    EXPECT_EQ(text->GetText(), "{\\rtf1{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset204 Txt;}}\\f0\\fs3 Hi}");
    text->SetTextBytes("{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}\\fs20 Hi}", -1);
    EXPECT_EQ(text->GetText(), "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}\\fs20 Hi}");
    // A field list goes with the text it was parsed from.
    text->SetTextBytes("Total: <1> m", -1);
    EXPECT_EQ(text->ParseFields(), 0);
    ASSERT_NE(text->GetFieldList(), nullptr);
    EXPECT_EQ(text->GetFieldList()->size(), 3u);
    text->SetText(L"plain");
    EXPECT_EQ(text->GetFieldList(), nullptr);
}

// A text's fields show the attribute values of the reference (or shape) that holds them: named
// fields by the type's name (a name twice takes the next value of it), numbered ones by the
// type's number, formatted by the type's format; a field with no value keeps its marker; with no
// field the values are listed a line each; with neither values nor a source the text empties.
// A reference takes its block's groups, and values only of types it has, keeping its own.
TEST(TextFields, AttributeValuesInForce)
{
    Drawing d;
    CAttributeGroupData* rooms = d.control.GetAttributeGroupMap()->Create(0, 0, L"Rooms");
    ASSERT_NE(rooms, nullptr);
    CAttributeType* area = rooms->GetTypes().Create(-1, 0, L"Area", L"%.1f", L"");
    CAttributeType* name = rooms->GetTypes().Create(-1, 0, L"Name", L"", L"");
    ASSERT_NE(area, nullptr);
    ASSERT_NE(name, nullptr);
    auto* block = static_cast<CGroup*>(d.Make(stGroup, {}, d.library));
    block->GetAttributeGroups().Insert(rooms, -1);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = 12.26;
    ASSERT_NE(block->GetAttributes().Create(area->GetId(), 0, v), nullptr);

    auto* holder = static_cast<CGroup*>(d.Make(stReference, {{0, 0}}, d.root));
    CopyAttributesFrom(*holder, *block, true);
    ASSERT_EQ(holder->GetAttributeGroups().GetCount(), 1) << "the block's group";
    EXPECT_EQ(holder->FindAttributes(), nullptr) << "no value of a type the reference lacks";
    CopyAttributesFrom(*holder, *block, false);
    ASSERT_NE(holder->FindAttributes(), nullptr);
    EXPECT_EQ(holder->FindAttributes()->GetCount(), 1) << "without keep every value comes";
    VARIANT kitchen;
    VariantInit(&kitchen);
    kitchen.vt = VT_BSTR;
    kitchen.bstrVal = SysAllocString(L"Kitchen");
    ASSERT_NE(holder->GetAttributes().Create(name->GetId(), 0, kitchen), nullptr);
    VariantClear(&kitchen);
    CopyAttributesFrom(*holder, *block, true);
    EXPECT_EQ(holder->FindAttributes()->GetCount(), 2) << "its own values stay";

    auto* text = static_cast<CText*>(d.Make(stText, {{0, 0}}, nullptr));
    holder->AddChild(text, nullptr, 1, false);
    text->SetTextType(ttAttrib);
    auto* source = static_cast<CText*>(d.Make(stText, {{0, 0}}, nullptr));
    struct Case
    {
        const char* fields;
        const char* shown;
    } cases[] = {
        {"[Name]: [Area] m2", "Kitchen: 12.3 m2"},
        {"[name] and [Name]", "Kitchen and [Name]"},
        {"[Missing] x", "[Missing] x"},
    };
    for (const Case& c : cases) {
        source->SetTextBytes(c.fields, -1);
        EXPECT_EQ(text->ApplyAttributeValues(source), 0) << c.fields;
        EXPECT_EQ(text->GetText(), c.shown) << c.fields;
    }
    const std::string byNumber = "<" + std::to_string(area->GetId()) + ">";
    source->SetTextBytes(byNumber.c_str(), -1);
    EXPECT_EQ(text->ApplyAttributeValues(source), 0);
    EXPECT_EQ(text->GetText(), "12.3");
    // A text that is its own source keeps naming what it shows.
    text->SetTextBytes("[Name]!", -1);
    EXPECT_EQ(text->ApplyAttributeValues(text), 0);
    EXPECT_EQ(text->GetText(), "Kitchen!");
    EXPECT_EQ(text->ApplyAttributeValues(text), 0);
    EXPECT_EQ(text->GetText(), "Kitchen!");
    // No fields: the values, a line each.
    source->SetTextBytes("", -1);
    EXPECT_EQ(text->ApplyAttributeValues(source), 1);
    EXPECT_EQ(text->GetText(), "12.3\nKitchen");
    // Neither values nor a source: empty.
    auto* lone = static_cast<CText*>(d.Make(stText, {{0, 0}}, d.root));
    lone->SetTextBytes("was", -1);
    EXPECT_EQ(lone->ApplyAttributeValues(nullptr), 1);
    EXPECT_EQ(lone->GetText(), "");
}

// A rich text is edited in the editor: OK takes what was typed, Cancel leaves the text; the edit
// target is let go either way and the dialog is never waited for.
TEST(TextRich, EditingInTheDialog)
{
    Drawing d;
    CText* text = MakeText(d, ttRTF, kRtf);
    const std::string before = text->GetText();
    {
        DialogCloser closer([](HWND dialog, int) {
            SetDlgItemTextA(dialog, IDC_TEXT_EDIT, "Edited words");
            DialogCloser::PostCommand(dialog, IDOK);
        });
        EXPECT_EQ(text->EditText(), 1);
        EXPECT_EQ(closer.Activations(), 1);
        EXPECT_FALSE(closer.TimedOut());
    }
    EXPECT_EQ(text->GetText().rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(ToMtext(text->GetText()).find("Edited words"), std::string::npos) << text->GetText();
    EXPECT_EQ(d.control.GetEditState().editedShape, nullptr);
    EXPECT_EQ(d.control.GetEditState().operation, 0);
    EXPECT_FALSE(text->HasState(CShape::stNoExtents));

    const std::string edited = text->GetText();
    {
        DialogCloser closer([](HWND dialog, int) {
            SetDlgItemTextA(dialog, IDC_TEXT_EDIT, "thrown away");
            DialogCloser::PostCommand(dialog, IDCANCEL);
        });
        EXPECT_EQ(text->EditText(), 0);
        EXPECT_FALSE(closer.TimedOut());
    }
    EXPECT_EQ(text->GetText(), edited);
    EXPECT_EQ(d.control.GetEditState().editedShape, nullptr);

    // A disabled text is not edited; a plain text goes to the control's in-place editor, which the
    // core does not have.
    text->SetStateBits(CShape::stEnabled, false);
    EXPECT_EQ(text->EditText(), 0);
    CText* plain = MakeText(d, ttANSI, "plain", 5, 5);
    EXPECT_EQ(plain->EditText(), 0);
    EXPECT_EQ(plain->GetText(), "plain");
}

TEST(TextFont, DescriptionBothWays)
{
    Drawing d;
    CText* text = MakeText(d, ttANSI, "abc");
    text->SetHeight(12.0f);
    FONTDESC desc;
    std::wstring name;
    ASSERT_EQ(text->GetFontDesc(&desc, &name), 1);
    EXPECT_EQ(desc.cySize.int64, 120000);  // 12 points in 1/10000
    EXPECT_STREQ(desc.lpstrName, L"Arial");
    EXPECT_FALSE(desc.fUnderline);

    CText* rich = MakeText(d, ttRTF, "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset204 Times New Roman;}}\\f0\\fs20\\ul Hi}");
    ASSERT_EQ(rich->GetFontDesc(&desc, &name), 1);
    EXPECT_EQ(name, L"Times New Roman");
    EXPECT_EQ(desc.sCharset, 204);
    EXPECT_TRUE(desc.fUnderline);
    EXPECT_EQ(rich->GetProtectionFlagsMasked(sdbfFontUnderline | sdbfFontItalic), static_cast<DWORD>(sdbfFontUnderline));

    // A bold font of 9 points, italic; charset 1 keeps the text's.
    FONTDESC in = {sizeof(FONTDESC), const_cast<LPOLESTR>(L"Courier"), {}, 700, 1, TRUE, FALSE, FALSE};
    in.cySize.int64 = 90000;
    IFont* font = nullptr;
    ASSERT_EQ(OleCreateFontIndirect(&in, IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
    BSTR faceName = nullptr;
    font->get_Name(&faceName);
    const std::wstring face = faceName ? faceName : L"";
    SysFreeString(faceName);
    ASSERT_EQ(text->SetFontDesc(font), S_OK);
    EXPECT_FLOAT_EQ(text->GetPenWeight(), 7.0f);
    EXPECT_FLOAT_EQ(text->GetHeight(), 9.0f);
    EXPECT_EQ(text->GetCharset(), DEFAULT_CHARSET);
    EXPECT_EQ(text->GetFontName(), face);
    EXPECT_EQ(text->GetFontStyle() & 0x4, 0x4u);
    // Not bold: no weight. A protected height stays.
    font->put_Bold(FALSE);
    font->put_Size(CY{{200000, 0}});
    text->SetProtectionFlagsMasked(sdbfHeight, sdbfHeight);
    ASSERT_EQ(text->SetFontDesc(font), S_OK);
    font->Release();
    EXPECT_FLOAT_EQ(text->GetPenWeight(), 0.0f);
    EXPECT_FLOAT_EQ(text->GetHeight(), 9.0f);
    EXPECT_EQ(text->SetFontDesc(nullptr), E_POINTER);
}

// The justification table through TEXT entities: the alignment read, the anchor taken, and the
// codes written back.
TEST(TextDxf, JustificationOfTextEntities)
{
    struct Case
    {
        int horizontal, vertical;
        DWORD align;
        float anchorX;  // first point at x 1, second at x 9
        const char* written72;
        const char* written73;
    } cases[] = {
        {0, 0, 0x18, 1, "", ""},
        {2, 0, 0x1A, 9, "2", ""},
        {1, 0, 0x1E, 9, "1", ""},
        {1, 2, 0x10006, 9, "4", ""},
        {4, 0, 0x10006, 9, "4", ""},
        {0, 3, 0x0, 9, "", "3"},
        {2, 1, 0xA, 9, "2", "1"},
        {3, 0, 0x18, 1, "", ""},
        {5, 0, 0x18, 1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.horizontal) + "," + std::to_string(c.vertical));
        char entity[256];
        std::snprintf(entity, sizeof entity,
                      "0\nTEXT\n8\n0\n10\n1.0\n20\n2.0\n30\n0.0\n40\n2.5\n1\n5%% off\n72\n%d\n11\n9.0\n21\n2.0\n31\n0.0\n73\n%d\n",
                      c.horizontal, c.vertical);
        Drawing d;
        const std::vector<CText*> texts = TextsOf(ReadEntities(d, WriteEntitiesFile("justify.dxf", "AC1009", entity)));
        ASSERT_EQ(texts.size(), 1u);
        CText* t = texts[0];
        EXPECT_EQ(t->GetTextType(), ttANSI);
        EXPECT_EQ(t->GetAlignType(), c.align);
        EXPECT_EQ(t->GetText(), "5% off");
        ASSERT_EQ(t->GetPointCount(), 1);
        EXPECT_FLOAT_EQ(t->GetPoints().GetAt(0)->x, c.anchorX);
        EXPECT_FLOAT_EQ(t->GetPoints().GetAt(0)->y, 2.0f);
        const std::vector<Group> groups = WrittenGroups([&](CDxfFile& f) { t->WriteDxf(f); });
        EXPECT_EQ(Values(groups, 72), c.written72[0] ? std::vector<std::string>{c.written72} : std::vector<std::string>{});
        EXPECT_EQ(Values(groups, 73), c.written73[0] ? std::vector<std::string>{c.written73} : std::vector<std::string>{});
        EXPECT_EQ(Values(groups, 1), std::vector<std::string>{"5%%% off"});
    }
}

// MTEXT: the attachment point, a text of 600 characters in pieces of 255, special characters,
// and every quarter turn read back at its angle and place.
TEST(TextDxf, MtextEntities)
{
    Drawing d;
    const char entity[] = "0\nMTEXT\n8\n0\n10\n10.0\n20\n20.0\n30\n0.0\n40\n2.0\n41\n8.0\n71\n5\n1\nmiddle\n11\n0.0\n21\n1.0\n31\n0.0\n";
    std::vector<CText*> texts = TextsOf(ReadEntities(d, WriteEntitiesFile("mtext5.dxf", "AC1012", entity)));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->GetTextType(), ttRTF);
    EXPECT_EQ(texts[0]->GetAlignType(), 0x10006u);
    EXPECT_NEAR(texts[0]->GetRotation(), 90.0, 1e-9);
    EXPECT_NE(ToMtext(texts[0]->GetText()).find("middle"), std::string::npos);

    // Turned by group 50 alone (degrees); a direction vector, where there is one, has the word.
    struct Turned
    {
        const char* groups;
        double rotation;
    } turned[] = {{"50\n30.0\n", 30.0},
                  {"50\n-45\n", -45.0},
                  {"50\n30.0\n11\n0.0\n21\n1.0\n31\n0.0\n", 90.0},
                  {"11\n-1.0\n21\n0.0\n31\n0.0\n50\n30.0\n", 180.0},
                  {"", 0.0}};
    for (const Turned& t : turned) {
        SCOPED_TRACE(t.groups);
        Drawing turnedDrawing;
        const std::string text = std::string("0\nMTEXT\n8\n0\n10\n1.0\n20\n2.0\n30\n0.0\n40\n2.0\n41\n8.0\n71\n1\n") +
                                 t.groups + "1\nturned\n";
        std::vector<CText*> one = TextsOf(ReadEntities(turnedDrawing, WriteEntitiesFile("mtext50.dxf", "AC1012", text)));
        ASSERT_EQ(one.size(), 1u);
        EXPECT_NEAR(one[0]->GetRotation(), t.rotation, 1e-9);
        // The anchor (top left, attachment 1) stays where the file put it.
        EXPECT_NEAR(one[0]->GetPoints().GetAt(0)->x, 1.0, 1e-4);
        EXPECT_NEAR(one[0]->GetPoints().GetAt(0)->y, 2.0, 1e-4);
    }

    Drawing from;
    std::string letters;
    for (int i = 0; i < 600; ++i)
        letters += static_cast<char>('a' + i % 26);
    CRtfWriter writer(0, 1.0);
    writer.Write(letters.c_str());
    CText* longText = MakeText(from, ttRTF, writer.Result().c_str());
    from.control.GetDxfDocument().SetOutputVersion(2);
    const std::vector<Group> groups = WrittenGroups([&](CDxfFile& f) { longText->WriteDxf(f); });
    const std::vector<std::string> threes = Values(groups, 3), ones = Values(groups, 1);
    ASSERT_EQ(threes.size(), 2u);
    ASSERT_EQ(ones.size(), 1u);
    EXPECT_EQ(threes[0].size(), 255u);
    EXPECT_EQ(threes[1].size(), 255u);
    // The MTEXT of the document: its letters, its size code and its braces.
    EXPECT_EQ(ones[0].size(), ToMtext(writer.Result()).size() - 510);
    EXPECT_EQ(threes[0] + threes[1] + ones[0], ToMtext(writer.Result()));
    EXPECT_TRUE(Values(groups, 39).empty());
    from.root->RemoveChild(longText);

    const float places[4][2] = {{0, 0}, {10, 0}, {20, 0}, {30, 0}};
    for (int i = 0; i < 4; ++i) {
        CRtfWriter w(0, 1.0);
        w.Write(i == 0 ? "30\xB0 5% \xB1" : "turned");
        CText* t = MakeText(from, ttRTF, w.Result().c_str(), places[i][0], places[i][1]);
        t->SetHeight(2.5f);
        t->SetWidth(20.0f);
        t->SetRotation(90.0 * i);
    }
    const std::string path = OutputPath("texts_mtext.dxf");
    WriteDrawing(from, path, 2);
    Drawing to;
    texts = TextsOf(ReadEntities(to, path));
    ASSERT_EQ(texts.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i]->GetTextType(), ttRTF);
        EXPECT_NEAR(Turn(texts[i]->GetRotation()), 90.0 * i, 1e-4);
        EXPECT_NEAR(texts[i]->GetPoints().GetAt(0)->x, places[i][0], 1e-4);
        EXPECT_NEAR(texts[i]->GetPoints().GetAt(0)->y, places[i][1], 1e-4);
    }
    EXPECT_NE(ToMtext(texts[0]->GetText()).find("30\xB0 5% \xB1"), std::string::npos) << texts[0]->GetText();
}

// The old version has no MTEXT: a rich text is a TEXT of its plain words, with its RTF in the
// extended data, and comes back as the same RTF; a TEXT another program changed keeps the change.
TEST(TextDxf, RichTextInTheOldVersion)
{
    Drawing from;
    CText* rich = MakeText(from, ttRTF, kRtf);
    const std::string stored = rich->GetText();
    from.control.GetDxfDocument().SetOutputVersion(1);
    const std::vector<Group> groups = WrittenGroups([&](CDxfFile& f) { rich->WriteDxf(f); });
    EXPECT_EQ(groups.front(), (Group{0, "TEXT"}));
    EXPECT_EQ(Values(groups, 1), std::vector<std::string>{"Hello World"});
    EXPECT_NE(std::find(groups.begin(), groups.end(), Group{1000, "RTFTEXT DATA"}), groups.end());

    const std::string path = OutputPath("texts_old.dxf");
    WriteDrawing(from, path, 1);
    Drawing to;
    std::vector<CText*> texts = TextsOf(ReadEntities(to, path));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->GetTextType(), ttRTF);
    EXPECT_EQ(texts[0]->GetText(), stored);
}

// Texts longer than one DXF group come back whole: a plain TEXT of 5000 characters (its special
// characters across the pieces' seams), an ATTRIB, and a rich text of more than 3000 bytes of RTF
// written as TEXT with its RTF in the extended data. ezdxf reads the file (check_dxf_texts.py).
TEST(TextDxf, LongTextsComeBackWhole)
{
    Drawing from;
    std::string plain;
    for (int i = 0; i < 5000; ++i)
        plain += (i % 97 == 0) ? '\xB0' : (i % 89 == 0 ? '%' : static_cast<char>('a' + i % 26));
    plain[2047] = '\xB0'; // its code "%%d" crosses the first seam
    MakeText(from, ttANSI, plain.c_str(), 0, 0);
    std::string body;
    for (int i = 0; i < 150; ++i)
        body += "{\\b bold " + std::to_string(i) + "} plain\\par ";
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\\f0\\fs20 " + body + "}";
    CText* rich = MakeText(from, ttRTF, rtf.c_str(), 0, 20);
    const std::string stored = rich->GetText();
    ASSERT_GT(stored.size(), 3000u);

    const std::string path = OutputPath("texts_long.dxf");
    WriteDrawing(from, path, 1);
    Drawing to;
    const std::vector<CText*> texts = TextsOf(ReadEntities(to, path));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->GetText(), plain);
    EXPECT_EQ(texts[1]->GetTextType(), ttRTF);
    EXPECT_EQ(texts[1]->GetText(), stored);

    Drawing attributes;
    MakeText(attributes, ttAttrib, plain.substr(0, 3000).c_str());
    const std::string attribPath = OutputPath("texts_long_attrib.dxf");
    WriteDrawing(attributes, attribPath, 1);
    Drawing attributesRead;
    const std::vector<CText*> attribs = TextsOf(ReadEntities(attributesRead, attribPath));
    ASSERT_EQ(attribs.size(), 1u);
    EXPECT_EQ(attribs[0]->GetTextType(), ttAttrib);
    EXPECT_EQ(attribs[0]->GetText(), plain.substr(0, 3000));

    // An ATTDEF has no group to go on in: a text too long for one fails the write.
    Drawing tooLong;
    CText* definition = MakeText(tooLong, ttAttDef, plain.c_str());
    (void)definition;
    tooLong.control.GetDxfDocument().SetOutputVersion(1);
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(OutputPath("texts_attdef_long.dxf").c_str(), false));
    tooLong.root->WriteDxf(dxf);
    EXPECT_FALSE(dxf.Close());
}

// The Texts record: alignment (the middle bit and the baseline both), type, text and font.
TEST(TextTables, RecordComesBackWhole)
{
    Drawing from;
    CText* middle = MakeText(from, ttANSI, "middle");
    middle->SetAlignType(0x10006);
    middle->SetFontNameA("Courier");
    middle->SetFontStyle(0x5);
    CText* rich = MakeText(from, ttRTF, kRtf, 3, 4);
    Drawing read;
    const char entity[] = "0\nTEXT\n8\n0\n10\n1.0\n20\n2.0\n30\n0.0\n40\n2.5\n1\nbase\n";
    const std::vector<CText*> baseline = TextsOf(ReadEntities(read, WriteEntitiesFile("base.dxf", "AC1009", entity)));
    ASSERT_EQ(baseline.size(), 1u);
    ASSERT_EQ(baseline[0]->GetAlignType(), 0x18u);

    for (Drawing* d : {&from, &read}) {
        CDataTableSet set(1);
        ASSERT_EQ(d->root->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
        CDataTableSet fresh(1);
        CopyShapeRecords(set, fresh);
        for (const auto& e : set.Texts()->GetRecords())
            fresh.Texts()->Insert(e.second);
        Drawing to;
        for (const auto& e : fresh.Shapes()->GetRecords())
            to.control.GetShapeMap().LoadShapeFromTables(&fresh, DXFMODE_LOAD, e.first);
        ASSERT_EQ(to.root->GetShapeCount(), d->root->GetShapeCount());
        for (int i = 0; i < d->root->GetShapeCount(); ++i) {
            auto* a = static_cast<CText*>(d->root->GetChildAt(i));
            auto* b = dynamic_cast<CText*>(to.root->GetChildAt(i));
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->GetAlignType(), a->GetAlignType());
            EXPECT_EQ(b->GetTextType(), a->GetTextType());
            EXPECT_EQ(b->GetText(), a->GetText());
            EXPECT_EQ(b->GetFontNameA(), a->GetFontNameA());
            EXPECT_EQ(b->GetFontStyle(), a->GetFontStyle());
        }
    }
    (void)rich;
}

// The drawing of another writer: MTEXT turned by its direction only, TEXT in every placement.
TEST(TextDxf, ReadsTheTextsOfAnotherWriter)
{
    Drawing d;
    const std::vector<CText*> texts = TextsOf(ReadEntities(d, Fixture("texts_r2000.dxf")));
    std::map<std::string, CText*> byWord;
    for (CText* t : texts) {
        const std::string plain = t->GetTextType() == ttRTF ? ToMtext(t->GetText()) : t->GetText();
        byWord[plain] = t;
    }
    for (int angle : {0, 90, 180, 270}) {
        CText* m = nullptr;
        for (const auto& e : byWord)
            if (e.first.find("M" + std::to_string(angle)) != std::string::npos && e.second->GetTextType() == ttRTF)
                m = e.second;
        ASSERT_NE(m, nullptr) << angle;
        EXPECT_NEAR(Turn(m->GetRotation()), angle, 1e-4) << angle;
    }
    const DWORD aligns[15] = {0x18, 0x1E, 0x1A, 0x10006, 0x8, 0xE, 0xA, 0x10000, 0x10006, 0x10002,
                              0x0, 0x6, 0x2, 0x18, 0x18};
    for (int n = 0; n < 15; ++n) {
        SCOPED_TRACE(n);
        auto it = byWord.find("T" + std::to_string(n));
        ASSERT_NE(it, byWord.end());
        CText* t = it->second;
        EXPECT_EQ(t->GetAlignType(), aligns[n]);
        EXPECT_NEAR(t->GetPoints().GetAt(0)->x, n * 10.0, 1e-4);
        EXPECT_NEAR(t->GetPoints().GetAt(0)->y, 50.0, 1e-4);
        EXPECT_NEAR(t->GetRotation(), n % 2 ? 30.0 : 0.0, 1e-9);
        EXPECT_FLOAT_EQ(t->GetHeight(), 2.0f);
    }
}

// What check_dxf_texts.py hands to ezdxf: TEXT in the nine placements (turned by 30 degrees for
// the odd ones) and MTEXT at the four quarter turns.
TEST(TextDxf, WritesADrawingThatEzdxfReads)
{
    Drawing d;
    const DWORD aligns[9] = {0x0, 0x6, 0x2, 0x10000, 0x10006, 0x10002, 0x8, 0xE, 0xA};
    for (int n = 0; n < 9; ++n) {
        CText* t = MakeText(d, ttANSI, ("P" + std::to_string(n)).c_str(), n * 10.0f, 50.0f);
        t->SetAlignType(aligns[n]);
        t->SetHeight(2.0f);
        t->SetWidth(6.0f);
        t->SetRotation(n % 2 ? 30.0 : 0.0);
    }
    for (int i = 0; i < 4; ++i) {
        CRtfWriter w(0, 1.0);
        w.Write(("M" + std::to_string(90 * i)).c_str());
        CText* m = MakeText(d, ttRTF, w.Result().c_str(), i * 10.0f, 0.0f);
        m->SetHeight(2.5f);
        m->SetWidth(20.0f);
        m->SetRotation(90.0 * i);
    }
    WriteDrawing(d, OutputPath("texts.dxf"), 2);
}

// An INSERT with its ATTRIB sequence (ezdxf's): the reference holds the two attribute texts at
// their places; written back it carries 66, both ATTRIBs and SEQEND.
TEST(TextDxf, AttributesOfAReference)
{
    Drawing d;
    CGroup* insert = nullptr;
    for (CShape* s : ReadEntities(d, Fixture("texts_r2000.dxf")))
        if (s->GetShapeType() == stReference)
            insert = static_cast<CGroup*>(s);
    ASSERT_NE(insert, nullptr);
    auto attributesOf = [](CGroup* reference) {
        std::vector<CText*> texts;
        for (CShape* child : reference->Children())
            if (child->GetShapeType() == stText && child->GetTextType() == ttAttrib)
                texts.push_back(static_cast<CText*>(child));
        return texts;
    };
    auto check = [&](CGroup* reference) {
        const std::vector<CText*> texts = attributesOf(reference);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0]->GetText(), "Kitchen");
        EXPECT_NEAR(texts[0]->GetPoints().GetAt(0)->x, 101.0, 1e-4);
        EXPECT_NEAR(texts[0]->GetPoints().GetAt(0)->y, 102.0, 1e-4);
        EXPECT_EQ(texts[1]->GetText(), "12 m2");
        EXPECT_EQ(texts[1]->GetAlignType(), 0x10006u);
        EXPECT_NEAR(texts[1]->GetPoints().GetAt(0)->x, 105.0, 1e-4);
        EXPECT_NEAR(texts[1]->GetPoints().GetAt(0)->y, 98.0, 1e-4);
    };
    check(insert);

    const std::vector<Group> groups = WrittenGroups([&](CDxfFile& f) { insert->WriteDxf(f); });
    EXPECT_EQ(Values(groups, 66), std::vector<std::string>{"1"});
    EXPECT_EQ(std::count(groups.begin(), groups.end(), Group{0, "ATTRIB"}), 2);
    EXPECT_EQ(groups.back().code, 8);
    EXPECT_NE(std::find(groups.begin(), groups.end(), Group{0, "SEQEND"}), groups.end());
}
