#pragma once
// The multiline (type 36): a work line of nodes along which parallel profile lines are drawn
// at fixed offsets, each with its own symbology, with gaps (breaks) per segment and caps at the
// start, the end and the joints.
//
// V8 body bytes 24-31 hold the break count (u16 at 24), the multiline flags (u16 at 26, bit 0
// closed) and four carried bytes (28-31); reader and writer both use that layout.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CItemArray;

struct MultilineCap {
    std::uint32_t flags;
    std::uint32_t lineStyle;
    std::uint32_t weight;
    std::uint32_t color;
    std::uint32_t elementClass;
};

struct MultilineProfile {
    double offset;
    std::uint32_t word;
    std::uint32_t flags;
    std::uint32_t lineStyle;
    std::uint32_t weight;
    std::uint32_t color;
    std::uint32_t elementClass;
};

struct MultilineNode {
    double x, y, z;
    std::uint32_t word;
    std::uint16_t firstBreak;
    std::uint16_t breakCount;
    double extra;
};

struct MultilineBreak {
    std::uint32_t lineMask;
    std::uint32_t flags;
    double offset;
    double length;
    double extra;
};

// Flags of caps and profile lines.
enum MultilineFlagBits : std::uint32_t {
    kMultilineOwnStyle = 0x10000,
    kMultilineOwnWeight = 0x20000,
    kMultilineOwnColor = 0x40000,
    kMultilineInnerArc = 0x100000,
    kMultilineCapLine = 0x200000,
    kMultilineOuterArc = 0x400000,
};
// Break flags.
constexpr std::uint32_t kBreakFromStart = 0x8000;
constexpr std::uint32_t kBreakToEnd = 0x4000;

class CMultilineElement : public CGraphicBodyElement {
public:
    // Graphic, properties 0x1000, normal (0, 0, 1), nothing else.
    explicit CMultilineElement(CDesignFile* file);
    ~CMultilineElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Counts larger than the record holds take the records it holds.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // The profile lines, mitred at the joints and cut by their breaks, then the caps' lines.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Refused.
    bool Transform(const double matrix[16]) override;
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;

    MultilineProfile* GetProfile(std::uint32_t i) const;
    MultilineNode* GetNode(std::uint32_t i) const;
    MultilineBreak* GetBreak(std::uint32_t i) const;
    CItemArray* GetNodes() const { return m_nodes; }
    CItemArray* GetProfiles() const { return m_profiles; }
    CItemArray* GetBreaks() const { return m_breaks; }
    const Point3d& GetNormal() const { return m_normal; }
    std::uint16_t GetMultilineFlags() const { return m_mlineFlags; }
    void SetMultilineFlags(std::uint16_t flags) { m_mlineFlags = flags; }
    void SetAngles(double start, double end)
    {
        m_startAngle = start;
        m_endAngle = end;
    }
    MultilineCap* Caps() { return m_caps; }

private:
    // Draws one profile line (index line) along the nodes.
    void EmitProfile(std::uint32_t line, const MultilineProfile& profile, IGeometrySink* sink);
    // The offset segment i of a line at offset o, mitred with its neighbours (and moved at the
    // open ends); false when the segment has no direction.
    bool OffsetSegment(std::uint32_t i, double o, Point3d& a, Point3d& b, Point3d& d) const;
    // The joint of segments i and i + 1 at offset o (wrapping for closed multilines).
    bool Joint(std::uint32_t i, std::uint32_t j, double o, Point3d& out) const;
    bool RawSegment(std::uint32_t i, double o, Point3d& a, Point3d& b, Point3d& d) const;
    void ApplyOverrides(std::uint32_t flags, std::uint32_t style, std::uint32_t weight, std::uint32_t color, IGeometrySink* sink) const;
    void EmitCaps(IGeometrySink* sink);

    double m_startAngle = 0.0;
    double m_endAngle = 0.0;
    std::uint32_t m_word = 0;
    std::uint8_t m_byte = 0;
    std::uint16_t m_mlineFlags = 0;
    std::uint8_t m_carried[4] = {};
    double m_doubles[3] = {};
    MultilineCap m_caps[3] = {};
    std::uint8_t m_carried12[12] = {};
    Point3d m_normal = {0.0, 0.0, 1.0};
    CItemArray* m_nodes;
    CItemArray* m_profiles;
    CItemArray* m_breaks;
};

} // namespace dgn
