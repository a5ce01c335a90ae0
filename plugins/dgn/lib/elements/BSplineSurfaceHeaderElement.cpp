#include "BSplineSurfaceHeaderElement.h"

#include "DoubleArray.h"
#include "EntityIterator.h"
#include "ItemArray.h"
#include "LittleEndian.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "ValueEncodings.h"
#include "elements/BSplineCurveHeaderElement.h"
#include "elements/BSplinePoleElement3d.h"
#include "elements/BSplineSurfaceBoundaryElement.h"
#include "elements/BSplineValuesElement.h"
#include "nurbs/NurbSurf.h"
#include "nurbs/NurbsBasis.h"

#include <new>
#include <vector>

namespace dgn {

namespace {

constexpr std::uint16_t kSurfaceHeaderType = 24;
constexpr std::uint16_t kPoleType = 21;
constexpr std::uint16_t kBoundaryType = 25;
constexpr std::uint16_t kKnotType = 26;
constexpr std::uint16_t kWeightType = 28;
constexpr std::uint32_t kOrderMask = 0x1F;
constexpr std::uint32_t kUClosed = 0x100;
constexpr std::uint32_t kVClosed = 0x40;
constexpr std::uint32_t kFullKnots = 0x8000000;
constexpr std::uint32_t kBodyBytes = 40;
// Rule lines drawn in a direction: a damaged count asks for no more than this.
constexpr std::uint32_t kMaxRules = 1024;
constexpr std::uint32_t kPointBlock = 64;
enum Word { kUFlags, kUPoles, kUKnots, kURules, kVFlags, kVPoles, kVKnots, kVRules, kNinth };

std::uint32_t Rules(std::uint32_t stated) { return stated < 1 ? 1 : (stated > kMaxRules ? kMaxRules : stated); }

struct PoleXyzw {
    double v[4];
};

} // namespace

CBSplineSurfaceHeaderElement::CBSplineSurfaceHeaderElement(CDesignFile* file) : CGraphicBodyElement(file)
{
    m_type = kSurfaceHeaderType;
    m_flags |= kElementGraphic | kElementComplexHeader;
    m_properties |= kPropertyScreen;
}

CBSplineSurfaceHeaderElement::~CBSplineSurfaceHeaderElement() { delete m_surface; }

int CBSplineSurfaceHeaderElement::GetType() const { return kSurfaceHeaderType; }
std::int32_t CBSplineSurfaceHeaderElement::GetEffectiveUPoles() const { return m_effectiveU; }
std::int32_t CBSplineSurfaceHeaderElement::GetEffectiveVPoles() const { return m_effectiveV; }

void CBSplineSurfaceHeaderElement::GetSurfaceTables(std::uint32_t* count, CPoint2dArray* const** table, const std::uint8_t** flags) const
{
    *count = m_boundaryCount;
    *table = m_boundaries;
    *flags = m_boundaryFlags;
}

IElement* CBSplineSurfaceHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    CBSplineSurfaceHeaderElement* copy = new (std::nothrow) CBSplineSurfaceHeaderElement(target ? target : m_designFile);
    if (!copy)
        return nullptr;
    CopyTo(target, copy, removeSource);
    for (int i = 0; i < 9; ++i)
        copy->m_words[i] = m_words[i];
    copy->m_effectiveU = m_effectiveU;
    copy->m_effectiveV = m_effectiveV;
    return copy;
}

bool CBSplineSurfaceHeaderElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        SetChildCount(r.I32());
        for (std::uint32_t& w : m_words)
            w = r.U32();
        return true; // fields the body lacks read as 0
    });
}

bool CBSplineSurfaceHeaderElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = ReadV7ComplexHeader(cursor, length, kV7GraphicHeaderBytes + 4 + 18);
    if (!n)
        return false;
    const std::uint8_t* p = record + kV7GraphicHeaderBytes + 4;
    const std::uint8_t u = p[0];
    m_words[kUFlags] = (u & 0x0Fu) | ((u & 0x10) ? 0x20u : 0u) | ((u & 0x20) ? 0x40u : 0u) | ((u & 0x40) ? 0x80u : 0u) |
                       ((u & 0x80) ? 0x100u : 0u) | (static_cast<std::uint32_t>(p[1]) << 9);
    m_words[kUPoles] = LoadU16(p + 2);
    m_words[kUKnots] = LoadU16(p + 4);
    m_words[kURules] = LoadU16(p + 6);
    const std::uint8_t v = p[8];
    m_words[kVFlags] = (v & 0x0Fu) | ((v & 0x80) ? 0x40u : 0u) | (v & 0x20u);
    m_words[kVPoles] = LoadU16(p + 10);
    m_words[kVKnots] = LoadU16(p + 12);
    m_words[kVRules] = LoadU16(p + 14);
    m_words[kNinth] = LoadU16(p + 16);
    *cursor = record + n;
    return true;
}

