#pragma once
// CQuilDoc is one picture recipe: one expression tree and a few display flags.
// It comes into being by New, New Random, "As new Image" or Open, is saved as
// a ".quil" file, is replaced by Generate random and rebuilt from an edited
// tree. It talks to its two views (tree first, picture second) only through
// UpdateAllViews and PostRefresh; its child frame shows and closes it.

#include "CmdTarget.h"
#include "views/DocView.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CMainFrame;
class CQuilApp;
class CQuilExpression;
class QTreeWidget;
class QuilArchive;

class CQuilDoc : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    explicit CQuilDoc(CQuilApp& app);
    ~CQuilDoc() override;

    // Framework hooks --------------------------------------------------------
    // New, New Random and "As new Image": consumes the application's request.
    bool OnNewDocument();
    // Reads the file; false (after any message) leaves no document to show.
    bool OnOpenDocument(const QString& path);
    // Writes the file through a temporary file, so that a failure leaves the
    // previous file as it was. Reports a failure itself.
    bool OnSaveDocument(const QString& path);
    // Store writes the expression text into ar; load reads it (1 on success).
    int Serialize(QuilArchive& ar, bool storing);
    void DeleteContents() {}

    // Save (to the known path, else Save As) and Save As; false when cancelled or failed.
    bool DoFileSave();
    bool DoSave(const QString& path, bool replacePath);
    // Asks "Save changes to %1?" for a modified document; false means cancel.
    bool SaveModified();

    // Commands -----------------------------------------------------------------
    void OnGenerateRandom();
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    // Rebuilds an expression from the tree view's items. target == nullptr
    // means the document's own expression (and sets the modified flag). Shows
    // "Not accepted" and leaves everything unchanged when an item is refused.
    // Callers with a null target send HINT_STOP_CALCULATION first.
    int ExpressionFromTree(QTreeWidget* tree, CQuilExpression* target = nullptr);

    // Posts WM_REFRESH_VIEW to both views.
    void PostRefresh();
    void UpdateAllViews(CDocView* sender, int hint, std::uintptr_t arg = 0);

    // Views: the tree view first, the picture view second.
    void AddView(CDocView* view);
    void RemoveView(CDocView* view);
    const std::vector<CDocView*>& Views() const { return m_views; }
    CDocView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }

    // Generate random gives the replaced expression to this receiver (the tree
    // view's undo history). Without one the expression is freed once the views
    // have let go of it.
    using UndoHandOff = std::function<void(std::unique_ptr<CQuilExpression>)>;
    void SetUndoHandOff(UndoHandOff handOff) { m_undoHandOff = std::move(handOff); }

    // Title, path and modified flag ---------------------------------------------
    QString GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    QString GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path);
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

    CQuilApp& App() const { return m_app; }
    CMainFrame& MainFrame() const;

    // Owned, never null while the document lives.
    std::unique_ptr<CQuilExpression> m_pExpression;
    int m_bPictureResolution = 0;
    int m_bAntiAlias = 0;
    int m_bOpenedByDrop = 0;
    int PictureReady = 0;
    int m_nCopyMarginMode = 0;

signals:
    void TitleChanged();
    void ModifiedChanged(bool modified);

private:
    CQuilApp& m_app;
    std::vector<CDocView*> m_views;
    UndoHandOff m_undoHandOff;
    QString m_strTitle;
    QString m_strPathName;
    bool m_bModified = false;
};
