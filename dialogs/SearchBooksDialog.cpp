#include "dialogs/SearchBooksDialog.h"

#include "engine/Catalogue.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "widgets/BookFieldNames.h"
#include "widgets/DialogControls.h"
#include "widgets/ToolBarImages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <vector>

using namespace DialogControls;

TdlgSearchBooks::TdlgSearchBooks(const TCatalogue& catalogue, TShownRows& rows, QWidget* parent)
    : TDialogBase(parent), Catalogue(catalogue), Rows(rows)
{
    SetUpWindow(QStringLiteral("Search"), 409, 153, ExactBorder);
    // The weight is set explicitly so that the group's bold caption font does
    // not pass it on to the controls inside.
    QFont normal = DialogFont();
    normal.setBold(false);
    setFont(normal);

    // Only the group's caption is bold; its controls get the normal font back.
    grpSearchinfo = new QGroupBox(QStringLiteral("Search terms"), this);
    MakeBold(grpSearchinfo);
    grpSearchinfo->setGeometry(8, 4, 393, 108);

    lblSearchstringCaption = new QLabel(QStringLiteral("Keywords"), grpSearchinfo);
    lblSearchstringCaption->setFont(normal);
    lblSearchstringCaption->setGeometry(12, 22, 369, 14);
    edtSearchstring = EditBox(grpSearchinfo, 12, 38, 369);
    edtSearchstring->setFont(normal);
    lblSearchstringCaption->setBuddy(edtSearchstring);

    // One row, in the order the search tests them.
    struct TRadio {
        QRadioButton** Button;
        const char* Caption;
        int Left;
        int Width;
    };
    const TRadio radios[] = {
        {&rbtBookname, "Book title", 12, 80},
        {&rbtAuthor, "Book author", 96, 88},
        {&rbtPublisher, "Publisher", 188, 76},
        {&rbtMisc, "Other information", 268, 116},
    };
    for (const TRadio& radio : radios) {
        *radio.Button = new QRadioButton(QString::fromLatin1(radio.Caption), grpSearchinfo);
        (*radio.Button)->setFont(normal);
        (*radio.Button)->setGeometry(radio.Left, 74, radio.Width, 18);
    }
    rbtBookname->setChecked(true);

    btnSearch = Button(TToolBarImages::Icon(TToolBarImages::Search), QStringLiteral("&Search"), this, 294, 120,
                       TButtonKind::Default);
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 178, 120, TButtonKind::Plain);

    SetTabOrder({edtSearchstring, rbtBookname, rbtAuthor, rbtPublisher, rbtMisc, btnSearch, btnCancel});

    ConnectClick(btnSearch, &TdlgSearchBooks::btnSearchClick);
    ConnectClick(btnCancel, &TdlgSearchBooks::btnCancelClick);
}

std::string TdlgSearchBooks::SelectedAlias() const
{
    if (rbtBookname->isChecked())
        return BookFieldNames[0];
    if (rbtAuthor->isChecked())
        return BookFieldNames[1];
    if (rbtPublisher->isChecked())
        return BookFieldNames[2];
    return BookFieldNames[4];
}

void TdlgSearchBooks::FormActivate()
{
    edtSearchstring->clear();
    rbtBookname->setChecked(true);
    edtSearchstring->setFocus(Qt::OtherFocusReason);
}

void TdlgSearchBooks::btnSearchClick()
{
    const std::string text = Cp1252::FromQString(edtSearchstring->text());

    // An empty text finds nothing without asking the engine, which would
    // refuse it with its own error.
    const Searchresult result = text.empty() ? Searchresult{} : Catalogue.Database().Search(SelectedAlias(), text);

    if (result.ItemCount <= 0) {
        TPlatform::Messages().Information(QStringLiteral("No books found."));
        return; // the dialog stays open with the text, the list is untouched
    }

    // The result becomes the shown rows: the browser lists it and the main
    // window shows its first book.
    Rows.FillWith(result);
    TPlatform::Messages().Information(QStringLiteral("Found books."));
    edtSearchstring->clear();
    accept();
}

void TdlgSearchBooks::btnCancelClick()
{
    reject();
}
