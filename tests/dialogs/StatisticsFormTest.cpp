// The Statistics window, opened with its key on the demo catalogue and on
// books lent and returned: the decades as a plain loop counts them, a bar
// chosen with the keyboard and the mouse listing exactly its books in the
// browser, Copy, the loans per borrower following each change through the
// history, and its place in its own keys where places are known.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/StatisticsForm.h"
#include "engine/Catalogue.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/gui/DesktopWindow.h"
#include "tests/support/AppFixture.h"
#include "widgets/BarChart.h"
#include "widgets/RunState.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <map>

namespace {

class StatisticsFormTest : public TAppFixture {
protected:
    void StartWith(const std::vector<TItem>& books)
    {
        WriteFiles(books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
    }
    // Opens the window with its key, as the user does.
    TfrmStatistics& Open()
    {
        frmMain->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frmMain));
        QTest::keyClick(frmMain, Qt::Key_T, Qt::ControlModifier);
        EXPECT_TRUE(frmStatistics.Made() && frmStatistics->isVisible());
        return *frmStatistics;
    }
    // The table beside the chart: label -> first number, as shown.
    static std::map<QString, QString> Shown(const TfrmStatistics& window)
    {
        const QAbstractItemModel& model = *window.lstNumbers->model();
        std::map<QString, QString> rows;
        for (int r = 0; r < model.rowCount(); ++r)
            rows[model.index(r, 0).data().toString()] = model.index(r, 1).data().toString();
        return rows;
    }
    static int RowOf(const TfrmStatistics& window, const QString& label)
    {
        const QAbstractItemModel& model = *window.lstNumbers->model();
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.index(r, 0).data().toString() == label)
                return r;
        return -1;
    }
    std::vector<int32_t> Listed()
    {
        std::vector<int32_t> ids;
        for (int32_t row = 0; row < Rows().Count(); ++row)
            ids.push_back(Rows().IdAt(row));
        std::sort(ids.begin(), ids.end());
        return ids;
    }
};

TEST_F(StatisticsFormTest, DecadesOfTheDemoAsThePlainLoopAndThe1860sBarListsExactlyItsBooks)
{
    QFile demo(QStringLiteral(VOLUMNIA_SOURCE_DIR "/resources/demo/books.orbl"));
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    WriteFiles({});
    Folder.WriteFile("books.orbl", demo.readAll().toStdString());
    ASSERT_TRUE(Start());
    Platform.Messages.Clear();
    EXPECT_FALSE(frmStatistics.Made()); // start-up does not pay for it
    TfrmStatistics& window = Open();
    ASSERT_TRUE(window.ShowChart(QStringLiteral("Books by decade")));

    std::map<QString, QString> decades;
    std::map<QString, std::vector<int32_t>> books;
    const TDatabase& database = Catalogue().Database();
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const std::string& year = database.ItemAt(slot).Fields[3];
        const QString decade =
            year.empty() ? QStringLiteral("No year") : QString::fromStdString(year.substr(0, 3) + "0s");
        books[decade].push_back(database.ItemAt(slot).ID);
        decades[decade] = QString::number(books[decade].size());
    }
    EXPECT_EQ(Shown(window), decades);
    for (auto& [decade, ids] : books)
        std::sort(ids.begin(), ids.end());

    // The keyboard: to the 1860s bar and Enter; the browser lists its books.
    frmMain->tbtnListViewClick(); // hidden: the choice shows it again
    ASSERT_FALSE(Run().BrowserShown());
    const int row = RowOf(window, QStringLiteral("1860s"));
    ASSERT_GT(row, 0);
    window.Chart->setFocus();
    QTest::keyClick(window.Chart, Qt::Key_Home);
    for (int r = 0; r < row; ++r)
        QTest::keyClick(window.Chart, Qt::Key_Down);
    EXPECT_EQ(window.lstNumbers->currentIndex().row(), row); // the table follows the chart
    QTest::keyClick(window.Chart, Qt::Key_Return);
    EXPECT_EQ(Listed(), books[QStringLiteral("1860s")]);
    EXPECT_EQ(Listed(), (std::vector<int32_t>{4, 6, 15, 17}));
    EXPECT_TRUE(Run().BrowserShown());
    EXPECT_TRUE(Platform.Messages.Boxes.empty());

    // The mouse: a click on the 1810s bar.
    const int other = RowOf(window, QStringLiteral("1810s"));
    QTest::mouseClick(window.Chart, Qt::LeftButton, {}, window.Chart->RowRect(other).center());
    EXPECT_EQ(Listed(), books[QStringLiteral("1810s")]);

    window.btnCopy->click();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith(QStringLiteral("Decade\tBooks\n1470s\t1\n"))) << copied.toStdString();
    EXPECT_TRUE(copied.contains(QStringLiteral("\n1860s\t4\n")));

    // Drawn whole at the scale the test runs with.
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(window.rect().contains(control->geometry())) << control->objectName().toStdString();
    const QPixmap picture = window.grab();
    EXPECT_EQ(picture.deviceIndependentSize().toSize(), window.size());
}

