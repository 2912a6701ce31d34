#include "dialogs/BookBrowserForm.h"

#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/StoredPosition.h"
#include "settings/RFileSystem.h"
#include "widgets/BookGrid.h"
#include "widgets/RunState.h"
#include "widgets/SortTitle.h"

#include <QGroupBox>
#include <QMouseEvent>

namespace {

TSortTitle* SortLink(QWidget* parent, const char* name, const QString& caption, int x)
{
    auto* link = new TSortTitle(caption, QStringLiteral("Sorts the books by this field"), parent);
    link->setObjectName(QLatin1String(name));
    link->setGeometry(x, 18, 160, 15);
    return link;
}

} // namespace

TfrmBookBrowser::TfrmBookBrowser(TCatalogue& catalogue, TShownRows& rows, TRunState& run)
    : TModelessWindow(run, QStringLiteral("Book browser"), 561, 433), Catalogue(catalogue), Rows(rows)
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
    BookList->setGeometry(gridLeft, 36, 529, 373);
    // One Tab stop for the grid: Tab leaves it rather than moving through cells.
    BookList->setTabKeyNavigation(false);
    setTabOrder(Author, Bookname);
    setTabOrder(Bookname, Publisher);
    setTabOrder(Publisher, BookList);
    connect(BookList, &TBookGrid::RowSelected, this, Guarded(this, &TfrmBookBrowser::BookListClick));

    connect(&Rows, &TShownRows::Refilled, this, &TfrmBookBrowser::ShowRows);
    connect(&Rows, &TShownRows::CurrentChanged, this,
            [this](int32_t row) { TErrorHandler::Guard([this, row] { BookList->SelectRowSilently(row); }); });
    connect(&Catalogue, &TCatalogue::Reordered, this, &TfrmBookBrowser::ShowSortState);

    TErrorHandler::Guard([this] { FormCreate(); });
}

TfrmBookBrowser::~TfrmBookBrowser()
{
    TErrorHandler::Guard([this] { RunEnd(); });
}

void TfrmBookBrowser::ShowRows()
{
    TBookRows rows;
    const int32_t count = Rows.Count();
    rows.Reserve(count);
    for (int32_t r = 0; r < count; ++r)
        rows.Add(Rows.ItemAt(r));
    BookList->SetRows(std::move(rows));
    BookList->SelectRowSilently(Rows.Current());
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
}

void TfrmBookBrowser::FormCreate()
{
    PositionRestored = false;
    BookList->setColumnWidth(0, 10);
    BookList->setColumnWidth(1, 166);
    BookList->setColumnWidth(2, 236);
    BookList->setColumnWidth(3, 78);
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
