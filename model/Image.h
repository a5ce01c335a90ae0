#pragma once
#include "model/Group.h"

class CImageResource;

// A picture of the site's image resources placed in the drawing: a rectangle of a world width and
// height hanging from its one corner point P (top left) and turned about it by the rotation. The
// corners, y up, with t the rotation:
//   C0 = P, C1 = P + width (cos t, sin t), C2 = C1 + height (sin t, -cos t), C3 = P + height (sin t, -cos t).
// A flip leaves a negative height. Many images may show one resource; each holds one use of it.
// The group part stays empty in normal use.
class CImage : public CGroup
{
public:
    // Hit modes: the outline only, or the whole area.
    static constexpr int kHitOutline = 1;
    static constexpr int kHitArea = 2;
    static constexpr int kHandleCount = 8;

    CImage(CShapeHost* control, int id, int imageResourceId = 0);
    // A copy under a new ID: the group copy, then the resource (with a use of its own), rotation,
    // size and hit mode.
    CImage(int id, const CImage& source);
    ~CImage() override;

    // --- Data --------------------------------------------------------------------------------
    int GetImageResourceId() const { return m_imageResourceId; }
    // Shows another resource: the old one's use is given back, the new one's taken.
    void SetImageResourceId(int id);
    // The resource shown, or null (none, or not in the control's map).
    CImageResource* GetImageResource() const;
    float GetRotation() const { return m_rotation; }
    // Kept in [0, 360).
    void SetRotation(double degrees);
    float GetWidth() const { return m_width; }
    float GetHeight() const { return m_height; }
    void SetSize(float width, float height);
    int GetHitMode() const { return m_hitMode; }
    void SetHitMode(int mode) { m_hitMode = mode; }
    // The corners C0 to C3 (world); false without the corner point.
    bool GetCorners(CRealPointD corners[4]) const;
    // The pixel size of the resource times the image scale of the current drawing setting (of
    // the given resource, 0: the own one). 1 when set; 0 (nothing changed) when the resource or
    // the control's own resource is missing or has no size.
    int ResetSizeFromResource(int imageResourceId);
    // Sets the size while an image is dragged, as the width, height and aspect locks allow: 0
    // when both sizes are locked or the aspect lock meets either; else 1.
    int ResizeTo(float width, float height);
    // The metafile resource as a block of vector shapes: 0 when the image is listed already, and
    // until pictures are converted into shapes.
    int ConvertToBlock(const std::vector<CShape*>* done);

    // --- Overrides ---------------------------------------------------------------------------
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditDrag(float x, float y) override;
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int ReadXDataOwn(CDxfFile& dxf) override;
    int WriteXDataOwn(CDxfFile& dxf) override;
    int Draw(CDrawContext& context) override;
    // x and y are device pixels.
    BOOL HitTest(float x, float y) override;
    int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force) override;
    int FlipVertical(std::set<int>* visited, const float* axisY) override;
    int FlipHorizontal(std::set<int>* visited, const float* axisX) override;
    HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force) override;
    void GetCoClassId(CLSID* clsid) override;
    HRESULT GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                              DWORD flags) override;
    // Mask 2 the rotation, 4 the width, 8 the height, besides the group's properties.
    int CopyPropertiesFrom(CShape& source, DWORD mask) override;
    int EndEdit(bool commit) override;
    bool IsEditActive(bool closedTest) override;
    int GetClassShapeType() override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    int GetNearestPoint(const CRealPoint& point, CRealPoint* nearest) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;
    // The rotation in degrees.
    double GetAngle() override;

private:
    const CPointRecord* Corner() const;
    void AddResourceRef();
    void ReleaseResourceRef();
    // The rectangle of an image on its own: the SOLID form of the DXF options.
    HRESULT WriteDxfSolid(CDxfFile& dxf);

    int m_imageResourceId = 0;
    float m_rotation = 0.0f;
    float m_width = 0.0f;
    float m_height = 0.0f;
    int m_hitMode = kHitArea;
    // Whether the image holds a use of m_imageResourceId. An IMAGE entity read from DXF leaves
    // the handle of its IMAGEDEF in the ID until the load maps it to the resource that object
    // became: a number that holds no use.
    bool m_holdsUse = false;
};

// Whether the integer point (x, y) lies inside the polygon (its closing edge included), by a ray
// to the right of it counted against the edges; a touch counts while the count is even. The
// points' box widened by the tolerance must hold the point; when it is outside, the four points
// at (x -+ tolerance.x, y -+ tolerance.y) are tried too.
bool PointInPolygon(const POINT* points, int count, long x, long y, const SIZE* tolerance);
