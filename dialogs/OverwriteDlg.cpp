#include "OverwriteDlg.h"

#include "ElidedLabel.h"

#include "engine/EngineHost.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* kAlreadyExists = "already exists. Overwrite file?";
constexpr const char* kYes = "&Yes";
constexpr const char* kYesToAll = "Yes to &All";
constexpr const char* kNo = "&No";
constexpr const char* kCancel = "Cancel";
constexpr const char* kHelpYes = "Replaces this file and goes on.";
constexpr const char* kHelpYesToAll = "Replaces this file and every other one of the run without asking again.";
constexpr const char* kHelpNo = "Keeps this file as it is and goes on with the next one.";
constexpr const char* kHelpCancel = "Keeps this file and stops the run.";
constexpr int kIconSide = 32;
constexpr int kMinimumWidth = 440;  // the path's end stays readable
constexpr int kSpacing = 10;

OverwritePromptHook g_overwriteHook;

}  // namespace

COverwriteDlg::COverwriteDlg(const QString& fileName, QWidget* parent) : QDialog(parent), m_strFileName(fileName)
{
    setWindowTitle(QString::fromUtf8(kCaptionQUIL));
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSide, kIconSide));
    icon->setAlignment(Qt::AlignHCenter);
    auto* file = new CElidedLabel(this);
    file->setObjectName(QStringLiteral("idc%1").arg(IDC_OVERWRITE_FILE));
    file->setText(m_strFileName);
    file->setAlignment(Qt::AlignCenter);
    auto* question = new QLabel(QString::fromUtf8(kAlreadyExists), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddButton(kYes, IDYES_OVERWRITE, kHelpYes));
    buttons->addWidget(AddButton(kYesToAll, IDYESTOALL_OVERWRITE, kHelpYesToAll));
    buttons->addWidget(AddButton(kNo, IDNO_OVERWRITE, kHelpNo));
    QPushButton* cancel = AddButton(kCancel, IDCANCEL_OVERWRITE, kHelpCancel);
    buttons->addWidget(cancel);
    cancel->setDefault(true);
    cancel->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(kSpacing);
    layout->addWidget(icon);
    layout->addWidget(file);
    layout->addWidget(question, 0, Qt::AlignHCenter);
    layout->addSpacing(kSpacing);
    layout->addLayout(buttons);
    setMinimumWidth(std::max(kMinimumWidth, sizeHint().width()));
}

QPushButton* COverwriteDlg::AddButton(const char* text, int result, const char* help)
{
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setWhatsThis(QString::fromUtf8(help));
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    m_buttons.emplace_back(result, button);
    return button;
}

QPushButton* COverwriteDlg::Button(int result) const
{
    for (const auto& [code, button] : m_buttons)
        if (code == result)
            return button;
    return nullptr;
}

void COverwriteDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QApplication::beep();
}

OverwriteAnswer COverwriteDlg::AnswerOf(int result)
{
    switch (result) {
    case IDYES_OVERWRITE:
        return OverwriteAnswer::Yes;
    case IDYESTOALL_OVERWRITE:
        return OverwriteAnswer::YesToAll;
    case IDNO_OVERWRITE:
        return OverwriteAnswer::No;
    default:
        return OverwriteAnswer::Cancel;  // Escape and the close box too
    }
}

OverwriteAnswer AskOverwriteFile(QWidget* parent, const QString& path)
{
    if (g_overwriteHook)
        return g_overwriteHook(path);
    COverwriteDlg dialog(path, parent);
    return COverwriteDlg::AnswerOf(dialog.exec());
}

OverwritePromptHook SetOverwritePromptHook(OverwritePromptHook hook)
{
    OverwritePromptHook previous = std::move(g_overwriteHook);
    g_overwriteHook = std::move(hook);
    return previous;
}
