#pragma once
// The colour sequence of the difference curves ("Diff (a-b)"). The window owns
// one object for the life of the program: every refresh in Diff mode goes on
// with the sequence, and selecting "Diff (a-b)" restarts it (seed 0).

#include "core/curve_store.h"

#include <cstdint>

namespace zov {

class DiffColourSequence {
public:
    // A sequence that stands where `counter()` of another stood: a picture
    // drawn from values goes on with the sequence and hands back where it ended.
    DiffColourSequence() = default;
    explicit DiffColourSequence(std::int32_t counter) : m_counter(counter) {}

    // Seed 0 restarts the sequence (and returns 0). Otherwise the first call
    // returns the seed and each further call adds seed / 2 (truncated); after
    // the counter passes 2^24 the sequence starts again at the seed. With seed
    // 40000: 40000, 60000, 80000, ...
    std::int32_t NextDiffColor(std::int32_t seed);

    std::int32_t counter() const { return m_counter; }

private:
    std::int32_t m_counter = 0;
};

}  // namespace zov
