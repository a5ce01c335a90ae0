#include "ui/Ruler.h"
#include "com/Guard.h"
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// The numbers' font: Courier New, thin, default character set, TrueType only, draft quality,
// fixed pitch of the modern family; the vertical ruler's turned by 90 degrees.
HFONT CreateRulerFont(int height, int escapement)
{
    return CreateFontA(height, 0, escapement, escapement, 100, FALSE, FALSE, FALSE, 1, 7, 0, 1, 0x32, "Courier New");
}

// Ticks stand this many pixels inside the ruler's inner edge; the cursor line keeps the same
// distance from both edges.
constexpr int kInset = 2;
// No ruler needs more ticks than this; a walk that would is cut short rather than run away.
constexpr int kMostTicks = 100000;

// The plain properties: a get answers the field, a put stores it without repainting.
template <class T>
HRESULT Answer(T* out, T value)
{
    RETURN_IF_NULL_POINTER(out);
    *out = value;
    return S_OK;
}
template <class T>
HRESULT Store(T* field, T value)
{
    *field = value;
    return S_OK;
}
VARIANT_BOOL AsBool(VARIANT_BOOL value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

} // namespace

CRuler::CRuler()
    : m_horizontalFont(CreateRulerFont(13, 0)), m_verticalFont(CreateRulerFont(11, 900))
{
}

CRuler::~CRuler() = default;

double CRuler::ValuePerPixel(int length) const
{
    if (length <= 0)
        return 0.0;
    const double u = (m_upper - m_lower) / length;
    return std::isfinite(u) ? u : 0.0;
}

bool CRuler::ChooseSteps(double u)
{
    const double perPixel = std::fabs(u);
    if (!(perPixel > 0.0) || !(m_baseStep > 0.0) || !std::isfinite(m_baseStep))
        return false;
    const double k = std::floor(m_groupSize * m_scalingFactor * perPixel / m_baseStep);
    const double majorA = k * m_baseStep;
    const double majorB = (k + 1) * m_baseStep;
    const double minorA = majorA / m_groupSize;
    const double minorB = majorB / m_groupSize;
    const double pA = std::trunc(minorA / perPixel);
    const double pB = std::trunc(minorB / perPixel);
    bool takeA = (std::fabs(m_scalingFactor - pA) < std::fabs(m_scalingFactor - pB) && std::fabs(pA) >= 4) || pA == pB;
    // A step of no value walks nowhere: the other candidate is taken.
    if (takeA && !(minorA > 0.0))
        takeA = false;
    else if (!takeA && !(minorB > 0.0))
        takeA = true;
    m_majorStep = takeA ? majorA : majorB;
    m_minorStep = takeA ? minorA : minorB;
    return m_minorStep > 0.0 && std::isfinite(m_minorStep);
}

HRESULT CRuler::OnDraw(HDC dc, const RECT& bounds)
{
    const COLORREF oldBack = GetBkColor(dc);
    if (m_look3D) {
        // The frame's wide pen reaches past three sides, so only its inner edge shows; the
        // inner side (next to the view) gets a thin line.
        ycom::Pen shadow(CreatePen(PS_SOLID, 3, GetSysColor(COLOR_BTNSHADOW)));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        RECT frame = bounds;
        frame.left -= 3;
        frame.top -= 3;
        if (m_horizontal) {
            frame.right += 3;
            frame.bottom -= 1;
        } else {
            frame.bottom += 3;
            frame.right -= 1;
        }
        {
            ycom::SelectGuard pen(dc, shadow.Get());
            ycom::SelectGuard brush(dc, GetSysColorBrush(COLOR_BTNFACE));
            Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
        }
        if (m_horizontal) {
            MoveToEx(dc, bounds.left, bounds.bottom - 1, nullptr);
            LineTo(dc, bounds.right, bounds.bottom - 1);
        } else {
            MoveToEx(dc, bounds.right - 1, bounds.top, nullptr);
            LineTo(dc, bounds.right - 1, bounds.bottom);
        }
    } else {
        Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    }
    DrawTicks(dc, bounds);
    DrawCursorLine(dc, bounds, m_cursor);
    SetBkColor(dc, oldBack);
    return S_OK;
}

