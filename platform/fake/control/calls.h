#pragma once
// The simulated system's call log: what the program asked of it, in order, one text per
// call, "Operation argument..." (numbers in decimal). GUI operations that change something
// log "Operation controlName [argument]", e.g. "ListDeleteRow procListView 2"; the others
// log their arguments, e.g. "OpenProcess <pid> <access> <inherit>". Any thread.
//
// Nothing is logged until a test asks for it: ClearCallLog empties the log and starts it;
// ResetOs and ResetGui stop it.

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

void ClearCallLog();
// The entries of operation `op` (all entries when empty).
std::vector<std::string> CallLog(const std::string& op = "");
// The numeric arguments of each logged call of `op` (an operation that logs numbers only).
std::vector<std::vector<std::uint64_t>> CallArgs(const std::string& op);

}  // namespace fake
