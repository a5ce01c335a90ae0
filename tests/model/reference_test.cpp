// The block reference and the layer kinds: copies of the block placed by scales, angle and
// insertion point; the angle and scales set again, uneven scales of turned references, mirrors;
// references that follow their block through changes, links by name and its deletion; containment;
// layers' switches and style.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Ellipse.h"
#include "model/Layer.h"
#include "model/Line.h"
#include "model/PointRecord.h"
#include "model/Reference.h"
#include "YVEX_h.h"
#include "tests/support/PathShape.h"
#include "tests/support/StorageTestSupport.h"

namespace {

const double kPi = 3.14159265358979;

struct Blocks : Drawing
{
    // A block "Door" holding a line from (0, 0) to (1, 3), in the library.
    CGroup* MakeBlock(const wchar_t* name = L"Door")
    {
        auto* block = static_cast<CGroup*>(control.GetShapeMap().CreateShape(stGroup, true, true));
        block->SetName(name);
        library->AddChild(block, nullptr, 1, false);
        Make(stLine, {{0, 0}, {1, 3}}, block);
        return block;
    }
    // A reference in the root, placed and built from the block (none: unlinked).
    CReference* MakeReference(CGroup* block, CRealPoint at, float xs = 1, float ys = 1, double angle = 0)
    {
        auto* reference = static_cast<CReference*>(Make(stReference, {at}, root));
        reference->SetXScale(xs, false);
        reference->SetYScale(ys, false);
        reference->SetRotationAngle(angle, false);
        if (block) {
            EXPECT_EQ(reference->ResolveBlock(block, true, true, false), 0);
            reference->ApplyTransform(true);
        }
        return reference;
    }
};

// The second point of the first copy of a reference (the block line's (1, 3)).
CRealPoint CopiedPoint(CReference* reference, int child = 0)
{
    const CShape* copy = reference->GetChildAt(child);
    EXPECT_NE(copy, nullptr);
    if (!copy || copy->GetPointCount() < 2)
        return CRealPoint(-999, -999);
    return *copy->GetPoints().GetAt(1);
}

void ExpectAt(const CRealPoint& got, double x, double y, const char* what)
{
    EXPECT_NEAR(got.x, x, 1e-4) << what;
    EXPECT_NEAR(got.y, y, 1e-4) << what;
}

} // namespace

// Scaled by (2, 1) at (10, 0), the block's (1, 3) shows at (12, 3); turned by 90 too, where a
// turn of 90 about (10, 0) takes (12, 3).
TEST(Reference, CopiesOfTheBlockArePlaced)
{
    Blocks d;
    CGroup* block = d.MakeBlock();
    CReference* plain = d.MakeReference(block, {10, 0}, 2, 1);
    ASSERT_EQ(plain->GetShapeCount(), 1);
    EXPECT_EQ(plain->GetChildAt(0)->GetShapeType(), stLine);
    ExpectAt(CopiedPoint(plain), 12, 3, "scaled");
    CReference* turned = d.MakeReference(block, {10, 0}, 2, 1, 90);
    ExpectAt(CopiedPoint(turned), 7, 2, "turned");
    // The block itself is untouched, and knows both references.
    EXPECT_EQ(block->GetChildAt(0)->GetPoints().GetAt(1)->x, 1.0f);
    EXPECT_EQ(block->GetReferrerList().size(), 2u);
    // The reference's bounds are those of its copies, not its insertion point.
    float l, t, r, b;
    ASSERT_EQ(plain->GetBoundingRect(&l, &t, &r, &b), S_OK);
    EXPECT_NEAR(l, 10, 1e-5);
    EXPECT_NEAR(r, 12, 1e-5);
    EXPECT_NEAR(b, 0, 1e-5);
    EXPECT_NEAR(t, 3, 1e-5);
    // The insertion point is a move, the corners scale.
    EXPECT_EQ(plain->GetHandlePoints(nullptr, 0), 9);
    CRealPoint handles[9];
    ASSERT_EQ(plain->GetHandlePoints(handles, 9), 9);
    ExpectAt(handles[4], 10, 0, "insertion handle");
    ExpectAt(handles[6], 12, 1.5, "right midpoint");
    // The insertion point's handle moves the reference (one a pixel: the handles are apart).
    drawtest::SetPixelView(d.control, 200);
    auto* remote = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    remote->SetName(L"Far");
    d.library->AddChild(remote, nullptr, 1, false);
    d.Make(stLine, {{50, 50}, {100, 100}}, remote);
    CReference* distant = d.MakeReference(remote, {0, 0});
    distant->SetSelected(true);
    int index = 0;
    ASSERT_EQ(distant->AlignPointTo(0, 0, &index, nullptr), 1);
    EXPECT_EQ(index, -1);
    ASSERT_EQ(distant->AlignPointTo(100, 50, &index, nullptr), 1);
    EXPECT_EQ(index, 2);
}

