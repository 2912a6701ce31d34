#include "dialogs/BookBrowserForm.h"

#include "engine/BookFilter.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/FieldTable.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/gui/DataLabelAccessible.h"
#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/StoredPosition.h"
#include "settings/RFileSystem.h"
#include "widgets/BookGrid.h"
#include "widgets/DataLabel.h"
#include "widgets/RunState.h"
#include "widgets/SortTitle.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

// The grid's height alone, and with the find line under it.
constexpr int GridHeight = 373;
constexpr int FindLineHeight = 28;
// Where the list and its titles stand in the group box.
constexpr int GridLeft = 8;
constexpr int TitleTop = 18;
constexpr int TitleHeight = 15;
// The rows' height, and with the covers' column shown, whose small pictures
// want taller rows than a line of text.
constexpr int RowHeight = 15;
constexpr int PictureRowHeight = 48;
constexpr QSize ThumbnailBox(36, 46);

// The detail columns shown: their keys joined by commas. A settings file
// of an installation older than the detail columns lacks it: none shown.
constexpr const char* ColumnsKey = "LV_COLUMNS";

// A detail column's width by what it holds.
int DetailWidth(const TField& field)
{
    switch (field.Kind) {
    case TFieldKind::Number:
    case TFieldKind::Rating:
        return 60;
    case TFieldKind::Date:
    case TFieldKind::Choice:
        return 80;
    case TFieldKind::Isbn:
        return 100;
    case TFieldKind::Image:
        return 40;
    case TFieldKind::Text:
    case TFieldKind::Tags:
        break;
    }
    return 140;
}

TSortTitle* SortLink(QWidget* parent, const char* name, const QString& caption, int x)
{
    auto* link = new TSortTitle(caption, QStringLiteral("Sorts the books by this field"), parent);
    link->setObjectName(QLatin1String(name));
    link->setGeometry(x, 18, 160, 15);
    return link;
}

} // namespace

