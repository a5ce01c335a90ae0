#pragma once
#include <windows.h>
#include <ocidl.h>
#include <cstddef>
#include <cstdint>
#include <string>

class CImageResourceMap;
class CDataTableSet;
class CDxfFile;
class COdbcSession;

// The format of an encoded picture from its first bytes (ImageResourceTypes): GIF 4, BMP 2,
// TIFF 5, PNG 6 (as far as the bytes go), an enhanced or Windows metafile 1; anything else is
// taken for JPEG (3). 0 for no bytes.
int DetectImageFormat(const void* bytes, size_t size);
// The content hash of encoded bytes: each byte added to the value turned left by 8 bits.
uint32_t ImageContentHash(const void* bytes, size_t size);
// The file extension of a format: "emf", "bmp", "jpg", "gif", "tif", "png" for 1 to 6, else "".
const char* ImageFormatExtension(int format);
// The value of the ImageFormatID column (and of the records' format field) for a format, and
// back: 1 EMF, 3 BMP, 2 JPEG, 5 GIF, 7 TIFF, 8 PNG; 0 for any other.
int ImageFormatToDbFormatId(int format);
int DbFormatIdToImageFormat(int dbFormatId);
// The format a file name's extension names (the text after its last "."; "emf", "bmp", "jpg",
// "gif", "tif", "png" without regard to case); 0 for no or another extension.
int ImageFormatFromFileName(const std::wstring& name);

