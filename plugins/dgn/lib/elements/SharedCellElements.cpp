#include "SharedCellElements.h"

#include "DesignFile.h"
#include "ElementLinkages.h"
#include "EntityIterator.h"
#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "TransformHelper.h"
#include "TransformStack.h"
#include "ValueEncodings.h"
#include "linkages/DependencyLinkage.h"

#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

constexpr std::uint32_t kNameStringId = 1;
constexpr std::uint32_t kDescriptionStringId = 2;
constexpr int kDefinitionType = 34;
constexpr int kInstanceType = 35;
constexpr int kReferenceType = 100;
// An instance's range shallower than this in z places a flat box.
constexpr double kFlatDepth = 0.0001;

void CopyBlock(const double from[6], std::uint8_t fromValid, double to[6], std::uint8_t* toValid)
{
    for (int i = 0; i < 6; ++i)
        to[i] = from[i];
    *toValid = fromValid;
}

// "Label: text" of a DGN string, wide or narrow.
void DescribeString(LineCallback callback, const char* label, CDgnString* s)
{
    if (s && s->IsWide()) {
        std::u16string wide(static_cast<std::size_t>(s->CharCount()) + 1, u'\0');
        s->CopyToWide(&wide[0]);
        wide.resize(s->CharCount());
        std::u16string line;
        for (const char* p = label; *p; ++p)
            line.push_back(static_cast<char16_t>(*p));
        EmitWideLine(callback, kLineBuffer, line + wide);
        return;
    }
    std::string narrow(s ? static_cast<std::size_t>(s->CharCount()) + 1 : 1, '\0');
    if (s)
        s->CopyToAnsi(&narrow[0]);
    EmitLine(callback, kLineBuffer, "%s%s", label, narrow.c_str());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Both classes

CSharedCellElement::CSharedCellElement(CDesignFile* file, int type) : IBodyGraphicElement(file, type, 0), m_name(CDgnString::Create())
{
    m_flags |= kElementComplexHeader;
}

CSharedCellElement::~CSharedCellElement() { delete m_name; }

void CSharedCellElement::SetNewElementProperties()
{
    m_properties |= kPropertyNew;
    if (m_designFile && m_designFile->Is3d())
        m_properties |= kProperty3d;
}

bool CSharedCellElement::ReadBodyV8(CBoundedReader& body)
{
    const std::uint32_t count = body.U32();
    m_cellWord = body.U16();
    m_cellWord2 = body.U16();
    for (double& v : m_extents)
        v = body.F64();
    // Column by column in the record.
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r)
            m_matrix[r * 4 + c] = body.F64();
    }
    for (int c = 0; c < 3; ++c)
        m_matrix[12 + c] = body.F64();
    if (body.IsShort())
        return false;
    m_matrix[3] = m_matrix[7] = m_matrix[11] = 0.0;
    m_matrix[15] = 1.0;
    m_extentsValid = 1;
    SetStoredCount(count);
    if (m_name) {
        m_name->Clear();
        if (m_attributes)
            m_attributes->GetStringLinkage(kNameStringId, *m_name);
    }
    return true;
}

bool CSharedCellElement::ReadBodyV7(CV7BodyReader& body)
{
    const std::uint8_t* record = body.Position() - kV7GraphicHeaderBytes;
    const std::uint8_t* at = body.Position();
    if (body.Left() < 2)
        return false;
    const std::uint32_t count = CountComplexComponents16(record, &at);
    body.Skip(2);
    for (std::int16_t& w : m_v7Words)
        w = static_cast<std::int16_t>(body.U16());
    // Extents, origin and the trailing value are plain little-endian integers here.
    auto int32 = [&body]() {
        const std::uint8_t* p = body.Span(4);
        return p ? static_cast<std::int32_t>(LoadU32(p)) : 0;
    };
    for (double& v : m_extents)
        v = int32();
    for (int i = 0; i < 16; ++i)
        m_matrix[i] = i % 5 == 0 ? 1.0 : 0.0;
    if (m_properties & kProperty3d) {
        for (int c = 0; c < 3; ++c) {
            for (int r = 0; r < 3; ++r)
                m_matrix[r * 4 + c] = body.VaxDouble();
        }
    } else {
        m_matrix[0] = body.VaxDouble();
        m_matrix[4] = body.VaxDouble();
        m_matrix[1] = body.VaxDouble();
        m_matrix[5] = body.VaxDouble();
        body.Skip(40);
    }
    for (int c = 0; c < 3; ++c)
        m_matrix[12 + c] = int32();
    m_v7Trailing = int32();
    if (body.IsShort())
        return false;
    // The name runs to its terminator or to the end of the record, whichever comes first.
    const std::uint32_t left = body.Left();
    const std::uint8_t* name = body.Span(left);
    std::uint32_t n = 0;
    while (name && n < left && name[n])
        ++n;
    if (m_name) {
        // Held with terminators of its own, so that no length is looked for past the record.
        std::string held(name ? reinterpret_cast<const char*>(name) : "", n);
        held.append(2, '\0');
        m_name->SetBytes(held.data(), static_cast<std::int32_t>(n + 1));
        if (m_attributes)
            m_attributes->SetStringLinkage(kNameStringId, *m_name);
    }
    m_flags |= kElementComplexHeader;
    m_extentsValid = 1;
    SetStoredCount(count);
    return true;
}

