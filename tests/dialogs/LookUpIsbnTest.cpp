// Look up ISBN in Add and Edit, against the loopback replay server: the
// boxes filled from the record chosen (never saved unseen), the national
// library when Open Library has nothing, no network, the Book details
// window's button, and not one request from a start, a browse and an exit.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookDetailsForm.h"
#include "dialogs/LookUpIsbnDialog.h"
#include "engine/Catalogue.h"
#include "engine/Covers.h"
#include "engine/Database.h"
#include "engine/FieldTable.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "tests/support/ReplayServer.h"
#include "widgets/RunState.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

namespace {

const std::vector<TItem> Books = {
    Book(1, "Dune", "Herbert", "Chilton", "1965"),
    Book(2, "Emma", "Austen", "Murray", "1815"),
};

TReplayAnswer Recorded(const char* file, int delayMs = 0)
{
    TReplayAnswer answer;
    answer.Body = TReplayServer::File(file);
    answer.DelayMs = delayMs;
    return answer;
}

class LookUpIsbnTest : public TAppFixture {
protected:
    void StartWith(const QString& base)
    {
        for (const auto& [key, path] : {std::pair{"LOOKUP_OPENLIBRARY", "/ol"},
                                        {"LOOKUP_COVERS", "/covers"},
                                        {"LOOKUP_FINNA", "/finna/v1"},
                                        {"LOOKUP_DNB", "/dnb"},
                                        {"LOOKUP_LOC", "/loc"}})
            Overrides[key] = (base + QLatin1String(path)).toStdString();
        WriteFiles(Books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
    }

    // Runs the dialog from Ctrl+L: the ISBN typed and looked up, then the
    // record of that row filled in, or the dialog cancelled (row -1).
    void LookUp(const QString& isbn, int row = 0)
    {
        Platform.Modal.Actions.push_back([this, isbn, row](QDialog& dialog) {
            auto& lookup = static_cast<TdlgLookUpIsbn&>(dialog);
            QTest::keyClicks(lookup.edtIsbn, isbn);
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(lookup.edtIsbn, Qt::Key_Return);
            ASSERT_TRUE(QTest::qWaitFor([&lookup] { return lookup.btnFill->isEnabled() || !lookup.Running(); }, 10000));
            Elapsed = clock.elapsed();
            Line = lookup.lblProgress->text();
            Found = lookup.lstRecords->count();
            if (row < 0 || row >= Found) {
                lookup.btnCancel->click();
                return;
            }
            lookup.lstRecords->setCurrentRow(row);
            // The cover, where the record names one, is shown before the choice.
            EXPECT_TRUE(QTest::qWaitFor([&lookup] { return !lookup.Running(); }, 5000));
            CoverShown = !lookup.lblCover->pixmap().isNull();
            lookup.btnFill->click();
        });
        frmMain->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
        QTest::keyClick(frmMain, Qt::Key_L, Qt::ControlModifier);
    }

    QStringList Boxes() const
    {
        return {frmMain->Ui.edtBookname->text(), frmMain->Ui.edtAuthor->text(), frmMain->Ui.edtPublisher->text(),
                frmMain->Ui.edtPublishyear->text()};
    }

    TReplayServer Server;
    qint64 Elapsed = 0;
    QString Line;
    int Found = 0;
    bool CoverShown = false;
};

TEST_F(LookUpIsbnTest, AnIsbnTypedInAddFillsTheBoxesAndShowsTheCoverAndOnlySaveStoresIt)
{
    Server.Answer("/ol/api/books", Recorded("openlibrary-9780261102217.json", 500));
    TReplayAnswer cover;
    QImage picture(60, 90, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QBuffer jpeg(&cover.Body);
    jpeg.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&jpeg, "JPEG"));
    cover.ContentType = "image/jpeg";
    Server.Answer("/covers/b/id/8406786-M.jpg", cover);
    StartWith(Server.Base());

    frmMain->tbtnAddBookClick();
    LookUp(QStringLiteral("0-261-10221-4"));
    EXPECT_LE(Elapsed, 2000) << "a lookup with a 500 ms server delay";
    EXPECT_TRUE(CoverShown);
    EXPECT_EQ(Boxes(), QStringList({"The Hobbit: or There and Back Again", "J.R.R. Tolkien", "HarperCollins", "1996"}));
    EXPECT_EQ(Catalogue().Database().Count(), 2) << "nothing saved unseen";

