// The function creation dialog with its widgets, offscreen: what it shows,
// its buttons, the level correction, and the sample row (what its trees are
// made of, their pictures, opening one, refusing when a field does not read).

#include "dialogs/SetRandomDlg.h"

#include "engine/QuilArchive.h"
#include "engine/SettingsStore.h"
#include "render/RenderRequest.h"
#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A hang guard for the sample pictures, not a measurement.
constexpr int kSampleWaitRounds = 3000;
constexpr int kSampleWaitSliceMs = 5;

std::string TextOf(const ExprNode* root)
{
    CQuilExpression copy;
    copy.CopyFrom(root);
    StringArchive ar;
    copy.WriteExpression(ar);
    return ar.Output();
}

class RecordingSampleHost : public RandomSampleHost {
public:
    void OpenSampleAsNewDocument(const ExprNode* root) override { m_opened.push_back(TextOf(root)); }
    std::shared_ptr<const Picture> SamplePicture(int side) override
    {
        m_requestedSides.push_back(side);
        return m_picture;
    }
    std::vector<std::string> m_opened;
    std::vector<int> m_requestedSides;
    std::shared_ptr<const Picture> m_picture;
};

GenerationSettings LoadedDefaults()
{
    MemorySettingsStore store;
    GenerationSettings settings;
    settings.InitGenerationSettings(store);
    return settings;
}

class RandomFunctionsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousHook = SetMessageBoxHook([this](const MessageBoxRequest& request) {
            m_messages.push_back(request.text.toStdString());
            m_captions.push_back(request.caption.toStdString());
            return QMessageBox::Ok;
        });
    }
    void TearDown() override { SetMessageBoxHook(m_previousHook); }

    std::unique_ptr<CSetRandomDlg> Open(const GenerationSettings& settings = LoadedDefaults())
    {
        auto dialog = std::make_unique<CSetRandomDlg>(ValuesFromSettings(settings), settings, m_host, 2024u);
        dialog->show();
        return dialog;
    }
    // Every probability field 0, then the given ones.
    static void OnlyFields(CSetRandomDlg& dialog, const std::vector<std::pair<int, int>>& fields)
    {
        for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
            for (int i = 0; i < group->count; ++i)
                dialog.Edit(group->fields[i].id)->setText(QStringLiteral("0"));
        for (const auto& [id, value] : fields)
            dialog.Edit(id)->setText(QString::number(value));
    }
    // Lets the sample pictures finish; false if they never do.
    static bool WaitForSamples(CRandomSampleRow& row)
    {
        for (int i = 0; i < kSampleWaitRounds; ++i) {
            QCoreApplication::processEvents();
            bool all = true;
            for (int s = 0; s < row.SampleCount(); ++s)
                all = all && (!row.SampleExpression(s) || row.SamplePicture(s));
            if (all && !row.IsCalculating())
                return true;
            QThread::msleep(kSampleWaitSliceMs);
        }
        return false;
    }

    RecordingSampleHost m_host;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_captions;
    MessageBoxHook m_previousHook;
};

}  // namespace

TEST_F(RandomFunctionsDialog, ShowsTheSettingsWithHelpOnEveryControl)
{
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Random Functions");
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(dialog->Edit(2007)->text(), "500");   // BW
    EXPECT_EQ(dialog->Edit(2036)->text(), "700");   // if3
    EXPECT_EQ(dialog->Edit(IDC_MAX_LEVEL)->text(), "9");
    EXPECT_EQ(dialog->Edit(IDC_TERM_LEVEL)->text(), "4");
    EXPECT_EQ(dialog->Edit(IDC_TERM_PROB)->text(), "0.2");
    EXPECT_EQ(dialog->Static(IDC_OF_CONSTS)->text(), "of 12");
    EXPECT_EQ(dialog->Static(IDC_OF_FUNCS)->text(), "of 19");
    for (int id : {IDC_APPLY, IDC_DEFAULT, IDC_BLACK_WHITE, IDC_SAMPLE, IDC_OK, IDC_CANCEL})
        ASSERT_NE(dialog->Button(id), nullptr) << id;
    EXPECT_EQ(dialog->Button(IDC_BLACK_WHITE)->text(), "Black and &White");

    int controls = 0;
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(widget) && !qobject_cast<QAbstractButton*>(widget) &&
            !qobject_cast<QLabel*>(widget) && !qobject_cast<QGroupBox*>(widget))
            continue;
        ++controls;
        EXPECT_FALSE(widget->whatsThis().isEmpty()) << widget->metaObject()->className() << " "
                                                    << widget->objectName().toStdString();
    }
    // 33 fields with their labels, 5 more edits with 5 labels, 2 boxes, 2 "of", 6 buttons, 6 pictures, 2 groups.
    EXPECT_EQ(controls, 33 * 2 + 5 * 2 + 2 + 2 + 6 + 6 + 2);
}

