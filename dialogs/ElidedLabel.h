#pragma once
// A one-line text that shows a path whole when it fits and otherwise with its
// middle replaced by an ellipsis, so that both the start and the file name
// stay visible.

#include <QFrame>
#include <QString>

class CElidedLabel : public QFrame {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);
    QString text() const { return m_text; }
    void setText(const QString& text);
    void setAlignment(Qt::Alignment alignment);
    // The text as it is drawn at the current width.
    QString shownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
