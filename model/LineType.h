#pragma once
#include <windows.h>
#include <optional>
#include <string>
#include <vector>

class CDxfFile;

// One line type: a named dash pattern that shapes refer to by ID. Dashes are lengths in drawing
// units (inches until the map switches to millimetres): positive a drawn dash, negative a gap,
// 0.0 a dot. A type without dashes draws with its GDI pen style.
class CLineType
{
public:
    CLineType() = default;
    CLineType(const char* name, UINT penStyle);
    // A nameless type over a ready list of dashes (the lines of hatch patterns).
    explicit CLineType(const std::vector<double>& dashes);
    CLineType(const CLineType&) = default;
    CLineType& operator=(const CLineType&) = default;
    virtual ~CLineType() = default;

    int GetId() const { return m_id; }
    // Null when the type has no name / description.
    const char* GetName() const { return m_name ? m_name->c_str() : nullptr; }
    const char* GetDescription() const { return m_description ? m_description->c_str() : nullptr; }
    void SetName(const char* name);
    void SetDescription(const char* description);
    const std::vector<double>& GetDashes() const { return m_dashes; }
    int GetDashCount() const { return static_cast<int>(m_dashes.size()); }
    UINT GetPenStyle() const { return m_penStyle; }
    int GetFlags() const { return m_flags; }
    int GetAlignment() const { return m_alignment; }
    float GetTotalLength() const { return m_totalLength; }

    void Reset();
    // Same dash count and, without dashes, the same name (or both nameless); with dashes the
    // same dash values.
    bool IsSamePattern(const CLineType& other) const;
    bool IsSelectedOrContinuous() const { return m_id == 1 || m_id == 2; }

    // One entry of the definitions text: "*NAME, description" then "A,dash,dash,...". 0 when the
    // text does not begin with '*'.
    int ParseDefinition(const char* text, size_t length);
    // The pattern line "A,dash,...": 1 and the dashes replaced when at least one number was read.
    int ParsePatternLine(const char* text, size_t length);

    void ToMillimetres();
    void ToInches();

    // The groups of one LTYPE table entry, up to the next group 0 (pushed back).
    int ReadDxf(CDxfFile& dxf);
    // One LTYPE table entry; the total length is recomputed from the dashes.
    int WriteDxf(CDxfFile& dxf);

    // A new pen (owned by the caller) for the colour, width in device units and scale in device
    // units per dash unit; null when the pattern collapses to fewer than two elements at this scale
    // or the system refuses the pen.
    HPEN CreatePen(COLORREF colour, int width, double scale) const;

    // Shortest dash of a patterned pen in device units: 6 on the screen, 2 while a drawing is
    // rendered into a print metafile. Process-wide.
    static int GetMinDashLength();
    static void SetMinDashLength(int length);

private:
    friend class CLineTypeMap;

    int m_id = -1;
    int m_flags = 0;
    int m_alignment = 65; // 'A'
    float m_totalLength = 0.0f;
    std::optional<std::string> m_description;
    std::optional<std::string> m_name;
    std::vector<double> m_dashes;
    UINT m_penStyle = 0;
};
