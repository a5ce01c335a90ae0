#pragma once
// The file header (type 9). In a V7 file it is the first record: the file's dimension, working
// units, unit names, global origin and its eight views, which reading it hands to the design
// file (and from which it builds the view group). In a V8 file its body is kept as read and
// written back; the library interprets none of it. The first header read into a design file
// becomes that file's header.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CByteArray;

class CFileHeaderElement : public CFixedBodyElement {
public:
    // Non-model.
    explicit CFileHeaderElement(CDesignFile* file);
    ~CFileHeaderElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The body up to the attribute bytes, kept whole; the file's header when it has none.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 header: views, units, unit names, origin and the 3-D flag into the design file
    // (each only as far as the record holds it); the record is kept and nothing is written.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // A header read from V7 keeps the sizes of its record; one read from V8 sizes itself by
    // its body.
    void Touch() override;
    // Nothing for a header read from V7 (or never read).
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    virtual bool Is3d() const;
    // The body as read from V8.
    virtual const std::uint8_t* GetBody();
    // The view group and its eight views from the eight V7 view blocks at blocks (each 118
    // bytes), as many as the bytes available hold.
    virtual void ReadV7Views(const std::uint8_t* blocks, std::uint32_t available);
    // The bytes of the V7 record it was read from (0 when read from V8).
    std::uint32_t GetV7RecordBytes() const;

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    void BecomeFileHeader();

    std::uint8_t m_is3d = 0;
    bool m_fromV8 = false;
    CByteArray* m_v7Record = nullptr;
};

} // namespace dgn
