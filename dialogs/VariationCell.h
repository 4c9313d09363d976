#pragma once
// CVariationCell shows one picture of the variations window: the picture
// once it is complete, a quiet placeholder while it is computed, a frame for
// the middle picture and under the mouse, a dotted mark when it has the
// keyboard focus. Clicks and keys go to the window through callbacks.

#include "VariationsModel.h"

#include <QWidget>

#include <functional>

class CVariationCell : public QWidget {
public:
    CVariationCell(int side, bool framed, QWidget* parent = nullptr);

    // What the cell shows; the picture is read only when the state is Ready.
    void Show(const VariationPicture& picture, bool computing);
    void SetMiddle(bool middle);

    std::function<void()> m_onClick;
    std::function<void()> m_onDoubleClick;
    // Arrow keys, Return and Space while the cell has the focus; false lets the key go on.
    std::function<bool(int key)> m_onKey;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    VariationPicture m_picture;
    bool m_bComputing = false;
    bool m_bMiddle = false;
    bool m_bHover = false;
    int m_nBorder;
};
