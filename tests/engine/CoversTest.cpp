// Covers kept beside the database: the names a value may hold, a file never
// written over, the folder found through a link at the database's name, and
// a removed book's cover given back by an undo.
#include "engine/Catalogue.h"
#include "engine/Covers.h"
#include "engine/FieldTable.h"
#include "platform/Crc32.h"
#include "platform/TextFile.h"
#include "tests/engine/EngineFixture.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

using namespace EngineTest;

TEST(CoversTest, OnlyANameStoreMakesIsACoverValue)
{
    const struct {
        const char* Value;
        bool Taken;
    } cases[] = {
        {"123-1a2b3c4d.jpg", true},       {"7-00000000-2.jpg", true},    {"../7-1a2b3c4d.jpg", false},
        {"7-1a2b3c4d.jpg/..", false},     {"sub/7-1a2b3c4d.jpg", false}, {"/etc/7-1a2b3c4d.jpg", false},
        {"7-1A2B3C4D.jpg", false},        {"7-1a2b3c4.jpg", false},      {"-1a2b3c4d.jpg", false},
        {"7-1a2b3c4d.png", false},        {"7-1a2b3c4d-.jpg", false},    {"7-1a2b3c4d-x.jpg", false},
        {"7-1a2b3c4d.jpg.saving", false},
    };
    const TField& cover = *FieldTable::Find(FieldTable::CoverKey);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Value);
        std::string value;
        EXPECT_EQ(FieldTable::Normalized(cover, test.Value, value), test.Taken);
        EXPECT_EQ(Covers::PathOf("books.orbl", test.Value).empty(), !test.Taken);
    }
}

class CoversStoreTest : public TEngineFixture {};

// The same picture stored twice is one file; other bytes at a name a picture
// would take (put there by hand) are never written over.
TEST_F(CoversStoreTest, AFileIsWrittenOnceAndNeverOver)
{
    WriteDatabase(FileOf(Numbered(1)));
    ::chmod("books.orbl", 0640);
    const std::string jpeg("\xFF\xD8 picture \xFF\xD9", 13);
    const std::string name = Covers::Store("books.orbl", 12, jpeg);
    const auto hex = Crc32::Hex(Crc32::Of(jpeg));
    EXPECT_EQ(name, "12-" + std::string(hex.data(), hex.size()) + ".jpg");
    EXPECT_EQ(Folder.ReadFile("books.orbl.covers/" + name), jpeg);
    // Who may read the database may enter its covers folder; others may not.
    EXPECT_EQ(QFileInfo(Folder.Path() + "/books.orbl.covers").permissions() & 0x0777, 0x0750);

    const QFileInfo before(QString::fromStdString(Folder.FilePath("books.orbl.covers/" + name)));
    EXPECT_EQ(Covers::Store("books.orbl", 12, jpeg), name);
    EXPECT_EQ(QFileInfo(QString::fromStdString(Folder.FilePath("books.orbl.covers/" + name))).lastModified(),
              before.lastModified());

    const std::string other = "\xFF\xD8 another \xFF\xD9";
    const auto otherHex = Crc32::Hex(Crc32::Of(other));
    const std::string taken = "12-" + std::string(otherHex.data(), otherHex.size()) + ".jpg";
    Folder.WriteFile("books.orbl.covers/" + taken, "by hand");
    EXPECT_EQ(Covers::Store("books.orbl", 12, other), taken.substr(0, taken.size() - 4) + "-2.jpg");
    EXPECT_EQ(Folder.ReadFile("books.orbl.covers/" + taken), "by hand");
}

// Every name of the database finds one covers folder, beside the file; a
// link standing at the folder's name is refused, never followed.
TEST_F(CoversStoreTest, TheFolderStandsBesideTheDatabaseALinkLeadsTo)
{
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("data"));
    Folder.WriteFile("data/books.orbl", FileOf(Numbered(1)));
    ASSERT_TRUE(QFile::link("data/books.orbl", Folder.Path() + "/linked.orbl"));
    const std::string name = Covers::Store("linked.orbl", 1, "jpeg");
    EXPECT_TRUE(Folder.Exists("data/books.orbl.covers/" + name));
    EXPECT_EQ(Covers::PathOf("linked.orbl", name), Folder.FilePath("data/books.orbl.covers/" + name));

    Folder.WriteFile("other.orbl", "");
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("elsewhere"));
    ASSERT_TRUE(QFile::link("elsewhere", Folder.Path() + "/other.orbl.covers"));
    EXPECT_THROW(Covers::Store("other.orbl", 1, "jpeg"), EInOutError);
    EXPECT_TRUE(QDir(Folder.Path() + "/elsewhere").isEmpty());
}

// A removed book's cover comes back with it: the detail by the undo, the
// file because nothing removed it.
TEST_F(CoversStoreTest, AnUndoneRemovalGivesTheCoverBack)
{
    WriteDatabase(FileOf(Numbered(2)));
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    TCatalogue catalogue(std::move(settings), std::move(database));
    TDetails details;
    details.Set(FieldTable::CoverKey, Covers::Store("books.orbl", 2, "jpeg of two"));
    catalogue.SetDetails(2, details);
    catalogue.Remove(2);
    catalogue.Undo();
    const std::string value = catalogue.Database().ItemAt(1).Details.Value(FieldTable::CoverKey);
    EXPECT_EQ(value, details.Value(FieldTable::CoverKey));
    EXPECT_EQ(TTextFile::ReadAll(Covers::PathOf("books.orbl", value)), "jpeg of two");
}

} // namespace