    frmMain->btnSaveClick();
    ASSERT_EQ(Catalogue().Database().Count(), 3);
    const TDatabase& database = Catalogue().Database();
    const TItem& added = database.ItemAt(database.SlotOf(3));
    EXPECT_EQ(added.Fields[0], "The Hobbit: or There and Back Again");
    EXPECT_EQ(added.Details.Value("isbn"), "9780261102217");
    // The cover fetched is kept beside the database, named in the book's details.
    const std::string kept = Covers::PathOf(database.FileName(), added.Details.Value(FieldTable::CoverKey));
    ASSERT_FALSE(kept.empty());
    EXPECT_FALSE(QImage(QString::fromStdString(kept)).isNull());
    EXPECT_EQ(Server.Requests.size(), 2u);
}

TEST_F(LookUpIsbnTest, AFinnishIsbnIsAnsweredByFinnaWhenOpenLibraryHasNothingAndTheUserChooses)
{
    Server.Answer("/ol/api/books", Recorded("openlibrary-unknown.json"));
    Server.Answer("/finna/v1/search", Recorded("finna-9789510131534.json"));
    StartWith(Server.Base());
    frmMain->tbtnAddBookClick();
    LookUp(QStringLiteral("978-951-0-13153-4"), 1);
    EXPECT_EQ(Found, 2);
    EXPECT_EQ(Line, QStringLiteral("Found by Finna: 2 records, the likeliest first."));
    EXPECT_EQ(Boxes(), QStringList({"Tuntematon sotilas: romaani", "Linna, Väinö; Kärkkäinen, Yrjö",
                                    "Werner Söderström Osakeyhtiö", "2000"}));
}

TEST_F(LookUpIsbnTest, CyrillicLettersAreSavedInTheirClosestFormAndKeptInTheDetailsOnEdit)
{
    Server.Answer("/ol/api/books", Recorded("openlibrary-9785040123452.json"));
    StartWith(Server.Base());
    frmMain->tbtnEditBookClick();
    LookUp(QStringLiteral("9785040123452"));
    frmMain->btnSaveClick();
    const TDatabase& database = Catalogue().Database();
    ASSERT_EQ(database.Count(), 2);
    bool found = false;
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& item = database.ItemAt(slot);
        if (item.Fields[0] != "Master i Margarita")
            continue;
        found = true;
        EXPECT_EQ(item.Fields[1], "Mikhail Bulgakov");
        EXPECT_EQ(item.Details.Value(FieldTable::TitleOwnKey), "Мастер и Маргарита");
        EXPECT_EQ(item.Details.Value("isbn"), "9785040123452");
    }
    EXPECT_TRUE(found);
}

TEST_F(LookUpIsbnTest, WithoutANetworkOneLineAndTheBoxesUntouched)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    StartWith(base);
    frmMain->tbtnEditBookClick();
    const QStringList before = Boxes();
    LookUp(QStringLiteral("9780261102217"));
    EXPECT_TRUE(Line.startsWith(QStringLiteral("No network: Open Library could not be reached (")))
        << Line.toStdString();
    EXPECT_EQ(Found, 0);
    EXPECT_EQ(Boxes(), before);
}

TEST_F(LookUpIsbnTest, OutsideAnEditTheCommandSaysHowAndTheBookDetailsButtonEditsTheShownBook)
{
    Server.Answer("/ol/api/books", Recorded("openlibrary-9780261102217.json"));
    StartWith(Server.Base());
    frmMain->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
    QTest::keyClick(frmMain, Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(Platform.Modal.Opened.isEmpty());
    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_TRUE(Server.Requests.empty());

    // The Book details window's button edits the shown book, its ISBN looked up as the dialog opens.
    const int32_t shown = Rows().CurrentId();
    TDetails details;
    details.Set("isbn", "9780261102217");
    Catalogue().SetDetails(shown, details);
    frmMain->mnuView_BookDetailsClick();
    Platform.Messages.Clear();
    Platform.Modal.Actions.push_back([](QDialog& dialog) {
        auto& lookup = static_cast<TdlgLookUpIsbn&>(dialog);
        ASSERT_TRUE(QTest::qWaitFor([&lookup] { return lookup.btnFill->isEnabled(); }, 10000));
        lookup.btnFill->click();
    });
    frmBookDetails->btnLookUp->click();
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
    EXPECT_TRUE(Run().Editing);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), QStringLiteral("The Hobbit: or There and Back Again"));
    frmMain->btnSaveClick();
    const TDatabase& database = Catalogue().Database();
    EXPECT_EQ(database.ItemAt(database.SlotOf(shown)).Fields[0], "The Hobbit: or There and Back Again");
    EXPECT_EQ(database.ItemAt(database.SlotOf(shown)).Details.Value("isbn"), "9780261102217");
}

TEST_F(LookUpIsbnTest, AStartABrowseAndAnExitMakeNoRequest)
{
    StartWith(Server.Base());
    frmMain->btnNextClick();
    frmMain->btnPreviousClick();
    frmMain->tbtnListViewClick();
    frmMain->tbtnListViewClick();
    frmMain->mnuView_BookDetailsClick();
    Stop();
    QTest::qWait(100);
    EXPECT_TRUE(Server.Requests.empty());
    EXPECT_TRUE(Platform.Network.Refused.isEmpty());
}

} // namespace
