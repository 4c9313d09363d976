#include "FolderChooser.h"

#include <QFileDialog>

namespace {
FolderDialogHook g_folderDialogHook;
}  // namespace

QString QuilFolderDialog(QWidget* parent, const QString& title, const QString& folder)
{
    if (g_folderDialogHook)
        return g_folderDialogHook(FolderDialogRequest{parent, title, folder});
    return QFileDialog::getExistingDirectory(parent, title, folder, QFileDialog::ShowDirsOnly);
}

FolderDialogHook SetFolderDialogHook(FolderDialogHook hook)
{
    FolderDialogHook previous = std::move(g_folderDialogHook);
    g_folderDialogHook = std::move(hook);
    return previous;
}
