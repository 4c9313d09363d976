#include "AboutDlg.h"

#include "resources/AppStrings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kIconSide = 64;
constexpr const char* kAboutText =
    "<b>Quil</b> Version %1<br><br>%2.<br><br>Every picture is an expression tree over the plane: "
    "x and y run from -1 to 1 across the picture.";
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kAboutTitle));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quil.svg")).pixmap(kIconSide, kIconSide));
    auto* text = new QLabel(QString::fromUtf8(kAboutText).arg(QString::fromUtf8(kAppVersion),
                                                              QString::fromUtf8(kWelcomeLine1)),
                            this);
    text->setWordWrap(true);
    text->setMinimumWidth(300);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
