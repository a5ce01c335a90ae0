#include "ViewElement.h"

#include "DesignFile.h"
#include "EntityIterator.h"
#include "LittleEndian.h"
#include "elements/LevelMaskElement.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType98 = 98;
// Offsets in the body after the child count (the body offsets less 4).
constexpr std::uint32_t kRotationAt = 4;
constexpr std::uint32_t kScreenOriginAt = 76;
constexpr std::uint32_t kScreenSizeAt = 92;
constexpr std::uint32_t kOriginAt = 108;
constexpr std::uint32_t kDeltaAt = 132;
constexpr std::uint32_t kWordsAt = 204;
constexpr std::uint32_t kFlagsAt = 212;
constexpr std::uint32_t kWord1At = 216;
constexpr std::uint32_t kValidAt = 226;
constexpr std::uint32_t kNumberAt = 228;
constexpr std::uint32_t kWord3At = 232;
constexpr std::uint32_t kActiveZAt = 240;
constexpr std::uint32_t kConversionAt = 244;

} // namespace

CViewElement::CViewElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType98;
    m_flags |= kElementComplexHeader | kElementNonModel;
    for (int i = 0; i < 3; ++i)
        StoreF64(m_data + kRotationAt + 8 * (4 * i), 1.0);
    StoreF64(m_data + kScreenSizeAt, 1.0);
    StoreF64(m_data + kScreenSizeAt + 8, 1.0);
    StoreF64(m_data + kDeltaAt, 100000.0);
    StoreF64(m_data + kDeltaAt + 8, 100000.0);
    StoreU32(m_data + kFlagsAt, 0x0381B8DC);
    StoreU32(m_data + kWord1At, 600);
    StoreU16(m_data + kValidAt, 1);
}

CViewElement::~CViewElement() = default;

CViewElement* CViewElement::Create(CDesignFile* file, std::int32_t model)
{
    CViewElement* v = file ? new (std::nothrow) CViewElement(file) : nullptr;
    if (v) {
        v->m_model = model;
        v->m_elementId = file->NewElementId();
        v->EnterIdIndex();
    }
    return v;
}

int CViewElement::GetType() const { return kType98; }
std::uint32_t CViewElement::FixedBytes() const { return 4 + sizeof m_data; }
std::uint8_t* CViewElement::GetViewData() { return m_data; }
bool CViewElement::IsValid() const { return LoadU16(m_data + kValidAt) != 0; }
std::uint16_t CViewElement::GetViewNumber() const { return LoadU16(m_data + kNumberAt); }
std::int32_t CViewElement::GetViewWord3() const { return static_cast<std::int32_t>(LoadU32(m_data + kWord3At)); }
std::uint32_t CViewElement::GetViewFlags() const { return LoadU32(m_data + kFlagsAt); }
void CViewElement::SetViewFlags(std::uint32_t flags) { StoreU32(m_data + kFlagsAt, flags); }
std::int32_t CViewElement::GetColorIndex() const { return static_cast<std::int32_t>(LoadU32(m_data + kWord1At)); }
void CViewElement::SetColorIndex(std::int32_t color) { StoreU32(m_data + kWord1At, static_cast<std::uint32_t>(color)); }
void CViewElement::SetOnWord(std::uint16_t word) { StoreU16(m_data + kValidAt, word); }
std::uint16_t CViewElement::GetWordAfterExtent() const { return LoadU16(m_data + kWordsAt); }
void CViewElement::SetWordAfterExtent(std::uint16_t word) { StoreU16(m_data + kWordsAt, word); }

void CViewElement::SetRotation2d(double c, double s)
{
    StoreF64(m_data + kRotationAt, c);
    StoreF64(m_data + kRotationAt + 8, s);
    StoreF64(m_data + kRotationAt + 24, -s);
    StoreF64(m_data + kRotationAt + 32, c);
}

void CViewElement::SetOriginAndDelta2d(double originX, double originY, double deltaX, double deltaY)
{
    StoreF64(m_data + kOriginAt, originX);
    StoreF64(m_data + kOriginAt + 8, originY);
    StoreF64(m_data + kDeltaAt, deltaX);
    StoreF64(m_data + kDeltaAt + 8, deltaY);
}

bool CViewElement::IsViewOn() const { return IsValid() && (GetViewFlags() & kViewVisible) != 0; }

