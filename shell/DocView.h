#pragma once
// The document's two views (the tree on the left, the picture on the right)
// hear about changes only through these hints, sent by CQuilDoc's
// UpdateAllViews on the user-interface thread.

#include <cstdint>

class CQuilDoc;

enum ViewHint : int {
    HINT_FULL_UPDATE = 0,
    HINT_DISPLAY_SIZE = 1,  // argument: width in the low 16 bits, height in the high 16 bits
    HINT_THUMB_SIZE = 2,
    HINT_STOP_CALCULATION = 3,
    HINT_DISPLAY_SETTINGS = 4,
};

inline std::uintptr_t MakeSizeHint(unsigned width, unsigned height)
{
    return (std::uintptr_t(height & 0xffffu) << 16) | (width & 0xffffu);
}
inline unsigned SizeHintWidth(std::uintptr_t arg) { return unsigned(arg & 0xffffu); }
inline unsigned SizeHintHeight(std::uintptr_t arg) { return unsigned((arg >> 16) & 0xffffu); }

class CDocView {
public:
    virtual ~CDocView() = default;
    // First showing, once the view is in its frame.
    virtual void OnInitialUpdate() = 0;
    // sender is the view that caused the update, or nullptr.
    virtual void OnUpdate(CDocView* sender, int hint, std::uintptr_t arg) = 0;
    // The document's queued refresh (PostRefresh): a full update.
    virtual void OnRefreshView() { OnUpdate(nullptr, HINT_FULL_UPDATE, 0); }

    CQuilDoc* GetDocument() const { return m_pDocument; }

protected:
    explicit CDocView(CQuilDoc* document) : m_pDocument(document) {}
    CQuilDoc* m_pDocument;
};
