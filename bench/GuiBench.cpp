// Timing of the windows with a full catalogue (1499 books) on the offscreen
// platform: start-up to the main window shown, LoadList + LoadBook(0), one
// Save of an edited book, one search through the search dialog, and a
// show/hide of the browser, a keystroke in the browser's find line (target:
// 16 ms, the repaint included), the Loans window (200 books on loan): its
// first opening, a reopening and a rebuild of its list (target: 20 ms each),
// an undo of a Remove several of every book with the windows following it,
// and the History window over a history at its size limit: its first opening
// and a reopening, each with the list filled (target: 50 ms each), and a
// Down in the browser while it lists only the book shown, and "next book"
// with the Book details window open over books with every detail (target:
// 16 ms), and the same over books that each have a cover, 600 pixels high,
// shown in that window (target: 16 ms).
// Prints the median of each in milliseconds (the first opening is one run).
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/BookDetailsForm.h"
#include "dialogs/HistoryForm.h"
#include "dialogs/LoansForm.h"
#include "dialogs/SearchBooksDialog.h"
#include "engine/Catalogue.h"
#include "engine/Covers.h"
#include "engine/DetailsFile.h"
#include "engine/DueDates.h"
#include "engine/History.h"
#include "engine/LoanHistory.h"
#include "engine/ORBL.h"
#include "platform/gui/Clock.h"
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "widgets/BookGrid.h"
#include "widgets/CoverImage.h"
#include "widgets/CoverPanel.h"
#include "widgets/LoanListModel.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

class TFixedClock : public IClock {
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 8), QTime(12, 0)); }
};

class TSilentMessages : public IMessageLayer {
public:
    void Information(const QString&) override {}
    void Error(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool Question(const QString&) override { return true; }
};

// Runs a dialog by showing it and pressing its default action, if one is set.
class TDrivenModal : public IModalRunner {
public:
    std::function<void(QDialog&)> Action;
    int Exec(QDialog& dialog) override
    {
        dialog.show();
        if (Action)
            Action(dialog);
        dialog.hide();
        return 0;
    }
};

void WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        std::abort();
}

std::string Settings()
{
    const char* rows[][3] = {
        {"AlwaysOnTop", "false", "vString"},
        {"CurrentIndex", "1499", "vInteger"},
        {"MF_X", "300", "vInteger"},
        {"MF_Y", "300", "vInteger"},
        {"LV_X", "100", "vInteger"},
        {"LV_Y", "100", "vInteger"},
        {"SortMethod", "ByName", "vString"},
        {"orbl_databasefile", "books.orbl", "vString"},
        {"orbl_alias0", "Book title", "vString"},
        {"orbl_alias1", "Book author", "vString"},
        {"orbl_alias2", "Publisher", "vString"},
        {"orbl_alias3", "Year published", "vString"},
        {"orbl_alias4", "Other information (1)", "vString"},
        {"orbl_alias5", "Other information (2)", "vString"},
        {"orbl_alias6", "Loaner", "vString"},
        {"orbl_alias7", "Date loaned", "vString"},
        {"orbl_alias8", "Reserved (8)", "vString"},
        {"orbl_alias9", "Reserved (9)", "vString"},
    };
    std::string text;
    for (const auto& row : rows)
        text += std::string(row[0]) + "\r\n" + row[1] + "\r\n" + row[2] + "\r\n";
    return text;
}

std::string Books(int count)
{
    static const char* authors[] = {"Jane Austen",  "Charles Dickens", "Leo Tolstoy", "Herbert George Wells",
                                    "Mary Shelley", "Victor Hugo",     "Franz Kafka", "Aleksis Kivi"};
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += std::to_string(i) + "\r\n";
        text += "The collected works and letters, volume " + std::to_string(i) + "\r\n";
        text += std::string(authors[i % 8]) + "\r\n";
        text += "Publisher number " + std::to_string(i % 37) + " & Sons\r\n";
        text += std::to_string(1800 + i % 200) + "\r\n";
        text += "Bought at an auction, good condition\r\n\r\n";
        // 200 books on loan, on dates spread over two years in the Finnish
        // short format, one in ten of them a date that does not read.
        if (i % 7 == 0 && i <= 1400) {
            text += "A Friend " + std::to_string(i % 23) + "\r\n";
            text += i % 70 == 0 ? std::string("last spring")
                                : std::to_string(1 + i % 28) + "." + std::to_string(1 + i % 12) + "." +
                                      std::to_string(2025 + i % 2);
            text += "\r\n";
        } else {
            text += "\r\n\r\n";
        }
        text += "\r\n\r\n";
    }
    return text;
}

