#include "dialogs/LoansForm.h"

#include "engine/Catalogue.h"
#include "engine/DueDates.h"
#include "engine/LoanHistory.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"
#include "platform/LocaleTexts.h"
#include "platform/gui/Clock.h"
#include "platform/gui/DataLabelAccessible.h"
#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/StoredPosition.h"
#include "settings/RFileSystem.h"
#include "widgets/DialogControls.h"
#include "widgets/LoanListModel.h"
#include "widgets/RunState.h"
#include "widgets/SortTitle.h"

#include <QClipboard>
#include <QDateTime>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The loan period's box. Every number typed is let in, so one past the
// longest period is refused whole when Enter is pressed or the box is left
// (the period stays as it was, and the window says why) instead of being
// cut to its first digits as they are typed.
class TPeriodBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    // The text refused since last asked, once.
    QString TakeRefused()
    {
        QString refused;
        refused.swap(Refused);
        return refused;
    }

protected:
    QValidator::State validate(QString& text, int& pos) const override
    {
        const QValidator::State state = QSpinBox::validate(text, pos);
        return state == QValidator::Invalid && !Digits(text).isEmpty() ? QValidator::Intermediate : state;
    }
    void fixup(QString& text) const override
    {
        if (!Digits(text).isEmpty())
            Refused = Digits(text);
        QSpinBox::fixup(text);
    }

private:
    // The number typed, without the suffix; empty when it is not all digits.
    QString Digits(const QString& text) const
    {
        QString number = text.trimmed();
        if (number.endsWith(suffix().trimmed()))
            number.chop(suffix().trimmed().size());
        number = number.trimmed();
        for (const QChar c : number)
            if (!c.isDigit())
                return QString();
        return number;
    }
    mutable QString Refused;
};

constexpr int ListLeft = 8;
constexpr std::array<int, TLoanListModel::ColumnCount> ColumnWidths = {150, 110, 100, 76, 50, 90};

// A column title that looks like the browser's sort links (underlined, hand
// cursor) and, being a flat button, is reached with Tab and pressed with
// Space or Enter.
TSortTitle* SortTitle(QWidget* parent, int column, int x, int width)
{
    const QString caption = TLoanListModel::ColumnName(column);
    auto* title = new TSortTitle(caption, QStringLiteral("Sorts the loans by this column"), parent);
    title->setObjectName(QStringLiteral("SortBy") + QString(caption).remove(QLatin1Char(' ')));
    title->setGeometry(x, 16, width, 18);
    return title;
}

// The order each column title sorts by: title, author, loaner, and overdue
// first, then the longest out, for the date, the days and the due date.
constexpr std::array<TLoanRows::TOrder, TLoanListModel::ColumnCount> TitleOrders = {
    TLoanRows::TOrder::Title,      TLoanRows::TOrder::Author,     TLoanRows::TOrder::Loaner,
    TLoanRows::TOrder::LongestOut, TLoanRows::TOrder::LongestOut, TLoanRows::TOrder::LongestOut};

// The window's place: new keys, which no other program writes.
const char* const PositionKeyX = "LN_X";
const char* const PositionKeyY = "LN_Y";

} // namespace

