#include "ApplicationElement.h"

#include "DesignFile.h"
#include "DgnString.h"
#include "ElementLinkages.h"
#include "LittleEndian.h"
#include "linkages/LinkageText.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace dgn {

namespace {

constexpr std::uint16_t kType66 = 66;
constexpr std::int32_t kModelHeaderLevel = 32;
constexpr std::uint32_t kModelHeaderAttrOffsetWords = (kV8HeaderBytes + kModelHeaderBodyBytes - 4) / 2;

// Offsets in the body.
constexpr std::uint32_t kModelTypeAt = 2;
constexpr std::uint32_t kFlags1At = 24;
constexpr std::uint32_t kStorageUnitsAt = 32;
constexpr std::uint32_t kFlags2At = 36;
constexpr std::uint32_t kMasterUnitsAt = 40;
constexpr std::uint32_t kSubUnitsAt = 44;
constexpr std::uint32_t kMasterRatioAt = 48;
constexpr std::uint32_t kSubRatioAt = 64;
constexpr std::uint32_t kOriginAt = 80;
constexpr std::uint32_t kUorScaleAt = 192;
constexpr std::uint32_t kStorageRatioAt = 200;
constexpr std::uint32_t kBackgroundAt = 416;

// The keys of the model's string linkages.
constexpr std::uint32_t kNameKey = 1;
constexpr std::uint32_t kDescriptionKey = 2;
constexpr std::uint32_t kMasterLabelKey = 19;
constexpr std::uint32_t kSubLabelKey = 20;

int BaseOf(std::uint32_t unitsWord) { return static_cast<int>(unitsWord & 7); }
int SystemOf(std::uint32_t unitsWord) { return static_cast<int>((unitsWord >> 3) & 7); }

} // namespace

CApplicationElement::CApplicationElement(CDesignFile* file) : IElement(file)
{
    m_type = kType66;
    m_level = kModelHeaderLevel;
    m_list = kModelHeaderList;
}

CApplicationElement::~CApplicationElement()
{
    CApplicationElement** slot = m_designFile ? m_designFile->GetModelHeaderSlot(m_model) : nullptr;
    if (slot && *slot == this)
        *slot = nullptr;
}

int CApplicationElement::GetType() const { return kType66; }

IElement* CApplicationElement::Clone(CDesignFile* target, bool removeSource)
{
    CApplicationElement* copy = new (std::nothrow) CApplicationElement(target);
    if (!copy)
        return nullptr;
    std::memcpy(copy->m_body, m_body, sizeof m_body);
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CApplicationElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!IElement::ReadV8(cursor, length))
        return false;
    const bool ok = m_attrOffsetWords >= kModelHeaderAttrOffsetWords;
    if (ok)
        std::memcpy(m_body, record + kV8HeaderBytes, sizeof m_body);
    return EndBodyRead(cursor, record, ok);
}

bool CApplicationElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length) { return IElement::ReadV7(cursor, length); }

void CApplicationElement::Touch()
{
    IElement::Touch();
    SetSizesForBody(kV8HeaderBytes + kModelHeaderBodyBytes);
}

std::uint32_t CApplicationElement::WriteV8(std::uint8_t** cursor)
{
    return WriteBodyRecord(cursor, m_body, sizeof m_body);
}

std::uint16_t CApplicationElement::GetModelType() const { return LoadU16(m_body + kModelTypeAt); }
std::uint32_t CApplicationElement::GetFlags1() const { return LoadU32(m_body + kFlags1At); }
std::uint32_t CApplicationElement::GetFlags2() const { return LoadU32(m_body + kFlags2At); }
double CApplicationElement::GetMasterUnitsNumerator() const { return LoadF64(m_body + kMasterRatioAt); }
double CApplicationElement::GetMasterUnitsDenominator() const { return LoadF64(m_body + kMasterRatioAt + 8); }
double CApplicationElement::GetSubUnitsNumerator() const { return LoadF64(m_body + kSubRatioAt); }
double CApplicationElement::GetSubUnitsDenominator() const { return LoadF64(m_body + kSubRatioAt + 8); }

void CApplicationElement::GetModelOrigin(double out[3]) const
{
    for (int i = 0; i < 3; ++i)
        out[i] = LoadF64(m_body + kOriginAt + 8 * i);
}

double CApplicationElement::GetUorScale() const { return LoadF64(m_body + kUorScaleAt); }
double CApplicationElement::GetStorageUnitsNumerator() const { return LoadF64(m_body + kStorageRatioAt); }
double CApplicationElement::GetStorageUnitsDenominator() const { return LoadF64(m_body + kStorageRatioAt + 8); }
std::uint32_t CApplicationElement::GetBackgroundColor() const { return LoadU32(m_body + kBackgroundAt); }

