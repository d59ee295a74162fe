#pragma once
// Lookups in the fake's tables. Callers mostly ask in table order (a snapshot visits every
// process, an enumeration every window), so the search starts at the last hit.

#include <cstddef>
#include <vector>

namespace fake {

// The first element from `hint` on (wrapping around) that `matches`, or null; `hint` moves
// to the element found. Keys are unique in the fake's tables, so any start finds the same.
template <typename Element, typename Matches>
Element* FindFromHint(std::vector<Element>& table, std::size_t& hint, Matches&& matches) {
  const std::size_t n = table.size();
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = (hint + k) % n;
    if (matches(table[i])) {
      hint = i;
      return &table[i];
    }
  }
  return nullptr;
}

}  // namespace fake
