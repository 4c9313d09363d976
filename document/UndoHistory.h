#pragma once
// CUndoHistory keeps the expressions a tree view can go back to, newest
// first, and those an Undo gave up, for Redo. It owns them; the oldest one is
// freed when the history overflows. A new change forgets what Redo could
// bring back.

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
    // oldest entry is freed. A null expression is ignored. A new change
    // (keepRedo false) empties the redo entries.
    void Push(std::unique_ptr<CQuilExpression> expression, bool keepRedo = false);
    // Takes the newest entry out; null when the history is empty.
    std::unique_ptr<CQuilExpression> Pop();
    bool IsEmpty() const { return m_entries.empty(); }
    // What Undo gave up, newest first.
    void PushRedo(std::unique_ptr<CQuilExpression> expression);
    std::unique_ptr<CQuilExpression> PopRedo();
    bool CanRedo() const { return !m_redo.empty(); }
    size_t Size() const { return m_entries.size(); }
    void Clear();

private:
    std::deque<std::unique_ptr<CQuilExpression>> m_entries;  // front: newest
    std::deque<std::unique_ptr<CQuilExpression>> m_redo;     // front: newest
};
