#include "QuilWelcome.h"

#include "engine/SettingsStore.h"
#include "resources/AppStrings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPictureSide = 24;

// The banner: "Welcome to QUIL" at twice the dialog font's height, centred.
class CWelcomeBanner : public QPushButton {
public:
    explicit CWelcomeBanner(QWidget* parent) : QPushButton(parent)
    {
        setObjectName(QStringLiteral("WelcomeBanner"));
        setFlat(true);
        setFocusPolicy(Qt::NoFocus);
        QFont big = font();
        big.setPointSizeF(big.pointSizeF() * 2);
        big.setBold(true);
        m_font = big;
        setMinimumHeight(QFontMetrics(big).height() * 2);
        setWhatsThis(QString::fromUtf8(kWelcomeBanner));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
        gradient.setColorAt(0, QColor(0x20, 0x3a, 0x8c));
        gradient.setColorAt(0.5, QColor(0x8c, 0x24, 0x8c));
        gradient.setColorAt(1, QColor(0xe0, 0x6a, 0x1c));
        painter.fillRect(rect(), gradient);
        painter.setFont(m_font);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromUtf8(kWelcomeBanner));
    }

private:
    QFont m_font;
};

QLabel* PictureLabel(const char* resource, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QIcon(QString::fromUtf8(resource)).pixmap(kPictureSide, kPictureSide));
    return label;
}
}  // namespace

CQuilWelcome::CQuilWelcome(SettingsStore& store, QWidget* parent) : QDialog(parent), m_store(store)
{
    setWindowTitle(QString::fromUtf8(kWelcomeTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new CWelcomeBanner(this));

    auto* line1 = new QLabel(QString::fromUtf8(kWelcomeLine1), this);
    auto* version = new QLabel(QString::fromUtf8(kWelcomeVersion).arg(QString::fromUtf8(kAppVersion)), this);
    line1->setAlignment(Qt::AlignCenter);
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(line1);
    layout->addWidget(version);
    layout->addSpacing(8);

    auto* press = new QHBoxLayout;
    press->addStretch(1);
    press->addWidget(new QLabel(QString::fromUtf8(kWelcomePress), this));
    press->addWidget(PictureLabel(":/icons/new-random.svg", this));
    press->addWidget(new QLabel(QString::fromUtf8(kWelcomeToCreate), this));
    press->addStretch(1);
    layout->addLayout(press);
    auto* help = new QHBoxLayout;
    help->addStretch(1);
    help->addWidget(PictureLabel(":/icons/help-topics.svg", this));
    help->addWidget(new QLabel(QString::fromUtf8(kWelcomeHelpFile), this));
    help->addWidget(PictureLabel(":/icons/context-help.svg", this));
    help->addWidget(new QLabel(QString::fromUtf8(kWelcomeContextHelp), this));
    help->addStretch(1);
    layout->addLayout(help);
    layout->addSpacing(8);

    m_pDontShow = new QCheckBox(QString::fromUtf8(kWelcomeDontShow), this);
    m_pDontShow->setWhatsThis(QStringLiteral("Check this box to start Quil without this dialog. "
                                             "View > Welcome Dialog shows it again."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CQuilWelcome::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pDontShow);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
}

void CQuilWelcome::showEvent(QShowEvent* event)
{
    m_pDontShow->setChecked(m_store.GetProfileInt(kSectionMisc, kValueWelcome, 1) == 0);
    QDialog::showEvent(event);
}

void CQuilWelcome::ShowCentred()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    adjustSize();
    if (QWidget* owner = parentWidget())
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
}

void CQuilWelcome::accept()
{
    m_store.WriteProfileInt(kSectionMisc, kValueWelcome, m_pDontShow->isChecked() ? 0 : 1);
    QDialog::accept();
}

void CQuilWelcome::reject() { QDialog::reject(); }
