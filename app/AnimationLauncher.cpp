#include "AnimationLauncher.h"

#include "VariationsLauncher.h"

#include "dialogs/AnimationWnd.h"

CAnimationLauncher::CAnimationLauncher(CVariationsPeers& peers, SettingsStore& store, QWidget* owner)
    : m_peers(peers), m_store(store), m_pOwner(owner)
{
}

CAnimationWnd* CAnimationLauncher::Open(CQuilDoc* doc)
{
    if (!doc)
        return nullptr;
    std::erase_if(m_windows, [](const auto& entry) { return entry.second.isNull(); });
    const auto it = m_windows.find(doc);
    if (it != m_windows.end() && it->second->Document() == doc) {
        it->second->raise();
        it->second->activateWindow();
        return it->second.data();
    }
    auto* window = new CAnimationWnd(*doc, m_peers, m_store, m_pOwner);
    m_windows[doc] = window;
    ShowOverOwner(window, m_pOwner);
    return window;
}
