// The design file's V8 storage: loading a compound file, saving one, the element streams, the
// seeds of new files and models, the V8 side of a V7 file, and the thumbnail.
//
// Layout of a V8 file, in the order it is written:
//   "Dgn~H"       20 stored bytes, then one zlib stream: the header block
//   "Dgn~S"       plain bytes
//   "Dgn~Mf"      one zlib stream (a plain one is read too)
//   \5SummaryInformation, \5DocumentSummaryInformation   plain property sets
//   "DgnTk"       64 plain bytes, never read
//   "Dgn^Ix"      storage with the zlib stream "Dgn~Mix"
//   "Dgn^Nm"      element streams of the file-level elements (list 0, model 0)
//   "Dgn-Md"      one storage "#%06i" per model: element storages "Dgn^G" (list 1) and
//                 "Dgn^C" (list 2), and "Dgn~Mh", the model's block with its header record
// An element storage holds streams "$1", "$2", ...: a 16-byte header (record count at 0 and
// 12, 2 or 3 at 4, the stream's number at 8), then one zlib stream of records back to back.
#include "DesignFile.h"

#include "ByteArray.h"
#include "ElementFactory.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "LittleEndian.h"
#include "SeedData.h"
#include "elements/ApplicationElement.h"
#include "platform/Platform.h"
#include "storage/CompoundStorage.h"
#include "storage/MemoryByteStream.h"
#include "storage/StorageStream.h"
#include "storage/ZlibStream.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

namespace dgn {

namespace {

// What the library reads and writes of the header block, at these block offsets.
constexpr std::uint32_t kIs3dAt = 292;
constexpr std::uint32_t kHighestModelAt = 308;
constexpr std::uint32_t kSettingBAt = 312;
constexpr std::uint32_t kNextIdAt = 316;
constexpr std::uint32_t kSettingAAt = 332;
// A header block must hold every field the library reads.
constexpr std::uint32_t kHeaderBlockMinimum = kSettingAAt + 4;
// The element stream reader asks the inflater for at least this many bytes ahead.
constexpr std::uint32_t kRecordLookahead = 40;
constexpr std::uint32_t kStreamHeaderBytes = 16;
// Model storage names are read into a buffer of this size: longer names are no model's.
constexpr std::size_t kModelNameBytes = 20;
// The element buffer grows in steps of this many bytes (and the inflater's input with half).
constexpr std::uint64_t kElementBufferStep = 2u << 20;
// The largest element buffer a save asks for.
constexpr std::uint64_t kElementBufferLimit = 1u << 30;
constexpr std::uint32_t kSBlockBytes = 208;
constexpr std::uint16_t kModelHeaderType = 66;
constexpr std::int32_t kModelHeaderLevel = 32;

const char kSummaryInformation[] = "\x05SummaryInformation";
const char kDocSummaryInformation[] = "\x05" "DocumentSummaryInformation";

// "DgnTk": 31 '~', a zero, 31 '.', a zero.
void TokenBytes(std::uint8_t out[64])
{
    std::memset(out, '~', 31);
    out[31] = 0;
    std::memset(out + 32, '.', 31);
    out[63] = 0;
}

// Reads exactly n bytes from the stream; false when fewer come.
bool ReadExactly(IByteStream* s, std::uint8_t* out, std::uint32_t n)
{
    std::uint32_t got = 0;
    while (got < n) {
        const std::uint32_t k = s->Read(out + got, n - got);
        if (k == 0)
            return false;
        got += k;
    }
    return true;
}

// The decimal number of a whole text ("%d" that consumes it all): optional sign and digits.
bool WholeDecimal(const char* text, long long* out)
{
    const char* p = text;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (!*p)
        return false;
    long long value = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + (*p - '0');
        if (value > 0x7FFFFFFF)
            return false;
    }
    *out = negative ? -value : value;
    return true;
}

// A hexadecimal number at the start of the text ("%x"); false without one.
bool LeadingHex(const char* text, long long* out)
{
    const char* p = text;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p[2])))
        p += 2;
    long long value = 0;
    int digits = 0;
    for (; std::isxdigit(static_cast<unsigned char>(*p)); ++p, ++digits) {
        const int d = *p <= '9' ? *p - '0' : (*p | 0x20) - 'a' + 10;
        value = value * 16 + d;
        if (value > 0x7FFFFFFF)
            return false;
    }
    *out = value;
    return digits > 0;
}