void CBSplineSurfaceHeaderElement::Touch()
{
    // The range stays as read: drawing a surface for it would build the surface on every touch.
    SetGraphicBodySizes(kBodyBytes);
    IElement::Touch();
}

std::uint32_t CBSplineSurfaceHeaderElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t body[kBodyBytes];
    std::uint8_t* p = body;
    PutU32(&p, static_cast<std::uint32_t>(ChildCount()));
    for (std::uint32_t w : m_words)
        PutU32(&p, w);
    return WriteGraphicBodyRecord(cursor, body, kBodyBytes);
}

void CBSplineSurfaceHeaderElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Complex BSpline Surface Header - #elements: %i", ChildCount());
    IGraphicElement::Describe(callback);
    const std::uint32_t* w = m_words;
    EmitLine(callback, kLineBuffer, "U flags: 0x%.8x, U order: %i  U poles: %i, U knots: %i, U rules: %i, closed(%i)", w[kUFlags],
             static_cast<int>(w[kUFlags] & kOrderMask) + 2, static_cast<int>(w[kUPoles]), static_cast<int>(w[kUKnots]),
             static_cast<int>(w[kURules]), static_cast<int>((w[kUFlags] >> 8) & 1));
    EmitLine(callback, kLineBuffer, "V flags: 0x%.8x, V order: %i  V poles: %i, V knots: %i, V rules: %i, closed(%i)", w[kVFlags],
             static_cast<int>(w[kVFlags] & kOrderMask) + 2, static_cast<int>(w[kVPoles]), static_cast<int>(w[kVKnots]),
             static_cast<int>(w[kVRules]), static_cast<int>((w[kVFlags] >> 6) & 1));
    EmitLine(callback, kLineBuffer, (w[kUFlags] & kFullKnots) ? "store full knots = true" : "store full knots = false");
    if (m_surface)
        m_surface->Dump(callback);
    else
        EmitLine(callback, kLineBuffer, "hNSurf was NULL for this BSplineSurf entity");
    EmitEnd(callback);
}

bool CBSplineSurfaceHeaderElement::Transform(const double matrix[16])
{
    UpdateFlaggedComponents(matrix);
    delete m_surface;
    m_surface = nullptr;
    return true;
}

