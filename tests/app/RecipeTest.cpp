// Saved pictures carry the document's expression, and File > Open turns a
// picture made by Quil back into a document.

#include "AppFixture.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"

#include <QImage>

namespace {

class RecipeTest : public AppFixture {
protected:
    CQuilDoc* Doc(size_t i = 0) { return App().Documents().at(i); }
    std::string RecipeIn(const QString& path)
    {
        std::string recipe;
        return ReadPictureRecipe(path.toStdString(), recipe) == RecipeResult::Found ? recipe : std::string();
    }
    // Answers the open dialog with path under the type whose text starts with filterStart.
    void AnswerOpenWith(const QString& path, const QString& filterStart)
    {
        SetFileDialogHook([this, path, filterStart](FileDialogRequest& request) {
            m_fileDialogs.push_back(request);
            for (const QString& entry : request.filter.split(QStringLiteral(";;")))
                if (entry.startsWith(filterStart))
                    request.selectedFilter = entry;
            return path;
        });
    }
};

}  // namespace

TEST_F(RecipeTest, SaveBitmapCarriesTheExpressionUnlessTheSettingSaysNo)
{
    m_random.Seed(77);
    Start();
    App().OnFileNewRandom();
    ASSERT_TRUE(WaitForPicture(Doc(1)));
    const std::string text = Doc(1)->ExpressionText({});
    ASSERT_FALSE(text.empty());
    const QString with = m_dir.filePath("with.png");
    EXPECT_EQ(Doc(1)->RecipeText(with), text);

    m_fileAnswers = {with};
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP));
    EXPECT_EQ(RecipeIn(with), text);

    // Settings > "Store the expression in saved pictures", as stored.
    CMainFrame* frame = App().GetMainFrame();
    EXPECT_TRUE(frame->CommandState(ID_EMBED_EXPRESSION).m_bChecked);
    ASSERT_TRUE(frame->ExecuteCommand(ID_EMBED_EXPRESSION));
    EXPECT_FALSE(frame->CommandState(ID_EMBED_EXPRESSION).m_bChecked);
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "EmbedExpression", 1), 0);
    const QString without = m_dir.filePath("without.png");
    EXPECT_EQ(Doc(1)->RecipeText(without), "");
    m_fileAnswers = {without};
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP));
    std::string recipe;
    EXPECT_EQ(ReadPictureRecipe(without.toStdString(), recipe), RecipeResult::None);
    EXPECT_EQ(QImage(with), QImage(without));
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(RecipeTest, OpenTurnsAPictureMadeByQuilIntoAnUntitledDocument)
{
    Start();
    ASSERT_TRUE(WaitForPicture(Doc()));
    const QString picture = m_dir.filePath("logo.jpg");
    m_fileAnswers = {picture};
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP));
    ASSERT_FALSE(RecipeIn(picture).empty());

    // Chosen under the Quil files' type: the content tells it is a picture.
    m_fileAnswers = {picture};
    App().OnFileOpen();
    ASSERT_EQ(App().Documents().size(), 2u);
    const QStringList filters = m_fileDialogs.back().filter.split(QStringLiteral(";;"));
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], QStringLiteral("Quil Files (*.quil)"));
    EXPECT_TRUE(filters[1].startsWith(QStringLiteral("Pictures made by Quil (")));
    EXPECT_TRUE(filters[1].contains(QStringLiteral("*.png"))) << filters[1].toStdString();
    EXPECT_EQ(Doc(1)->ExpressionText({}), Doc(0)->ExpressionText({}));
    EXPECT_EQ(Doc(1)->GetPathName(), QString());
    EXPECT_EQ(Doc(1)->GetTitle(), QStringLiteral("Quil2"));
    EXPECT_FALSE(Doc(1)->IsModified());
    EXPECT_TRUE(WaitForPicture(Doc(1)));
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(RecipeTest, APictureWithoutOneIsReportedAndNeverBecomesADocument)
{
    Start();
    QImage foreign(16, 16, QImage::Format_RGB32);
    foreign.fill(Qt::green);
    const QString png = m_dir.filePath("foreign.png");
    const QString bmp = m_dir.filePath("foreign.bmp");
    ASSERT_TRUE(foreign.save(png));
    ASSERT_TRUE(foreign.save(bmp));
    for (const QString& path : {png, bmp}) {
        m_boxes.clear();
        AnswerOpenWith(path, QStringLiteral("Pictures made by Quil"));
        App().OnFileOpen();
        EXPECT_EQ(App().Documents().size(), 1u);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, QStringLiteral("This picture holds no Quil expression"));
    }
    // A .quil file chosen under the pictures' type opens as the document it is.
    const QString quil = WriteFile("e.quil", "sin[X[]]");
    m_boxes.clear();
    AnswerOpenWith(quil, QStringLiteral("Pictures made by Quil"));
    App().OnFileOpen();
    ASSERT_EQ(App().Documents().size(), 2u);
    EXPECT_EQ(Doc(1)->GetPathName(), quil);
    EXPECT_TRUE(m_boxes.empty());
}
