#pragma once
// A view specification (type 98): one saved view of the file (rotation, origin and extent,
// flags, number), the complex header of its level mask.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CLevelMaskElement;

// The flag of a view that is shown.
constexpr std::uint32_t kViewVisible = 0x80;

// The fields of a view that the importer reads.
struct ViewFields {
    std::uint32_t flags;
    std::uint16_t number;
    // Row by row; the first row's two leading values give the view's turn in the plane.
    double rotation[9];
    // The lower corner of the view and its size.
    double origin[3];
    double delta[3];
};

class CViewElement : public CFixedBodyElement {
public:
    // A complex header, non-model, an identity rotation and the default extent.
    explicit CViewElement(CDesignFile* file);
    ~CViewElement() override;
    static CViewElement* Create(CDesignFile* file, std::int32_t model);

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

    virtual bool IsValid() const;
    virtual std::uint16_t GetViewNumber() const;
    // The rotation (nine doubles, row by row), the minimum corner (three), the centre (three),
    // the extent (three) and the view's flags word, as 136 bytes of doubles and words.
    virtual void GetViewInfo(double out[17]) const;
    // Where the view's fields begin (viewWord0).
    virtual std::uint8_t* GetViewData();
    // The first child of type 99, null when none.
    virtual CLevelMaskElement* GetLevelMask();
    virtual std::int32_t GetViewWord3() const;

    std::uint32_t GetViewFlags() const;
    void SetViewFlags(std::uint32_t flags);
    // The colour index the view is drawn against (the word after the flags).
    std::int32_t GetColorIndex() const;
    void SetColorIndex(std::int32_t color);
    // The word beside the view number that the on-test reads (IsValid: non-zero).
    void SetOnWord(std::uint16_t word);
    // A 2-D view: the rotation's first two rows become (c, s) and (-s, c) in their first two
    // columns; the minimum corner and the extent in x and y.
    void SetRotation2d(double c, double s);
    void SetOriginAndDelta2d(double originX, double originY, double deltaX, double deltaY);
    // The on-test: a valid view flagged as shown (kViewVisible).
    bool IsViewOn() const;
    // The first of the four 16-bit words that follow the view's extent block (the minimum
    // corner, the extent, the five further doubles and the 8-byte value). The importer takes a
    // view's level mask only while it is 0.
    std::uint16_t GetWordAfterExtent() const;
    void SetWordAfterExtent(std::uint16_t word);
    // The view's fields; false (out untouched) for a view flagged as invalid.
    bool GetViewRecord(ViewFields* out) const;
    // What the V7 file header sets.
    void SetFromV7(std::uint16_t number, std::uint32_t flags, const double origin[3], const double delta[3], const double rotation[9],
                   double conversion, std::int32_t activeZ);

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // The body after the child count (viewWord0 to viewTail, 268 bytes), as it stands in the
    // record; the accessors read and write it by offset.
    std::uint8_t m_data[268] = {};
};

} // namespace dgn