std::uint32_t CApplicationElement::GetMasterUnitsFlags() const { return LoadU32(m_body + kMasterUnitsAt); }
std::uint32_t CApplicationElement::GetSubUnitsFlags() const { return LoadU32(m_body + kSubUnitsAt); }
void CApplicationElement::SetMasterUnitsFlags(std::uint32_t flags) { StoreU32(m_body + kMasterUnitsAt, flags); }
void CApplicationElement::SetSubUnitsFlags(std::uint32_t flags) { StoreU32(m_body + kSubUnitsAt, flags); }

void CApplicationElement::SetFlags2(std::uint32_t flags) { StoreU32(m_body + kFlags2At, flags); }

void CApplicationElement::SetMasterUnitsRatio(double numerator, double denominator)
{
    StoreF64(m_body + kMasterRatioAt, numerator);
    StoreF64(m_body + kMasterRatioAt + 8, denominator);
}

void CApplicationElement::SetSubUnitsRatio(double numerator, double denominator)
{
    StoreF64(m_body + kSubRatioAt, numerator);
    StoreF64(m_body + kSubRatioAt + 8, denominator);
}

void CApplicationElement::SetModelOrigin(const double origin[3])
{
    for (int i = 0; i < 3; ++i)
        StoreF64(m_body + kOriginAt + 8 * i, origin[i]);
}

void CApplicationElement::SetUorScale(double scale) { StoreF64(m_body + kUorScaleAt, scale); }

void CApplicationElement::SetStorageUnitsRatio(double numerator, double denominator)
{
    StoreF64(m_body + kStorageRatioAt, numerator);
    StoreF64(m_body + kStorageRatioAt + 8, denominator);
}

void CApplicationElement::SetBackgroundColor(std::uint32_t rgb) { StoreU32(m_body + kBackgroundAt, rgb & 0xFFFFFFu); }

void CApplicationElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "MicroStation Application Data - type %i Model %i Header", m_level, m_model);

    CDgnString* text = CDgnString::Create();
    // A name or description line: wide text gives a wide line.
    auto describeString = [&](std::uint32_t key, const char* format, const char* head) {
        if (text)
            text->Clear();
        if (text && m_attributes && m_attributes->GetStringLinkage(key, *text) && text->IsWide()) {
            EmitWideLine(callback, kLineBuffer, WidenAscii(head) + WideText(*text));
            return;
        }
        const std::string narrow = text ? NarrowText(*text) : std::string();
        EmitLine(callback, kLineBuffer, format, narrow.c_str());
    };
    // Unit labels are short; wide ones are shown in the ANSI code page.
    auto label = [&](std::uint32_t key) {
        std::string out;
        if (text && m_attributes && m_attributes->GetStringLinkage(key, *text)) {
            std::vector<char> ansi(2 * static_cast<std::size_t>(text->CharCount()) + 1, '\0');
            text->CopyToAnsi(ansi.data());
            out = ansi.data();
        }
        return out;
    };
    describeString(kNameKey, "  Name: %s", "  Name: ");
    describeString(kDescriptionKey, "  Description: %s", "  Description: ");
    EmitLine(callback, kLineBuffer, "  UOR Scale - %g", GetUorScale());
    const std::uint32_t storage = LoadU32(m_body + kStorageUnitsAt);
    EmitLine(callback, kLineBuffer, "  Storage units - mbase: %i, msys:%i, num: %g, div: %g", BaseOf(storage), SystemOf(storage),
             GetStorageUnitsNumerator(), GetStorageUnitsDenominator());
    const std::uint32_t master = LoadU32(m_body + kMasterUnitsAt);
    EmitLine(callback, kLineBuffer, "  Master units: %s - mbase: %i, msys:%i, num: %g, div: %g", label(kMasterLabelKey).c_str(), BaseOf(master),
             SystemOf(master), GetMasterUnitsNumerator(), GetMasterUnitsDenominator());
    const std::uint32_t sub = LoadU32(m_body + kSubUnitsAt);
    EmitLine(callback, kLineBuffer, "  Sub units: %s - mbase: %i, msys:%i, num: %g, div: %g", label(kSubLabelKey).c_str(), BaseOf(sub), SystemOf(sub),
             GetSubUnitsNumerator(), GetSubUnitsDenominator());
    EmitLine(callback, kLineBuffer, "  mtype: %i, flags1: 0x%08x, flags2: 0x%08x, bkcolor: %i", GetModelType(), GetFlags1(), GetFlags2(),
             static_cast<int>(GetBackgroundColor()));
    double origin[3];
    GetModelOrigin(origin);
    EmitLine(callback, kLineBuffer, "  Model origin (unscaled): %g,%g,%g", origin[0], origin[1], origin[2]);
    delete text;
    EmitEnd(callback);
}

} // namespace dgn
