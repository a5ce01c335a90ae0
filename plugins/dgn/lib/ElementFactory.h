#pragma once
// The element factory: which class an element record becomes, by its type and whether it is
// two- or three-dimensional, for V8 records and for the records of a V7 file. The new element
// is the last child of the design file; reading its record is the caller's next step.
//
// Types without a class of their own become unknown elements, which keep their bytes. The
// classes of the other element types join the class table (ElementFactory.cpp) as they are
// built, one row a type.
#include <cstdint>

namespace dgn {

class CDesignFile;
class IElement;

// The class of a V8 record (length bytes at record, at least the 36-byte header) that is
// three-dimensional or not (CDesignFile::CreateElementV8 decides: the graphic record's
// properties bit 0x0800, or the file's flag for a record that is not graphic). Null when
// memory runs out.
IElement* NewElementV8(CDesignFile* file, const std::uint8_t* record, std::uint32_t length, bool threeD);

// The class of a V7 record (at least its 4-byte header at record) in a file whose 3-D flag is
// threeD. Null when memory runs out.
IElement* NewElementV7(CDesignFile* file, const std::uint8_t* record, bool threeD);

} // namespace dgn
