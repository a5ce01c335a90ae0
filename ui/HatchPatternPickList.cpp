#include "ui/HatchPatternPickList.h"
#include "model/HatchPatternMap.h"

bool CHatchPatternPickList::Fill(int currentId)
{
    bool added = FillSpecials(currentId);
    if (!m_patterns)
        return added;
    for (const auto& entry : m_patterns->Patterns()) {
        const char* name = entry.second ? entry.second->GetName() : nullptr;
        if (!name || !*name)
            continue;
        added |= AddEntry(entry.first, name, entry.first == currentId) >= 0;
    }
    return added;
}