CApplicationElement* AsModelHeader(IElement* e) { return dynamic_cast<CApplicationElement*>(e); }

} // namespace

bool CDesignFile::EnsureModelSeeds()
{
    if (!m_modelSeeds)
        m_modelSeeds = CZlibStream::Create(0, 0);
    return m_modelSeeds != nullptr;
}

int CDesignFile::CloseV8Storage()
{
    delete m_modelSeeds;
    m_modelSeeds = nullptr;
    int status = kCfOk;
    if (m_compoundStorage) {
        status = m_compoundStorage->Close();
        delete m_compoundStorage;
        m_compoundStorage = nullptr;
    }
    return status;
}

bool CDesignFile::LoadFromPath(const char16_t* path)
{
    m_loadedCount = 0;
    m_status = 1;
    if (!path || !SetFilePath(path))
        return false;
    CloseV8Storage();
    m_compoundStorage = CCompoundStorage::Open(path, false);
    // A file that opens as a compound file is V8, even when its streams are missing.
    if (m_compoundStorage)
        return LoadV8();
    return LoadV7(path);
}

bool CDesignFile::CreateElementV8(const std::uint8_t* record, std::uint32_t length, bool fileIs3d, IElement** out)
{
    if (!record || length < kV8HeaderBytes)
        return false;
    const std::uint16_t flags = LoadU16(record + 6);
    if (flags & kElementDeleted)
        return true;
    bool threeD = fileIs3d;
    if (flags & kElementGraphic)
        threeD = length >= 46 && (LoadU16(record + 44) & kProperty3d) != 0;
    IElement* e = NewElementV8(this, record, length, threeD);
    if (!e)
        return false;
    e->SetModel(m_currentModel);
    const std::uint8_t* cursor = record;
    if (!e->ReadV8(&cursor, length)) {
        delete e;
        return false;
    }
    if (out)
        *out = e;
    ++m_loadedCount;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

bool CDesignFile::ReadRawStream(const char* name, CByteArray** block)
{
    delete *block;
    *block = nullptr;
    if (!m_compoundStorage->OpenStream(name))
        return false;
    // The whole stream, however long.
    const std::uint32_t size = m_compoundStorage->GetRemaining();
    CByteArray* bytes = size ? CByteArray::NewWithCapacity(0) : nullptr;
    bool ok = bytes && bytes->Reserve(size);
    std::uint32_t got = 0;
    while (ok && got < size) {
        std::uint32_t n = 0;
        m_compoundStorage->Read(bytes->Data() + got, size - got, &n);
        if (n == 0)
            break;
        got += n;
    }
    m_compoundStorage->CloseStream();
    if (!ok || got == 0 || bytes->Grow(got) != got) {
        delete bytes;
        return false;
    }
    *block = bytes;
    return true;
}

bool CDesignFile::ReadCompressedStream(const char* name, CByteArray** block, std::uint32_t prefix)
{
    delete *block;
    *block = nullptr;
    CStorageStream stream(m_compoundStorage, name, false);
    if (stream.HasFailed())
        return false;
    CByteArray* bytes = CByteArray::NewWithCapacity(0);
    bool ok = bytes != nullptr;
    if (ok && prefix) {
        std::uint8_t head[kStreamHeaderBytes + 4];
        ok = prefix <= sizeof head && ReadExactly(&stream, head, prefix) && bytes->Append(head, prefix);
    }
    ok = ok && m_modelSeeds->DecompressAll(&stream, bytes);
    if (!ok) {
        delete bytes;
        return false;
    }
    bytes->Compact();
    *block = bytes;
    return true;
}

void CDesignFile::ReadElementRecords(CZlibStream* z, bool fileIs3d, int list)
{
    const std::uint64_t largest = z->GetBufferSize();
    for (const std::uint8_t* p = z->Next(); p; p = z->Next()) {
        if (m_recordsLeft == 0)
            break;
        --m_recordsLeft;
        // A record that is not wholly there, or whose size cannot be a record, ends the
        // stream as truncation does.
        if (z->GetAvailable() < 12)
            break;
        const std::uint64_t length = 2 * static_cast<std::uint64_t>(LoadU32(p + 8)) + 4;
        if (length < kV8HeaderBytes || length > largest)
            break;
        p = z->Read(static_cast<std::uint32_t>(length));
        if (!p || z->GetAvailable() < length)
            break;
        IElement* e = nullptr;
        if (!CreateElementV8(p, static_cast<std::uint32_t>(length), fileIs3d, &e))
            break;
        // An element keeps the list of the storage it came from.
        if (e && list >= 0)
            e->SetList(list);
    }
}

bool CDesignFile::ReadElementStorage(bool fileIs3d, int list)
{
    IEntity* last = ChildList()->Prev();
    for (int n = 1; n < 0x7FFFFFFF; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "$%i", n);
        CStorageStream stream(m_compoundStorage, name, false);
        if (stream.HasFailed())
            break;
        std::uint8_t header[kStreamHeaderBytes];
        if (!ReadExactly(&stream, header, kStreamHeaderBytes))
            continue;
        const std::uint32_t count = LoadU32(header + 12);
        m_recordsLeft = count ? count : (LoadU32(header) & 0xFF);
        if (m_recordsLeft == 0)
            continue;
        m_modelSeeds->BeginInflate(&stream, kRecordLookahead);
        ReadElementRecords(m_modelSeeds, fileIs3d, list);
        m_modelSeeds->EndInflate();
    }
    // The records of a complex element follow their header within one storage.
    RebuildComplexTree(last->Next());
    return true;
}

