#pragma once
// Opens the animation window of a document (one per document, raised when it
// is already open).

#include <QPointer>

#include <map>

class CAnimationWnd;
class CQuilDoc;
class CVariationsPeers;
class SettingsStore;
class QWidget;

class CAnimationLauncher {
public:
    CAnimationLauncher(CVariationsPeers& peers, SettingsStore& store, QWidget* owner);

    // Opens or raises the window of doc; null without a document.
    CAnimationWnd* Open(CQuilDoc* doc);

private:
    CVariationsPeers& m_peers;
    SettingsStore& m_store;
    QWidget* m_pOwner;
    std::map<const CQuilDoc*, QPointer<CAnimationWnd>> m_windows;
};
