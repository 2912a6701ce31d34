// Printing through a real print server: a private cupsd started here, with
// its configuration, socket, spool and logs in a temporary folder, and queues
// that write what they print to files (the file: device) through Debian's
// generic PDF printer description at 600 dpi. The program prints as it does
// for a user: the Print dialog, the printing module, Qt's CUPS engine. What
// reached a queue is read back with pdftotext. A server that cannot start
// fails the tests; nothing is skipped.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "platform/gui/EPrinterError.h"
#include "platform/gui/PrintSupport.h"
#include "printing/PrintDialog.h"
#include "tests/support/AppFixture.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QThread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <functional>
#include <memory>

namespace {

const QString Ppd = QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");

// Runs a tool to its end within the time given; its output, or a failure.
bool RunTool(const QString& program, const QStringList& arguments, QString* output = nullptr, int milliseconds = 20'000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(milliseconds);
    const QString text = QString::fromLocal8Bit(process.readAll());
    if (output)
        *output = text;
    if (!finished) {
        process.kill();
        process.waitForFinished(1000);
    }
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString()
                      << " failed: " << process.errorString().toStdString() << " " << text.toStdString();
        return false;
    }
    return true;
}

bool Answers(const QString& socketPath);

// The private print server. Its socket is the only way in: no network port,
// no browsing, no web interface; every operation is allowed to every user of
// the socket, which lies in a folder of its own.
class TPrintServer {
public:
    TPrintServer() = default;
    ~TPrintServer() { Stop(); }
    TPrintServer(const TPrintServer&) = delete;
    TPrintServer& operator=(const TPrintServer&) = delete;

    QString Socket() const { return Folder.filePath(QStringLiteral("cups.sock")); }
    QString Output(const QString& queue) const { return Folder.filePath(QStringLiteral("out/") + queue + ".pdf"); }