TfrmBookBrowser::TfrmBookBrowser(TCatalogue& catalogue, TShownRows& rows, TRunState& run)
    : TModelessWindow(run, QStringLiteral("Book browser"), 561, 433), Catalogue(catalogue), Rows(rows),
      Thumbnails(ThumbnailBox)
{
    setObjectName(QStringLiteral("frmBookBrowser"));
    setMouseTracking(true);

    grpListView = new QGroupBox(QStringLiteral("Books in database"), this);
    grpListView->setObjectName(QStringLiteral("grpListView"));
    // Bold by its font, not a style sheet, which would put the group's
    // controls back on the application's default face.
    QFont bold = font();
    bold.setBold(true);
    grpListView->setFont(bold);
    grpListView->setGeometry(8, 8, 545, 417);
    grpListView->setAccessibleName(QStringLiteral("Books in database"));

    // The titles stand over the columns they sort: author, title, publisher.
    constexpr int gridLeft = 8;
    Author = SortLink(grpListView, "Author", QStringLiteral("Book author"), gridLeft + 10 + 2);
    Bookname = SortLink(grpListView, "Bookname", QStringLiteral("Book title"), gridLeft + 10 + 166 + 2);
    Publisher = SortLink(grpListView, "Publisher", QStringLiteral("Publisher"), gridLeft + 10 + 166 + 236 + 2);
    connect(Author, &QPushButton::clicked, this, Guarded(this, &TfrmBookBrowser::AuthorClick));
    connect(Bookname, &QPushButton::clicked, this, Guarded(this, &TfrmBookBrowser::BooknameClick));
    connect(Publisher, &QPushButton::clicked, this, Guarded(this, &TfrmBookBrowser::PublisherClick));

    BookList = new TBookGrid(grpListView);
    BookList->setObjectName(QStringLiteral("BookList"));
    // The weight is set explicitly, or the rows would take the group's bold.
    QFont normal = font();
    normal.setBold(false);
    BookList->setFont(normal);
    BookList->setAccessibleName(QStringLiteral("Books"));
    BookList->setGeometry(gridLeft, 36, 529, GridHeight);
    // One Tab stop for the grid: Tab leaves it rather than moving through cells.
    BookList->setTabKeyNavigation(false);
    // Letters typed in the list ignore case and accents as the find line does.
    BookList->SetSearchFold(
        [](const QString& text) { return Cp1252::ToQString(TBookFilter::Fold(TBookFilter::FromTyped(text))); });
    setTabOrder(Author, Bookname);
    setTabOrder(Bookname, Publisher);
    setTabOrder(Publisher, BookList);
    BookList->SetPictures([this](const QString& value) {
        Thumbnails.SetDatabase(Catalogue.IsOpen() ? Catalogue.Database().FileName() : std::string());
        return Thumbnails.Thumbnail(value.toStdString());
    });
    connect(&Thumbnails, &TCoverThumbnails::Ready, BookList->viewport(), qOverload<>(&QWidget::update));
    connect(BookList, &TBookGrid::RowSelected, this, Guarded(this, &TfrmBookBrowser::BookListClick));
    connect(BookList, &TBookGrid::RowActivated, this, Guarded(this, &TfrmBookBrowser::BookListActivate));
    connect(BookList, &TBookGrid::RowMenuWanted, this, Guarded(this, &TfrmBookBrowser::BookListMenu));

    // The find line under the grid, hidden until asked for.
    const int findTop = 36 + GridHeight - FindLineHeight + 6;
    lblFind = new QLabel(QStringLiteral("&Find:"), grpListView);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    lblFind->setFont(normal);
    lblFind->setGeometry(gridLeft, findTop + 3, 40, 15);
    edtFind = new QLineEdit(grpListView);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setFont(normal);
    edtFind->setGeometry(gridLeft + 42, findTop, 320, 21);
    edtFind->setAccessibleName(QStringLiteral("Find"));
    edtFind->setAccessibleDescription(QStringLiteral("Lists the books with every word typed"));
    edtFind->installEventFilter(this);
    lblFind->setBuddy(edtFind);
    lblFindCount = new TDataLabel(QString(), grpListView);
    lblFindCount->setObjectName(QStringLiteral("lblFindCount"));
    lblFindCount->setFont(normal);
    lblFindCount->setGeometry(gridLeft + 370, findTop + 3, 159, 15);
    lblFindCount->setAccessibleName(QStringLiteral("Books found"));
    TDataLabelAccessible::Attach(lblFindCount);
    setTabOrder(BookList, edtFind);
    connect(edtFind, &QLineEdit::textChanged, this, Guarded(this, &TfrmBookBrowser::edtFindChange));
    ShowFindLine(false);

    RowMenu = new QMenu(this);
    RowMenu->setObjectName(QStringLiteral("RowMenu"));
    actShowBook = RowMenu->addAction(QStringLiteral("S&how in main window"));
    actShowBook->setObjectName(QStringLiteral("actShowBook"));
    // Asked for once the menu has closed: closing it gives the focus back to
    // this window, which would take it from the main window brought forward.
    connect(actShowBook, &QAction::triggered, this, Guarded(this, &TfrmBookBrowser::BookListActivate),
            Qt::QueuedConnection);
    RowMenu->setDefaultAction(actShowBook);
    BlankRowMenu = new QMenu(this);
    BlankRowMenu->setObjectName(QStringLiteral("BlankRowMenu"));
    BlankRowMenu->addAction(QStringLiteral("No book listed"))->setEnabled(false);

    // The columns menu: the three columns always shown, then every detail.
    ColumnMenu = new QMenu(QStringLiteral("&Columns"), this);
    ColumnMenu->setObjectName(QStringLiteral("ColumnMenu"));
    for (const TSortTitle* title : {Author, Bookname, Publisher}) {
        QAction* always = ColumnMenu->addAction(title->text());
        always->setCheckable(true);
        always->setChecked(true);
        always->setEnabled(false);
    }
    ColumnMenu->addSeparator();
    for (const TField* field : FieldTable::Details()) {
        const std::string key = field->Key;
        QAction* column =
            ColumnMenu->addAction(QString::fromUtf8(field->Caption).replace(QLatin1Char('&'), QLatin1String("&&")));
        column->setObjectName(QStringLiteral("actColumn_") + QString::fromStdString(key));
        column->setCheckable(true);
        connect(column, &QAction::triggered, this,
                [this, key](bool shown) { TErrorHandler::Guard([&] { ColumnClick(key, shown); }); });
    }
    // The checks follow the columns shown, also after a choice that failed.
    connect(ColumnMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : ColumnMenu->actions())
            if (action->objectName().startsWith(QStringLiteral("actColumn_")))
                action->setChecked(std::any_of(DetailColumns.begin(), DetailColumns.end(), [action](const TField* f) {
                    return action->objectName() == QStringLiteral("actColumn_") + QString::fromUtf8(f->Key);
                }));
    });
    RowMenu->addMenu(ColumnMenu);
    for (TSortTitle* title : {Author, Bookname, Publisher})
        connect(title, &TSortTitle::MenuWanted, this, [this](const QPoint& place) { ColumnMenu->popup(place); });
    connect(BookList->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { TErrorHandler::Guard([this] { PlaceTitles(); }); });

    connect(&Rows, &TShownRows::Refilled, this, &TfrmBookBrowser::ShowRows);
    connect(&Rows, &TShownRows::CurrentChanged, this,
            [this](int32_t row) { TErrorHandler::Guard([this, row] { BookList->SelectRowSilently(row); }); });
    connect(&Catalogue, &TCatalogue::Reordered, this, &TfrmBookBrowser::ShowSortState);
    connect(&Rows, &TShownRows::Refilled, this, &TfrmBookBrowser::ShowDetailSortState);
    connect(&Catalogue, &TCatalogue::Reordered, this, &TfrmBookBrowser::ShowDetailSortState);

    TErrorHandler::Guard([this] { FormCreate(); });
}

