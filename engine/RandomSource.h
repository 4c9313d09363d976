#pragma once
// Source of 15-bit random values (0..32767) for tree generation. The program
// seeds one ClockRandomSource at start-up; tests script exact sequences.

#include <cstdint>
#include <cstddef>
#include <deque>

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int Next() = 0;  // 0..32767
};

constexpr int kRandMax = 32767;

// A linear congruential generator with the classic 15-bit output; the same
// seed always gives the same sequence on every platform.
class LcgRandomSource : public RandomSource {
public:
    explicit LcgRandomSource(uint32_t seed = 1) : m_state(seed) {}
    void Seed(uint32_t seed) { m_state = seed; }
    int Next() override
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7fff);
    }

private:
    uint32_t m_state;
};

// The program's source, seeded once from the clock (seconds) when made.
class ClockRandomSource : public LcgRandomSource {
public:
    ClockRandomSource();
};

// Yields a scripted sequence and counts the draws; past the end it yields
// 0 and records the overrun so that a test can tell.
class ScriptedRandomSource : public RandomSource {
public:
    ScriptedRandomSource() = default;
    explicit ScriptedRandomSource(std::deque<int> values) : m_values(std::move(values)) {}
    void Push(int v) { m_values.push_back(v); }
    int Next() override
    {
        ++m_nDraws;
        if (m_values.empty()) {
            ++m_nOverruns;
            return 0;
        }
        int v = m_values.front();
        m_values.pop_front();
        return v;
    }
    size_t Remaining() const { return m_values.size(); }
    int m_nDraws = 0;
    int m_nOverruns = 0;

private:
    std::deque<int> m_values;
};