// A history as a long use of the catalogue leaves it, just below the size
// at which the oldest entries go: mostly edits of one book, loans and
// returns, a book removed now and then, and a Remove several of 20 books
// among every 200 changes.
std::string FullHistory(const std::vector<TItem>& books)
{
    std::string content;
    for (size_t i = 0;; ++i) {
        const TItem& book = books[(i * 37) % books.size()];
        TItem changed = book;
        THistoryEntry entry{int64_t(1700000000000) + int64_t(i) * 3600000, "Volumnia", {}};
        if (i % 200 == 199) {
            entry.Change.Kind = TBookChangeKind::RemovedWhere;
            for (size_t k = 0; k < 20; ++k) {
                const TItem& removed = books[(i + k * 71) % books.size()];
                entry.Change.Books.push_back({removed.ID, removed, std::nullopt});
            }
        } else if (i % 10 < 6) {
            changed.Fields[4] = "Bought at an auction, revised " + std::to_string(i);
            entry.Change = {TBookChangeKind::Updated, {{book.ID, book, changed}}};
        } else if (i % 10 < 8) {
            changed.Fields[6] = "A Friend " + std::to_string(i % 23);
            changed.Fields[7] = "8.12.2026";
            entry.Change = {TBookChangeKind::Lent, {{book.ID, book, changed}}};
        } else if (i % 10 < 9) {
            changed.Fields[7].clear();
            entry.Change = {TBookChangeKind::Returned, {{book.ID, book, changed}}};
        } else {
            entry.Change = {TBookChangeKind::Removed, {{book.ID, book, std::nullopt}}};
        }
        const std::string line = THistory::Encode(entry);
        if (content.size() + line.size() > THistory::DefaultSizeLimit)
            return content;
        content += line;
    }
}

