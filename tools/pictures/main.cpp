// volumnia_pictures: makes the manual's pictures of Volumnia's windows from
// the real program at build time. It runs the windows offscreen on a copy of
// the demo books, with a fixed date and time, a fixed locale and Tahoma taken
// as DejaVu Sans, so the pictures come out the same at every build on a
// machine, and saves one PNG per window into the output folder:
//     volumnia_pictures <demo folder> <output folder>
// Every window is opened the way the user opens it (the main window's
// commands), its dialogs through a modal runner that photographs the dialog
// instead of waiting for the user.
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/BookDetailsForm.h"
#include "dialogs/HistoryForm.h"
#include "dialogs/LoanBookDialog.h"
#include "dialogs/LoansForm.h"
#include "dialogs/MergeDialog.h"
#include "dialogs/SearchBooksDialog.h"
#include "platform/gui/Clock.h"
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/MessageLayer.h"
#include "widgets/RunState.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "widgets/BookGrid.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <map>

namespace {

QString OutputFolder;
bool Failed = false;

void Fail(const QString& message)
{
    std::fprintf(stderr, "volumnia_pictures: %s\n", qPrintable(message));
    Failed = true;
}

// The window as it is drawn, without the frame a window manager would add.
void Save(QWidget& window, const QString& name)
{
    const QPixmap picture = window.grab();
    const QString path = OutputFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (picture.isNull() || !picture.save(path, "PNG"))
        Fail(QStringLiteral("cannot save %1").arg(path));
}

class TFixedClock : public IClock {
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 8), QTime(10, 30, 0)); }
};

class TQuietMessages : public IMessageLayer {
public:
    void Information(const QString& text) override { Fail(QStringLiteral("message: ") + text); }
    void Error(const QString& text) override { Fail(QStringLiteral("error: ") + text); }
    bool Question(const QString&) override { return false; }
};

// A dialog is shown, filled in by the picture's preparation when it has one,
// photographed under its window title's picture name, and closed unused.
class TPhotographingModal : public IModalRunner {
public:
    std::map<QString, QString> Names;                              // window title -> picture name
    std::map<QString, std::function<void(QDialog&)>> Preparations; // window title -> filling in
    int Exec(QDialog& dialog) override
    {
        dialog.show();
        QCoreApplication::processEvents();
        const QString title = dialog.windowTitle();
        if (auto preparation = Preparations.find(title); preparation != Preparations.end())
            preparation->second(dialog);
        QCoreApplication::processEvents();
        if (auto name = Names.find(title); name != Names.end())
            Save(dialog, name->second);
        else
            Fail(QStringLiteral("no picture named for the window \"%1\"").arg(title));
        dialog.hide();
        return QDialog::Rejected;
    }
};

bool CopyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
}

