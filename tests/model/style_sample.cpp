// Draws a sample of every style the drawing frame can draw into a PNG file, for a person to look
// at: arrow heads, line types and pen widths, solid fills with resolved colours, selection marks
// and the selection overlay, the highlight pen and shading, simplified figures, link marks and
// the pattern fills. Usage: style_sample <output.png>. Exit code 0 when the file was written.
#include <windows.h>
#include <objidl.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "model/PatternFill.h"
#include "control/ShapeMap.h"
#include "control/ViewportRecord.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "model/HighlightGroup.h"
#include "model/Layer.h"
#include "model/LineTypeMap.h"
#include "model/PointRecord.h"
#include "model/SelectionGroup.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include "tests/support/PathShape.h"
#include "tests/support/SamplePicture.h"

namespace {
const int kWidth = 960, kHeight = 720;

using SampleShape = drawtest::PathShape;

struct Sample
{
    CControlCore control;
    CGroup* root = nullptr;
    int nextId = 100;

    Sample()
    {
        // World units are pixels, y up from the bottom edge of the picture.
        drawtest::SetPixelView(control, kHeight);
        root = new CGroup(BASE_ID, &control);
        control.GetShapeMap().Insert(root);
        control.SetActiveGroup(root);
    }
    SampleShape* Make(int type, bool closed, std::initializer_list<CRealPoint> points)
    {
        auto* shape = new SampleShape(nextId++, &control, type, closed);
        for (const CRealPoint& p : points)
            shape->AddPointById(control.CreatePoint(p.x, p.y), CShape::kAppend, true);
        control.GetShapeMap().Insert(shape);
        root->AddChild(shape, nullptr, 0, false);
        return shape;
    }
    SampleShape* Line(float x0, float y0, float x1, float y1) { return Make(stLine, false, {{x0, y0}, {x1, y1}}); }
    SampleShape* Box(float l, float t, float r, float b, int type = stRectangle)
    {
        return Make(type, true, {{l, t}, {r, t}, {r, b}, {l, b}});
    }
};

} // namespace

