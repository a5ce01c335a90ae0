#include "TextNodeElement2d.h"

#include "DesignFile.h"
#include "EntityIterator.h"
#include "Geometry.h"
#include "LittleEndian.h"
#include "TransformHelper.h"
#include "ValueEncodings.h"

#include <cmath>
#include <new>

namespace dgn {

CTextNodeElement2d::CTextNodeElement2d(CDesignFile* file) : IBodyGraphicElement(file, 7, kPropertyScreen)
{
    m_flags |= kElementComplexHeader;
}

bool CTextNodeElement2d::ReadBodyV8(CBoundedReader& body)
{
    const std::uint32_t count = body.U32();
    nodeNumber = body.U32();
    font = body.U32();
    maxLength = body.U16();
    justification = body.U16();
    lineSpacing = body.F64();
    lengthMultiplier = body.F64();
    heightMultiplier = body.F64();
    angle = body.F64();
    origin.x = body.F64();
    origin.y = body.F64();
    if (body.IsShort())
        return false;
    SetChildCount(static_cast<std::int32_t>(count));
    return true;
}

void CTextNodeElement2d::PutBody(std::uint8_t** cursor) const
{
    PutU32(cursor, static_cast<std::uint32_t>(ChildCount()));
    PutU32(cursor, nodeNumber);
    PutU32(cursor, font);
    PutU16(cursor, maxLength);
    PutU16(cursor, justification);
    PutF64(cursor, lineSpacing);
    PutF64(cursor, lengthMultiplier);
    PutF64(cursor, heightMultiplier);
    PutF64(cursor, angle);
    PutF64(cursor, origin.x);
    PutF64(cursor, origin.y);
}

IElement* CTextNodeElement2d::Clone(CDesignFile* target, bool removeSource)
{
    CTextNodeElement2d* copy = new (std::nothrow) CTextNodeElement2d(target);
    if (!copy)
        return nullptr;
    copy->nodeNumber = nodeNumber;
    copy->font = font;
    copy->maxLength = maxLength;
    copy->justification = justification;
    copy->lineSpacing = lineSpacing;
    copy->lengthMultiplier = lengthMultiplier;
    copy->heightMultiplier = heightMultiplier;
    copy->angle = angle;
    copy->origin = origin;
    CopyTo(target, copy, removeSource);
    return copy;
}

void ComputeTextNodeRange(IGraphicElement* node, const double origin[3], double range[6])
{
    bool components = false;
    if (CEntityIterator* it = node->CreateChildIterator(nullptr)) {
        it->GraphicOnly();
        components = it->Next() != nullptr;
        delete it;
    }
    for (int i = 0; i < 6; ++i)
        range[i] = 0.0;
    if (!components) {
        for (int i = 0; i < 3; ++i) {
            range[i] = origin[i] - std::fabs(0.05 * origin[i]);
            range[3 + i] = origin[i] + std::fabs(0.05 * origin[i]);
        }
    } else if (CTransformHelper* collector = CTransformHelper::Create()) {
        collector->SetDesignFile(node->GetDesignFile());
        node->EmitGeometry(nullptr, collector);
        if (collector->HasRange()) {
            for (int i = 0; i < 6; ++i)
                range[i] = collector->Range()[i];
        }
        delete collector;
    }
}

void CTextNodeElement2d::Touch()
{
    const double at[3] = {origin.x, origin.y, 0.0};
    ComputeTextNodeRange(this, at, range);
    SetBodySizes();
    IGraphicElement::Touch();
    // The node's own range stands (the graphic Touch finds no geometry of its own without
    // components).
    SetRangeFromBox(range);
}

void CTextNodeElement2d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    ForwardToComponents(context, sink);
}

bool CTextNodeElement2d::Transform(const double matrix[16])
{
    TransformPoint2d(matrix, origin);
    UpdateFlaggedComponents(matrix);
    return true;
}

void CTextNodeElement2d::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "2d Text Node");
    IGraphicElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "Number of entities: %i", static_cast<int>(ChildCount()));
    char line[kLineBuffer];
    FormatPoint2d(origin, "at: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatDistance(lineSpacing, "line spacing: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitLine(callback, kLineBuffer, "angle: %g", RadiansToDegrees(angle));
    const char* name = m_designFile ? m_designFile->GetFontName(static_cast<int>(font)) : nullptr;
    EmitLine(callback, kLineBuffer, "font %i: %s, justification: %i, node id: %i", static_cast<int>(font), name ? name : "*unknown*",
             static_cast<int>(justification), static_cast<int>(nodeNumber));
    EmitEnd(callback);
}

} // namespace dgn
