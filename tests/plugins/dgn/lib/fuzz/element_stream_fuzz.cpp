// Fuzz target of the element stream reader: the input is the inflated content of an element
// stream (records back to back). It is deflated and read as an element storage reads it; then
// every element is described, drawn into a range collector, touched and written into a block
// of exactly the record size it states, which it must fill or leave alone; the file is saved
// with them.
#include "DesignFile.h"
#include "EntityContainer.h"
#include "GraphicElement.h"
#include "Library.h"
#include "TransformHelper.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace dgn;

void IgnoreLine(const char*) {}

const std::u16string& ScratchPath()
{
    static const std::u16string path = [] {
        std::random_device random;
        const std::string name = "yvex_dgn_stream_fuzz_" + std::to_string(random()) + ".dgn";
        return (std::filesystem::temp_directory_path() / name).u16string();
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = InitializeLibrary(kLibraryVersion, 0);
    if (!started || size > (1u << 20))
        return 0;
    uLongf packed = compressBound(static_cast<uLong>(size));
    std::vector<std::uint8_t> zipped(packed);
    if (compress2(zipped.data(), &packed, size ? data : zipped.data(), static_cast<uLong>(size), 1) != Z_OK)
        return 0;
    CDesignFile* file = CreateDesignFile(nullptr);
    if (!file)
        return 0;
    const bool threeD = size > 0 && (data[0] & 1);
    IEntity* before = file->ChildList()->Prev();
    file->InflateSeedElements(zipped.data(), static_cast<std::uint32_t>(packed), threeD, size > 1 ? data[1] % 3 : 0);
    CTransformHelper* range = CTransformHelper::Create();
    const IEntity* end = file->ChildList();
    for (IEntity* e = before->Next(); e && e != end && range; e = e->Next()) {
        if (e->GetKind() != kEntityElement)
            continue;
        IElement* element = static_cast<IElement*>(e);
        element->Describe(&IgnoreLine);
        range->SetDesignFile(file);
        element->EmitGeometry(nullptr, range);
        element->Touch();
        const std::uint32_t stated = element->GetRecordSize();
        std::vector<std::uint8_t> block(stated);
        std::uint8_t* cursor = block.data();
        const std::uint32_t written = element->WriteV8(&cursor);
        if ((written != 0 && written != stated) || static_cast<std::uint32_t>(cursor - block.data()) != written)
            __builtin_trap();
    }
    delete range;
    file->SaveAs(ScratchPath().c_str(), 1);
    delete file;
    return 0;
}
