// "&Function creation..." from the command to the next random pictures: the
// dialog fills from the main window's settings, OK stores them and the next
// New Random and Generate Random use them; Cancel and the samples change
// nothing; a sample opens as a new document.

#include "AppFixture.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "dialogs/SetRandomDlg.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <set>

namespace {

// Runs steps on the next modal function creation dialog once it is open.
void AnswerDialog(std::function<void(CSetRandomDlg&)> steps)
{
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<CSetRandomDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        steps(*dialog);
    });
}

void Click(CSetRandomDlg& dialog, int id) { QTest::mouseClick(dialog.Button(id), Qt::LeftButton); }

// Every kind in the tree.
void CollectKinds(const ExprNode* node, std::set<int>& kinds)
{
    kinds.insert(node->nKind);
    for (int c = 0; c < node->nChildren; ++c)
        CollectKinds(node->pChild[c], kinds);
}

// The kinds "Black and White" gives a share.
const std::set<int> kBlackAndWhiteKinds = {
    KIND_BW,  KIND_R,    KIND_R2,  KIND_R2C,   KIND_X,     KIND_Y,     KIND_PHI,  KIND_SPIR, KIND_SPIRC,
    KIND_SIN, KIND_COS,  KIND_EXP, KIND_LN,    KIND_NEG,   KIND_CURT,  KIND_CUB,  KIND_PLUS, KIND_MINUS,
    KIND_TIMES, KIND_DIV1, KIND_FMOD, KIND_MIN, KIND_MAX,  KIND_IF,
};

}  // namespace

class FunctionCreationTest : public AppFixture {
protected:
    CMainFrame& Frame() { return *App().GetMainFrame(); }
};

TEST_F(FunctionCreationTest, BlackAndWhiteThenOkMakesTheNextPicturesOfItsKindsAndStoresThem)
{
    Start();
    EXPECT_TRUE(Frame().CommandState(ID_FUNCTION_CREATION).m_bEnabled);
    AnswerDialog([](CSetRandomDlg& dialog) {
        EXPECT_EQ(dialog.Edit(IDC_MAX_LEVEL)->text(), "9");
        Click(dialog, IDC_BLACK_WHITE);
        Click(dialog, IDC_OK);
    });
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FUNCTION_CREATION));
    EXPECT_TRUE(m_boxes.empty());

    // The store holds the preset: a share for its kinds only, each group 10000, levels counted from 0.
    int terminals = 0;
    int functions = 0;
    for (int code : kProbabilityOrder) {
        const int stored = m_store.GetProfileInt(kSectionProb, kNodeKinds[code].settingsName, -1);
        EXPECT_EQ(stored > 0, kBlackAndWhiteKinds.count(code) == 1) << kNodeKinds[code].settingsName;
        (IsTerminalKind(code) ? terminals : functions) += stored;
        EXPECT_EQ(Frame().GenSettings().m_dProb[code], stored / 10000.0) << kNodeKinds[code].settingsName;
    }
    EXPECT_EQ(terminals, 10000);
    EXPECT_EQ(functions, 10000);
    EXPECT_EQ(m_store.GetProfileInt(kSectionProb, "X", -1), 2000);
    EXPECT_EQ(m_store.GetProfileInt(kSectionProb, "If", -1), 1000);
    EXPECT_EQ(m_store.GetProfileInt(kSectionProb, "Maxlevel", -1), 8);
    EXPECT_EQ(m_store.GetProfileInt(kSectionProb, "Termlevel", -1), 3);
    EXPECT_EQ(m_store.GetProfileInt(kSectionProb, "Termprob", -1), 2000);

    // The next random pictures, new and regenerated, use only the preset's kinds.
    for (int round = 0; round < 8; ++round) {
        ASSERT_TRUE(Frame().ExecuteCommand(round % 2 ? ID_GENERATE_RANDOM : ID_FILE_NEW_RANDOM));
        CQuilDoc* doc = Frame().ActiveDocument();
        ASSERT_NE(doc, nullptr);
        std::set<int> kinds;
        CollectKinds(doc->m_pExpression->GetRoot(), kinds);
        for (int kind : kinds)
            EXPECT_TRUE(kBlackAndWhiteKinds.count(kind)) << KindName(kind) << " in " << TextOf(*doc->m_pExpression);
    }

    // A new start reads the stored preset.
    Stop();
    Start();
    EXPECT_EQ(Frame().GenSettings().m_dProb[KIND_RGB], 0.0);
    EXPECT_EQ(Frame().GenSettings().m_dProb[KIND_X], 0.2);
}

TEST_F(FunctionCreationTest, CancelAndTheSamplesChangeNothing)
{
    Start();
    const GenerationSettings before = Frame().GenSettings();
    // What the next New Random makes when nothing comes between.
    LcgRandomSource untouched = m_random;
    CQuilExpression expected;
    expected.Reset();
    ASSERT_EQ(expected.GenerateRandom(before, untouched), 1);

    AnswerDialog([](CSetRandomDlg& dialog) {
        Click(dialog, IDC_BLACK_WHITE);
        Click(dialog, IDC_SAMPLE);
        Click(dialog, IDC_APPLY);
        dialog.Edit(IDC_MAX_LEVEL)->setText(QStringLiteral("2"));
        Click(dialog, IDC_CANCEL);
    });
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FUNCTION_CREATION));
    EXPECT_FALSE(m_store.Contains(kSectionProb, "X"));
    EXPECT_FALSE(m_store.Contains(kSectionProb, "Maxlevel"));
    for (int code = 0; code < kNumKinds; ++code)
        EXPECT_EQ(Frame().GenSettings().m_dProb[code], before.m_dProb[code]) << code;
    EXPECT_EQ(Frame().GenSettings().m_nMaxLevel, before.m_nMaxLevel);

    // The samples drew from a source of their own: New Random goes on where it was.
    CQuilDoc* doc = App().OnFileNewRandom();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(TextOf(*doc->m_pExpression), TextOf(expected));
}

TEST_F(FunctionCreationTest, ASampleOpensAsANewModifiedDocumentAndTheDialogStaysOpen)
{
    Start();
    const size_t documents = App().Documents().size();
    std::string sampleText;
    bool stillOpen = false;
    AnswerDialog([&](CSetRandomDlg& dialog) {
        CRandomSampleRow& row = *dialog.SampleRow();
        ASSERT_NE(row.SampleExpression(4), nullptr);
        CQuilExpression copy;
        copy.CopyFrom(row.SampleExpression(4)->GetRoot());
        sampleText = TextOf(copy);
        QTest::mouseClick(row.Tile(4), Qt::LeftButton);
        stillOpen = dialog.isVisible();
        Click(dialog, IDC_CANCEL);
    });
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FUNCTION_CREATION));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(App().Documents().size(), documents + 1);
    CQuilDoc* doc = App().Documents().back();
    EXPECT_EQ(TextOf(*doc->m_pExpression), sampleText);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(WaitForPicture(doc));
}
