/*
 * Tellico's data file: the archive Info-ZIP's unzip reads as we read it, an
 * XML document that uses only what Tellico's own file holds, where Tellico
 * holds it, the loans grouped by borrower; and archives or documents that are
 * damaged or hostile refused without reading past their bytes.
 */
#include "csv/ECsvRefusal.h"
#include "csv/TellicoFile.h"
#include "csv/ZipArchive.h"
#include "tests/support/TempWorkingFolder.h"

#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

TItem Book(std::array<std::string, 8> fields)
{
    TItem item;
    std::copy(fields.begin(), fields.end(), item.Fields.begin());
    return item;
}

QByteArray Fixture(const char* name)
{
    QFile file(QStringLiteral(VOLUMNIA_TEST_DATA "/csv/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// Every element by its path from the root, and every attribute of one.
std::set<std::string> Shape(const QByteArray& document)
{
    std::set<std::string> shape;
    QXmlStreamReader xml(document);
    std::vector<std::string> path;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            path.pop_back();
        if (!xml.isStartElement())
            continue;
        path.push_back((path.empty() ? "" : path.back() + "/") + xml.name().toString().toStdString());
        shape.insert(path.back());
        for (const QXmlStreamAttribute& attribute : xml.attributes())
            shape.insert(path.back() + "@" + attribute.name().toString().toStdString());
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return shape;
}

class TellicoFile : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

TEST_F(TellicoFile, HoldsWhatTellicosOwnFileHoldsWithTheLoansByBorrower)
{
    const std::vector<TItem> books = {
        Book({"One", "A. Author", "Pub", "1999", "first", "second", "Ann", "12/1/26"}),
        Book({"Two & <more>", "", "", "", "", "", "", ""}),
        Book({"Three", "", "", "", "", "", "Bob", "soon"}),
        Book({"Four", "", "", "", "", "", "Ann", "2026-11-30"}),
    };
    const QByteArray archive = TTellicoFile::Write(books);
    const QByteArray document = TZipArchive::Read(archive, QStringLiteral("tellico.xml"), 1 << 20);

    // Info-ZIP reads the archive as we do.
    TTempWorkingFolder folder;
    folder.WriteFile("books.tc", archive.toStdString());
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), QString::fromStdString(folder.FilePath("books.tc"))});
    ASSERT_TRUE(unzip.waitForFinished()) << "unzip (Debian package unzip) is needed";
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardError().toStdString();
    EXPECT_EQ(unzip.readAllStandardOutput(), document);

    const std::set<std::string> tellicos =
        Shape(TZipArchive::Read(Fixture("books-format11.bc"), QStringLiteral("tellico.xml"), 1 << 20));
    for (const std::string& used : Shape(document))
        EXPECT_TRUE(tellicos.count(used)) << used << " is not where Tellico's own file has it";

    // The loans: Ann's two in one borrower, dates in ISO 8601, a date written
    // otherwise kept as the loan's note.
    QXmlStreamReader xml(document);
    std::vector<std::string> loans;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == u"borrower")
            loans.push_back("borrower " + xml.attributes().value(QLatin1String("name")).toString().toStdString());
        if (xml.isStartElement() && xml.name() == u"loan") {
            const QXmlStreamAttributes attributes = xml.attributes();
            loans.push_back(attributes.value(QLatin1String("entryRef")).toString().toStdString() + " " +
                            attributes.value(QLatin1String("loanDate")).toString().toStdString() + " " +
                            xml.readElementText().toStdString());
        }
        if (!xml.isStartElement())
            xml.readNext();
    }
    EXPECT_EQ(loans, (std::vector<std::string>{"borrower Ann", "1 2026-12-01 ", "4 2026-11-30 2026-11-30",
                                               "borrower Bob", "3  soon"}));

    // Tellico shows its comments as HTML: the notes' own signs are escaped.
    const QByteArray notes = TZipArchive::Read(TTellicoFile::Write({Book({"T", "", "", "", "a <b> & c", "d<br/>"})}),
                                               QStringLiteral("tellico.xml"), 1 << 20);
    EXPECT_TRUE(notes.contains("<comments>a &amp;lt;b&amp;gt; &amp;amp; c&lt;br/&gt;d&amp;lt;br/&amp;gt;</comments>"))
        << notes.toStdString();
}

