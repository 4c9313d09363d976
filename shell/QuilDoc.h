#pragma once
// CQuilDoc is the document as the windows see it: the document core (the
// expression, its flags and undo history) with a title, a path, its two
// views and the messages of failures. It comes into being by New, New Random,
// "As new Image" or Open, is saved as a ".quil" file, is replaced by Generate
// random and rebuilt from an edited tree. It talks to its two views (tree
// first, picture second) only through UpdateAllViews and PostRefresh, and to
// the rest of the program only through the shell services.

#include "CmdTarget.h"
#include "DocView.h"

#include "document/DocumentCore.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

class CShellServices;

// "Failed to ... document." and on the next line the file and why.
QString FileFailureText(const char* firstLine, const QString& path, const std::string& reason);

class CQuilDoc : public QObject, public CDocumentCore, public CCmdTarget {
    Q_OBJECT
public:
    explicit CQuilDoc(CShellServices& shell);
    ~CQuilDoc() override;

    CShellServices& Shell() const { return m_shell; }

    // Creation -------------------------------------------------------------------
    enum class NewKind {
        Logo,    // File New
        Random,  // New Random
        Branch,  // "As new Image": a copy of the given branch
    };
    // Copies the display flags of new documents and makes the expression.
    // False when the branch could not be copied.
    bool OnNewDocument(NewKind kind, const ExprNode* branch = nullptr);
    // Reads the file; false (after its message) leaves no document to show.
    bool OnOpenDocument(const QString& path);
    // Reads the expression a picture carries (recipe: its ".quil" text) into
    // this new document; picturePath is the picture's file. As OnOpenDocument.
    bool OnOpenRecipe(const QString& picturePath, const std::string& recipe);
    // The ".quil" text a picture saved at picturePath carries when the
    // setting asks for it (its source picture named beside it, never by an
    // outside folder). Empty when it carries none.
    std::string RecipeText(const QString& picturePath);
    // Writes the file; a failure is reported and leaves the previous file as it was.
    bool OnSaveDocument(const QString& path);

    // Save (to the known path, else Save As) and Save As; false when cancelled or failed.
    bool DoFileSave();
    bool DoSave(const QString& path, bool replacePath);
    // Asks "Save changes to %1?" for a modified document; false means cancel.
    bool SaveModified();

    // Commands -----------------------------------------------------------------
    void OnGenerateRandom();
    // A copy of the tree at source (from any expression) becomes the
    // document's expression, stopped and recalculated like Generate random;
    // Undo brings the old one back. False when the copy could not be had
    // (the expression is then unchanged).
    bool UseExpression(const ExprNode* source);
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    // Rebuilds an expression from the tree view's labels. target == nullptr
    // means the document's own expression (and sets the modified flag). Shows
    // "Not accepted" and leaves everything unchanged when an item is refused.
    // Callers with a null target send HINT_STOP_CALCULATION first.
    int ExpressionFromTree(const LabelList& labels, CQuilExpression* target = nullptr);
    // "Not accepted", with a line on what a label should look like.
    static void ShowNotAccepted();
    // Tells whoever shows something of the expression (the "PIC" pane, the
    // commands' states) that it was replaced or edited.
    void NotifyExpressionChanged() { emit ExpressionChanged(); }

    // Queues a full update of both views.
    void PostRefresh();
    void UpdateAllViews(CDocView* sender, int hint, std::uintptr_t arg = 0);

    // Views: the tree view first, the picture view second.
    void AddView(CDocView* view);
    void RemoveView(CDocView* view);
    const std::vector<CDocView*>& Views() const { return m_views; }
    CDocView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }

    // Title and path -------------------------------------------------------------
    QString GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    QString GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path);

signals:
    void TitleChanged();
    void ModifiedChanged(bool modified);
    void ExpressionChanged();

protected:
    void OnModifiedChanged(bool modified) override { emit ModifiedChanged(modified); }

private:
    bool FinishOpen(const DocResult& result, const QString& path);

    CShellServices& m_shell;
    std::vector<CDocView*> m_views;
    QString m_strTitle;
    QString m_strPathName;
};