TEST_F(RandomFunctionsDialog, AUseCountIsOpenExactlyWhileItsBoxIsClear)
{
    auto dialog = Open();
    QLineEdit* consts = dialog->Edit(IDC_NUM_CONSTS);
    QLineEdit* funcs = dialog->Edit(IDC_NUM_FUNCS);
    EXPECT_FALSE(consts->isEnabled());
    EXPECT_FALSE(funcs->isEnabled());
    QTest::mouseClick(dialog->Check(IDC_USE_RAND_CONST), Qt::LeftButton);
    EXPECT_TRUE(consts->isEnabled());
    EXPECT_FALSE(funcs->isEnabled());
    // The presets keep the boxes and with them the invariant; Default checks both.
    QTest::mouseClick(dialog->Button(IDC_BLACK_WHITE), Qt::LeftButton);
    EXPECT_FALSE(dialog->Check(IDC_USE_RAND_CONST)->isChecked());
    EXPECT_TRUE(consts->isEnabled());
    EXPECT_EQ(dialog->Static(IDC_OF_CONSTS)->text(), "of 9");
    QTest::mouseClick(dialog->Button(IDC_DEFAULT), Qt::LeftButton);
    EXPECT_TRUE(dialog->Check(IDC_USE_RAND_CONST)->isChecked());
    EXPECT_FALSE(consts->isEnabled());
    EXPECT_EQ(dialog->Edit(2009)->text(), "2000");  // X
}

