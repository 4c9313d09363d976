// CLeftView: the tree as a picture (Copy), Paste into a label, and printing
// the tree over a grid of pages.

#include "LeftView.h"
#include "TreeItems.h"

#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QHoverEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>

namespace {
// Share of the screen a print preview takes.
constexpr double kPreviewScreenShare = 0.75;
}  // namespace

QSize CLeftView::TreePictureSize(int thumbHeightDivisor)
{
    // Room for the root's thumbnail beside the labels, and for the labels' own margin.
    const QSize extent = VisibleLabelExtent();
    return QSize(m_nThumbSize + extent.width() + kTreeLabelMargin,
                 m_nThumbSize / thumbHeightDivisor + extent.height());
}

void CLeftView::RenderWholeTree(QPainter& painter, const QSize& size)
{
    // The view takes the whole tree's size for the moment of drawing, so that
    // every visible item is drawn; no event is processed before it gets its
    // own size and scroll position back. Only the items are drawn: not the
    // frame around them, not the selection, not the row under the mouse.
    const QRect savedGeometry = geometry();
    QTreeWidgetItem* const selected = currentItem();
    const bool wasSelected = selected && selected->isSelected();
    if (wasSelected)
        selected->setSelected(false);
    QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), QPointF(-1, -1));
    QCoreApplication::sendEvent(viewport(), &leave);
    const int savedX = horizontalScrollBar()->value();
    const int savedY = verticalScrollBar()->value();
    const Qt::ScrollBarPolicy savedHorizontal = horizontalScrollBarPolicy();
    const Qt::ScrollBarPolicy savedVertical = verticalScrollBarPolicy();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = frameWidth();
    resize(size + QSize(2 * frame, 2 * frame));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    setHorizontalScrollBarPolicy(savedHorizontal);
    setVerticalScrollBarPolicy(savedVertical);
    setGeometry(savedGeometry);
    horizontalScrollBar()->setValue(savedX);
    verticalScrollBar()->setValue(savedY);
    if (wasSelected)
        selected->setSelected(true);
}

QImage CLeftView::TreePicture()
{
    const QSize size = TreePictureSize(2);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(palette().color(QPalette::Base));
    QPainter painter(&picture);
    RenderWholeTree(painter, size);
    return picture;
}

void CLeftView::OnEditCopy()
{
    if (QLineEdit* editor = LabelEditor()) {
        if (editor->hasSelectedText())
            QApplication::clipboard()->setText(editor->selectedText());
        return;
    }
    QApplication::clipboard()->setImage(TreePicture());
}

void CLeftView::OnEditPaste()
{
    if (QLineEdit* editor = LabelEditor())
        editor->paste();
}

// Printing ------------------------------------------------------------------------------------

QSize CLeftView::PrintPageGrid()
{
    const QSize size = TreePictureSize(1);
    return QSize(size.width() / kPrintPageWidth + 1, size.height() / kPrintPageHeight + 1);
}

void CLeftView::PrintPage(QPainter& painter, QPrinter& printer, int page)
{
    const QSize grid = PrintPageGrid();
    const int column = (page - 1) % grid.width();
    const int row = (page - 1) / grid.width();
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    // kPrintPageHeight logical units fill the printable height.
    const double scale = double(printable.height()) / kPrintPageHeight;
    painter.save();
    painter.translate(kPrintOffsetX - column * printable.width(), kPrintOffsetY - row * printable.height());
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Printed on white whatever the focus colour.
    const QPalette savedPalette = palette();
    QPalette white = savedPalette;
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    RenderWholeTree(painter, TreePictureSize(1));
    setPalette(savedPalette);
    painter.restore();
}

void CLeftView::PrintTree(QPrinter& printer)
{
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QSize grid = PrintPageGrid();
    const int pages = grid.width() * grid.height();
    int first = printer.fromPage();
    int last = printer.toPage();
    if (first <= 0 || last <= 0) {
        first = 1;
        last = pages;
    }
    first = std::clamp(first, 1, pages);
    last = std::clamp(last, first, pages);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        PrintPage(painter, printer, page);
    }
}

void CLeftView::OnFilePrint()
{
    if (!m_pDocument)
        return;
    QPrinter& printer = m_pDocument->Shell().Printer();
    const QSize grid = PrintPageGrid();
    printer.setFromTo(0, 0);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, grid.width() * grid.height());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTree(printer);
}

void CLeftView::OnFilePrintPreview()
{
    if (!m_pDocument)
        return;
    QPrinter& printer = m_pDocument->Shell().Printer();
    printer.setFromTo(0, 0);
    QPrintPreviewDialog preview(&printer, this);
    if (const QScreen* screen = this->screen())
        preview.resize(screen->availableGeometry().size() * kPreviewScreenShare);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { PrintTree(*target); });
    preview.exec();
}