void CSharedCellElement::PutBody(std::uint8_t** cursor) const
{
    PutU32(cursor, StoredCount());
    PutU16(cursor, m_cellWord);
    PutU16(cursor, m_cellWord2);
    for (double v : m_extents)
        PutF64(cursor, v);
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r)
            PutF64(cursor, m_matrix[r * 4 + c]);
    }
    for (int c = 0; c < 3; ++c)
        PutF64(cursor, m_matrix[12 + c]);
}

bool CSharedCellElement::CopyCellTo(CSharedCellElement* copy) const
{
    CDgnString* name = m_name ? m_name->Clone() : nullptr;
    if (!name)
        return false;
    delete copy->m_name;
    copy->m_name = name;
    copy->m_cellWord = m_cellWord;
    copy->m_cellWord2 = m_cellWord2;
    CopyBlock(m_extents, m_extentsValid, copy->m_extents, &copy->m_extentsValid);
    std::memcpy(copy->m_matrix, m_matrix, sizeof m_matrix);
    return true;
}

void CSharedCellElement::StoreName()
{
    if (m_name && m_attributes && !m_name->IsEmpty())
        m_attributes->SetStringLinkage(kNameStringId, *m_name);
}

void CSharedCellElement::GetOrigin(double out[3]) const
{
    for (int i = 0; i < 3; ++i)
        out[i] = m_matrix[12 + i];
}

void CSharedCellElement::GetTransform(double out[16]) const
{
    for (int i = 0; i < 16; ++i)
        out[i] = m_matrix[i];
}

void CSharedCellElement::SetOrigin(const double origin[3])
{
    for (int i = 0; i < 3; ++i)
        m_matrix[12 + i] = origin[i];
}

bool CSharedCellElement::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    if (selector != 0)
        return false;
    *out = {m_matrix[12], m_matrix[13], m_matrix[14]};
    return true;
}

void CSharedCellElement::DescribeCell(LineCallback callback, const char* title, void (CSharedCellElement::*middle)(LineCallback),
                                      void (CSharedCellElement::*after)(LineCallback))
{
    EmitLine(callback, kLineBuffer, "%s", title);
    IGraphicElement::Describe(callback);
    if (middle)
        (this->*middle)(callback);
    DescribeString(callback, "Name: ", m_name);
    (this->*after)(callback);
    DescribeMatrixAndExtents(callback);
    EmitEnd(callback);
}

void CSharedCellElement::DescribeMatrixAndExtents(LineCallback callback)
{
    double units = GetUnitsPerMaster();
    if (!(units > 0.0))
        units = 1.0;
    for (int j = 0; j < 3; ++j)
        EmitLine(callback, kLineBuffer, " [ %8.4f %8.4f %8.4f %12.4f ]", m_matrix[j], m_matrix[4 + j], m_matrix[8 + j], m_matrix[12 + j] / units);
    static const char* const kAxes[3] = {" extents x low=%12.4f  hi=%12.4f", " extents y low=%12.4f  hi=%12.4f", " extents z low=%12.4f  hi=%12.4f"};
    for (int i = 0; i < 3; ++i)
        EmitLine(callback, kLineBuffer, kAxes[i], m_extents[i] / units, m_extents[3 + i] / units);
}

// ---------------------------------------------------------------------------------------------
// Definition

CSharedCellDefinitionElement::CSharedCellDefinitionElement(CDesignFile* file)
    : CSharedCellElement(file, kDefinitionType), m_description(CDgnString::Create())
{
    m_list = kFileList;
    m_flags |= kElementNonModel;
}

CSharedCellDefinitionElement::~CSharedCellDefinitionElement() { delete m_description; }

CSharedCellDefinitionElement* CSharedCellDefinitionElement::Create(CDesignFile* file, std::int32_t model)
{
    auto* e = static_cast<CSharedCellDefinitionElement*>(PlaceNewElement(new (std::nothrow) CSharedCellDefinitionElement(file), file, model));
    if (e)
        e->SetNewElementProperties();
    return e;
}

