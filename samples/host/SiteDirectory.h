#pragma once
// The host's own look at the site database: the ID of a site by its name, through the same data
// source the control uses (the name is bound, never put into the statement).
#include <string>
#include <vector>

namespace sample {

// The IDs of the sites of that name, in ID order; throws when the database cannot be read. An
// empty data source name means the control's embedded default, "YVEX".
std::vector<long> SitesNamed(const std::string& dataSource, const std::wstring& name);

} // namespace sample
