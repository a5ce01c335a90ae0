#pragma once
// The base of the elements whose V8 body is a run of fixed fields (of a size the class knows,
// which may follow a count in the fields themselves) and then, up to the attribute bytes,
// bytes the class keeps raw: the tables, levels, masks, views, file header, group data,
// DgnStore and reference elements. A record whose body is shorter than the fixed fields is
// refused; whatever a record holds behind them is kept and written back, and the sizes follow
// what the element writes.
#include "Element.h"
#include "elements/ElementPayload.h"

namespace dgn {

class CFixedBodyElement : public IElement {
public:
    ~CFixedBodyElement() override;

    // The element header, the fixed fields (ReadFixed, with the bytes of the body there), the
    // rest of the body up to the attribute bytes kept raw.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The element Touch, then sizes for the fixed fields, the raw rest and the linkages.
    void Touch() override;
    // The header, the fixed fields (WriteFixed), the raw rest, the linkages; nothing when the
    // sizes do not state that record.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;

    // The raw bytes behind the fixed fields.
    CElementPayload& GetRawBody() { return m_rawBody; }

protected:
    explicit CFixedBodyElement(CDesignFile* file);
    // The bytes of the fixed fields as they are now.
    virtual std::uint32_t FixedBytes() const = 0;
    // Reads the fixed fields from body (available bytes there, at least what FixedBytes needs
    // for the fields read so far); false refuses the record. The default reads nothing.
    virtual bool ReadFixed(const std::uint8_t* body, std::uint32_t available) = 0;
    // Writes the FixedBytes() bytes of the fixed fields at out.
    virtual void WriteFixed(std::uint8_t* out) const = 0;
    // Copies the raw rest and the element part into copy (Clone's common part).
    IElement* FinishClone(CFixedBodyElement* copy, CDesignFile* target, bool removeSource);

    CElementPayload m_rawBody;
};

} // namespace dgn
