#include "MessageBox.h"

#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>

namespace {
MessageBoxHook g_messageBoxHook;
FileDialogHook g_fileDialogHook;
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

QString QuilFileDialog(FileDialogRequest& request)
{
    if (g_fileDialogHook)
        return g_fileDialogHook(request);
    QFileDialog dialog(request.parent, request.title, request.fileName, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(request.selectedFilter);
    if (request.save)
        FollowChosenFileType(dialog, request.defaultSuffix);
    else if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save && !request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    request.selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

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

void FollowChosenFileType(QFileDialog& dialog, const QString& fallback)
{
    auto follow = [&dialog, fallback](const QString& entry) {
        const QString suffix = FirstSuffixOfFilter(entry);
        dialog.setDefaultSuffix(suffix.isEmpty() ? fallback : suffix);
    };
    follow(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
}
