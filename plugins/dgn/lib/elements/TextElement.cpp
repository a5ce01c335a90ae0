#include "TextElement.h"

#include "DesignFile.h"
#include "DgnStringFunctions.h"
#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "PlacementTransforms.h"
#include "ValueEncodings.h"
#include "fonts/Font.h"
#include "linkages/TextStyleLinkage.h"

#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

// The multipliers of a new text: a height of 5000 design units at the factor 0.006 that turns
// a multiplier into design units.
constexpr double kMultiplierToUnits = 0.006;
constexpr double kDefaultMultiplier = 5000.0 / kMultiplierToUnits;
constexpr double kDefaultHeight = 5000.0;
constexpr std::uint16_t kDefaultJustification = 2;
constexpr std::uint32_t kFieldBytes = 3;

// The orientation and origin, which differ between the two kinds.
void ReadPlacementV8(CBoundedReader& r, TextParams2d& p)
{
    p.angle = r.F64();
    p.origin.x = r.F64();
    p.origin.y = r.F64();
}

void ReadPlacementV8(CBoundedReader& r, TextParams3d& p)
{
    for (double& v : p.q)
        v = r.F64();
    p.origin.x = r.F64();
    p.origin.y = r.F64();
    p.origin.z = r.F64();
}

void ReadPlacementV7(CV7BodyReader& r, TextParams2d& p)
{
    p.angle = r.Angle();
    p.origin.x = r.I32();
    p.origin.y = r.I32();
}

void ReadPlacementV7(CV7BodyReader& r, TextParams3d& p)
{
    r.Quaternion(p.q);
    p.origin.x = r.I32();
    p.origin.y = r.I32();
    p.origin.z = r.I32();
}

void PutPlacement(std::uint8_t** c, const TextParams2d& p)
{
    PutF64(c, p.angle);
    PutF64(c, p.origin.x);
    PutF64(c, p.origin.y);
}

void PutPlacement(std::uint8_t** c, const TextParams3d& p)
{
    for (double v : p.q)
        PutF64(c, v);
    PutF64(c, p.origin.x);
    PutF64(c, p.origin.y);
    PutF64(c, p.origin.z);
}

constexpr std::uint32_t PlacementBytes(const TextParams2d*) { return 24; }
constexpr std::uint32_t PlacementBytes(const TextParams3d*) { return 56; }

void InitOrientation(TextParams2d&) {}
void InitOrientation(TextParams3d& p) { p.q[0] = 1.0; }

void TransformParams(const double m[16], TextParams2d& p) { TransformPlacement2d(m, p.height, p.angle, p.origin); }
void TransformParams(const double m[16], TextParams3d& p) { TransformPlacement3d(m, p.height, p.q, p.origin); }

double Width(CFont* font, const TextParams2d* p, const std::uint8_t* text) { return font->Width2d(nullptr, p, text); }
double Width(CFont* font, const TextParams3d* p, const std::uint8_t* text) { return font->Width3d(nullptr, p, text); }

void EmitText(IGeometrySink* sink, const TextParams2d* p, const std::uint8_t* text, std::uint16_t) { sink->AddText2d(p, text, 0); }

// Screen-oriented 3-D text switches a GDI sink's screen mode around its output.
void EmitText(IGeometrySink* sink, const TextParams3d* p, const std::uint8_t* text, std::uint16_t properties)
{
    const bool screen = (properties & kPropertyScreen) && sink->Kind() == 1;
    if (screen)
        sink->SetScreenMode(1);
    sink->AddText3d(p, text, 0);
    if (screen)
        sink->SetScreenMode(0);
}

