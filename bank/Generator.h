#pragma once

#include <cstdint>

// The program's pseudo-random generator: a 24-bit linear congruential sequence.
// The bank files are scrambled with exactly this sequence, so it must never change.
class Generator {
public:
    static constexpr std::uint32_t InitialState = 0x50000;

    Generator() = default;
    // A generator in the state a draw has left another in.
    explicit Generator(std::uint32_t state) : s(state) {}

    // The one generator of the process: the descrambler resets it before each use and the
    // exam draw reseeds it from the clock.
    static Generator& Shared();

    // Next value in [0, 1): the new state divided by 2^24 (exact in single precision).
    float Next();
    // Puts the generator into a state fixed by a negative argument, then returns the next value.
    float Draw(float negative);
    // Mixes the upper half of n's double bit pattern into bits 8..23 of the state.
    void Reseed(double n);
    // Mixes a nanosecond clock reading into all 24 bits of the state.
    void ReseedFromClock();

    std::uint32_t State() const { return s; }
    // The state a Next() has just produced, scaled to 0..scale-1 in integers.
    std::uint32_t Scaled(std::uint32_t scale) const { return (s * scale) >> 24; }

private:
    std::uint32_t s = InitialState;
};
