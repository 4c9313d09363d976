#pragma once
// Threads whose stack holds a recursive walk over the deepest tree the
// program accepts (kMaxTreeDepth levels), whatever the process's stack limit
// is: the evaluator and the compiler recurse over the tree, and a thread's
// default stack, the main thread's included, follows `ulimit -s`.

#include <cstddef>
#include <functional>
#include <pthread.h>

// Stack of every deep-stack thread, in bytes. Reading and rendering a tree of
// kMaxTreeDepth levels with either renderer took at most 1.4 MiB in an
// optimised build and 3.1 MiB in a sanitizer build; the rest is headroom.
// Only the pages a walk touches are ever backed by memory.
constexpr size_t kDeepStackBytes = size_t(64) << 20;

class CDeepStackThread {
public:
    CDeepStackThread() = default;
    // Joins a thread that was neither joined nor detached (detaches it when
    // called on that thread itself, which cannot join itself).
    ~CDeepStackThread();
    CDeepStackThread(const CDeepStackThread&) = delete;
    CDeepStackThread& operator=(const CDeepStackThread&) = delete;

    // Runs body on a new thread with a stack of kDeepStackBytes. False, with
    // body not run, when the thread cannot be made or one is still joinable.
    bool Start(std::function<void()> body);
    bool Joinable() const { return m_bJoinable; }
    void Join();
    void Detach();
    // True when called on this object's thread.
    bool IsCurrentThread() const;

private:
    pthread_t m_handle{};
    bool m_bJoinable = false;
};

// Runs body on a deep-stack thread and waits for it to end. An exception
// that body throws is thrown again here. False when no thread could be made
// (body has not run).
bool RunOnDeepStack(const std::function<void()>& body);
