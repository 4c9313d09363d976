// CLeftView: where the labels of the visible items lie, worked out from the
// items' depths and texts in one walk (asking the view for each item's
// rectangle would search its rows once per item), and the column width
// that follows from it.

#include "LeftView.h"

#include "TreeItems.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {
// Room after the widest label in the column, pixels.
constexpr int kColumnEndRoom = 8;
}  // namespace

QRect CLeftView::VisibleLabelRect() const
{
    if (topLevelItemCount() == 0)
        return QRect();
    // The item views' layout: a margin on both sides of the thumbnail and of the text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int decoration = m_nThumbSize > 0 ? m_nThumbSize + 2 * margin : 0;
    const int firstLevel = rootIsDecorated() ? 1 : 0;
    QFont boldFont = font();
    boldFont.setBold(true);
    // Fractional widths rounded up, as the item views lay out their text.
    const QFontMetricsF normal(font());
    const QFontMetricsF bold(boldFont);

    int left = INT_MAX;
    int right = 0;
    int rows = 0;
    // Items with their depth; an explicit stack, for trees as deep as the reader allows.
    std::vector<std::pair<const QTreeWidgetItem*, int>> pending;
    for (int i = topLevelItemCount() - 1; i >= 0; --i)
        pending.emplace_back(topLevelItem(i), 0);
    while (!pending.empty()) {
        const auto [item, depth] = pending.back();
        pending.pop_back();
        ++rows;
        const int labelLeft = (depth + firstLevel) * indentation() + decoration;
        const QFontMetricsF& metrics = IsItemBold(item) ? bold : normal;
        left = std::min(left, labelLeft);
        right = std::max(right, labelLeft + int(std::ceil(metrics.horizontalAdvance(item->text(0)))) + 2 * margin);
        if (item->isExpanded())
            for (int i = item->childCount() - 1; i >= 0; --i)
                pending.emplace_back(item->child(i), depth + 1);
    }
    const int rowHeight = indexRowSizeHint(indexFromItem(topLevelItem(0)));
    return QRect(left, 0, right - left, rows * rowHeight);
}

int CLeftView::LabelColumnWidth() const
{
    const QRect labels = VisibleLabelRect();
    if (labels.isNull())
        return 0;
    return labels.right() + 1 + kColumnEndRoom + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

void CLeftView::ScheduleColumnWidth()
{
    if (!m_columnTimer.isActive())
        m_columnTimer.start();
}

void CLeftView::UpdateColumnWidth()
{
    m_columnTimer.stop();
    const QRect labels = VisibleLabelRect();
    header()->resizeSection(0, labels.isNull() ? 0 : labels.right() + 1 + kColumnEndRoom);
}
