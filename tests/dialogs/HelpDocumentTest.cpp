// The help document "volumnia.pdf" that the build lays out from the manual's
// text, and that text itself: every message the user can meet and every
// shortcut key has to be explained there.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <string>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

TEST(HelpDocumentTest, BuildMakesAPdfOfSeveralPages)
{
    const QByteArray pdf = ReadAll(QStringLiteral(VOLUMNIA_BINARY_DIR "/volumnia.pdf"));
    ASSERT_FALSE(pdf.isEmpty()) << "the build did not make volumnia.pdf";
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF")); // written to the end, not cut off

    // Page objects, not the page tree ("/Type /Pages"), and the tree's count.
    auto pages = QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])")).globalMatch(QString::fromLatin1(pdf));
    int pageObjects = 0;
    while (pages.hasNext()) {
        pages.next();
        ++pageObjects;
    }
    EXPECT_GT(pageObjects, 1);
    const auto count =
        QRegularExpression(QStringLiteral("/Type\\s*/Pages\\b[^>]*/Count\\s+(\\d+)")).match(QString::fromLatin1(pdf));
    ASSERT_TRUE(count.hasMatch());
    EXPECT_EQ(count.captured(1).toInt(), pageObjects);
}

TEST(HelpDocumentTest, ManualExplainsEveryMessageAndShortcut)
{
    const QString manual = QString::fromUtf8(ReadAll(QStringLiteral(VOLUMNIA_SOURCE_DIR "/docs/manual/volumnia.md")));
    ASSERT_FALSE(manual.isEmpty());
    const char* const mentioned[] = {
        // the program's own messages
        "106-5: KELT -error. File corrupted.",
        "107-2: ORBL -error. File not found or corrupted.",
        "107-2: ORBL -error. File corrupted.",
        "108-7: KELT -error. File full or corrupted.",
        "102-7: KELT -error. File full or corrupted.",
        "103-7: KELT -error. File full or corrupted.",
        "Sure to remove this book?",
        "Sure to return this book?",
        "No books found.",
        "Found books.",
        "Save or cancel the book being edited in the main window first.",
        "No book in the catalogue now is counted there.",
        // the database's
        "#101: Supplied field was invalid or alias bad.",
        "#102: File error.",
        "#103: Database full.",
        "#104: Item ID already exists.",
        "#105: Item does not exist in this database.",
        "#107: Item does not exist in this database.",
        "#108: Item does not exist in this database .",
        "#109: Parameter out of bounds.",
        "#110: Item does not exist in this database.",
        "#111: Parameter out of bounds.",
        "#112: Searchstring must be at least 1 chars long.",
        "#113: Too many items in the database file.",
        "#114: Database file corrupted.",
        // the settings store's
        "#101: File does not exist.",
        "#102: File corrupted.",
        "#103: File does not exist.",
        "#104: No values saved.",
        "#105: Supplied value name not found.",
        "#107: Cannot add value. Too many values.",
        "#108: Too many values in the file.",
        "#109: volumnia.kelt is a FIFO, not a file.",
        // the platform's, the lock files' and update's
        "Volumnia is running in this folder; end it, then run update again.",
        "is in the way of the save",
        "is sticky",
        "more than one name (a hard link",
        "may not be opened by you",
        "The printer could not finish the document",
        // the platform's
        "is not a valid integer value.",
        "Grid index out of range.",
        // the printer's, after the printer's name
        "\": not accepting jobs.",
        "\": not found.",
        "\": print server not reachable.",
        "The pages chosen are not in the list",
        "Disk full.",
        "File access denied.",
        // files
        "volumnia.kelt",
        "volumnia.pdf",
        ".bak",
        // shortcuts
        "| F1 |",
        "| F2 |",
        "| F3 |",
        "| F5 |",
        "| F6 |",
        "| F7 |",
        "| Ctrl+A |",
        "| Ctrl+R |",
        "| Ctrl+P |",
        "| Ctrl+F1 |",
        "| Ctrl+F2 |",
        "| Ctrl+F3 |",
        "| Ctrl+F6 |",
        "| Ctrl+F |",
        "| Ctrl+T |",
        "| F8 |",
        "Ctrl+Q",
        "Shift+F10",
    };
    for (const char* text : mentioned)
        EXPECT_TRUE(manual.contains(QString::fromUtf8(text))) << text;
}

TEST(HelpDocumentTest, ManualHoldsEveryPictureItNames)
{
    // The pictures the text names, each once, and the image objects in the PDF.
    const QString manual = QString::fromUtf8(ReadAll(QStringLiteral(VOLUMNIA_SOURCE_DIR "/docs/manual/volumnia.md")));
    QStringList named;
    auto pictures = QRegularExpression(QStringLiteral("!\\[[^\\]]*\\]\\(([^)]+)\\)")).globalMatch(manual);
    while (pictures.hasNext())
        named << pictures.next().captured(1);
    EXPECT_EQ(named.size(), QSet<QString>(named.begin(), named.end()).size())
        << named.join(QLatin1Char(' ')).toStdString();
    for (const char* window : {"main-window", "browser", "loan", "search", "edit-several", "remove-several",
                               "database-settings", "about", "print", "print-format", "loans"})
        EXPECT_TRUE(named.contains(QString::fromLatin1(window) + QStringLiteral(".png"))) << window;

    const QByteArray pdf = ReadAll(QStringLiteral(VOLUMNIA_BINARY_DIR "/volumnia.pdf"));
    ASSERT_FALSE(pdf.isEmpty());
    auto images = QRegularExpression(QStringLiteral("/Subtype\\s*/Image\\b")).globalMatch(QString::fromLatin1(pdf));
    int imageObjects = 0;
    while (images.hasNext()) {
        images.next();
        ++imageObjects;
    }
    EXPECT_GE(imageObjects, named.size());
}

} // namespace
