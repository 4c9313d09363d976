#include "UndoHistory.h"

#include "engine/QuilExpression.h"

#include <utility>

CUndoHistory::CUndoHistory() = default;
CUndoHistory::~CUndoHistory() = default;

namespace {
void PushBounded(std::deque<std::unique_ptr<CQuilExpression>>& entries, std::unique_ptr<CQuilExpression> expression)
{
    if (!expression)
        return;
    entries.push_front(std::move(expression));
    while (entries.size() > kMaxUndoEntries)
        entries.pop_back();
}

std::unique_ptr<CQuilExpression> PopNewest(std::deque<std::unique_ptr<CQuilExpression>>& entries)
{
    if (entries.empty())
        return nullptr;
    std::unique_ptr<CQuilExpression> newest = std::move(entries.front());
    entries.pop_front();
    return newest;
}
}  // namespace

void CUndoHistory::Push(std::unique_ptr<CQuilExpression> expression, bool keepRedo)
{
    if (!expression)
        return;
    if (!keepRedo)
        m_redo.clear();
    PushBounded(m_entries, std::move(expression));
}

std::unique_ptr<CQuilExpression> CUndoHistory::Pop() { return PopNewest(m_entries); }

void CUndoHistory::PushRedo(std::unique_ptr<CQuilExpression> expression)
{
    PushBounded(m_redo, std::move(expression));
}

std::unique_ptr<CQuilExpression> CUndoHistory::PopRedo() { return PopNewest(m_redo); }

void CUndoHistory::Clear()
{
    m_entries.clear();
    m_redo.clear();
}
