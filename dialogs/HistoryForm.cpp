#include "dialogs/HistoryForm.h"

#include "engine/Catalogue.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/gui/DataLabelAccessible.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/StoredPosition.h"
#include "settings/RFileSystem.h"
#include "widgets/ChangeBooksModel.h"
#include "widgets/ChangeFieldsModel.h"
#include "widgets/DialogControls.h"
#include "widgets/HistoryListModel.h"
#include "widgets/RunState.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <vector>

namespace {

const char* const PositionKeyX = "HI_X";
const char* const PositionKeyY = "HI_Y";

QTableView* List(QWidget* parent, const char* name, const QString& spoken, QAbstractItemModel* model,
                 const std::vector<int>& widths, const QRect& place)
{
    auto* list = new QTableView(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(spoken);
    list->setModel(model);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(17);
    for (size_t c = 0; c < widths.size(); ++c)
        list->setColumnWidth(static_cast<int>(c), widths[c]);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false); // Tab leaves the list: one stop
    list->setWordWrap(false);
    list->setGeometry(place);
    return list;
}

QString Text(const std::string& text)
{
    return Cp1252::ToQString(text);
}

// The row of the list's current cell where the list has a selection, or -1.
int SelectedRow(const QTableView* list)
{
    return list->selectionModel()->hasSelection() ? list->currentIndex().row() : -1;
}

void SelectRow(QTableView* list, int row)
{
    list->setCurrentIndex(list->model()->index(row, 0));
    list->selectRow(row);
}

} // namespace

