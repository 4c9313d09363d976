// The linked width and height edits, as each dialog drives them: the dialog
// reports a change with both texts, writes the text it is handed into the
// other edit, and that write raises the other edit's change at once.

#include "dialogs/LinkedSize.h"

#include <gtest/gtest.h>

namespace {

// Two edits and the change notifications a dialog would see.
class Edits {
public:
    Edits(int x, int y, bool keep, CLinkedSize::Rules rules = CLinkedSize::Rules())
        : m_x(QString::number(x)), m_y(QString::number(y)), m_keep(keep), m_link(rules)
    {
        m_link.Open(x, y);
    }
    // The user types into an edit.
    void TypeX(const QString& text) { Set(CLinkedSize::Edit::X, text); }
    void TypeY(const QString& text) { Set(CLinkedSize::Edit::Y, text); }
    void ClickKeepAspect(bool keep)
    {
        m_keep = keep;
        m_link.OnKeepAspectClicked(m_x, m_y);
    }
    QString X() const { return m_x; }
    QString Y() const { return m_y; }
    const CLinkedSize& Link() const { return m_link; }
    int Changes() const { return m_nChanges; }

private:
    void Set(CLinkedSize::Edit edit, const QString& text)
    {
        QString& target = edit == CLinkedSize::Edit::X ? m_x : m_y;
        if (target == text)
            return;  // an edit raises no change for the text it holds
        target = text;
        ++m_nChanges;
        if (auto follow = m_link.OnEdited(edit, m_x, m_y, m_keep))
            Set(edit == CLinkedSize::Edit::X ? CLinkedSize::Edit::Y : CLinkedSize::Edit::X, *follow);
    }

    QString m_x, m_y;
    bool m_keep;
    CLinkedSize m_link;
    int m_nChanges = 0;
};

}  // namespace

TEST(LinkedSize, KeepAspectFollowsAndTheSetEditDoesNotBounceBack)
{
    Edits e(300, 200, true);  // ratio 1.5
    e.TypeX(QStringLiteral("600"));
    EXPECT_EQ(e.Y(), QStringLiteral("400"));
    e.TypeY(QStringLiteral("100"));
    EXPECT_EQ(e.X(), QStringLiteral("150"));
    EXPECT_FALSE(e.Link().IsSyncing());
    EXPECT_EQ(e.Changes(), 4);  // two typed, two followed, nothing bounced

    Edits save(300, 200, true);
    save.TypeX(QStringLiteral("300"));  // unchanged text: nothing happens
    save.TypeX(QStringLiteral("200"));
    EXPECT_EQ(save.Y(), QStringLiteral("133"));
}

TEST(LinkedSize, FractionsTruncate)
{
    Edits e(800, 600, true);  // 4:3
    e.TypeX(QStringLiteral("100"));
    EXPECT_EQ(e.Y(), QStringLiteral("75"));
    e.TypeY(QStringLiteral("100"));
    EXPECT_EQ(e.X(), QStringLiteral("133"));
    e.TypeX(QStringLiteral("400"));
    EXPECT_EQ(e.Y(), QStringLiteral("300"));
    e.TypeY(QStringLiteral("300"));  // the text it already holds
    EXPECT_EQ(e.X(), QStringLiteral("400"));
}

TEST(LinkedSize, AFollowThatLeavesTheOtherTextUnchangedDoesNotSwallowTheNextEdit)
{
    Edits e(100, 75, true);  // 4:3
    e.TypeX(QStringLiteral("101"));  // Y would stay 75
    EXPECT_EQ(e.Y(), QStringLiteral("75"));
    EXPECT_FALSE(e.Link().IsSyncing());
    e.TypeX(QStringLiteral("200"));
    EXPECT_EQ(e.Y(), QStringLiteral("150"));
}

TEST(LinkedSize, WithoutKeepAspectTheRatioStaysOrFollowsByRule)
{
    // Copy, display and batch: editing with keep aspect off leaves the ratio.
    Edits copy(300, 300, false);
    copy.TypeX(QStringLiteral("400"));
    EXPECT_EQ(copy.Y(), QStringLiteral("300"));
    EXPECT_DOUBLE_EQ(copy.Link().Aspect(), 1.0);
    copy.ClickKeepAspect(true);  // a click takes the ratio of the values shown
    EXPECT_DOUBLE_EQ(copy.Link().Aspect(), 4.0 / 3.0);
    copy.TypeX(QStringLiteral("800"));
    EXPECT_EQ(copy.Y(), QStringLiteral("600"));

    // The custom save: with keep aspect off, X = 400 while Y = 300 makes the ratio 4/3.
    Edits save(300, 300, false, CLinkedSize::Rules{true});
    save.TypeX(QStringLiteral("400"));
    EXPECT_DOUBLE_EQ(save.Link().Aspect(), 4.0 / 3.0);
}

TEST(LinkedSize, FieldsThatDoNotReadChangeNothing)
{
    Edits e(300, 200, true);
    e.TypeX(QString());
    EXPECT_EQ(e.Y(), QStringLiteral("200"));
    e.TypeX(QStringLiteral("abc"));
    EXPECT_EQ(e.Y(), QStringLiteral("200"));
    EXPECT_FALSE(e.Link().IsSyncing());
    e.TypeX(QStringLiteral("30"));
    EXPECT_EQ(e.Y(), QStringLiteral("20"));
}

TEST(LinkedSize, TheBatchDialogReadsAnEmptyEditAsZero)
{
    CLinkedSize::Rules batch;
    batch.unreadableIsZero = true;
    Edits e(400, 300, true, batch);  // 4:3
    e.TypeX(QString());
    EXPECT_EQ(e.Y(), QStringLiteral("0"));
    EXPECT_FALSE(e.Link().IsSyncing());
    e.TypeX(QStringLiteral("8"));
    EXPECT_EQ(e.Y(), QStringLiteral("6"));
    e.TypeY(QStringLiteral("30"));
    EXPECT_EQ(e.X(), QStringLiteral("40"));
}

TEST(LinkedSize, SilentWritesPassWithoutTheRule)
{
    // "X,Y of Picture": both edits set, neither change triggers the rule.
    CLinkedSize link;
    link.Open(300, 200);
    link.BeginSilentWrite();
    EXPECT_FALSE(link.OnEdited(CLinkedSize::Edit::X, QStringLiteral("1024"), QStringLiteral("200"), true));
    link.BeginSilentWrite();
    EXPECT_FALSE(link.OnEdited(CLinkedSize::Edit::Y, QStringLiteral("1024"), QStringLiteral("768"), true));
    link.SetAspect(1024, 768);
    EXPECT_DOUBLE_EQ(link.Aspect(), 4.0 / 3.0);
    EXPECT_FALSE(link.IsSyncing());
}
