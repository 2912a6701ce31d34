// The catalogue dialog, opened from the File menu's two items: the web page
// and the PDF written where the system dialog chose, in the order picked;
// a cancelled choice and a catalogue file chosen by mistake write nothing.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/CatalogueDialog.h"
#include "engine/Catalogue.h"
#include "tests/support/AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPushButton>

#include <functional>

namespace {

const std::vector<TItem> Books = {Book(1, "Emma", "Austen", "Penguin"), Book(2, "Dune", "Herbert", "Ace")};

class CatalogueDialogTest : public TAppFixture {
protected:
    void SetUp() override
    {
        QImage cover(200, 320, QImage::Format_RGB32);
        cover.fill(Qt::darkRed);
        ASSERT_TRUE(QDir().mkpath(Folder.Path() + QStringLiteral("/books.orbl.covers")));
        ASSERT_TRUE(cover.save(Folder.Path() + QStringLiteral("/books.orbl.covers/1-0000abcd.jpg"), "JPEG"));
        WriteFiles(Books);
        ASSERT_TRUE(Start());
        // Emma has a cover, a picture twice the size of a thumbnail.
        TDetails details;
        details.Set("cover", "1-0000abcd.jpg");
        Catalogue().SetDetails(1, details);
    }
    // Opens the dialog through the menu's handler, runs action inside it and
    // says whether the dialog closed.
    bool Open(void (TfrmMain::*item)(), const std::function<void(TdlgCatalogue&)>& action)
    {
        bool closed = false;
        Platform.Modal.Actions.push_back([&](QDialog& dialog) {
            action(static_cast<TdlgCatalogue&>(dialog));
            closed = !dialog.isVisible();
            if (!closed)
                dialog.reject();
        });
        (frmMain->*item)();
        return closed;
    }
};

} // namespace

TEST_F(CatalogueDialogTest, EachKindIsWrittenWhereChosenInTheOrderPicked)
{
    const struct {
        void (TfrmMain::*Item)();
        int Order; // 0 author, 1 title
        bool Thumbnails;
        const char* Written;
        const char* Caption;
    } cases[] = {
        {&TfrmMain::mnuFile_ExportWebClick, 1, true, "web/index.html", "Export web catalogue"},
        {&TfrmMain::mnuFile_ExportPdfClick, 0, false, "books.pdf", "Export PDF catalogue"},
    };
    Platform.Dialogs.FolderToChoose = Folder.Path() + QStringLiteral("/web");
    Platform.Dialogs.FileToSave = Folder.Path() + QStringLiteral("/books.pdf");
    for (const auto& c : cases) {
        Platform.Messages.Clear();
        EXPECT_TRUE(Open(c.Item, [&](TdlgCatalogue& dialog) {
            EXPECT_EQ(dialog.windowTitle(), c.Caption);
            dialog.cmbOrder->setCurrentIndex(c.Order);
            dialog.chkThumbnails->setChecked(c.Thumbnails);
            dialog.btnWrite->click();
        })) << c.Written;
        const std::string bytes = Folder.ReadFile(c.Written);
        EXPECT_EQ(Platform.Messages.Texts(),
                  QStringList{QStringLiteral("2 books written to %1/%2.").arg(Folder.Path(), c.Written)});
        if (c.Order == 1) {
            EXPECT_LT(bytes.find("Dune"), bytes.find("Emma")) << "by title";
            const QImage thumbnail(Folder.Path() + QStringLiteral("/web/covers/1-0000abcd.jpg"));
            EXPECT_EQ(thumbnail.size(), QSize(100, 160)) << "the cover made small";
        } else {
            EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
        }
    }
}

TEST_F(CatalogueDialogTest, ACancelledChoiceOrACatalogueFileWritesNothing)
{
    const std::string database = DatabaseText();
    const std::vector<std::string> before = Folder.FileNames();
    for (const QString& chosen : {QString(), QString::fromStdString(Folder.FilePath("books.orbl"))}) {
        Platform.Messages.Clear();
        Platform.Dialogs.FileToSave = chosen;
        EXPECT_FALSE(Open(&TfrmMain::mnuFile_ExportPdfClick, [](TdlgCatalogue& dialog) { dialog.btnWrite->click(); }))
            << chosen.toStdString();
        EXPECT_EQ(Platform.Messages.Boxes.size(), chosen.isEmpty() ? 0u : 1u) << "the refusal is said";
    }
    EXPECT_EQ(DatabaseText(), database);
    EXPECT_EQ(Folder.FileNames(), before);
}
