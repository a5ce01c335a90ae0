// The passes over the whole drawing after a DXF load: points linked again as the file linked
// them, and shapes that the file carried only as approximations rebuilt from the program's own
// data.
#include "control/YVEXControl.h"
#include "control/MetafileConverter.h"
#include "interchange/DxfDocument.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/PointPool.h"
#include "model/Reference.h"
#include "com/AnsiText.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <utility>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;
// The vertices of the polyline that stands for an ellipse in the file.
constexpr int kEllipseVertices = 36;
// The image-handling bit that turns the visible metafile images into block references before a
// DXF file is written.
constexpr DWORD kImagesToBlocksBeforeDxf = 0x2;
// Half-axes this close (relative) are equal.
constexpr double kEqualAxesTolerance = 1e-5;

bool IsPolylineFamily(const CShape* shape)
{
    const int type = shape->GetShapeType();
    return type == stRectangle || type == stPolyline || type == stPolygon;
}

// An image on the quadrilateral of four points: corner at the first, width and angle along the
// first side, height along the last.
void PlaceImageOn(CImage* image, const CShapePointList& points)
{
    const CPointRecord* p1 = points.GetAt(0);
    const CPointRecord* p2 = points.GetAt(1);
    const CPointRecord* p4 = points.GetAt(3);
    image->AddPointById(p1->GetPointId(), CShape::kAppend, true);
    const double width = std::hypot(p2->x - p1->x, p2->y - p1->y);
    const double height = std::hypot(p4->x - p1->x, p4->y - p1->y);
    image->SetRotation(std::atan2(p2->y - p1->y, p2->x - p1->x) * kRadiansToDegrees);
    image->SetSize(static_cast<float>(width), static_cast<float>(height));
}

// An ellipse from the 36 vertices its old-version form is written with: ten-degree steps of the
// ellipse's own frame, turned half a turn past the major axis, the quarters exact. Vertex 18 lies
// on the major axis, vertex 27 on the minor one, the centre halfway between vertices 0 and 18.
// The longer of the two half-axes is the major axis, as the file's angles expect (ratio at most
// 1); the angles themselves come with the program's data.
void RebuildEllipse(CControlCore& control, CEllipse* ellipse, const CShapePointList& points)
{
    const CPointRecord* first = points.GetAt(0);
    const CPointRecord* major = points.GetAt(kEllipseVertices / 2);
    const CPointRecord* minor = points.GetAt(kEllipseVertices * 3 / 4);
    const double cx = (static_cast<double>(first->x) + major->x) / 2;
    const double cy = (static_cast<double>(first->y) + major->y) / 2;
    double ax = major->x - cx, ay = major->y - cy;
    double bx = minor->x - cx, by = minor->y - cy;
    double a = std::hypot(ax, ay), b = std::hypot(bx, by);
    // Equal half-axes differ by the rounding of the written vertices: only a clearly longer
    // minor half-axis turns the frame.
    if (b > a * (1.0 + kEqualAxesTolerance)) {
        std::swap(ax, bx);
        std::swap(ay, by);
        std::swap(a, b);
    }
    const int centre = control.CreatePoint(static_cast<float>(cx), static_cast<float>(cy));
    if (centre)
        ellipse->AddPointById(centre, CShape::kAppend, false);
    ellipse->SetMajorAxis(static_cast<float>(ax), static_cast<float>(ay));
    ellipse->SetMinorRatio(a > 0 ? static_cast<float>(b / a) : 1.0f);
}

} // namespace

HRESULT CYVEXControl::RelinkDxfPoints()
{
    CDxfDocument& document = GetDxfDocument();
    // Which point of the drawing each point ID of the file became.
    std::map<int, int> drawingPoints;
    for (const auto& entry : document.SelfPoints()) {
        CShape* shape = FindShape(entry.first);
        if (!shape)
            continue;
        const CShapePointList& points = shape->GetPoints();
        for (size_t i = 0; i < entry.second.size() && static_cast<int>(i) < points.GetCount(); ++i)
            drawingPoints[entry.second[i]] = points.GetAt(static_cast<int>(i))->GetPointId();
    }
    for (const auto& entry : document.LinkedPoints()) {
        if (entry.second.empty() || entry.second.front() == entry.first || !FindShape(entry.first))
            continue;
        for (int filePoint : entry.second) {
            auto found = drawingPoints.find(filePoint);
            if (found != drawingPoints.end())
                LinkPoint(entry.first, found->second);
        }
    }
    document.ClearReadingState();
    return S_OK;
}

