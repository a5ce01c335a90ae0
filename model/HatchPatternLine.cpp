#include "model/HatchPatternLine.h"
#include "model/DefinitionText.h"
#include "model/Geometry.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include <cmath>

namespace {
const double kMillimetresPerInch = 25.4;

// One field of a definition line: white space, then a decimal number up to the first character
// that cannot belong to it; an empty or non-numeric field reads as 0.
double FieldValue(const char* p, const char* end)
{
    p = SkipDefinitionBlanks(p, end);
    double value = 0.0;
    if (ParseDecimal(p, end, value) == 0)
        return 0.0;
    return value;
}
} // namespace

bool CHatchPatternLine::Parse(const char* text, size_t length, bool toMillimetres)
{
    if (!text)
        return false;
    const char* p = text;
    const char* end = text + length;
    int fields = 0;
    while (p < end) {
        // A field runs to the next comma or carriage return; after a separator its first
        // character belongs to it whatever it is.
        const char* q = fields > 0 ? p + 1 : p;
        while (q < end && *q != ',' && *q != '\r')
            ++q;
        const double value = FieldValue(p, q);
        switch (fields) {
        case 0: m_angle = value; break;
        case 1: m_originX = value; break;
        case 2: m_originY = value; break;
        case 3: m_offsetX = value; break;
        case 4: m_offsetY = value; break;
        default: m_dashes.push_back(toMillimetres ? value * kMillimetresPerInch : value); break;
        }
        ++fields;
        if (q >= end || *q != ',')
            break;
        p = q + 1;
        p = SkipDefinitionBlanks(p, end);
    }
    if (toMillimetres) {
        m_originX *= kMillimetresPerInch;
        m_originY *= kMillimetresPerInch;
        m_offsetX *= kMillimetresPerInch;
        m_offsetY *= kMillimetresPerInch;
    }
    return fields > 4;
}

double CHatchPatternLine::GetDashPeriod() const
{
    if (m_dashes.size() < 2)
        return 0.0;
    double period = 0.0;
    for (double d : m_dashes)
        period += std::fabs(d);
    return period;
}

int CHatchPatternLine::GetLineTypeId(CLineTypeMap& lineTypes, int* id)
{
    if (m_lineTypeId == 0) {
        // A nameless type of the dash list: the map hands out an equal one it already holds.
        int registered = 0;
        lineTypes.Add(CLineType(m_dashes), &registered);
        m_lineTypeId = registered;
    }
    if (id)
        *id = m_lineTypeId;
    return m_lineTypeId;
}

void CHatchPatternLine::ScaleLengths(double factor)
{
    m_originX *= factor;
    m_originY *= factor;
    m_offsetX *= factor;
    m_offsetY *= factor;
    for (double& d : m_dashes)
        d *= factor;
}
