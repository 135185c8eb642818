#pragma once
// Ordering of path lists in the user's locale, ignoring letter case.
#include <string>
#include <vector>

namespace slidora {

// Sorts `paths` by the user's locale, case-insensitively, and drops every
// entry that compares equal to one before it, keeping the first met. Only
// letter case makes two entries equal: entries that differ otherwise (kana
// kind, width, an invisible character) both stay, in a fixed order. Sort
// keys are computed once per entry, so 100,000 paths cost n log n key
// comparisons.
void sortPathsForUser(std::vector<std::string>& paths);

// The same comparison for two single texts: < 0, 0 or > 0.
int compareForUser(const std::string& a, const std::string& b);

} // namespace slidora