TfrmBookBrowser::~TfrmBookBrowser()
{
    TErrorHandler::Guard([this] { RunEnd(); });
}

void TfrmBookBrowser::ShowRows()
{
    TBookRows rows;
    rows.SetDetails(DetailColumns);
    const int32_t count = Rows.Count();
    rows.Reserve(count);
    for (int32_t r = 0; r < count; ++r)
        rows.Add(Rows.ItemAt(r));
    BookList->SetRows(std::move(rows));
    BookList->SelectRowSilently(Rows.Current());
    // The blank row lists no book: nothing is shown selected on it.
    if (Rows.Count() == 0)
        BookList->clearSelection();
    // A refresh or a search ends a find: the line no longer says what is listed.
    if (Rows.FindWords().empty() && !TBookFilter(TBookFilter::FromTyped(edtFind->text())).MatchesAll()) {
        const QSignalBlocker quiet(edtFind);
        edtFind->clear();
        ShowFindLine(false);
    }
    ShowFindCount();
}

void TfrmBookBrowser::ShowFindLine(bool shown)
{
    for (QWidget* control :
         {static_cast<QWidget*>(lblFind), static_cast<QWidget*>(edtFind), static_cast<QWidget*>(lblFindCount)})
        control->setVisible(shown);
    BookList->resize(BookList->width(), shown ? GridHeight - FindLineHeight : GridHeight);
    ShowFindCount();
}

void TfrmBookBrowser::ShowFindCount()
{
    if (!Catalogue.IsOpen())
        return;
    lblFindCount->setText(QStringLiteral("%1 of %2 books").arg(Rows.Count()).arg(Catalogue.Database().Count()));
}

void TfrmBookBrowser::SetRowCommands(const QList<QAction*>& commands)
{
    RowMenu->addSeparator();
    RowMenu->addActions(commands);
}

