#pragma once
// CVariationsWnd, "Variations": the thin window over CVariationsModel for one
// document. It shows the grid, the strength, the mate and the earlier middles,
// and hands the chosen picture to the document ("Use in document") or to a
// new document ("Open as new document"). It closes when its document goes.

#include "VariationsModel.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class CQuilDoc;
class CVariationCell;
class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QtNotifyTarget;

// What the window needs to know of the other open documents; the
// application implements it.
class CVariationsPeers {
public:
    virtual ~CVariationsPeers() = default;
    // The open documents other than doc, in the order their windows were made.
    virtual std::vector<CQuilDoc*> OtherDocuments(const CQuilDoc* doc) const = 0;
};

class CVariationsWnd : public QWidget {
    Q_OBJECT
public:
    // seed: the start of the window's own random sequence.
    CVariationsWnd(CQuilDoc& doc, CVariationsPeers& peers, uint32_t seed, QWidget* parent = nullptr);
    ~CVariationsWnd() override;

    // The document it works for; null once the document has gone.
    CQuilDoc* Document() const { return m_pDoc; }
    const CVariationsModel& Model() const { return *m_pModel; }

    // What the window's controls do; tests call them as a click would.
    void ClickCell(int cell);
    void DoubleClickCell(int cell);
    void ClickEarlier(size_t index);
    void OnAgain();
    void OnBack();
    void OnStrength(int strength);
    // Crosses with mate's expression from now on; null: no mate.
    void OnMate(CQuilDoc* mate);
    void OnOpenAsNewDocument();
    void OnUseInDocument();
    // Arrow keys move the focus over the grid; Return and Space choose as a click does.
    bool OnCellKey(int cell, int key);
    CVariationCell* CellWidget(int cell) const { return m_pCells[cell]; }

    // The entries of "Mate with", rebuilt from the open documents.
    QMenu* MateMenu() const { return m_pMateMenu; }
    QString StatusText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* CreateTopRow();
    QWidget* CreateGrid();
    QWidget* CreateEarlierRow();
    QWidget* CreateBottomRow();
    void FillMateMenu();
    void Refresh();
    void RefreshEarlier();
    void OnDocumentGone();

    CQuilDoc* m_pDoc;
    CVariationsPeers& m_peers;
    std::unique_ptr<CVariationsModel> m_pModel;
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    // The tree of the last clicked picture: a double click opens it even
    // though its first click has already put new variations in its place.
    std::shared_ptr<const CQuilExpression> m_pLastClicked;
    QPointer<CQuilDoc> m_pMateDoc;  // whose tree the mate was copied from
    QString m_strNote;  // the outcome of the last hand-over, shown until the next click

    CVariationCell* m_pCells[kVariationCells] = {};
    QButtonGroup* m_pStrength = nullptr;
    QPushButton* m_pMateButton = nullptr;
    QMenu* m_pMateMenu = nullptr;
    QPushButton* m_pAgain = nullptr;
    QPushButton* m_pBack = nullptr;
    QHBoxLayout* m_pEarlierLayout = nullptr;
    std::vector<CVariationCell*> m_earlierCells;
    QLabel* m_pEarlierNone = nullptr;
    QLabel* m_pStatus = nullptr;
    QPushButton* m_pOpen = nullptr;
    QPushButton* m_pUse = nullptr;
};