bool CViewElement::GetViewRecord(ViewFields* out) const
{
    if (!out || !IsValid())
        return false;
    out->flags = GetViewFlags();
    out->number = GetViewNumber();
    for (int i = 0; i < 9; ++i)
        out->rotation[i] = LoadF64(m_data + kRotationAt + 8 * i);
    for (int i = 0; i < 3; ++i) {
        out->origin[i] = LoadF64(m_data + kOriginAt + 8 * i);
        out->delta[i] = LoadF64(m_data + kDeltaAt + 8 * i);
    }
    return true;
}

bool CViewElement::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < FixedBytes())
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    std::memcpy(m_data, b + 4, sizeof m_data);
    return true;
}

void CViewElement::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, static_cast<std::uint32_t>(ChildCount()));
    std::memcpy(out + 4, m_data, sizeof m_data);
}

void CViewElement::SetFromV7(std::uint16_t number, std::uint32_t flags, const double origin[3], const double delta[3], const double rotation[9],
                             double conversion, std::int32_t activeZ)
{
    StoreU32(m_data + kFlagsAt, flags);
    for (int i = 0; i < 3; ++i) {
        StoreF64(m_data + kOriginAt + 8 * i, origin[i]);
        StoreF64(m_data + kDeltaAt + 8 * i, delta[i]);
    }
    for (int i = 0; i < 9; ++i)
        StoreF64(m_data + kRotationAt + 8 * i, rotation[i]);
    StoreU16(m_data + kNumberAt, number);
    StoreU16(m_data + kValidAt, 1);
    StoreU32(m_data + kWord3At, 0);
    StoreF64(m_data + kConversionAt, conversion);
    StoreU32(m_data + kActiveZAt, static_cast<std::uint32_t>(activeZ));
}

void CViewElement::GetViewInfo(double out[17]) const
{
    for (int i = 0; i < 9; ++i)
        out[i] = LoadF64(m_data + kRotationAt + 8 * i);
    for (int i = 0; i < 3; ++i) {
        const double origin = LoadF64(m_data + kOriginAt + 8 * i);
        const double delta = LoadF64(m_data + kDeltaAt + 8 * i);
        out[9 + i] = origin + 0.5 * delta;
        out[12 + i] = delta;
    }
    out[15] = static_cast<double>(GetViewFlags());
    out[16] = static_cast<double>(GetViewNumber());
}

CLevelMaskElement* CViewElement::GetLevelMask()
{
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return nullptr;
    CLevelMaskElement* found = nullptr;
    while (IEntity* e = it->Next()) {
        if (e->GetType() == 99 && (found = dynamic_cast<CLevelMaskElement*>(e)))
            break;
    }
    delete it;
    return found;
}

IElement* CViewElement::Clone(CDesignFile* target, bool removeSource)
{
    CViewElement* copy = new (std::nothrow) CViewElement(target ? target : m_designFile);
    if (copy)
        std::memcpy(copy->m_data, m_data, sizeof m_data);
    return FinishClone(copy, target, removeSource);
}

void CViewElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "View specification");
    IElement::Describe(callback);
    if (!IsValid()) {
        EmitLine(callback, kLineBuffer, "View flagged as invalid.");
        EmitEnd(callback);
        return;
    }
    const unsigned short flags = static_cast<unsigned short>(GetViewFlags());
    EmitLine(callback, kLineBuffer, (GetViewFlags() & kViewVisible) ? "view %i, flags %hx - Visible" : "view %i, flags %hx - Not visible",
             GetViewNumber(), flags);
    auto d = [&](std::uint32_t at) { return LoadF64(m_data + at); };
    EmitLine(callback, kLineBuffer, "Screen org:%f,%f", d(kScreenOriginAt), d(kScreenOriginAt + 8));
    EmitLine(callback, kLineBuffer, "width: %f,height: %f", d(kScreenSizeAt), d(kScreenSizeAt + 8));
    EmitLine(callback, kLineBuffer, "View minimum x=%f, y=%f, z=%f", d(kOriginAt), d(kOriginAt + 8), d(kOriginAt + 16));
    EmitLine(callback, kLineBuffer, "View delta x=%f, y=%f, z=%f", d(kDeltaAt), d(kDeltaAt + 8), d(kDeltaAt + 16));
    EmitLine(callback, kLineBuffer, "rotation [ %f,%f,%f", d(kRotationAt), d(kRotationAt + 8), d(kRotationAt + 16));
    EmitLine(callback, kLineBuffer, "           %f,%f,%f", d(kRotationAt + 24), d(kRotationAt + 32), d(kRotationAt + 40));
    EmitLine(callback, kLineBuffer, "           %f,%f,%f ]", d(kRotationAt + 48), d(kRotationAt + 56), d(kRotationAt + 64));
    EmitEnd(callback);
}

} // namespace dgn
