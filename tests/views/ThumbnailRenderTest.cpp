// Every thumbnail is the picture quil-cli renders of that node's branch at the
// thumbnail size.
#include "TreeViewFixture.h"

#include "engine/GenerationSettings.h"
#include "render/pictureio/PictureIO.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>

namespace {
std::vector<const ExprNode*> PreOrder(const ExprNode* root)
{
    std::vector<const ExprNode*> nodes;
    std::function<void(const ExprNode*)> walk = [&](const ExprNode* node) {
        nodes.push_back(node);
        for (int i = 0; i < node->nChildren; ++i)
            walk(node->pChild[i]);
    };
    walk(root);
    return nodes;
}
}  // namespace

TEST_F(TreeViewTest, ThumbnailsEqualTheCommandLineRenderingOfEachBranch)
{
    m_store.WriteProfileInt(kSectionTree, kValueThumbSize, 20);
    Start();
    SetExpression("plus[sin[times[X[],SPIR[0.1,0.2,0.7]]],if[R2C[0.3,-0.4,0],RGB[0.5,-0.5,0.25],cos[PHI[]]]]");
    CLeftView* tree = Tree();
    ASSERT_TRUE(WaitForThumbnails());
    const std::vector<const ExprNode*> nodes = PreOrder(Doc()->m_pExpression->GetRoot());
    const std::vector<Picture>& thumbs = tree->Thumbnails();
    ASSERT_EQ(thumbs.size(), nodes.size());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (size_t i = 0; i < nodes.size(); ++i) {
        const QString quil = dir.filePath(QStringLiteral("branch%1.quil").arg(i));
        const QString png = dir.filePath(QStringLiteral("branch%1.png").arg(i));
        QFile file(quil);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(NodeText(nodes[i])));
        file.close();
        QProcess cli;
        cli.start(QStringLiteral(QUIL_CLI_PATH), {"render", quil, "-o", png, "--size", "20x20"});
        ASSERT_TRUE(cli.waitForFinished(60000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        Picture rendered;
        ASSERT_TRUE(ImageToPicture(QImage(png), rendered));
        EXPECT_TRUE(rendered == thumbs[i]) << "thumbnail " << i << " of " << NodeText(nodes[i]);
    }
}

TEST_F(TreeViewTest, RandomTreesGetOneThumbnailPerNode)
{
    Start();
    for (int round = 0; round < 3; ++round) {
        Doc()->OnGenerateRandom();
        ASSERT_TRUE(WaitForThumbnails());
        EXPECT_EQ(Tree()->Thumbnails().size() + 1, Doc()->m_pExpression->NodeCount());
    }
}
