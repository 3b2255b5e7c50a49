// One generator for the process; the UI thread is its only user.
#include "random.h"

#include <chrono>
#include <random>

namespace platform {

namespace {

std::mt19937& generator()
{
    static std::mt19937 instance;
    return instance;
}

}  // namespace

void reseed_random_from_clock()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::random_device entropy;
    std::seed_seq seed{static_cast<unsigned>(ticks), static_cast<unsigned>(ticks >> 32), entropy(), entropy()};
    generator().seed(seed);
}

int random_from_1_to(int n)
{
    return std::uniform_int_distribution<int>(1, n)(generator());
}

}  // namespace platform
