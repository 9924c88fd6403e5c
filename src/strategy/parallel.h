// Independent read-only tests shared out between this thread and one more.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace nvx {

// passed[i] := test(i) for every i in [0, n). When n is at least minForTwo and
// the machine has more than one core, the upper half is tested on a second
// thread meanwhile: test must then only read what the other calls may read
// too. An exception of either half is rethrown here once both have ended.
void TestOnTwoThreads(std::size_t n, std::size_t minForTwo, std::vector<char>& passed,
                      const std::function<bool(std::size_t)>& test);

} // namespace nvx
