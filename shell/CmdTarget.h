#pragma once
// Command routing. A command (an id of resources/ResourceIds.h) goes to the
// active view, then its document, then the document's child frame, then the
// main frame, then the application; the first target that handles the id
// runs it. The same chain decides whether the command is enabled and checked:
// a command that no target handles is disabled.

class CCmdUI {
public:
    explicit CCmdUI(int id) : m_nID(id) {}
    void Enable(bool enabled = true) { m_bEnabled = enabled; }
    void SetCheck(bool checked = true) { m_bChecked = checked; }

    int m_nID;
    bool m_bEnabled = false;
    bool m_bChecked = false;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the command and returns true when this target handles the id.
    virtual bool OnCommand(int id) { (void)id; return false; }
    // Fills in the command's state and returns true when this target handles the id.
    virtual bool OnUpdateCommand(CCmdUI& ui) { (void)ui; return false; }
};