void CBSplineSurfaceHeaderElement::BuildSurface()
{
    delete m_surface;
    m_surface = nullptr;
    m_boundaryCount = 0;
    const int du = static_cast<int>(m_words[kUFlags] & kOrderMask) + 1;
    const int dv = static_cast<int>(m_words[kVFlags] & kOrderMask) + 1;
    const bool closedU = (m_words[kUFlags] & kUClosed) != 0;
    const bool closedV = (m_words[kVFlags] & kVClosed) != 0;
    const std::uint32_t polesU = m_words[kUPoles], polesV = m_words[kVPoles];
    m_effectiveU = static_cast<std::int32_t>(polesU) + (closedU ? du : 0);
    m_effectiveV = static_cast<std::int32_t>(polesV) + (closedV ? dv : 0);
    if (!IsEvaluableNurbs(du, closedU, m_effectiveU) || !IsEvaluableNurbs(dv, closedV, m_effectiveV))
        return;
    const std::uint32_t rowSize = static_cast<std::uint32_t>(m_effectiveU);
    if (static_cast<std::uint64_t>(rowSize) * static_cast<std::uint32_t>(m_effectiveV) > 0x1000000)
        return;
    CItemArray* points = CItemArray::Create(sizeof(PoleXyzw), kPointBlock, sizeof(double));
    CDoubleArray* knots[2] = {CDoubleArray::Create(), CDoubleArray::Create()};
    bool ok = points && knots[0] && knots[1] && points->Reserve(rowSize * static_cast<std::uint32_t>(m_effectiveV));
    std::uint32_t rows = 0, knotVectors = 0;
    bool rational = false;
    // Where each row's U poles came from in its pole list (the repeated ones of a closed U).
    std::vector<std::uint32_t> source;
    CEntityIterator* it = ok ? CreateChildIterator(nullptr) : nullptr;
    ok = ok && it;
    while (ok) {
        IEntity* e = it->Next();
        if (!e)
            break;
        const int type = e->GetType();
        if (type == kPoleType) {
            auto* row = dynamic_cast<CBSplinePoleElement3d*>(e);
            const CPoint3dArray* v = row ? row->GetPoints() : nullptr;
            if (rows >= polesV)
                continue; // rows beyond the count are not the surface's
            // A row shorter than the U poles would leave the surface reading past its poles.
            if (!v || v->Count() < polesU) {
                ok = false;
                break;
            }
            const bool seam = polesU > 1 && v->At(polesU - 1)->x == v->At(0)->x && v->At(polesU - 1)->y == v->At(0)->y &&
                              v->At(polesU - 1)->z == v->At(0)->z;
            source.clear();
            for (std::uint32_t i = 0; i < polesU; ++i)
                source.push_back(i);
            for (int i = 0; closedU && i < du; ++i)
                source.push_back((static_cast<std::uint32_t>(i) + (seam ? 1 : 0)) % polesU);
            for (std::uint32_t i : source) {
                const Point3d* p = v->At(i);
                const PoleXyzw pole = {{p->x, p->y, p->z, 1.0}};
                if (!points->AppendItems(&pole, 1)) {
                    ok = false;
                    break;
                }
            }
            ++rows;
        } else if (type == kWeightType && rows) {
            auto* weights = dynamic_cast<CBSplineValuesElement*>(e);
            const CDoubleArray* w = weights ? weights->GetValues() : nullptr;
            rational = true;
            // The weights of the last row read; missing ones stay 1.0.
            for (std::uint32_t k = 0; w && k < source.size(); ++k) {
                if (source[k] < w->GetCount())
                    reinterpret_cast<PoleXyzw*>(points->ItemAt((rows - 1) * rowSize + k))->v[3] = w->GetAt(source[k]);
            }
        } else if (type == kKnotType && knotVectors < 2) {
            // The first knot component is U's, the second V's.
            auto* k = dynamic_cast<CBSplineValuesElement*>(e);
            if (k && k->GetValues() && !knots[knotVectors]->Assign(*k->GetValues()))
                ok = false;
            ++knotVectors;
        } else if (type == kBoundaryType && m_boundaryCount < kMaxSurfaceBoundaries) {
            if (auto* b = dynamic_cast<CBSplineSurfaceBoundaryElement*>(e)) {
                m_boundaries[m_boundaryCount] = b->GetBoundaryPoints();
                m_boundaryFlags[m_boundaryCount] = b->GetBoundaryFlag() ? 1 : 0;
                ++m_boundaryCount;
            }
        }
    }
    delete it;
    ok = ok && rows == polesV;
    // A closed V repeats its first rows.
    for (int r = 0; ok && closedV && r < dv; ++r) {
        const std::uint32_t from = (static_cast<std::uint32_t>(r) % polesV) * rowSize;
        for (std::uint32_t i = 0; ok && i < rowSize; ++i) {
            const PoleXyzw pole = *reinterpret_cast<const PoleXyzw*>(points->ItemAt(from + i));
            ok = points->AppendItems(&pole, 1) != nullptr;
        }
    }
    // Stored knots: U's as the curves take them; a closed direction makes its own periodic
    // vector. A vector of any other length is replaced by the surface's own.
    const bool closed[2] = {closedU, closedV};
    const int degree[2] = {du, dv};
    const std::int32_t effective[2] = {m_effectiveU, m_effectiveV};
    for (int d = 0; ok && d < 2; ++d) {
        if (!knotVectors || d >= static_cast<int>(knotVectors) || closed[d] || !knots[d]->GetCount()) {
            delete knots[d];
            knots[d] = nullptr;
            continue;
        }
        if (!(m_words[kUFlags] & kFullKnots)) {
            const double zero = 0.0, one = 1.0;
            for (int i = 0; ok && i <= degree[d]; ++i)
                ok = knots[d]->Insert(&zero, 1, 0) && knots[d]->Append(&one, 1);
        }
        ok = ok && ClampKnotVector(knots[d], degree[d], static_cast<std::uint32_t>(effective[d]));
    }
    if (!ok) {
        delete points;
        delete knots[0];
        delete knots[1];
        m_boundaryCount = 0;
        return;
    }
    m_surface = CGNurbSurf::Create(du, closedU, m_effectiveU, knots[0], dv, closedV, m_effectiveV, knots[1], points, rational);
}

void CBSplineSurfaceHeaderElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    (void)context;
    if (sink->Kind() == 2) {
        CEntityIterator* it = CreateChildIterator(nullptr);
        if (!it)
            return;
        while (IEntity* e = it->Next()) {
            auto* row = e->GetType() == kPoleType ? dynamic_cast<CBSplinePoleElement3d*>(e) : nullptr;
            if (row && row->GetPoints() && row->GetPoints()->Count())
                sink->AddPoints3d(row->GetPoints()->Count(), row->GetPoints()->Data());
        }
        delete it;
        return;
    }
    BuildSurface();
    sink->SetColor(m_color);
    sink->SetWeight(m_weight);
    sink->SetLineStyle(m_lineStyle);
    if (!m_surface)
        return;
    const std::uint32_t rules[2] = {Rules(m_words[kURules]), Rules(m_words[kVRules])};
    const bool closes[2] = {(m_words[kUFlags] & kUClosed) != 0, (m_words[kVFlags] & kVClosed) != 0};
    CPoint3dArray* line = CPoint3dArray::Create();
    if (!line)
        return;
    // First family: curves at s = i / U rules, points at t = j / V rules (u = t, v = s); second
    // family with the parameters and rule counts exchanged (u = s, v = t).
    for (int family = 0; family < 2; ++family) {
        const std::uint32_t curves = rules[family], points = rules[1 - family];
        for (std::uint32_t i = 0; i < curves; ++i) {
            const double s = static_cast<double>(i) / curves;
            const std::uint32_t n = points + (closes[family] ? 1 : 0);
            if (!line->Resize(n))
                break;
            for (std::uint32_t j = 0; j < n; ++j) {
                const double t = j < points ? static_cast<double>(j) / points : 0.0;
                if (family == 0)
                    m_surface->Evaluate(t, s, line->At(j));
                else
                    m_surface->Evaluate(s, t, line->At(j));
            }
            sink->AddPoints3d(n, line->Data());
        }
    }
    delete line;
}

void CBSplineSurfaceHeaderElement::EmitFacets(CEntityIterator* context, IGeometrySink* sink)
{
    BuildSurface();
    ApplySymbologyTo(context, sink);
    if (!m_surface)
        return;
    const std::uint32_t nu = Rules(m_words[kVRules]), nv = Rules(m_words[kURules]);
    const bool closedU = (m_words[kUFlags] & kUClosed) != 0, closedV = (m_words[kVFlags] & kVClosed) != 0;
    CFillInfo* fill = GetFillInfo();
    if (fill)
        sink->BeginFill(fill);
    auto wrap = [](double t, bool closed) { return closed && t >= 1.0 ? t - 1.0 : t; };
    for (std::uint32_t j = 0; j < nv; ++j) {
        const double v0 = static_cast<double>(j) / nv, v1 = static_cast<double>(j + 1) / nv;
        for (std::uint32_t i = 0; i < nu; ++i) {
            const double u0 = static_cast<double>(i) / nu, u1 = static_cast<double>(i + 1) / nu;
            Point3d q[4];
            m_surface->Evaluate(u0, v0, &q[0]);
            m_surface->Evaluate(wrap(u1, closedU), v0, &q[1]);
            m_surface->Evaluate(wrap(u1, closedU), wrap(v1, closedV), &q[2]);
            m_surface->Evaluate(u0, wrap(v1, closedV), &q[3]);
            sink->AddPolygon3d(4, q);
        }
    }
    if (fill)
        sink->EndFill(fill);
}

} // namespace dgn
