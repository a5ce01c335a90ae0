// The bounds pre-pass of the importer: the characteristic points of each element widen the
// running extent, in design-file units, before any element is converted. Shared cells are
// measured once per name: later instances add the cached corners at their own origin.
#include "DGNImport.h"
#include <cmath>
#include <cstring>
#include "DesignFile.h"
#include "DgnString.h"
#include "EntityIterator.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "elements/BSplineCurveHeaderElement.h"
#include "elements/EllipseElements.h"
#include "elements/LinearElements.h"
#include "elements/ReferenceAttachment.h"
#include "elements/SharedCellElements.h"
#include "elements/ViewElement.h"

namespace {

// Truncated toward zero into 64 bits; beyond that range (or NaN) the nearest end, so that a
// damaged coordinate cannot wrap to the other side.
std::int64_t Whole(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 9.2e18)
        return INT64_MAX;
    if (v <= -9.2e18)
        return INT64_MIN;
    return static_cast<std::int64_t>(v);
}

template <class Array>
bool FeedArray(CDGNImport& importer, Array* points, CRealRect<double>& rect)
{
    if (!points)
        return false;
    for (std::uint32_t i = 0; i < points->Count(); ++i) {
        const auto* p = points->At(i);
        rect = importer.CheckPoint(Whole(p ? p->x : 0.0), Whole(p ? p->y : 0.0), 0);
    }
    return true;
}

// An ellipse's or arc's centre, from its 2-D or its 3-D class; 0 when it is of neither.
template <class Flat, class Deep>
int FeedCentre(CDGNImport& importer, dgn::IElement* element, CRealRect<double>& rect)
{
    if (auto* e = dynamic_cast<Flat*>(element))
        return importer.FeedPoint(e->GetGeometry()->cx, e->GetGeometry()->cy, rect), 1;
    if (auto* e = dynamic_cast<Deep*>(element))
        return importer.FeedPoint(e->GetGeometry()->cx, e->GetGeometry()->cy, rect), 1;
    return 0;
}

// True when the point opens a new loop of a clip boundary: its first 32 bits all ones.
bool IsClipSeparator(const double* point)
{
    std::uint32_t first = 0;
    std::memcpy(&first, point, sizeof first);
    return first == 0xFFFFFFFFu;
}

} // namespace

std::string CDGNImport::NarrowText(dgn::CDgnString* text)
{
    if (!text)
        return std::string();
    std::string out(static_cast<std::size_t>(text->CharCount()) * 2 + 1, '\0');
    text->CopyToAnsi(&out[0]);
    out.resize(std::strlen(out.c_str()));
    return out;
}

void CDGNImport::FeedPoint(double x, double y, CRealRect<double>& rect) { rect = CheckPoint(Whole(x), Whole(y), 0); }