void DescribePlacement(IElement* e, LineCallback callback, const TextParams2d& p)
{
    char line[kLineBuffer];
    e->FormatPoint2d(p.origin, "at: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    e->FormatDistance(p.height, "height: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    e->FormatDistance(p.length, "length: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitLine(callback, kLineBuffer, "angle: %g", RadiansToDegrees(p.angle));
}

void DescribePlacement(IElement* e, LineCallback callback, const TextParams3d& p)
{
    char line[kLineBuffer];
    e->FormatPoint3d(p.origin, "at: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    e->FormatDistance(p.height, "height: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    e->FormatDistance(p.length, "length: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitLine(callback, kLineBuffer, "rotation: %g, %g, %g, %g", p.q[0], p.q[1], p.q[2], p.q[3]);
}

constexpr const char* Title(const TextParams2d*) { return "2d Text"; }
constexpr const char* Title(const TextParams3d*) { return "3d Text"; }

} // namespace

template <class Params>
constexpr std::uint32_t TTextElement<Params>::FixedBytes()
{
    // Font, justification, byte count, four doubles, the placement, the field count.
    return 8 + 32 + PlacementBytes(static_cast<const Params*>(nullptr)) + 2;
}

template <class Params>
TTextElement<Params>::TTextElement(CDesignFile* file, std::uint16_t properties)
    : IBodyGraphicElement(file, 17, properties), m_text(CDgnString::Create()), m_fields(CByteArray::NewDefault())
{
    m_params.justification = kDefaultJustification;
    m_params.lengthMultiplier = kDefaultMultiplier;
    m_params.heightMultiplier = kDefaultMultiplier;
    m_params.height = kDefaultHeight;
    InitOrientation(m_params);
}

template <class Params>
TTextElement<Params>::~TTextElement()
{
    delete m_text;
    delete m_fields;
}

template <class Params>
bool TTextElement<Params>::StoreText(const std::uint8_t* p, std::uint32_t n)
{
    if (!m_text)
        return false;
    if (n == 0) {
        m_text->Clear();
        return true;
    }
    // The string takes a terminated DGN string: the bytes and two zeros (a UTF-16 terminator).
    std::string buffer(reinterpret_cast<const char*>(p), n);
    buffer.append(2, '\0');
    const bool wide = IsWideDgnString(buffer.data()) && n >= 2;
    return m_text->SetBytes(buffer.data(), static_cast<std::int32_t>(wide ? n + 2 : n + 1)) != 0 || n == 0;
}

template <class Params>
bool TTextElement<Params>::SetText(const char* text)
{
    if (!m_text || !text)
        return false;
    const bool ok = m_text->Set(text) != 0 || !*text;
    m_params.textBytes = static_cast<std::uint16_t>(m_text->Length());
    return ok;
}

template <class Params>
const std::uint8_t* TTextElement<Params>::TextBytes() const
{
    return m_text ? reinterpret_cast<const std::uint8_t*>(m_text->Buffer()) : reinterpret_cast<const std::uint8_t*>("");
}

template <class Params>
bool TTextElement<Params>::ReadBodyV8(CBoundedReader& body)
{
    m_params.fontNumber = body.U32();
    m_params.justification = body.U16();
    const std::uint16_t stated = body.U16();
    m_params.lengthMultiplier = body.F64();
    m_params.heightMultiplier = body.F64();
    m_params.length = body.F64();
    m_params.height = body.F64();
    ReadPlacementV8(body, m_params);
    const std::uint16_t fields = body.U16();
    if (body.IsShort() || !m_fields)
        return false;
    // The text and the descriptors are cut to what the record holds.
    const std::uint32_t n = stated < body.Left() ? stated : body.Left();
    if (!StoreText(body.Span(n), n))
        return false;
    const std::uint32_t k = fields < body.Left() / kFieldBytes ? fields : body.Left() / kFieldBytes;
    m_fields->Reset();
    if (k && !m_fields->Append(body.Span(k * kFieldBytes), k * kFieldBytes))
        return false;
    FinishRead();
    // Stored sizes hold unless missing or a text style asks for the computed ones.
    if (!(m_params.height > 0.0 && m_params.length > 0.0) || UsesComputedSize())
        ComputeSizes();
    return true;
}

template <class Params>
bool TTextElement<Params>::ReadBodyV7(CV7BodyReader& body)
{
    m_params.fontNumber = body.U8();
    m_params.justification = body.U8();
    m_params.lengthMultiplier = body.I32();
    m_params.heightMultiplier = body.I32();
    ReadPlacementV7(body, m_params);
    const std::uint8_t stated = body.U8();
    body.U8(); // the field count: the V7 descriptors are not taken
    if (body.IsShort() || !m_fields)
        return false;
    const std::uint32_t n = body.Bound(stated, 1);
    if (!StoreText(body.Span(n), n))
        return false;
    // The element holds no descriptors, so it states none and writes none.
    m_fields->Reset();
    FinishRead();
    ComputeSizes();
    return true;
}

template <class Params>
bool TTextElement<Params>::UsesComputedSize() const
{
    return m_params.textStyle && m_params.textStyle->UsesComputedSize();
}

template <class Params>
void TTextElement<Params>::ComputeSizes()
{
    m_params.height = m_params.heightMultiplier * kMultiplierToUnits;
    m_params.length = m_params.textBytes * m_params.lengthMultiplier * kMultiplierToUnits;
}

template <class Params>
void TTextElement<Params>::FinishRead()
{
    m_params.textBytes = static_cast<std::uint16_t>(m_text->Length());
    m_params.enterDataFields = static_cast<std::uint16_t>(m_fields->Size() / kFieldBytes);
    m_params.reserved = 0;
    m_params.textStyle = GetLinkedTextStyle();
}

template <class Params>
std::uint64_t TTextElement<Params>::BodyBytes() const
{
    const std::uint32_t n = m_text ? m_text->Length() : 0;
    const std::uint32_t fieldBytes = m_fields ? m_fields->Size() / kFieldBytes * kFieldBytes : 0;
    return FixedBytes() + static_cast<std::uint64_t>(n) + fieldBytes;
}

template <class Params>
void TTextElement<Params>::PutBody(std::uint8_t** cursor) const
{
    const std::uint32_t n = m_text ? m_text->Length() : 0;
    const std::uint32_t k = m_fields ? m_fields->Size() / kFieldBytes : 0;
    PutU32(cursor, m_params.fontNumber);
    PutU16(cursor, m_params.justification);
    PutU16(cursor, static_cast<std::uint16_t>(n));
    PutF64(cursor, m_params.lengthMultiplier);
    PutF64(cursor, m_params.heightMultiplier);
    PutF64(cursor, m_params.length);
    PutF64(cursor, m_params.height);
    PutPlacement(cursor, m_params);
    PutU16(cursor, static_cast<std::uint16_t>(k));
    PutBytes(cursor, TextBytes(), n);
    if (k)
        PutBytes(cursor, m_fields->Data(), k * kFieldBytes);
}

template <class Params>
void TTextElement<Params>::Touch()
{
    m_params.textBytes = static_cast<std::uint16_t>(m_text ? m_text->Length() : 0);
    m_params.enterDataFields = static_cast<std::uint16_t>(m_fields ? m_fields->Size() / kFieldBytes : 0);
    m_params.textStyle = GetLinkedTextStyle();
    // A text whose style asks for computed sizes keeps them (a reader computes them again);
    // otherwise the font measures its length.
    if (!UsesComputedSize())
        m_params.length = MeasureLength();
    // Sizes that a reader would not keep (computed ones asked for, or one that is not
    // positive) are the computed ones, so that the record reads back as written.
    if (UsesComputedSize() || !(m_params.height > 0.0 && m_params.length > 0.0))
        ComputeSizes();
    IBodyGraphicElement::Touch();
}

template <class Params>
CFont* TTextElement<Params>::LoadTextFont() const
{
    if (!m_designFile)
        return nullptr;
    const int number = static_cast<int>(m_params.fontNumber);
    const bool wide = m_text && (m_text->IsWide() || m_text->HasFFFEMarker());
    return wide ? m_designFile->LoadFontWithFallback(number) : m_designFile->LoadFont(number);
}

template <class Params>
double TTextElement<Params>::MeasureLength()
{
    CFont* font = LoadTextFont();
    if (!font)
        return m_params.length;
    const double width = Width(font, &m_params, TextBytes());
    font->Release();
    return width;
}

template <class Params>
bool TTextElement<Params>::IsBlank() const
{
    if (!m_text || m_text->Length() == 0 || IsNearZero(m_params.heightMultiplier))
        return true;
    const std::uint32_t n = m_text->CharCount();
    for (std::uint32_t i = 0; i < n; ++i) {
        if (m_text->CharAt(i) != ' ')
            return false;
    }
    return true;
}

template <class Params>
void TTextElement<Params>::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (IsBlank())
        return;
    ApplySymbologyTo(context, sink);
    sink->SetDesignFile(m_designFile);
    m_params.textBytes = static_cast<std::uint16_t>(m_text->Length());
    EmitText(sink, &m_params, TextBytes(), m_properties);
}

template <class Params>
bool TTextElement<Params>::Transform(const double matrix[16])
{
    TransformParams(matrix, m_params);
    return true;
}

template <class Params>
void TTextElement<Params>::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "%s", Title(static_cast<const Params*>(nullptr)));
    IGraphicElement::Describe(callback);
    if (m_text) {
        std::string narrow(static_cast<std::size_t>(m_text->CharCount()) + 1, '\0');
        m_text->CopyToAnsi(&narrow[0]);
        EmitLine(callback, kLineBuffer, "%s", narrow.c_str());
    }
    DescribePlacement(this, callback, m_params);
    const char* name = m_designFile ? m_designFile->GetFontName(static_cast<int>(m_params.fontNumber)) : nullptr;
    EmitLine(callback, kLineBuffer, "%s%sfont %i: %s, justification: %i", m_text && m_text->IsWide() ? "WCHAR " : "",
             m_text && m_text->HasFFFEMarker() ? "TrueType " : "", static_cast<int>(m_params.fontNumber), name ? name : "*unknown*",
             static_cast<int>(m_params.justification));
    EmitEnd(callback);
}

