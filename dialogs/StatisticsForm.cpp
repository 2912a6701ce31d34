#include "dialogs/StatisticsForm.h"

#include "engine/Catalogue.h"
#include "engine/DueDates.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/gui/Clock.h"
#include "platform/gui/DataLabelAccessible.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "widgets/BarChart.h"
#include "widgets/DialogControls.h"
#include "widgets/RunState.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTableView>

#include <cmath>
#include <set>

namespace {

constexpr int Width = 700;
constexpr int Height = 470;

const char* const PositionKeyX = "ST_X";
const char* const PositionKeyY = "ST_Y";

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

TfrmStatistics::TfrmStatistics(TCatalogue& catalogue, TShownRows& rows, TRunState& run, TDueDates& dues,
                               THistorySource history, QWidget* stackingOwner)
    : TModelessWindow(run, QStringLiteral("Statistics"), Width, Height, stackingOwner), Catalogue(catalogue),
      Rows(rows), Dues(dues), History(std::move(history))
{
    KeepPlaceIn(Catalogue.Settings(), PositionKeyX, PositionKeyY);
    UseDialogKeys();
    setObjectName(QStringLiteral("frmStatistics"));

    auto* lblChart = new QLabel(QStringLiteral("C&hart:"), this);
    lblChart->setGeometry(8, 11, 50, 18);
    cmbChart = new QComboBox(this);
    cmbChart->setObjectName(QStringLiteral("cmbChart"));
    cmbChart->setGeometry(60, 8, 280, 24);
    lblChart->setBuddy(cmbChart);
    connect(cmbChart, &QComboBox::currentIndexChanged, this, Guarded(this, &TfrmStatistics::ShowTable));

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setGeometry(8, 38, Width - 16, 36);
    lblSummary->setWordWrap(true);
    lblSummary->setAccessibleName(QStringLiteral("Collection summary"));
    TDataLabelAccessible::Attach(lblSummary);

    Chart = new TBarChart;
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->setAccessibleDescription(QStringLiteral("Its numbers are in the table beside it"));
    scrChart = new QScrollArea(this);
    scrChart->setObjectName(QStringLiteral("scrChart"));
    scrChart->setWidgetResizable(true);
    scrChart->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrChart->setWidget(Chart);
    scrChart->setFocusPolicy(Qt::NoFocus);
    scrChart->setGeometry(8, 80, 400, 340);

    FNumbers = new QStandardItemModel(this);
    lstNumbers = new QTableView(this);
    lstNumbers->setObjectName(QStringLiteral("lstNumbers"));
    lstNumbers->setModel(FNumbers);
    lstNumbers->verticalHeader()->hide();
    lstNumbers->verticalHeader()->setDefaultSectionSize(17);
    lstNumbers->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstNumbers->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstNumbers->setSelectionMode(QAbstractItemView::SingleSelection);
    lstNumbers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstNumbers->setTabKeyNavigation(false); // Tab leaves the table: one stop
    lstNumbers->setWordWrap(false);
    lstNumbers->setGeometry(416, 80, Width - 416 - 8, 340);
    lstNumbers->installEventFilter(this);
    connect(lstNumbers, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { TErrorHandler::Guard([this, index] { ChooseRow(index.row()); }); });

    // The chart and the table point at the same row.
    connect(Chart, &TBarChart::CurrentChanged, this, [this](int row) {
        if (row >= 0) {
            const QRect place = Chart->RowRect(row);
            scrChart->ensureVisible(0, place.center().y(), 0, place.height());
            if (lstNumbers->currentIndex().row() != row)
                lstNumbers->selectRow(row);
        }
    });
    connect(lstNumbers->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { Chart->SetCurrent(current.row()); });
    connect(Chart, &TBarChart::Chosen, this, Guarded(this, &TfrmStatistics::ChooseRow));

    using DialogControls::TButtonKind;
    const int top = Height - 8 - DialogControls::ButtonHeight;
    btnShow = DialogControls::Button(QIcon(), QStringLiteral("&Show books"), this, 8, top, TButtonKind::Plain);
    btnNeverLent =
        DialogControls::Button(QIcon(), QStringLiteral("Books &never lent"), this, 8 + 113, top, TButtonKind::Plain);
    btnNeverLent->resize(130, btnNeverLent->height());
    btnCopy = DialogControls::Button(QIcon(), QStringLiteral("Cop&y"), this, 8 + 113 + 136, top, TButtonKind::Plain);
    btnClose = DialogControls::Button(QIcon(), QStringLiteral("&Close"), this, Width - 8 - DialogControls::ButtonWidth,
                                      top, TButtonKind::Plain);
    btnShow->setObjectName(QStringLiteral("btnShow"));
    btnNeverLent->setObjectName(QStringLiteral("btnNeverLent"));
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnShow->setToolTip(QStringLiteral("Lists the books of the chosen row in the Book browser"));
    btnCopy->setToolTip(QStringLiteral("Puts the table on the clipboard as text"));
    connect(btnShow, &QPushButton::clicked, this, Guarded(this, &TfrmStatistics::btnShowClick));
    connect(btnNeverLent, &QPushButton::clicked, this, Guarded(this, &TfrmStatistics::btnNeverLentClick));
    connect(btnCopy, &QPushButton::clicked, this, Guarded(this, &TfrmStatistics::btnCopyClick));
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    QWidget* previous = cmbChart;
    for (QWidget* next :
         {static_cast<QWidget*>(Chart), static_cast<QWidget*>(lstNumbers), static_cast<QWidget*>(btnShow),
          static_cast<QWidget*>(btnNeverLent), static_cast<QWidget*>(btnCopy), static_cast<QWidget*>(btnClose)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(&Catalogue, &TCatalogue::BooksChanged, this, Guarded(this, &TfrmStatistics::BooksChanged));
}

void TfrmStatistics::Refresh()
{
    std::vector<TItem> books;
    const TDatabase& database = Catalogue.Database();
    // While the database is marked empty it hands out no book.
    if (!database.Empty()) {
        books.reserve(static_cast<size_t>(database.Count()));
        for (int32_t slot = 0; slot < database.Count(); ++slot)
            if (!database.ItemAt(slot).Deleted)
                books.push_back(database.ItemAt(slot));
    }
    FStatistics = Statistics::Of(books, History ? History() : std::vector<THistoryEntry>(),
                                 TPlatform::Clock().Now().date(), [this](const TItem& book) { return Dues.Due(book); });
    Stale = false;

    const QString title = cmbChart->currentText();
    const int row = Chart->Current();
    {
        const QSignalBlocker blocker(cmbChart);
        cmbChart->clear();
        for (const TStatTable& table : FStatistics.Tables)
            cmbChart->addItem(Text(table.Title));
        const int index = cmbChart->findText(title);
        cmbChart->setCurrentIndex(index >= 0 ? index : 0);
    }
    ShowTable();
    Chart->SetCurrent(row);
    ShowSummary();
}

const TStatTable* TfrmStatistics::Shown() const
{
    const int index = cmbChart->currentIndex();
    return index >= 0 && index < static_cast<int>(FStatistics.Tables.size())
               ? &FStatistics.Tables[static_cast<size_t>(index)]
               : nullptr;
}

bool TfrmStatistics::ShowChart(const QString& title)
{
    if (Stale)
        Refresh();
    const int index = cmbChart->findText(title);
    if (index < 0)
        return false;
    cmbChart->setCurrentIndex(index);
    return true;
}

void TfrmStatistics::ShowTable()
{
    const TStatTable* table = Shown();
    FNumbers->clear();
    QList<TBarChart::TBar> bars;
    if (table) {
        QStringList titles{Text(table->LabelTitle)};
        for (const std::string& column : table->Columns)
            titles << Text(column);
        FNumbers->setHorizontalHeaderLabels(titles);
        for (const TStatTable::TRow& row : table->Rows) {
            QList<QStandardItem*> cells{new QStandardItem(Text(row.Label))};
            for (const double value : row.Values) {
                auto* cell = new QStandardItem(Text(Statistics::Number(value)));
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                cells << cell;
            }
            FNumbers->appendRow(cells);
            bars.push_back({Text(row.Label), row.Values.empty() ? 0 : row.Values[0],
                            Text(Statistics::Number(row.Values.empty() ? 0 : row.Values[0])), row.Apart});
        }
        Chart->setAccessibleName(Text(table->Title) + QStringLiteral(" chart"));
        lstNumbers->setAccessibleName(Text(table->Title));
    }
    Chart->SetBars(std::move(bars));
    btnShow->setEnabled(Chart->Count() > 0);
    btnCopy->setEnabled(table != nullptr);
}

void TfrmStatistics::ShowSummary()
{
    const TLoanSummary& loans = FStatistics.Loans;
    QString text = QStringLiteral("%1 %2").arg(FStatistics.Books).arg(FStatistics.Books == 1 ? "book" : "books");
    if (loans.OnLoan == 0)
        text += QStringLiteral("; none on loan");
    else
        text += QStringLiteral("; %1 on loan, %2 of them overdue (%3%)")
                    .arg(loans.OnLoan)
                    .arg(loans.Overdue)
                    .arg(std::lround(100.0 * loans.Overdue / loans.OnLoan));
    text += QStringLiteral("; %1 never lent.").arg(loans.NeverLent.size());
    if (loans.Timed > 0)
        text += QStringLiteral(" %1 %2 known: out %3 days on average, %4 at most.")
                    .arg(loans.Loans)
                    .arg(loans.Loans == 1 ? "loan" : "loans")
                    .arg(Text(Statistics::Number(loans.AverageDays)))
                    .arg(loans.LongestDays);
    lblSummary->setText(text);
    btnNeverLent->setEnabled(!loans.NeverLent.empty());
}

void TfrmStatistics::ListBooks(const std::vector<int32_t>& ids)
{
    // Not while the main window edits a book: the list is made anew, and the
    // main window would show another book in its boxes.
    if (Run.Editing) {
        TPlatform::Messages().Information(
            QStringLiteral("Save or cancel the book being edited in the main window first."));
        return;
    }
    if (ids.empty()) {
        TPlatform::Messages().Information(QStringLiteral("No book in the catalogue now is counted there."));
        return;
    }
    // In the catalogue's order, as a search lists its books.
    const std::set<int32_t> wanted(ids.begin(), ids.end());
    Searchresult result;
    const TDatabase& database = Catalogue.Database();
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        if (wanted.count(database.ItemAt(slot).ID) != 0)
            result.Items[static_cast<size_t>(result.ItemCount++)] = database.ItemAt(slot);
    Rows.FillWith(result);
    emit BrowserWanted();
}

void TfrmStatistics::ChooseRow(int row)
{
    const TStatTable* table = Shown();
    if (!table || row < 0 || row >= static_cast<int>(table->Rows.size()))
        return;
    Chart->SetCurrent(row);
    ListBooks(table->Rows[static_cast<size_t>(row)].Ids);
}

void TfrmStatistics::btnShowClick()
{
    ChooseRow(Chart->Current());
}

void TfrmStatistics::btnNeverLentClick()
{
    ListBooks(FStatistics.Loans.NeverLent);
}

void TfrmStatistics::btnCopyClick()
{
    if (const TStatTable* table = Shown())
        QGuiApplication::clipboard()->setText(Text(Statistics::AsText(*table)));
}

void TfrmStatistics::BooksChanged()
{
    Stale = true;
    if (isVisible())
        Refresh();
}

void TfrmStatistics::showEvent(QShowEvent* event)
{
    TModelessWindow::showEvent(event);
    // Counted anew at every showing: what is overdue depends on the day.
    TErrorHandler::Guard([this] { Refresh(); });
    Chart->setFocus();
}

bool TfrmStatistics::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstNumbers && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            TErrorHandler::Guard([this] { ChooseRow(lstNumbers->currentIndex().row()); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