void CRuler::DrawTicks(HDC dc, const RECT& bounds)
{
    const int length = m_horizontal ? bounds.right - bounds.left : bounds.bottom - bounds.top;
    if (length <= 1)
        return;
    ycom::SelectGuard font(dc, m_horizontal ? m_horizontalFont.Get() : m_verticalFont.Get());
    const double u = ValuePerPixel(length);
    if (u == 0.0 || !ChooseSteps(u))
        return;
    // With the half-group flag a major interval spans two groups of minor ticks.
    const int perMajor = m_groupSize * (m_halfGroup ? 2 : 1);
    const double majorSpacing = m_minorStep * perMajor;
    const bool ascending = m_upper >= m_lower;
    const double first = ascending ? std::floor(m_lower / majorSpacing) * majorSpacing
                                   : std::ceil(m_lower / majorSpacing) * majorSpacing;
    const double direction = ascending ? 1.0 : -1.0;

    // Numbers too wide for a major interval go on every second major tick only.
    SIZE digit = {};
    GetTextExtentPoint32A(dc, "5", 1, &digit);
    auto magnitude = [](double v) { return v == 0.0 ? 0.0 : std::floor(std::log10(std::fabs(v))); };
    const double labelWidth = (digit.cx + 1) * std::max(magnitude(m_lower), magnitude(m_upper));
    const bool everySecond = labelWidth > std::lround(majorSpacing / std::fabs(u));

    char format[16];
    snprintf(format, sizeof format, "%%.%df", std::min<int>(std::max<int>(m_decimals, 0), 7));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const int innerEdge = m_horizontal ? bounds.bottom - kInset : bounds.right - kInset;
    const int farEnd = m_horizontal ? bounds.right - 2 : bounds.bottom - 3;
    int previousLabelEnd = INT_MIN / 2;
    for (int i = 0; i < kMostTicks; ++i) {
        const double value = first + direction * i * m_minorStep;
        const long pos = std::lround((value - m_lower) / u);
        if (pos > length)
            break;
        if (pos < 0)
            continue;
        const int slot = i % perMajor;
        const bool major = slot == 0;
        int mark = m_minorLength;
        if (major)
            mark = m_majorLength;
        else if (perMajor % 2 == 0 && slot == perMajor / 2)
            mark = (m_majorLength + m_minorLength) / 2;
        const int at = (m_horizontal ? bounds.left : bounds.top) + static_cast<int>(pos);
        if (m_horizontal) {
            MoveToEx(dc, at, innerEdge, nullptr);
            LineTo(dc, at, innerEdge - mark);
        } else {
            MoveToEx(dc, innerEdge, at, nullptr);
            LineTo(dc, innerEdge - mark, at);
        }
        if (!major || !m_showNumbers)
            continue;
        if (everySecond && std::llround(value / majorSpacing) % 2 != 0)
            continue;
        char text[64];
        const int n = snprintf(text, sizeof text, format, value);
        if (n <= 0)
            continue;
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text, n, &extent);
        const int start = at - extent.cx / 2;
        if (start <= previousLabelEnd + 2 || start + extent.cx >= farEnd)
            continue;
        if (m_horizontal) {
            TextOutA(dc, start, innerEdge - m_majorLength - extent.cy, text, n);
        } else {
            // Text turned by 90 degrees runs upwards from its reference point, its top to the left.
            TextOutA(dc, innerEdge - m_majorLength - extent.cy, start + extent.cx, text, n);
        }
        previousLabelEnd = start + extent.cx;
    }
    SetBkMode(dc, oldMode);
}

void CRuler::DrawCursorLine(HDC dc, const RECT& bounds, double position) const
{
    const int length = m_horizontal ? bounds.right - bounds.left : bounds.bottom - bounds.top;
    const double u = ValuePerPixel(length);
    if (length == 0 || u == 0.0)
        return;
    const double offset = (position - m_lower) / u;
    if (!std::isfinite(offset) || std::fabs(offset) > 1e9)
        return;
    const int at = static_cast<int>(std::lround(offset)) + (m_horizontal ? bounds.left : bounds.top);
    // NOT-XOR: drawing the same line twice leaves the pixels as they were.
    ycom::Pen dashed(CreatePen(PS_DASH, 1, RGB(0x50, 0x50, 0x50)));
    ycom::SelectGuard pen(dc, dashed.Get());
    const int oldRop = SetROP2(dc, R2_NOTXORPEN);
    if (m_horizontal) {
        MoveToEx(dc, at, bounds.top + kInset, nullptr);
        LineTo(dc, at, bounds.bottom - kInset);
    } else {
        MoveToEx(dc, bounds.left + kInset, at, nullptr);
        LineTo(dc, bounds.right - kInset, at);
    }
    SetROP2(dc, oldRop);
}

