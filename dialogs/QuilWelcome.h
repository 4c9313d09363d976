#pragma once
// CQuilWelcome is the modeless welcome dialog: a banner, a few lines on what
// the program does and where help is, and "Do not show on start-up", which
// OK stores as "Misc"/"Welcome". Cancel closes it without storing.

#include <QDialog>

class QCheckBox;
class SettingsStore;

class CQuilWelcome : public QDialog {
    Q_OBJECT
public:
    CQuilWelcome(SettingsStore& store, QWidget* parent);
    // Shows the dialog centred on its parent, or brings it to the top.
    void ShowCentred();
    QCheckBox* DontShowBox() const { return m_pDontShow; }

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    SettingsStore& m_store;
    QCheckBox* m_pDontShow;
};