    // Starts cupsd and waits (bounded) until it answers; the reason otherwise.
    QString Start()
    {
        if (!Folder.isValid())
            return QStringLiteral("no temporary folder for the print server");
        const QDir root(Folder.path());
        for (const char* sub : {"conf", "spool", "spool/tmp", "cache", "state", "log", "out"})
            root.mkpath(QString::fromLatin1(sub));
        // The filters run as the server's user (lp when started as root) and
        // must reach the spool and the output through these folders.
        for (const char* sub : {"", "spool", "spool/tmp", "out"})
            QFile::setPermissions(root.filePath(QString::fromLatin1(sub)),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                      QFileDevice::WriteOther | QFileDevice::ExeOther);
        const bool asRoot = getuid() == 0;
        WriteFile(root.filePath("conf/cupsd.conf"),
                  "LogLevel warn\n"
                  "Listen " +
                      Socket() +
                      "\n"
                      "Browsing No\nWebInterface No\nDefaultAuthType None\n"
                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        WriteFile(root.filePath("conf/cups-files.conf"),
                  "ServerRoot " + root.filePath("conf") + "\n" + "RequestRoot " + root.filePath("spool") + "\n" +
                      "TempDir " + root.filePath("spool/tmp") + "\n" + "CacheDir " + root.filePath("cache") + "\n" +
                      "StateDir " + root.filePath("state") + "\n" + "AccessLog " + root.filePath("log/access_log") +
                      "\n" + "ErrorLog " + root.filePath("log/error_log") + "\n" + "PageLog " +
                      root.filePath("log/page_log") + "\n" + "FileDevice Yes\n" +
                      (asRoot ? QStringLiteral("User lp\nGroup lp\nSystemGroup root\n") : QString()));
        Daemon = std::make_unique<QProcess>();
        Daemon->setProcessChannelMode(QProcess::MergedChannels);
        Daemon->start(QStringLiteral("/usr/sbin/cupsd"),
                      {"-f", "-c", root.filePath("conf/cupsd.conf"), "-s", root.filePath("conf/cups-files.conf")});
        if (!Daemon->waitForStarted(10'000))
            return "cupsd did not start (package cups-daemon): " + Daemon->errorString();
        const QDeadlineTimer deadline(15'000);
        while (!deadline.hasExpired()) {
            if (Answers(Socket()))
                return {};
            if (Daemon->state() == QProcess::NotRunning)
                break;
            QThread::msleep(100);
        }
        const QString said = QString::fromLocal8Bit(Daemon->readAll());
        Stop();
        return "cupsd did not answer on " + Socket() + ": " + said + " " + ReadFile(root.filePath("log/error_log"));
    }

    void Stop()
    {
        if (!Daemon)
            return;
        Daemon->terminate();
        if (!Daemon->waitForFinished(10'000)) {
            Daemon->kill();
            Daemon->waitForFinished(5000);
        }
        Daemon.reset();
        QFile::remove(Socket());
    }

    // A queue printing to its own file through the 600-dpi PDF printer description.
    bool AddQueue(const QString& queue)
    {
        QFile::remove(Output(queue));
        return RunTool(QStringLiteral("lpadmin"), {"-p", queue, "-E", "-v", "file://" + Output(queue), "-P", Ppd});
    }

    // Waits (bounded) until the queue has no job left; false on timeout.
    bool WaitIdle(const QString& queue)
    {
        const QDeadlineTimer deadline(30'000);
        while (!deadline.hasExpired()) {
            QString jobs;
            if (!RunTool(QStringLiteral("lpstat"), {"-o", queue}, &jobs))
                return false;
            if (jobs.trimmed().isEmpty())
                return true;
            QThread::msleep(200);
        }
        ADD_FAILURE() << "jobs still waiting in " << queue.toStdString() << ": "
                      << ReadFile(Folder.filePath("log/error_log")).toStdString();
        return false;
    }

    static QString ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    static void WriteFile(const QString& path, const QString& text)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toLocal8Bit()) < 0)
            ADD_FAILURE() << "cannot write " << path.toStdString();
    }

    QTemporaryDir Folder{QStringLiteral("/tmp/volumnia-cups-XXXXXX")};
    std::unique_ptr<QProcess> Daemon;
};

// Whether a server listens on the socket.
bool Answers(const QString& socketPath)
{
    const QByteArray path = socketPath.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<int>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// The footers ("Page n") of a printed file, in page order.
QStringList Footers(const QString& pdf)
{
    QString text;
    if (!QFileInfo(pdf).isFile() || !RunTool(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}, &text))
        return {};
    QStringList footers;
    static const QRegularExpression footer(QStringLiteral("^\\s*(Page \\d+)\\s*$"),
                                           QRegularExpression::MultilineOption);
    for (auto match = footer.globalMatch(text); match.hasNext();)
        footers << match.next().captured(1);
    return footers;
}

// One word of a printed file as pdftotext -bbox places it, in points.
struct TWord {
    double Left = 0, Right = 0;
    QString Text;
};

std::vector<TWord> Words(const QString& pdf, const QString& html)
{
    std::vector<TWord> words;
    if (!RunTool(QStringLiteral("pdftotext"), {"-bbox", pdf, html}, nullptr, 60'000))
        return words;
    QFile file(html);
    if (!file.open(QIODevice::ReadOnly))
        return words;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("word")) {
            TWord word;
            word.Left = xml.attributes().value("xMin").toDouble();
            word.Right = xml.attributes().value("xMax").toDouble();
            word.Text = xml.readElementText();
            words.push_back(word);
        }
    }
    return words;
}

std::vector<TItem> NumberedBooks(int n)
{
    std::vector<TItem> books;
    for (int i = 1; i <= n; ++i)
        books.push_back(Book(i, "Title " + std::to_string(i), "Author " + std::to_string(i), "Publisher"));
    return books;
}

class PrintServer : public TAppFixture {
protected:
    static void SetUpTestSuite()
    {
        Server = new TPrintServer;
        Started = Server->Start();
        // The program and the CUPS tools find the server through this, as a
        // user's programs find a server named in their environment.
        qputenv("CUPS_SERVER", Server->Socket().toLocal8Bit());
        Linked = &PrintSupport::Get();
        PrintSupport::Use(&PrintSupport::Load(QStringLiteral(VOLUMNIA_PRINT_MODULE)));
    }
    static void TearDownTestSuite()
    {
        PrintSupport::Use(Linked);
        delete Server;
        Server = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(Started.isEmpty()) << "the private print server could not start: " << Started.toStdString();
    }

    // Prints all books from the Print dialog to the queue, the system print
    // dialog's choices made by configure; says whether the dialog closed.
    bool PrintTo(const QString& queue, std::function<void(QPrinter&)> configure = {}, bool columns = false)
    {
        Platform.Dialogs.ConfigurePrinter = [queue, configure](QPrinter& printer) {
            printer.setPrinterName(queue);
            if (configure)
                configure(printer);
        };
        bool closed = false;
        Platform.Modal.Actions.push_back([&closed, columns](QDialog& dialog) {
            auto& print = static_cast<TdlgPrint&>(dialog);
            print.rbt1->click();
            if (columns)
                print.chkFormat2->click();
            print.btnPrint->click();
            closed = !dialog.isVisible();
        });
        frmMain->tbtnPrintClick();
        return closed;
    }

    static TPrintServer* Server;
    static QString Started;
    static IPrintSupport* Linked;
};

TPrintServer* PrintServer::Server = nullptr;
QString PrintServer::Started;
IPrintSupport* PrintServer::Linked = nullptr;

TEST_F(PrintServer, AJobReachesTheQueueAtItsOwnResolutionWithEveryPage)
{
    ASSERT_TRUE(Server->AddQueue("laser600"));
    WriteFiles(NumberedBooks(120));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(PrintTo("laser600"));
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("; ").toStdString();
    EXPECT_EQ(dlgPrint->Printer().resolution(), 600);
    ASSERT_TRUE(Server->WaitIdle("laser600"));
    const QStringList footers = Footers(Server->Output("laser600"));
    ASSERT_GE(footers.size(), 2) << "nothing printed to " << Server->Output("laser600").toStdString();
    for (int page = 1; page <= footers.size(); ++page)
        EXPECT_EQ(footers[page - 1], QStringLiteral("Page %1").arg(page));
}

TEST_F(PrintServer, AFullCollectionInColumnsKeepsEveryTextInsideItsColumn)
{
    ASSERT_TRUE(Server->AddQueue("columns600"));
    std::vector<TItem> books;
    for (int i = 1; i <= 1499; ++i) {
        const std::string n = std::to_string(i);
        books.push_back(Book(i, "Title " + n + " of a book whose name runs on and on",
                             "Author " + n + " with a long double-barrelled name",
                             "Publisher " + n + " and Sons, Printers to the University"));
    }
    WriteFiles(books);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(PrintTo("columns600", {}, true));
    ASSERT_TRUE(Server->WaitIdle("columns600"));

    // The installed positions in the queue's pixels, from the printable
    // area's left edge, in points of the page.
    const QPrinter& printer = dlgPrint->Printer();
    ASSERT_EQ(printer.resolution(), 600);
    const double margin = printer.pageLayout().paintRect(QPageLayout::Point).left();
    const auto points = [margin](int pixels) { return margin + pixels * 72.0 / 600; };
    const double edges[] = {points(20), points(950), points(1800), points(printer.width())};
    const double slack = 72.0 / 600; // one pixel
    int titles = 0;
    for (const TWord& word : Words(Server->Output("columns600"), Server->Output("columns600") + ".html")) {
        titles += word.Text == "Title";
        if (word.Text == ".:" || word.Text == "listing" || word.Text == ":.")
            continue; // the title's cell runs to the page's edge
        int column = 0;
        while (column < 2 && word.Left >= edges[column + 1] - slack)
            ++column;
        EXPECT_LE(word.Right, edges[column + 1] + slack)
            << word.Text.toStdString() << " in column " << column + 1 << " reaches into the next";
    }
    EXPECT_EQ(titles, 1499);
}

TEST_F(PrintServer, PageRangePrintsOnlyItsPagesAndCopiesPrintThemAgain)
{
    ASSERT_TRUE(Server->AddQueue("range600"));
    WriteFiles(NumberedBooks(300));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(PrintTo("range600", [](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
    }));
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("; ").toStdString();
    ASSERT_TRUE(Server->WaitIdle("range600"));
    EXPECT_EQ(Footers(Server->Output("range600")), (QStringList{"Page 2", "Page 3"}));

    QFile::remove(Server->Output("range600"));
    EXPECT_TRUE(PrintTo("range600", [](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        printer.setCopyCount(2);
        printer.setCollateCopies(true);
    }));
    ASSERT_TRUE(Server->WaitIdle("range600"));
    EXPECT_EQ(Footers(Server->Output("range600")), (QStringList{"Page 2", "Page 3", "Page 2", "Page 3"}));

    // The dialog's "Pages" field leaves the range to the print server (the
    // job option page-ranges, as Qt's CUPS support sets it): the whole list
    // is sent, so its pages keep their numbers.
    QFile::remove(Server->Output("range600"));
    EXPECT_TRUE(PrintTo("range600", [](QPrinter& printer) {
        // As the system print dialog leaves the printer then.
        printer.setPrintRange(QPrinter::AllPages);
        printer.setCopyCount(1);
        printer.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                           QStringList{"page-ranges", "2-3"});
    }));
    ASSERT_TRUE(Server->WaitIdle("range600"));
    EXPECT_EQ(Footers(Server->Output("range600")), (QStringList{"Page 2", "Page 3"}));
}

TEST_F(PrintServer, RejectingAndDeletedQueuesGiveThePrinterErrorPrintNothingAndKeepTheDialogOpen)
{
    ASSERT_TRUE(Server->AddQueue("closed600"));
    ASSERT_TRUE(Server->AddQueue("gone600"));
    ASSERT_TRUE(RunTool(QStringLiteral("cupsreject"), {"closed600"}));
    WriteFiles(NumberedBooks(20));
    ASSERT_TRUE(Start());

    EXPECT_FALSE(PrintTo("closed600"));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"Printer \"closed600\": not accepting jobs."});

