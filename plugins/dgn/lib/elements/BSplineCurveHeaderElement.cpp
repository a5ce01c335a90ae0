#include "BSplineCurveHeaderElement.h"

#include "DoubleArray.h"
#include "EntityIterator.h"
#include "ItemArray.h"
#include "LittleEndian.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "ValueEncodings.h"
#include "elements/BSplinePoleElement3d.h"
#include "elements/BSplineValuesElement.h"
#include "nurbs/NurbCurve.h"

#include <memory>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kCurveHeaderType = 27;
constexpr std::uint16_t kPoleType = 21;
constexpr std::uint16_t kKnotType = 26;
constexpr std::uint16_t kWeightType = 28;
constexpr std::uint32_t kOrderMask = 0x1F;
constexpr std::uint32_t kRational = 0x80;
constexpr std::uint32_t kClosed = 0x100;
constexpr std::uint32_t kInterpolation = 0x1E0000;
constexpr std::uint32_t kFullKnots = 0x8000000;
constexpr std::uint32_t kBodyBytes = 16;
// Steps per pole of a stroked curve; a curve is stroked in at most this many steps, so that a
// pole count from a damaged record cannot ask for an unbounded point list.
constexpr std::int64_t kStepsPerPole = 16;
constexpr std::int64_t kMaxSteps = 1 << 20;
// Homogeneous points in blocks of 64.
constexpr std::uint32_t kPointBlock = 64;

struct ArrayDeleter {
    void operator()(CDoubleArray* a) const { delete a; }
};

} // namespace

bool ClampKnotVector(CDoubleArray* knots, int p, std::uint32_t m)
{
    const std::uint32_t n = knots->GetCount();
    const std::uint32_t order = static_cast<std::uint32_t>(p) + 1;
    if (n && n + 1 == m) {
        const double first = knots->GetAt(0), last = knots->GetAt(n - 1);
        std::uint32_t lead = 0, tail = 0;
        while (lead < n && knots->GetAt(lead) == first)
            ++lead;
        while (tail < n && knots->GetAt(n - 1 - tail) == last)
            ++tail;
        for (; lead < order; ++lead) {
            if (!knots->Insert(&first, 1, 0))
                return false;
        }
        for (; tail < order; ++tail) {
            if (!knots->Append(&last, 1))
                return false;
        }
    } else if (m >= order && n == m - order) {
        const double zero = 0.0, one = 1.0;
        for (std::uint32_t i = 0; i < order; ++i) {
            if (!knots->Insert(&zero, 1, 0) || !knots->Append(&one, 1))
                return false;
        }
    }
    return true;
}

CBSplineCurveHeaderElement::CBSplineCurveHeaderElement(CDesignFile* file) : CGraphicBodyElement(file)
{
    m_type = kCurveHeaderType;
    m_flags |= kElementGraphic | kElementComplexHeader;
    m_properties |= kPropertyScreen;
}

CBSplineCurveHeaderElement::~CBSplineCurveHeaderElement() { DeleteCurves(); }

void CBSplineCurveHeaderElement::DeleteCurves()
{
    delete m_curve2d;
    delete m_curve3d;
    m_curve2d = nullptr;
    m_curve3d = nullptr;
}

int CBSplineCurveHeaderElement::GetType() const { return kCurveHeaderType; }

IElement* CBSplineCurveHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    CBSplineCurveHeaderElement* copy = new (std::nothrow) CBSplineCurveHeaderElement(target ? target : m_designFile);
    if (!copy)
        return nullptr;
    CopyTo(target, copy, removeSource);
    copy->m_curveFlags = m_curveFlags;
    copy->m_poleCount = m_poleCount;
    copy->m_knotCount = m_knotCount;
    return copy;
}

bool CBSplineCurveHeaderElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        SetChildCount(r.I32());
        m_curveFlags = r.U32();
        m_poleCount = r.I32();
        m_knotCount = r.I32();
        return true; // fields the body lacks read as 0
    });
}

bool CBSplineCurveHeaderElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    // The display header, the component length and the three words.
    const std::uint32_t n = ReadV7ComplexHeader(cursor, length, kV7GraphicHeaderBytes + 4 + 6);
    if (!n)
        return false;
    const std::uint8_t* p = record + kV7GraphicHeaderBytes + 4;
    const std::uint16_t w = LoadU16(p);
    m_poleCount = static_cast<std::int16_t>(LoadU16(p + 2));
    m_knotCount = static_cast<std::int16_t>(LoadU16(p + 4));
    m_curveFlags = (w & 0x0Fu) | ((w & 0x0Fu) << 10) | ((w & 0x10) ? 0x20u : 0u) | ((w & 0x20) ? 0x40u : 0u) | ((w & 0x40) ? 0x80u : 0u) |
                   ((w & 0x80) ? 0x100u : 0u);
    *cursor = record + n;
    return true;
}