// The angle set from 30 to 30 changes nothing; from 30 to 45 the copies turn by 15 about the
// insertion point. A new scale scales them about it.
TEST(Reference, AngleAndScalesSetAgain)
{
    Blocks d;
    CGroup* block = d.MakeBlock();
    CReference* reference = d.MakeReference(block, {10, 0}, 1, 1, 30);
    const CRealPoint at30 = CopiedPoint(reference);
    reference->SetRotationAngle(30, true);
    ExpectAt(CopiedPoint(reference), at30.x, at30.y, "30 to 30");
    reference->SetRotationAngle(45, true);
    CRealPoint expected = at30;
    expected.RotateDegrees(10, 0, 15);
    ExpectAt(CopiedPoint(reference), expected.x, expected.y, "30 to 45");
    EXPECT_EQ(reference->GetRotationAngle(), 45.0);
    EXPECT_NEAR(reference->GetAngle(), kPi / 4, 1e-9);

    reference->SetRotationAngle(0, true);
    reference->SetXScale(3, true);
    ExpectAt(CopiedPoint(reference), 13, 3, "x scale 3");
    EXPECT_EQ(reference->GetXScale(), 3.0f);
}

// An uneven scale of a reference turned by 45 changes its angle (the scaled frame's direction);
// turned by whole turns (360), the angle stays and the factors are the scales'.
TEST(Reference, UnevenScaleOfATurnedReference)
{
    Blocks d;
    CGroup* block = d.MakeBlock();
    CReference* turned = d.MakeReference(block, {0, 0}, 1, 1, 45);
    ASSERT_EQ(turned->Scale(0, 0, 2, 1, nullptr, false), S_OK);
    const double expected = std::atan2(std::sin(kPi / 4), 2 * std::cos(kPi / 4)) * 180 / kPi;
    EXPECT_NEAR(turned->GetRotationAngle(), expected, 1e-4);
    EXPECT_NEAR(turned->GetXScale(), std::sqrt(2.0 + 0.5), 1e-4);
    // The copies are where the new placement puts the block.
    CReference probe(999, &d.control);
    CRealPoint p(1, 3);
    p = CRealPoint(p.x * turned->GetXScale(), p.y * turned->GetYScale());
    p.RotateDegrees(0, 0, turned->GetRotationAngle());
    ExpectAt(CopiedPoint(turned), p.x, p.y, "placed by the new values");

    CReference* whole = d.MakeReference(block, {0, 0}, 1, 1, 360);
    ASSERT_EQ(whole->Scale(0, 0, 2, 1, nullptr, false), S_OK);
    EXPECT_EQ(whole->GetRotationAngle(), 360.0);
    EXPECT_EQ(whole->GetXScale(), 2.0f);
    EXPECT_EQ(whole->GetYScale(), 1.0f);
    ExpectAt(CopiedPoint(whole), 2, 3, "whole turns");
}

