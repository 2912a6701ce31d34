/*
 * The catalogue to hand out: the books in each order the user may ask for,
 * every field shown as a window shows it, text escaped for HTML, and
 * volumnia-csv's web page folder with its refusals.
 */
#include "csv/CatalogueContent.h"
#include "csv/CsvCatalogue.h"
#include "csv/CsvCommand.h"
#include "csv/WebCatalogue.h"
#include "engine/DetailsFile.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/TempWorkingFolder.h"

#include <QDir>
#include <QLocale>

#include <gtest/gtest.h>

#include <sstream>

namespace {

TItem Book(int32_t id, const std::string& title, const std::string& author, const TDetails& details = {})
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    item.Fields[1] = author;
    item.Details = details;
    return item;
}

TDetails Details(const std::vector<std::pair<std::string, std::string>>& values)
{
    TDetails details;
    for (const auto& [key, value] : values)
        details.Set(key, value);
    return details;
}

void WriteCatalogue(const TTempWorkingFolder& folder, const std::vector<TItem>& items)
{
    std::vector<std::string> lines{"CurrentIndex", "99", "vInteger", "orbl_databasefile", "books.orbl", "vString"};
    for (int i = 0; i < 10; ++i)
        lines.insert(lines.end(), {"orbl_alias" + std::to_string(i), "Field " + std::to_string(i), "vString"});
    folder.WriteFile("volumnia.kelt", CrLfLines(lines));
    folder.WriteFile("books.orbl", DatabaseFile(items));
    std::vector<TDetailsRow> rows;
    for (const TItem& item : items)
        if (!item.Details.Empty())
            rows.push_back({item.ID, DetailsFile::Fingerprint(item), item.Details});
    if (!rows.empty())
        folder.WriteFile("books.orbl.details", DetailsFile::Format(rows));
}

std::vector<int32_t> IdsOf(const TCatalogueContent& content)
{
    std::vector<int32_t> ids;
    for (const TCatalogueBook& book : content.Books)
        ids.push_back(book.ID);
    return ids;
}

int RunCommand(const std::vector<std::string>& arguments, std::string* err = nullptr)
{
    std::ostringstream out, error;
    const int code = TCsvCommand::Run(arguments, out, error);
    if (err)
        *err = error.str();
    return code;
}

TEST(Catalogue, TextIsEscapedForHtml)
{
    const struct {
        const char* Text;
        const char* Html;
    } cases[] = {
        {"Tom & Jerry <b>", "Tom &amp; Jerry &lt;b&gt;"},
        {"\"quoted\" 'single'", "&quot;quoted&quot; &#39;single&#39;"},
        {"&amp;", "&amp;amp;"},
        {"tab\there\x01\x7F", "tab here  "},
        {"two\nlines", "two\nlines"},
        {"own letters \xD0\x96 \xC2\x85", "own letters \xD0\x96  "}, // U+0085 is a control
    };
    for (const auto& c : cases)
        EXPECT_EQ(TWebCatalogue::Escaped(QString::fromUtf8(c.Text)), QString::fromUtf8(c.Html)) << c.Text;
}

// Case set aside in every locale, the C locale among them; numbers in a
// series by value; books lacking what orders them last.
TEST(Catalogue, BooksComeInTheOrderAsked)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, {
                               Book(1, "Nana", "Zola", Details({{"series", "Rougon"}, {"series_number", "10"}})),
                               Book(2, "la Curee", "zola", Details({{"series", "rougon"}, {"series_number", "2"}})),
                               Book(3, "Hitchhiker", "adams"),
                               Book(4, "", "Melville"),
                               Book(5, "Beowulf", ""),
                               Book(6, "Germinal", "Zola", Details({{"series", "Rougon"}, {"series_number", "13"}})),
                           });
    const struct {
        TCatalogueOrder Order;
        std::vector<int32_t> Ids;
    } cases[] = {
        {TCatalogueOrder::Author, {3, 4, 6, 2, 1, 5}},
        {TCatalogueOrder::Title, {5, 6, 3, 2, 1, 4}},
        {TCatalogueOrder::Series, {2, 1, 6, 5, 3, 4}},
    };
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        TCsvCatalogue catalogue;
        for (const auto& c : cases)
            EXPECT_EQ(IdsOf(TCatalogueContent::Of(catalogue.Database(), c.Order)), c.Ids)
                << locale.name().toStdString() << " by " << TCatalogueContent::NameOf(c.Order).toStdString();
    }
}

TEST(Catalogue, EveryFieldHeldIsShownAsTheWindowsShowIt)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TTempWorkingFolder folder;
    TItem lent = Book(1, "Les Mis\xE9rables", "Victor Hugo",
                      Details({{"isbn", "9780140444308"}, {"status", "to-read"}, {"rating", "4"}, {"tags", "a, b"}}));
    lent.Fields[2] = "Lacroix";
    lent.Fields[6] = "Marie";
    lent.Fields[7] = "02.11.2026";
    WriteCatalogue(folder, {lent, Book(2, "Notre-Dame", " victor  hugo"), Book(3, "Emma", "Jane Austen")});
    TCsvCatalogue catalogue;
    const TCatalogueContent content = TCatalogueContent::Of(catalogue.Database(), TCatalogueOrder::Title);

    const TCatalogueBook& book = content.Books[1];
    EXPECT_EQ(book.Title, QStringLiteral("Les Misérables"));
    EXPECT_EQ(book.Author, QStringLiteral("Victor Hugo"));
    std::vector<std::pair<QString, QString>> fields;
    for (const TCatalogueField& field : book.Fields)
        fields.emplace_back(field.Caption, field.Value);
    const std::vector<std::pair<QString, QString>> expected = {{"Publisher", "Lacroix"},
                                                               {"Loaner", "Marie"},
                                                               {"Date loaned", "02.11.2026"},
                                                               {"ISBN", "9780140444308"},
                                                               {"Shelves and tags", "a, b"},
                                                               {"Reading status", "To read"},
                                                               {"Rating", "4"}};
    EXPECT_EQ(fields, expected);
    EXPECT_TRUE(book.Lent);
    EXPECT_TRUE(content.Books[0].Fields.empty());
    EXPECT_EQ(content.Lent, 1);
    EXPECT_EQ(content.Authors, 2); // "Victor Hugo" and " victor  hugo" are one
}

