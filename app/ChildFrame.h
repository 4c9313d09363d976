#pragma once
// CChildFrame is one document window: a splitter with the tree view on the
// left and the picture view on the right. It owns its document, sizes itself
// from the display and thumbnail sizes, keeps the tree column fitted to the
// labels when it is resized (or where the person put the splitter), tracks
// which of its views is active and handles the picture background commands.

#include "FrameLayout.h"

#include "shell/CmdTarget.h"
#include "shell/DisplaySettings.h"

#include <QRect>
#include <QSize>
#include <QWidget>

#include <memory>

class CDocView;
class CLeftView;
class CMainFrame;
class CQuilDoc;
class CQuilView;
class QSplitter;
class QTreeWidget;

class CChildFrame : public QWidget, public CCmdTarget {
    Q_OBJECT
public:
    CChildFrame(std::unique_ptr<CQuilDoc> doc, CMainFrame& mainFrame);
    ~CChildFrame() override;

    // The splitter with both views; false when a view cannot be made.
    bool CreateClient();
    // Sends the first showing to both views (tree view first).
    void InitialUpdateFrame();

    CQuilDoc* GetDocument() const { return m_pDocument.get(); }
    CLeftView* TreeView() const { return m_pTreeView; }
    CQuilView* PictureView() const { return m_pPictureView; }
    CDocView* ActiveView() const { return m_pActiveView; }
    CCmdTarget* ActiveViewTarget() const;
    void SetActiveView(CDocView* view);
    QSplitter* Splitter() const { return m_pSplitter; }

    // The outer size of the document window (title bar and border included)
    // when it is created, and what Cascade and Tile keep where they can.
    QSize InitialFrameSize() const;
    // The tree column width the person set by dragging the splitter; -1 while none.
    int UserTreeWidth() const { return m_nUserTreeWidth; }

    // Closes without asking to save (Close All).
    void CloseWithoutAsking();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitColumns();
    void UpdateTitle();
    void OnFocusChanged(QWidget* now);

    std::unique_ptr<CQuilDoc> m_pDocument;
    CMainFrame& m_mainFrame;
    QSplitter* m_pSplitter = nullptr;
    CLeftView* m_pTreeView = nullptr;
    CQuilView* m_pPictureView = nullptr;
    CDocView* m_pActiveView = nullptr;
    bool m_bSplitterCreated = false;
    bool m_bCloseWithoutAsking = false;
    int m_nUserTreeWidth = -1;
};