TfrmHistory::TfrmHistory(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* stackingOwner)
    : TModelessWindow(run, QStringLiteral("History"), 626, 458, stackingOwner), Catalogue(catalogue), Rows(rows)
{
    KeepPlaceIn(Catalogue.Settings(), PositionKeyX, PositionKeyY);
    UseDialogKeys();
    setObjectName(QStringLiteral("frmHistory"));
    FChanges = new THistoryListModel(this);
    FBooks = new TChangeBooksModel(this);
    FFields = new TChangeFieldsModel(this);
    lstChanges =
        List(this, "lstChanges", QStringLiteral("Changes, newest first"), FChanges, {120, 170}, QRect(8, 8, 610, 210));
    chkShownBook = new QCheckBox(QStringLiteral("Only the book &shown in the main window"), this);
    chkShownBook->setObjectName(QStringLiteral("chkShownBook"));
    chkShownBook->setGeometry(8, 222, 400, 20);
    // The books of the change, and beside them the selected one's fields.
    lstBooks =
        List(this, "lstBooks", QStringLiteral("Books of the change"), FBooks, {40, 125}, QRect(8, 246, 300, 150));
    lstFields = List(this, "lstFields", QStringLiteral("Fields of the book, before and after"), FFields, {100, 90},
                     QRect(314, 246, 304, 150));
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setGeometry(8, 398, 610, 18);
    lblNote->setAccessibleName(QStringLiteral("History note"));
    TDataLabelAccessible::Attach(lblNote);

    using DialogControls::TButtonKind;
    const int top = 424;
    btnRestore =
        DialogControls::Button(QIcon(), QStringLiteral("Restore this &version"), this, 8, top, TButtonKind::Plain);
    btnBringBack =
        DialogControls::Button(QIcon(), QStringLiteral("&Bring back"), this, 8 + 118, top, TButtonKind::Plain);
    btnTakeBack = DialogControls::Button(QIcon(), QStringLiteral("&Take back import"), this, 8 + 2 * 118, top,
                                         TButtonKind::Plain);
    btnClose = DialogControls::Button(QIcon(), QStringLiteral("&Close"), this, 626 - 8 - 107, top, TButtonKind::Plain);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnBringBack->setObjectName(QStringLiteral("btnBringBack"));
    btnTakeBack->setObjectName(QStringLiteral("btnTakeBack"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* button : {btnRestore, btnBringBack, btnTakeBack})
        button->resize(112, button->height());

    connect(btnRestore, &QPushButton::clicked, this, Guarded(this, &TfrmHistory::btnRestoreClick));
    connect(btnBringBack, &QPushButton::clicked, this, Guarded(this, &TfrmHistory::btnBringBackClick));
    connect(btnTakeBack, &QPushButton::clicked, this, Guarded(this, &TfrmHistory::btnTakeBackClick));
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(chkShownBook, &QCheckBox::toggled, this, Guarded(this, &TfrmHistory::Follow));
    connect(lstChanges->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded(this, &TfrmHistory::ListBooks));
    connect(lstBooks->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded(this, &TfrmHistory::ListFields));
    connect(&Rows, &TShownRows::Refilled, this, Guarded(this, &TfrmHistory::BooksChanged));
    connect(&Rows, &TShownRows::CurrentChanged, this, [this] {
        if (isVisible() && chkShownBook->isChecked())
            TErrorHandler::Guard([this] { Follow(); });
    });

    QWidget* previous = lstChanges;
    for (QWidget* next :
         {static_cast<QWidget*>(chkShownBook), static_cast<QWidget*>(lstBooks), static_cast<QWidget*>(lstFields),
          static_cast<QWidget*>(btnRestore), static_cast<QWidget*>(btnBringBack), static_cast<QWidget*>(btnTakeBack),
          static_cast<QWidget*>(btnClose)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

int TfrmHistory::ListedCount() const
{
    return FChanges->rowCount();
}

TfrmHistory::TStamp TfrmHistory::FileStamp() const
{
    const QFileInfo info(Text(THistory::FileNameFor(Catalogue.Database().FileName())));
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified(), info.metadataChangeTime()};
}

void TfrmHistory::Refresh()
{
    // The stamp first: a write while the file is read is seen at the next look.
    FReadStamp = FileStamp();
    FNote.clear();
    ++FReadCount;
    // The lists of a change show entries about to go.
    FBooks->SetChange(nullptr);
    FFields->SetBook(nullptr);
    // An entry written ahead of a save that never came is not listed.
    FChanges->SetEntries(THistory(Catalogue.Database().FileName()).ReadLines(&FNote, &Catalogue.Database()), {});
    ListLines();
}

void TfrmHistory::Follow()
{
    if (FileStamp() == FReadStamp)
        ListLines();
    else
        Refresh();
}

void TfrmHistory::ListLines()
{
    const THistory::TLines& lines = FChanges->Lines();
    const int32_t shown = chkShownBook->isChecked() ? Rows.CurrentId() : 0;
    std::vector<size_t> listed;
    listed.reserve(lines.Count());
    for (size_t i = lines.Count(); i-- > 0;)
        if (shown == 0 || lines.Touches(i, shown))
            listed.push_back(i);
    // The books' list shows a change of the entries about to go.
    FBooks->SetChange(nullptr);
    FChanges->SetListed(std::move(listed));
    lblNote->setText(FNote.empty() ? QStringLiteral("%1 changes listed.").arg(ListedCount()) : Text(FNote));
    SelectChange(ListedCount() == 0 ? -1 : 0);
    ListBooks();
}

void TfrmHistory::SelectChange(int row)
{
    if (row < 0) {
        lstChanges->clearSelection();
        return;
    }
    SelectRow(lstChanges, row);
}

void TfrmHistory::SelectBook(int row)
{
    SelectRow(lstBooks, row);
}

const THistoryEntry* TfrmHistory::SelectedChange() const
{
    const int row = SelectedRow(lstChanges);
    if (row < 0 || row >= ListedCount())
        return nullptr;
    return &FChanges->Entry(row);
}

const TBookChange::TBook* TfrmHistory::SelectedBook() const
{
    const THistoryEntry* entry = SelectedChange();
    const int row = SelectedRow(lstBooks);
    if (!entry || row < 0 || row >= static_cast<int>(entry->Change.Books.size()))
        return nullptr;
    return &entry->Change.Books[static_cast<size_t>(row)];
}

void TfrmHistory::ListBooks()
{
    const THistoryEntry* entry = SelectedChange();
    FBooks->SetChange(entry ? &entry->Change : nullptr);
    if (entry && !entry->Change.Books.empty())
        SelectBook(0);
    ListFields();
}

void TfrmHistory::ListFields()
{
    FFields->SetBook(SelectedBook());
    EnableButtons();
}

void TfrmHistory::EnableButtons()
{
    const THistoryEntry* entry = SelectedChange();
    const TBookChange::TBook* book = SelectedBook();
    const bool held = book && Catalogue.Database().ItemExists(book->ID);
    btnRestore->setEnabled(book && book->Before && held);
    btnBringBack->setEnabled(book && book->Before && !held);
    btnTakeBack->setEnabled(entry && entry->Change.Kind == TBookChangeKind::Imported);
}

bool TfrmHistory::RefuseWhileEditing() const
{
    if (!Run.Editing)
        return false;
    TPlatform::Messages().Information(QStringLiteral("Save or cancel the book being edited in the main window first."));
    return true;
}

void TfrmHistory::btnRestoreClick()
{
    const TBookChange::TBook* book = SelectedBook();
    if (!book || !book->Before || RefuseWhileEditing())
        return;
    // The book must still be as the history's newest entry of it left it:
    // one changed by hand since is refused, naming it.
    std::optional<TItem> left = book->After;
    FChanges->Lines().LastLeft(book->ID, left);
    try {
        Catalogue.RestoreVersion(*book->Before, left);
    } catch (const TCatalogue::EChangedSince& error) {
        TPlatform::Messages().Information(Text(error.what()));
    }
}

void TfrmHistory::btnBringBackClick()
{
    const TBookChange::TBook* book = SelectedBook();
    if (!book || !book->Before || RefuseWhileEditing())
        return;
    try {
        Catalogue.BringBack(*book->Before);
    } catch (const TCatalogue::EChangedSince& error) {
        TPlatform::Messages().Information(Text(error.what()));
    }
}

void TfrmHistory::btnTakeBackClick()
{
    const THistoryEntry* entry = SelectedChange();
    if (!entry || entry->Change.Kind != TBookChangeKind::Imported || RefuseWhileEditing())
        return;
    if (!TPlatform::Messages().Question(
            QStringLiteral("Sure to remove the %1 books of this import?").arg(entry->Change.Books.size())))
        return;
    const TBookChange change = entry->Change; // the list is made anew by the change
    try {
        Catalogue.TakeBack(change);
    } catch (const TCatalogue::EChangedSince& error) {
        TPlatform::Messages().Information(Text(error.what()));
    }
}

void TfrmHistory::BooksChanged()
{
    if (isVisible())
        Follow();
}

void TfrmHistory::showEvent(QShowEvent* event)
{
    TModelessWindow::showEvent(event);
    TErrorHandler::Guard([this] { Refresh(); });
    lstChanges->setFocus();
}
