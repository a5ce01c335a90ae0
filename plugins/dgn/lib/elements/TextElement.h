#pragma once
// Text elements (type 17): one run of text at one placement, 2-D (rotation angle) and 3-D
// (quaternion). The text parameters (TextParams2d/3d) are the block that fonts, transforms and
// sinks take; the text keeps its bytes as stored, a wide marker included.
//
// V8 body: font (32), justification (16), byte count n (16), length and height multipliers,
// length, height, orientation, origin (doubles), enter-data field count k (16), the n text
// bytes, then k 3-byte field descriptors. Read counts are cut to the bytes the record holds.
#include "ByteArray.h"
#include "DgnString.h"
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CFont;

template <class Params>
class TTextElement : public IBodyGraphicElement {
public:
    TTextElement(CDesignFile* file, std::uint16_t properties);
    ~TTextElement() override;

    // Range, length (measured, or computed when the text style says so), byte count and
    // sizes, then the graphic Touch.
    void Touch() override;
    void Describe(LineCallback callback) override;
    // Nothing for a blank text; else the placement and the text bytes to the sink.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    bool Transform(const double matrix[16]) override;

    Params* GetTextParams() { return &m_params; }
    CDgnString* GetText() const { return m_text; }
    // The converters' names for the placement block and the text.
    Params* GetGeometry() { return &m_params; }
    CDgnString* GetStringObject() const { return m_text; }
    // Stores a DGN string (its marker tells its width) as the text.
    bool SetText(const char* text);
    // The enter-data field descriptors, 3 bytes each.
    CByteArray* GetEnterDataFields() const { return m_fields; }
    // No bytes, a near-zero height multiplier, or only spaces.
    bool IsBlank() const;
    // The text's length through its font (the TrueType fallback for UTF-16 or 0xFF 0xFE text).
    double MeasureLength();

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override;
    void PutBody(std::uint8_t** cursor) const override;
    template <class T>
    IElement* CloneAs(CDesignFile* target, bool removeSource);

private:
    // The fixed part of the V8 body, before the text.
    static constexpr std::uint32_t FixedBytes();
    // The text style linkage asks for sizes computed from the multipliers.
    bool UsesComputedSize() const;
    // height = height multiplier x 0.006, length = bytes x length multiplier x 0.006.
    void ComputeSizes();
    // After either reader: the byte count, the reserved word, the text style linkage.
    void FinishRead();
    // Keeps n bytes at p as the text.
    bool StoreText(const std::uint8_t* p, std::uint32_t n);
    const std::uint8_t* TextBytes() const;
    CFont* LoadTextFont() const;

    Params m_params = {};
    CDgnString* m_text;
    CByteArray* m_fields;
};

class CTextElement2d : public TTextElement<TextParams2d> {
public:
    explicit CTextElement2d(CDesignFile* file);
    // A new 2-D text of the design file's model, with a fresh element ID.
    static CTextElement2d* Create(CDesignFile* file, std::int32_t model);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CTextElement3d : public TTextElement<TextParams3d> {
public:
    explicit CTextElement3d(CDesignFile* file);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

} // namespace dgn