TEST(Catalogue, TheWebPageFolderHoldsEveryBookEscapedAndNothingFromElsewhere)
{
    QLocale::setDefault(QLocale::c());
    TTempWorkingFolder folder;
    WriteCatalogue(folder,
                   {Book(1, "Tom & Jerry <script>alert(1)</script>", "Hanna \"Bill\""),
                    Book(2, "Emma", "Jane Austen", Details({{"title_own", "\xD0\x95\xD0\xBC\xD0\xBC\xD0\xB0"}}))});
    ASSERT_EQ(RunCommand({"export", "--format", "html", "--sort", "title", "web/out"}), TCsvCommand::Done);
    const std::string page = folder.ReadFile("web/out/index.html");
    for (const char* text :
         {"<html lang=\"en\">", "<th scope=\"col\">Title</th>",
          "<th scope=\"row\">Tom &amp; Jerry &lt;script&gt;alert(1)&lt;/script&gt;</th>", "Hanna &quot;Bill&quot;",
          "<dt>Title in its own letters</dt><dd>\xD0\x95\xD0\xBC\xD0\xBC\xD0\xB0</dd>"})
        EXPECT_NE(page.find(text), std::string::npos) << text;
    EXPECT_LT(page.find("Emma"), page.find("Tom &amp;")) << "sorted by title";
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    for (const char* name : {"index.html", "catalogue.css", "catalogue.js"})
        EXPECT_EQ(folder.ReadFile(std::string("web/out/") + name).find("://"), std::string::npos)
            << name << " names another place";
}

// Only a cover whose file is there, under a name the covers folder gave
// out, comes along: a value that is a path reaches no file outside it.
TEST(Catalogue, ThumbnailsComeOnlyWhenAskedAndOnlyOfCoversThatAreThere)
{
    QLocale::setDefault(QLocale::c());
    TTempWorkingFolder folder;
    WriteCatalogue(folder, {Book(1, "A", "x", Details({{"cover", "1-0000abcd.jpg"}})),
                            Book(2, "B", "x", Details({{"cover", "2-0000abcd.jpg"}})),
                            Book(3, "C", "x", Details({{"cover", "../secret.jpg"}})), Book(4, "D", "x")});
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("books.orbl.covers")));
    folder.WriteFile("books.orbl.covers/1-0000abcd.jpg", "jpeg one");
    folder.WriteFile("secret.jpg", "not a cover");
    for (const bool asked : {false, true}) {
        std::vector<std::string> arguments = {"export", "--format", "html", "out"};
        if (asked)
            arguments.insert(arguments.begin() + 3, "--thumbnails");
        ASSERT_EQ(RunCommand(arguments), TCsvCommand::Done);
        const std::string page = folder.ReadFile("out/index.html");
        EXPECT_EQ(page.find("<img") != std::string::npos, asked);
        EXPECT_EQ(folder.Exists("out/covers"), asked);
    }
    const std::string page = folder.ReadFile("out/index.html");
    EXPECT_NE(page.find("<th scope=\"row\"><img src=\"covers/1-0000abcd.jpg\" alt=\"\" loading=\"lazy\">A</th>"),
              std::string::npos);
    EXPECT_EQ(page.find("<img", page.find("<img") + 1), std::string::npos) << "one picture only";
    EXPECT_EQ(folder.ReadFile("out/covers/1-0000abcd.jpg"), "jpeg one");
}

TEST(Catalogue, ARefusedCatalogueWritesNothing)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, {Book(1, "Emma", "Jane Austen")});
    folder.WriteFile("plain", "x");
    const std::vector<std::string> before = folder.FileNames();
    const struct {
        std::vector<std::string> Arguments;
        int Code;
    } cases[] = {
        {{"export", "--format", "html"}, TCsvCommand::Usage},
        {{"export", "--format", "html", "a", "b"}, TCsvCommand::Usage},
        {{"export", "--format", "html", "--sort", "publisher", "out"}, TCsvCommand::Usage},
        {{"export", "--format", "html", "--bom", "out"}, TCsvCommand::Usage},
        {{"export", "--format", "html", "plain"}, TCsvCommand::Refused},
        // This program has no PDF writer: refused, not written empty.
        {{"export", "--format", "pdf", "out.pdf"}, TCsvCommand::Refused},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(RunCommand(c.Arguments, &err), c.Code) << c.Arguments.back();
        EXPECT_FALSE(err.empty());
        EXPECT_EQ(folder.FileNames(), before) << c.Arguments.back();
    }
    EXPECT_EQ(folder.ReadFile("plain"), "x");
}

} // namespace