// The main window with the browser beside it, for the README.
void SaveMainAndBrowser()
{
    const QPixmap main = frmMain->grab();
    const QPixmap browser = frmBookBrowser->grab();
    constexpr int gap = 12;
    QPixmap both(main.width() + gap + browser.width(), std::max(main.height(), browser.height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, main);
    painter.drawPixmap(main.width() + gap, 0, browser);
    painter.end();
    const QString path = OutputFolder + QStringLiteral("/main-and-browser.png");
    if (!both.save(path, "PNG"))
        Fail(QStringLiteral("cannot save %1").arg(path));
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuardedApplication app(argc, argv);
    if (argc != 3) {
        Fail(QStringLiteral("usage: volumnia_pictures <demo folder> <output folder>"));
        return 2;
    }
    TGuardedApplication::setApplicationName(QStringLiteral("Volumnia"));
    TGuardedApplication::setQuitOnLastWindowClosed(false);
    // The same face and texts on every machine that has the DejaVu fonts.
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
    QFont face(QStringLiteral("DejaVu Sans"), 8);
    TGuardedApplication::setFont(face);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));

    const QString demo = QString::fromLocal8Bit(argv[1]);
    OutputFolder = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(OutputFolder)) {
        Fail(QStringLiteral("cannot make %1").arg(OutputFolder));
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid() || !CopyFile(demo + QStringLiteral("/volumnia.kelt"), folder.filePath("volumnia.kelt")) ||
        !CopyFile(demo + QStringLiteral("/books.orbl"), folder.filePath("books.orbl"))) {
        Fail(QStringLiteral("cannot copy the demo books from %1").arg(demo));
        return 1;
    }
    QDir::setCurrent(folder.path());

    TFixedClock clock;
    TQuietMessages messages;
    TPhotographingModal modal;
    TPlatform::SetClock(&clock);
    TPlatform::SetMessages(&messages);
    TPlatform::SetModal(&modal);
    modal.Names = {
        {QStringLiteral("Loan book"), QStringLiteral("loan")},
        {QStringLiteral("Search"), QStringLiteral("search")},
        {QStringLiteral("Edit several"), QStringLiteral("edit-several")},
        {QStringLiteral("Poista useita"), QStringLiteral("remove-several")},
        {QStringLiteral("Database settings"), QStringLiteral("database-settings")},
        {QStringLiteral("About Volumnia"), QStringLiteral("about")},
        {QStringLiteral("Print"), QStringLiteral("print")},
        {QStringLiteral("Format settings"), QStringLiteral("print-format")},
        {QStringLiteral("Merge"), QStringLiteral("merge")},
    };
    modal.Preparations[QStringLiteral("Loan book")] = [](QDialog&) {
        dlgLoanBook->edtLoaner->setText(QStringLiteral("Anna Berg"));
        dlgLoanBook->btnGetdate->click();
    };
    modal.Preparations[QStringLiteral("Search")] = [](QDialog&) {
        dlgSearchBooks->edtSearchstring->setText(QStringLiteral("Dickens"));
        dlgSearchBooks->rbtAuthor->setChecked(true);
    };
    {
        TApplicationWindows windows;
        if (!windows.Started()) {
            Fail(QStringLiteral("Volumnia did not start on the demo books"));
            return 1;
        }
        frmMain->show();
        QCoreApplication::processEvents();
        // The main window shows the first book on loan, with its loan data.
        for (int row = 0; row < frmBookBrowser->BookList->RowCount(); ++row) {
            if (!frmBookBrowser->BookList->Cell(row, 0).isEmpty()) {
                frmMain->Ui.edtCurrentItem->setText(QString::number(row + 1));
                break;
            }
        }
        QCoreApplication::processEvents();
        Save(*frmMain, QStringLiteral("main-window"));
        Save(*frmBookBrowser, QStringLiteral("browser"));
        SaveMainAndBrowser();

        frmMain->tbtnLoanBookClick();
        frmMain->tbtnSearchClick();
        frmMain->mnuDatabase_EditSeveralClick();
        frmMain->mnuDatabase_RemoveSeveralClick();
        frmMain->mnuDatabase_SettingsClick();
        frmMain->mnuHelp_AboutClick();
        frmMain->tbtnPrintClick();
        TPlatform::Modal().Exec(dlgPrintSettings.Dialog());
        frmMain->mnuView_LoansClick();
        QCoreApplication::processEvents();
        Save(*frmLoans, QStringLiteral("loans"));
        frmLoans->hide();
        // A few changes for the History window: a book lent and one removed.
        TCatalogue& catalogue = windows.Catalogue();
        catalogue.Lend(catalogue.Database().ItemAt(0).ID, "Anna Berg", "8.12.2026");
        catalogue.Remove(catalogue.Database().ItemAt(1).ID);
        frmMain->mnuView_HistoryClick();
        QCoreApplication::processEvents();
        Save(*frmHistory, QStringLiteral("history"));
        frmHistory->hide();
        // The first book given the details a reader records, then shown in
        // the Book details window.
        TDetails details;
        details.Set("isbn", "9780140441468");
        details.Set("series", "Penguin Classics");
        details.Set("series_number", "12");
        details.Set("tags", "drama, classics");
        details.Set("status", "read");
        details.Set("finished", "2026-11-30");
        details.Set("rating", "4");
        details.Set("language", "English");
        catalogue.SetDetails(catalogue.Database().ItemAt(0).ID, details);
        frmMain->mnuView_BookDetailsClick();
        QCoreApplication::processEvents();
        Save(*frmBookDetails, QStringLiteral("book-details"));
        frmBookDetails->hide();
        // The clashes of a merge with a laptop's copy: a publisher and a loan
        // changed on both computers.
        TItem ours = catalogue.Database().ItemAt(2);
        TItem theirs = ours;
        ours.Fields[2] = "Otava";
        theirs.Fields[2] = "WSOY";
        TItem lent = catalogue.Database().ItemAt(3);
        TItem lentThere = lent;
        lent.Fields[6] = "Anna Berg";
        lent.Fields[7] = "1.12.2026";
        lentThere.Fields[6] = "Eero Aho";
        lentThere.Fields[7] = "3.12.2026";
        std::vector<Merge::TClash> clashes = {{ours.ID, "publisher", ours, theirs, false},
                                              {lent.ID, "loan", lent, lentThere, true}};
        TdlgMerge merge(clashes, QStringLiteral("books.sync-conflict-20261208-101010-LAPTOP7.orbl"), frmMain);
        TPlatform::Modal().Exec(merge);
        windows.Run().Ending = true; // the run ends here, as after Exit
    }
    TPlatform::SetModal(nullptr);
    TPlatform::SetMessages(nullptr);
    TPlatform::SetClock(nullptr);
    return Failed ? 1 : 0;
}
