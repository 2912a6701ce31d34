// Timing of the scan line over a full catalogue: 1499 books, each with an
// ISBN in its details, one of them lent. Printed in milliseconds (medians):
// the scan window's first opening (its ISBN index built), a scan answered
// (the EAN-13 typed as a scanner types it, then Enter), and a scan right
// after a change the index follows.
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/ScanIsbnForm.h"
#include "engine/Catalogue.h"
#include "engine/DetailsFile.h"
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class TSilentMessages : public IMessageLayer {
public:
    void Information(const QString&) override {}
    void Error(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool Question(const QString&) override { return true; }
};

void WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        std::abort();
}

std::string IsbnOf(int id)
{
    std::string isbn = "978" + std::to_string(100000000 + id);
    int sum = 0;
    for (size_t i = 0; i < isbn.size(); ++i)
        sum += (isbn[i] - '0') * (i % 2 == 0 ? 1 : 3);
    return isbn + std::to_string((10 - sum % 10) % 10);
}

// A key pressed and let go in the box, as a scanner's keyboard sends it.
void Key(QWidget* box, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &press);
    QCoreApplication::sendEvent(box, &release);
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuardedApplication app(argc, argv);
    TSilentMessages messages;
    TPlatform::SetMessages(&messages);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    std::string settings = "CurrentIndex\r\n1499\r\nvInteger\r\nMF_X\r\n300\r\nvInteger\r\nMF_Y\r\n300\r\nvInteger\r\n"
                           "LV_X\r\n100\r\nvInteger\r\nLV_Y\r\n100\r\nvInteger\r\nAlwaysOnTop\r\nfalse\r\nvString\r\n"
                           "SortMethod\r\nByName\r\nvString\r\norbl_databasefile\r\nbooks.orbl\r\nvString\r\n";
    const char* aliases[] = {
        "Book title", "Book author", "Publisher",    "Year published", "Other information (1)", "Other information (2)",
        "Loaner",     "Date loaned", "Reserved (8)", "Reserved (9)"};
    for (int i = 0; i < 10; ++i)
        settings += "orbl_alias" + std::to_string(i) + "\r\n" + aliases[i] + "\r\nvString\r\n";
    WriteFile("volumnia.kelt", settings);
    std::string books;
    std::vector<TDetailsRow> rows;
    for (int id = 1; id <= 1499; ++id) {
        TItem book;
        book.ID = id;
        book.Fields[0] = "Title of book " + std::to_string(id);
        book.Fields[1] = "Author " + std::to_string(id % 97);
        book.Fields[2] = "Publisher";
        book.Fields[3] = std::to_string(1900 + id % 120);
        if (id == 1234) {
            book.Fields[6] = "Anna";
            book.Fields[7] = "01/02/2004";
        }
        books += std::to_string(id) + "\r\n";
        for (const std::string& field : book.Fields)
            books += field + "\r\n";
        TDetails details;
        details.Set("isbn", IsbnOf(id));
        rows.push_back({id, DetailsFile::Fingerprint(book), details});
    }
    WriteFile("books.orbl", books);
    WriteFile(QString::fromStdString(DetailsFile::FileNameFor("books.orbl")), DetailsFile::Format(rows));

    TApplicationWindows windows;
    frmMain->show();
    QCoreApplication::processEvents();

    QElapsedTimer opening;
    opening.start();
    frmMain->mnuView_ScanIsbnClick();
    QCoreApplication::processEvents();
    std::printf("scan window first opened (index of 1499) %8.2f ms\n", double(opening.nsecsElapsed()) / 1e6);

    const auto scan = [](const std::string& isbn) {
        frmScanIsbn->edtScan->clear();
        for (const char digit : isbn)
            Key(frmScanIsbn->edtScan, Qt::Key_0 + (digit - '0'), QString(QLatin1Char(digit)));
        QElapsedTimer timer;
        timer.start();
        Key(frmScanIsbn->edtScan, Qt::Key_Return, QStringLiteral("\r"));
        QCoreApplication::processEvents();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    std::vector<double> samples;
    for (int run = 0; run < 101; ++run)
        samples.push_back(scan(IsbnOf(1234)));
    std::printf("scan -> answer, book lent                %8.3f ms   %s\n", Median(samples),
                qPrintable(frmScanIsbn->lblAnswer->text()));
    samples.clear();
    for (int run = 0; run < 101; ++run)
        samples.push_back(scan("9780307404923"));
    std::printf("scan -> answer, not in the catalogue     %8.3f ms\n", Median(samples));
    samples.clear();
    for (int run = 0; run < 21; ++run) {
        TDetails details;
        details.Set("isbn", run % 2 == 0 ? "9780307404923" : IsbnOf(7));
        QElapsedTimer timer;
        timer.start();
        windows.Catalogue().SetDetails(7, details);
        const double saved = double(timer.nsecsElapsed()) / 1e6;
        samples.push_back(saved + scan("9780307404923"));
    }
    std::printf("ISBN changed and saved, then scanned     %8.3f ms (the save included)\n", Median(samples));
    return 0;
}
