#pragma once
#include <map>
#include <set>
#include <string>

// Names of blocks and layers as DXF accepts them: letters, digits, '-', '_' and '$' kept, other
// characters dropped, at most 31 characters, "1" when nothing is left. False for an empty name;
// otherwise whether characters were dropped.
bool MakeValidName(std::string& name);
// The same rule without the "1" for an empty name: the characters dropped (the cut at 31 not
// counted).
size_t KeepNameCharacters(std::string& name);

// When the name is taken, raises its trailing decimal number (leading zeros kept; none counts as
// 0 without digits) until the name is free and takes that form. Whether the name changed.
bool MakeUniqueName(std::string& name, const std::set<std::string>& used);
bool MakeUniqueName(std::string& name, const std::map<std::string, int>& used);
