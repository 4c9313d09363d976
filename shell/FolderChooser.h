#pragma once
// The program's folder chooser (the batch dialog's "Search" buttons): a
// modal folder dialog behind a hook, so that tests answer it without a window.

#include <QString>

#include <functional>

class QWidget;

struct FolderDialogRequest {
    QWidget* parent;
    QString title;
    QString folder;  // the folder shown first
};
using FolderDialogHook = std::function<QString(const FolderDialogRequest&)>;

// The chosen folder, or an empty string when the person cancels.
QString QuilFolderDialog(QWidget* parent, const QString& title, const QString& folder);
// Installs a hook (an empty function restores the real dialog); returns the previous one.
FolderDialogHook SetFolderDialogHook(FolderDialogHook hook);