bool CDesignFile::LoadV8()
{
    m_isV8 = 1;
    if (!EnsureModelSeeds() || !ReadCompressedStream("Dgn~H", &m_headerBlock, kHeaderSeedPrefix) ||
        m_headerBlock->Size() < kHeaderBlockMinimum) {
        CloseV8Storage();
        return false;
    }
    const std::uint8_t* h = m_headerBlock->Data();
    m_nextElementId = LoadU64(h + kNextIdAt);
    m_settingB = static_cast<std::int32_t>(LoadU32(h + kSettingBAt));
    m_settingA = static_cast<std::int32_t>(LoadU32(h + kSettingAAt));
    m_is3d = LoadU32(h + kIs3dAt) != 0 ? 1 : 0;

    ReadRawStream("Dgn~S", &m_sBlock);
    if (!ReadCompressedStream("Dgn~Mf", &m_mfBlock, 0))
        ReadRawStream("Dgn~Mf", &m_mfBlock);
    ReadRawStream(kSummaryInformation, &m_summaryInfo);
    ReadRawStream(kDocSummaryInformation, &m_docSummaryInfo);

    if (m_compoundStorage->OpenStorage("Dgn^Nm")) {
        m_currentModel = 0;
        ReadElementStorage(Is3d(), kFileList);
        m_compoundStorage->CloseStorage();
    }

    if (m_compoundStorage->OpenStorage("Dgn^Ix")) {
        ReadCompressedStream("Dgn~Mix", &m_mixBlock, 0);
        m_compoundStorage->CloseStorage();
    } else {
        delete m_mixBlock;
        m_mixBlock = nullptr;
    }
    if (!m_mixBlock)
        m_mixBlock = CByteArray::NewWithCapacity(0);
    if (m_mixBlock)
        m_mixBlock->Compact();

    if (m_compoundStorage->OpenStorage("Dgn-Md")) {
        bool hexadecimal = false;
        char name[CCompoundStorage::kNameBytes];
        for (int index = 0;;) {
            const int kind = m_compoundStorage->NextEntry(&index, name);
            if (kind == 0)
                break;
            if (kind != 1 || std::strlen(name) >= kModelNameBytes || !name[0])
                continue;
            // The number follows any first character: decimal while every name reads whole
            // as decimal, hexadecimal from the first that does not.
            long long number = -1;
            if (!hexadecimal && WholeDecimal(name + 1, &number)) {
            } else {
                hexadecimal = true;
                if (!LeadingHex(name + 1, &number))
                    continue;
            }
            if (number < 0 || number >= kMaxModels)
                continue;
            const int model = static_cast<int>(number);
            m_currentModel = model;
            if (!m_compoundStorage->OpenStorage(name))
                continue;
            ReadCompressedStream("Dgn~Mh", &m_modelBlocks[model], 0);
            CByteArray* block = m_modelBlocks[model];
            if (block)
                block->Compact();
            // The header record stands at kModelBlockPrefix: only a whole one makes a header.
            if (block && block->Size() >= kModelBlockPrefix + kV8HeaderBytes) {
                const std::uint8_t* record = block->Data() + kModelBlockPrefix;
                const std::uint32_t room = block->Size() - kModelBlockPrefix;
                if (LoadU16(record + 4) == kModelHeaderType && static_cast<std::int32_t>(LoadU32(record + 16)) == kModelHeaderLevel &&
                    2 * static_cast<std::uint64_t>(LoadU32(record + 8)) + 4 <= room) {
                    IElement* header = nullptr;
                    if (CreateElementV8(record, room, false, &header) && AsModelHeader(header))
                        m_models[model] = AsModelHeader(header);
                }
            }
            const bool model3d = IsModel3d(model);
            if (m_compoundStorage->OpenStorage("Dgn^G")) {
                ReadElementStorage(model3d, kGraphicList);
                m_compoundStorage->CloseStorage();
            }
            if (m_compoundStorage->OpenStorage("Dgn^C")) {
                ReadElementStorage(model3d, kControlList);
                m_compoundStorage->CloseStorage();
            }
            m_compoundStorage->CloseStorage();
        }
        m_compoundStorage->CloseStorage();
    }

    LoadThumbnail();
    CloseV8Storage();
    m_status = 0;
    RebuildLevelIndex();
    PropagateListToComponents();
    m_loaded = 1;
    return true;
}

