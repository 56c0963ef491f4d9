#include "render/diff_colour_sequence.h"

namespace zov {

std::int32_t DiffColourSequence::NextDiffColor(std::int32_t seed)
{
    if (seed == 0)
        m_counter = 0;
    if (m_counter == 0)
        m_counter = seed;
    const std::int32_t result = m_counter;
    // Summed in 64 bits: the counter restarts once it passes 2^24 instead of
    // overflowing for large seeds.
    const std::int64_t next = static_cast<std::int64_t>(m_counter) + seed / 2;
    m_counter = next > 16777216 ? seed : static_cast<std::int32_t>(next);
    return result;
}

}  // namespace zov
