#include "TextNodeElement2d.h"

#include "DesignFile.h"
#include "EntityIterator.h"
#include "Geometry.h"
#include "LittleEndian.h"
#include "TransformHelper.h"
#include "ValueEncodings.h"

#include <cmath>
#include <cstdio>
#include <new>

namespace dgn {

CTextNodeElement::CTextNodeElement(CDesignFile* file, std::uint16_t properties) : IBodyGraphicElement(file, 7, properties)
{
    m_flags |= kElementComplexHeader;
}

bool CTextNodeElement::ReadBodyV8(CBoundedReader& body)
{
    const std::uint32_t count = body.U32();
    nodeNumber = body.U32();
    font = body.U32();
    maxLength = body.U16();
    justification = body.U16();
    lineSpacing = body.F64();
    lengthMultiplier = body.F64();
    heightMultiplier = body.F64();
    ReadPlacement(body);
    if (body.IsShort())
        return false;
    SetChildCount(static_cast<std::int32_t>(count));
    return true;
}

void CTextNodeElement::PutBody(std::uint8_t** cursor) const
{
    PutU32(cursor, static_cast<std::uint32_t>(ChildCount()));
    PutU32(cursor, nodeNumber);
    PutU32(cursor, font);
    PutU16(cursor, maxLength);
    PutU16(cursor, justification);
    PutF64(cursor, lineSpacing);
    PutF64(cursor, lengthMultiplier);
    PutF64(cursor, heightMultiplier);
    PutPlacement(cursor);
}

IElement* CTextNodeElement::FinishClone(CTextNodeElement* copy, CDesignFile* target, bool removeSource)
{
    if (!copy)
        return nullptr;
    copy->nodeNumber = nodeNumber;
    copy->font = font;
    copy->maxLength = maxLength;
    copy->justification = justification;
    copy->lineSpacing = lineSpacing;
    copy->lengthMultiplier = lengthMultiplier;
    copy->heightMultiplier = heightMultiplier;
    CopyTo(target, copy, removeSource);
    return copy;
}

void CTextNodeElement::Touch()
{
    double origin[3];
    GetOrigin(origin);
    bool components = false;
    if (CEntityIterator* it = CreateChildIterator(nullptr)) {
        it->GraphicOnly();
        components = it->Next() != nullptr;
        delete it;
    }
    for (double& v : range)
        v = 0.0;
    if (!components) {
        for (int i = 0; i < 3; ++i) {
            range[i] = origin[i] - std::fabs(0.05 * origin[i]);
            range[3 + i] = origin[i] + std::fabs(0.05 * origin[i]);
        }
    } else if (CTransformHelper* collector = CTransformHelper::Create()) {
        collector->SetDesignFile(m_designFile);
        EmitGeometry(nullptr, collector);
        if (collector->HasRange()) {
            for (int i = 0; i < 6; ++i)
                range[i] = collector->Range()[i];
        }
        delete collector;
    }
    SetBodySizes();
    IGraphicElement::Touch();
    // The node's own range stands (the graphic Touch finds no geometry of its own without
    // components).
    SetRangeFromBox(range);
}

void CTextNodeElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    ForwardToComponents(context, sink);
}

void CTextNodeElement::DescribeNode(LineCallback callback, const char* title, const char* origin, const char* placement)
{
    EmitLine(callback, kLineBuffer, "%s", title);
    IGraphicElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "Number of entities: %i", static_cast<int>(ChildCount()));
    EmitLine(callback, kLineBuffer, "%s", origin);
    char line[kLineBuffer];
    FormatDistance(lineSpacing, "line spacing: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitLine(callback, kLineBuffer, "%s", placement);
    const char* name = m_designFile ? m_designFile->GetFontName(static_cast<int>(font)) : nullptr;
    EmitLine(callback, kLineBuffer, "font %i: %s, justification: %i, node id: %i", static_cast<int>(font), name ? name : "*unknown*",
             static_cast<int>(justification), static_cast<int>(nodeNumber));
    EmitEnd(callback);
}

CTextNodeElement2d::CTextNodeElement2d(CDesignFile* file) : CTextNodeElement(file, kPropertyScreen) {}

void CTextNodeElement2d::ReadPlacement(CBoundedReader& body)
{
    angle = body.F64();
    origin.x = body.F64();
    origin.y = body.F64();
}

void CTextNodeElement2d::PutPlacement(std::uint8_t** cursor) const
{
    PutF64(cursor, angle);
    PutF64(cursor, origin.x);
    PutF64(cursor, origin.y);
}

void CTextNodeElement2d::GetOrigin(double out[3]) const
{
    out[0] = origin.x;
    out[1] = origin.y;
    out[2] = 0.0;
}

IElement* CTextNodeElement2d::Clone(CDesignFile* target, bool removeSource)
{
    CTextNodeElement2d* copy = new (std::nothrow) CTextNodeElement2d(target);
    if (copy) {
        copy->angle = angle;
        copy->origin = origin;
    }
    return FinishClone(copy, target, removeSource);
}

bool CTextNodeElement2d::Transform(const double matrix[16])
{
    TransformPoint2d(matrix, origin);
    UpdateFlaggedComponents(matrix);
    return true;
}

void CTextNodeElement2d::Describe(LineCallback callback)
{
    char at[kLineBuffer];
    char placement[kLineBuffer];
    FormatPoint2d(origin, "at: ", at);
    std::snprintf(placement, sizeof placement, "angle: %g", RadiansToDegrees(angle));
    DescribeNode(callback, "2d Text Node", at, placement);
}

} // namespace dgn