void CRuler::MoveCursor(HDC dc, const RECT& bounds, double position)
{
    DrawCursorLine(dc, bounds, m_cursor);
    m_cursor = position;
    DrawCursorLine(dc, bounds, m_cursor);
}

// IRuler: every member's body runs inside the guard.
template <class F>
HRESULT CRuler::Guarded(F&& body)
{
    return ycom::Guard(IID_IRuler, std::forward<F>(body));
}

STDMETHODIMP CRuler::SetRulerInfo(double LowerLimit, double UpperLimit, short nScalingFactor, short nGroupSize,
                                  VARIANT_BOOL bHorz, VARIANT_BOOL b3DLook)
{
    return Guarded([&]() -> HRESULT {
        // A group of no intervals, or ticks no pixels apart, cannot be laid out: refused whole.
        if (nScalingFactor < 1 || nGroupSize < 1)
            return E_INVALIDARG;
        m_scalingFactor = nScalingFactor;
        m_groupSize = nGroupSize;
        m_horizontal = AsBool(bHorz);
        m_look3D = AsBool(b3DLook);
        return SetRulerLimits(LowerLimit, UpperLimit);
    });
}

STDMETHODIMP CRuler::SetRulerLimits(double LowerLimit, double UpperLimit)
{
    return Guarded([&]() -> HRESULT {
        m_lower = LowerLimit;
        m_upper = UpperLimit;
        double r = std::fabs(UpperLimit - LowerLimit);
        // Equal or non-finite limits have no scale to normalise; painting draws no ticks for them.
        if (!(r > 0.0) || !std::isfinite(r))
            return S_OK;
        m_decimals = 1;
        m_baseStep = 1.0;
        if (r <= 10.0) {
            while (r < 1.0) {
                m_baseStep *= 0.1;
                ++m_decimals;
                r *= 10.0;
            }
        } else {
            do {
                m_baseStep *= 10.0;
                r *= 0.1;
                m_decimals = 0;
            } while (r > 10.0);
        }
        // The flag is cleared for a wide normalised range too, so the ticks depend on these limits
        // alone and not on those set before.
        if (r < 2.0) {
            m_halfGroup = 1;
            m_baseStep *= 0.2;
        } else if (r < 5.0) {
            m_halfGroup = 0;
            m_baseStep *= 0.5;
        } else {
            m_halfGroup = 0;
        }
        return S_OK;
    });
}

STDMETHODIMP CRuler::get_MajorMarkerLength(short* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_majorLength); });
}
STDMETHODIMP CRuler::put_MajorMarkerLength(short newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_majorLength, newVal); });
}
STDMETHODIMP CRuler::get_MinorMarkerLength(short* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_minorLength); });
}
STDMETHODIMP CRuler::put_MinorMarkerLength(short newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_minorLength, newVal); });
}
STDMETHODIMP CRuler::get_NumbersDistance(short* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_numbersDistance); });
}
STDMETHODIMP CRuler::put_NumbersDistance(short newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_numbersDistance, newVal); });
}
STDMETHODIMP CRuler::get_HorzAligned(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_horizontal); });
}
STDMETHODIMP CRuler::put_HorzAligned(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_horizontal, AsBool(newVal)); });
}
STDMETHODIMP CRuler::get_ShowNumbers(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_showNumbers); });
}
STDMETHODIMP CRuler::put_ShowNumbers(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_showNumbers, AsBool(newVal)); });
}
STDMETHODIMP CRuler::get_Look3D(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_look3D); });
}
STDMETHODIMP CRuler::put_Look3D(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_look3D, AsBool(newVal)); });
}
STDMETHODIMP CRuler::get_Zero(double* pVal)
{
    return Guarded([&]() -> HRESULT { return Answer(pVal, m_zero); });
}
STDMETHODIMP CRuler::put_Zero(double newVal)
{
    return Guarded([&]() -> HRESULT { return Store(&m_zero, newVal); });
}
STDMETHODIMP CRuler::get_CursorPosition(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        // A null pointer is no error here: nothing is written.
        if (pVal)
            *pVal = m_cursor;
        return S_OK;
    });
}
STDMETHODIMP CRuler::put_CursorPosition(double newVal)
{
    return Guarded([&]() -> HRESULT {
        HWND window = WindowHandle();
        if (!window || !IsWindowVisible(window)) {
            m_cursor = newVal;
            return S_OK;
        }
        RECT client = {};
        GetClientRect(window, &client);
        ycom::WindowDC dc(GetDC(window));
        if (dc)
            MoveCursor(dc.Get(), client, newVal);
        else
            m_cursor = newVal;
        return S_OK;
    });
}
