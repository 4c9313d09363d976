#include "UndoHistory.h"

#include "engine/QuilExpression.h"

CUndoHistory::CUndoHistory() = default;
CUndoHistory::~CUndoHistory() = default;

void CUndoHistory::Push(std::unique_ptr<CQuilExpression> expression)
{
    if (!expression)
        return;
    m_entries.push_front(std::move(expression));
    while (m_entries.size() > kMaxUndoEntries)
        m_entries.pop_back();
}

std::unique_ptr<CQuilExpression> CUndoHistory::Pop()
{
    if (m_entries.empty())
        return nullptr;
    std::unique_ptr<CQuilExpression> newest = std::move(m_entries.front());
    m_entries.pop_front();
    return newest;
}

void CUndoHistory::Clear() { m_entries.clear(); }
