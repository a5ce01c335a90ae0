#include "ComplexElements.h"

#include "GeometrySink.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"

#include <new>

namespace dgn {

namespace {

constexpr int kComplexShapeType = 14;

} // namespace

CComplexElement::CComplexElement(CDesignFile* file, int type, std::uint16_t properties) : IBodyGraphicElement(file, type, properties)
{
    m_flags |= kElementComplexHeader;
}

bool CComplexElement::ReadBodyV8(CBoundedReader& body)
{
    const std::uint32_t count = body.U32();
    m_secondWord = body.U32();
    if (body.IsShort())
        return false;
    SetChildCount(static_cast<std::int32_t>(count));
    return true;
}

bool CComplexElement::ReadBodyV7(CV7BodyReader& body)
{
    // The word count after the display header spans the component records that follow; a span
    // past the end of the loaded file counts none.
    const std::uint8_t* record = body.Position() - kV7GraphicHeaderBytes;
    const std::uint8_t* at = body.Position();
    if (body.Left() < 2)
        return false;
    const std::uint32_t count = CountComplexComponents16(record, &at);
    m_flags |= kElementComplexHeader;
    SetChildCount(static_cast<std::int32_t>(count));
    return true;
}

void CComplexElement::PutBody(std::uint8_t** cursor) const
{
    PutU32(cursor, static_cast<std::uint32_t>(ChildCount()));
    PutU32(cursor, m_secondWord);
}

void CComplexElement::AfterRead()
{
    if (GetType() == kComplexShapeType)
        RebuildFillInfo();
}

IElement* CComplexElement::CloneInto(CComplexElement* copy, CDesignFile* target, bool removeSource)
{
    if (!copy)
        return nullptr;
    copy->m_secondWord = m_secondWord;
    CopyTo(target, copy, removeSource);
    return copy;
}

void CComplexElement::Touch()
{
    SetBodySizes();
    IGraphicElement::Touch();
}

void CComplexElement::Describe(LineCallback callback)
{
    const bool shape = GetType() == kComplexShapeType;
    EmitLine(callback, kLineBuffer, shape ? "Complex Polygon" : "Complex Path (String)");
    IGraphicElement::Describe(callback);
    if (shape)
        EmitLine(callback, kLineBuffer, "Nr. elements: %i", static_cast<int>(ChildCount()));
    else
        EmitLine(callback, 128, "Number of elements: %i", static_cast<int>(ChildCount()));
    EmitEnd(callback);
}

void CComplexElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    const CFillInfo* fill = GetType() == kComplexShapeType ? GetFillInfo() : nullptr;
    if (fill)
        sink->BeginFill(fill);
    ForwardToComponents(context, sink);
    if (fill)
        sink->EndFill(fill);
}

bool CComplexElement::Transform(const double matrix[16])
{
    UpdateFlaggedComponents(matrix);
    return true;
}

IElement* CComplexChainElement::Clone(CDesignFile* target, bool removeSource)
{
    return CloneInto(new (std::nothrow) CComplexChainElement(target), target, removeSource);
}

IElement* CComplexShapeElement::Clone(CDesignFile* target, bool removeSource)
{
    return CloneInto(new (std::nothrow) CComplexShapeElement(target), target, removeSource);
}

// ---------------------------------------------------------------------------------------------
// Complex surface and solid headers

CComplexSurfaceSolidElement::CComplexSurfaceSolidElement(CDesignFile* file, int type) : CComplexElement(file, type, kPropertyScreen | kProperty3d) {}

bool CComplexSurfaceSolidElement::ReadBodyV8(CBoundedReader& body)
{
    if (!CComplexElement::ReadBodyV8(body))
        return false;
    m_kind = body.U16();
    for (std::uint16_t& p : m_parameters)
        p = body.U16();
    return !body.IsShort();
}

bool CComplexSurfaceSolidElement::ReadBodyV7(CV7BodyReader& body)
{
    if (!CComplexElement::ReadBodyV7(body))
        return false;
    body.Skip(2);
    m_secondWord = body.U16();
    m_kind = body.U8();
    // The parameters stand at odd offsets.
    for (std::uint16_t& p : m_parameters)
        p = body.U16();
    return !body.IsShort();
}

void CComplexSurfaceSolidElement::PutBody(std::uint8_t** cursor) const
{
    CComplexElement::PutBody(cursor);
    PutU16(cursor, m_kind);
    for (std::uint16_t p : m_parameters)
        PutU16(cursor, p);
}

void CComplexSurfaceSolidElement::Touch()
{
    SetBodySizes();
    IElement::Touch();
}

void CComplexSurfaceSolidElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, GetType() == 18 ? "Complex Surface Header - Nr elements: %i" : "Complex Solid Header - Nr elements: %i",
             static_cast<int>(ChildCount()));
    EmitEnd(callback);
}

IElement* CComplexSurfaceSolidElement::CloneSurfaceInto(CComplexSurfaceSolidElement* copy, CDesignFile* target, bool removeSource)
{
    if (!copy)
        return nullptr;
    copy->m_kind = m_kind;
    for (int i = 0; i < 3; ++i)
        copy->m_parameters[i] = m_parameters[i];
    return CloneInto(copy, target, removeSource);
}

IElement* CComplexSurfaceHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    return CloneSurfaceInto(new (std::nothrow) CComplexSurfaceHeaderElement(target), target, removeSource);
}

IElement* CComplexSolidHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    return CloneSurfaceInto(new (std::nothrow) CComplexSolidHeaderElement(target), target, removeSource);
}

} // namespace dgn