// Every detail of the field table for each book, kept for it as it stands.
std::string FullDetails(const std::vector<TItem>& books, const std::vector<std::string>& covers = {})
{
    std::vector<TDetailsRow> rows;
    for (const TItem& book : books) {
        std::string isbn = "978" + std::to_string(100000000 + book.ID);
        int sum = 0;
        for (size_t i = 0; i < isbn.size(); ++i)
            sum += (isbn[i] - '0') * (i % 2 == 0 ? 1 : 3);
        isbn += std::to_string((10 - sum % 10) % 10);
        TDetails details;
        details.Set("isbn", isbn);
        details.Set("title_own", "Собрание сочинений, том " + std::to_string(book.ID));
        details.Set("author_own", "Толстой Лев Николаевич");
        details.Set("series", "Collected works " + std::to_string(book.ID % 40));
        details.Set("series_number", std::to_string(book.ID % 30 + 1));
        details.Set("tags", "classics, letters, shelf " + std::to_string(book.ID % 12));
        details.Set("status", "read");
        details.Set("started", "2025-01-" + std::to_string(10 + book.ID % 18));
        details.Set("finished", "2025-02-" + std::to_string(10 + book.ID % 18));
        details.Set("rating", std::to_string(book.ID % 6));
        details.Set("language", "Russian");
        details.Set("copies", "2");
        details.Set("location", "Study, case " + std::to_string(book.ID % 9));
        if (!covers.empty())
            details.Set("cover", covers[static_cast<size_t>(book.ID - 1) % covers.size()]);
        rows.push_back({book.ID, DetailsFile::Fingerprint(book), details});
    }
    return DetailsFile::Format(rows);
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template <typename F> double Time(int runs, F&& work)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return Median(samples);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer sinceMain;
    sinceMain.start();
    TGuardedApplication app(argc, argv);
    const double applicationMade = double(sinceMain.nsecsElapsed()) / 1e6;
    TGuardedApplication::setApplicationDisplayName(QStringLiteral("Volumnia"));
    TSilentMessages messages;
    TDrivenModal modal;
    TFixedClock clock;
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    TPlatform::SetClock(&clock);
    TPlatform::SetMessages(&messages);
    TPlatform::SetModal(&modal);

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    WriteFile("volumnia.kelt", Settings());
    WriteFile("books.orbl", Books(1499));

    std::vector<double> startups;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        {
            TApplicationWindows windows;
            frmMain->show();
            QCoreApplication::processEvents();
            startups.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        WriteFile("books.orbl", Books(1499));
    }
    std::printf("application object made (from main)  %8.2f ms\n", applicationMade);
    std::printf("start-up to main window shown        %8.2f ms\n", Median(startups));

    TApplicationWindows windows;
    frmMain->show();
    QCoreApplication::processEvents();
    std::printf("LoadList + LoadBook(0)               %8.2f ms\n", Time(21, [] {
                    frmMain->LoadList();
                    frmMain->LoadBook(0);
                }));
    std::printf("Save of an edited book               %8.2f ms\n", Time(21, [] {
                    frmMain->tbtnEditBookClick();
                    frmMain->Ui.edtPublishyear->setText(QStringLiteral("1901"));
                    frmMain->btnSaveClick();
                }));
    modal.Action = [](QDialog&) {
        dlgSearchBooks->rbtAuthor->setChecked(true);
        dlgSearchBooks->edtSearchstring->setText(QStringLiteral("dickens"));
        dlgSearchBooks->btnSearchClick();
    };
    const double search = Time(21, [] { frmMain->tbtnSearchClick(); });
    std::printf("search (dialog, %d books found)      %8.2f ms\n", frmBookBrowser->BookList->RowCount(), search);
    std::printf("show/hide of the browser             %8.2f ms\n", Time(21, [] {
                                                                       frmMain->tbtnListViewClick();
                                                                       frmMain->tbtnListViewClick();
                                                                   }) / 2);
    frmMain->tbtnRefreshClick(); // the whole list back after the search

    // Each keystroke of a find typed letter by letter, then taken back: the
    // rows narrowed, the grid and the main window repainted.
    frmMain->Ui.mnuView_FindBooks->trigger();
    const QString typed = QStringLiteral("dickens great");
    std::vector<double> keystrokes;
    for (int run = 0; run < 5; ++run)
        for (int length = 1; length <= typed.size() * 2; ++length) {
            const int shown = length <= typed.size() ? length : typed.size() * 2 - length;
            QElapsedTimer timer;
            timer.start();
            frmBookBrowser->edtFind->setText(typed.left(shown));
            QCoreApplication::processEvents();
            keystrokes.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    std::printf("find line, one keystroke (median)    %8.2f ms\n", Median(keystrokes));
    std::printf("find line, one keystroke (slowest)   %8.2f ms\n",
                *std::max_element(keystrokes.begin(), keystrokes.end()));
    frmBookBrowser->EndFind();

    // Each opening is timed from a quiet event queue: the browser's repaint
    // after a refill is the browser's cost, not the Loans window's.
    QCoreApplication::processEvents();
    QElapsedTimer firstOpen;
    firstOpen.start();
    frmMain->mnuView_LoansClick();
    QCoreApplication::processEvents();
    const double opened = double(firstOpen.nsecsElapsed()) / 1e6;
    std::printf("Loans window, first opening (%d loans) %7.2f ms\n", frmLoans->Model().rowCount(), opened);
    std::vector<double> reopenings;
    for (int run = 0; run < 21; ++run) {
        frmLoans->close();
        frmMain->LoadList(); // a change while it is hidden: rebuilt when shown
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        frmMain->mnuView_LoansClick();
        QCoreApplication::processEvents();
        reopenings.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("Loans window, reopening after a change %6.2f ms\n", Median(reopenings));
    std::printf("Loans window, rebuild of its list    %8.2f ms\n", Time(21, [] { frmLoans->Refresh(); }));
    std::printf("LoadList with the Loans window shown %8.2f ms\n", Time(21, [] { frmMain->LoadList(); }));

    // Every loan with a due date, and a history of ten loans and returns of
    // each book on loan besides the adds of all books.
    const TDatabase& database = windows.Catalogue().Database();
    std::vector<TItem> now;
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        now.push_back(database.ItemAt(slot));
    for (const TItem& book : now) {
        if (!book.Fields[7].empty())
            windows.Dues().SetDue(book, QDate(2024, 3, 1).addDays(book.ID % 60));
    }
    std::printf("Loans window, rebuild with due dates  %7.2f ms\n", Time(21, [] { frmLoans->Refresh(); }));
    std::vector<THistoryEntry> history;
    for (const TItem& book : now)
        history.push_back({0, "Volumnia", {TBookChangeKind::Added, {{book.ID, std::nullopt, book}}}});
    for (int round = 0; round < 10; ++round) {
        for (const TItem& book : now) {
            if (book.Fields[7].empty())
                continue;
            TItem returned = book;
            returned.Fields[7].clear();
            history.push_back({round, "Volumnia", {TBookChangeKind::Lent, {{book.ID, returned, book}}}});
            history.push_back({round, "Volumnia", {TBookChangeKind::Returned, {{book.ID, book, returned}}}});
        }
    }
    std::printf("a book's loan history (%zu entries)  %7.2f ms\n", history.size(), Time(21, [&] {
                    const auto loans = LoanHistory::All(history, now);
                    (void)LoanHistory::OfBook(loans, 7);
                    (void)LoanHistory::OfLoaner(loans, now[6].Fields[6]);
                }));

    // An undo of a Remove several of every book through the main window's
    // command, with the windows following it (the rows refilled, the main
    // window, the browser and the Loans window shown anew). The history is
    // started afresh each time, so no run trims it.
    std::vector<double> undos;
    for (int run = 0; run < 11; ++run) {
        QFile::remove(QString::fromStdString(THistory::FileNameFor("books.orbl")));
        windows.Catalogue().RemoveWhere("Reserved (8)", "");
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        frmMain->mnuDatabase_UndoClick();
        QCoreApplication::processEvents();
        undos.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("Undo of Remove several (%d books), windows following %6.2f ms\n", database.Count(), Median(undos));

    // The History window reads the history whenever it is shown.
    WriteFile(QString::fromStdString(THistory::FileNameFor("books.orbl")), FullHistory(now));
    frmMain->activateWindow();
    QCoreApplication::processEvents();
    QElapsedTimer historyOpen;
    historyOpen.start();
    frmMain->mnuView_HistoryClick();
    QCoreApplication::processEvents();
    const double historyOpened = double(historyOpen.nsecsElapsed()) / 1e6;
    std::printf("History window, first opening (%d changes) %6.2f ms\n", frmHistory->ListedCount(), historyOpened);
    std::vector<double> historyReopenings;
    for (int run = 0; run < 21; ++run) {
        frmHistory->close();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        frmMain->mnuView_HistoryClick();
        QCoreApplication::processEvents();
        historyReopenings.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("History window, reopening            %8.2f ms\n", Median(historyReopenings));

    // Down in the browser while the History window lists only the book shown:
    // each step shows the next book and lists its changes anew.
    frmHistory->chkShownBook->setChecked(true);
    if (!frmBookBrowser->isVisible())
        frmMain->tbtnListViewClick();
    frmBookBrowser->BookList->setFocus();
    QCoreApplication::processEvents();
    std::vector<double> steps;
    for (int run = 0; run < 41; ++run) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QElapsedTimer timer;
        timer.start();
        QCoreApplication::sendEvent(frmBookBrowser->BookList, &down);
        QCoreApplication::processEvents();
        steps.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("Down in the browser, History filtered (row %d) %6.2f ms\n", frmBookBrowser->BookList->SelectedRow(),
                Median(steps));

    // ">" in the main window over books with every detail, without and with
    // the Book details window open: the main window, the browser and the
    // details window show the next book.
    frmHistory->close();
    WriteFile(QString::fromStdString(DetailsFile::FileNameFor("books.orbl")), FullDetails(now));
    windows.Catalogue().Reload();
    frmMain->tbtnRefreshClick();
    QCoreApplication::processEvents();
    const auto nextBook = [] {
        std::vector<double> samples;
        for (int run = 0; run < 41; ++run) {
            QElapsedTimer timer;
            timer.start();
            frmMain->btnNextClick();
            QCoreApplication::processEvents();
            samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        return Median(samples);
    };
    std::printf("next book, full details, window closed %6.2f ms\n", nextBook());
    frmMain->mnuView_BookDetailsClick();
    QCoreApplication::processEvents();
    const int loads = frmBookDetails->LoadCount();
    const double withDetails = nextBook();
    std::printf("next book, Book details window open  %8.2f ms (%d books shown there, ISBN %s)\n", withDetails,
                frmBookDetails->LoadCount() - loads, qPrintable(frmBookDetails->BoxOf("isbn")->Edit->text()));

    // Every book with a cover of its own, as a scan kept at 400 x 600 pixels:
    // the details window reads and shows the next book's at each step.
    std::vector<std::string> covers;
    for (const TItem& book : now) {
        QImage scan(400, 600, QImage::Format_RGB32);
        QPainter painter(&scan);
        painter.fillRect(scan.rect(), QColor::fromHsv(book.ID * 37 % 360, 160, 200));
        painter.drawText(scan.rect(), Qt::AlignCenter, QString::number(book.ID));
        painter.end();
        covers.push_back(Covers::Store("books.orbl", book.ID, CoverImage::Jpeg(scan)));
    }
    WriteFile(QString::fromStdString(DetailsFile::FileNameFor("books.orbl")), FullDetails(now, covers));
    windows.Catalogue().Reload();
    frmMain->tbtnRefreshClick();
    QCoreApplication::processEvents();
    const int coverLoads = frmBookDetails->LoadCount();
    const double withCovers = nextBook();
    std::printf("next book, cover shown                %8.2f ms (%d books shown, cover %s)\n", withCovers,
                frmBookDetails->LoadCount() - coverLoads,
                frmBookDetails->Cover->imgCover->pixmap().isNull() ? "missing" : "shown");

    TPlatform::SetClock(nullptr);
    TPlatform::SetMessages(nullptr);
    TPlatform::SetModal(nullptr);
    return 0;
}
