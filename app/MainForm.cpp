#include "app/MainForm.h"

#include "app/Globals.h"
#include "csv/CsvSubstitution.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/BookDetailsForm.h"
#include "dialogs/CatalogueDialog.h"
#include "dialogs/HistoryForm.h"
#include "dialogs/StatisticsForm.h"
#include "dialogs/LoansForm.h"
#include "dialogs/LookUpIsbnDialog.h"
#include "dialogs/ScanIsbnForm.h"
#include "engine/Catalogue.h"
#include "engine/Covers.h"
#include "engine/FieldTable.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/IntegerConversion.h"
#include "platform/LocaleTexts.h"
#include "platform/gui/Clock.h"
#include "platform/gui/DataLabelAccessible.h"
#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "platform/gui/Shell.h"
#include "platform/gui/StoredPosition.h"
#include "settings/RFileSystem.h"
#include "widgets/CoverImage.h"
#include "widgets/DialogControls.h"
#include "widgets/RunState.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <QToolBar>
#include <QToolButton>

#include <cstdint>
#include <utility>

namespace {

// The file name part of a path: the text after its last folder separator or
// drive colon, or the whole text when it has neither.
std::string LastComponent(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Text(const QLineEdit* box)
{
    return Cp1252::FromQString(box->text());
}

// A title or author typed with letters the database file cannot hold: the
// file gets its closest Windows-1252 form ("Kondo" for "Kondō"), and the
// letters as typed are kept in the book's details under ownKey.
std::string TextKeepingOwnLetters(const QLineEdit* box, TDetails& own, const char* ownKey)
{
    const QString text = box->text();
    if (Cp1252::CanHold(text))
        return Cp1252::FromQString(text);
    own.Set(ownKey, text.toStdString());
    return Cp1252::FromQString(TCsvSubstitution::Text(text));
}

} // namespace

TfrmMain::TfrmMain(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* parent)
    : QMainWindow(parent), Catalogue(catalogue), Rows(rows), Run(run)
{
    // The global names the window from the start: the windows made later
    // take it as their owner.
    frmMain = this;
    setObjectName(QStringLiteral("frmMain"));
    Ui.Setup(this);
    Position = new TStoredPosition(*this);
    // An edit box claims Ctrl+A (select all) before the menu sees it; in this
    // window the key belongs to "Always on top" wherever the focus is.
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->installEventFilter(this);
    // The labels that show data tell a screen reader what they show.
    for (QLabel* label : {Ui.lblItems, Ui.lblLoaner, Ui.lblLoanDate, Ui.lblOverdue})
        TDataLabelAccessible::Attach(label);
    for (QLabel* panel : Ui.StatusPanels)
        TDataLabelAccessible::Attach(panel);
    ConnectHandlers();
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::ConnectHandlers()
{
    connect(Ui.tbtnAddBook, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnAddBookClick));
    connect(Ui.tbtnEditBook, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnEditBookClick));
    connect(Ui.tbtnRemoveBook, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnRemoveBookClick));
    connect(Ui.tbtnLoanBook, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnLoanBookClick));
    connect(Ui.tbtnReturnBook, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnReturnBookClick));
    connect(Ui.tbtnSearch, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnSearchClick));
    connect(Ui.tbtnPrint, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnPrintClick));
    connect(Ui.tbtnListView, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnListViewClick));
    connect(Ui.tbtnRefresh, &QToolButton::clicked, this, Guarded(this, &TfrmMain::tbtnRefreshClick));

    connect(Ui.mnuFile_Print, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnPrintClick));
    connect(Ui.mnuFile_Exit, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuFile_ExitClick));
    connect(Ui.mnuDatabase_Undo, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuDatabase_UndoClick));
    connect(Ui.mnuDatabase_Redo, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuDatabase_RedoClick));
    connect(&Catalogue, &TCatalogue::BooksChanged, this, [this] { EnableUndoItems(); });
    connect(Ui.mnuDatabase_Add, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnAddBookClick));
    connect(Ui.mnuDatabase_Edit, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnEditBookClick));
    connect(Ui.mnuDatabase_EditSeveral, &QAction::triggered, this,
            Guarded(this, &TfrmMain::mnuDatabase_EditSeveralClick));
    connect(Ui.mnuDatabase_Remove, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnRemoveBookClick));
    connect(Ui.mnuDatabase_RemoveSeveral, &QAction::triggered, this,
            Guarded(this, &TfrmMain::mnuDatabase_RemoveSeveralClick));
    connect(Ui.mnuDatabase_Loan, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnLoanBookClick));
    connect(Ui.mnuDatabase_Return, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnReturnBookClick));
    connect(Ui.mnuDatabase_Search, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnSearchClick));
    connect(Ui.mnuDatabase_Settings, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuDatabase_SettingsClick));
    connect(Ui.mnuFile_ExportWeb, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuFile_ExportWebClick));
    connect(Ui.mnuFile_ExportPdf, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuFile_ExportPdfClick));
    connect(Ui.mnuDatabase_LookUpIsbn, &QAction::triggered, this,
            Guarded(this, &TfrmMain::mnuDatabase_LookUpIsbnClick));
    connect(Ui.mnuView_ScanIsbn, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuView_ScanIsbnClick));
    connect(Ui.mnuView_ShowHideBookBrowser, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnListViewClick));
    connect(Ui.mnuView_UpdateBookBrowser, &QAction::triggered, this, Guarded(this, &TfrmMain::tbtnRefreshClick));
    connect(Ui.mnuView_Loans, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuView_LoansClick));
    connect(Ui.mnuView_GoToBookBrowser, &QAction::triggered, this,
            Guarded(this, &TfrmMain::mnuView_GoToBookBrowserClick));
    connect(Ui.actExitKey, &QAction::triggered, Ui.mnuFile_Exit, &QAction::trigger);
    // A book is edited here, wherever the command came from (the browser's rows).
    connect(Ui.mnuDatabase_Edit, &QAction::triggered, this, &TfrmMain::BringForward);
    connect(Ui.mnuView_History, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuView_HistoryClick));
    connect(Ui.mnuView_BookDetails, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuView_BookDetailsClick));
    connect(Ui.mnuView_Statistics, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuView_StatisticsClick));
    // A check item toggles itself before its handler runs; the handler decides
    // from the state the user saw, and sets the mark only when it succeeds.
    connect(Ui.mnuView_AlwaysOnTop, &QAction::triggered, this, [this](bool checked) {
        Ui.mnuView_AlwaysOnTop->setChecked(!checked);
        TErrorHandler::Guard([this] { mnuView_AlwaysOnTopClick(); });
    });
    connect(Ui.mnuView_RestoreWindows, &QAction::triggered, this,
            Guarded(this, &TfrmMain::mnuView_RestoreWindowsClick));
    connect(Ui.mnuHelp_Contents, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuHelp_ContentsClick));
    connect(Ui.mnuHelp_About, &QAction::triggered, this, Guarded(this, &TfrmMain::mnuHelp_AboutClick));

    connect(Ui.btnSave, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnSaveClick));
    connect(Ui.btnCancel, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnCancelClick));
    connect(Ui.btnFirst, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnFirstClick));
    connect(Ui.btnPrevious, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnPreviousClick));
    connect(Ui.btnNext, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnNextClick));
    connect(Ui.btnLast, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnLastClick));
    // textChanged also fires for text the program sets, which LoadBook relies on.
    connect(Ui.edtCurrentItem, &QLineEdit::textChanged, this, Guarded(this, &TfrmMain::edtCurrentItemChange));

    // The current book of the shown rows is the one shown; a refill shows the first.
    connect(&Rows, &TShownRows::Refilled, this, [this] { TErrorHandler::Guard([this] { LoadBook(0); }); });
    // A row made current by the box LoadBook is writing is that book already.
    connect(&Rows, &TShownRows::CurrentChanged, this, [this](int32_t row) {
        if (row != LoadingRow)
            TErrorHandler::Guard([this, row] { LoadBook(row); });
    });
    connect(&Run, &TRunState::BrowserShownChanged, Ui.tbtnListView, &QToolButton::setChecked);

    EnableUndoItems();

    Clock = new QTimer(this);
    Clock->setInterval(1000);
    connect(Clock, &QTimer::timeout, this, Guarded(this, &TfrmMain::ClockTimer));
    Clock->start();
}