// The largest imageResourceID stored (0 for an empty table).
HRESULT ReadLargestImageResourceId(COdbcSession& session, int* largest);

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
    // A Windows or enhanced metafile handle (which stays the caller's) as an enhanced metafile
    // named "Enhanced Metafile" and the resource ID; any other handle is refused. 1 when loaded.
    int LoadFromGdiHandle(HGDIOBJ handle);
    // Takes over another resource's decoded picture and values (a refresh from the database):
    // the other no longer holds a picture; this one's resource ID becomes 0 for the caller to
    // restore, its draw handle stays.
    void TakeOver(CImageResource& other);

    // A decoded picture of a known kind is present.
    bool IsLoaded() const;
    // The format of the decoded picture (ImageResourceTypes), 0 when none.
    int GetFormatId() const;
    // (0, 0, width, height) in pixels; all zero when nothing is loaded. 1 when loaded.
    int GetBounds(RECT* rect) const;
    // A GDI handle of the picture, made again on every call and kept until the next one or the
    // resource's end: an enhanced metafile for format 1, else a bitmap. Null without a picture.
    HGDIOBJ GetDrawHandle();
    // The picture encoded in a format (0: its own) as a new movable block the caller frees; null
    // when nothing is loaded or the encoding fails. A format without an encoder of its own gets
    // JPEG data.
    HGLOBAL GetDataInFormat(int format);

    // Draws the picture into the rectangle (logical units of the context, which may be turned by
    // its world transform; a top above the bottom keeps the picture upright in a y-up mapping).
    // The clip is for pictures that draw in parts; a decoded picture draws whole. True when
    // drawn.
    bool Draw(HDC dc, const RECT& rect, const RECT* clip);

    // Loads a picture file, or an "http://" or "ftp://" address through a temporary file that is
    // gone after the call. TIFF files go through our own raster reader first. The name becomes
    // the file's (the address path's) name in lower case without folder and extension, the
    // source path the file read. S_OK; E_ACCESSDENIED when the file cannot be opened or read,
    // E_OUTOFMEMORY for a file of 4 GB or more, E_FAIL when the download fails or the file holds
    // no picture we decode.
    HRESULT LoadFromFile(const std::wstring& path);
    // Writes the picture to drive + folder + name + extension (the extension given, else "." and
    // the format's own; format 0: the resource's). A write in the resource's own format makes the
    // file its source path. E_FAIL when nothing is loaded or the name is empty, E_ACCESSDENIED
    // when the file cannot be written.
    HRESULT WriteToFile(const std::wstring& drive, const std::wstring& folder, const std::wstring& name,
                        const std::wstring& extension, int format);

    // The resource's record of the ImageResources table (saving), or the table's current record
    // into the resource (loading, DXFMODE_LOAD). E_INVALIDARG without a set; 1 without the table
    // (and, loading, when the record holds no picture we decode); E_ACCESSDENIED when loading past
    // the last record; else 0.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode);

    // The IMAGEDEF object under the handle resource ID + handleBase, naming the picture's file
    // beside the DXF file (PlaceBesideDxf). The old DXF version has no subclass markers. The
    // dictionary that owns the object is named when `owner` is not 0. 1 when written, else 0.
    virtual int WriteDxfImageDef(CDxfFile& dxf, int handleBase, bool subclassMarkers, uint32_t owner = 0);
    // An IMAGEDEF object whose type group was read: its groups up to the next object, then the
    // picture file its group 1 names (a name without folder is looked for beside a local DXF
    // file, or under the folder of the DXF file's address). *handle: its handle (group 5). 1 when
    // the picture was loaded, else 0.
    virtual int ReadDxfImageDef(CDxfFile& dxf, uint32_t* handle);

    // Writes the picture to a path (empty: the source path) in a format (0: its own), through
    // WriteToFile; an "ftp://" address gets it uploaded (and becomes the source path when written
    // in the own format). E_FAIL when nothing is loaded, there is no path, or it is an "http://"
    // address; the upload's failure as it came.
    HRESULT SaveToFile(const std::wstring& path, int format);
    // Makes the picture's file stand beside a DXF file being written (a local file, or the
    // folder of an "ftp://" target): a file of its own there already stays, else it is written
    // (uploaded) under its name, or under name01, name02 ... when another resource's file has
    // that name. *fileName: the file's name there. False when it cannot be placed ("http://"
    // targets take none).
    bool PlaceBesideDxf(const CDxfFile& dxf, std::wstring* fileName);

    // Writes the resource's imageResources row, the content in the resource's own format. A
    // stored resource is left alone without `force` (1). A resource never stored looks for a row
    // of the same name, format and hash first and, finding one, takes its database ID; it is
    // written over only with `force` (else 1). A new row takes the largest stored ID plus one.
    // A resource never named: "Wrong name.". 0 when written, else the failure.
    HRESULT Save(COdbcSession& session, int scenarioId, int force);
    // Reads the picture of the resource's row and decodes it (a resource listed without its
    // bytes). 1 at once without a database ID; 0 when read (IsLoaded tells whether it decoded);
    // a database failure as it came.
    HRESULT LoadContent(COdbcSession& session);
    // Frees the picture and the draw handle; format, hash and size back to 0. Name, IDs and
    // block stay, so LoadContent can read the picture again.
    void Reset();

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
    // The block made from the picture (-1: none).
    void SetBlockId(int id) { m_blockId = id; }
    const std::string& GetName() const { return m_name; }
    bool HasName() const { return m_hasName; }
    void SetName(const char* name);
    const std::wstring& GetSourcePath() const { return m_sourcePath; }
    void SetSourcePath(const std::wstring& path) { m_sourcePath = path; }
    CImageResourceMap* GetOwner() const { return m_owner; }
    void SetOwner(CImageResourceMap* owner) { m_owner = owner; }
    void SetDefaultScale(float scale) { m_defaultScale = scale; }
    // Each image shape or hatch pattern that shows the resource holds a use; the map holds one.
    LONG GetUseCount() const { return m_useCount; }
    LONG AddUse() { return ++m_useCount; }
    LONG ReleaseUse() { return m_useCount > 0 ? --m_useCount : 0; }
    // A copy of the decoded picture (a GpImage the caller disposes of), null without one.
    void* CloneImage() const;

private:
    void FreeDrawHandle();
    // Draw for a picture only OLE decoded.
    bool DrawPicture(HDC dc, const RECT& rect, const RECT* clip);
    // GDI+ decoding of the bytes of a block of the given detected format.
    bool DecodeWithGdiPlus(HGLOBAL block, int detectedFormat);
    // LastError and LastErrorMessage of the control, through the owner (nothing without one).
    void SetError(int code, const char* message) const;

    LONG m_useCount = 1;
    int m_databaseId = 0;
    float m_defaultScale = 0.0f;
    HGDIOBJ m_drawHandle = nullptr;
    // The decoded GDI+ image (a GpImage), owned.
    void* m_image = nullptr;
    // The picture as OLE decoded it, for bytes GDI+ refuses.
    IPicture* m_picture = nullptr;
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
