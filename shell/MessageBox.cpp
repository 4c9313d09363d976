#include "MessageBox.h"

#include "LastFolders.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>

#include <memory>

namespace {
MessageBoxHook g_messageBoxHook;
FileDialogHook g_fileDialogHook;
constexpr int kFileDialogWidth = 760;
constexpr int kFileDialogHeight = 480;
}  // namespace

QMessageBox::StandardButton QuilMessageBox(QWidget* parent, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    if (g_messageBoxHook)
        return g_messageBoxHook(MessageBoxRequest{parent, text, caption, icon, buttons});
    QMessageBox box(icon, caption, text, buttons, parent);
    if (buttons & QMessageBox::Yes)
        box.setDefaultButton(QMessageBox::Yes);
    return QMessageBox::StandardButton(box.exec());
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = std::move(g_messageBoxHook);
    g_messageBoxHook = std::move(hook);
    return previous;
}

void ShowWholeFileColumns(QFileDialog& dialog)
{
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

namespace {
QString RunFileDialog(FileDialogRequest& request);
}  // namespace

QString QuilFileDialog(FileDialogRequest& request)
{
    const bool remember = request.store && request.folderKind;
    if (remember)
        request.fileName = InLastFolder(*request.store, request.folderKind, request.fileName);
    const QString path = RunFileDialog(request);
    if (remember && !path.isEmpty())
        RememberFolder(*request.store, request.folderKind, path);
    return path;
}

namespace {
QString RunFileDialog(FileDialogRequest& request)
{
    if (g_fileDialogHook)
        return g_fileDialogHook(request);
    std::unique_ptr<QFileDialog> dialog;
    if (request.save) {
        dialog = std::make_unique<CSaveFileDialog>(request.parent, request.title, request.fileName, request.filter,
                                                   request.selectedFilter, request.defaultSuffix);
    } else {
        dialog = std::make_unique<QFileDialog>(request.parent, request.title, request.fileName, request.filter);
        dialog->setFileMode(QFileDialog::ExistingFile);
        if (!request.defaultSuffix.isEmpty())
            dialog->setDefaultSuffix(request.defaultSuffix);
        if (!request.selectedFilter.isEmpty())
            dialog->selectNameFilter(request.selectedFilter);
    }
    // Qt's own dialog opens so small that its list cuts names, sizes and types.
    dialog->resize(dialog->sizeHint().expandedTo(QSize(kFileDialogWidth, kFileDialogHeight)));
    ShowWholeFileColumns(*dialog);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    request.selectedFilter = dialog->selectedNameFilter();
    return dialog->selectedFiles().first();
}
}  // namespace

FileDialogHook SetFileDialogHook(FileDialogHook hook)
{
    FileDialogHook previous = std::move(g_fileDialogHook);
    g_fileDialogHook = std::move(hook);
    return previous;
}

QString FirstSuffixOfFilter(const QString& filterEntry)
{
    // The patterns stand in the last parentheses; the first "*.ext" of them counts.
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s;*?()\\[\\]]+)"));
    const qsizetype open = filterEntry.lastIndexOf(QLatin1Char('('));
    const QRegularExpressionMatch match = pattern.match(filterEntry, open < 0 ? 0 : open);
    return match.hasMatch() ? match.captured(1) : QString();
}

CSaveFileDialog::CSaveFileDialog(QWidget* parent, const QString& title, const QString& fileName,
                                 const QString& filter, const QString& selectedFilter, const QString& fallbackSuffix)
    : QFileDialog(parent, title, QString(), filter), m_strFallbackSuffix(fallbackSuffix)
{
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    if (!selectedFilter.isEmpty())
        selectNameFilter(selectedFilter);
    if (!fileName.isEmpty())
        selectFile(fileName);
    FollowChosenType(selectedNameFilter());
    // A platform's own dialog reports the choice; Qt's is read again on accepting.
    connect(this, &QFileDialog::filterSelected, this, &CSaveFileDialog::FollowChosenType);
}

void CSaveFileDialog::FollowChosenType(const QString& entry)
{
    const QString suffix = FirstSuffixOfFilter(entry);
    setDefaultSuffix(suffix.isEmpty() ? m_strFallbackSuffix : suffix);
}

void CSaveFileDialog::accept()
{
    FollowChosenType(selectedNameFilter());
    QFileDialog::accept();
}
