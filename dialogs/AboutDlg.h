#pragma once
// CAboutDlg: the modal About box with the program's name, version and icon.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};
