#include "LibraryStats.h"

#include <algorithm>
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

// One pass over `count` arguments; the sum keeps the calls from being
// dropped. The functions are called exactly as the renderers call them.
double CallAll(LibFn fn, const std::pair<double, double>* args, size_t count)
{
    double sum = 0.0;
    const auto* end = args + count;
    switch (fn) {
    case LibFn::Sin: for (const auto* a = args; a != end; ++a) sum += std::sin(a->first); break;
    case LibFn::Cos: for (const auto* a = args; a != end; ++a) sum += std::cos(a->first); break;
    case LibFn::Exp: for (const auto* a = args; a != end; ++a) sum += std::exp(a->first); break;
    case LibFn::Log: for (const auto* a = args; a != end; ++a) sum += std::log(a->first); break;
    case LibFn::Pow: for (const auto* a = args; a != end; ++a) sum += std::pow(a->first, kOneThird); break;
    case LibFn::Atan2: for (const auto* a = args; a != end; ++a) sum += std::atan2(a->first, a->second); break;
    case LibFn::Sqrt: for (const auto* a = args; a != end; ++a) sum += std::sqrt(a->first); break;
    case LibFn::Fmod: for (const auto* a = args; a != end; ++a) sum += std::fmod(a->first, a->second); break;
    default: break;
    }
    return sum;
}

// The vector functions are called on arrays of this length, a block's.
constexpr size_t kArrayLength = 256;

}  // namespace

double ReplaySeconds(LibFn fn, const std::vector<std::pair<double, double>>& args, uint64_t calls, ArrayMath vectors)
{
    if (args.empty() || calls == 0)
        return 0.0;
    using Clock = std::chrono::steady_clock;
    std::vector<double> first(args.size()), second(args.size()), out(std::min(args.size(), kArrayLength));
    for (size_t i = 0; i < args.size(); ++i) {
        first[i] = args[i].first;
        second[i] = args[i].second;
    }
    // One pass of up to `count` calls from the start of the arguments.
    const auto pass = [&](size_t count) {
        if (!vectors)
            return CallAll(fn, args.data(), count);
        for (size_t at = 0; at < count; at += kArrayLength) {
            const size_t n = std::min(kArrayLength, count - at);
            vectors(fn, int(n), out.data(), first.data() + at, second.data() + at);
        }
        return out[0];
    };
    volatile double sink = pass(size_t(std::min<uint64_t>(calls, args.size())));  // warm-up
    const Clock::time_point start = Clock::now();
    for (uint64_t left = calls; left > 0;) {
        const size_t count = size_t(std::min<uint64_t>(left, args.size()));
        // The arguments "may have changed": no pass can be hoisted or merged.
        asm volatile("" ::: "memory");
        sink = sink + pass(count);
        left -= count;
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace production
