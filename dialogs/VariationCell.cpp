#include "VariationCell.h"

#include "render/Picture.h"
#include "render/pictureio/PictureIO.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Room around the picture for the frames, in pixels.
constexpr int kFramedBorder = 4;
constexpr int kPlainBorder = 2;
const QColor kEmptyColour(0x2b, 0x2b, 0x2b);
const QColor kWaitingColour(0x36, 0x36, 0x36);
const QColor kPlaceholderText(0x9a, 0x9a, 0x9a);
const QColor kHoverFrame(0xd0, 0xd0, 0xd0);
// The green of the picture view's "Working..." bar.
const QColor kWorkingGreen(0x00, 0xff, 0x00);
constexpr const char* kTextWorking = "Working...";
constexpr const char* kTextWaiting = "Waiting";
constexpr const char* kTextFailed = "Not computed";
}  // namespace

CVariationCell::CVariationCell(int side, bool framed, QWidget* parent)
    : QWidget(parent), m_nBorder(framed ? kFramedBorder : kPlainBorder)
{
    setFixedSize(side + 2 * m_nBorder, side + 2 * m_nBorder);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void CVariationCell::Show(const VariationPicture& picture, bool computing)
{
    m_picture = picture;
    m_bComputing = computing;
    setCursor(picture.expression ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

void CVariationCell::SetMiddle(bool middle)
{
    m_bMiddle = middle;
    setCursor(middle || !m_picture.expression ? Qt::ArrowCursor : Qt::PointingHandCursor);
    update();
}

void CVariationCell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect inner = rect().adjusted(m_nBorder, m_nBorder, -m_nBorder, -m_nBorder);
    if (m_bMiddle) {
        painter.fillRect(rect(), palette().color(QPalette::Highlight));
    } else if (m_bHover && m_picture.expression) {
        painter.fillRect(rect().adjusted(m_nBorder - kPlainBorder, m_nBorder - kPlainBorder,
                                         kPlainBorder - m_nBorder, kPlainBorder - m_nBorder),
                         kHoverFrame);
    }
    if (hasFocus()) {
        // The focus mark lies in the frame, so that it never covers the picture.
        painter.setPen(QPen(palette().color(QPalette::HighlightedText), 2, Qt::DashLine));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    if (m_picture.state == CellState::Ready && m_picture.picture) {
        QImage image = WrapPicture(*m_picture.picture);
        if (image.width() == qRound(inner.width() * devicePixelRatioF())) {
            // Computed at the cell's size in device pixels: drawn pixel for pixel.
            image.setDevicePixelRatio(devicePixelRatioF());
            painter.drawImage(inner.topLeft(), image);
        } else {
            painter.drawImage(inner, image);
        }
        return;
    }
    painter.fillRect(inner, m_picture.expression ? kWaitingColour : kEmptyColour);
    const char* text = nullptr;
    if (m_picture.state == CellState::Failed)
        text = kTextFailed;
    else if (m_picture.expression)
        text = m_bComputing ? kTextWorking : kTextWaiting;
    if (!text || inner.height() < fontMetrics().height() * 3)
        return;
    painter.setPen(m_bComputing ? kWorkingGreen : kPlaceholderText);
    painter.drawText(inner, Qt::AlignCenter, QString::fromUtf8(text));
}

void CVariationCell::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_onClick)
        m_onClick();
}

void CVariationCell::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_onDoubleClick)
        m_onDoubleClick();
}

void CVariationCell::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && m_onKey && m_onKey(event->key()))
        return;
    QWidget::keyPressEvent(event);
}

void CVariationCell::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void CVariationCell::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void CVariationCell::enterEvent(QEnterEvent*)
{
    m_bHover = true;
    update();
}

void CVariationCell::leaveEvent(QEvent*)
{
    m_bHover = false;
    update();
}
