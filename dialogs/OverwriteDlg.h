#pragma once
// COverwriteDlg asks whether an existing file may be replaced: "&Yes",
// "Yes to &All", "&No" or "Cancel". Cancel is the default button, so Enter
// and Escape both cancel. It opens with the warning icon and the warning sound.

#include "batch/BatchRun.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QPushButton;

// Dialog 163 and its results.
constexpr int IDD_OVERWRITE_DIALOG = 163;
constexpr int IDC_OVERWRITE_FILE = 2037;
constexpr int IDYES_OVERWRITE = 1;
constexpr int IDCANCEL_OVERWRITE = 2;
constexpr int IDYESTOALL_OVERWRITE = 3;
constexpr int IDNO_OVERWRITE = 7;

class COverwriteDlg : public QDialog {
    Q_OBJECT
public:
    explicit COverwriteDlg(const QString& fileName, QWidget* parent = nullptr);

    // The answer of a finished dialog (its result code).
    static OverwriteAnswer AnswerOf(int result);
    QPushButton* Button(int result) const;

    QString m_strFileName;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* AddButton(const char* text, int result, const char* help);
    std::vector<std::pair<int, QPushButton*>> m_buttons;  // result code, button
};

// Shows the prompt for path and returns the answer; a hook answers instead
// when one is installed (tests).
using OverwritePromptHook = std::function<OverwriteAnswer(const QString& path)>;
OverwriteAnswer AskOverwriteFile(QWidget* parent, const QString& path);
OverwritePromptHook SetOverwritePromptHook(OverwritePromptHook hook);
