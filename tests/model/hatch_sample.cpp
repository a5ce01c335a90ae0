// Draws every built-in hatch pattern over a square into a PNG file, for a person to look at: the
// squares are closed polylines filled by the drawing frame's hatch pass, as the control paints
// them.
// Usage: hatch_sample <output.png>. Exit code 0 when the file was written.
#include <windows.h>
#include <cstdio>
#include <string>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/ViewportRecord.h"
#include "model/DrawContext.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Polyline.h"
#include "YVEX_h.h"
#include "tests/support/PathShape.h"
#include "tests/support/SamplePicture.h"

namespace {
const int kWidth = 960, kHeight = 720;
const int kColumns = 7;
const float kSide = 110.0f;
// 0.125 of a pattern unit is 10 pixels.
const float kScale = 80.0f;
} // namespace

int main(int argc, char** argv)
{
    wchar_t output[MAX_PATH] = {};
    if (!OutputArgument(argc, argv, "hatch_sample", output))
        return 2;

    CControlCore control;
    // World units are pixels, y up from the bottom edge of the picture.
    drawtest::SetPixelView(control, kHeight);
    SamplePicture picture(kWidth, kHeight);
    HDC dc = picture.Dc();
    CDrawContext context;
    context.dc = dc;

    // The labels first, in the control's tenths of a millimetre.
    int index = 0;
    for (const auto& entry : control.GetHatchPatternMap().Patterns()) {
        const float left = 20.0f + (index % kColumns) * 135.0f;
        const float top = kHeight - 20.0f - (index / kColumns) * 170.0f;
        Label(dc, control, left, top - kSide - 6, std::to_string(entry.first) + " " + entry.second->GetName());
        ++index;
    }
    // The squares in a plane whose logical units are pixels: a geometric pen's dashes are logical
    // lengths, which Wine draws as pixels; so the picture shows the dashes as they are meant.
    CViewportRecord& view = control.GetCurrentViewport();
    view.horzSize10 = view.horzRes;
    view.vertSize10 = view.vertRes;
    drawtest::SetPixelView(control, kHeight);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 1, -1, nullptr);
    index = 0;
    for (const auto& entry : control.GetHatchPatternMap().Patterns()) {
        const float left = 20.0f + (index % kColumns) * 135.0f;
        const float top = kHeight - 20.0f - (index / kColumns) * 170.0f;
        auto* square = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
        for (const CRealPoint& p : {CRealPoint(left, top), CRealPoint(left + kSide, top),
                                    CRealPoint(left + kSide, top - kSide), CRealPoint(left, top - kSide)})
            square->AddPointById(control.CreatePoint(p.x, p.y), CShape::kAppend, true);
        square->SetFlags(square->GetFlags() | pfClosed);
        square->SetPenColor(0x000000);
        square->SetHatchColor(0x803000);
        square->SetHatchPatternId(entry.first);
        square->SetHatchPatternScale(kScale);
        square->DrawInContext(context);
        ++index;
    }
    SetMapMode(dc, MM_LOMETRIC);

    const bool saved = picture.Save(output);
    std::fprintf(stderr, saved ? "hatches written\n" : "hatches not written\n");
    return saved ? 0 : 1;
}