bool TfrmBookBrowser::RefusedWhileEditing()
{
    // A refill shows the first book in the main window, over the boxes the
    // user is typing into there.
    if (!Run.Editing)
        return false;
    TPlatform::Messages().Information(QStringLiteral("Save or cancel the book being edited in the main window first."));
    return true;
}

void TfrmBookBrowser::FindClick()
{
    if (RefusedWhileEditing())
        return;
    if (!Run.BrowserShown()) {
        show();
        Run.SetBrowserShown(true);
    }
    raise();
    activateWindow();
    ShowFindLine(true);
    edtFind->setFocus(Qt::ShortcutFocusReason);
    edtFind->selectAll();
}

void TfrmBookBrowser::GoToClick()
{
    BookList->setFocus(Qt::ShortcutFocusReason);
}

void TfrmBookBrowser::edtFindChange()
{
    if (RefusedWhileEditing()) {
        const QSignalBlocker quiet(edtFind);
        // The words standing, as typed: their bytes hold no letter the
        // database lacks.
        edtFind->setText(Rows.FindWords().empty() ? QString() : FindText);
        return;
    }
    FindText = edtFind->text();
    // As typed too: a title or author in letters the database cannot hold
    // is found in the details.
    Rows.FillMatching(TBookFilter::FromTyped(FindText), FindText.toStdString());
}

void TfrmBookBrowser::EndFind()
{
    if (RefusedWhileEditing())
        return;
    {
        const QSignalBlocker quiet(edtFind);
        edtFind->clear();
    }
    ShowFindLine(false);
    BookList->setFocus(Qt::OtherFocusReason);
    Rows.FillAll();
}

void TfrmBookBrowser::BookListActivate()
{
    if (Rows.Current() != BookList->SelectedRow())
        Rows.Select(BookList->SelectedRow());
    emit MainWindowWanted();
}

void TfrmBookBrowser::BookListMenu(const QPoint& globalPlace)
{
    if (Rows.IsBlank(BookList->SelectedRow())) {
        BlankRowMenu->popup(globalPlace);
        return;
    }
    // The commands act on the current book: the row's.
    if (Rows.Current() != BookList->SelectedRow())
        Rows.Select(BookList->SelectedRow());
    RowMenu->popup(globalPlace, actShowBook);
}

bool TfrmBookBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtFind && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            TErrorHandler::Guard([this] { EndFind(); });
            return true;
        }
        // The keys that move in a list move in it from the find line: the
        // focus goes to the list, which takes the key.
        if (key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up ||
                                                   key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp)) {
            BookList->setFocus(Qt::OtherFocusReason);
            QKeyEvent moved(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(BookList, &moved);
            return true;
        }
    }
    return TModelessWindow::eventFilter(watched, event);
}

void TfrmBookBrowser::ShowSortState()
{
    // What a sort click stored, or what the settings held at the start.
    std::string method;
    if (Catalogue.Settings().ValueExists("SortMethod"))
        method = Catalogue.Settings().ReadString("SortMethod");
    Author->SetSorted(method == "ByAuthor");
    Bookname->SetSorted(method == "ByName");
    Publisher->SetSorted(method != "ByAuthor" && method != "ByName" && !method.empty());
    // Letters typed in the list are sought in the sorted column.
    BookList->SetSearchColumn(method == "ByAuthor" ? 1 : (method == "ByName" || method.empty()) ? 2 : 3);
}

void TfrmBookBrowser::FormCreate()
{
    PositionRestored = false;
    BookList->setColumnWidth(0, 10);
    BookList->setColumnWidth(1, 166);
    BookList->setColumnWidth(2, 236);
    BookList->setColumnWidth(3, 78);
    ReadDetailColumns();
    ShowDetailColumns();
    Run.SetBrowserShown(true);
    Rows.FillAll();
    show();
}

void TfrmBookBrowser::FormActivate()
{
    if (PositionRestored)
        return;
    PositionRestored = true; // even a failing first attempt is not repeated
    const int32_t left = Catalogue.Settings().ReadInteger("LV_X");
    const int32_t top = Catalogue.Settings().ReadInteger("LV_Y");
    Position().PlaceAt(QPoint(left, top));
    // The sort lists the books anew, and the main window shows the first.
    Catalogue.SortByStored();
}

