// Loopback addresses for tests that need one of their own: a Browser binds
// UDP port 1434 of its address, and other tests on this machine may be doing
// the same.
#pragma once

#include <string>

namespace emulator::testing {

// A 127.0.0.N whose UDP port 1434 is free at this moment; the search starts
// at a random N so that tests running side by side rarely meet.
std::string free_browser_address();

}  // namespace emulator::testing