    // Deleted after the system print dialog listed it.
    Platform.Messages.Clear();
    EXPECT_FALSE(PrintTo("gone600", [](QPrinter&) { RunTool(QStringLiteral("lpadmin"), {"-x", "gone600"}); }));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"Printer \"gone600\": not found."});

    QThread::msleep(500);
    EXPECT_FALSE(QFile::exists(Server->Output("closed600")));
    EXPECT_FALSE(QFile::exists(Server->Output("gone600")));
}

TEST_F(PrintServer, AQueueThatStopsTakingJobsWhileTheDocumentIsDrawnIsReported)
{
    // The queue takes jobs when the document begins and refuses them when it
    // is handed over: only the print server's answer can tell.
    ASSERT_TRUE(Server->AddQueue("late600"));
    const PrintSupport::TPrinterPtr printer = PrintSupport::NewPrinter();
    printer->setPrinterName(QStringLiteral("late600"));
    PrintSupport::Get().ApplyResolution(*printer);
    const std::unique_ptr<IPrintTarget> target = PrintSupport::Get().NewTarget(*printer);
    target->BeginDoc();
    target->TextOut(20, 20, target->PageWidth(), QStringLiteral("Emma"), TPrintFont{});
    ASSERT_TRUE(RunTool(QStringLiteral("cupsreject"), {"late600"}));
    try {
        target->EndDoc();
        ADD_FAILURE() << "the refused job was not reported";
    } catch (const EPrinterError& error) {
        EXPECT_TRUE(QString::fromStdString(error.Message).startsWith("Printer \"late600\": not accepting jobs"))
            << error.Message;
    }
    QThread::msleep(500);
    EXPECT_FALSE(QFile::exists(Server->Output("late600")));
}

TEST_F(PrintServer, AStoppedServerIsReportedAsNotReachable)
{
    ASSERT_TRUE(Server->AddQueue("down600"));
    WriteFiles(NumberedBooks(20));
    ASSERT_TRUE(Start());
    // Stopped after the system print dialog listed the queue.
    EXPECT_FALSE(PrintTo("down600", [](QPrinter&) { Server->Stop(); }));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"Printer \"down600\": print server not reachable."});
    Started = Server->Start(); // for any test after this one
    EXPECT_TRUE(Started.isEmpty()) << Started.toStdString();
}

} // namespace