void TfrmBookBrowser::WritePosition()
{
    // The frame's corner; nothing where the platform cannot tell where it is.
    StorePlace(
        [this](const QPoint& corner) {
            Catalogue.Settings().WriteInteger("LV_X", corner.x());
            Catalogue.Settings().WriteInteger("LV_Y", corner.y());
        },
        false);
}

void TfrmBookBrowser::FormClose()
{
    WritePosition();
    Run.SetBrowserShown(false);
}

void TfrmBookBrowser::FormMouseMove()
{
    WritePosition();
}

void TfrmBookBrowser::RunEnd()
{
    if (Catalogue.IsOpen() && Position().MovedSinceStored())
        WritePosition();
}

void TfrmBookBrowser::RestoreDefaultPlace()
{
    // Even while hidden; it is not shown by this. The main window stored the place.
    Position().PlaceAt(QPoint(100, 100));
}

void TfrmBookBrowser::BookListClick()
{
    Rows.Select(BookList->SelectedRow());
}

void TfrmBookBrowser::SortClick(const char* method)
{
    Catalogue.SortBy(method);
}

void TfrmBookBrowser::AuthorClick()
{
    SortClick("ByAuthor");
}

void TfrmBookBrowser::BooknameClick()
{
    SortClick("ByName");
}

void TfrmBookBrowser::PublisherClick()
{
    SortClick("ByPublisher");
}

void TfrmBookBrowser::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TfrmBookBrowser::showEvent(QShowEvent* event)
{
    TModelessWindow::showEvent(event);
    // Centred on the first show, where it stays when FormActivate fails.
    if (!PositionRestored)
        DesktopWindow::CentreOnScreen(*this);
    // The first show is the first activation, also where no window manager reports one.
    TErrorHandler::Guard([this] { FormActivate(); });
}

void TfrmBookBrowser::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    // Only the browser's own surface, the margin around the group box.
    if (!childAt(event->position().toPoint()))
        TErrorHandler::Guard([this] { FormMouseMove(); });
}

void TfrmBookBrowser::ReadDetailColumns()
{
    DetailColumns.clear();
    if (!Catalogue.IsOpen() || !Catalogue.Settings().ValueExists(ColumnsKey))
        return;
    std::string keys;
    try {
        keys = Catalogue.Settings().ReadString(ColumnsKey);
    } catch (const std::exception&) {
        return; // a value that cannot be read shows the three columns only
    }
    // In the field table's order; a key it does not hold (a later version's)
    // is passed over.
    for (const TField* field : FieldTable::Details())
        for (size_t from = 0; from <= keys.size();) {
            const size_t end = std::min(keys.find(',', from), keys.size());
            if (keys.compare(from, end - from, field->Key) == 0) {
                DetailColumns.push_back(field);
                break;
            }
            from = end + 1;
        }
}

void TfrmBookBrowser::ColumnClick(const std::string& key, bool shown)
{
    const TField* field = FieldTable::Find(key);
    if (!field || !field->IsDetail())
        return;
    std::vector<const TField*> columns;
    for (const TField* detail : FieldTable::Details())
        if (detail == field ? shown
                            : std::find(DetailColumns.begin(), DetailColumns.end(), detail) != DetailColumns.end())
            columns.push_back(detail);
    std::string keys;
    for (const TField* column : columns) {
        if (!keys.empty())
            keys += ',';
        keys += column->Key;
    }
    // Kept first: a choice the settings file refused is not shown.
    Catalogue.Settings().WriteString(ColumnsKey, keys);
    DetailColumns = std::move(columns);
    ShowDetailColumns();
    // Rows ordered by a column no longer shown go back to the catalogue's order.
    if (!shown && Rows.DetailSortKey() == key)
        Rows.SortByDetail({});
    // The new column in view, so that its title is there to click.
    const auto at = std::find(DetailColumns.begin(), DetailColumns.end(), field);
    if (shown && at != DetailColumns.end())
        BookList->ShowColumn(TBookRows::ColumnCount + static_cast<int>(at - DetailColumns.begin()));
}

