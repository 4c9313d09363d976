#include "SizeWidgets.h"

#include "render/CalcBitmap.h"
#include "resources/AppStrings.h"
#include "shell/MessageBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
// Five digits hold 16384; a longer number is kept so that its message can name it.
constexpr int kPixelDigits = 9;
}  // namespace

QLineEdit* MakePixelEdit(QWidget* parent, int id, unsigned value)
{
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setObjectName(ControlName(id));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setMaxLength(kPixelDigits);
    // Wide enough for the largest size, not the width of a whole column.
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    return edit;
}

QGroupBox* MakeMarginGroup(QWidget* parent, QButtonGroup*& buttons, int mode)
{
    auto* group = new QGroupBox(QString::fromUtf8(kMarginGroupTitle), parent);
    buttons = new QButtonGroup(group);
    auto* layout = new QVBoxLayout(group);
    for (int m = 0; m < kNumMarginModes; ++m) {
        auto* radio = new QRadioButton(QString::fromUtf8(kMarginModeLabels[m]), group);
        radio->setObjectName(ControlName(IDC_MARGIN_FIRST + m));
        buttons->addButton(radio, m);
        layout->addWidget(radio);
    }
    if (QAbstractButton* checked = buttons->button(mode))
        checked->setChecked(true);
    return group;
}

CLinkedSizeEdits::CLinkedSizeEdits(CLinkedSize::Rules rules, QLineEdit* x, QLineEdit* y, QCheckBox* keepAspect)
    : QObject(x), m_link(rules), m_pX(x), m_pY(y), m_pKeep(keepAspect)
{
    m_link.Open(x->text().toDouble(), y->text().toDouble());
    if (keepAspect->whatsThis().isEmpty())
        keepAspect->setWhatsThis(QString::fromUtf8(kWhatsThisKeepAspect));
    connect(x, &QLineEdit::textChanged, this, [this] { OnEdited(CLinkedSize::Edit::X); });
    connect(y, &QLineEdit::textChanged, this, [this] { OnEdited(CLinkedSize::Edit::Y); });
    connect(keepAspect, &QCheckBox::clicked, this, [this] {
        m_link.OnKeepAspectClicked(m_pX->text(), m_pY->text());
        emit Changed();
    });
}

void CLinkedSizeEdits::OnEdited(CLinkedSize::Edit edit)
{
    const std::optional<QString> follow = m_link.OnEdited(edit, m_pX->text(), m_pY->text(), m_pKeep->isChecked());
    // Writing the other edit raises its change at once, which the link lets pass.
    if (follow)
        (edit == CLinkedSize::Edit::X ? m_pY : m_pX)->setText(*follow);
    emit Changed();
}

void CLinkedSizeEdits::SetBoth(unsigned x, unsigned y)
{
    const QString xText = QString::number(x);
    const QString yText = QString::number(y);
    if (m_pX->text() != xText) {
        m_link.BeginSilentWrite();
        m_pX->setText(xText);
    }
    if (m_pY->text() != yText) {
        m_link.BeginSilentWrite();
        m_pY->setText(yText);
    }
    m_link.SetAspect(double(x), double(y));
    emit Changed();
}

PixelReading ReadPixelEdits(QWidget* dialog, PixelRule rule, QLineEdit* x, QLineEdit* y)
{
    PixelReading reading = ReadPixelFields(rule, x->text(), y->text());
    if (reading.Accepted())
        return reading;
    QuilMessageBox(dialog, reading.message, QString::fromUtf8(kAppTitle), QMessageBox::Warning);
    if (!reading.clamped) {
        QLineEdit* bad = reading.badField == 1 ? y : x;
        bad->setFocus();
        bad->selectAll();
    }
    return reading;
}