int CDGNImport::GetBounds(dgn::IElement* element, CRealRect<double>& rect, BlockBounds* blockBounds, int useViews)
{
    if (!element)
        return 0;
    const bool threeD = m_designFile && m_designFile->Is3d();
    switch (element->GetType()) {
    case 3:
        if (auto* line = dynamic_cast<dgn::CLineElement2d*>(element)) {
            FeedPoint(line->GetGeometry()[0].x, line->GetGeometry()[0].y, rect);
            FeedPoint(line->GetGeometry()[1].x, line->GetGeometry()[1].y, rect);
            return 1;
        }
        if (auto* line = dynamic_cast<dgn::CLineElement3d*>(element)) {
            FeedPoint(line->GetGeometry()[0].x, line->GetGeometry()[0].y, rect);
            FeedPoint(line->GetGeometry()[1].x, line->GetGeometry()[1].y, rect);
            return 1;
        }
        return 0;
    case 4:
    case 6:
    case 11:
        if (auto* v = dynamic_cast<dgn::TVertexElement2d*>(element))
            return FeedArray(*this, v->GetPointArray(), rect) ? 1 : 0;
        if (auto* v = dynamic_cast<dgn::TVertexElement3d*>(element))
            return FeedArray(*this, v->GetPointArray(), rect) ? 1 : 0;
        return 0;
    case 27:
        if (auto* curve = dynamic_cast<dgn::CBSplineCurveHeaderElement*>(element))
            return FeedArray(*this, threeD ? curve->GetPoles3d() : curve->GetPoles2d(), rect) ? 1 : 0;
        return 0;
    case 15:
        return FeedCentre<dgn::CEllipseElement2d, dgn::CEllipseElement3d>(*this, element, rect);
    case 16:
        return FeedCentre<dgn::CArcElement2d, dgn::CArcElement3d>(*this, element, rect);
    case 35:
        if (auto* instance = dynamic_cast<dgn::ISymRef*>(element))
            return InstanceBounds(instance, rect, blockBounds);
        return 0;
    case 98:
        if (auto* view = dynamic_cast<dgn::CViewElement*>(element)) {
            dgn::ViewFields v = {};
            if (useViews && view->GetViewRecord(&v))
                rect = CRealRect<double>(v.origin[0], v.origin[1] + v.delta[1], v.origin[0] + v.delta[0], v.origin[1]);
        }
        return 1;
    case 100:
        if (auto* ref = dynamic_cast<dgn::CReferenceAttachment*>(element)) {
            const dgn::AttachmentData data = ref->GetAttachmentData();
            // Offset and clip points widen the running extent; the caller's rectangle is left
            // as it was.
            CheckPoint(Whole(data.offsetX), Whole(data.offsetY), 0);
            std::uint32_t count = 0;
            if (const double* clip = ref->GetClipPoints(&count)) {
                for (std::uint32_t i = 0; i < count; ++i) {
                    if (!IsClipSeparator(clip + 2 * i))
                        CheckPoint(Whole(clip[2 * i]), Whole(clip[2 * i + 1]), 0);
                }
            }
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

int CDGNImport::InstanceBounds(dgn::ISymRef* instance, CRealRect<double>& rect, BlockBounds* blockBounds)
{
    double origin[3] = {};
    instance->GetOrigin(origin);
    const std::string name = NarrowText(instance->GetName());
    if (blockBounds && !name.empty()) {
        const auto cached = blockBounds->find(name);
        if (cached != blockBounds->end()) {
            FeedPoint(origin[0] + cached->second.left, origin[1] + cached->second.top, rect);
            FeedPoint(origin[0] + cached->second.right, origin[1] + cached->second.bottom, rect);
            return 1;
        }
    }
    // A definition that holds an instance is measured by its origin alone: the nested
    // definition's extent would need its own placement.
    bool nested = false;
    dgn::IElement* definition = name.empty() || !m_designFile ? nullptr : m_designFile->FindSharedCellDefinition(name.c_str());
    if (definition) {
        if (dgn::CElementIterator* it = definition->CreateChildIterator(nullptr)) {
            it->SetPrimaryClassOnly();
            it->SetVisibleGraphicOnly();
            it->SetGraphicOnly();
            while (dgn::IEntity* child = it->Next()) {
                if (child->GetType() == 35) {
                    nested = true;
                    break;
                }
            }
            delete it;
        }
    }
    const double* range = nested ? nullptr : instance->ComputeInstanceRange();
    if (range && instance->InstanceRangeValid()) {
        // The range is where the placed instance lies; the cache keeps it relative to the
        // origin, high corner first.
        const double highX = range[3] - origin[0], highY = range[4] - origin[1];
        const double lowX = range[0] - origin[0], lowY = range[1] - origin[1];
        FeedPoint(origin[0] + highX, origin[1] + highY, rect);
        FeedPoint(origin[0] + lowX, origin[1] + lowY, rect);
        if (blockBounds && !name.empty())
            blockBounds->emplace(name, CRealRect<double>(highX, highY, lowX, lowY));
    } else {
        FeedPoint(origin[0], origin[1], rect);
    }
    return 1;
}