void TfrmBookBrowser::DetailTitleClick(const std::string& key)
{
    Rows.SortByDetail(key);
}

void TfrmBookBrowser::ShowDetailColumns()
{
    for (TSortTitle* title : DetailTitles)
        delete title;
    DetailTitles.clear();
    QWidget* before = Publisher;
    for (const TField* field : DetailColumns) {
        const std::string key = field->Key;
        auto* title = new TSortTitle(QString::fromUtf8(field->Caption),
                                     QStringLiteral("Orders the books listed by this detail"), grpListView);
        title->setObjectName(QStringLiteral("Detail_") + QString::fromStdString(key));
        title->setToolTip(title->text());
        connect(title, &QPushButton::clicked, this,
                [this, key] { TErrorHandler::Guard([&] { DetailTitleClick(key); }); });
        connect(title, &TSortTitle::MenuWanted, this, [this](const QPoint& place) { ColumnMenu->popup(place); });
        setTabOrder(before, title);
        before = title;
        DetailTitles.push_back(title);
    }
    setTabOrder(before, BookList);
    BookList->setHorizontalScrollBarPolicy(DetailColumns.empty() ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (Catalogue.IsOpen())
        ShowRows();
    for (size_t i = 0; i < DetailColumns.size(); ++i)
        BookList->setColumnWidth(TBookRows::ColumnCount + static_cast<int>(i), DetailWidth(*DetailColumns[i]));
    const bool pictures = std::any_of(DetailColumns.begin(), DetailColumns.end(),
                                      [](const TField* field) { return field->Kind == TFieldKind::Image; });
    BookList->verticalHeader()->setDefaultSectionSize(pictures ? PictureRowHeight : RowHeight);
    PlaceTitles();
    ShowDetailSortState();
}

void TfrmBookBrowser::PlaceTitles()
{
    const std::vector<TSortTitle*> parts{Author, Bookname, Publisher};
    const int viewport = BookList->viewport()->width();
    const int columns = TBookRows::ColumnCount + static_cast<int>(DetailTitles.size());
    for (int column = 1; column < columns; ++column) {
        TSortTitle* title = column < TBookRows::ColumnCount
                                ? parts[static_cast<size_t>(column - 1)]
                                : DetailTitles[static_cast<size_t>(column - TBookRows::ColumnCount)];
        const int at = BookList->columnViewportPosition(column);
        // Without detail columns the titles stand as they always did.
        const int width = DetailTitles.empty() ? 160 : std::min(BookList->columnWidth(column) - 4, viewport - at - 2);
        title->setGeometry(GridLeft + at + 2, TitleTop, std::max(width, 1), TitleHeight);
        // A title whose column is scrolled out of sight, or mostly so, goes.
        title->setVisible(at >= 0 && width >= 16);
    }
}

void TfrmBookBrowser::ShowDetailSortState()
{
    const std::string& key = Rows.DetailSortKey();
    for (size_t i = 0; i < DetailTitles.size(); ++i)
        DetailTitles[i]->SetSorted(DetailColumns[i]->Key == key);
    if (key.empty()) {
        // The catalogue's sort shows again once no detail orders the rows.
        if (PartTitlesCleared) {
            PartTitlesCleared = false;
            ShowSortState();
        }
        return;
    }
    if (!PartTitlesCleared) {
        for (TSortTitle* title : {Author, Bookname, Publisher})
            title->SetSorted(false);
        PartTitlesCleared = true;
    }
    // Letters typed in the list are sought in the column that orders it.
    for (size_t i = 0; i < DetailColumns.size(); ++i)
        if (DetailColumns[i]->Key == key)
            BookList->SetSearchColumn(TBookRows::ColumnCount + static_cast<int>(i));
}