template <class Params>
template <class T>
IElement* TTextElement<Params>::CloneAs(CDesignFile* target, bool removeSource)
{
    T* copy = new (std::nothrow) T(target);
    if (!copy)
        return nullptr;
    CDgnString* text = m_text ? m_text->Clone() : nullptr;
    CByteArray* fields = m_fields ? m_fields->Clone() : nullptr;
    if (!text || !fields) {
        delete text;
        delete fields;
        delete copy;
        return nullptr;
    }
    delete copy->m_text;
    delete copy->m_fields;
    copy->m_text = text;
    copy->m_fields = fields;
    copy->m_params = m_params;
    CopyTo(target, copy, removeSource);
    // The copy's text style is the one among its own linkages, never the source's.
    copy->m_params.textStyle = copy->GetLinkedTextStyle();
    return copy;
}

template class TTextElement<TextParams2d>;
template class TTextElement<TextParams3d>;

CTextElement2d::CTextElement2d(CDesignFile* file) : TTextElement(file, kPropertyScreen) {}
CTextElement3d::CTextElement3d(CDesignFile* file) : TTextElement(file, kProperty3d | kPropertyScreen) {}
IElement* CTextElement2d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CTextElement2d>(target, removeSource); }
IElement* CTextElement3d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CTextElement3d>(target, removeSource); }

CTextElement2d* CTextElement2d::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CTextElement2d*>(PlaceNewElement(new (std::nothrow) CTextElement2d(file), file, model));
}

} // namespace dgn