bool CSharedCellDefinitionElement::ReadBodyV8(CBoundedReader& body)
{
    if (!CSharedCellElement::ReadBodyV8(body))
        return false;
    if (m_description) {
        m_description->Clear();
        if (m_attributes)
            m_attributes->GetStringLinkage(kDescriptionStringId, *m_description);
    }
    return true;
}

bool CSharedCellDefinitionElement::ReadBodyV7(CV7BodyReader& body)
{
    if (!CSharedCellElement::ReadBodyV7(body))
        return false;
    if (m_description)
        m_description->Clear();
    return true;
}

IElement* CSharedCellDefinitionElement::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) CSharedCellDefinitionElement(target);
    CDgnString* description = m_description ? m_description->Clone() : nullptr;
    if (!copy || !description || !CopyCellTo(copy)) {
        delete description;
        delete copy;
        return nullptr;
    }
    delete copy->m_description;
    copy->m_description = description;
    CopyTo(target, copy, removeSource);
    copy->Touch();
    return copy;
}

const double* CSharedCellDefinitionElement::ComputeExtents()
{
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return nullptr;
    CTransformHelper* collector = CTransformHelper::Create();
    bool any = false;
    if (collector) {
        collector->SetDesignFile(m_designFile);
        while (IEntity* e = it->Next()) {
            IElement* component = e->GetKind() == kEntityElement ? static_cast<IElement*>(e) : nullptr;
            if (!component)
                continue;
            any = true;
            if (component->GetType() == kReferenceType)
                component->EmitGeometry(nullptr, collector);
            else if (component->GetType() == kInstanceType && dynamic_cast<ISymRef*>(component))
                static_cast<ISymRef*>(component)->AddPlacedBox(nullptr, collector);
            else if (component->GetFlags() & kElementGraphic)
                component->EmitGeometry(nullptr, collector);
        }
        if (any) {
            for (int i = 0; i < 6; ++i)
                m_extents[i] = collector->HasRange() ? collector->Range()[i] : 0.0;
            m_extentsValid = collector->HasRange() ? 1 : 0;
        }
        delete collector;
    }
    delete it;
    return any ? m_extents : nullptr;
}

void CSharedCellDefinitionElement::Touch()
{
    ComputeExtents();
    StoreName();
    if (m_attributes && m_description && !m_description->IsEmpty())
        m_attributes->SetStringLinkage(kDescriptionStringId, *m_description);
    else if (m_attributes)
        m_attributes->RemoveStringLinkage(kDescriptionStringId);
    SetBodySizes();
    IGraphicElement::Touch();
}

std::uint32_t CSharedCellDefinitionElement::WriteV8(std::uint8_t** cursor)
{
    // Only a drop here: the record never grows past the size the caller planned for.
    if (m_attributes && (!m_description || m_description->IsEmpty()) && m_attributes->RemoveStringLinkage(kDescriptionStringId))
        SetBodySizes();
    return CSharedCellElement::WriteV8(cursor);
}

void CSharedCellDefinitionElement::DescribeCount(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Nr. elements: %i", static_cast<int>(ChildCount()));
}

void CSharedCellDefinitionElement::DescribeDescription(LineCallback callback) { DescribeString(callback, "Description: ", m_description); }

void CSharedCellDefinitionElement::Describe(LineCallback callback)
{
    DescribeCell(callback, "Shared cell definition", static_cast<void (CSharedCellElement::*)(LineCallback)>(&CSharedCellDefinitionElement::DescribeCount),
                 static_cast<void (CSharedCellElement::*)(LineCallback)>(&CSharedCellDefinitionElement::DescribeDescription));
}

void CSharedCellDefinitionElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (!sink || !sink->IsNested())
        return;
    CEntityIterator* it = CreateChildIterator(context);
    if (!it)
        return;
    while (sink->IsNested()) {
        IEntity* e = it->Next();
        if (!e)
            break;
        if (e->GetKind() == kEntityElement)
            static_cast<IElement*>(e)->EmitGeometry(it, sink);
    }
    delete it;
}

