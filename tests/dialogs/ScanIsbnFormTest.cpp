// The scan line, driven as a barcode scanner drives it (keys and Enter):
// the answer for a book lent, one not in the catalogue and a misread, the
// index following each change, Show and Add by ISBN.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/ScanIsbnForm.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ScanIsbnTest : public TAppFixture {
protected:
    void SetUp() override
    {
        WriteFiles({Book(1, "Dune", "Herbert", "Chilton", "1965"),
                    Book(7, "The Hobbit", "Tolkien", "Allen & Unwin", "1937", "Anna", "01/02/2004"),
                    Book(9, "Emma", "Austen", "Murray", "1815")});
        ASSERT_TRUE(Start());
        for (const auto& [id, isbn] : {std::pair{7, "9780261102217"}, {9, "9780140328721"}}) {
            TDetails details;
            details.Set("isbn", isbn);
            Catalogue().SetDetails(id, details);
        }
        frmMain->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
        QTest::keyClick(frmMain, Qt::Key_K, Qt::ControlModifier);
        ASSERT_TRUE(frmScanIsbn->isVisible());
    }

    // Types as a scanner does, then Enter; the time to the answer in Elapsed.
    QString Scan(const QString& keys)
    {
        frmScanIsbn->edtScan->clear();
        QTest::keyClicks(frmScanIsbn->edtScan, keys);
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(frmScanIsbn->edtScan, Qt::Key_Return);
        Elapsed = clock.elapsed();
        return frmScanIsbn->lblAnswer->text();
    }

    qint64 Elapsed = 0;
};

TEST_F(ScanIsbnTest, EachScanIsAnsweredAtOnce)
{
    const std::pair<const char*, const char*> cases[] = {
        {"9780261102217", "You have it: book 7, 'The Hobbit' \u2014 lent to Anna"},
        {"0-261-10221-4", "You have it: book 7, 'The Hobbit' \u2014 lent to Anna"},
        {"978 0 14 032872 1", "You have it: book 9, 'Emma'"},
        {"9780307404923", "Not in the catalogue: ISBN 9780307404923."},
        {"9780261102218",
         "Not an ISBN: \"9780261102218\" (its check digit does not match, or it is no ISBN's length)."},
    };
    for (const auto& [keys, answer] : cases) {
        EXPECT_EQ(Scan(QString::fromUtf8(keys)), QString::fromUtf8(answer)) << keys;
        EXPECT_LE(Elapsed, 100) << keys;
    }
    EXPECT_TRUE(frmScanIsbn->btnShow->isEnabled() == false && frmScanIsbn->btnAddByIsbn->isEnabled() == false);
    Scan(QStringLiteral("9780307404923"));
    EXPECT_TRUE(frmScanIsbn->btnAddByIsbn->isEnabled());
}

TEST_F(ScanIsbnTest, TheIndexFollowsEveryChangeUndoIncluded)
{
    Catalogue().Remove(7);
    EXPECT_EQ(Scan(QStringLiteral("9780261102217")), QStringLiteral("Not in the catalogue: ISBN 9780261102217."));
    Catalogue().Undo();
    EXPECT_EQ(frmScanIsbn->FoundId(), 0);
    Scan(QStringLiteral("9780261102217"));
    EXPECT_EQ(frmScanIsbn->FoundId(), 7);
    TItem copy = Book(0, "The Hobbit", "Tolkien", "Allen & Unwin", "1937");
    copy.Details.Set("isbn", "9780261102217");
    Catalogue().Add(copy);
    EXPECT_TRUE(Scan(QStringLiteral("9780261102217")).endsWith(QStringLiteral("(and 1 more with this ISBN)")));
}

TEST_F(ScanIsbnTest, ABookGoneFromAFileReadAnewIsNotAnsweredFromTheOldIndex)
{
    Folder.WriteFile("books.orbl", DatabaseFile({Book(1, "Dune", "Herbert", "Chilton", "1965")}));
    Catalogue().Reload();
    EXPECT_EQ(Scan(QStringLiteral("9780261102217")), QStringLiteral("Not in the catalogue: ISBN 9780261102217."));
}

TEST_F(ScanIsbnTest, ShowBringsUpTheBookEvenWhenAFindHidesIt)
{
    Rows().FillMatching("Dune");
    Scan(QStringLiteral("9780140328721"));
    frmScanIsbn->btnShow->click();
    EXPECT_EQ(Rows().CurrentId(), 9);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), QStringLiteral("Emma"));
}

TEST_F(ScanIsbnTest, AddByIsbnStartsAnAddWithTheLookupOfThatIsbn)
{
    Scan(QStringLiteral("9780307404923"));
    QString asked;
    Platform.Modal.Actions.push_back([&asked](QDialog& dialog) {
        asked = dialog.findChild<QLineEdit*>()->text();
        dialog.reject();
    });
    frmScanIsbn->btnAddByIsbn->click();
    EXPECT_TRUE(Run().Editing);
    EXPECT_TRUE(frmMain->AddMode);
    EXPECT_EQ(asked, QStringLiteral("9780307404923"));
    // A second one while the first is added is refused, saying why.
    Platform.Messages.Clear();
    frmScanIsbn->btnAddByIsbn->click();
    EXPECT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(Platform.Modal.Opened.size(), 1);
}

} // namespace
