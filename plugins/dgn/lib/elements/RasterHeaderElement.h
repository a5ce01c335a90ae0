#pragma once
// A raster image stored in the design file: the raster header (type 87) with its placement,
// size and boundary, whose data components (type 88) hold runs of pixel bytes (colour indices
// + 1). Format 2 rasters are decoded into a bitmap that the header draws as a box.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CDibBitmap;
class CItemArray;
class CPoint2dArray;
class CPoint3dArray;

class CRasterHeaderElement : public CGraphicBodyElement {
public:
    // Flags 0x3000, properties 0x1000, empty boundaries.
    explicit CRasterHeaderElement(CDesignFile* file);
    ~CRasterHeaderElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The 64-byte body, then the boundary points the body holds (at most the count).
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // The image, when there is one, as a box at the origin of width x height (the image is the
    // element's, GetImage).
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;

    // Decodes the image once (format 2 only); null when there is none.
    CDibBitmap* BuildImage();
    CDibBitmap* GetImage() const { return m_image; }
    std::uint32_t GetFormat() const { return (m_rasterFlags >> 3) & 0x1F; }
    std::uint32_t GetRasterFlags() const { return m_rasterFlags; }
    void SetRaster(std::uint32_t flags, std::uint16_t xPixels, std::uint16_t yPixels, double pixelSize);
    CPoint2dArray* GetPoints2d() const { return m_points2d; }
    CPoint3dArray* GetPoints3d() const { return m_points3d; }
    double GetWidth() const { return m_width; }
    double GetHeight() const { return m_height; }

private:
    std::uint32_t PointBytes() const { return Is3dElement() ? 24 : 16; }
    std::uint32_t PointCount() const;

    std::uint32_t m_rasterFlags = 0;
    std::uint8_t m_bytes[2] = {};
    std::uint16_t m_xPixels = 0;
    std::uint16_t m_yPixels = 0;
    std::uint16_t m_word = 0;
    double m_carried = 0.0;
    double m_pixelSize = 0.0;
    double m_origin[3] = {};
    std::uint32_t m_carried32 = 0;
    CPoint2dArray* m_points2d;
    CPoint3dArray* m_points3d;
    CDibBitmap* m_image = nullptr;
    bool m_imageTried = false;
    double m_width = 0.0;
    double m_height = 0.0;
};

class CRasterDataElement : public CGraphicBodyElement {
public:
    // Flags 0x1000, properties 0x1000, no pixels.
    explicit CRasterDataElement(CDesignFile* file);
    ~CRasterDataElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The pixels run to the attribute bytes (not into the linkages).
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // Nothing: the header draws the raster.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;

    CItemArray* GetPixels() const { return m_pixels; }
    std::uint16_t GetXOffset() const { return m_xOffset; }
    std::uint16_t GetYOffset() const { return m_yOffset; }
    std::uint16_t GetCount() const { return m_count; }
    void SetRun(std::uint16_t x, std::uint16_t y, std::uint16_t n)
    {
        m_xOffset = x;
        m_yOffset = y;
        m_count = n;
    }

private:
    std::uint32_t m_rasterWord = 0;
    std::uint8_t m_bytes[2] = {};
    std::uint16_t m_xOffset = 0;
    std::uint16_t m_yOffset = 0;
    std::uint16_t m_count = 0;
    CItemArray* m_pixels;
};

} // namespace dgn
