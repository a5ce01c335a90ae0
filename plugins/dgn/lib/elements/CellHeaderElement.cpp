#include "CellHeaderElement.h"

#include "ElementLinkages.h"
#include "EntityIterator.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "TransformHelper.h"
#include "ValueEncodings.h"

#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

constexpr std::uint32_t kNameStringId = 1;
constexpr int kTextType = 17;
// V7 transformation entries are integers scaled by 1/214748.
constexpr double kV7MatrixScale = 1.0 / 214748.0;

bool HasLinkages(const IElement* e)
{
    CElementLinkages* linkages = e->GetAttributes();
    return linkages && linkages->GetTotalSize() > 0;
}

} // namespace

template <int D>
TCellHeaderElement<D>::TCellHeaderElement(CDesignFile* file)
    : IBodyGraphicElement(file, 2, D == 3 ? kProperty3d | kPropertyScreen : kPropertyScreen), m_name(CDgnString::Create())
{
    m_flags |= kElementComplexHeader;
    for (int i = 0; i < D; ++i)
        m_matrix[i * D + i] = 1.0;
}

template <int D>
TCellHeaderElement<D>::~TCellHeaderElement()
{
    delete m_name;
}

template <int D>
bool TCellHeaderElement<D>::ReadBodyV8(CBoundedReader& body)
{
    const std::uint32_t count = body.U32();
    m_class = body.U16();
    m_class2 = body.U16();
    for (int i = 0; i < D; ++i)
        m_cellRange[i] = body.F64();
    for (int i = 0; i < D; ++i)
        m_cellRange[3 + i] = body.F64();
    // Column by column in the record.
    for (int c = 0; c < D; ++c) {
        for (int r = 0; r < D; ++r)
            m_matrix[r * D + c] = body.F64();
    }
    for (double& v : m_origin)
        v = body.F64();
    if (body.IsShort())
        return false;
    SetChildCount(static_cast<std::int32_t>(count));
    m_rangeValid = 1;
    if (m_name && m_attributes)
        m_attributes->GetStringLinkage(kNameStringId, *m_name);
    return true;
}

template <int D>
bool TCellHeaderElement<D>::ReadBodyV7(CV7BodyReader& body)
{
    // The total length counts the components that follow within the loaded file.
    const std::uint8_t* record = body.Position() - kV7GraphicHeaderBytes;
    const std::uint8_t* at = body.Position();
    if (body.Left() < 2)
        return false;
    const std::uint32_t count = CountComplexComponents16(record, &at);
    body.Skip(2);
    const std::uint8_t* name = body.Span(4);
    m_packedName = name && D == 2 ? LoadU32(name) : 0;
    m_class = body.U16();
    m_class2 = 0;
    if (const std::uint8_t* mask = body.Span(8))
        std::memcpy(m_levelMask, mask, sizeof m_levelMask);
    for (int i = 0; i < D; ++i)
        m_cellRange[i] = body.I32();
    for (int i = 0; i < D; ++i)
        m_cellRange[3 + i] = body.I32();
    for (int c = 0; c < D; ++c) {
        for (int r = 0; r < D; ++r)
            m_matrix[r * D + c] = body.I32() * kV7MatrixScale;
    }
    for (double& v : m_origin)
        v = body.I32();
    if (body.IsShort())
        return false;
    m_flags |= kElementComplexHeader;
    SetChildCount(static_cast<std::int32_t>(count));
    m_rangeValid = 1;
    return true;
}

template <int D>
void TCellHeaderElement<D>::PutBody(std::uint8_t** cursor) const
{
    PutU32(cursor, static_cast<std::uint32_t>(ChildCount()));
    PutU16(cursor, m_class);
    PutU16(cursor, m_class2);
    for (int i = 0; i < D; ++i)
        PutF64(cursor, m_cellRange[i]);
    for (int i = 0; i < D; ++i)
        PutF64(cursor, m_cellRange[3 + i]);
    for (int c = 0; c < D; ++c) {
        for (int r = 0; r < D; ++r)
            PutF64(cursor, m_matrix[r * D + c]);
    }
    for (double v : m_origin)
        PutF64(cursor, v);
}

