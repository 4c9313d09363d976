#pragma once
// Opens the variations window of a document (one per document, raised when
// it is already open) and tells the windows which other documents are open.

#include "dialogs/VariationsWnd.h"

#include <QPointer>

#include <map>

class CQuilApp;
class CShellServices;

// Shows a new tool window over the right part of owner's window.
void ShowOverOwner(QWidget* window, QWidget* owner);

class CVariationsLauncher : public CVariationsPeers {
public:
    CVariationsLauncher(CQuilApp& app, CShellServices& shell, QWidget* owner);

    // Opens or raises the window of doc; null without a document.
    CVariationsWnd* Open(CQuilDoc* doc);
    // The open window of doc, or null.
    CVariationsWnd* WindowOf(const CQuilDoc* doc) const;

    std::vector<CQuilDoc*> OtherDocuments(const CQuilDoc* doc) const override;

private:
    CQuilApp& m_app;
    CShellServices& m_shell;
    QWidget* m_pOwner;
    std::map<const CQuilDoc*, QPointer<CVariationsWnd>> m_windows;
};
