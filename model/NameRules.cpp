#include "model/NameRules.h"
#include <cctype>
#include <cstdio>
#include <functional>

size_t KeepNameCharacters(std::string& name)
{
    std::string kept;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x80 && std::isalnum(u)) || c == '-' || c == '_' || c == '$')
            kept += c;
    }
    const size_t dropped = name.size() - kept.size();
    if (kept.size() > 31)
        kept.resize(31);
    name = kept;
    return dropped;
}

bool MakeValidName(std::string& name)
{
    if (name.empty())
        return false;
    const bool dropped = KeepNameCharacters(name) > 0;
    if (name.empty())
        name = "1";
    return dropped;
}

namespace {
bool MakeUnique(std::string& name, const std::function<bool(const std::string&)>& taken)
{
    if (!taken(name))
        return false;
    size_t digitsAt = name.size();
    while (digitsAt > 0 && std::isdigit(static_cast<unsigned char>(name[digitsAt - 1])))
        --digitsAt;
    const std::string stem = name.substr(0, digitsAt);
    const std::string digits = name.substr(digitsAt);
    unsigned long long counter = 0;
    for (char c : digits)
        counter = counter * 10 + static_cast<unsigned>(c - '0');
    const int width = static_cast<int>(digits.size());
    for (;;) {
        ++counter;
        char number[32];
        std::snprintf(number, sizeof number, "%0*llu", width, counter);
        std::string candidate = stem + number;
        if (!taken(candidate)) {
            name = candidate;
            return true;
        }
    }
}
} // namespace

bool MakeUniqueName(std::string& name, const std::set<std::string>& used)
{
    return MakeUnique(name, [&](const std::string& n) { return used.count(n) != 0; });
}

bool MakeUniqueName(std::string& name, const std::map<std::string, int>& used)
{
    return MakeUnique(name, [&](const std::string& n) { return used.count(n) != 0; });
}
