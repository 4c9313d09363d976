#pragma once
// The progress bar that quil-cli's long commands show on a terminal, and the
// Ctrl+C flag they watch.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <iostream>
#include <string>
#include <unistd.h>

inline constexpr int kExitInterrupted = 130;
inline constexpr const char* kMsgAborted = "Aborted";

// Set by the SIGINT handler that InterruptWatch installs.
inline volatile std::sig_atomic_t g_interrupted = 0;
extern "C" inline void OnInterrupt(int) { g_interrupted = 1; }

// Catches Ctrl+C while it lives (the flag starts clear), then puts the
// previous handler back.
class InterruptWatch {
public:
    InterruptWatch() : m_previous((g_interrupted = 0, std::signal(SIGINT, OnInterrupt))) {}
    ~InterruptWatch() { std::signal(SIGINT, m_previous); }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    void (*m_previous)(int);
};

class ProgressBar {
public:
    // The bar appears only for work that takes longer than this.
    static constexpr auto kDelay = std::chrono::milliseconds(500);
    static constexpr int kWidth = 40;

    explicit ProgressBar(unsigned total) : m_total(total), m_bTerminal(isatty(STDERR_FILENO) == 1) {}
    ~ProgressBar() { Clear(); }
    void Show(unsigned done)
    {
        if (!m_bTerminal || m_total == 0 || std::chrono::steady_clock::now() - m_start < kDelay)
            return;
        const unsigned percent = unsigned(uint64_t(done) * 100 / m_total);
        const int filled = int(uint64_t(done) * kWidth / m_total);
        std::cerr << "\r[" << std::string(size_t(filled), '#') << std::string(size_t(kWidth - filled), '.') << "] "
                  << percent << " %" << std::flush;
        m_bShown = true;
    }
    void Clear()
    {
        if (m_bShown)
            std::cerr << "\r" << std::string(kWidth + 8, ' ') << "\r" << std::flush;
        m_bShown = false;
    }

private:
    unsigned m_total;
    bool m_bTerminal;
    bool m_bShown = false;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
