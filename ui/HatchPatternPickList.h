#pragma once
// CHatchPatternPickList: the pick list of a drawing's hatch patterns, by name, each entry's ID
// the pattern's.
#include "ui/PickList.h"

class CHatchPatternMap;

class CHatchPatternPickList : public CPickList
{
public:
    explicit CHatchPatternPickList(const CHatchPatternMap* patterns = nullptr) : m_patterns(patterns) {}
    void SetPatterns(const CHatchPatternMap* patterns) { m_patterns = patterns; }

    bool Fill(int currentId) override;
    bool CanFill() override { return m_patterns != nullptr; }

private:
    const CHatchPatternMap* m_patterns;
};
