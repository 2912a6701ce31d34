// The start-of-run backup as a user meets it: one mistaken bulk removal can
// be undone from "books.orbl.bak", and each run keeps the file as it found it.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "engine/ORBL.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"

#include <QDir>

namespace {

class BackupTest : public TAppFixture {};

TEST_F(BackupTest, EachRunsFirstSaveKeepsTheFileAsThatRunFoundIt)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles(
        {Book(1, "Emma", "Austen", "A"), Book(2, "Persuasion", "Austen", "B"), Book(3, "Dracula", "Stoker", "C")});
    const std::string first = DatabaseText();
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Folder.Exists("books.orbl.bak")) << "starting alone writes nothing";
    Catalogue().RemoveWhere("Book author", "Austen");
    EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), first);
    Stop();
    const std::string second = DatabaseText();
    EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), first) << "the end of the run keeps the start's copy";

    ASSERT_TRUE(Start());
    Stop(); // the end of a run saves too, and that is this run's first save
    EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), second);
}

TEST_F(BackupTest, ABackupThatCannotBeWrittenIsToldOnceAndTheSavesGoAhead)
{
    WriteFiles(
        {Book(1, "Emma", "Austen", "A"), Book(2, "Persuasion", "Austen", "B"), Book(3, "Dracula", "Stoker", "C")});
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("books.orbl.bak"));
    ASSERT_TRUE(Start());
    Catalogue().RemoveWhere("Book author", "Austen");
    Stop(); // the end of the run saves once more
    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(Platform.Messages.Boxes[0].Kind, TRecordedBox::Information);
    EXPECT_TRUE(Platform.Messages.Boxes[0].Text.startsWith("The backup copy books.orbl.bak could not be written"));
    EXPECT_EQ(DatabaseText(), DatabaseFile({Book(3, "Dracula", "Stoker", "C")}));
}

} // namespace
