#include "model/LineType.h"
#include "model/DefinitionText.h"
#include "model/Geometry.h"
#include "interchange/DxfFile.h"
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
std::atomic<int> g_minDashLength{6};

} // namespace

CLineType::CLineType(const char* name, UINT penStyle) : m_penStyle(penStyle) { SetName(name); }

CLineType::CLineType(const std::vector<double>& dashes) : m_dashes(dashes) {}

void CLineType::SetName(const char* name)
{
    if (name)
        m_name = name;
    else
        m_name.reset();
}

void CLineType::SetDescription(const char* description)
{
    if (description)
        m_description = description;
    else
        m_description.reset();
}

void CLineType::Reset()
{
    m_alignment = 65;
    m_totalLength = 0.0f;
    m_name.reset();
    m_description.reset();
    m_flags = 0;
    m_dashes.clear();
}

bool CLineType::IsSamePattern(const CLineType& other) const
{
    if (m_dashes.size() != other.m_dashes.size())
        return false;
    if (m_dashes.empty()) {
        if (m_name && other.m_name)
            return *m_name == *other.m_name;
        return !m_name && !other.m_name;
    }
    return std::memcmp(m_dashes.data(), other.m_dashes.data(), m_dashes.size() * sizeof(double)) == 0;
}

int CLineType::ParseDefinition(const char* text, size_t length)
{
    const char* end = text ? text + length : nullptr;
    CDefinitionHeader header;
    if (!ReadDefinitionHeader(text, end, &header))
        return 0;
    m_name = std::string(header.name, header.comma ? header.comma : header.lineEnd);
    if (header.comma)
        m_description = std::string(header.description, header.lineEnd);
    if (header.lineEnd >= end || *header.lineEnd == '\0')
        return 1;
    // The pattern line follows the line end (CR LF, or a bare LF from other tools).
    const char* q = SkipDefinitionLineEnd(header.lineEnd, end);
    if (end - q >= 2 && q[0] == ';' && q[1] == ';')
        return 1;
    q = SkipDefinitionBlanks(q, end);
    const char* patternEnd = FindDefinitionLineEnd(q, end);
    ParsePatternLine(q, static_cast<size_t>(patternEnd - q));
    return 1;
}

int CLineType::ParsePatternLine(const char* text, size_t length)
{
    if (!text)
        return 0;
    const char* end = text + length;
    const char* p = text;
    // The first field is the alignment letter.
    while (p < end && *p != ',' && !IsDefinitionLineEnd(*p))
        ++p;
    std::vector<double> numbers;
    while (p < end && *p == ',') {
        ++p;
        p = SkipDefinitionBlanks(p, end);
        double v = 0;
        if (ParseDecimal(p, end, v) > 0)
            numbers.push_back(v);
        while (p < end && *p != ',' && !IsDefinitionLineEnd(*p))
            ++p;
    }
    if (numbers.empty())
        return 0;
    m_dashes = numbers;
    return 1;
}

void CLineType::ToMillimetres()
{
    for (double& d : m_dashes)
        d *= 25.4;
}

void CLineType::ToInches()
{
    for (double& d : m_dashes)
        d *= 0.03937007874015748;
}

int CLineType::GetMinDashLength() { return g_minDashLength.load(); }

void CLineType::SetMinDashLength(int length) { g_minDashLength.store(length); }

HPEN CLineType::CreatePen(COLORREF colour, int width, double scale) const
{
    LOGBRUSH brush = {BS_SOLID, colour, 0};
    if (m_dashes.empty()) {
        if (width != 0)
            return ExtCreatePen(m_penStyle | PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_BEVEL, static_cast<DWORD>(width),
                                &brush, 0, nullptr);
        return ::CreatePen(static_cast<int>(m_penStyle), 0, colour);
    }
    // Device lengths of the pattern. Gaps too short to show are dropped and the neighbouring
    // dashes run together.
    const DWORD minDash = static_cast<DWORD>(GetMinDashLength());
    std::vector<DWORD> lengths;
    bool merge = false;
    for (size_t i = 0; i < m_dashes.size(); ++i) {
        const double d = m_dashes[i];
        if (d == 0.0) {
            if (merge && !lengths.empty())
                lengths.back() += minDash;
            else
                lengths.push_back(minDash);
            continue;
        }
        const DWORD len = static_cast<DWORD>(std::abs(static_cast<long long>(DoubleToIntClamped(scale * d))));
        if (i % 2 == 0) {
            if (merge && !lengths.empty())
                lengths.back() += len;
            else
                lengths.push_back(len);
        } else if (len <= minDash) {
            merge = true;
        } else {
            lengths.push_back(len);
            merge = false;
        }
    }
    if (lengths.size() < 2)
        return nullptr;
    return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_BEVEL, static_cast<DWORD>(width), &brush,
                        static_cast<DWORD>(lengths.size()), lengths.data());
}

int CLineType::ReadDxf(CDxfFile& dxf)
{
    int announced = 0;
    while (dxf.ReadGroup()) {
        switch (dxf.GetCode()) {
        case 0:
            // The next entry begins: it is the caller's.
            dxf.UngetGroup();
            return 1;
        case 2: SetName(dxf.GetText()); break;
        case 3: SetDescription(dxf.GetText()); break;
        case 40: m_totalLength = static_cast<float>(dxf.GetReal()); break;
        case 49:
            // Dashes beyond the announced count are dropped.
            if (static_cast<int>(m_dashes.size()) < announced)
                m_dashes.push_back(dxf.GetReal());
            break;
        case 70: m_flags = dxf.GetInt(); break;
        case 72: m_alignment = dxf.GetInt(); break;
        case 73:
            announced = dxf.GetInt() > 0 ? dxf.GetInt() : 0;
            m_dashes.clear();
            break;
        default: break;
        }
    }
    return 1;
}

int CLineType::WriteDxf(CDxfFile& dxf)
{
    dxf.WriteStringGroup(0, "LTYPE");
    dxf.WriteTableHandle();
    if (m_name) {
        dxf.WriteStringGroup(2, m_name->c_str());
    } else {
        char name[32];
        std::snprintf(name, sizeof name, "LineType%d", static_cast<int>(m_penStyle));
        dxf.WriteStringGroup(2, name);
    }
    dxf.WriteIntGroup(70, m_flags);
    dxf.WriteStringGroup(3, m_description ? m_description->c_str() : "");
    dxf.WriteIntGroup(72, m_alignment);
    dxf.WriteIntGroup(73, GetDashCount());
    double total = 0;
    for (double d : m_dashes)
        total += std::fabs(d);
    m_totalLength = static_cast<float>(total);
    dxf.SetCode(40);
    dxf.SetReal(m_totalLength);
    dxf.WriteGroup();
    for (double d : m_dashes) {
        dxf.SetCode(49);
        dxf.SetReal(d);
        dxf.WriteGroup();
    }
    return 1;
}