void CBSplineCurveHeaderElement::Touch()
{
    SetGraphicBodySizes(kBodyBytes);
    IGraphicElement::Touch();
}

std::uint32_t CBSplineCurveHeaderElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t body[kBodyBytes];
    std::uint8_t* p = body;
    PutU32(&p, static_cast<std::uint32_t>(ChildCount()));
    PutU32(&p, m_curveFlags);
    PutU32(&p, static_cast<std::uint32_t>(m_poleCount));
    PutU32(&p, static_cast<std::uint32_t>(m_knotCount));
    return WriteGraphicBodyRecord(cursor, body, kBodyBytes);
}

void CBSplineCurveHeaderElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, (m_curveFlags & kInterpolation) ? "B-Spline through-point interpolation curve" : "B-Spline NURB curve");
    IGraphicElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "elements: %i, flags: 0x%08x", ChildCount(), m_curveFlags);
    EmitLine(callback, kLineBuffer, "nr. poles: %i, nr. knots: %i  order: %i", m_poleCount, m_knotCount, static_cast<int>(m_curveFlags & kOrderMask) + 2);
    EmitLine(callback, kLineBuffer, (m_curveFlags & kFullKnots) ? "store full knots = true" : "store full knots = false");
    if (!(m_properties & kProperty3d)) {
        if (m_curve2d)
            m_curve2d->Dump(callback);
    } else if (m_curve3d) {
        m_curve3d->Dump(callback);
    }
    EmitEnd(callback);
}

bool CBSplineCurveHeaderElement::Transform(const double matrix[16])
{
    UpdateFlaggedComponents(matrix);
    DeleteCurves();
    return true;
}

void CBSplineCurveHeaderElement::ResolveComponents()
{
    m_poles2d = m_poles3d = nullptr;
    m_knots = m_weights = nullptr;
    m_curveFlags &= ~kRational;
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return;
    while (IEntity* e = it->Next()) {
        switch (e->GetType()) {
        case kPoleType:
            if (auto* poles = dynamic_cast<CBSplinePoleElement3d*>(e)) {
                (poles->GetProperties() & kProperty3d ? m_poles3d : m_poles2d) = poles;
                m_poleCount = poles->GetPoints() ? static_cast<std::int32_t>(poles->GetPoints()->Count()) : 0;
            }
            break;
        case kKnotType:
            if (auto* knots = dynamic_cast<CBSplineValuesElement*>(e)) {
                m_knots = knots;
                m_knotCount = knots->GetValues() ? static_cast<std::int32_t>(knots->GetValues()->GetCount()) : 0;
            }
            break;
        case kWeightType:
            if (auto* weights = dynamic_cast<CBSplineValuesElement*>(e)) {
                m_weights = weights;
                m_curveFlags |= kRational;
            }
            break;
        default:
            break;
        }
    }
    delete it;
}

CPoint3dArray* CBSplineCurveHeaderElement::GetPoles2d()
{
    ResolveComponents();
    return m_poles2d ? m_poles2d->GetPoints() : nullptr;
}

CPoint3dArray* CBSplineCurveHeaderElement::GetPoles3d()
{
    ResolveComponents();
    return m_poles3d ? m_poles3d->GetPoints() : nullptr;
}

CDoubleArray* CBSplineCurveHeaderElement::GetWeights()
{
    ResolveComponents();
    return m_weights ? m_weights->GetValues() : nullptr;
}

CDoubleArray* CBSplineCurveHeaderElement::GetKnots()
{
    ResolveComponents();
    return m_knots ? m_knots->GetValues() : nullptr;
}

void CBSplineCurveHeaderElement::GetCurveFlags(std::uint32_t* flags) const { *flags = m_curveFlags; }
void CBSplineCurveHeaderElement::SetCurveFlags(std::uint32_t flags) { m_curveFlags = flags; }

bool CBSplineCurveHeaderElement::PrepareKnots(CDoubleArray* knots, int p, std::uint32_t m)
{
    const CDoubleArray* stored = m_knots ? m_knots->GetValues() : nullptr;
    if (!stored)
        return true;
    if (!knots->Assign(*stored))
        return false;
    if (!(m_curveFlags & kFullKnots)) {
        const double zero = 0.0, one = 1.0;
        for (int i = 0; i <= p; ++i) {
            if (!knots->Insert(&zero, 1, 0) || !knots->Append(&one, 1))
                return false;
        }
    }
    return ClampKnotVector(knots, p, m);
}

