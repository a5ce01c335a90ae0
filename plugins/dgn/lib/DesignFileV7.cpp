// The design file's V7 reader: a V7 file is one flat run of element records, read whole.
//
// Record framing: byte 0 holds the level (bits 0-5) and the complex-component bit (7), byte 1
// the type (bits 0-6) and the deleted bit (7), bytes 2-3 the words that follow. The first
// record is the file header (type 9); a record of type 127 or 0, or the end of the data, ends
// the file.
#include "DesignFile.h"

#include "ElementFactory.h"
#include "EntityContainer.h"
#include "FileAccess.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"
#include "elements/LevelEntryElement.h"

#include <cstdlib>

namespace dgn {

namespace {

constexpr int kFileHeaderType = 9;
constexpr int kLevelNameLevel = 6;
constexpr int kRasterReferenceType = 90;
constexpr int kLevelSymbologyType = 10;

} // namespace

bool CDesignFile::LoadV7(const char16_t* path)
{
    m_isV8 = 0;
    void* data = nullptr;
    std::uint64_t size = 0;
    if (!ReadWholeFileW(path, &data, &size)) {
        std::free(data);
        return false;
    }
    const std::uint8_t* const begin = static_cast<const std::uint8_t*>(data);
    const std::uint8_t* const end = begin + size;
    // Only a file header that is not flagged deleted starts a V7 file.
    if (size < 4 || begin[1] != kFileHeaderType) {
        std::free(data);
        return false;
    }
    // The complex component counters look no further than the file.
    SetLoadedFileImage(begin, static_cast<std::size_t>(size));
    bool threeD = Is3d();
    bool headerSeen = false;
    bool skipNext = false;
    for (const std::uint8_t* p = begin; end - p >= 4;) {
        const int type = p[1] & 0x7F;
        if (type == 127 || type == 0)
            break;
        // A record that runs past the end of the data is not read.
        const std::uint64_t length = 4 + 2 * static_cast<std::uint64_t>(LoadU16(p + 2));
        if (length > static_cast<std::uint64_t>(end - p))
            break;
        const std::uint8_t* record = p;
        p += length;
        if (skipNext) {
            skipNext = false;
            continue;
        }
        if (record[1] & 0x80)
            continue;
        // Level names apply to the levels that exist and make no element.
        if (type == 66 && (record[0] & 0x3F) == kLevelNameLevel) {
            CLevelEntryElement::ApplyV7LevelNames(this, record, static_cast<std::uint32_t>(length));
            continue;
        }
        // A raster reference hides the record after it.
        if (type == kRasterReferenceType)
            skipNext = true;
        // The level symbology record makes the file's 64 levels (and is kept).
        if (type == kLevelSymbologyType)
            CLevelEntryElement::CreateV7Levels(this, record, static_cast<std::uint32_t>(length), ChildList());
        IElement* e = NewElementV7(this, record, threeD);
        if (!e)
            continue;
        e->SetModel(0);
        if (IGraphicElement* graphic = (e->GetFlags() & kElementGraphic) ? dynamic_cast<IGraphicElement*>(e) : nullptr) {
            if (threeD)
                graphic->SetProperties(static_cast<std::uint16_t>(graphic->GetProperties() | kProperty3d));
        }
        const std::uint8_t* cursor = record;
        if (!e->ReadV7(&cursor, static_cast<std::uint32_t>(length))) {
            delete e;
            continue;
        }
        if (type == kFileHeaderType && !headerSeen) {
            headerSeen = true;
            threeD = Is3d();
            BuildV8Scaffolding(threeD);
        }
        std::uint64_t id = 0;
        e->GetElementId(&id);
        if (id) {
            NoteElementId(id);
            e->IndexElementId();
        }
    }
    SetLoadedFileImage(nullptr, 0);
    std::free(data);
    // A file whose header record is not whole (cut inside it) holds no settings and would load
    // as an empty file without units or models that no save can write: it is not a design file.
    if (!headerSeen)
        return false;
    m_status = 0;
    RebuildComplexTree(nullptr);
    // Elements without an ID of their own get one.
    const IEntity* last = ChildList();
    for (IEntity* e = Next(); e && e != last; e = e->Next()) {
        if (e->GetKind() != kEntityElement)
            continue;
        IElement* element = static_cast<IElement*>(e);
        std::uint64_t id = 0;
        element->GetElementId(&id);
        if (id == 0) {
            element->SetElementId(NewElementId());
            element->IndexElementId();
        }
    }
    RebuildLevelIndex();
    PropagateListToComponents();
    m_loaded = 1;
    return true;
}

} // namespace dgn
