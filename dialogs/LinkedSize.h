#pragma once
// The linked width and height edits of the picture-size dialogs (custom copy,
// custom save, display settings, batch): with "keep aspect" on, editing one
// edit sets the other to keep the ratio; editing the other edit must then not
// bounce back. Widget-free: the dialog reports each edit's change with both
// edits' texts and writes the text it is handed into the other edit.
//
// The other edit's change arrives at once, while the dialog writes it: the
// syncing flag lets exactly that change pass. The dialogs differ in one rule,
// a parameter here: whether editing with keep aspect off makes the ratio X / Y.

#include <QString>

#include <optional>

class CLinkedSize {
public:
    enum class Edit { X, Y };

    struct Rules {
        // The custom save: with keep aspect off, an edit makes the ratio X / Y.
        // The others keep the ratio of the last "keep aspect" click.
        bool freeEditSetsRatio = false;
        // The batch dialog: an edit whose text does not read counts as 0 (the
        // other dialogs leave both edits alone then).
        bool unreadableIsZero = false;
    };

    CLinkedSize() = default;
    explicit CLinkedSize(Rules rules) : m_rules(rules) {}

    // On opening: the ratio of the values shown, and no change in flight.
    void Open(double x, double y);
    double Aspect() const { return m_dAspect; }
    bool IsSyncing() const { return m_bSyncing; }

    // One edit's text changed. Returns the text for the other edit when it
    // must follow (the dialog writes it, and that change then passes). Text
    // the other edit already holds is not returned: writing it raises no change.
    std::optional<QString> OnEdited(Edit edited, const QString& xText, const QString& yText, bool keepAspect);
    // "keep aspect" clicked: the ratio becomes X / Y (when both read).
    void OnKeepAspectClicked(const QString& xText, const QString& yText);
    // Both edits set at once without the rule ("X,Y of Picture"): the dialog
    // calls this before writing, for each write that raises a change.
    void BeginSilentWrite() { m_bSyncing = true; }
    void SetAspect(double x, double y);

private:
    Rules m_rules;
    double m_dAspect = 1.0;
    bool m_bSyncing = false;
};
