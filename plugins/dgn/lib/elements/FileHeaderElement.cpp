#include "FileHeaderElement.h"

#include "ByteArray.h"
#include "DesignFile.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"
#include "elements/LevelMaskElement.h"
#include "elements/ViewElement.h"
#include "elements/ViewGroupElement.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType9 = 9;
// Where the V7 header keeps what the library reads, and the bytes that takes.
constexpr std::uint32_t kViewsAt = 46;
constexpr std::uint32_t kViewBlockBytes = 118;
constexpr std::uint32_t kUnitsAt = 1108;
constexpr std::uint32_t kUnitNamesAt = 1120;
constexpr std::uint32_t kOriginAt = 1240;
constexpr std::uint32_t kV7SettingsEnd = kOriginAt + 24;
// The V7 record is kept less its last 32 bytes.
constexpr std::uint32_t kV7TailBytes = 32;

} // namespace

CFileHeaderElement::CFileHeaderElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType9;
    m_flags |= kElementNonModel;
}

CFileHeaderElement::~CFileHeaderElement()
{
    if (m_designFile && m_designFile->GetFileHeader() == this)
        m_designFile->SetFileHeader(nullptr);
    delete m_v7Record;
}

int CFileHeaderElement::GetType() const { return kType9; }
std::uint32_t CFileHeaderElement::GetV7RecordBytes() const { return m_v7Record ? m_v7Record->Size() + kV7TailBytes : 0; }
bool CFileHeaderElement::Is3d() const { return m_is3d != 0; }
const std::uint8_t* CFileHeaderElement::GetBody() { return m_rawBody.Data(); }
std::uint32_t CFileHeaderElement::FixedBytes() const { return 0; }
bool CFileHeaderElement::ReadFixed(const std::uint8_t*, std::uint32_t) { return true; }
void CFileHeaderElement::WriteFixed(std::uint8_t*) const {}

void CFileHeaderElement::BecomeFileHeader()
{
    if (m_designFile && !m_designFile->GetFileHeader())
        m_designFile->SetFileHeader(this);
}

bool CFileHeaderElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!CFixedBodyElement::ReadV8(cursor, length))
        return false;
    m_fromV8 = true;
    BecomeFileHeader();
    return true;
}

bool CFileHeaderElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7GraphicHeaderBytes);
    if (!n || !IElement::ReadV7(cursor, length))
        return false;
    CByteArray* kept = CByteArray::NewWithCapacity(64);
    if (!kept || (n > kV7TailBytes && !kept->Append(record, n - kV7TailBytes))) {
        delete kept;
        *cursor = record;
        return false;
    }
    kept->Compact();
    delete m_v7Record;
    m_v7Record = kept;
    m_rawBody.Assign(nullptr, nullptr);
    m_fromV8 = false;
    *cursor = record + n;
    if ((record[0] & 0x3F) != 8)
        return true;
    CDesignFile* file = m_designFile;
    // Each setting is read only when the record holds it: a short header leaves the defaults.
    ReadV7Views(record + kViewsAt, n > kViewsAt ? n - kViewsAt : 0);
    if (file && n >= kUnitNamesAt + 4) {
        const std::uint8_t* p = record + kUnitsAt;
        const std::int32_t unitsA = ReadV7Int32(&p);
        const std::int32_t subPerMaster = ReadV7Int32(&p);
        const std::int32_t uorPerSub = ReadV7Int32(&p);
        file->SetV7Units(unitsA, subPerMaster, uorPerSub);
        const char master[2] = {static_cast<char>(record[kUnitNamesAt]), static_cast<char>(record[kUnitNamesAt + 1])};
        const char sub[2] = {static_cast<char>(record[kUnitNamesAt + 2]), static_cast<char>(record[kUnitNamesAt + 3])};
        file->SetV7UnitNames(master, sub);
    }
    if (file && n >= kV7SettingsEnd) {
        const std::uint8_t* p = record + kOriginAt;
        double origin[3];
        for (double& v : origin)
            v = ReadVaxDouble(&p);
        file->SetV7GlobalOrigin(origin);
    }
    m_is3d = record[0] == 0xC8 ? 1 : 0;
    if (file)
        file->SetIs3d(m_is3d != 0);
    BecomeFileHeader();
    return true;
}

void CFileHeaderElement::ReadV7Views(const std::uint8_t* blocks, std::uint32_t available)
{
    CDesignFile* file = m_designFile;
    if (!file || available < 8 * kViewBlockBytes)
        return;
    CViewGroupElement* group = new (std::nothrow) CViewGroupElement(file);
    if (!group)
        return;
    group->SetModel(0);
    for (int i = 0; i < 8; ++i) {
        const std::uint8_t* b = blocks + i * kViewBlockBytes;
        // Made as the file's last element, then moved into the group.
        CViewElement* view = new (std::nothrow) CViewElement(file);
        if (!view)
            break;
        group->AddChild(view);
        view->SetModel(0);
        const std::uint8_t* p = b + 10;
        double origin[3], delta[3], rotation[9];
        for (double& v : origin)
            v = ReadV7Int32(&p);
        for (double& v : delta)
            v = ReadV7Int32(&p);
        for (double& v : rotation)
            v = ReadVaxDouble(&p);
        const double conversion = ReadVaxDouble(&p);
        const std::int32_t activeZ = ReadV7Int32(&p);
        view->SetFromV7(static_cast<std::uint16_t>(i), LoadU16(b), origin, delta, rotation, conversion, activeZ);
        // The view's mask of 64 levels (an ID comes with the rest of the file's).
        if (CLevelMaskElement* mask = new (std::nothrow) CLevelMaskElement(file)) {
            mask->SetModel(0);
            mask->SetMask(static_cast<std::uint16_t>(i), 64, b + 2);
            mask->Touch();
            view->AddChild(mask);
        }
        view->Touch();
    }
    group->Touch();
}

void CFileHeaderElement::Touch()
{
    if (m_v7Record) {
        IElement::Touch();
        SetSizesForBody(kV8HeaderBytes - 1 + static_cast<std::uint64_t>(m_v7Record->Size()));
        return;
    }
    CFixedBodyElement::Touch();
}

std::uint32_t CFileHeaderElement::WriteV8(std::uint8_t** cursor) { return m_fromV8 ? CFixedBodyElement::WriteV8(cursor) : 0; }

IElement* CFileHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    CFileHeaderElement* copy = new (std::nothrow) CFileHeaderElement(target ? target : m_designFile);
    if (!copy)
        return nullptr;
    copy->m_is3d = m_is3d;
    copy->m_fromV8 = m_fromV8;
    if (m_v7Record && !(copy->m_v7Record = m_v7Record->Clone())) {
        delete copy;
        return nullptr;
    }
    IElement* done = FinishClone(copy, target, removeSource);
    if (done)
        copy->BecomeFileHeader();
    return done;
}

void CFileHeaderElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "DGN File Header (TCB)");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
