#include "DependencyLinkage.h"

#include "BoundedReader.h"
#include "ByteArray.h"

#include <new>

namespace dgn {

namespace {

// Root arrays grow in steps of 1024 bytes.
constexpr std::uint32_t kRootStep = 1024;

} // namespace

CDependencyLinkage* CDependencyLinkage::Make(CElementLinkages* list, std::uint8_t flags)
{
    CDependencyLinkage* l = new (std::nothrow) CDependencyLinkage(list, flags);
    if (l) {
        l->m_roots = CByteArray::NewWithCapacity(kRootStep);
        if (!l->m_roots) {
            delete l;
            return nullptr;
        }
    }
    return l;
}

CDependencyLinkage* CDependencyLinkage::Create(CElementLinkages* list, std::uint16_t appId, std::uint16_t appValue, std::uint16_t dlflags)
{
    CDependencyLinkage* l = Make(list, kLinkageUserData);
    if (l) {
        l->m_f.appId = appId;
        l->m_f.appValue = appValue;
        l->m_f.dlflags = dlflags;
        l->PackSizeHeader();
    }
    return l;
}

std::uint32_t CDependencyLinkage::RootSize(int rootType, const std::uint8_t* root, std::uint32_t n)
{
    std::uint64_t size;
    switch (rootType) {
    case 0:
        size = 8;
        break;
    case 1:
    case 4:
        size = 16;
        break;
    case 2:
        size = kAssociationRecordSize;
        break;
    case 3:
        size = kAssociationRecordSize + 8;
        break;
    case 5:
        size = 24;
        break;
    case 6:
        if (n < 4)
            return 0;
        size = 24 + 8 * static_cast<std::uint64_t>(LoadU32(root));
        break;
    default:
        return 0;
    }
    return size <= n ? static_cast<std::uint32_t>(size) : 0;
}

CDependencyLinkage* CDependencyLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data,
                                                      std::uint32_t length)
{
    CDependencyLinkage* l = Make(list, flags);
    if (!l)
        return nullptr;
    CBoundedReader r(data, length);
    l->m_f.appId = r.U16();
    l->m_f.appValue = r.U16();
    l->m_f.dlflags = r.U16();
    const std::uint16_t stated = r.U16();
    const int type = l->GetRootType();
    bool ok = true;
    if (type > 6) {
        // A root type without a known size: its bytes stay as they came.
        l->m_f.numRoots = stated;
        const std::uint32_t n = r.Left();
        ok = n == 0 || l->m_roots->Append(r.Span(n), n);
    } else {
        std::uint16_t taken = 0;
        while (taken < stated) {
            const std::uint32_t size = RootSize(type, r.Position(), r.Left());
            if (size == 0)
                break;
            if (!l->m_roots->Append(r.Span(size), size)) {
                ok = false;
                break;
            }
            ++taken;
        }
        l->m_f.numRoots = taken;
    }
    if (!ok) {
        delete l;
        return nullptr;
    }
    l->PackSizeHeader();
    return l;
}

CDependencyLinkage::~CDependencyLinkage() { delete m_roots; }

std::uint32_t CDependencyLinkage::GetDataSize() const { return 8 + m_roots->Size(); }

void CDependencyLinkage::WriteData(std::uint8_t* p) const
{
    PutU16(&p, m_f.appId);
    PutU16(&p, m_f.appValue);
    PutU16(&p, m_f.dlflags);
    PutU16(&p, m_f.numRoots);
    PutBytes(&p, m_roots->Data(), m_roots->Size());
}

void CDependencyLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "Dependency linkage attribute: 0x%04x, size: 0x%02x, flags: 0x%02x", m_userId, m_sizeByte, m_flags);
    EmitLine(callback, kLineBuffer, " appId: 0x%04x, appValue: 0x%04x, dlflags: 0x%04x, numRoots = %i", m_f.appId, m_f.appValue, m_f.dlflags,
             m_f.numRoots);
}

CLinkage* CDependencyLinkage::Clone(CElementLinkages* list) const
{
    CDependencyLinkage* l = Make(list, m_flags);
    if (!l)
        return nullptr;
    l->m_f = m_f;
    if (m_roots->Size() && !l->m_roots->Append(m_roots->Data(), m_roots->Size())) {
        delete l;
        return nullptr;
    }
    l->m_sizeByte = m_sizeByte;
    return l;
}

const CDependencyLinkage::Fields* CDependencyLinkage::GetFields() const { return &m_f; }
CByteArray* CDependencyLinkage::GetRoots() const { return m_roots; }
int CDependencyLinkage::GetRootType() const { return (m_f.dlflags >> 10) & 0x0F; }

bool CDependencyLinkage::AddRoot(const std::uint8_t* root, std::uint32_t size)
{
    if (m_f.numRoots == 0xFFFF || RootSize(GetRootType(), root, size) != size || size == 0)
        return false;
    if (static_cast<std::uint64_t>(GetDataSize()) + size > kMaxLinkageData || !m_roots->Append(root, size))
        return false;
    ++m_f.numRoots;
    PackSizeHeader();
    return true;
}

bool CDependencyLinkage::GetFirstElementId(std::uint64_t* id) const
{
    if (GetRootType() != 0 || m_f.numRoots == 0 || m_roots->Size() < 8)
        return false;
    *id = LoadU64(m_roots->Data());
    return true;
}

} // namespace dgn
