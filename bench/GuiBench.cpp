// Timing of the windows with a full catalogue (1499 books) on the offscreen
// platform: start-up to the main window shown, LoadList + LoadBook(0), one
// Save of an edited book, one search through the search dialog, and a
// show/hide of the browser. Prints the median of each in milliseconds.
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/SearchBooksDialog.h"
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "widgets/BookGrid.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

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
        text += (i % 10 == 0 ? "A Friend\r\n12.11.2026\r\n" : "\r\n\r\n");
        text += "\r\n\r\n";
    }
    return text;
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
    TPlatform::SetMessages(nullptr);
    TPlatform::SetModal(nullptr);
    return 0;
}