TEST_F(RandomFunctionsDialog, ApplyShowsTheNormalisedGroups)
{
    auto dialog = Open();
    OnlyFields(*dialog, {{2007, 1}, {2009, 1}, {2010, 1}, {2014, 3}});
    QTest::mouseClick(dialog->Button(IDC_APPLY), Qt::LeftButton);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(dialog->Edit(2007)->text(), "3333");
    EXPECT_EQ(dialog->Edit(2030)->text(), "1");  // CIR takes the remainder
    EXPECT_EQ(dialog->Edit(2014)->text(), "10000");
    EXPECT_EQ(dialog->Edit(2036)->text(), "0");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(RandomFunctionsDialog, ABadFieldGetsItsMessageAndTheDialogStaysOpen)
{
    auto dialog = Open();
    dialog->Edit(2044)->setText(QString());
    QTest::mouseClick(dialog->Button(IDC_OK), Qt::LeftButton);
    EXPECT_EQ(m_messages, std::vector<std::string>{"Please enter a positive integer."});
    EXPECT_EQ(m_captions, std::vector<std::string>{"Quil"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0);

    m_messages.clear();
    dialog->Edit(2044)->setText(QStringLiteral("500"));
    OnlyFields(*dialog, {{2014, 100}});
    QTest::mouseClick(dialog->Button(IDC_APPLY), Qt::LeftButton);
    EXPECT_EQ(m_messages, std::vector<std::string>{kMsgNoTerminatingRule});
    EXPECT_EQ(dialog->Edit(2014)->text(), "100");

    // Only digits can be typed into a whole-number field.
    QLineEdit* level = dialog->Edit(IDC_MAX_LEVEL);
    level->clear();
    QTest::keyClicks(level, "-1x2");
    EXPECT_EQ(level->text(), "12");
}

TEST_F(RandomFunctionsDialog, TheLevelCorrectionBeepsAndStaysOpenAndASecondOkCloses)
{
    auto dialog = Open();
    dialog->Edit(IDC_MAX_LEVEL)->setText(QStringLiteral("3"));
    dialog->Edit(IDC_TERM_LEVEL)->setText(QStringLiteral("5"));
    const int beeps = BeepsRequested();
    QTest::mouseClick(dialog->Button(IDC_OK), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Edit(IDC_TERM_LEVEL)->text(), "3");
    EXPECT_EQ(dialog->Edit(IDC_TERM_LEVEL)->selectedText(), "3");
    EXPECT_EQ(BeepsRequested(), beeps + 1);
    EXPECT_TRUE(m_messages.empty());

    QTest::mouseClick(dialog->Button(IDC_OK), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Result().m_nMaxLevel, 3);
    EXPECT_EQ(dialog->Result().m_nTermLevel, 3);
    EXPECT_EQ(dialog->Result().m_nProb[KIND_X], 2000u);
}

TEST_F(RandomFunctionsDialog, TheSampleFollowsTheFieldsAndChangesThemNot)
{
    auto dialog = Open();
    CRandomSampleRow& row = *dialog->SampleRow();
    ASSERT_TRUE(WaitForSamples(row));  // the samples of the opening values
    OnlyFields(*dialog, {{2009, 1}, {2014, 1}});  // X and sin
    QTest::mouseClick(dialog->Button(IDC_SAMPLE), Qt::LeftButton);
    ASSERT_TRUE(WaitForSamples(row));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(dialog->Edit(2009)->text(), "1");  // not normalised on the screen
    ASSERT_EQ(row.SampleCount(), kSampleCount);
    CEvaluator evaluator;
    for (int s = 0; s < kSampleCount; ++s) {
        const CQuilExpression* expression = row.SampleExpression(s);
        ASSERT_NE(expression, nullptr);
        std::vector<const ExprNode*> stack{expression->GetRoot()};
        while (!stack.empty()) {
            const ExprNode* node = stack.back();
            stack.pop_back();
            ASSERT_TRUE(node->nKind == KIND_X || node->nKind == KIND_SIN) << KindName(node->nKind);
            for (int c = 0; c < node->nChildren; ++c)
                stack.push_back(node->pChild[c]);
        }
        // The picture is the tree's: the pixels of the literal renderer.
        Picture expected(kSampleSide, kSampleSide);
        RenderRequest request;
        request.evaluator = &evaluator;
        request.root = expression->GetRoot();
        request.target = &expected;
        ASSERT_EQ(RenderReference(request), 1);
        ASSERT_NE(row.SamplePicture(s), nullptr);
        EXPECT_TRUE(*row.SamplePicture(s) == expected) << s;
        EXPECT_TRUE(row.Tile(s)->isEnabled());
    }
    EXPECT_TRUE(m_host.m_opened.empty());
}

TEST_F(RandomFunctionsDialog, ClickingASampleHandsItsTreeToTheHost)
{
    auto dialog = Open();
    CRandomSampleRow& row = *dialog->SampleRow();
    ASSERT_TRUE(WaitForSamples(row));
    ASSERT_NE(row.SampleExpression(2), nullptr);
    const std::string text = TextOf(row.SampleExpression(2)->GetRoot());
    QTest::mouseClick(row.Tile(2), Qt::LeftButton);
    EXPECT_EQ(m_host.m_opened, std::vector<std::string>{text});
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(RandomFunctionsDialog, AFieldThatDoesNotReadLeavesNoSample)
{
    auto dialog = Open();
    CRandomSampleRow& row = *dialog->SampleRow();
    ASSERT_TRUE(WaitForSamples(row));
    dialog->Edit(IDC_TERM_PROB)->setText(QStringLiteral("7"));
    QTest::mouseClick(dialog->Button(IDC_SAMPLE), Qt::LeftButton);
    EXPECT_EQ(m_messages, std::vector<std::string>{"Please enter a number between 0 and 1."});
    EXPECT_EQ(dialog->Edit(IDC_TERM_PROB)->selectedText(), "7");
    for (int s = 0; s < kSampleCount; ++s) {
        EXPECT_EQ(row.SampleExpression(s), nullptr);
        EXPECT_FALSE(row.Tile(s)->isEnabled());
    }
    // The presets draw again quietly once every field reads.
    m_messages.clear();
    dialog->Edit(IDC_TERM_PROB)->setText(QStringLiteral("0.5"));
    QTest::mouseClick(dialog->Button(IDC_BLACK_WHITE), Qt::LeftButton);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_NE(row.SampleExpression(0), nullptr);
}

TEST_F(RandomFunctionsDialog, TreesTooLargeForASampleAreMarkedAndNotKept)
{
    GenerationSettings settings = LoadedDefaults();
    settings.m_nMaxLevel = 19;
    settings.m_dTermProb = 0.0;
    for (int code = KIND_SIN; code < KIND_RGBF; ++code)
        settings.m_dProb[code] = 0.0;  // three children at every node, 20 levels deep
    auto dialog = Open(settings);
    CRandomSampleRow& row = *dialog->SampleRow();
    for (int s = 0; s < kSampleCount; ++s) {
        EXPECT_EQ(row.SampleExpression(s), nullptr);
        EXPECT_FALSE(row.Tile(s)->isEnabled());
        EXPECT_EQ(row.Tile(s)->text(), "Too large");
    }
    EXPECT_FALSE(row.IsCalculating());
}

TEST_F(RandomFunctionsDialog, SamplesWithPicReadTheHostsPicture)
{
    GenerationSettings settings = LoadedDefaults();
    for (int code = 0; code < kNumTerminalKinds; ++code)
        settings.m_dProb[code] = code == KIND_PIC ? 1.0 : 0.0;
    settings.m_nMaxLevel = 0;  // a single leaf
    auto red = std::make_shared<Picture>(kSampleSide, kSampleSide);
    red->Fill(0x00ff0000u);
    m_host.m_picture = red;
    auto dialog = Open(settings);
    CRandomSampleRow& row = *dialog->SampleRow();
    ASSERT_TRUE(WaitForSamples(row));
    ASSERT_NE(row.SamplePicture(0), nullptr);
    EXPECT_TRUE(*row.SamplePicture(0) == *red);
    EXPECT_EQ(m_host.m_requestedSides, std::vector<int>(kSampleCount, kSampleSide));
    EXPECT_TRUE(m_messages.empty());  // no warning about a missing picture
}

TEST_F(RandomFunctionsDialog, ClosingWhileSamplesAreComputedStopsThemFirst)
{
    const int beeps = BeepsRequested();
    for (int round = 0; round < 5; ++round) {
        auto dialog = Open();
        QTest::mouseClick(dialog->Button(IDC_SAMPLE), Qt::LeftButton);
        dialog.reset();
        QCoreApplication::processEvents();
    }
    // A job that outlived its row would find no owner and beep.
    EXPECT_EQ(BeepsRequested(), beeps);
}
