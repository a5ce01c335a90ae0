#include "TextNodeElement3d.h"
#include "TextNodeElement2d.h"

#include "DesignFile.h"
#include "Geometry.h"
#include "LittleEndian.h"

#include <new>

namespace dgn {

CTextNodeElement3d::CTextNodeElement3d(CDesignFile* file) : IBodyGraphicElement(file, 7, kPropertyScreen | kProperty3d)
{
    m_flags |= kElementComplexHeader;
}

bool CTextNodeElement3d::ReadBodyV8(CBoundedReader& body)
{
    const std::uint32_t count = body.U32();
    nodeNumber = body.U32();
    font = body.U32();
    maxLength = body.U16();
    justification = body.U16();
    lineSpacing = body.F64();
    lengthMultiplier = body.F64();
    heightMultiplier = body.F64();
    for (double& q : quaternion)
        q = body.F64();
    origin.x = body.F64();
    origin.y = body.F64();
    origin.z = body.F64();
    if (body.IsShort())
        return false;
    SetChildCount(static_cast<std::int32_t>(count));
    return true;
}

void CTextNodeElement3d::PutBody(std::uint8_t** cursor) const
{
    PutU32(cursor, static_cast<std::uint32_t>(ChildCount()));
    PutU32(cursor, nodeNumber);
    PutU32(cursor, font);
    PutU16(cursor, maxLength);
    PutU16(cursor, justification);
    PutF64(cursor, lineSpacing);
    PutF64(cursor, lengthMultiplier);
    PutF64(cursor, heightMultiplier);
    for (double q : quaternion)
        PutF64(cursor, q);
    PutF64(cursor, origin.x);
    PutF64(cursor, origin.y);
    PutF64(cursor, origin.z);
}

IElement* CTextNodeElement3d::Clone(CDesignFile* target, bool removeSource)
{
    CTextNodeElement3d* copy = new (std::nothrow) CTextNodeElement3d(target);
    if (!copy)
        return nullptr;
    copy->nodeNumber = nodeNumber;
    copy->font = font;
    copy->maxLength = maxLength;
    copy->justification = justification;
    copy->lineSpacing = lineSpacing;
    copy->lengthMultiplier = lengthMultiplier;
    copy->heightMultiplier = heightMultiplier;
    for (int i = 0; i < 4; ++i)
        copy->quaternion[i] = quaternion[i];
    copy->origin = origin;
    CopyTo(target, copy, removeSource);
    return copy;
}

void CTextNodeElement3d::Touch()
{
    const double at[3] = {origin.x, origin.y, origin.z};
    ComputeTextNodeRange(this, at, range);
    SetBodySizes();
    IGraphicElement::Touch();
    // The node's own range stands (the graphic Touch finds no geometry of its own without
    // components).
    SetRangeFromBox(range);
}

void CTextNodeElement3d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    ForwardToComponents(context, sink);
}

bool CTextNodeElement3d::Transform(const double matrix[16])
{
    TransformPoint3d(matrix, origin);
    UpdateFlaggedComponents(matrix);
    return true;
}

void CTextNodeElement3d::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "3d Text Node");
    IGraphicElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "Number of entities: %i", static_cast<int>(ChildCount()));
    char line[kLineBuffer];
    FormatPoint3d(origin, "at: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatDistance(lineSpacing, "line spacing: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitLine(callback, kLineBuffer, "rotation: %g, %g, %g, %g", quaternion[0], quaternion[1], quaternion[2], quaternion[3]);
    const char* name = m_designFile ? m_designFile->GetFontName(static_cast<int>(font)) : nullptr;
    EmitLine(callback, kLineBuffer, "font %i: %s, justification: %i, node id: %i", static_cast<int>(font), name ? name : "*unknown*",
             static_cast<int>(justification), static_cast<int>(nodeNumber));
    EmitEnd(callback);
}

} // namespace dgn
