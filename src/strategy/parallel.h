// Independent read-only tests shared out between this thread and one more.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace nvx {

// passed[i] := test(i, part) for every i in [0, n), where part is 0 for the
// lower half and 1 for the upper one. When n is at least minForTwo and the
// machine has more than one core, the upper half is tested on a second thread
// meanwhile: test must then only read what the other calls may read too, and
// write only what belongs to its part. An exception of either half is rethrown
// here once both have ended.
void TestOnTwoThreads(std::size_t n, std::size_t minForTwo, std::vector<char>& passed,
                      const std::function<bool(std::size_t i, unsigned part)>& test);

} // namespace nvx
