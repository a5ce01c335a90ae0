#include "TableHeaderElement.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType96 = 96;

} // namespace

const char* TableName(std::int32_t table)
{
    static const char* const names[] = {"?", "Level", "Font", "Text Style", "Level Display Filter", "Dimension Style",
                                        "Multiline Style", "Line Style", "Line Style Definition", "Dictionary", "Registered Application"};
    return table >= 0 && table <= 10 ? names[table] : "?";
}

CTableHeaderElement::CTableHeaderElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType96;
    m_flags |= kElementComplexHeader | kElementNonModel;
}

CTableHeaderElement::~CTableHeaderElement() = default;

CTableHeaderElement* CTableHeaderElement::Create(CDesignFile* file, std::int32_t model)
{
    CTableHeaderElement* h = file ? new (std::nothrow) CTableHeaderElement(file) : nullptr;
    if (h) {
        h->m_model = model;
        h->m_elementId = file->NewElementId();
        h->EnterIdIndex();
    }
    return h;
}

int CTableHeaderElement::GetType() const { return kType96; }
std::uint32_t CTableHeaderElement::FixedBytes() const { return 4; }

bool CTableHeaderElement::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < 4)
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    return true;
}

void CTableHeaderElement::WriteFixed(std::uint8_t* out) const { StoreU32(out, static_cast<std::uint32_t>(ChildCount())); }

CTableHeaderElement* CTableHeaderElement::NewOfClass(CDesignFile* file) const { return new (std::nothrow) CTableHeaderElement(file); }

IElement* CTableHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    IElement* copy = FinishClone(NewOfClass(target ? target : m_designFile), target, removeSource);
    if (copy)
        Touch();
    return copy;
}

void CTableHeaderElement::DescribeTitle(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Table Header - level %i %s", m_level, TableName(m_level));
}

void CTableHeaderElement::Describe(LineCallback callback)
{
    DescribeTitle(callback);
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