TfrmLoans::TfrmLoans(TCatalogue& catalogue, TShownRows& rows, TRunState& run, TDueDates& dues, THistorySource history,
                     QWidget* stackingOwner)
    : TModelessWindow(run, QStringLiteral("Loans"), 626, 432, stackingOwner), Catalogue(catalogue), Rows(rows),
      Dues(dues), History(std::move(history))
{
    KeepPlaceIn(Catalogue.Settings(), PositionKeyX, PositionKeyY);
    UseDialogKeys();
    setObjectName(QStringLiteral("frmLoans"));

    grpLoans = new QGroupBox(QStringLiteral("Books on loan"), this);
    grpLoans->setObjectName(QStringLiteral("grpLoans"));
    QFont bold = font();
    bold.setBold(true);
    grpLoans->setFont(bold);
    grpLoans->setGeometry(8, 8, 610, 349);
    grpLoans->setAccessibleName(QStringLiteral("Books on loan"));

    int x = ListLeft + 1;
    for (int column = 0; column < TLoanListModel::ColumnCount; ++column) {
        SortTitles[static_cast<size_t>(column)] = SortTitle(grpLoans, column, x + 2, ColumnWidths[column] - 4);
        x += ColumnWidths[column];
    }
    for (size_t column = 0; column < SortTitles.size(); ++column) {
        const TLoanRows::TOrder order = TitleOrders[column];
        connect(SortTitles[column], &QPushButton::clicked, this,
                [this, order] { TErrorHandler::Guard([this, order] { SortTitleClick(order); }); });
    }
    ShowSortState();

    FModel = new TLoanListModel(this);
    lstLoans = new QTableView(grpLoans);
    lstLoans->setObjectName(QStringLiteral("lstLoans"));
    QFont normal = font();
    normal.setBold(false);
    lstLoans->setFont(normal);
    lstLoans->setModel(FModel);
    lstLoans->setAccessibleName(QStringLiteral("Books on loan"));
    lstLoans->horizontalHeader()->hide();
    lstLoans->verticalHeader()->hide();
    lstLoans->verticalHeader()->setMinimumSectionSize(15);
    lstLoans->verticalHeader()->setDefaultSectionSize(15);
    lstLoans->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstLoans->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < TLoanListModel::ColumnCount; ++column)
        lstLoans->setColumnWidth(column, ColumnWidths[column]);
    lstLoans->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstLoans->setSelectionMode(QAbstractItemView::SingleSelection);
    lstLoans->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstLoans->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstLoans->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lstLoans->setWordWrap(false);
    lstLoans->setTabKeyNavigation(false); // Tab leaves the list: one stop
    lstLoans->setGeometry(ListLeft, 36, 594, 284);
    lstLoans->installEventFilter(this);
    connect(lstLoans, &QTableView::doubleClicked, this, Guarded(this, &TfrmLoans::btnShowClick));
    connect(lstLoans->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { TErrorHandler::Guard([this] { ShowSelectedDue(); }); });

    lblSummary = new QLabel(grpLoans);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setFont(normal);
    lblSummary->setGeometry(ListLeft, 324, 594, 18);
    lblSummary->setAccessibleName(QStringLiteral("Loans summary"));
    TDataLabelAccessible::Attach(lblSummary);

    using DialogControls::TButtonKind;
    // The loan period and the selected loan's due date, under the list.
    const int dueTop = 365;
    auto* lblPeriod = new QLabel(QStringLiteral("Loan &period:"), this);
    lblPeriod->setGeometry(8, dueTop + 3, 72, 18);
    spnPeriod = new TPeriodBox(this);
    spnPeriod->setKeyboardTracking(false); // the period typed is taken whole
    spnPeriod->setObjectName(QStringLiteral("spnPeriod"));
    spnPeriod->setRange(0, TDueDates::MaxPeriod);
    spnPeriod->setSpecialValueText(QStringLiteral("none"));
    spnPeriod->setSuffix(QStringLiteral(" days"));
    spnPeriod->setGeometry(82, dueTop, 90, 24);
    spnPeriod->setAccessibleName(QStringLiteral("Loan period in days for new loans"));
    lblPeriod->setBuddy(spnPeriod);
    connect(spnPeriod, &QSpinBox::valueChanged, this, Guarded(this, &TfrmLoans::spnPeriodChange));
    connect(spnPeriod, &QSpinBox::editingFinished, this, Guarded(this, &TfrmLoans::spnPeriodExit));
    auto* lblDue = new QLabel(QStringLiteral("D&ue date:"), this);
    lblDue->setGeometry(190, dueTop + 3, 60, 18);
    edtDue = new QLineEdit(this);
    edtDue->setObjectName(QStringLiteral("edtDue"));
    edtDue->setGeometry(252, dueTop, 96, 24);
    edtDue->setAccessibleName(QStringLiteral("Due date of the selected loan"));
    edtDue->setAccessibleDescription(QStringLiteral("Enter sets it; an empty box clears it"));
    edtDue->installEventFilter(this);
    lblDue->setBuddy(edtDue);
    btnSetDue = DialogControls::Button(QIcon(), QStringLiteral("Se&t due"), this, 354, dueTop, TButtonKind::Plain);
    btnSetDue->setObjectName(QStringLiteral("btnSetDue"));
    connect(btnSetDue, &QPushButton::clicked, this, Guarded(this, &TfrmLoans::btnSetDueClick));
    btnCopyReminder = DialogControls::Button(QIcon(), QStringLiteral("Cop&y reminder"), this, 626 - 8 - 107, dueTop,
                                             TButtonKind::Plain);
    btnCopyReminder->setObjectName(QStringLiteral("btnCopyReminder"));
    connect(btnCopyReminder, &QPushButton::clicked, this, Guarded(this, &TfrmLoans::btnCopyReminderClick));

    const int buttonTop = 399;
    btnShow = DialogControls::Button(QIcon(), QStringLiteral("&Show book"), this, 626 - 8 - 3 * 107 - 16, buttonTop,
                                     TButtonKind::Plain);
    btnReturn = DialogControls::Button(QIcon(), QStringLiteral("&Return"), this, 626 - 8 - 2 * 107 - 8, buttonTop,
                                       TButtonKind::Plain);
    btnClose =
        DialogControls::Button(QIcon(), QStringLiteral("&Close"), this, 626 - 8 - 107, buttonTop, TButtonKind::Plain);
    btnHistory = DialogControls::Button(QIcon(), QStringLiteral("&History"), this, 8, buttonTop, TButtonKind::Plain);
    btnHistory->setObjectName(QStringLiteral("btnHistory"));
    connect(btnHistory, &QPushButton::clicked, this, Guarded(this, &TfrmLoans::btnHistoryClick));
    btnShow->setObjectName(QStringLiteral("btnShow"));
    btnReturn->setObjectName(QStringLiteral("btnReturn"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnShow, &QPushButton::clicked, this, Guarded(this, &TfrmLoans::btnShowClick));
    connect(btnReturn, &QPushButton::clicked, this, Guarded(this, &TfrmLoans::btnReturnClick));
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    // Tab order: the titles, the list, the buttons.
    QWidget* previous = SortTitles[0];
    for (QWidget* next :
         {static_cast<QWidget*>(SortTitles[1]), static_cast<QWidget*>(SortTitles[2]),
          static_cast<QWidget*>(SortTitles[3]), static_cast<QWidget*>(SortTitles[4]),
          static_cast<QWidget*>(SortTitles[5]), static_cast<QWidget*>(lstLoans), static_cast<QWidget*>(spnPeriod),
          static_cast<QWidget*>(edtDue), static_cast<QWidget*>(btnSetDue), static_cast<QWidget*>(btnCopyReminder),
          static_cast<QWidget*>(btnHistory), static_cast<QWidget*>(btnShow), static_cast<QWidget*>(btnReturn),
          static_cast<QWidget*>(btnClose)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(&Rows, &TShownRows::Refilled, this, Guarded(this, &TfrmLoans::BooksChanged));
    connect(&Dues, &TDueDates::Changed, this, Guarded(this, &TfrmLoans::BooksChanged));
}

void TfrmLoans::ShowSortState()
{
    for (size_t column = 0; column < SortTitles.size(); ++column)
        SortTitles[column]->SetSorted(TitleOrders[column] == Order);
}

int TfrmLoans::SelectedRow() const
{
    const QModelIndex current = lstLoans->currentIndex();
    return current.isValid() && lstLoans->selectionModel()->isRowSelected(current.row(), QModelIndex()) ? current.row()
                                                                                                        : -1;
}

void TfrmLoans::SelectRow(int row)
{
    if (row < 0 || row >= FModel->rowCount()) {
        lstLoans->clearSelection();
        lstLoans->setCurrentIndex(QModelIndex());
        return;
    }
    lstLoans->setCurrentIndex(FModel->index(row, 0));
    lstLoans->selectRow(row);
}

void TfrmLoans::FitDueColumn()
{
    // The due words are few and each counts ("12 days overdue"): their column
    // grows to the widest of them, in whatever face and scale the window
    // has, and the title column, whose long titles end in "..." anyway,
    // gives up the room.
    int due = ColumnWidths[TLoanListModel::Due];
    // What the cell's painter needs, and the grid line beside it.
    for (int row = 0; row < FModel->rowCount(); ++row)
        due = std::max(due, lstLoans->sizeHintForIndex(FModel->index(row, TLoanListModel::Due)).width() + 1);
    const int wider = std::min(due - ColumnWidths[TLoanListModel::Due], ColumnWidths[TLoanListModel::Title] / 2);
    int x = ListLeft + 1;
    for (int column = 0; column < TLoanListModel::ColumnCount; ++column) {
        int width = ColumnWidths[column];
        if (column == TLoanListModel::Title)
            width -= wider;
        else if (column == TLoanListModel::Due)
            width += wider;
        lstLoans->setColumnWidth(column, width);
        SortTitles[static_cast<size_t>(column)]->setGeometry(x + 2, 16, width - 4, 18);
        x += width;
    }
}

void TfrmLoans::Refresh()
{
    const int oldRow = SelectedRow();
    const int32_t oldId = oldRow >= 0 ? FModel->Rows().Row(oldRow).ID : 0;

    TLoanRows rows(TPlatform::Clock().Now().date());
    const TDatabase& database = Catalogue.Database();
    // While the database is marked empty it hands out no book.
    if (!database.Empty()) {
        for (int32_t slot = 0; slot < database.Count(); ++slot)
            rows.Add(database.ItemAt(slot), Dues.Due(database.ItemAt(slot)));
    }
    rows.Sort(Order);
    const int onLoan = rows.Count();
    const int longLoans = rows.OutLongerThan(LongLoanDays);
    const int overdue = rows.OverdueCount();
    const bool anyDue = rows.AnyDue();
    const int keep = oldRow >= 0 ? rows.RowOf(oldId) : -1;
    FModel->SetRows(std::move(rows));
    Stale = false;
    FitDueColumn();

    QString summary = QStringLiteral("%1 %2 on loan, %3 for more than %4 days")
                          .arg(onLoan)
                          .arg(onLoan == 1 ? QStringLiteral("book") : QStringLiteral("books"))
                          .arg(longLoans)
                          .arg(LongLoanDays);
    // Without any due date the line reads as before due dates existed.
    if (anyDue)
        summary += QStringLiteral(", %1 overdue").arg(overdue);
    lblSummary->setText(summary + QLatin1Char('.'));
    {
        const QSignalBlocker blocker(spnPeriod);
        spnPeriod->setValue(Dues.Period());
    }
    // The same book stays selected; a book that left gives its place to the next.
    if (keep >= 0)
        SelectRow(keep);
    else if (oldRow >= 0)
        SelectRow(std::min(oldRow, FModel->rowCount() - 1));
    else
        SelectRow(FModel->rowCount() > 0 ? 0 : -1);
    btnShow->setEnabled(FModel->rowCount() > 0);
    btnReturn->setEnabled(FModel->rowCount() > 0);
    ShowSelectedDue();
}

const TItem* TfrmLoans::SelectedBook() const
{
    const int row = SelectedRow();
    if (row < 0)
        return nullptr;
    const TDatabase& database = Catalogue.Database();
    const int32_t slot = database.SlotOf(FModel->Rows().Row(row).ID);
    return slot >= 0 ? &database.ItemAt(slot) : nullptr;
}

void TfrmLoans::ShowSelectedDue()
{
    const TItem* book = SelectedBook();
    const std::optional<QDate> due = book ? Dues.Due(*book) : std::nullopt;
    edtDue->setText(due ? LoanDate::Write(*due, LoanDate::TYears::Four) : QString());
    edtDue->setEnabled(book != nullptr);
    btnSetDue->setEnabled(book != nullptr);
    btnCopyReminder->setEnabled(book != nullptr);
    btnHistory->setEnabled(book != nullptr);
}

void TfrmLoans::btnSetDueClick()
{
    const TItem* book = SelectedBook();
    if (!book)
        return;
    const QString text = edtDue->text().trimmed();
    if (text.isEmpty()) {
        Dues.SetDue(*book, std::nullopt);
        return;
    }
    QDate due;
    const QDate today = TPlatform::Clock().Now().date();
    if (!LoanDate::Read(text, today, due, LoanDate::TCentury::AroundToday)) {
        TPlatform::Messages().Information(
            QStringLiteral("\"%1\" is not a date. Type the due date as %2 (a year up to %3), or clear the box to "
                           "remove it.")
                .arg(text, LoanDate::Write(today, LoanDate::TYears::Four), QString::number(LoanDate::LastYear)));
        return;
    }
    Dues.SetDue(*book, due);
}

void TfrmLoans::spnPeriodChange(int days)
{
    Dues.SetPeriod(days);
}

void TfrmLoans::spnPeriodExit()
{
    const QString refused = static_cast<TPeriodBox*>(spnPeriod)->TakeRefused();
    if (!refused.isEmpty())
        TPlatform::Messages().Information(
            QStringLiteral("A loan period of %1 days is longer than the longest, %2 days; the period stays as it was.")
                .arg(refused, QString::number(TDueDates::MaxPeriod)));
}

QString TfrmLoans::ReminderText() const
{
    const int row = SelectedRow();
    if (row < 0)
        return QString();
    // A letter to the loaner, every date in one form: the locale's long date.
    // A loan date that does not read is left out rather than written another way.
    const TLoanRows::TRow& loan = FModel->Rows().Row(row);
    const QLocale locale;
    const auto day = [&locale](const QDate& date) { return locale.toString(date, QLocale::LongFormat); };
    const QString book = loan.Author.isEmpty() ? QStringLiteral("\"%1\"").arg(loan.Title)
                                               : QStringLiteral("\"%1\" by %2").arg(loan.Title, loan.Author);
    QString text =
        loan.Loaner.isEmpty() ? QStringLiteral("Hello,\n\n") : QStringLiteral("Dear %1,\n\n").arg(loan.Loaner);
    text += loan.Dated ? QStringLiteral("On %1 I lent you my book %2.").arg(day(loan.Lent), book)
                       : QStringLiteral("I lent you my book %1.").arg(book);
    if (!loan.Due)
        text += QStringLiteral(" Could you please return it when you have finished with it?");
    else if (loan.DueIn < 0)
        text += QStringLiteral(" It was due back on %1. Could you please return it as soon as you can?")
                    .arg(day(*loan.Due));
    else
        text += QStringLiteral(" Could you please return it by %1?").arg(day(*loan.Due));
    return text + QStringLiteral("\n\nThank you,\n");
}

QString TfrmLoans::HistoryText() const
{
    const TItem* book = SelectedBook();
    if (!book)
        return QString();
    const TDatabase& database = Catalogue.Database();
    std::vector<TItem> now;
    now.reserve(static_cast<size_t>(database.Count()));
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        now.push_back(database.ItemAt(slot));
    const std::vector<TLoanRecord> loans = LoanHistory::All(History ? History() : std::vector<THistoryEntry>(), now);

    const auto ended = [](const TLoanRecord& loan) {
        if (loan.Open)
            return QStringLiteral("still out");
        if (loan.Ended == 0)
            return QStringLiteral("returned (date not known)");
        return QStringLiteral("returned ") + LocaleTexts::ShortDate(QDateTime::fromMSecsSinceEpoch(loan.Ended).date());
    };
    // A loan still out has the due date kept for it; a returned one the due
    // date it had when it came back (in the history, or the old due dates file).
    const auto due = [this, &now](const TLoanRecord& loan) {
        std::optional<QDate> date;
        if (loan.Open) {
            const auto found =
                std::find_if(now.begin(), now.end(), [&loan](const TItem& item) { return item.ID == loan.ID; });
            date = found == now.end() ? std::nullopt : Dues.Due(*found);
        } else if (const QDate kept = QDate::fromString(QString::fromStdString(loan.Due), Qt::ISODate);
                   kept.isValid()) {
            date = kept;
        } else {
            date = Dues.ReturnedDue(loan.ID, loan.Loaner, loan.Date);
        }
        return date ? QStringLiteral(", due ") + LocaleTexts::ShortDate(*date) : QString();
    };
    const QString title = Cp1252::ToQString(book->Fields[0]);
    const QString loaner = Cp1252::ToQString(book->Fields[6]);
    QStringList lines;
    lines << QStringLiteral("Loans of \"%1\":").arg(title);
    for (const TLoanRecord& loan : LoanHistory::OfBook(loans, book->ID))
        lines << QStringLiteral("    %1, lent %2, %3%4")
                     .arg(Cp1252::ToQString(loan.Loaner), Cp1252::ToQString(loan.Date), ended(loan), due(loan));
    lines << QString() << QStringLiteral("Books lent to %1:").arg(loaner);
    for (const TLoanRecord& loan : LoanHistory::OfLoaner(loans, book->Fields[6]))
        lines << QStringLiteral("    \"%1\", lent %2, %3%4")
                     .arg(Cp1252::ToQString(loan.Title), Cp1252::ToQString(loan.Date), ended(loan), due(loan));
    return lines.join(QLatin1Char('\n'));
}

void TfrmLoans::btnHistoryClick()
{
    const QString text = HistoryText();
    if (text.isEmpty())
        return;
    if (!dlgHistory) {
        dlgHistory = new QDialog(this);
        dlgHistory->setObjectName(QStringLiteral("dlgHistory"));
        dlgHistory->setWindowTitle(QStringLiteral("Loan history"));
        dlgHistory->resize(480, 300);
        memHistory = new QPlainTextEdit(dlgHistory);
        memHistory->setObjectName(QStringLiteral("memHistory"));
        memHistory->setReadOnly(true);
        memHistory->setAccessibleName(QStringLiteral("Loan history"));
        auto* layout = new QVBoxLayout(dlgHistory);
        layout->addWidget(memHistory);
    }
    memHistory->setPlainText(text);
    dlgHistory->show();
    dlgHistory->raise();
    memHistory->setFocus();
}

void TfrmLoans::btnCopyReminderClick()
{
    const QString text = ReminderText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TfrmLoans::BooksChanged()
{
    Stale = true;
    if (isVisible())
        Refresh();
}

bool TfrmLoans::ShowBook(int32_t id)
{
    int32_t row = Rows.RowOf(id);
    if (row < 0) {
        Rows.FillAll(); // the rows listed a search's result
        row = Rows.RowOf(id);
    }
    if (row < 0)
        return false;
    Rows.Select(row);
    return true;
}

void TfrmLoans::btnShowClick()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    ShowBook(FModel->Rows().Row(row).ID);
}

void TfrmLoans::btnReturnClick()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    // Not while the main window edits a book: the list is made anew after
    // the return, and the main window would show another book in its boxes.
    if (Run.Editing) {
        TPlatform::Messages().Information(
            QStringLiteral("Save or cancel the book being edited in the main window first."));
        return;
    }
    const int32_t id = FModel->Rows().Row(row).ID;
    if (!ShowBook(id))
        return;
    if (!TPlatform::Messages().Question(QStringLiteral("Sure to return this book?")))
        return;
    Catalogue.Return(id);
}

void TfrmLoans::SortTitleClick(TLoanRows::TOrder order)
{
    Order = order;
    ShowSortState();
    Refresh();
}

void TfrmLoans::showEvent(QShowEvent* event)
{
    TModelessWindow::showEvent(event);
    if (Stale)
        TErrorHandler::Guard([this] { Refresh(); });
    lstLoans->setFocus();
}

bool TfrmLoans::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstLoans && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            TErrorHandler::Guard([this] { btnShowClick(); });
            return true;
        }
    }
    if (watched == edtDue && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            TErrorHandler::Guard([this] { btnSetDueClick(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