TEST_F(StatisticsFormTest, LoansPerBorrowerFollowEveryChangeThroughTheHistory)
{
    // Dune is out to Ann since before the history.
    StartWith({Book(1, "Dune", "Herbert", "Chilton", "1965", "Ann", "01/03/2004"),
               Book(2, "Emma", "Austen", "Murray", "1815"), Book(3, "Ivanhoe", "Scott", "Constable", "1819")});
    TfrmStatistics& window = Open();
    ASSERT_TRUE(window.ShowChart(QStringLiteral("Loans by borrower")));
    EXPECT_EQ(Shown(window), (std::map<QString, QString>{{"Ann", "1"}}));

    Catalogue().Return(1);
    Catalogue().Lend(1, "Bob", "02/03/2004");
    Catalogue().Lend(2, "Ann", "03/03/2004");
    EXPECT_EQ(Shown(window), (std::map<QString, QString>{{"Ann", "2"}, {"Bob", "1"}}));
    EXPECT_TRUE(window.lblSummary->text().startsWith(QStringLiteral("3 books; 2 on loan")))
        << window.lblSummary->text().toStdString();

    // Ann's books, though Dune is Bob's now; not while the main window edits.
    const int ann = RowOf(window, QStringLiteral("Ann"));
    Run().Editing = true;
    window.ChooseRow(ann);
    EXPECT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(Rows().Count(), 3);
    Run().Editing = false;
    window.ChooseRow(ann);
    EXPECT_EQ(Listed(), (std::vector<int32_t>{1, 2}));
    window.btnNeverLent->click();
    EXPECT_EQ(Listed(), (std::vector<int32_t>{3}));
}

// Also run on weston by the Wayland tier (tests/desktop/wayland.py), where no
// key reaches the program and a window's place is not known: opened from its
// menu item, the window draws whole and stores a place only where places are known.
TEST_F(StatisticsFormTest, OpensDrawnWholeAndKeepsItsPlaceOnlyWherePlacesAreKnown)
{
    StartWith({Book(1, "Dune", "Herbert", "Chilton", "1965")});
    frmMain->Ui.mnuView_Statistics->trigger();
    TfrmStatistics& window = *frmStatistics;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(Shown(window), (std::map<QString, QString>{{"Herbert", "1"}}));
    EXPECT_EQ(window.grab().deviceIndependentSize().toSize(), window.size());
    window.move(140, 160);
    window.close();
    std::string value;
    EXPECT_EQ(SettingOnDisk("ST_X", value), DesktopWindow::PositionsKnown());
    if (DesktopWindow::PositionsKnown()) {
        EXPECT_EQ(value, std::to_string(window.x()));
        EXPECT_TRUE(SettingOnDisk("ST_Y", value));
    }
}

} // namespace
