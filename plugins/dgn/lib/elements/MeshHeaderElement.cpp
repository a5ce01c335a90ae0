#include "MeshHeaderElement.h"

#include "EntityIterator.h"
#include "IndexedMeshGeometry.h"
#include "LittleEndian.h"
#include "elements/MatrixElements.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kMeshHeaderType = 105;
constexpr std::int32_t kIndexedMesh = 1;
constexpr std::int32_t kQuadGrid = 6;
constexpr std::uint32_t kBodyBytes = 8;

} // namespace

CMeshHeaderElement::CMeshHeaderElement(CDesignFile* file) : CGraphicBodyElement(file)
{
    m_type = kMeshHeaderType;
    m_flags |= kElementGraphic | kElementComplexHeader;
    m_properties |= kPropertyScreen;
    m_list = kGraphicList;
}

CMeshHeaderElement::~CMeshHeaderElement() { delete m_geometry; }

int CMeshHeaderElement::GetType() const { return kMeshHeaderType; }
CIndexedMeshGeometry* CMeshHeaderElement::GetMeshGeometry() const { return m_geometry; }
std::int32_t CMeshHeaderElement::GetMeshType() const { return m_meshType; }
void CMeshHeaderElement::SetMeshType(std::int32_t type) { m_meshType = type; }
bool CMeshHeaderElement::Transform(const double*) { return true; }

IElement* CMeshHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    CMeshHeaderElement* copy = new (std::nothrow) CMeshHeaderElement(target ? target : m_designFile);
    if (!copy)
        return nullptr;
    CopyTo(target, copy, removeSource);
    copy->m_meshType = m_meshType;
    return copy;
}

bool CMeshHeaderElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        SetChildCount(r.I32());
        m_meshType = r.I32();
        return true; // fields the body lacks read as 0
    });
}

bool CMeshHeaderElement::ResolveMeshComponents()
{
    m_firstHeader = m_secondHeader = m_integerData = m_doubleData = nullptr;
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (it) {
        while (IEntity* e = it->Next()) {
            auto* m = dynamic_cast<CMatrixElement*>(e);
            if (!m)
                continue;
            switch (e->GetType()) {
            case 101: (m->GetWord(2) & 0x01 ? m_firstHeader : m_secondHeader) = m; break;
            case 102:
                if (!m_integerData)
                    m_integerData = m;
                break;
            case 103:
                if (!m_doubleData)
                    m_doubleData = m;
                break;
            default: break;
            }
        }
        delete it;
    }
    if (m_meshType != kIndexedMesh || !m_integerData || !m_integerData->GetMatrixValues() || !m_doubleData)
        return false;
    CIndexedMeshGeometry* g = CIndexedMeshGeometry::Create(m_meshType, m_integerData->GetMatrixValues(), m_doubleData->GetMatrixValues());
    if (!g)
        return false;
    delete m_geometry;
    m_geometry = g;
    return true;
}

void CMeshHeaderElement::Touch()
{
    ResolveMeshComponents();
    SetGraphicBodySizes(kBodyBytes);
}

std::uint32_t CMeshHeaderElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t body[kBodyBytes];
    std::uint8_t* p = body;
    PutU32(&p, static_cast<std::uint32_t>(ChildCount()));
    PutU32(&p, static_cast<std::uint32_t>(m_meshType));
    return WriteGraphicBodyRecord(cursor, body, kBodyBytes);
}

void CMeshHeaderElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Mesh Header - type %s", m_meshType == kQuadGrid ? "QGRID" : "INDEXED");
    IGraphicElement::Describe(callback);
    EmitEnd(callback);
}

void CMeshHeaderElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    if (!m_geometry && !ResolveMeshComponents())
        return;
    ApplySymbologyTo(context, sink);
    if (CFillInfo* fill = GetFillInfo()) {
        sink->BeginFill(fill);
        sink->AddObject(m_geometry, 0);
        sink->EndFill(fill);
    } else {
        sink->AddObject(m_geometry, 1);
    }
}

} // namespace dgn