HRESULT CYVEXControl::RestoreDxfApproximations()
{
    CShapeMap& map = GetShapeMap();
    std::vector<int> ids;
    for (const auto& entry : map.Replacements())
        ids.push_back(entry.first);
    for (int id : ids) {
        std::unique_ptr<CShape> kept = map.TakeReplacement(id);
        CShape* drawing = FindShape(id);
        if (!kept || !drawing)
            continue;
        kept->CopyStyleFrom(*drawing, 0xFFFFFFFF);
        kept->SetLayer(drawing->GetLayer());
        const CShapePointList& points = drawing->GetPoints();
        if (IsPolylineFamily(drawing)) {
            if (auto* image = dynamic_cast<CImage*>(kept.get()); image && points.GetCount() == 4)
                PlaceImageOn(image, points);
            else if (auto* ellipse = dynamic_cast<CEllipse*>(kept.get()); ellipse && points.GetCount() == kEllipseVertices) {
                RebuildEllipse(*this, ellipse, points);
                ellipse->TakeCircularKind();
            }
        }
        CGroup* parent = drawing->GetParent();
        CShape* replacement = kept.release();
        // The kept shape takes the drawing shape's place, its ID and, between groups, its children.
        if (drawing->IsGroup() && replacement->IsGroup()) {
            auto* from = static_cast<CGroup*>(drawing);
            auto* to = static_cast<CGroup*>(replacement);
            while (from->GetShapeCount() > 0)
                to->AddChild(from->GetChildAt(0), nullptr, 0, false);
        }
        if (parent)
            parent->ReplaceChild(drawing, replacement);
        map.RemoveShape(drawing);
        delete drawing;
        replacement->SetId(id);
        map.Insert(replacement);
    }
    return S_OK;
}

void CYVEXControl::FitReferenceToRect(CShape* reference, float left, float top, float right, float bottom)
{
    float l = 0, t = 0, r = 0, b = 0;
    if (SUCCEEDED(reference->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0)) && r != l && t != b && right != left &&
        top != bottom)
        reference->Scale(l, t, (right - left) / (r - l), (top - bottom) / (t - b), nullptr, true);
    float nl = 0, nt = 0, nr = 0, nb = 0;
    if (SUCCEEDED(reference->GetBoundingRectEx(&nl, &nt, &nr, &nb, nullptr, 0)) && (nl != left || nt != top)) {
        std::set<int> visited;
        reference->Shift(left - nl, top - nt, &visited, true);
    }
}

HRESULT CYVEXControl::ReplaceImageByReference(CImage* image, CGroup* block)
{
    CGroup* parent = image->GetParent();
    float left = 0, top = 0, right = 0, bottom = 0;
    if (!parent || FAILED(image->GetBoundingRectEx(&left, &top, &right, &bottom, nullptr, 0)))
        return S_FALSE;
    const int pointId = CreatePoint(left, top);
    if (!pointId)
        return E_OUTOFMEMORY;
    auto* reference = dynamic_cast<CReference*>(GetShapeMap().CreateShape(stReference, true, true));
    if (!reference) {
        GetPointPool().DeletePoint(pointId, 0);
        return E_FAIL;
    }
    reference->AddPointById(pointId, CShape::kAppend, false);
    reference->SetBlockGroupShapeID(block->GetId());
    reference->SetLayer(image->GetLayer());
    reference->SetZOrder(image->GetZOrder(), false);
    CGroup* selection = GetSelectionGroup();
    const bool selected = selection && selection->IndexOfChild(image->GetId()) >= 0;
    parent->ReplaceChild(image, reference);
    reference->ResolveBlock(block, false, true, false);
    if (CGroup* library = GetLibraryGroup())
        reference->ResolveReferences(library, nullptr);
    reference->ApplyTransform(true);
    FitReferenceToRect(reference, left, top, right, bottom);
    // The reference stands where the image stood, in the selection too (adding to the selection
    // toggles).
    if (selected) {
        if (selection->IndexOfChild(image->GetId()) >= 0)
            selection->RemoveChild(image);
        if (selection->IndexOfChild(reference->GetId()) < 0)
            selection->AddChild(reference, nullptr, 0, false);
    }
    // Out of the map before it goes: a lookup of its ID must never reach the freed shape.
    GetShapeMap().RemoveShape(image);
    GetShapeMap().DeleteShape(image);
    return S_OK;
}

