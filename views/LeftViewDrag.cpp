// CLeftView: dragging a branch with the mouse. The view tracks the drag itself
// (no drag and drop between programs): an image of the item follows the mouse, the
// item under it is highlighted as the drop target, a timer scrolls at the top
// and bottom edges and opens collapsed items the mouse rests on.

#include "LeftView.h"

#include "TreeEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>

namespace {
// Opacity of the image that follows the mouse.
constexpr double kDragImageOpacity = 0.6;
}  // namespace

void CLeftView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_pPressItem = itemAt(m_pressPos);
    }
    QTreeWidget::mousePressEvent(event);
}

void CLeftView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_bDragging) {
        MoveDrag(pos);
        return;
    }
    if (event->buttons() & Qt::LeftButton) {
        // A pressed button never drag-selects: the selection stays where the press put it.
        if (m_pPressItem && state() != QAbstractItemView::EditingState &&
            (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance() && CanDragItem(m_pPressItem))
            BeginDrag(m_pPressItem, pos);
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CLeftView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bDragging && event->button() == Qt::LeftButton) {
        // Not passed on: a drop back onto the selected item is no click that edits its label.
        EndDrag(event->position().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_pPressItem = nullptr;
    QTreeWidget::mouseReleaseEvent(event);
}

void CLeftView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    // The label and its icon; the expand button lies left of the item's rectangle.
    const bool onItem = item && visualItemRect(item).contains(event->position().toPoint());
    QTreeWidget::mouseDoubleClickEvent(event);
    if (onItem && event->button() == Qt::LeftButton) {
        m_pContextItem = item;
        OnAsNewImage();
    }
}

void CLeftView::keyPressEvent(QKeyEvent* event)
{
    if (m_bDragging && event->key() == Qt::Key_Escape) {
        CancelDrag();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CLeftView::BeginDrag(QTreeWidgetItem* item, const QPoint& pos)
{
    m_bDragging = true;
    m_pDragItem = item;
    m_lastDragPos = pos;
    // The drop highlight is the only highlighted row during the drag, so the
    // target stands out; the selection comes back when the drag ends.
    m_pSelectionBeforeDrag = currentItem();
    clearSelection();

    // The drag image: the item's icon and label as the tree draws them.
    const QRect rect = visualItemRect(item);
    const int iconWidth = item->icon(0).isNull() ? 0 : iconSize().width() + 4;
    QFontMetrics metrics(item->font(0));
    const QSize size(std::max(1, iconWidth + metrics.horizontalAdvance(item->text(0)) + 8), std::max(1, rect.height()));
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setOpacity(kDragImageOpacity);
        // A light ground and frame keep the image readable over the highlight.
        painter.fillRect(pixmap.rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
        if (iconWidth)
            item->icon(0).paint(&painter, QRect(QPoint(0, (size.height() - iconSize().height()) / 2), iconSize()));
        painter.setFont(item->font(0));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(iconWidth + 2, 0, size.width() - iconWidth - 2, size.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, item->text(0));
    }
    m_pDragImage = new QLabel(viewport());
    m_pDragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pDragImage->setPixmap(pixmap);
    m_pDragImage->resize(size);
    // The image keeps the grab point where the mouse took the item.
    m_dragGrabOffset = m_pressPos - rect.topLeft();
    m_pDragImage->move(pos - m_dragGrabOffset);
    m_pDragImage->show();
    MoveDrag(pos);
}

void CLeftView::MoveDrag(const QPoint& pos)
{
    m_dragTimer.stop();
    m_lastDragPos = pos;
    if (m_pDragImage)
        m_pDragImage->move(pos - m_dragGrabOffset);
    QTreeWidgetItem* target = itemAt(pos);
    SetDropTarget(target);
    viewport()->setCursor(target ? Qt::ArrowCursor : Qt::ForbiddenCursor);
    const bool nearEdge = pos.y() < kDragScrollMargin || pos.y() >= viewport()->height() - kDragScrollMargin;
    const bool overClosedBranch = target && target->childCount() > 0 && !target->isExpanded();
    if (nearEdge || overClosedBranch)
        m_dragTimer.start(kDragHoverDelayMs);  // fires only when the mouse rests here
}

void CLeftView::OnDragTimer()
{
    if (!m_bDragging) {
        m_dragTimer.stop();
        return;
    }
    m_dragTimer.start(kDragRepeatDelayMs);
    const QPoint pos = m_lastDragPos;
    QScrollBar* bar = verticalScrollBar();
    const int before = bar->value();
    if (pos.y() < kDragScrollMargin || pos.y() >= viewport()->height() - kDragScrollMargin) {
        bar->triggerAction(pos.y() < kDragScrollMargin ? QAbstractSlider::SliderSingleStepSub
                                                       : QAbstractSlider::SliderSingleStepAdd);
        if (bar->value() != before) {
            SetDropTarget(itemAt(pos));
            return;
        }
        m_dragTimer.stop();
    }
    QTreeWidgetItem* target = itemAt(pos);
    if (target && target->childCount() > 0 && !target->isExpanded()) {
        target->setExpanded(true);
        m_dragTimer.stop();
    }
}

void CLeftView::EndDrag(const QPoint& pos)
{
    QTreeWidgetItem* dragged = m_pDragItem;
    QTreeWidgetItem* target = itemAt(pos);
    CancelDrag();
    DropBranch(dragged, target);
}

void CLeftView::CancelDrag()
{
    m_dragTimer.stop();
    if (m_pDragImage) {
        m_pDragImage->hide();
        m_pDragImage->deleteLater();
        m_pDragImage = nullptr;
    }
    if (m_bDragging) {
        viewport()->unsetCursor();
        if (m_pSelectionBeforeDrag)
            setCurrentItem(m_pSelectionBeforeDrag);
    }
    m_pSelectionBeforeDrag = nullptr;
    SetDropTarget(nullptr);
    m_bDragging = false;
    m_pDragItem = nullptr;
    m_pPressItem = nullptr;
}

void CLeftView::SetDropTarget(QTreeWidgetItem* item)
{
    if (item == m_pDropTarget)
        return;
    m_pDropTarget = item;
    viewport()->update();
}

void CLeftView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (m_pDropTarget && index == indexFromItem(m_pDropTarget)) {
        QStyleOptionViewItem highlighted(option);
        highlighted.state |= QStyle::State_Selected | QStyle::State_Active;
        QTreeWidget::drawRow(painter, highlighted, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}
