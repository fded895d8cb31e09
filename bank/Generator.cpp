#include "bank/Generator.h"

#include <bit>
#include <chrono>

namespace {
constexpr std::uint32_t Mask24 = 0xFFFFFF;
constexpr std::uint32_t Multiplier = 0x43FD43FD;
constexpr std::uint32_t Increment = 0xC39EC3;

// A 64-bit finaliser: neighbouring clock readings land far apart.
std::uint64_t Mix(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}
} // namespace

Generator& Generator::Shared()
{
    static Generator shared;
    return shared;
}

float Generator::Next()
{
    s = (s * Multiplier + Increment) & Mask24;
    return static_cast<float>(s) / static_cast<float>(1 << 24);
}

float Generator::Draw(float negative)
{
    const auto bits = std::bit_cast<std::uint32_t>(negative);
    s = (bits + (bits >> 24)) & Mask24;
    return Next();
}

void Generator::Reseed(double n)
{
    const auto h = static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(n) >> 32);
    s = (s & 0xFF) | ((((h >> 16) ^ h) & 0xFFFF) << 8);
}

void Generator::ReseedFromClock()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    s = static_cast<std::uint32_t>(Mix(static_cast<std::uint64_t>(ns))) & Mask24;
}
