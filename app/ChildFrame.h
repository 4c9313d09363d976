#pragma once
// CChildFrame is one document window: a splitter with the tree view on the
// left and the picture view on the right. It owns its document, sizes itself
// from the display and thumbnail sizes, keeps the tree column fitted to the
// labels when it is resized, tracks which of its views is active and handles
// the picture background commands.

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

// The frame's first size: width 3 x scroll-bar width + (thumb + 2) x maxLevel
// + trunc(1.1 x displayWidth), height 2 x caption height + trunc(1.1 x
// displayHeight). The display sizes count as unsigned.
QSize ChildFrameInitialSize(int scrollBarWidth, int captionHeight, int thumbSize, int maxLevel,
                            unsigned displayWidth, unsigned displayHeight);

// Splitter columns after a resize to width x height, given the extent of the
// visible tree labels: tree g = thumb + labels width + 70 (+ scroll-bar width
// when the height is less than thumb + labels height), picture h = trunc(1.1 x
// displayWidth); a narrow frame gives the tree width - h, but never below 5.
struct SplitterColumns {
    int tree;
    int picture;
};
SplitterColumns ChildFrameColumns(int width, int height, int thumbSize, QSize labelExtent, unsigned displayWidth,
                                  int scrollBarWidth);

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

    // The size the frame asks for when it is created.
    QSize InitialFrameSize() const;

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
};
