#include "LineStyleNameTableHeader.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <new>

namespace dgn {

namespace {

template <class Header>
Header* NewHeader(CDesignFile* file, std::int32_t model)
{
    Header* h = file ? new (std::nothrow) Header(file) : nullptr;
    if (h) {
        h->SetModel(model);
        h->SetElementId(file->NewElementId());
        h->IndexElementId();
        h->Touch();
    }
    return h;
}

} // namespace

CLineStyleNameTableHeader::CLineStyleNameTableHeader(CDesignFile* file) : CTableHeaderElement(file) { m_level = 7; }
CLineStyleNameTableHeader::~CLineStyleNameTableHeader() = default;
CLineStyleNameTableHeader* CLineStyleNameTableHeader::Create(CDesignFile* file, std::int32_t model)
{
    return NewHeader<CLineStyleNameTableHeader>(file, model);
}

std::uint16_t CLineStyleNameTableHeader::GetHeaderWord0() const { return m_headerWord0; }
std::uint32_t CLineStyleNameTableHeader::FixedBytes() const { return 8; }

bool CLineStyleNameTableHeader::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < 8)
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    m_headerWord0 = LoadU16(b + 4);
    m_headerWord1 = LoadU16(b + 6);
    return true;
}

void CLineStyleNameTableHeader::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, static_cast<std::uint32_t>(ChildCount()));
    StoreU16(out + 4, m_headerWord0);
    StoreU16(out + 6, m_headerWord1);
}

void CLineStyleNameTableHeader::DescribeTitle(LineCallback callback) { EmitLine(callback, kLineBuffer, "Line Style Name Table Header"); }

CTableHeaderElement* CLineStyleNameTableHeader::NewOfClass(CDesignFile* file) const
{
    CLineStyleNameTableHeader* h = new (std::nothrow) CLineStyleNameTableHeader(file);
    if (h) {
        h->m_headerWord0 = m_headerWord0;
        h->m_headerWord1 = m_headerWord1;
    }
    return h;
}

CLineStyleDefTableHeader::CLineStyleDefTableHeader(CDesignFile* file) : CLineStyleNameTableHeader(file) { m_level = 8; }
CLineStyleDefTableHeader::~CLineStyleDefTableHeader() = default;
CLineStyleDefTableHeader* CLineStyleDefTableHeader::Create(CDesignFile* file, std::int32_t model)
{
    return NewHeader<CLineStyleDefTableHeader>(file, model);
}

void CLineStyleDefTableHeader::DescribeTitle(LineCallback callback) { EmitLine(callback, kLineBuffer, "Line Style Definition Table Header"); }

CTableHeaderElement* CLineStyleDefTableHeader::NewOfClass(CDesignFile* file) const
{
    CLineStyleDefTableHeader* h = new (std::nothrow) CLineStyleDefTableHeader(file);
    if (h) {
        h->m_headerWord0 = m_headerWord0;
        h->m_headerWord1 = m_headerWord1;
    }
    return h;
}

} // namespace dgn
