#pragma once
// A level mask (type 99): which levels a view, or a reference attachment, shows. Level n
// (from 1) is bit (n - 1) % 16 of the little-endian word (n - 1) / 16 of the bits.
#include "EntityIterator.h"
#include "elements/FixedBodyElement.h"

namespace dgn {

// The fields of a mask's record before its bits.
struct LevelMaskHeader {
    // The mask's kind (its version word).
    std::uint16_t kind;
    std::uint16_t reserved2;
    std::uint16_t reserved3;
    std::uint16_t viewNumber;
    std::uint64_t attachmentId;
    // The header's 32-bit value: the number of levels the mask covers.
    std::uint32_t bitCount;
};

class CLevelMaskElement : public CFixedBodyElement, public ILevelFilter {
public:
    // Non-model, no bits.
    explicit CLevelMaskElement(CDesignFile* file);
    ~CLevelMaskElement() override;
    // A mask of bitCount levels for a view, its bits copied from bits (when bitCount >= 1),
    // with a new element ID.
    static CLevelMaskElement* Create(CDesignFile* file, std::int32_t model, std::uint16_t viewNumber, std::uint32_t bitCount,
                                     const std::uint8_t* bits);

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The V7 element header, four words, the attachment ID (high, then low V7 int32), the bit
    // count (V7 int32) and as many bits as the record holds of them.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Describe(LineCallback callback) override;

    // Where the version, the two reserved words and the view number follow each other.
    virtual std::uint16_t* GetMaskData();
    virtual std::uint16_t GetViewNumber() const;
    LevelMaskHeader GetMaskHeader() const;
    // Masks made here are of kind 0.
    void SetMaskKind(std::uint16_t kind) { m_maskVersion = kind; }
    // The view number and bitCount levels from bits (copied); false when memory runs out.
    bool SetMask(std::uint16_t viewNumber, std::uint32_t bitCount, const std::uint8_t* bits);
    // True for level 0, levels past the bit count, and without bits.
    bool IsLevelOn(std::int32_t level) const override;
    virtual void SetLevelOn(std::int32_t level, bool on);
    // The converter's name: switches off the level of bit `bit` (level bit + 1); the second
    // argument is always 0.
    void SetLevelOff(std::uint32_t bit, int) { SetLevelOn(static_cast<std::int32_t>(bit) + 1, false); }
    std::uint32_t GetBitCount() const { return m_bitCount; }
    // How many level masks the mask's owner (a view or an attachment) holds, this one among
    // them: 1 for a view's own mask; more when its levels are split over several masks, which
    // no single mask then answers for. 1 for a mask that hangs under no element.
    std::uint32_t GetMaskCount() const;

protected:
    std::uint32_t FixedBytes() const override;
    // A bit count past the bytes the record holds is cut to them.
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    bool SetBits(std::uint32_t bitCount, const std::uint8_t* bits);

    std::uint16_t m_maskVersion = 0;
    std::uint16_t m_reserved2 = 0;
    std::uint16_t m_reserved3 = 0;
    std::uint16_t m_viewNumber = 0;
    std::uint64_t m_attachmentId = 0;
    std::uint32_t m_bitCount = 0;
    std::uint8_t* m_bits = nullptr;
};

} // namespace dgn
