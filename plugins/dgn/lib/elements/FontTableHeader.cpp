#include "FontTableHeader.h"

#include "DesignFile.h"

#include <new>

namespace dgn {

CFontTableHeader::CFontTableHeader(CDesignFile* file) : CTableHeaderElement(file) { m_level = 2; }

CFontTableHeader::~CFontTableHeader() = default;

CFontTableHeader* CFontTableHeader::Create(CDesignFile* file, std::int32_t model)
{
    CFontTableHeader* h = file ? new (std::nothrow) CFontTableHeader(file) : nullptr;
    if (h) {
        h->SetModel(model);
        h->SetElementId(file->NewElementId());
        h->IndexElementId();
        h->Touch();
    }
    return h;
}

void CFontTableHeader::DescribeTitle(LineCallback callback) { EmitLine(callback, kLineBuffer, "Font Table Header"); }
CTableHeaderElement* CFontTableHeader::NewOfClass(CDesignFile* file) const { return new (std::nothrow) CFontTableHeader(file); }

} // namespace dgn