template <int D>
IElement* TCellHeaderElement<D>::CloneInto(TCellHeaderElement* copy, CDesignFile* target, bool removeSource)
{
    CDgnString* name = m_name ? m_name->Clone() : nullptr;
    if (!copy || !name) {
        delete name;
        delete copy;
        return nullptr;
    }
    delete copy->m_name;
    copy->m_name = name;
    CopyTo(target, copy, removeSource);
    copy->m_class = m_class;
    copy->m_class2 = m_class2;
    for (int i = 0; i < 6; ++i)
        copy->m_cellRange[i] = m_cellRange[i];
    copy->m_rangeValid = m_rangeValid;
    for (int i = 0; i < D * D; ++i)
        copy->m_matrix[i] = m_matrix[i];
    for (int i = 0; i < D; ++i)
        copy->m_origin[i] = m_origin[i];
    copy->Touch();
    return copy;
}

template <int D>
void TCellHeaderElement<D>::Touch()
{
    if (m_name && m_attributes)
        m_attributes->SetStringLinkage(kNameStringId, *m_name);
    SetBodySizes();
    ComputeRangeFromComponents();
    IGraphicElement::Touch();
}

template <int D>
const double* TCellHeaderElement<D>::ComputeRangeFromComponents()
{
    if (CTransformHelper* collector = CTransformHelper::Create()) {
        collector->SetDesignFile(m_designFile);
        EmitGeometry(nullptr, collector);
        const double* r = collector->Range();
        for (int i = 0; i < 6; ++i)
            m_cellRange[i] = collector->HasRange() ? r[i] : 0.0;
        if (D == 2) {
            m_cellRange[2] = 0.0;
            m_cellRange[5] = 0.0;
        }
        m_rangeValid = collector->HasRange() ? 1 : 0;
        delete collector;
    }
    return m_cellRange;
}

template <int D>
void TCellHeaderElement<D>::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    sink->SetDesignFile(m_designFile);
    ApplySymbologyTo(context, sink);
    // The fill of a cell with a hole: the linkages of its last component that has some, unless
    // the cell has its own; a text among the components leaves the cell unfilled.
    IGraphicElement* filler = nullptr;
    bool hole = false;
    if (CEntityIterator* it = CreateChildIterator(nullptr)) {
        while (IEntity* e = it->Next()) {
            IElement* component = dynamic_cast<IElement*>(e);
            if (!component || !(component->GetFlags() & kElementGraphic))
                continue;
            if (component->GetType() == kTextType) {
                filler = nullptr;
                hole = false;
                break;
            }
            IGraphicElement* graphic = dynamic_cast<IGraphicElement*>(component);
            if (graphic && (graphic->GetProperties() & kPropertyHole))
                hole = true;
            if (graphic && HasLinkages(component) && !HasLinkages(this))
                filler = graphic;
        }
        delete it;
    }
    const CFillInfo* fill = hole && filler ? filler->GetFillInfo() : nullptr;
    if (fill)
        sink->BeginFill(fill);
    ForwardToComponents(context, sink);
    if (fill)
        sink->EndFill(fill);
}

template <int D>
bool TCellHeaderElement<D>::Transform(const double matrix[16])
{
    UpdateFlaggedComponents(matrix);
    return true;
}

template <int D>
bool TCellHeaderElement<D>::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    if (selector != 0)
        return false;
    *out = {m_origin[0], m_origin[1], D == 3 ? m_origin[D - 1] : 0.0};
    return true;
}

template <int D>
void TCellHeaderElement<D>::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, D == 3 ? "3d Cell Header (non-shared)" : "2d Cell Header (non-shared)");
    IGraphicElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "Nr. elements: %i, Class:%i", static_cast<int>(ChildCount()), static_cast<int>(m_class));
    if (m_name && m_name->IsWide()) {
        std::u16string wide(static_cast<std::size_t>(m_name->CharCount()) + 1, u'\0');
        m_name->CopyToWide(&wide[0]);
        wide.resize(m_name->CharCount());
        EmitWideLine(callback, kLineBuffer, u"Name: " + wide);
    } else {
        std::string narrow(m_name ? static_cast<std::size_t>(m_name->CharCount()) + 1 : 1, '\0');
        if (m_name)
            m_name->CopyToAnsi(&narrow[0]);
        EmitLine(callback, kLineBuffer, "Name: %s", narrow.c_str());
    }
    EmitEnd(callback);
}

template class TCellHeaderElement<2>;
template class TCellHeaderElement<3>;

IElement* CCellHeaderElement2d::Clone(CDesignFile* target, bool removeSource)
{
    return CloneInto(new (std::nothrow) CCellHeaderElement2d(target), target, removeSource);
}

IElement* CCellHeaderElement3d::Clone(CDesignFile* target, bool removeSource)
{
    return CloneInto(new (std::nothrow) CCellHeaderElement3d(target), target, removeSource);
}

} // namespace dgn
