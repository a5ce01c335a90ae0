#pragma once
// CSiteRecord: one row of the Sites table in memory (the site's name, draft and grid limits,
// measurement, scales and unit). It is the drawing header of the control as well: its extents
// are the draft limits and its limits the grid limits. The control embeds one record for its
// current site and asks it to grow the draft limits when a point or a shape lies outside them.
#include <windows.h>
#include <sql.h>
#include <string>
#include "interchange/DrawingHeader.h"
#include "model/RealRect.h"

class CShapeIndex;
class CPointPool;
class COdbcSession;

class CSiteRecord : public CDrawingHeader
{
public:
    // Both rectangles at left -2000, top 2000, right 2000, bottom -2000.
    CSiteRecord();
    // A copy has no name and scenario 0; an assigned record keeps its own name.
    CSiteRecord(const CSiteRecord& other);
    CSiteRecord& operator=(const CSiteRecord& other);
    ~CSiteRecord() override = default;

    // The maps of the owning control (not owned) that GrowDraftLimits looks shapes and points up
    // in.
    void SetMaps(CShapeIndex* shapes, CPointPool* points)
    {
        m_shapes = shapes;
        m_points = points;
    }

    CRealRect GetDraftLimits() const { return ToRect(extents); }
    void SetDraftLimits(const CRealRect& rect) { extents = FromRect(rect); }
    CRealRect GetGridLimits() const { return ToRect(limits); }
    void SetGridLimits(const CRealRect& rect) { limits = FromRect(rect); }
    void ResetDraftLimits();
    void ResetGridLimits();

    // Grows the draft limits to take in the point (isPoint) or the shape's bounding rectangle of
    // that ID: a limit moves only where the new value lies strictly outside it. True when one
    // moved; false for an unknown ID or a shape without a bounding rectangle.
    bool GrowDraftLimits(int id, bool isPoint);

    // The site's Sites row (through v_Sites): name, limits, measurement, scales and unit. A line
    // pattern scale or an image scale of (nearly) 0 reads as 50.0 and 1.0. 0, or the statement's
    // failure.
    HRESULT Load(COdbcSession& session, int siteId);
    // Updates the row (not its name, which the row's creation writes); a unit of 0 is stored,
    // and kept, as 1. 0, or the statement's failure.
    HRESULT Save(COdbcSession& session, int siteId);

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int GetScenarioId() const { return m_scenarioId; }
    void SetScenarioId(int id) { m_scenarioId = id; }

    // The site's own image scale (the ImageScale column), apart from the header's.
    float GetImageScale() const { return m_imageScale; }
    void SetImageScale(float scale) { m_imageScale = scale; }

private:
    static CRealRect ToRect(const CHeaderRect& r) { return CRealRect(r.left, r.top, r.right, r.bottom); }
    static CHeaderRect FromRect(const CRealRect& r) { return CHeaderRect{r.left, r.top, r.right, r.bottom}; }

    float m_imageScale = 1.0f;
    CShapeIndex* m_shapes = nullptr;
    CPointPool* m_points = nullptr;
    std::string m_name;
    int m_scenarioId = 0;
};
