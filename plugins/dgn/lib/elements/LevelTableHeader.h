#pragma once
// The level table (type 96, table number 1): the header that owns the level entries. Its body
// starts with the entry count; tables of reference attachments carry the attachment's ID.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CLevelTableHeader : public CFixedBodyElement {
public:
    // Level 1, a complex header, non-model.
    explicit CLevelTableHeader(CDesignFile* file);
    ~CLevelTableHeader() override;
    // A new header of the file's model with a new element ID.
    static CLevelTableHeader* Create(CDesignFile* file, std::int32_t model);

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

    // Where version, table flags, attachment ID, reserved value and time follow each other.
    virtual std::uint16_t* GetTableData();
    std::uint64_t GetAttachmentId() const { return m_attachmentId; }

protected:
    std::uint32_t FixedBytes() const override;
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    std::uint16_t m_version = 0;
    std::uint16_t m_tableFlags = 0;
    std::uint64_t m_attachmentId = 0;
    std::uint64_t m_reserved1 = 0;
    std::uint64_t m_attachmentLastModified = 0;
};

} // namespace dgn
