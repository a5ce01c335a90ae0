#include "LineStyleDefEntry.h"

#include "ByteArray.h"
#include "DesignFile.h"
#include "LittleEndian.h"
#include "platform/Platform.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kHeadBytes = 172;
constexpr std::uint32_t kNameAt = 36;

} // namespace

CLineStyleDefEntry::CLineStyleDefEntry(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = 95;
    m_level = 8;
    m_flags |= kElementNonModel;
    m_data = CByteArray::NewWithCapacity(1024);
    m_components = CByteArray::NewWithCapacity(256 * 8);
}

CLineStyleDefEntry::~CLineStyleDefEntry()
{
    delete m_data;
    delete m_components;
}

int CLineStyleDefEntry::GetType() const { return 95; }
std::uint32_t CLineStyleDefEntry::GetDataBytes() const { return m_data ? m_data->Size() : 0; }
std::uint32_t CLineStyleDefEntry::GetComponentCount() const { return m_components ? m_components->Size() / 8 : 0; }
std::uint32_t CLineStyleDefEntry::FixedBytes() const { return kHeadBytes + GetDataBytes() + 8 * GetComponentCount(); }

bool CLineStyleDefEntry::SetDefinition(const std::uint8_t* data, std::uint32_t dataBytes, const std::uint8_t* components, std::uint32_t count)
{
    if (!m_data || !m_components || dataBytes > 0xFFFF || count > 0xFFFF)
        return false;
    m_data->Reset();
    m_components->Reset();
    return (dataBytes == 0 || m_data->Append(data, dataBytes)) && (count == 0 || m_components->Append(components, 8 * count));
}

bool CLineStyleDefEntry::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kHeadBytes)
        return false;
    std::memcpy(m_head, b, sizeof m_head);
    std::uint32_t count = LoadU16(b + 164);
    std::uint32_t dataBytes = LoadU16(b + 168);
    m_defShort2 = LoadU16(b + 170);
    const std::uint32_t room = available - kHeadBytes;
    if (dataBytes > room)
        dataBytes = room;
    if (count > (room - dataBytes) / 8)
        count = (room - dataBytes) / 8;
    return SetDefinition(b + kHeadBytes, dataBytes, b + kHeadBytes + dataBytes, count);
}

void CLineStyleDefEntry::WriteFixed(std::uint8_t* out) const
{
    std::memcpy(out, m_head, sizeof m_head);
    const std::uint32_t data = GetDataBytes();
    const std::uint32_t count = GetComponentCount();
    StoreU16(out + 164, static_cast<std::uint16_t>(count));
    StoreU16(out + 166, static_cast<std::uint16_t>(8 * count));
    StoreU16(out + 168, static_cast<std::uint16_t>(data));
    StoreU16(out + 170, m_defShort2);
    if (data)
        std::memcpy(out + kHeadBytes, m_data->Data(), data);
    if (count)
        std::memcpy(out + kHeadBytes + data, m_components->Data(), 8 * count);
}

IElement* CLineStyleDefEntry::Clone(CDesignFile* target, bool removeSource)
{
    CLineStyleDefEntry* copy = new (std::nothrow) CLineStyleDefEntry(target ? target : m_designFile);
    if (copy) {
        std::memcpy(copy->m_head, m_head, sizeof m_head);
        copy->m_defShort2 = m_defShort2;
        if (!copy->SetDefinition(m_data ? m_data->Data() : nullptr, GetDataBytes(), m_components ? m_components->Data() : nullptr,
                                 GetComponentCount())) {
            delete copy;
            return nullptr;
        }
    }
    return FinishClone(copy, target, removeSource);
}

void CLineStyleDefEntry::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Line Style Definition table entry");
    IElement::Describe(callback);
    char16_t name[65] = {};
    int units = 0;
    for (; units < 64; ++units) {
        name[units] = static_cast<char16_t>(LoadU16(m_head + kNameAt + 2 * units));
        if (!name[units])
            break;
    }
    char ansi[129];
    const int n = Utf16ToAnsi(name, units, ansi, 128);
    ansi[n] = 0;
    EmitLine(callback, kLineBuffer, "name: %s", ansi);
    EmitEnd(callback);
}

} // namespace dgn
