#include "LibraryStats.h"

namespace production {

uint64_t ArgumentSampler::NextRandom()
{
    // xorshift64*: plenty for choosing sample slots.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return m_state * 0x2545f4914f6cdd1dull;
}

void ArgumentSampler::Add(LibFn fn, double a, double b)
{
    auto& samples = m_samples[int(fn)];
    const uint64_t seen = ++m_seen[int(fn)];
    if (samples.size() < m_capacity) {
        samples.emplace_back(a, b);
        return;
    }
    const uint64_t slot = NextRandom() % seen;
    if (slot < m_capacity)
        samples[size_t(slot)] = {a, b};
}

}  // namespace production
