#include "PreviewBox.h"

#include "render/CalcBitmap.h"
#include "render/pictureio/PictureIO.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr QRgb kPreviewGrey = 0x7f7f7f;
// The box's size in the dialog: room for the tallest paper at a useful size.
constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 140;

// The paper ratio of each mode; "normal" uses the picture's own.
double PaperRatio(int marginMode, double aspect)
{
    if (marginMode <= MARGIN_NORMAL || marginMode >= kNumMarginModes)
        return aspect;
    return double(kMarginRatios[marginMode].width) / double(kMarginRatios[marginMode].height);
}

// Ratio p fitted into the area, centred: its full height when the area's
// ratio r is greater than p, else its full width.
QRect Fit(const QRect& area, double r, double p)
{
    if (!(p > 0) || !std::isfinite(p) || area.isEmpty())
        return QRect();
    if (r > p) {
        const int width = int(std::trunc(area.height() * p));
        return QRect(area.left() + ((area.width() - width) >> 1), area.top(), width, area.height());
    }
    const int height = int(std::min(std::trunc(area.width() / p), double(area.height())));
    return QRect(area.left(), area.top() + ((area.height() - height) >> 1), area.width(), height);
}

}  // namespace

PreviewLayout PreviewGeometry(int boxWidth, int boxHeight, int marginMode, double aspect)
{
    PreviewLayout layout;
    const QRect box(0, 0, std::max(0, boxWidth), std::max(0, boxHeight));
    if (box.isEmpty())
        return layout;
    const double r = double(box.width()) / double(box.height());
    if (marginMode <= MARGIN_NORMAL || marginMode >= kNumMarginModes) {
        layout.picture = Fit(box, r, aspect);
        return layout;
    }
    // The picture is fitted by the paper's ratio itself, not by the paper's
    // rounded rectangle: a picture of the paper's ratio fills its width.
    const double p = PaperRatio(marginMode, aspect);
    layout.paper = Fit(box, r, p);
    layout.picture = Fit(layout.paper, p, aspect);
    return layout;
}

CPreviewBox::CPreviewBox(const Picture& preview, QWidget* parent) : QWidget(parent), m_preview(preview)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMinimumSize(kPreviewWidth / 2, kPreviewHeight / 2);
}

QSize CPreviewBox::sizeHint() const { return QSize(kPreviewWidth, kPreviewHeight); }

void CPreviewBox::SetMode(int marginMode)
{
    if (m_nMode != marginMode) {
        m_nMode = marginMode;
        update();
    }
}

void CPreviewBox::SetAspect(double aspect)
{
    if (m_dAspect != aspect) {
        m_dAspect = aspect;
        update();
    }
}

void CPreviewBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(kPreviewGrey));
    const PreviewLayout layout = PreviewGeometry(width(), height(), m_nMode, m_dAspect);
    if (!layout.paper.isEmpty())
        painter.fillRect(layout.paper, Qt::black);
    if (layout.picture.isEmpty() || m_preview.IsNull())
        return;
    // Nearest pixel, no blending: the picture's own pixels, stretched.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(layout.picture, WrapPicture(m_preview));
}
