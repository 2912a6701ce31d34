// The Book details window, opened with its key as the user opens it: it
// follows the book the main window shows, Save writes the details (read back
// from the details file on disk), a bad value is refused naming its field,
// Cancel and Escape give back what is stored, Ctrl+Z takes a Save back, an
// unsaved edit holds its book, and a stray row is attached or set aside.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookDetailsForm.h"
#include "engine/Catalogue.h"
#include "engine/Covers.h"
#include "engine/Database.h"
#include "engine/DetailsFile.h"
#include "engine/FieldTable.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/CoverPanel.h"
#include "widgets/RunState.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstring>

namespace {

const std::vector<TItem> Books = {
    Book(1, "Dune", "Herbert", "Chilton", "1965"),
    Book(2, "Eric", "Pratchett", "Gollancz", "1990"),
    Book(3, "Persuasion", "Austen", "Murray", "1817"),
};

const char* const DetailsName = "books.orbl.details";

class BookDetailsFormTest : public TAppFixture {
protected:
    void SetUp() override { Overrides["SortMethod"] = "ByName"; }
    void StartWith(const std::vector<TItem>& books)
    {
        WriteFiles(books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
    }
    // Opens the window with its key, as the user does.
    TfrmBookDetails& Open()
    {
        frmMain->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frmMain));
        QTest::keyClick(frmMain, Qt::Key_D, Qt::ControlModifier);
        EXPECT_TRUE(frmBookDetails.Made() && frmBookDetails->isVisible());
        return *frmBookDetails;
    }
    // Types text of any script into a box, as a keyboard's input does.
    static void Type(QLineEdit* box, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(box, &press);
    }
    QLineEdit* Edit(const char* key) { return frmBookDetails->BoxOf(key)->Edit; }
    QComboBox* Choice(const char* key) { return frmBookDetails->BoxOf(key)->Choice; }
    // The details of a book in the details file on disk.
    TDetails OnDisk(int32_t id) const
    {
        if (!Folder.Exists(DetailsName))
            return {};
        for (const TDetailsRow& row : DetailsFile::Parse(Folder.ReadFile(DetailsName)).Rows)
            if (row.ID == id)
                return row.Details;
        return {};
    }
};

