#include "LibraryStats.h"

#include <chrono>
#include <cmath>

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

namespace {

// One pass over the arguments; the sum keeps the calls from being dropped.
// The functions are called exactly as the renderers call them.
double CallAll(LibFn fn, const std::vector<std::pair<double, double>>& args)
{
    double sum = 0.0;
    switch (fn) {
    case LibFn::Sin: for (const auto& a : args) sum += std::sin(a.first); break;
    case LibFn::Cos: for (const auto& a : args) sum += std::cos(a.first); break;
    case LibFn::Exp: for (const auto& a : args) sum += std::exp(a.first); break;
    case LibFn::Log: for (const auto& a : args) sum += std::log(a.first); break;
    case LibFn::Pow: for (const auto& a : args) sum += std::pow(a.first, kOneThird); break;
    case LibFn::Atan2: for (const auto& a : args) sum += std::atan2(a.first, a.second); break;
    case LibFn::Sqrt: for (const auto& a : args) sum += std::sqrt(a.first); break;
    case LibFn::Fmod: for (const auto& a : args) sum += std::fmod(a.first, a.second); break;
    default: break;
    }
    return sum;
}

}  // namespace

double MeasureNanosecondsPerCall(LibFn fn, const std::vector<std::pair<double, double>>& args, double minSeconds)
{
    if (args.empty())
        return 0.0;
    using Clock = std::chrono::steady_clock;
    volatile double sink = CallAll(fn, args);  // warm-up
    uint64_t calls = 0;
    const Clock::time_point start = Clock::now();
    double elapsed = 0.0;
    do {
        // The arguments "may have changed": the pass cannot be hoisted out of the loop.
        asm volatile("" ::: "memory");
        sink = sink + CallAll(fn, args);
        calls += args.size();
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < minSeconds);
    return elapsed * 1e9 / double(calls);
}

}  // namespace production