int main(int argc, char** argv)
{
    wchar_t output[MAX_PATH] = {};
    if (!OutputArgument(argc, argv, "style_sample", output))
        return 2;
    Sample s;
    CControlCore& control = s.control;
    CDrawingSettingRecord* setting = control.GetCurrentDrawingSetting();
    setting->ArrowScale = 1.5f;
    setting->LinkMarkScale = 12.0f;

    // The picture is composed in the control's off-screen buffer and copied into a DIB section.
    SamplePicture picture(kWidth, kHeight);
    HDC dc = picture.Dc();
    CDrawContext context;
    context.dc = dc;

    // Row 1: the arrow heads.
    const int arrows[] = {atArrowVI,       atArrowVT,      atCircle,       atRhomb,
                          atXCross,        atSlash,        atArrowVIOut,   atArrowVTOut,
                          atArrowVTFilled, atCircleFilled, atRhombFilled,  atArrowVTFilledOut};
    float x = 20;
    for (int type : arrows) {
        SampleShape* line = s.Line(x, 660, x + 55, 690);
        line->arrow = type;
        Label(dc, control, x, 650, std::to_string(type));
        x += 78;
    }
    // Row 2: line types, from continuous through the built-in definitions.
    const CLineTypeMap& types = control.GetLineTypeMap();
    int column = 0;
    for (const auto& entry : types.Entries()) {
        if (entry.first < 2 || column >= 24)
            continue;
        const float cx = 20.0f + (column % 4) * 235.0f, cy = 610.0f - (column / 4) * 22.0f;
        SampleShape* line = s.Line(cx, cy, cx + 120, cy);
        line->SetLinePatternId(entry.first);
        line->SetPenColor(0x202020);
        line->SetLinePatternScale(0.25f);
        Label(dc, control, cx + 125, cy + 8, entry.second.GetName() ? entry.second.GetName() : "?");
        ++column;
    }
    // Row 3: pen weights scaled with the view, and colours resolved by layer, by block and from
    // the system.
    CLayer* layer = new CLayer(s.nextId++, &control);
    control.GetShapeMap().Insert(layer);
    layer->SetPenColor(0x008000);
    layer->SetHatchColor(0x80C0FF);
    const float weights[] = {0, 1, 2, 4, 6};
    for (int i = 0; i < 5; ++i) {
        SampleShape* line = s.Line(20.0f + i * 60, 450, 70.0f + i * 60, 480);
        line->SetPenWeight(weights[i]);
        line->SetPenColor(0x800000);
    }
    SampleShape* byLayer = s.Box(340, 480, 400, 440);
    byLayer->SetLayer(layer);
    byLayer->SetHatchPatternId(hpSolid);
    Label(dc, control, 340, 432, "by layer");
    CGroup* block = new CGroup(s.nextId++, &control);
    control.GetShapeMap().Insert(block);
    block->SetShapeType(stReference);
    block->SetPenColor(0x0000C0);
    block->SetHatchColor(0xC0C0FF);
    s.root->AddChild(block, nullptr, 0, false);
    SampleShape* byBlock = s.Box(420, 480, 480, 440);
    byBlock->SetPenColor(0x40000000);
    byBlock->SetHatchColor(0x40000000);
    byBlock->SetHatchPatternId(hpSolid);
    block->AddChild(byBlock, nullptr, 0, false);
    Label(dc, control, 420, 432, "by block");
    SampleShape* system = s.Box(500, 480, 560, 440);
    system->SetHatchColor(0x80000000 | COLOR_HIGHLIGHT);
    system->SetPenColor(0x80000000 | COLOR_WINDOWTEXT);
    system->SetHatchPatternId(hpSolid);
    Label(dc, control, 500, 432, "system");
    for (int i = 0; i < 4; ++i) {
        SampleShape* fill = s.Box(600.0f + i * 80, 480, 660.0f + i * 80, 440);
        const COLORREF colours[] = {0x3030E0, 0x30C030, 0xE03030, 0x30C0E0};
        fill->SetHatchColor(colours[i]);
        fill->SetPenColor(0x000000);
        fill->SetHatchPatternId(hpSolid);
    }

    // Everything so far, drawn as the control paints the root.
    s.root->DrawInContext(context);

    // Row 4: simplified figures of small shapes under the size check.
    CDrawContext sized = context;
    sized.sizeCheck = true;
    const int smallTypes[] = {stEllipse, stRectangle, stText, stLine, stEllipse};
    for (int i = 0; i < 5; ++i) {
        const float l = 20.0f + i * 40;
        SampleShape* small = i == 1 ? s.Box(l, 400, l + 12, 390) : s.Make(smallTypes[i], false, {{l, 400}, {l + 12, 390}});
        if (i == 4) {
            small->SetHatchPatternId(hpSolid);
            small->SetHatchColor(0x00A0FF);
        }
        small->DrawInContext(sized);
    }
    Label(dc, control, 20, 380, "simplified");

    // Row 5: the selection with its marks and overlay, the highlight pen and shading, link marks
    // and the pattern fills.
    auto* selection = new CSelectionGroup(SELECTION_ID, &control);
    control.GetShapeMap().Insert(selection);
    SampleShape* picked = s.Box(20, 340, 140, 260);
    picked->SetHatchPatternId(hpSolid);
    picked->SetHatchColor(0x60D060);
    SampleShape* pickedLine = s.Make(stPolyline, false, {{170, 270}, {220, 340}, {270, 270}, {320, 340}});
    picked->DrawInContext(context);
    pickedLine->DrawInContext(context);
    selection->AddChild(picked, nullptr, 0, false);
    selection->AddChild(pickedLine, nullptr, 0, false);
    CDrawContext marks = context;
    marks.flags = CDrawContext::dcMarks;
    marks.markColour = 0xFF0000;
    marks.highlightColour = 0x0000FF;
    selection->DrawInContext(marks);
    Label(dc, control, 20, 250, "selection marks and overlay");

    auto* highlights = new CHighlightGroup(HIGHLIGHTS_ID, &control);
    control.GetShapeMap().Insert(highlights);
    SampleShape* glowing = s.Line(360, 270, 480, 340);
    SampleShape* text = s.Make(stText, false, {{500, 340}, {600, 280}});
    SampleShape* image = s.Make(stImage, false, {{620, 340}, {720, 280}});
    highlights->AddChild(glowing, nullptr, 0, false);
    highlights->AddChild(text, nullptr, 0, false);
    highlights->Draw(context);
    highlights->RemoveAll();
    highlights->SetShadeType(shDark);
    highlights->AddChild(image, nullptr, 0, false);
    highlights->Draw(context);
    Label(dc, control, 360, 250, "highlight: pen, light and dark shading");

    SampleShape* owner = s.Line(760, 280, 900, 340);
    SampleShape* follower = s.Line(760, 330, 830, 300);
    follower->LinkPoint(owner->GetPoints().GetAt(1)->GetPointId());
    owner->DrawInContext(context);
    follower->DrawLinkMarks(dc);
    Label(dc, control, 760, 250, "link marks");

    for (int kind = 1; kind <= 2; ++kind) {
        const CRealRect area(20.0f + (kind - 1) * 140, 200, 140.0f + (kind - 1) * 140, 120);
        PatternFillRect(dc, control.GetCurrentViewport().WorldToLogicalRect(area), 0x0060C0, kind, nullptr);
    }
    Label(dc, control, 20, 110, "pattern fills");

    const bool saved = picture.Save(output);
    std::fprintf(stderr, saved ? "styles written\n" : "styles not written\n");
    return saved ? 0 : 1;
}