HRESULT CYVEXControl::ConvertImageResourceToBlock(CImageResource* resource, bool replace, LONG* blockId)
{
    if (blockId)
        *blockId = 0;
    if (!resource)
        return E_POINTER;
    // A block made earlier that has gone since is made again.
    if (resource->GetBlockId() > 0 && !FindShape(resource->GetBlockId()))
        resource->SetBlockId(-1);
    if (!resource->IsLoaded())
        return E_ACCESSDENIED;
    // An enhanced metafile without a block becomes vector shapes; other pictures make none.
    if (resource->GetFormat() == irtExtMetafile && resource->GetBlockId() <= 0) {
        ycom::GlobalMem content(resource->GetDataInFormat(0));
        ycom::GlobalLockView<BYTE> view(content.Get());
        if (view.Get()) {
            CMetafileConverter converter(this);
            const int made = converter.ConvertBuffer(view.Size(), view.Get());
            if (made > 0)
                resource->SetBlockId(made);
        }
    }
    CShape* blockShape = resource->GetBlockId() > 0 ? FindShape(resource->GetBlockId()) : nullptr;
    if (!blockShape || !blockShape->IsGroup())
        return S_OK;
    auto* block = static_cast<CGroup*>(blockShape);
    block->SetName(ycom::AnsiToWide(resource->GetName()).c_str());
    if (blockId)
        *blockId = block->GetId();
    if (!replace)
        return S_OK;
    std::vector<CImage*> images;
    for (const auto& entry : GetShapeMap().Shapes())
        if (entry.second->GetShapeType() == stImage && entry.first != DEFAULT_IMAGE_ID &&
            static_cast<CImage*>(entry.second)->GetImageResourceId() == resource->GetId())
            images.push_back(static_cast<CImage*>(entry.second));
    for (CImage* image : images)
        RETURN_IF_FAILED(ReplaceImageByReference(image, block));
    return S_OK;
}

int CYVEXControl::MakeBlockOfImageResource(int resourceId)
{
    CImageResource* resource = GetImageResourceMap().Lookup(resourceId);
    LONG block = 0;
    if (!resource || resource->GetFormat() != irtExtMetafile || FAILED(ConvertImageResourceToBlock(resource, false, &block)))
        return 0;
    return static_cast<int>(block);
}

HRESULT CYVEXControl::ConvertImagesToBlocks(const std::vector<int>& imageIds)
{
    if (imageIds.empty())
        return E_UNEXPECTED;
    // One resource converts every image showing it: the later images of the list may be gone.
    for (int id : imageIds) {
        auto* image = dynamic_cast<CImage*>(FindShape(id));
        CImageResource* resource = image ? image->GetImageResource() : nullptr;
        if (!resource || resource->GetFormat() != irtExtMetafile)
            continue;
        RETURN_IF_FAILED(ConvertImageResourceToBlock(resource, true, nullptr));
    }
    return S_OK;
}

HRESULT CYVEXControl::ConvertVisibleImages()
{
    std::vector<int> visible;
    for (const auto& entry : GetShapeMap().Shapes())
        if (entry.second->GetShapeType() == stImage && entry.second->IsVisible())
            visible.push_back(entry.first);
    if (visible.empty() || !(GetDxfOptions() & kImagesToBlocksBeforeDxf))
        return 0;
    return ConvertImagesToBlocks(visible);
}
