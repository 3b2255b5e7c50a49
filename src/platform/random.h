// The runtime's pseudo-random numbers.
#pragma once

namespace platform {

// A fresh seed from the clock, mixed with the system's entropy source so that
// two reseeds in the same clock tick still differ.
void reseed_random_from_clock();

// A whole number from 1 to n inclusive; n must be at least 1.
int random_from_1_to(int n);

}  // namespace platform