TEST_F(BookDetailsFormTest, OpensByItsKeyWithABoxForEachDetailAndFollowsTheShownBook)
{
    StartWith(Books);
    TDetails eric;
    eric.Set("isbn", "9780552131070");
    eric.Set("rating", "4");
    eric.Set("status", "read");
    eric.Set("finished", "2004-03-01");
    eric.Set("title_own", "Эрик");
    Catalogue().SetDetails(2, eric);
    EXPECT_FALSE(frmBookDetails.Made()); // start-up does not pay for it

    TfrmBookDetails& details = Open();
    // The boxes are the field table's details (the due date is the Loans
    // window's, a picture has a panel of its own), each named by its caption's label.
    std::vector<std::string> keys;
    for (const TfrmBookDetails::TBox& box : details.Boxes()) {
        keys.push_back(box.Field->Key);
        QWidget* control = box.Edit ? static_cast<QWidget*>(box.Edit) : static_cast<QWidget*>(box.Choice);
        EXPECT_EQ(box.Caption->buddy(), control) << box.Field->Key;
    }
    std::vector<std::string> expected;
    for (const TField* field : FieldTable::Details())
        if (std::strcmp(field->Key, FieldTable::DueKey) != 0 && field->Kind != TFieldKind::Image)
            expected.push_back(field->Key);
    EXPECT_EQ(keys, expected);

    EXPECT_EQ(details.BookId(), 1);
    EXPECT_EQ(Edit("isbn")->text(), QString());
    frmMain->Ui.btnNext->click(); // ">"
    EXPECT_EQ(details.BookId(), 2);
    EXPECT_EQ(details.lblBook->text(), QStringLiteral("2: Eric, Pratchett"));
    EXPECT_EQ(Edit("isbn")->text(), QStringLiteral("9780552131070"));
    EXPECT_EQ(Edit("title_own")->text(), QStringLiteral("Эрик"));
    EXPECT_EQ(Edit("finished")->text(), QStringLiteral("01/03/2004")); // the locale's date
    EXPECT_EQ(Choice("rating")->currentText(), QStringLiteral("4"));
    EXPECT_EQ(Choice("status")->currentText(), QStringLiteral("Read"));
    EXPECT_FALSE(details.btnSave->isEnabled());
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(BookDetailsFormTest, SaveWritesTheDetailsAndCtrlZTakesThemBack)
{
    StartWith(Books);
    TfrmBookDetails& details = Open();
    QTest::keyClicks(Edit("isbn"), QStringLiteral("0-552-13107-5")); // the ISBN-10 form
    EXPECT_TRUE(details.Editing());
    QTest::keyClicks(Edit("tags"), QStringLiteral("fantasy,humour"));
    QTest::keyClicks(Edit("finished"), QStringLiteral("02/03/2004"));
    QTest::keyClicks(Edit("started"), QStringLiteral("2004-02-20"));
    QTest::keyClicks(Edit("series_number"), QStringLiteral("10"));
    Type(Edit("author_own"), QStringLiteral("Фрэнк Герберт"));
    QTest::keyClick(Choice("status"), Qt::Key_Down); // To read
    QTest::keyClick(Edit("series_number"), Qt::Key_Return);

    EXPECT_FALSE(details.Editing());
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
    const TDetails stored = OnDisk(1);
    EXPECT_EQ(stored.Value("isbn"), "9780552131070");
    EXPECT_EQ(stored.Value("tags"), "fantasy, humour");
    EXPECT_EQ(stored.Value("finished"), "2004-03-02");
    EXPECT_EQ(stored.Value("started"), "2004-02-20");
    EXPECT_EQ(stored.Value("series_number"), "10");
    EXPECT_EQ(stored.Value("status"), "to-read");
    EXPECT_EQ(stored.Value("author_own"), "Фрэнк Герберт");
    EXPECT_EQ(stored.Size(), 7u);
    EXPECT_EQ(Edit("tags")->text(), QStringLiteral("fantasy, humour")); // shown as stored

    // Ctrl+Z in the window's box takes the Save back, as the menu's key.
    details.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&details));
    Edit("series_number")->setFocus();
    QTest::keyClick(Edit("series_number"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(OnDisk(1).Empty());
    EXPECT_EQ(Edit("isbn")->text(), QString());
    EXPECT_EQ(Choice("status")->currentIndex(), 0);
}

// A cover chosen is an edit: Cancel drops it and keeps no file, Save keeps
// the picture and names it in the details. Removing the book and pressing
// Ctrl+Z gives the book back with its cover, whose file stayed.
TEST_F(BookDetailsFormTest, ACoverIsSavedWithTheDetailsAndComesBackWithAnUndoneRemoval)
{
    StartWith(Books);
    QImage scan(1000, 1500, QImage::Format_RGB32);
    scan.fill(Qt::darkCyan);
    ASSERT_TRUE(scan.save(Folder.Path() + "/scan.png"));
    Platform.Dialogs.FileToChoose = Folder.Path() + "/scan.png";
    TfrmBookDetails& details = Open();
    frmMain->Ui.btnNext->click();
    details.Cover->btnChooseCover->click();
    EXPECT_TRUE(details.Editing());
    details.btnCancel->click();
    EXPECT_FALSE(details.Cover->HasCover());
    EXPECT_FALSE(Folder.Exists("books.orbl.covers"));

    details.Cover->btnChooseCover->click();
    details.btnSave->click();
    const std::string cover = OnDisk(2).Value(FieldTable::CoverKey);
    ASSERT_FALSE(cover.empty());
    EXPECT_TRUE(Folder.Exists("books.orbl.covers/" + cover));
    frmMain->Ui.btnNext->click(); // a change shows the first book
    EXPECT_TRUE(details.Cover->HasCover() && !details.Cover->Changed());

    Platform.Messages.Answers = {true};
    frmMain->tbtnRemoveBookClick();
    EXPECT_FALSE(Catalogue().Database().ItemExists(2));
    frmMain->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
    QTest::keyClick(frmMain, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(Catalogue().Database().ItemExists(2));
    EXPECT_EQ(OnDisk(2).Value(FieldTable::CoverKey), cover);
    frmMain->Ui.btnNext->click();
    EXPECT_EQ(details.BookId(), 2);
    EXPECT_FALSE(details.Cover->imgCover->pixmap().isNull());
}

TEST_F(BookDetailsFormTest, ABadValueIsRefusedNamingItsFieldAndCancelGivesBackTheStored)
{
    StartWith(Books);
    TDetails dune;
    dune.Set("series", "Dune");
    Catalogue().SetDetails(1, dune);
    const std::string before = Folder.ReadFile(DetailsName);
    TfrmBookDetails& details = Open();

    const struct {
        const char* Key;
        const char* Typed;
        const char* Named;
    } cases[] = {
        {"isbn", "978-0-552-13107-1", "ISBN"},
        {"copies", "two", "Copies"},
        {"finished", "31/02/2004", "Finished"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Key);
        Platform.Messages.Clear();
        QTest::keyClicks(Edit(test.Key), QString::fromUtf8(test.Typed));
        details.btnSave->click();
        ASSERT_EQ(Platform.Messages.Texts().size(), 1);
        EXPECT_TRUE(Platform.Messages.Texts()[0].startsWith(QString::fromLatin1(test.Named) + QStringLiteral(":")))
            << Platform.Messages.Texts()[0].toStdString();
        EXPECT_EQ(Folder.ReadFile(DetailsName), before);
        EXPECT_TRUE(details.Editing());
        QTest::keyClick(Edit("series"), Qt::Key_Escape); // Cancel
        EXPECT_FALSE(details.Editing());
        EXPECT_TRUE(details.isVisible());
        EXPECT_EQ(Edit(test.Key)->text(), QString());
        EXPECT_EQ(Edit("series")->text(), QStringLiteral("Dune"));
    }
    QTest::keyClick(Edit("series"), Qt::Key_Escape); // nothing edited: closes
    EXPECT_FALSE(details.isVisible());
}

TEST_F(BookDetailsFormTest, AnUnsavedEditHoldsItsBookAndASaveWaitsForTheMainWindowsEdit)
{
    StartWith(Books);
    TfrmBookDetails& details = Open();
    QTest::keyClicks(Edit("series"), QStringLiteral("Dune"));
    frmMain->Ui.btnNext->click();
    EXPECT_EQ(Rows().Current(), 1);
    EXPECT_EQ(details.BookId(), 1); // still the book typed for
    EXPECT_EQ(Edit("series")->text(), QStringLiteral("Dune"));
    TDetails due; // set meanwhile, and not the window's to change
    due.Set(FieldTable::DueKey, "2004-03-20");
    Catalogue().SetDetails(1, due);
    EXPECT_EQ(details.BookId(), 1);

    // The main window edits a book: a save would show the first book over it.
    frmMain->tbtnEditBookClick();
    details.btnSave->click();
    EXPECT_EQ(Platform.Messages.Texts(),
              QStringList{QStringLiteral("Save or cancel the book being edited in the main window first.")});
    EXPECT_TRUE(details.Editing());
    frmMain->btnCancelClick();
    details.btnSave->click();
    EXPECT_EQ(OnDisk(1).Value("series"), "Dune");
    EXPECT_EQ(OnDisk(1).Value(FieldTable::DueKey), "2004-03-20");
    EXPECT_TRUE(OnDisk(2).Empty());

    QTest::keyClicks(Edit("series"), QStringLiteral(" Messiah"));
    frmMain->Ui.btnNext->click();
    details.btnCancelClick(); // now it follows the main window
    EXPECT_EQ(details.BookId(), 2);
    EXPECT_EQ(Edit("series")->text(), QString());

    // The book held is removed meanwhile: the save says so and writes nothing.
    QTest::keyClicks(Edit("series"), QStringLiteral("Science of Discworld"));
    Catalogue().Remove(2);
    Platform.Messages.Clear();
    const std::string kept = Folder.ReadFile(DetailsName);
    details.btnSave->click();
    EXPECT_EQ(Platform.Messages.Texts(),
              QStringList{QStringLiteral("Book 2 is no longer in the catalogue: its details were not saved.")});
    EXPECT_EQ(Folder.ReadFile(DetailsName), kept);
    EXPECT_EQ(details.BookId(), 1);
}

TEST_F(BookDetailsFormTest, AStrayRowIsShownApartAndAttachedOrSetAside)
{
    TDetails discworld;
    discworld.Set("series", "Discworld");
    discworld.Set("cover", "2-0a0b0c0d.jpg");
    TDetails gone;
    gone.Set("rating", "2");
    // Kept for books whose titles were since changed outside the program.
    Folder.WriteFile(DetailsName,
                     DetailsFile::Format({{2, DetailsFile::Fingerprint(Book(2, "Eric!", "Pratchett", "")), discworld},
                                          {3, DetailsFile::Fingerprint(Book(3, "Sanditon", "Austen", "")), gone}}));
    StartWith(Books);
    TfrmBookDetails& details = Open();
    EXPECT_FALSE(details.grpStray->isVisibleTo(&details));
    frmMain->Ui.btnNext->click();
    ASSERT_TRUE(details.grpStray->isVisibleTo(&details));
    EXPECT_TRUE(details.lblStray->text().contains(QStringLiteral("Series: Discworld")));
    EXPECT_TRUE(details.lblStray->text().contains(QStringLiteral("Cover: a picture")));
    EXPECT_EQ(Edit("series")->text(), QString()); // never shown as the book's

    details.btnAttach->click();
    EXPECT_EQ(OnDisk(2).Value("series"), "Discworld");
    frmMain->Ui.btnNext->click(); // the change showed the first book
    EXPECT_EQ(Edit("series")->text(), QStringLiteral("Discworld"));
    EXPECT_FALSE(details.grpStray->isVisibleTo(&details));

    frmMain->Ui.btnNext->click();
    ASSERT_TRUE(details.grpStray->isVisibleTo(&details));
    Platform.Messages.Answers.push_back(false);
    details.btnSetAside->click();
    EXPECT_EQ(Catalogue().StrayDetails().size(), 1u);
    Platform.Messages.Answers.push_back(true);
    details.btnSetAside->click();
    EXPECT_TRUE(Catalogue().StrayDetails().empty());
    EXPECT_FALSE(details.grpStray->isVisibleTo(&details));
    EXPECT_EQ(DetailsFile::Parse(Folder.ReadFile(DetailsName)).Rows.size(), 1u);
    EXPECT_TRUE(OnDisk(3).Empty());
}

TEST_F(BookDetailsFormTest, PlaceIsKeptInItsOwnKeysWhichOlderInstallationsLack)
{
    StartWith(Books); // the installed settings have no place for it
    std::string value;
    TfrmBookDetails& details = Open();
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
    details.move(130, 150);
    details.close();
    ASSERT_TRUE(SettingOnDisk("BD_X", value));
    EXPECT_EQ(value, std::to_string(details.x()));
    ASSERT_TRUE(SettingOnDisk("BD_Y", value));
    EXPECT_EQ(value, std::to_string(details.y()));
}

// Every caption fits before its box and every control lies inside the
// window, at the scale the test runs with (QT_SCALE_FACTOR=2 as well).
TEST_F(BookDetailsFormTest, CaptionsFitBeforeTheirBoxesAndTheWindowDrawsWhole)
{
    StartWith(Books);
    TfrmBookDetails& details = Open();
    for (const TfrmBookDetails::TBox& box : details.Boxes()) {
        QWidget* control = box.Edit ? static_cast<QWidget*>(box.Edit) : static_cast<QWidget*>(box.Choice);
        EXPECT_LE(box.Caption->x() + box.Caption->sizeHint().width(), control->x()) << box.Field->Key;
        // Every box within the scrolled part, which lies within the window.
        EXPECT_TRUE(details.scrBoxes->widget()->rect().contains(control->geometry())) << box.Field->Key;
    }
    EXPECT_TRUE(details.rect().contains(details.scrBoxes->geometry()));
    const QPixmap picture = details.grab();
    EXPECT_EQ(picture.deviceIndependentSize().toSize(), details.size());
    if (const QByteArray folder = qgetenv("VOLUMNIA_GRAB_DIR"); !folder.isEmpty())
        picture.save(QString::fromLocal8Bit(folder) + QStringLiteral("/bookdetails.png"));
}

// The window's height keeps its buttons on a screen too low for every box
// (a scale of 2 on a 1080-pixel screen leaves 540), the boxes scrolled
// instead; a box reached from the keyboard is scrolled into sight.
TEST_F(BookDetailsFormTest, OnALowScreenTheBoxesScrollAndAFocusedBoxComesIntoSight)
{
    const int allRows = TfrmBookDetails::RowsShownOn(100000);
    EXPECT_LT(TfrmBookDetails::RowsShownOn(540), allRows);
    EXPECT_LE(TfrmBookDetails::HeightOn(540) + 40, 540);
    StartWith(Books);
    TfrmBookDetails& details = Open();
    details.scrBoxes->resize(details.scrBoxes->width(), 3 * 26);
    QCoreApplication::processEvents();
    QScrollBar* bar = details.scrBoxes->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const TfrmBookDetails::TBox& last = details.Boxes().back();
    QWidget* control = last.Edit ? static_cast<QWidget*>(last.Edit) : static_cast<QWidget*>(last.Choice);
    control->setFocus();
    QCoreApplication::processEvents();
    QWidget* viewport = details.scrBoxes->viewport();
    EXPECT_TRUE(viewport->rect().contains(control->mapTo(viewport, QPoint(0, control->height() / 2))))
        << last.Field->Key << " at " << bar->value();
}

} // namespace