TEST_F(TellicoFile, ADamagedArchiveIsRefusedNamingWhatIsWrong)
{
    const QByteArray good = TTellicoFile::Write({Book({"Title", "Author"})});
    const auto at32 = [](QByteArray bytes, qsizetype offset, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    const qsizetype end = good.size() - 22, central = good.indexOf("PK\x01\x02");
    QByteArray flipped = good;
    flipped[60] = static_cast<char>(flipped[60] ^ 0x55); // inside the compressed data
    const struct {
        const char* Name;
        QByteArray Archive;
        qint64 Limit;
        const char* Said;
    } cases[] = {
        {"cut short", good.left(good.size() - 5), 1 << 20, "no end of central directory"},
        {"damaged data", flipped, 1 << 20, "tellico.xml"},
        {"encrypted", at32(good, central + 8, 0x0809), 1 << 20, "tellico.xml is encrypted"},
        {"larger than allowed", good, 100, "would unpack to"},
        {"a directory outside the file", at32(good, end + 16, 0x7FFFFFF0), 1 << 20, "outside the file"},
        {"a member outside the file", at32(good, central + 42, 0x7FFFFFF0), 1 << 20, "past the end"},
        {"ZIP64", at32(good, central + 20, 0xFFFFFFFF), 1 << 20, "ZIP64"},
        {"another member", at32(good, central + 46, 0x78787878), 1 << 20, "holds no tellico.xml"},
        {"a wrong size", at32(good, central + 24, 7), 1 << 20, "damaged or not of the size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            TZipArchive::Read(c.Archive, QStringLiteral("tellico.xml"), c.Limit);
            ADD_FAILURE() << "read";
        } catch (const ECsvRefusal& refusal) {
            EXPECT_NE(refusal.Message.find(c.Said), std::string::npos) << refusal.Message;
        }
    }
}

// Loans after the collection or inside it, as the format allows; a loan of
// no entry passed over, a book's second loan too; the due date Tellico keeps.
TEST_F(TellicoFile, ReadsTheLoansWhereverTheFormatPutsThem)
{
    const char* const entries = "<entry id=\"7\"><title>T</title><authors><author>A</author><author>B</author>"
                                "</authors><year>1990</year><pub_year>2000</pub_year></entry>";
    const char* const loans = "<borrowers><borrower name=\"Eve\"><loan entryRef=\"9\" loanDate=\"2026-01-01\"/>"
                              "<loan entryRef=\"7\" loanDate=\"2026-12-01\" dueDate=\"2026-12-15\" calendar=\"true\">"
                              "note</loan></borrower>"
                              "<borrower name=\"Bob\"><loan entryRef=\"7\" loanDate=\"2026-02-01\"/></borrower>"
                              "</borrowers>";
    const std::string documents[] = {
        std::string("<?xml version=\"1.0\"?><tellico><collection type=\"2\">") + entries + "</collection>" + loans +
            "</tellico>",
        std::string("<?xml version=\"1.0\"?><bookcase><collection type=\"2\">") + entries + loans +
            "</collection></bookcase>",
    };
    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        const std::vector<TCsvRecord> rows = TTellicoFile::Rows(QByteArray::fromStdString(document));
        ASSERT_EQ(rows.size(), 2u);
        std::map<QString, QString> row;
        for (size_t i = 0; i < rows[0].Fields.size(); ++i)
            if (!rows[1].Fields.at(i).isEmpty())
                row[rows[0].Fields[i]] = rows[1].Fields[i];
        EXPECT_EQ(row, (std::map<QString, QString>{{"title", "T"},
                                                   {"author", "A; B"},
                                                   {"pub_year", "2000"},
                                                   {"year", "1990"},
                                                   {"Loaned To", "Eve"},
                                                   {"Loan Date", "12/1/26"},
                                                   {"Due Date", "2026-12-15"},
                                                   {"Loan Note", "note"}}));
        // The year of publication is tried before a bibliography's year.
        EXPECT_LT(std::find(rows[0].Fields.begin(), rows[0].Fields.end(), u"pub_year"),
                  std::find(rows[0].Fields.begin(), rows[0].Fields.end(), u"year"));
    }
}

TEST_F(TellicoFile, ADocumentThatIsNotTellicosIsRefused)
{
    const struct {
        const char* Document;
        const char* Said;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<html><entry/></html>", "its root is <html>, not <tellico>"},
        {"<?xml version=\"1.0\"?>\n<tellico><collection><entry id=\"1\"><title>x</collection>", "tellico.xml line 2"},
        // An entity that would grow without bound.
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE tellico [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;"
         "&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
         "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>\n<tellico><collection><entry><title>&e;&e;&e;&e;&e;"
         "</title></entry></collection></tellico>",
         "tellico.xml line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Document);
        try {
            TTellicoFile::Rows(c.Document);
            ADD_FAILURE() << "read";
        } catch (const ECsvRefusal& refusal) {
            EXPECT_NE(refusal.Message.find(c.Said), std::string::npos) << refusal.Message;
        }
    }
}

// Whose XML it is, the root says, however long the DTD before it.
TEST_F(TellicoFile, IsKnownByItsRootElement)
{
    const std::string dtd = "<!DOCTYPE tellico [" + std::string(2000, ' ') + "<!ELEMENT tellico ANY>]>";
    EXPECT_TRUE(TTellicoFile::Is(
        QByteArray::fromStdString("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n" + dtd + "<tellico><collection/></tellico>")));
    EXPECT_FALSE(TTellicoFile::Is(QByteArray::fromStdString("<?xml version=\"1.0\"?>" + dtd + "<html/>")));
    EXPECT_FALSE(TTellicoFile::Is("Title,Notes\n\"<tellico>\",x\n"));
}

// The loan date Tellico gets is read as the Loans window reads it: a
// two-digit year up to today (1999, not 2099), a year in full where the
// locale writes two digits, an Arabic date in either digits.
TEST_F(TellicoFile, LoanDatesReadAsTheLoansWindowReadsThem)
{
    const QDate today(2026, 12, 8);
    const struct {
        const char* Locale;
        const char* Date;
        const char* Iso;
    } cases[] = {
        {"en_US", "12/25/99", "1999-12-25"},
        {"en_US", "08/12/2026", "2026-08-12"},
        {"en_US", "31/12/2026", ""},
        {"ar_EG", "8/12/2026", "2026-12-08"},
        {"ar_EG", "\u0668\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666", "2026-12-08"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Date);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.Locale)));
        EXPECT_EQ(TTellicoFile::IsoDate(QString::fromUtf8(c.Date), today), QString::fromLatin1(c.Iso));
    }
}

} // namespace
