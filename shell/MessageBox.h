#pragma once
// The program's modal message boxes and file choosers. Every one goes through
// a hook so that tests answer them without a window.

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;
class SettingsStore;

struct MessageBoxRequest {
    QWidget* parent;
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};
using MessageBoxHook = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;

// Shows a modal message box (default: an OK button) and returns the button
// pressed. With a hook installed the hook answers instead.
QMessageBox::StandardButton QuilMessageBox(QWidget* parent, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// Installs a hook (an empty function restores the real boxes); returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

struct FileDialogRequest {
    QWidget* parent;
    bool save;              // a save dialog (with overwrite prompt), else an open dialog
    QString title;
    QString fileName;       // initial folder or name
    QString filter;         // "Name (*.a *.b);;Other (*.c)"
    QString selectedFilter; // in: preselected entry; out: the entry chosen
    QString defaultSuffix;  // added to a name typed without extension when no type is chosen
    // With both: a name without a folder opens in the folder last used for
    // this kind of file (section "Folders"), and the chosen one is kept.
    SettingsStore* store = nullptr;
    const char* folderKind = nullptr;
};
using FileDialogHook = std::function<QString(FileDialogRequest&)>;

// The detailed list of Qt's own file dialog shows sizes, types and dates
// whole; the names take the rest of its width.
void ShowWholeFileColumns(QFileDialog& dialog);

// Runs a modal file dialog; returns the chosen path or an empty string on cancel.
QString QuilFileDialog(FileDialogRequest& request);
FileDialogHook SetFileDialogHook(FileDialogHook hook);

// The first extension of a file type entry such as "PNG image (*.png)":
// "png"; empty when the entry names none ("All Files (*)").
QString FirstSuffixOfFilter(const QString& filterEntry);

// A save dialog that adds to a name typed without extension the first
// extension of the file type chosen in it (fallback when that type names
// none), whichever type is chosen last.
class CSaveFileDialog : public QFileDialog {
    Q_OBJECT
public:
    CSaveFileDialog(QWidget* parent, const QString& title, const QString& fileName, const QString& filter,
                    const QString& selectedFilter, const QString& fallbackSuffix);

public slots:
    void accept() override;

private:
    void FollowChosenType(const QString& entry);

    QString m_strFallbackSuffix;
};