bool CSharedCellDefinitionElement::Transform(const double matrix[16])
{
    UpdateFlaggedComponents(matrix);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Instance

ISymRef::ISymRef(CDesignFile* file) : CSharedCellElement(file, kInstanceType) {}

ISymRef* ISymRef::Create(CDesignFile* file, std::int32_t model)
{
    auto* e = static_cast<ISymRef*>(PlaceNewElement(new (std::nothrow) ISymRef(file), file, model));
    if (e)
        e->SetNewElementProperties();
    return e;
}

IElement* ISymRef::Clone(CDesignFile* target, bool removeSource)
{
    auto* copy = new (std::nothrow) ISymRef(target);
    if (!copy || !CopyCellTo(copy)) {
        delete copy;
        return nullptr;
    }
    // The definition is not owned: a copy into another design file finds its own.
    copy->m_definition = target == m_designFile ? m_definition : nullptr;
    CopyTo(target, copy, removeSource);
    copy->Touch();
    return copy;
}

bool ISymRef::ResolveDefinition()
{
    if (m_definition)
        return true;
    if (!m_designFile)
        return false;
    IElement* found = nullptr;
    std::uint64_t id = 0;
    CDependencyLinkage* link = m_attributes ? m_attributes->GetDependencyLinkage() : nullptr;
    if (link && link->GetFirstElementId(&id)) {
        IElement* linked = m_designFile->FindElementById(id);
        if (linked && linked->GetType() == kDefinitionType)
            found = linked;
    }
    if (!found && m_name) {
        std::string narrow(static_cast<std::size_t>(m_name->CharCount()) + 1, '\0');
        m_name->CopyToAnsi(&narrow[0]);
        found = m_designFile->FindSharedCellDefinition(narrow.c_str());
    }
    m_definition = dynamic_cast<CSharedCellDefinitionElement*>(found);
    if (!m_definition)
        return false;
    CopyBlock(m_definition->GetExtents(), m_definition->ExtentsValid() ? 1 : 0, m_extents, &m_extentsValid);
    return true;
}

const double* ISymRef::ComputeInstanceRange()
{
    if (!ResolveDefinition())
        return nullptr;
    CTransformHelper* collector = CTransformHelper::Create();
    if (!collector)
        return nullptr;
    collector->SetDesignFile(m_designFile);
    EmitGeometry(nullptr, collector);
    for (int i = 0; i < 6; ++i)
        m_ownRange[i] = collector->HasRange() ? collector->Range()[i] : 0.0;
    m_ownRangeValid = collector->HasRange() ? 1 : 0;
    delete collector;
    return m_ownRange;
}

void ISymRef::AddPlacedBox(CEntityIterator*, IGeometrySink* sink)
{
    if (!sink || !ResolveDefinition())
        return;
    double r = std::fmin(m_extents[0], std::fmin(m_extents[1], m_extents[2]));
    if (r < 0.0)
        r = -r;
    r = std::fmax(r, std::fmax(m_extents[3], std::fmax(m_extents[4], m_extents[5])));
    const double* o = m_matrix + 12;
    const double dz = m_ownRange[5] - m_ownRange[2] >= kFlatDepth ? r : 0.0;
    const Point3d corners[2] = {{o[0] - r, o[1] - r, o[2] - dz}, {o[0] + r, o[1] + r, o[2] + dz}};
    sink->AddLine3d(corners);
}

void ISymRef::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (!sink || !ResolveDefinition() || m_definition->IsBeingEmitted())
        return;
    if (!sink->IsNested()) {
        SetLastByCellSymbology({m_color, m_lineStyle, m_weight});
        sink->Value(this);
    }
    ApplySymbologyTo(context, sink);
    sink->Nest(1);
    CTransformStack* stack = sink->TransformStack();
    if (stack) {
        stack->Push();
        stack->PreMultiply(m_matrix);
    }
    m_definition->SetBeingEmitted(true);
    m_definition->EmitGeometry(context, sink);
    m_definition->SetBeingEmitted(false);
    if (stack)
        stack->Pop();
    sink->Nest(0);
}

void ISymRef::Touch()
{
    ComputeInstanceRange();
    StoreName();
    SetBodySizes();
    IGraphicElement::Touch();
}

bool ISymRef::Transform(const double matrix[16])
{
    MultiplyMatrix4x4(m_matrix, matrix, m_matrix);
    Point3d low = {m_extents[0], m_extents[1], m_extents[2]};
    Point3d high = {m_extents[3], m_extents[4], m_extents[5]};
    TransformPoint3d(matrix, low);
    TransformPoint3d(matrix, high);
    const Point3d corners[2] = {low, high};
    for (int i = 0; i < 2; ++i) {
        m_extents[3 * i] = corners[i].x;
        m_extents[3 * i + 1] = corners[i].y;
        m_extents[3 * i + 2] = corners[i].z;
    }
    return true;
}

void ISymRef::DescribeOrigin(LineCallback callback)
{
    char line[kLineBuffer];
    FormatPoint3d({m_matrix[12], m_matrix[13], m_matrix[14]}, "at: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
}

void ISymRef::Describe(LineCallback callback)
{
    DescribeCell(callback, "Shared cell instance", nullptr, static_cast<void (CSharedCellElement::*)(LineCallback)>(&ISymRef::DescribeOrigin));
}

} // namespace dgn
