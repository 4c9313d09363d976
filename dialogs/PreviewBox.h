#pragma once
// The custom save's preview: a grey box, in it the black paper of the chosen
// margin mode and the displayed picture stretched to the chosen ratio, so the
// person sees the shape of the file before it is computed. PreviewGeometry is
// the widget-free part; CPreviewBox draws it.

#include "render/Picture.h"

#include <QImage>
#include <QRect>
#include <QWidget>

// Where the paper and the picture lie in a box of the given size for a margin
// mode and the picture's ratio width / height. For "normal" there is no paper
// (an empty rectangle) and the picture fills the box's width or height; for
// the other modes the paper does, and the picture fills the paper's width or
// height. Both are centred. A ratio that is not a positive number draws no
// picture.
struct PreviewLayout {
    QRect paper;
    QRect picture;
};
PreviewLayout PreviewGeometry(int boxWidth, int boxHeight, int marginMode, double aspect);

class CPreviewBox : public QWidget {
    Q_OBJECT
public:
    // preview is the picture to stretch (any size; copied).
    CPreviewBox(const Picture& preview, QWidget* parent);

    void SetMode(int marginMode);
    void SetAspect(double aspect);
    int Mode() const { return m_nMode; }
    double Aspect() const { return m_dAspect; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture m_preview;
    int m_nMode = 0;
    double m_dAspect = 1.0;
};
