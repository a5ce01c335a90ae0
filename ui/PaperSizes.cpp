#include "ui/PaperSizes.h"
#include "com/Module.h"
#include "com/Window.h"
#include "control/UnitRecord.h"
#include "control/YVEXControl.h"
#include "ui/resource.h"
#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace {

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(';', start);
        fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return fields;
}

// A name made of digits alone (and not 0) names a string of the module; the name stays unless the
// string exists with 1 to 19 characters. A name that only begins with digits ("10 Envelope") is a
// name.
std::string ResolveName(const std::string& field)
{
    const std::string name = Trim(field);
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
        return name;
    const long id = std::strtol(name.c_str(), nullptr, 10);
    if (id <= 0 || id > 0xFFFF)
        return name;
    char text[64] = "";
    const int n = ycom::LoadResourceString(static_cast<UINT>(id), text, static_cast<int>(sizeof text));
    return n >= 1 && n <= 19 ? std::string(text) : name;
}

int ResolveUnit(const std::string& field, const std::map<int, CUnitRecord>& units)
{
    const std::string text = Trim(field);
    if (text.empty())
        return 4;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() && *end == '\0')
        return number >= 1 && number <= 20 ? static_cast<int>(number) : 4;
    for (const auto& entry : units)
        if (entry.second.name == text)
            return entry.first;
    return 4;
}

} // namespace

std::vector<CPaperStandard> ParsePaperStandards(const char* text, size_t length, const std::map<int, CUnitRecord>& units)
{
    std::vector<CPaperStandard> standards;
    if (!text)
        return standards;
    bool open = false;
    CPaperStandard current;
    size_t pos = 0;
    while (pos < length) {
        size_t end = pos;
        while (end < length && text[end] != '\r' && text[end] != '\n')
            ++end;
        const std::string line(text + pos, end - pos);
        pos = end;
        while (pos < length && (text[pos] == '\r' || text[pos] == '\n'))
            ++pos;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '*') {
            if (open)
                standards.push_back(std::move(current));
            current = CPaperStandard();
            open = true;
            const std::vector<std::string> fields = Fields(line.substr(1));
            current.name = Trim(fields[0]);
            current.unit = fields.size() > 1 ? ResolveUnit(fields[1], units) : 4;
            continue;
        }
        if (!open)
            continue;
        const std::vector<std::string> fields = Fields(line);
        CPaperSize size;
        size.x = 0.0f;
        size.y = 0.0f;
        size.name = ResolveName(fields[0]);
        if (fields.size() > 1) {
            const float x = std::strtof(fields[1].c_str(), nullptr);
            if (x > 0.0f)
                size.x = x;
        }
        if (fields.size() > 2) {
            const float y = std::strtof(fields[2].c_str(), nullptr);
            if (y > 0.0f)
                size.y = y;
        }
        if (size.x < size.y)
            std::swap(size.x, size.y);
        for (size_t i = 3; i < fields.size(); ++i) {
            const long id = std::strtol(fields[i].c_str(), nullptr, 10);
            if (id != 0)
                size.paperIds.push_back(static_cast<int>(id));
        }
        current.sizes.push_back(std::move(size));
    }
    if (open)
        standards.push_back(std::move(current));
    return standards;
}

const std::vector<CPaperStandard>& GetPaperStandards(const std::map<int, CUnitRecord>& units)
{
    static std::vector<CPaperStandard> table;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    if (!table.empty())
        return table;
    HINSTANCE module = ycom::TheModule().ResourceInstance();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_PAPER_SIZES), "HATCH_PATTERN");
    HGLOBAL data = found ? LoadResource(module, found) : nullptr;
    const char* text = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (!text)
        return table;
    // Without the unit table the units named in the text cannot be told: such a reading is not
    // kept for the others.
    if (units.empty()) {
        static std::vector<CPaperStandard> unkept;
        unkept = ParsePaperStandards(text, SizeofResource(module, found), units);
        return unkept;
    }
    table = ParsePaperStandards(text, SizeofResource(module, found), units);
    return table;
}

bool LookUpPaperCode(CYVEXControl* control, int paperCode, double* first, double* second, int* unit)
{
    // A control without its unit table still tells inches from millimetres, which is all the
    // printer's paper needs.
    static const std::map<int, CUnitRecord> inchesOnly = [] {
        std::map<int, CUnitRecord> units;
        units[1].id = 1;
        units[1].name = "Inches";
        units[4].id = 4;
        units[4].name = "Millimeters";
        return units;
    }();
    const bool haveUnits = control && !control->GetUnits().empty();
    for (const CPaperStandard& standard : GetPaperStandards(haveUnits ? control->GetUnits() : inchesOnly))
        for (const CPaperSize& size : standard.sizes)
            for (int id : size.paperIds)
                if (id == paperCode) {
                    *first = size.x;
                    *second = size.y;
                    *unit = standard.unit;
                    return true;
                }
    return false;
}
