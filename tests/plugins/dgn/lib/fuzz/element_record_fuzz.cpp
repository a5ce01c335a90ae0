// Fuzz target of the element records and attribute linkages: the first byte picks a reader
// (fuzz/element_record_input.h), the rest is a record (V8 or V7) or a run of linkages. What was
// read is described and drawn into a range collector, then written into a buffer of exactly the record size it states; what was
// written must read back and write again to the same bytes.
#include "DesignFile.h"
#include "ElementFactory.h"
#include "ElementLinkages.h"
#include "GraphicElement.h"
#include "LittleEndian.h"
#include "Library.h"
#include "TransformHelper.h"
#include "ValueEncodings.h"
#include "elements/ApplicationDataElement.h"
#include "elements/ApplicationElement.h"
#include "elements/Type56ApplicationElement.h"
#include "elements/Type57ApplicationElement.h"
#include "elements/UnknownElement.h"

#include "element_record_input.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace dgn;
using namespace dgn_fuzz;

void IgnoreLine(const char*) {}

IElement* Make(int reader, CDesignFile* file, const std::uint8_t* record, std::uint32_t size, bool v7)
{
    switch (reader) {
    case kByFactory:
        if (v7)
            return size >= 4 ? NewElementV7(file, record, file->Is3d()) : nullptr;
        if (size < 46)
            return size >= 36 ? NewElementV8(file, record, size, file->Is3d()) : nullptr;
        // As the loader decides: a graphic record by its properties, others by the file.
        return NewElementV8(file, record, size, (LoadU16(record + 6) & 0x1000) ? (LoadU16(record + 44) & 0x0800) != 0 : file->Is3d());
    case kUnknownElement: return new CUnknownElement(file);
    case kType57: return new CType57ApplicationElement(file);
    case kType56: return new CType56ApplicationElement(file);
    case kModelHeader: return new CApplicationElement(file);
    default: return new CApplicationDataElement(file);
    }
}

// The record e writes, in a block of exactly its stated size; empty when it writes nothing.
std::vector<std::uint8_t> Write(IElement* e)
{
    const std::uint32_t size = e->GetRecordSize();
    std::vector<std::uint8_t> out(size);
    std::uint8_t* cursor = out.data();
    const std::uint32_t n = e->WriteV8(&cursor);
    if (n > size || static_cast<std::uint32_t>(cursor - out.data()) != n || (n && n != e->GetRecordSize()))
        __builtin_trap();
    out.resize(n);
    return out;
}

void FuzzLinkages(const std::uint8_t* data, std::uint32_t size)
{
    CElementLinkages* h = CElementLinkages::Create(nullptr);
    h->Parse(data, size);
    h->Describe(&IgnoreLine);
    std::vector<std::uint8_t> out(h->GetTotalSize());
    std::uint8_t* cursor = out.data();
    if (h->Write(&cursor, out.data()) != out.size())
        __builtin_trap();
    CElementLinkages* again = CElementLinkages::Create(nullptr);
    again->Parse(out.data(), static_cast<std::uint32_t>(out.size()));
    std::vector<std::uint8_t> twice(again->GetTotalSize());
    cursor = twice.data();
    again->Write(&cursor, twice.data());
    if (twice != out)
        __builtin_trap();
    delete again;
    delete h;
}

void FuzzElement(std::uint8_t options, const std::uint8_t* data, std::uint32_t size)
{
    const int reader = (options & 7) % kReaderCount;
    CDesignFile* file = new CDesignFile;
    file->SetIs3d(options & kFile3d);
    file->SetIsV8(!(options & kFileV7));
    IElement* e = Make(reader, file, data, size, (options & kReadV7) != 0);
    if (!e) {
        delete file;
        return;
    }
    const std::uint8_t* cursor = data;
    // A V7 complex header counts its components within the data, as within a loaded file.
    SetLoadedFileImage(data, size);
    const bool read = (options & kReadV7) ? e->ReadV7(&cursor, size) : e->ReadV8(&cursor, size);
    SetLoadedFileImage(nullptr, 0);
    if (read) {
        if (cursor < data || cursor > data + size)
            __builtin_trap();
        if (IGraphicElement* g = dynamic_cast<IGraphicElement*>(e))
            g->GetFillInfo();
        e->Describe(&IgnoreLine);
        // Every element draws into a range collector.
        if (CTransformHelper* range = CTransformHelper::Create()) {
            range->SetDesignFile(file);
            e->EmitGeometry(nullptr, range);
            delete range;
        }
        if (options & kTouchFirst)
            e->Touch();
        const std::vector<std::uint8_t> first = Write(e);
        if (!first.empty()) {
            IElement* back = Make(reader, file, first.data(), static_cast<std::uint32_t>(first.size()), false);
            const std::uint8_t* c = first.data();
            if (!back || !back->ReadV8(&c, static_cast<std::uint32_t>(first.size())) || Write(back) != first)
                __builtin_trap();
        }
        if (IElement* copy = e->Clone(file, false))
            copy->Describe(&IgnoreLine);
    }
    delete file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = dgn::InitializeLibrary(dgn::kLibraryVersion, 0);
    if (!started || size < 1 || size > 0x100000)
        return 0;
    const std::uint8_t options = data[0];
    const std::uint32_t n = static_cast<std::uint32_t>(size - 1);
    // The record in a block of exactly its size, so that any read past it is caught.
    std::vector<std::uint8_t> record(data + 1, data + size);
    const std::uint8_t* bytes = record.empty() ? nullptr : record.data();
    if ((options & 7) % kReaderCount == kLinkages)
        FuzzLinkages(bytes, n);
    else
        FuzzElement(options, bytes, n);
    return 0;
}