// ---------------------------------------------------------------- start-up and end

void TfrmMain::FormCreate()
{
    PositionRestored = false;
    ClockTimer();
}

void TfrmMain::ShowCatalogue()
{
    const std::string path = Catalogue.Settings().ReadString("orbl_databasefile");
    Ui.StatusPanels[3]->setText(Cp1252::ToQString(LastComponent(path)) +
                                QStringLiteral(" (%1kt)").arg(Catalogue.Database().FileSize()));
    // Only the check mark comes back; the menu command makes the window topmost.
    Ui.mnuView_AlwaysOnTop->setChecked(Catalogue.Settings().ReadString("AlwaysOnTop") == "true");
}

void TfrmMain::StopClock()
{
    Clock->stop();
}

void TfrmMain::FormActivate()
{
    if (PositionRestored || !Catalogue.IsOpen())
        return;
    PositionRestored = true; // even a failing first attempt is not repeated
    const int32_t left = Catalogue.Settings().ReadInteger("MF_X");
    const int32_t top = Catalogue.Settings().ReadInteger("MF_Y");
    Position->PlaceAt(QPoint(left, top));
}

std::vector<TValue> TfrmMain::PlaceToStore() const
{
    // The frame's corner, as FormActivate and Restore windows place it.
    if (const std::optional<QPoint> corner = Position->ToStore())
        return {TRFileSystem::IntegerValue("MF_X", corner->x()), TRFileSystem::IntegerValue("MF_Y", corner->y())};
    return {};
}

void TfrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Centred on the first show, where it stays when FormActivate fails.
    if (!PositionRestored)
        DesktopWindow::CentreOnScreen(*this);
    // The window is activated as it is first shown; platforms without a window
    // manager never report that activation, so the first show counts as one.
    TErrorHandler::Guard([this] { FormActivate(); });
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    Run.Ending = true;
    event->accept();
    QCoreApplication::quit();
}

void TfrmMain::keyPressEvent(QKeyEvent* event)
{
    // Enter on a focused button presses it (Cancel cancels). Elsewhere Save is
    // the window's default button: Enter presses it while it is shown.
    if (DialogControls::PressFocusedButton(this, event))
        return;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && Ui.btnSave->isVisible() &&
        Ui.btnSave->isEnabled()) {
        Ui.btnSave->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride &&
        QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()) == Ui.mnuView_AlwaysOnTop->shortcut()) {
        event->ignore(); // not overridden: the shortcut runs
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- book view

void TfrmMain::ClearDetailView()
{
    for (QLineEdit* box : {Ui.edtBookname, Ui.edtAuthor, Ui.edtPublisher, Ui.edtPublishyear, Ui.edtMisc1, Ui.edtMisc2})
        box->clear();
}

void TfrmMain::SetStatus(bool browsing, bool editing)
{
    Ui.ToolBar->setEnabled(browsing);
    for (QPushButton* button : {Ui.btnFirst, Ui.btnPrevious, Ui.btnNext, Ui.btnLast})
        button->setEnabled(browsing);
    Ui.edtCurrentItem->setEnabled(browsing);
    for (QLineEdit* box : {Ui.edtBookname, Ui.edtAuthor, Ui.edtPublisher, Ui.edtPublishyear, Ui.edtMisc1, Ui.edtMisc2})
        box->setReadOnly(browsing);
    Ui.btnSave->setVisible(editing);
    Ui.btnCancel->setVisible(editing);
    Run.Editing = editing;
    EnableLoanItems();
    EnableUndoItems();
}

void TfrmMain::EnableUndoItems()
{
    const bool open = Catalogue.IsOpen();
    const std::string undo = open ? Catalogue.UndoName() : std::string();
    const std::string redo = open ? Catalogue.RedoName() : std::string();
    Ui.mnuDatabase_Undo->setText(QStringLiteral("U&ndo") +
                                 (undo.empty() ? QString() : QStringLiteral(" ") + Cp1252::ToQString(undo)));
    Ui.mnuDatabase_Redo->setText(QStringLiteral("Red&o") +
                                 (redo.empty() ? QString() : QStringLiteral(" ") + Cp1252::ToQString(redo)));
    Ui.mnuDatabase_Undo->setEnabled(!undo.empty() && !Run.Editing);
    Ui.mnuDatabase_Redo->setEnabled(!redo.empty() && !Run.Editing);
}

void TfrmMain::mnuDatabase_UndoClick()
{
    if (Run.Editing || !Catalogue.CanUndo())
        return;
    try {
        Catalogue.Undo();
    } catch (const TCatalogue::EChangedSince& error) {
        TPlatform::Messages().Information(QStringLiteral("Cannot undo: ") + Cp1252::ToQString(error.what()));
    }
}

void TfrmMain::mnuDatabase_RedoClick()
{
    if (Run.Editing || !Catalogue.CanRedo())
        return;
    try {
        Catalogue.Redo();
    } catch (const TCatalogue::EChangedSince& error) {
        TPlatform::Messages().Information(QStringLiteral("Cannot redo: ") + Cp1252::ToQString(error.what()));
    }
}

void TfrmMain::EnableLoanItems()
{
    // The menu items follow their toolbar buttons, the bar's own state included.
    Ui.mnuDatabase_Loan->setEnabled(Ui.tbtnLoanBook->isEnabled());
    Ui.mnuDatabase_Return->setEnabled(Ui.tbtnReturnBook->isEnabled());
}

void TfrmMain::LoadList()
{
    // As after any change: the find line's words, if any, still narrow it.
    Rows.FillAgain();
}

void TfrmMain::ShowLoanState(bool onLoan)
{
    Ui.grpLoaninfo->setVisible(onLoan);
    Ui.tbtnLoanBook->setEnabled(!onLoan);
    Ui.tbtnReturnBook->setEnabled(onLoan);
    EnableLoanItems();
}

void TfrmMain::ShowEmptyBook()
{
    ClearDetailView();
    Ui.lblLoaner->clear();
    Ui.lblLoanDate->clear();
    ShowLoanState(false);
}

void TfrmMain::SetBookDataTitle(const QString& title)
{
    Ui.grpBookData->setTitle(title);
    Ui.grpBookData->setAccessibleName(title);
}

void TfrmMain::LoadBook(int32_t r)
{
    if (r < 0 || r >= TShownRows::Capacity)
        throw EBaseError("Grid index out of range");
    // The blank row of an empty list holds no book.
    if (Rows.IsBlank(r)) {
        ShowEmptyBook();
    } else {
        // While the database is marked empty GetItem hands back nothing, and
        // the fresh record shows as an empty book.
        TItem item;
        Catalogue.Database().GetItem(Rows.IdAt(r), -1, item);
        Ui.edtBookname->setText(Cp1252::ToQString(item.Fields[0]));
        Ui.edtAuthor->setText(Cp1252::ToQString(item.Fields[1]));
        Ui.edtPublisher->setText(Cp1252::ToQString(item.Fields[2]));
        Ui.edtPublishyear->setText(Cp1252::ToQString(item.Fields[3]));
        Ui.edtMisc1->setText(Cp1252::ToQString(item.Fields[4]));
        Ui.edtMisc2->setText(Cp1252::ToQString(item.Fields[5]));
        Ui.lblLoaner->setText(Cp1252::ToQString(item.Fields[6]));
        Ui.lblLoanDate->setText(Cp1252::ToQString(item.Fields[7]));
        ShowLoanState(!item.Fields[7].empty());
    }
    ++FBooksLoaded;
    Ui.lblItems->setText(QStringLiteral(" / %1").arg(Catalogue.Database().Count()));
    // The box's change selects the row, so that the browser follows the book
    // shown; the book is not loaded again for it.
    // (Its handler is guarded: nothing raises through setText.)
    const int32_t outer = std::exchange(LoadingRow, r);
    Ui.edtCurrentItem->setText(QString::number(r + 1));
    LoadingRow = outer;
}

int32_t TfrmMain::SelectedRow() const
{
    return Rows.Current();
}

// The steps select a row of the shown rows; the row's book is shown as the
// current row changes.
void TfrmMain::btnFirstClick()
{
    if (SelectedRow() == 0)
        return;
    Rows.Select(0);
}

void TfrmMain::btnPreviousClick()
{
    const int32_t s = SelectedRow();
    if (s == 0)
        return;
    Rows.Select(s - 1);
}

void TfrmMain::btnNextClick()
{
    const int32_t s = SelectedRow();
    if (s == Rows.RowCount() - 1)
        return;
    Rows.Select(s + 1);
}

void TfrmMain::btnLastClick()
{
    const int32_t last = Rows.RowCount() - 1;
    if (SelectedRow() == last)
        return;
    Rows.Select(last);
}

void TfrmMain::edtCurrentItemChange()
{
    if (!Catalogue.IsOpen())
        return;
    const int32_t v = IntegerConversion::StrToInt(Text(Ui.edtCurrentItem));
    if (v < 1 || v > Catalogue.Database().Count())
        return;
    // Written by LoadBook for the current row: nothing left to follow.
    if (v - 1 == LoadingRow && v - 1 == Rows.Current())
        return;
    Rows.Select(v - 1);
}

void TfrmMain::ShowOverdue(int overdue, const QString& note)
{
    // The status bar has room for a few words: the label says them, and its
    // tool tip (also shown when Tab reaches it) and its description to a
    // screen reader say the whole.
    QStringList shown;
    QStringList whole;
    if (overdue > 0) {
        shown << QStringLiteral("%1 overdue").arg(overdue);
        whole << QStringLiteral("%1 %2 overdue: Ctrl+F6 opens the Loans window.")
                     .arg(overdue)
                     .arg(overdue == 1 ? QStringLiteral("book") : QStringLiteral("books"));
    }
    if (!note.isEmpty()) {
        shown << (overdue > 0 ? QStringLiteral("note") : QStringLiteral("Due dates note"));
        whole << note;
    }
    Ui.lblOverdue->setText(shown.join(QStringLiteral(", ")));
    Ui.lblOverdue->setToolTip(whole.join(QLatin1Char('\n')));
    Ui.lblOverdue->setAccessibleDescription(whole.join(QLatin1Char(' ')));
    Ui.lblOverdue->setVisible(!shown.isEmpty());
}

void TfrmMain::ClockTimer()
{
    const QDateTime now = TPlatform::Clock().Now();
    Ui.StatusPanels[0]->setText(LocaleTexts::ShortDate(now.date()));
    Ui.StatusPanels[1]->setText(LocaleTexts::LongTime(now.time()));
}

// ---------------------------------------------------------------- editing commands

void TfrmMain::tbtnAddBookClick()
{
    LookedUp.Clear();
    LookedUpCover.clear();
    Ui.grpLoaninfo->hide();
    SetBookDataTitle(QStringLiteral("Add book"));
    ClearDetailView();
    SetStatus(false, true);
    AddMode = true;
    Ui.edtBookname->setFocus();
}

bool TfrmMain::NoBookListed() const
{
    // A find that matched nothing lists no book: a command on the shown book
    // has none to act on. An empty catalogue keeps its own behaviour.
    if (Rows.Count() > 0 || Catalogue.Database().Count() == 0)
        return false;
    TPlatform::Messages().Information(
        QStringLiteral("No book is listed. Press Escape in the find line, or F7, to list the books again."));
    return true;
}

void TfrmMain::tbtnEditBookClick()
{
    if (NoBookListed())
        return;
    LookedUp.Clear();
    LookedUpCover.clear();
    SetBookDataTitle(QStringLiteral("Edit book"));
    SetStatus(false, true);
    AddMode = false;
    Ui.edtBookname->setFocus();
}

void TfrmMain::btnSaveClick()
{
    TItem item;
    TDetails own;
    item.Fields[0] = TextKeepingOwnLetters(Ui.edtBookname, own, FieldTable::TitleOwnKey);
    item.Fields[1] = TextKeepingOwnLetters(Ui.edtAuthor, own, FieldTable::AuthorOwnKey);
    item.Fields[2] = Text(Ui.edtPublisher);
    item.Fields[3] = Text(Ui.edtPublishyear);
    item.Fields[4] = Text(Ui.edtMisc1);
    item.Fields[5] = Text(Ui.edtMisc2);
    // A cover a lookup fetched reaches its file before the details name it.
    if (!LookedUpCover.empty()) {
        const int32_t id = AddMode ? Catalogue.NextNumbers(1).front() : Rows.CurrentId();
        LookedUp.Set(FieldTable::CoverKey, Covers::Store(Catalogue.Database().FileName(), id, LookedUpCover));
        LookedUpCover.clear();
    }
    // The catalogue saves at once, lists the books anew and the first is
    // shown; a failure leaves the window in edit mode with the typed text.
    if (AddMode) {
        item.Details = LookedUp;
        for (const auto& [key, value] : own.Values())
            item.Details.Set(key, value);
        Catalogue.Add(item);
    } else {
        item.ID = Rows.CurrentId();
        item.Fields[6] = Cp1252::FromQString(Ui.lblLoaner->text());
        item.Fields[7] = Cp1252::FromQString(Ui.lblLoanDate->text());
        const TDatabase& database = Catalogue.Database();
        const int32_t slot = database.SlotOf(item.ID);
        if ((own.Empty() && LookedUp.Empty()) || slot < 0) {
            Catalogue.Update(item); // keeps the details, the own letters of a text retyped dropped
        } else {
            const TItem& stored = database.ItemAt(slot);
            TDetails details = stored.Details;
            for (const auto& [key, value] : LookedUp.Values())
                details.Set(key, value);
            for (const auto& [field, key] : {std::pair<size_t, const char*>{0, FieldTable::TitleOwnKey},
                                             std::pair<size_t, const char*>{1, FieldTable::AuthorOwnKey}}) {
                if (own.Has(key))
                    details.Set(key, own.Value(key));
                else if (item.Fields[field] != stored.Fields[field])
                    details.Remove(key);
            }
            Catalogue.Update(item, details);
        }
    }
    btnCancelClick();
}

void TfrmMain::btnCancelClick()
{
    LookedUp.Clear();
    LookedUpCover.clear();
    SetBookDataTitle(QStringLiteral("Book data"));
    ClearDetailView();
    SetStatus(true, false);
    LoadBook(0);
}

void TfrmMain::tbtnRemoveBookClick()
{
    if (NoBookListed())
        return;
    if (!TPlatform::Messages().Question(QStringLiteral("Sure to remove this book?")))
        return;
    Catalogue.Remove(Rows.CurrentId());
}

void TfrmMain::tbtnLoanBookClick()
{
    if (NoBookListed())
        return;
    // The dialog lends the current book through the catalogue. Confirmed or
    // not, the list is made anew and its first book shown.
    TPlatform::Modal().Exec(dlgLoanBook.Dialog());
    LoadList();
}

void TfrmMain::tbtnReturnBookClick()
{
    if (NoBookListed())
        return;
    if (!TPlatform::Messages().Question(QStringLiteral("Sure to return this book?")))
        return;
    AddMode = false;
    // Only the loan date is cleared; the book keeps its last loaner's name.
    Catalogue.Return(Rows.CurrentId());
    btnCancelClick();
}

// ---------------------------------------------------------------- view and help commands

void TfrmMain::tbtnListViewClick()
{
    if (Run.BrowserShown()) {
        frmBookBrowser->close(); // its close handling writes the position and clears BrowserShown
    } else {
        frmBookBrowser->show();
        Run.SetBrowserShown(true);
    }
    Ui.tbtnListView->setChecked(Run.BrowserShown());
}

void TfrmMain::tbtnRefreshClick()
{
    // Every book, ending a search's result and the find line's words.
    Rows.FillAll();
}

void TfrmMain::mnuView_LoansClick()
{
    frmLoans->show();
    frmLoans->raise();
    frmLoans->activateWindow();
}

void TfrmMain::mnuView_GoToBookBrowserClick()
{
    if (!Run.BrowserShown())
        tbtnListViewClick();
    frmBookBrowser->raise();
    frmBookBrowser->activateWindow();
}

void TfrmMain::BringForward()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TfrmMain::mnuView_HistoryClick()
{
    frmHistory->show();
    frmHistory->raise();
    frmHistory->activateWindow();
}

void TfrmMain::mnuView_BookDetailsClick()
{
    frmBookDetails->show();
    frmBookDetails->raise();
    frmBookDetails->activateWindow();
}

void TfrmMain::mnuView_StatisticsClick()
{
    frmStatistics->show();
    frmStatistics->raise();
    frmStatistics->activateWindow();
}

void TfrmMain::mnuView_AlwaysOnTopClick()
{
    const bool wasOnTop = Ui.mnuView_AlwaysOnTop->isChecked();
    Catalogue.Settings().WriteString("AlwaysOnTop", wasOnTop ? "false" : "true");
    DesktopWindow::SetStaysOnTop(*this, !wasOnTop);
    Ui.mnuView_AlwaysOnTop->setChecked(!wasOnTop);
}

void TfrmMain::mnuView_RestoreWindowsClick()
{
    // The four places in one save.
    Catalogue.Settings().WriteValues({TRFileSystem::IntegerValue("LV_X", 100), TRFileSystem::IntegerValue("LV_Y", 100),
                                      TRFileSystem::IntegerValue("MF_X", 300),
                                      TRFileSystem::IntegerValue("MF_Y", 300)});
    Position->PlaceAt(QPoint(300, 300));
    // The browser goes to 100, 100 (even while hidden; it is not shown by
    // this), the Loans window to its own default place.
    Run.RestoreWindows();
}

void TfrmMain::mnuHelp_ContentsClick()
{
    TPlatform::Shell().Open(QStringLiteral("volumnia.pdf"));
}

void TfrmMain::mnuHelp_AboutClick()
{
    TPlatform::Modal().Exec(dlgAbout.Dialog());
}

void TfrmMain::mnuDatabase_SettingsClick()
{
    TPlatform::Modal().Exec(dlgDatabaseSettings.Dialog());
}

void TfrmMain::mnuFile_ExportWebClick()
{
    dlgCatalogue->SetKind(TdlgCatalogue::TKind::WebPage);
    TPlatform::Modal().Exec(dlgCatalogue.Dialog());
}

void TfrmMain::mnuFile_ExportPdfClick()
{
    dlgCatalogue->SetKind(TdlgCatalogue::TKind::Pdf);
    TPlatform::Modal().Exec(dlgCatalogue.Dialog());
}

void TfrmMain::mnuDatabase_EditSeveralClick()
{
    TPlatform::Modal().Exec(dlgEditSeveral.Dialog());
}

void TfrmMain::mnuDatabase_RemoveSeveralClick()
{
    TPlatform::Modal().Exec(dlgRemoveSeveral.Dialog());
}

void TfrmMain::tbtnSearchClick()
{
    TPlatform::Modal().Exec(dlgSearchBooks.Dialog());
}

void TfrmMain::tbtnPrintClick()
{
    TPlatform::Modal().Exec(dlgPrint.Dialog());
}

void TfrmMain::mnuFile_ExitClick()
{
    Run.Ending = true;
    QCoreApplication::quit();
}

// ---------------------------------------------------------------- lookup by ISBN and the scan line

void TfrmMain::mnuDatabase_LookUpIsbnClick()
{
    if (!Run.Editing) {
        TPlatform::Messages().Information(QStringLiteral(
            "Look up ISBN fills the boxes of a book being added or edited: press F1 to add a book or F2 to edit "
            "the one shown, then look it up."));
        return;
    }
    // The ISBN the book has or was given by the last lookup, to look up again or change.
    std::string isbn = LookedUp.Value("isbn");
    if (isbn.empty() && !AddMode && !Rows.IsBlank(Rows.Current()))
        isbn = Rows.ItemAt(Rows.Current()).Details.Value("isbn");
    LookUpIsbn(QString::fromStdString(isbn), false);
}

void TfrmMain::AddByIsbn(const QString& isbn13)
{
    if (Run.Editing) {
        TPlatform::Messages().Information(
            QStringLiteral("Save or cancel the book being edited first, then add the new one."));
        BringForward();
        return;
    }
    BringForward();
    tbtnAddBookClick();
    LookUpIsbn(isbn13, true);
}

void TfrmMain::EditByIsbn(const QString& isbn)
{
    BringForward();
    if (!Run.Editing) {
        if (NoBookListed() || Rows.IsBlank(Rows.Current()))
            return;
        tbtnEditBookClick();
    }
    LookUpIsbn(isbn, !isbn.isEmpty());
}

void TfrmMain::LookUpIsbn(const QString& isbn, bool lookAtOnce)
{
    dlgLookUpIsbn->Prepare(isbn, lookAtOnce);
    if (TPlatform::Modal().Exec(dlgLookUpIsbn.Dialog()) != QDialog::Accepted)
        return;
    const TLookupRecord* record = dlgLookUpIsbn->Chosen();
    if (!record)
        return;
    // The source's own letters go into the boxes; Save gives the database
    // file their closest form and keeps them in the details.
    Ui.edtBookname->setText(record->FullTitle());
    Ui.edtAuthor->setText(record->AuthorText());
    Ui.edtPublisher->setText(record->PublisherText());
    Ui.edtPublishyear->setText(record->Year);
    LookedUp.Set("isbn", dlgLookUpIsbn->Isbn13());
    // The record's cover, where one came, goes with the book; one chosen
    // before for it gives way.
    LookedUpCover = CoverImage::Jpeg(QImage::fromData(dlgLookUpIsbn->CoverJpeg(), "JPEG"));
    Ui.edtBookname->setFocus();
}

void TfrmMain::mnuView_ScanIsbnClick()
{
    frmScanIsbn->show();
    frmScanIsbn->raise();
    frmScanIsbn->activateWindow();
    frmScanIsbn->FocusScanLine();
}