// A mirrored reference shows the mirror image of what it showed, insertion point included.
TEST(Reference, FlipsMirrorWhatItShows)
{
    for (bool vertical : {true, false}) {
        Blocks d;
        CGroup* block = d.MakeBlock();
        CReference* reference = d.MakeReference(block, {5, 2}, 2, 1, 30);
        const CRealPoint before = CopiedPoint(reference);
        const float axis = 1.0f;
        ASSERT_EQ(vertical ? reference->FlipVertical(nullptr, &axis) : reference->FlipHorizontal(nullptr, &axis), 1);
        const CRealPoint after = CopiedPoint(reference);
        ExpectAt(after, vertical ? before.x : 2 - before.x, vertical ? 2 - before.y : before.y, "copy");
        const CRealPoint insertion = *reference->GetPoints().GetAt(0);
        ExpectAt(insertion, vertical ? 5 : -3, vertical ? 0 : 2, "insertion");
        // Rebuilt from the block, the new values place the copy where the mirror put it.
        reference->RelinkBlock(false);
        ExpectAt(CopiedPoint(reference), after.x, after.y, vertical ? "rebuilt, vertical" : "rebuilt, horizontal");
    }
}

// A corner handle dragged scales the reference evenly about the opposite corner, by the larger
// factor.
TEST(Reference, ACornerDragScalesEvenly)
{
    Blocks d;
    CGroup* block = d.MakeBlock();
    CReference* reference = d.MakeReference(block, {10, 0});
    d.control.GetEditState().editedShape = reference;
    reference->StartEdit(EDSH_POINT, 1, nullptr);
    // Handle 1 is (right, top) = (11, 3); the opposite corner (10, 0) stays.
    ASSERT_EQ(reference->OnEditDrag(13, 4), 1);
    EXPECT_NEAR(reference->GetXScale(), 3.0, 1e-5);
    EXPECT_NEAR(reference->GetYScale(), 3.0, 1e-5);
    ExpectAt(CopiedPoint(reference), 13, 9, "scaled copy");
    ExpectAt(*reference->GetPoints().GetAt(0), 10, 0, "insertion");
    d.control.GetEditState().editedShape = nullptr;
}

// A change of the block reaches its references; a reference by name finds its block; the
// references of a deleted block go with it, and those left without one are cleared away.
TEST(Reference, ReferencesFollowTheirBlock)
{
    Blocks d;
    CGroup* block = d.MakeBlock();
    CReference* reference = d.MakeReference(block, {10, 0});
    block->Shift(1, 0, nullptr, false);
    ExpectAt(CopiedPoint(reference), 12, 3, "block moved");
    d.Make(stLine, {{0, 0}, {-1, -1}}, block);
    block->UpdateReferrers(0, 0);
    EXPECT_EQ(reference->GetShapeCount(), 2);

    // Unlinked, by name: linked and built.
    auto* byName = static_cast<CReference*>(d.Make(stReference, {{0, 5}}, d.root));
    byName->SetName(L"Door");
    d.root->LinkReferencesByName(d.library);
    EXPECT_EQ(byName->GetBlock(), block);
    EXPECT_EQ(byName->GetShapeCount(), 0);
    d.root->ResolveReferences(d.library, nullptr);
    EXPECT_EQ(byName->GetShapeCount(), 2);
    ExpectAt(CopiedPoint(byName), 2, 8, "resolved by name");

    // A copy of a reference registers with the block, and leaves it when it goes.
    CShape* clone = d.control.GetShapeMap().CloneShape(reference, true);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(block->GetReferrerList().size(), 3u);
    d.control.GetShapeMap().RemoveShape(clone);
    delete clone;
    EXPECT_EQ(block->GetReferrerList().size(), 2u);

    const int referenceId = reference->GetId(), byNameId = byName->GetId();
    const int copyId = reference->GetChildAt(0)->GetId();
    ASSERT_EQ(d.control.DeleteShapeByID(block->GetId(), 0, 0), S_OK);
    EXPECT_EQ(d.control.FindShape(referenceId), nullptr);
    EXPECT_EQ(d.control.FindShape(byNameId), nullptr);
    EXPECT_EQ(d.control.FindShape(copyId), nullptr);
    EXPECT_EQ(d.root->GetShapeCount(), 0);

    // A block that goes another way leaves its references without one: cleared away.
    CGroup* other = d.MakeBlock(L"Window");
    CReference* orphan = d.MakeReference(other, {0, 0});
    const int orphanId = orphan->GetId();
    other->DetachFromParent();
    d.control.GetShapeMap().RemoveShape(other);
    delete other;
    EXPECT_EQ(orphan->GetBlock(), nullptr);
    d.root->ClearReferencesInTree();
    EXPECT_EQ(d.control.FindShape(orphanId), nullptr);
}