bool CDesignFile::LoadThumbnail()
{
    ForgetThumbnail();
    if (!m_summaryInfo)
        return false;
    const std::uint8_t* d = m_summaryInfo->Data();
    const std::uint64_t size = m_summaryInfo->Size();
    if (size < 48)
        return false;
    const std::uint64_t section = LoadU32(d + 44);
    if (section + 8 > size)
        return false;
    const std::uint32_t count = LoadU32(d + section + 4);
    for (std::uint64_t i = 0; i < count && section + 8 + 8 * (i + 1) <= size; ++i) {
        const std::uint8_t* pair = d + section + 8 + 8 * i;
        if (LoadU32(pair) != 17)
            continue;
        const std::uint64_t value = section + LoadU32(pair + 4);
        if (value + 16 > size)
            return false;
        // The value: its type, the clipboard data's size, the format tag and format, then the
        // device-independent bitmap.
        const std::uint64_t dib = value + 16;
        std::uint64_t dibSize = size - dib;
        const std::uint32_t stated = LoadU32(d + value + 4);
        if (stated >= 8 && stated - 8 < dibSize)
            dibSize = stated - 8;
        m_thumbnail = CreateScreenBitmap(d + dib, static_cast<std::uint32_t>(dibSize), &m_thumbnailWidth, &m_thumbnailHeight);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Writing

bool CDesignFile::WriteElementStreams(int list, int model)
{
    // The buffer takes the records of the whole file: normally the storage goes out as "$1".
    std::uint64_t total = 0;
    const IEntity* end = ChildList();
    for (IEntity* e = Next(); e && e != end; e = e->Next()) {
        if (e->GetKind() == kEntityElement)
            total += static_cast<IElement*>(e)->GetRecordSize();
    }
    if (total > m_modelSeeds->GetBufferSize()) {
        const std::uint64_t units = (total + kElementBufferStep - 1) / kElementBufferStep;
        if (units * kElementBufferStep > kElementBufferLimit)
            return false;
        CZlibStream* larger = CZlibStream::Create(static_cast<std::uint32_t>(units * kElementBufferStep / 2),
                                                  static_cast<std::uint32_t>(units * kElementBufferStep));
        if (!larger)
            return false;
        delete m_modelSeeds;
        m_modelSeeds = larger;
    }
    CZlibStream* z = m_modelSeeds;
    IEntity* current = Next();
    for (int n = 1;; ++n) {
        std::uint8_t* const buffer = z->GetBuffer();
        const std::uint64_t capacity = z->GetBufferSize();
        std::uint64_t used = 0;
        std::uint32_t count = 0;
        bool full = false;
        for (; current && current != end; current = current->Next()) {
            if (current->GetKind() != kEntityElement)
                continue;
            IElement* element = static_cast<IElement*>(current);
            // A record that ends right at the buffer's end still fits.
            if (element->GetRecordSize() > capacity - used) {
                full = true;
                break;
            }
            if (element->GetList() != list || element->GetModel() != model)
                continue;
            std::uint8_t* cursor = buffer + used;
            const std::uint32_t written = element->WriteV8(&cursor);
            if (written == 0)
                continue;
            used += written;
            ++count;
        }
        if (used == 0)
            return true;
        char name[32];
        std::snprintf(name, sizeof name, "$%i", n);
        CStorageStream stream(m_compoundStorage, name, true);
        std::uint8_t header[kStreamHeaderBytes];
        StoreU32(header, count);
        StoreU32(header + 4, full ? 2 : 3);
        StoreU32(header + 8, static_cast<std::uint32_t>(n));
        StoreU32(header + 12, count);
        if (stream.HasFailed() || !stream.Write(header, sizeof header))
            return false;
        z->BeginDeflate(&stream);
        if (!z->CollectInPlace(static_cast<std::uint32_t>(used)) || z->Flush() != Z_OK || !stream.Close())
            return false;
        if (!full)
            return true;
    }
}

bool CDesignFile::PlaceModelRecord(int model)
{
    CApplicationElement* header = m_models[model];
    CByteArray* block = m_modelBlocks[model];
    const std::uint32_t size = header->GetRecordSize();
    // The record the block holds now (the one read), and what follows it, which is kept.
    std::uint64_t oldEnd = kModelBlockPrefix;
    if (block->Size() >= kModelBlockPrefix + 12) {
        oldEnd += 2 * static_cast<std::uint64_t>(LoadU32(block->Data() + kModelBlockPrefix + 8)) + 4;
        if (oldEnd > block->Size())
            oldEnd = block->Size();
    }
    const std::uint32_t carried = block->Size() < kModelBlockPrefix ? block->Size() : kModelBlockPrefix;
    CByteArray* placed = CByteArray::NewWithCapacity(0);
    if (!placed || !placed->Append(block->Data(), carried) || placed->Grow(kModelBlockPrefix - carried + size) != kModelBlockPrefix + size) {
        delete placed;
        return false;
    }
    std::memset(placed->Data() + carried, 0, kModelBlockPrefix - carried);
    std::uint8_t* cursor = placed->Data() + kModelBlockPrefix;
    const std::uint32_t written = header->WriteV8(&cursor);
    if (written == 0 || written > size) {
        // Nothing to place: the block stays as it is.
        delete placed;
        return true;
    }
    if (written < size)
        placed->Remove(size - written, kModelBlockPrefix + written);
    if (oldEnd < block->Size() && !placed->Append(block->Data() + oldEnd, static_cast<std::uint32_t>(block->Size() - oldEnd))) {
        delete placed;
        return false;
    }
    delete block;
    m_modelBlocks[model] = placed;
    return true;
}

namespace {

// A stream written plain.
bool WritePlain(CCompoundStorage* storage, const char* name, const void* data, std::uint32_t size)
{
    CStorageStream stream(storage, name, true);
    return !stream.HasFailed() && stream.Write(data, size) && stream.Close();
}

// A stream of the bytes as one zlib stream, after prefix bytes written plain.
bool WriteDeflated(CCompoundStorage* storage, CZlibStream* z, const char* name, const std::uint8_t* data, std::uint32_t size,
                   std::uint32_t prefix)
{
    CStorageStream stream(storage, name, true);
    if (stream.HasFailed() || (prefix && !stream.Write(data, prefix)))
        return false;
    z->BeginDeflate(&stream);
    if (size > prefix)
        z->Write(data + prefix, size - prefix);
    return z->Flush() == Z_OK && stream.Close();
}

} // namespace

bool CDesignFile::SaveV8()
{
    RebuildComplexTree(nullptr);
    CCompoundStorage* s = m_compoundStorage;
    auto fail = [this] {
        CloseV8Storage();
        return false;
    };
    if (!m_headerBlock || m_headerBlock->Size() < kHeaderBlockMinimum || !EnsureModelSeeds())
        return fail();

    int highest = 0;
    for (int model = 0; model < kMaxModels; ++model) {
        if (m_models[model])
            highest = model;
    }
    std::uint8_t* h = m_headerBlock->Data();
    StoreU32(h + kHighestModelAt, static_cast<std::uint32_t>(highest));
    StoreU64(h + kNextIdAt, m_nextElementId);
    StoreU32(h + kSettingBAt, static_cast<std::uint32_t>(m_settingB));
    StoreU32(h + kSettingAAt, static_cast<std::uint32_t>(m_settingA));
    StoreU32(h + kIs3dAt, m_is3d ? 1 : 0);
    if (!WriteDeflated(s, m_modelSeeds, "Dgn~H", h, m_headerBlock->Size(), kHeaderSeedPrefix))
        return fail();
    if (m_sBlock && m_sBlock->Size() && !WritePlain(s, "Dgn~S", m_sBlock->Data(), m_sBlock->Size()))
        return fail();
    if (m_mfBlock && !WriteDeflated(s, m_modelSeeds, "Dgn~Mf", m_mfBlock->Data(), m_mfBlock->Size(), 0))
        return fail();
    if (m_summaryInfo && m_summaryInfo->Size() && !WritePlain(s, kSummaryInformation, m_summaryInfo->Data(), m_summaryInfo->Size()))
        return fail();
    if (m_docSummaryInfo && m_docSummaryInfo->Size() &&
        !WritePlain(s, kDocSummaryInformation, m_docSummaryInfo->Data(), m_docSummaryInfo->Size()))
        return fail();
    std::uint8_t token[64];
    TokenBytes(token);
    if (!WritePlain(s, "DgnTk", token, sizeof token))
        return fail();
    if (m_mixBlock && m_mixBlock->Size()) {
        if (!s->CreateStorage("Dgn^Ix") || !WriteDeflated(s, m_modelSeeds, "Dgn~Mix", m_mixBlock->Data(), m_mixBlock->Size(), 0) ||
            s->CloseStorage() != kCfOk)
            return fail();
    }
    if (!s->CreateStorage("Dgn^Nm") || !WriteElementStreams(kFileList, 0) || s->CloseStorage() != kCfOk)
        return fail();
    if (!s->CreateStorage("Dgn-Md"))
        return fail();
    for (int model = 0; model < kMaxModels; ++model) {
        if (!m_models[model])
            continue;
        char name[16];
        std::snprintf(name, sizeof name, "#%06i", model);
        if (!s->CreateStorage(name))
            return fail();
        if (!s->CreateStorage("Dgn^G") || !WriteElementStreams(kGraphicList, model) || s->CloseStorage() != kCfOk)
            return fail();
        if (!s->CreateStorage("Dgn^C") || !WriteElementStreams(kControlList, model) || s->CloseStorage() != kCfOk)
            return fail();
        if (m_modelBlocks[model]) {
            if (!PlaceModelRecord(model))
                return fail();
            const CByteArray* block = m_modelBlocks[model];
            if (!WriteDeflated(s, m_modelSeeds, "Dgn~Mh", block->Data(), block->Size(), 0))
                return fail();
        }
        if (s->CloseStorage() != kCfOk)
            return fail();
    }
    if (s->CloseStorage() != kCfOk)
        return fail();
    return CloseV8Storage() == kCfOk;
}

// ---------------------------------------------------------------------------------------------
// Seeds

bool CDesignFile::InflateSeed(const std::uint8_t* seed, std::uint32_t length, CByteArray** block, std::uint32_t prefix)
{
    delete *block;
    *block = CByteArray::NewWithCapacity(0);
    if (!*block)
        return false;
    if (prefix)
        (*block)->Append(seed, prefix);
    if (length > prefix) {
        CMemoryByteStream source(seed + prefix, length - prefix);
        m_modelSeeds->DecompressAll(&source, *block);
    }
    (*block)->Compact();
    return true;
}

void CDesignFile::InflateSeedElements(const std::uint8_t* seed, std::uint32_t length, bool fileIs3d, int list)
{
    if (!seed || !EnsureModelSeeds())
        return;
    IEntity* last = ChildList()->Prev();
    CMemoryByteStream source(seed, length);
    m_modelSeeds->BeginInflate(&source, kRecordLookahead);
    m_recordsLeft = 0x7FFFFFFF;
    ReadElementRecords(m_modelSeeds, fileIs3d, list);
    m_modelSeeds->EndInflate();
    RebuildComplexTree(last->Next());
}

bool CDesignFile::MakeSeedModel(int model, bool threeD)
{
    const SeedBytes seed = ModelSeed(threeD);
    if (!InflateSeed(seed.data, seed.size, &m_modelBlocks[model], 0))
        return false;
    m_currentModel = model;
    const CByteArray* block = m_modelBlocks[model];
    IElement* header = nullptr;
    if (block->Size() < kModelBlockPrefix ||
        !CreateElementV8(block->Data() + kModelBlockPrefix, block->Size() - kModelBlockPrefix, false, &header) || !AsModelHeader(header))
        return false;
    m_models[model] = AsModelHeader(header);
    m_models[model]->SetModel(model);
    return true;
}

bool CDesignFile::MakeSummaryInfo()
{
    delete m_summaryInfo;
    m_summaryInfo = CByteArray::NewWithCapacity(0);
    if (!m_summaryInfo || m_summaryInfo->Grow(kSummaryInfoBytes) != kSummaryInfoBytes)
        return false;
    std::uint8_t* d = m_summaryInfo->Data();
    std::memset(d, 0, kSummaryInfoBytes);
    const SeedBytes head = SummaryTemplate();
    const SeedBytes tail = SummaryTail();
    std::memcpy(d, head.data, head.size);
    std::memcpy(d + kSummaryTailAt, tail.data, tail.size);
    return true;
}

bool CDesignFile::CreateNewV8(const char16_t* path, bool threeD)
{
    if (!SetFilePath(path ? path : u"(work).dgn"))
        return false;
    m_status = 0;
    m_isV8 = 1;
    m_is3d = threeD ? 1 : 0;
    m_currentModel = 0;
    bool ok = EnsureModelSeeds();
    const SeedBytes header = HeaderSeed(threeD);
    const SeedBytes mf = MfSeed();
    ok = ok && InflateSeed(header.data, header.size, &m_headerBlock, kHeaderSeedPrefix);
    delete m_sBlock;
    m_sBlock = ok ? CByteArray::NewWithCapacity(0) : nullptr;
    ok = ok && m_sBlock && m_sBlock->Grow(kSBlockBytes) == kSBlockBytes;
    if (ok)
        std::memset(m_sBlock->Data(), 0xFF, kSBlockBytes);
    ok = ok && InflateSeed(mf.data, mf.size, &m_mfBlock, 0) && MakeSummaryInfo() && MakeSeedModel(0, threeD);
    if (ok) {
        // The file-level records are list 0 whatever their class says; the application
        // elements keep their class's list.
        const SeedBytes elements = ElementSeed(threeD);
        const SeedBytes applications = ApplicationSeed(threeD);
        InflateSeedElements(elements.data, elements.size, threeD, kFileList);
        InflateSeedElements(applications.data, applications.size, threeD, -1);
    }
    CloseV8Storage();
    if (!ok) {
        m_status = 1;
        return false;
    }
    RebuildLevelIndex();
    PropagateListToComponents();
    m_loaded = 1;
    return true;
}

int CDesignFile::NewModel(bool threeD)
{
    int model = 0;
    while (model < kMaxModels && m_models[model])
        ++model;
    if (model == kMaxModels || !EnsureModelSeeds())
        return -1;
    const bool ok = MakeSeedModel(model, threeD);
    CloseV8Storage();
    return ok ? model : -1;
}

void CDesignFile::BuildV8Scaffolding(bool threeD)
{
    if (!EnsureModelSeeds())
        return;
    const SeedBytes header = HeaderSeed(threeD);
    const SeedBytes mf = MfSeed();
    InflateSeed(header.data, header.size, &m_headerBlock, kHeaderSeedPrefix);
    delete m_sBlock;
    m_sBlock = CByteArray::NewWithCapacity(0);
    if (m_sBlock && m_sBlock->Grow(kSBlockBytes) == kSBlockBytes)
        std::memset(m_sBlock->Data(), 0xFF, kSBlockBytes);
    InflateSeed(mf.data, mf.size, &m_mfBlock, 0);
    if (!m_models[0]) {
        CApplicationElement* model = new (std::nothrow) CApplicationElement(this);
        // A block as the seeds have it, so that the header is saved ("Dgn~Mh") and a reloaded
        // file keeps its units.
        CByteArray* block = model ? CByteArray::NewWithCapacity(0) : nullptr;
        if (!block || block->Grow(kModelBlockPrefix) != kModelBlockPrefix) {
            delete block;
            delete model;
        } else {
            std::memset(block->Data(), 0, kModelBlockPrefix);
            block->Data()[0] = 1;
            delete m_modelBlocks[0];
            m_modelBlocks[0] = block;
            model->SetModel(0);
            model->SetFlags2(threeD ? 1 : 0);
            model->SetMasterUnitsRatio(1.0, 1.0);
            model->SetSubUnitsRatio(m_defaultUnitsB, 1.0);
            model->SetUorScale(m_defaultUnitsB * m_defaultUnitsC);
            model->SetStorageUnitsRatio(1.0, 1.0);
            model->SetModelOrigin(m_globalOrigin);
            if (CElementLinkages* linkages = model->GetAttributes()) {
                linkages->SetStringLinkage(1, "Default", 0);
                linkages->SetStringLinkage(2, "Default", 0);
                linkages->SetStringLinkage(19, m_masterUnitName, 0);
                linkages->SetStringLinkage(20, m_subUnitName, 0);
            }
            model->Touch();
            m_models[0] = model;
        }
    }
    MakeSummaryInfo();
    CloseV8Storage();
}

} // namespace dgn
