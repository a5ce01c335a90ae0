#pragma once
// A reference attachment (type 100): another design file shown inside this one, with the
// referenced file's name (string linkage 31, or 3), a model name (linkage 21), a placement
// (origin, rotation, scale), clip points and per-view level masks (its children). It opens
// the referenced file on first use and passes that file's elements through its placement to
// a geometry sink.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CDgnString;
class IGeometrySink;

// The placement of an attachment as the importer reads it: the point of the attached file
// (origin) that lands on a point of this file (offset), the turn (row by row) and the scale.
struct AttachmentData {
    double originX, originY;
    double offsetX, offsetY;
    double rotation[9];
    double scale;
};

class CReferenceAttachment : public CFixedBodyElement {
public:
    // List 2, the default placement (identity rotation, scale 1).
    explicit CReferenceAttachment(CDesignFile* file);
    // Lets go of the referenced file.
    ~CReferenceAttachment() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The body, the file name from linkage 31 (else 3), the model name from linkage 21.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 attachment record (type 5, level 9): file name, placement, clip points, and a
    // level mask per view unless every level byte is 0xFF. Counts and lengths are taken only as
    // far as the record holds them.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // Clip count, the name linkages (".dgn" added to a name without a dot), the sizes.
    void Touch() override;
    void Describe(LineCallback callback) override;
    // Shows the referenced file's elements of the attachment's model through the placement,
    // once: a reference that is being shown (as by a file referring to itself) shows nothing.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;

    virtual std::uint8_t* GetRefData();
    virtual CDgnString* GetFileName() const;
    // A new file name: the file held is let go, and the next use resolves the name again.
    virtual void SetFileName(const char* name);
    virtual CDgnString* GetModelName() const;
    // The referenced file, resolved on first use: the name as it stands, else the host file's
    // folder with the name's file part, else the file part alone; an open file of that name is
    // shared. Null once resolution failed (until the name changes).
    virtual CDesignFile* GetAttachedFile();
    // The converter's name for it.
    CDesignFile* GetAttachedDesignFile() { return GetAttachedFile(); }
    AttachmentData GetAttachmentData() const;
    virtual bool BeginDisplay(IGeometrySink* sink);
    virtual void EndDisplay(IGeometrySink* sink);
    // The first mask child of a view number, null when none.
    virtual IElement* GetLevelMask(int viewNumber);
    // The clip points (x, y pairs) and their number.
    virtual const double* GetClipPoints(std::uint32_t* count) const;

    bool IsSelfReference() const { return m_selfReference != 0; }
    // The path the last resolution tried (UTF-16, any length).
    const char16_t* GetResolvedPath() const { return m_resolvedPath ? m_resolvedPath : u""; }

protected:
    std::uint32_t FixedBytes() const override;
    // A clip count past the points the record holds is cut to them.
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    void Detach();
    bool SetClip(const double* points, std::uint32_t count);

    // The body after the child count (refWord0 to clipCount, 332 bytes), as it stands.
    std::uint8_t m_body[332] = {};
    std::uint8_t m_viewLevelBits[64] = {};
    double* m_clipPoints = nullptr;
    std::uint32_t m_clipCount = 0;
    CDgnString* m_fileName = nullptr;
    CDgnString* m_modelName = nullptr;
    std::uint8_t m_nameFromLinkage31 = 1;
    std::uint8_t m_selfReference = 0;
    char16_t* m_resolvedPath = nullptr;
    CDesignFile* m_attachedFile = nullptr;
    bool m_failed = false;
    std::int32_t m_displayDepth = 0;
};

} // namespace dgn