// ContainsShape answers for the reference's own block and for blocks nested in it; a block
// holding a reference to itself is not copied into itself.
TEST(Reference, ContainmentAndSelfReference)
{
    Blocks d;
    CGroup* inner = d.MakeBlock(L"Inner");
    CGroup* outer = d.MakeBlock(L"Outer");
    auto* nested = static_cast<CReference*>(d.Make(stReference, {{0, 0}}, outer));
    nested->ResolveBlock(inner, true, true, false);
    CReference* reference = d.MakeReference(outer, {0, 0});
    EXPECT_TRUE(reference->ContainsShape(outer));
    EXPECT_TRUE(reference->ContainsShape(inner));
    CGroup* unrelated = d.MakeBlock(L"Other");
    EXPECT_FALSE(reference->ContainsShape(unrelated));
    EXPECT_TRUE(reference->ContainsShapeId(inner->GetChildAt(0)->GetId(), true));
    // The outer's copy of the nested reference shows the inner block too.
    ASSERT_EQ(reference->GetShapeCount(), 2);

    // A block read with a reference of its own name in it.
    auto* loop = static_cast<CReference*>(d.Make(stReference, {{0, 0}}, unrelated));
    loop->SetName(L"Other");
    CReference* top = d.MakeReference(nullptr, {0, 0});
    top->SetName(L"Other");
    d.library->ResolveReferences(d.library, nullptr);
    d.root->ResolveReferences(d.library, nullptr);
    EXPECT_EQ(loop->GetShapeCount(), 0);
    EXPECT_EQ(d.control.GetLastErrorCode(), kErrorSelfReference);
    EXPECT_EQ(top->GetBlock(), unrelated);
    EXPECT_EQ(top->GetShapeCount(), 2);
    // Not a group: refused, the link unchanged.
    EXPECT_EQ(top->ResolveBlock(nullptr, true, true, false), 0);
    EXPECT_EQ(top->GetBlock(), unrelated);
    EXPECT_EQ(top->SetBlockGroupShapeID(top->GetId()), 0);
}

// Layers: switches without side effects, by-layer values turned into the layer's defaults, the
// DXF flags and colour of a LAYER entry, the name copied with the style.
TEST(Layer, SwitchesStyleAndEntries)
{
    Blocks d;
    CLayer* layer = MakeLayer(d.control, d.layers, "Walls");
    layer->SetPenColor(coByLayer);
    EXPECT_EQ(layer->GetPenColor(), 0u);
    layer->SetHatchColor(coByLayer | 0x123);
    EXPECT_EQ(layer->GetHatchColor(), 0xFFFFFFu);
    layer->SetLinePatternId(ltByLayer);
    EXPECT_EQ(layer->GetLinePatternId(), ltContinuous);
    layer->SetVisible(false);
    EXPECT_FALSE(layer->HasState(CShape::stVisible));
    layer->SetNoExtents(true);
    EXPECT_TRUE(layer->HasState(CShape::stNoExtents));

    CLayer* other = MakeLayer(d.control, d.layers, "Doors");
    other->SetPenColor(0x0000FF);
    layer->CopyStyleFrom(*other, 0xFFFFFFFF);
    EXPECT_EQ(layer->GetName(), "Doors");
    EXPECT_EQ(layer->GetPenColor(), 0x0000FFu);

    CShapeStats stats;
    EXPECT_EQ(layer->CountStats(stats), 1);
    EXPECT_EQ(stats.layers, 1);
    EXPECT_EQ(stats.shapes, 1);
}
