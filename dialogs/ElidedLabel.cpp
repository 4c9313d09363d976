#include "ElidedLabel.h"

#include <QPainter>

namespace {
// Characters of width the label asks for; a longer path is elided.
constexpr int kPreferredChars = 40;
constexpr int kMinimumChars = 8;
}  // namespace

CElidedLabel::CElidedLabel(QWidget* parent) : QFrame(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CElidedLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setToolTip(text);
    update();
}

void CElidedLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QString CElidedLabel::shownText() const
{
    return fontMetrics().elidedText(m_text, Qt::ElideMiddle, contentsRect().width());
}

QSize CElidedLabel::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * kPreferredChars + 2 * frameWidth(), metrics.height() + 2 * frameWidth()};
}

QSize CElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * kMinimumChars + 2 * frameWidth(), metrics.height() + 2 * frameWidth()};
}

void CElidedLabel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawText(contentsRect(), int(m_alignment), shownText());
}