// Builds the curve of one pole component: dims 2 (x, y, w) or 3 (x, y, z, w).
namespace {

template <class Curve>
Curve* BuildCurve(CBSplinePoleElement3d* poles, const CDoubleArray* weights, const CDoubleArray* knots, int p, bool wrapped, int dims)
{
    const CPoint3dArray* points = poles->GetPoints();
    const std::uint32_t n = points ? points->Count() : 0;
    const std::uint32_t item = dims == 2 ? 24 : 32;
    CItemArray* h = CItemArray::Create(item, kPointBlock, sizeof(double));
    if (!h || !n) {
        delete h;
        return nullptr;
    }
    const bool rational = weights && weights->GetCount();
    const std::uint32_t total = n + (wrapped ? static_cast<std::uint32_t>(p) : 0);
    for (std::uint32_t k = 0; k < total; ++k) {
        const std::uint32_t i = k % n;
        const Point3d* v = points->At(i);
        // Weights missing for the last poles count as 1.0.
        const double w = rational && i < weights->GetCount() ? weights->GetAt(i) : 1.0;
        const double xyzw[4] = {v->x, v->y, dims == 2 ? w : v->z, w};
        if (!h->AppendItems(xyzw, 1)) {
            delete h;
            return nullptr;
        }
    }
    const std::uint32_t count = knots ? knots->GetCount() : 0;
    return Curve::Create(p, wrapped, rational, h, count ? knots->ElementPointer(0) : nullptr, count);
}

} // namespace

void CBSplineCurveHeaderElement::BuildCurve2d()
{
    ResolveComponents();
    if (!m_poles2d)
        return;
    const int p = static_cast<int>(m_curveFlags & kOrderMask) + 1;
    const bool wrapped = (m_curveFlags & kClosed) && !m_knots;
    const std::uint32_t n = m_poles2d->GetPoints() ? m_poles2d->GetPoints()->Count() : 0;
    std::unique_ptr<CDoubleArray, ArrayDeleter> knots(CDoubleArray::Create());
    if (!knots || !PrepareKnots(knots.get(), p, wrapped ? n + p : n))
        return;
    delete m_curve2d;
    m_curve2d = BuildCurve<CGNurb2>(m_poles2d, m_weights ? m_weights->GetValues() : nullptr, m_knots ? knots.get() : nullptr, p, wrapped, 2);
}

void CBSplineCurveHeaderElement::BuildCurve3d()
{
    ResolveComponents();
    if (!m_poles3d)
        return;
    const int p = static_cast<int>(m_curveFlags & kOrderMask) + 1;
    const bool wrapped = (m_curveFlags & kClosed) && !m_knots;
    const std::uint32_t n = m_poles3d->GetPoints() ? m_poles3d->GetPoints()->Count() : 0;
    std::unique_ptr<CDoubleArray, ArrayDeleter> knots(CDoubleArray::Create());
    if (!knots || !PrepareKnots(knots.get(), p, wrapped ? n + p : n))
        return;
    delete m_curve3d;
    m_curve3d = BuildCurve<CGNurb3>(m_poles3d, m_weights ? m_weights->GetValues() : nullptr, m_knots ? knots.get() : nullptr, p, wrapped, 3);
}

void CBSplineCurveHeaderElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (sink->Kind() == 2) {
        ResolveComponents();
        if (m_poles2d && m_poles2d->GetPoints() && m_poles2d->GetPoints()->Count()) {
            const CPoint3dArray* v = m_poles2d->GetPoints();
            CPoint2dArray* flat = CPoint2dArray::CreateSized(v->Count());
            if (flat) {
                for (std::uint32_t i = 0; i < v->Count(); ++i)
                    flat->SetAt(i, v->At(i)->x, v->At(i)->y);
                sink->AddPoints2d(flat->Count(), flat->Data());
                delete flat;
            }
        } else if (m_poles3d && m_poles3d->GetPoints() && m_poles3d->GetPoints()->Count()) {
            sink->AddPoints3d(m_poles3d->GetPoints()->Count(), m_poles3d->GetPoints()->Data());
        }
        return;
    }
    ApplySymbologyTo(context, sink);
    if (!(m_properties & kProperty3d) && !m_curve2d)
        BuildCurve2d();
    if ((m_properties & kProperty3d) && !m_curve3d)
        BuildCurve3d();
    std::int64_t steps = kStepsPerPole * m_poleCount - kStepsPerPole;
    if (steps <= 0)
        return; // fewer than two poles: no curve to stroke
    if (steps > kMaxSteps)
        steps = kMaxSteps;
    if (m_curve2d) {
        if (CPoint2dArray* points = m_curve2d->Stroke(static_cast<std::uint32_t>(steps))) {
            sink->AddPoints2d(points->Count(), points->Data());
            delete points;
        }
    }
    if (m_curve3d) {
        if (CPoint3dArray* points = m_curve3d->Stroke(static_cast<std::uint32_t>(steps))) {
            sink->AddPoints3d(points->Count(), points->Data());
            delete points;
        }
    }
}

} // namespace dgn
