#include "storage/CfFormat.h"

#include <cstring>

namespace dgn {

std::uint16_t CfGet16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t CfGet32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t CfGet64(const std::uint8_t* p) { return CfGet32(p) | (static_cast<std::uint64_t>(CfGet32(p + 4)) << 32); }

void CfPut16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void CfPut32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void CfPut64(std::uint8_t* p, std::uint64_t v)
{
    CfPut32(p, static_cast<std::uint32_t>(v));
    CfPut32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

std::uint64_t CfSecondsToFiletime(std::uint32_t seconds) { return static_cast<std::uint64_t>(seconds) * 10000000ull + kCfFiletimeOf1970; }

std::uint32_t CfFiletimeToSeconds(std::uint64_t filetime)
{
    if (filetime == 0)
        return 0;
    const std::int64_t ticks = static_cast<std::int64_t>(filetime - kCfFiletimeOf1970);
    // Before 1970 the ones' complement trick rounds toward negative infinity.
    const std::int64_t seconds = ticks < 0 ? ~(~ticks / 10000000) : ticks / 10000000;
    return static_cast<std::uint32_t>(seconds);
}

namespace {

struct UpperRun {
    std::uint16_t first;
    std::uint16_t last;
    std::uint16_t step;
    std::uint16_t delta;
};

const UpperRun kUpperRuns[] = {
#include "storage/CfUpperCaseTable.inc"
};

} // namespace

char16_t CfUpperCase(char16_t unit)
{
    // The runs are sorted and disjoint: the last run starting at or below the unit decides.
    std::size_t lo = 0;
    std::size_t hi = sizeof(kUpperRuns) / sizeof(kUpperRuns[0]);
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (kUpperRuns[mid].first <= unit)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0)
        return unit;
    const UpperRun& run = kUpperRuns[lo - 1];
    if (unit > run.last || (unit - run.first) % run.step != 0)
        return unit;
    return static_cast<char16_t>(unit + run.delta);
}

int CfNameUnits(const char16_t* name, int limit)
{
    int n = 0;
    while (name && n < limit && name[n])
        ++n;
    return n;
}

int CfCompareNames(const char16_t* a, const char16_t* b)
{
    const int la = CfNameUnits(a);
    const int lb = CfNameUnits(b);
    if (la != lb)
        return la < lb ? -1 : 1;
    for (int i = 0; i < la; ++i) {
        const char16_t ua = CfUpperCase(a[i]);
        const char16_t ub = CfUpperCase(b[i]);
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    return 0;
}

namespace {

const std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

} // namespace

void CfNewHeader(CfHeader* header, std::uint16_t sectorShift)
{
    std::memset(header, 0, sizeof(*header));
    std::memcpy(header->signature, kSignature, 8);
    header->minorVersion = 0x003E;
    header->majorVersion = sectorShift == kCfSmallSectorShift ? 3 : 4;
    header->byteOrder = 0xFFFE;
    header->sectorShift = sectorShift;
    header->miniSectorShift = kCfMiniSectorShift < sectorShift ? kCfMiniSectorShift : static_cast<std::uint16_t>(sectorShift / 2);
    header->firstDirectorySector = kCfFreeSector;
    header->transactionSignature = 1;
    header->miniStreamCutoff = kCfMiniStreamCutoff;
    header->firstMiniFatSector = kCfFreeSector;
    header->firstDifatSector = kCfFreeSector;
}

void CfEncodeHeader(const CfHeader& h, std::uint8_t out[kCfHeaderBytes])
{
    std::memcpy(out, h.signature, 8);
    std::memcpy(out + 8, h.classId, 16);
    CfPut16(out + 24, h.minorVersion);
    CfPut16(out + 26, h.majorVersion);
    CfPut16(out + 28, h.byteOrder);
    CfPut16(out + 30, h.sectorShift);
    CfPut16(out + 32, h.miniSectorShift);
    std::memcpy(out + 34, h.reserved, 6);
    CfPut32(out + 40, h.directorySectors);
    CfPut32(out + 44, h.fatSectors);
    CfPut32(out + 48, h.firstDirectorySector);
    CfPut32(out + 52, h.transactionSignature);
    CfPut32(out + 56, h.miniStreamCutoff);
    CfPut32(out + 60, h.firstMiniFatSector);
    CfPut32(out + 64, h.miniFatSectors);
    CfPut32(out + 68, h.firstDifatSector);
    CfPut32(out + 72, h.difatSectors);
}

int CfDecodeHeader(const std::uint8_t in[kCfHeaderBytes], CfHeader* h)
{
    std::memcpy(h->signature, in, 8);
    std::memcpy(h->classId, in + 8, 16);
    h->minorVersion = CfGet16(in + 24);
    h->majorVersion = CfGet16(in + 26);
    h->byteOrder = CfGet16(in + 28);
    h->sectorShift = CfGet16(in + 30);
    h->miniSectorShift = CfGet16(in + 32);
    std::memcpy(h->reserved, in + 34, 6);
    h->directorySectors = CfGet32(in + 40);
    h->fatSectors = CfGet32(in + 44);
    h->firstDirectorySector = CfGet32(in + 48);
    h->transactionSignature = CfGet32(in + 52);
    h->miniStreamCutoff = CfGet32(in + 56);
    h->firstMiniFatSector = CfGet32(in + 60);
    h->miniFatSectors = CfGet32(in + 64);
    h->firstDifatSector = CfGet32(in + 68);
    h->difatSectors = CfGet32(in + 72);
    if (std::memcmp(h->signature, kSignature, 8) != 0 || h->byteOrder != 0xFFFE)
        return kCfNotCompoundFile;
    // Only the sector sizes of the two versions exist; any other shift would divide by zero
    // (below 7 a sector does not hold a directory entry) or shift past the integers.
    if ((h->sectorShift != kCfSmallSectorShift && h->sectorShift != kCfLargeSectorShift) || h->miniSectorShift != kCfMiniSectorShift)
        return kCfCorrupt;
    return kCfOk;
}

std::uint16_t CfPropertyType(int kind, std::uint32_t id)
{
    if (kind == kCfSummaryInformation) {
        if ((id >= 2 && id <= 9) || id == 18)
            return kCfVtLpstr;
        if (id >= 10 && id <= 13)
            return kCfVtFiletime;
        if (id == 14 || id == 15 || id == 16 || id == 19)
            return kCfVtI4;
        if (id == 17)
            return kCfVtCf;
    } else if (kind == kCfDocumentSummaryInformation) {
        if (id == 2 || id == 3 || id == 14 || id == 15)
            return kCfVtLpstr;
        if (id >= 4 && id <= 10)
            return kCfVtI4;
        if (id == 11 || id == 16)
            return kCfVtBool;
    }
    return kCfVtEmpty;
}

namespace {

// FMTIDs as a 32-bit and two 16-bit little-endian fields and 8 bytes.
const std::uint8_t kSummaryFmtid[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
const std::uint8_t kDocSummaryFmtid[16] = {0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10, 0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
const std::uint8_t kUserDefinedFmtid[16] = {0x05, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10, 0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};

bool Written(int kind, const CfProperty& p) { return p.present && p.vt != kCfVtEmpty && CfPropertyType(kind, p.id) != kCfVtEmpty; }

// The bytes of a value without its 4-byte type; false for a type the writer does not handle.
bool ValueBytes(const CfProperty& p, std::uint64_t* bytes)
{
    switch (p.vt) {
    case kCfVtI2:
    case kCfVtBool:
        *bytes = 2;
        return true;
    case kCfVtI4:
        *bytes = 4;
        return true;
    case kCfVtLpstr:
        *bytes = 4 + (p.text ? std::strlen(p.text) : 0) + 1;
        return true;
    case kCfVtFiletime:
        *bytes = 8;
        return true;
    case kCfVtCf:
        *bytes = 4 + static_cast<std::uint64_t>(p.data ? p.bytes : 0);
        return true;
    default:
        return false;
    }
}

void PutValue(const CfProperty& p, std::uint8_t* out)
{
    CfPut32(out, p.vt);
    out += 4;
    switch (p.vt) {
    case kCfVtI2:
    case kCfVtBool:
        CfPut16(out, static_cast<std::uint16_t>(p.number));
        break;
    case kCfVtI4:
        CfPut32(out, static_cast<std::uint32_t>(p.number));
        break;
    case kCfVtLpstr: {
        const std::size_t n = p.text ? std::strlen(p.text) : 0;
        CfPut32(out, static_cast<std::uint32_t>(n + 1));
        if (n)
            std::memcpy(out + 4, p.text, n);
        out[4 + n] = 0;
        break;
    }
    case kCfVtFiletime:
        CfPut64(out, CfSecondsToFiletime(static_cast<std::uint32_t>(p.number)));
        break;
    case kCfVtCf: {
        const std::uint32_t n = p.data ? p.bytes : 0;
        CfPut32(out, n);
        if (n)
            std::memcpy(out + 4, p.data, n);
        break;
    }
    default:
        break;
    }
}

} // namespace

int CfLayoutPropertySet(const CfPropertySet& set, std::uint8_t* out, std::uint32_t* size)
{
    if (!size || (set.kind != kCfSummaryInformation && set.kind != kCfDocumentSummaryInformation) || set.count < 0 ||
        set.count > kCfMaxProperties)
        return kCfBadArgument;
    std::uint64_t count = 0;
    std::uint64_t values = 0;
    for (int i = 0; i < set.count; ++i) {
        const CfProperty& p = set.properties[i];
        if (!Written(set.kind, p))
            continue;
        std::uint64_t bytes = 0;
        if (!ValueBytes(p, &bytes))
            return kCfPropertyType;
        ++count;
        values += 4 + bytes;
    }
    const std::uint64_t sectionSize = 8 + 8 * count + values;
    const std::uint32_t sectionAt = set.kind == kCfSummaryInformation ? 48 : 68;
    if (sectionAt + sectionSize > 0xFFFFFFFFull)
        return kCfBadArgument;
    *size = static_cast<std::uint32_t>(sectionAt + sectionSize);
    if (!out)
        return kCfOk;
    std::memset(out, 0, sectionAt);
    CfPut16(out, 0xFFFE);
    CfPut16(out + 2, 0);
    CfPut32(out + 4, 516);
    CfPut32(out + 24, 1);
    std::memcpy(out + 28, set.kind == kCfSummaryInformation ? kSummaryFmtid : kDocSummaryFmtid, 16);
    CfPut32(out + 44, sectionAt);
    if (set.kind == kCfDocumentSummaryInformation) {
        std::memcpy(out + 48, kUserDefinedFmtid, 16);
        CfPut32(out + 64, static_cast<std::uint32_t>(68 + sectionSize));
    }
    std::uint8_t* section = out + sectionAt;
    CfPut32(section, static_cast<std::uint32_t>(sectionSize));
    CfPut32(section + 4, static_cast<std::uint32_t>(count));
    std::uint8_t* index = section + 8;
    std::uint32_t valueAt = static_cast<std::uint32_t>(8 + 8 * count);
    for (int i = 0; i < set.count; ++i) {
        const CfProperty& p = set.properties[i];
        if (!Written(set.kind, p))
            continue;
        std::uint64_t bytes = 0;
        ValueBytes(p, &bytes);
        CfPut32(index, p.id);
        CfPut32(index + 4, valueAt);
        index += 8;
        PutValue(p, section + valueAt);
        valueAt += static_cast<std::uint32_t>(4 + bytes);
    }
    return kCfOk;
}

} // namespace dgn
