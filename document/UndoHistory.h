#pragma once
// CUndoHistory keeps the expressions a tree view can go back to, newest
// first. It owns them; the oldest one is freed when the history overflows.

#include <cstddef>
#include <deque>
#include <memory>

class CQuilExpression;

constexpr size_t kMaxUndoEntries = 64;

class CUndoHistory {
public:
    CUndoHistory();
    ~CUndoHistory();
    CUndoHistory(const CUndoHistory&) = delete;
    CUndoHistory& operator=(const CUndoHistory&) = delete;

    // Adds the expression as the newest entry; beyond kMaxUndoEntries the
    // oldest entry is freed. A null expression is ignored.
    void Push(std::unique_ptr<CQuilExpression> expression);
    // Takes the newest entry out; null when the history is empty.
    std::unique_ptr<CQuilExpression> Pop();
    bool IsEmpty() const { return m_entries.empty(); }
    size_t Size() const { return m_entries.size(); }
    void Clear();

private:
    std::deque<std::unique_ptr<CQuilExpression>> m_entries;  // front: newest
};
