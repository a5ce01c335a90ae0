#pragma once
class CShape;

// Gives `target` the attribute groups and values of `source`. Without keep, the source's groups
// replace the target's and every value of the source is copied; with keep, the groups are merged
// and only values of types the target has take the source's value. Values that no group of the
// target covers go afterwards. (A block reference takes its block's this way, with keep.)
void CopyAttributesFrom(CShape& target, const CShape& source, bool keep);
