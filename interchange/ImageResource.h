#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

class CImageResourceMap;
class COdbcSession;

// The format of an encoded picture from its first bytes (ImageResourceTypes): GIF 4, BMP 2,
// TIFF 5, PNG 6 (as far as the bytes go), an enhanced or Windows metafile 1; anything else is
// taken for JPEG (3). 0 for no bytes.
int DetectImageFormat(const void* bytes, size_t size);

// One picture the site keeps once and that image shapes and image hatch patterns refer to by
// its resource ID. It holds the picture decoded (GDI+); the encoded bytes are not kept. The
// image resource map owns its resources.
class CImageResource
{
public:
    // From encoded bytes (the hash is taken over them); no bytes leave an empty resource.
    CImageResource(int resourceId, const void* bytes, size_t count, float defaultScale, int blockId);
    CImageResource(const CImageResource&) = delete;
    CImageResource& operator=(const CImageResource&) = delete;
    virtual ~CImageResource();

    // Decodes a copy of the bytes; 1 when a picture was decoded.
    int LoadFromBytes(size_t size, const void* bytes);
    // Decodes a global memory block (which stays the caller's); 1 when a picture was decoded.
    int LoadFromGlobal(HGLOBAL block);

    // A decoded picture of a known kind is present.
    bool IsLoaded() const;
    // The format of the decoded picture (ImageResourceTypes), 0 when none.
    int GetFormatId() const;
    // (0, 0, width, height) in pixels; all zero when nothing is loaded. 1 when loaded.
    int GetBounds(RECT* rect) const;
    // A GDI handle of the picture, made again on every call and kept until the next one or the
    // resource's end: an enhanced metafile for format 1, else a bitmap. Null without a picture.
    HGDIOBJ GetDrawHandle();

    // Writes the resource's imageResources row. The rows of image resources come with the
    // site's database storage of images; until then no row is written: E_NOTIMPL.
    HRESULT Save(COdbcSession& session, int scenarioId, int force);

    int GetId() const { return m_resourceId; }
    void SetId(int id) { m_resourceId = id; }
    int GetDatabaseId() const { return m_databaseId; }
    void SetDatabaseId(int id) { m_databaseId = id; }
    int GetFormat() const { return m_format; }
    UINT GetWidth() const { return m_width; }
    UINT GetHeight() const { return m_height; }
    uint32_t GetHash() const { return m_hash; }
    float GetDefaultScale() const { return m_defaultScale; }
    int GetBlockId() const { return m_blockId; }
    const std::string& GetName() const { return m_name; }
    bool HasName() const { return m_hasName; }
    void SetName(const char* name);
    const std::wstring& GetSourcePath() const { return m_sourcePath; }
    CImageResourceMap* GetOwner() const { return m_owner; }
    void SetOwner(CImageResourceMap* owner) { m_owner = owner; }
    // Each image shape or hatch pattern that shows the resource holds a use; the map holds one.
    LONG GetUseCount() const { return m_useCount; }
    LONG AddUse() { return ++m_useCount; }
    LONG ReleaseUse() { return m_useCount > 0 ? --m_useCount : 0; }

private:
    // Frees the picture and the draw handle; format, hash and size back to 0.
    void Reset();
    void FreeDrawHandle();
    // GDI+ decoding of the bytes of a block of the given detected format.
    bool DecodeWithGdiPlus(HGLOBAL block, int detectedFormat);

    LONG m_useCount = 1;
    int m_databaseId = 0;
    float m_defaultScale = 0.0f;
    HGDIOBJ m_drawHandle = nullptr;
    // The decoded GDI+ image (a GpImage), owned.
    void* m_image = nullptr;
    int m_resourceId = 0;
    CImageResourceMap* m_owner = nullptr;
    uint32_t m_hash = 0;
    size_t m_dataSize = 0;
    int m_blockId = -1;
    int m_format = 0;
    std::wstring m_sourcePath;
    UINT m_width = 0;
    UINT m_height = 0;
    std::string m_name;
    bool m_hasName = false;
};
