#include "dialogs/BookBrowserForm.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "engine/ORBL.h"
#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/StoredPosition.h"
#include "platform/gui/WindowAccessible.h"
#include "settings/SettingsKeys.h"
#include "widgets/BookGrid.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

namespace {

QLabel* SortLink(QWidget* parent, const char* name, const QString& caption, int x)
{
    auto* link = new QLabel(caption, parent);
    link->setObjectName(QLatin1String(name));
    QFont font = link->font();
    font.setUnderline(true);
    font.setBold(false);
    link->setFont(font);
    link->setCursor(Qt::PointingHandCursor);
    link->setGeometry(x, 18, 160, 15);
    link->setAccessibleName(caption);
    link->setAccessibleDescription(QStringLiteral("Sorts the books by this field"));
    // A Tab stop of its own: Space or Enter on it sorts as a click does.
    link->setFocusPolicy(Qt::StrongFocus);
    return link;
}

} // namespace

TfrmBookBrowser::TfrmBookBrowser(QWidget* parent) : QWidget(parent, Qt::Window)
{
    // The global names the window from the start: its creation already uses it.
    frmBookBrowser = this;
    setObjectName(QStringLiteral("frmBookBrowser"));
    setWindowTitle(QStringLiteral("Book browser"));
    setAccessibleName(QStringLiteral("Book browser"));
    WindowAccessible::Attach(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(561, 433);
    setMouseTracking(true);
    Position = new TStoredPosition(*this);

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
    for (QLabel* link : {Author, Bookname, Publisher})
        link->installEventFilter(this);

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
    connect(BookList, &TBookGrid::RowSelected, this, [this] { TErrorHandler::Guard([this] { BookListClick(); }); });

    TErrorHandler::Guard([this] { FormCreate(); });
}

TfrmBookBrowser::~TfrmBookBrowser()
{
    TErrorHandler::Guard([this] { RunEnd(); });
}

void TfrmBookBrowser::FormCreate()
{
    PositionRestored = false;
    BookList->setColumnWidth(0, 10);
    BookList->setColumnWidth(1, 166);
    BookList->setColumnWidth(2, 236);
    BookList->setColumnWidth(3, 78);
    frmMain->BrowserShown = true;
    frmMain->LoadList();
    frmMain->LoadBook(0);
    show();
}

void TfrmBookBrowser::FormActivate()
{
    if (PositionRestored)
        return;
    PositionRestored = true; // even a failing first attempt is not repeated
    const int32_t left = frmMain->Settings->ReadInteger("LV_X");
    const int32_t top = frmMain->Settings->ReadInteger("LV_Y");
    Position->PlaceAt(QPoint(left, top));
    frmMain->Database->SortBy(TSettingsKeys::SortAliasFor(frmMain->Settings->ReadString("SortMethod")));
    frmMain->LoadList();
    frmMain->LoadBook(0);
}

void TfrmBookBrowser::WritePosition()
{
    // The frame's corner; nothing where the platform cannot tell where it is.
    const std::optional<QPoint> corner = Position->ToStore();
    if (!corner)
        return;
    frmMain->Settings->WriteInteger("LV_X", corner->x());
    frmMain->Settings->WriteInteger("LV_Y", corner->y());
    Position->Stored(*corner);
}

void TfrmBookBrowser::FormClose()
{
    WritePosition();
    frmMain->BrowserShown = false;
    frmMain->Ui.tbtnListView->setChecked(false);
}

void TfrmBookBrowser::FormMouseMove()
{
    WritePosition();
}

void TfrmBookBrowser::RunEnd()
{
    if (frmMain && frmMain->Settings && Position->MovedSinceStored())
        WritePosition();
}

void TfrmBookBrowser::BookListClick()
{
    frmMain->LoadBook(BookList->SelectedRow());
}

void TfrmBookBrowser::SortClick(const char* method, const char* alias)
{
    frmMain->Settings->WriteString("SortMethod", method);
    frmMain->Database->SortBy(alias);
    frmMain->LoadList();
    frmMain->LoadBook(0);
}

void TfrmBookBrowser::AuthorClick()
{
    SortClick("ByAuthor", "Book author");
}

void TfrmBookBrowser::BooknameClick()
{
    SortClick("ByName", "Book title");
}

void TfrmBookBrowser::PublisherClick()
{
    SortClick("ByPublisher", "Publisher");
}

void TfrmBookBrowser::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TfrmBookBrowser::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Centred on the first show, where it stays when FormActivate fails.
    if (!PositionRestored)
        DesktopWindow::CentreOnScreen(*this);
    // The first show is the first activation, also where no window manager reports one.
    TErrorHandler::Guard([this] { FormActivate(); });
}

void TfrmBookBrowser::closeEvent(QCloseEvent* event)
{
    // Windows closed while the program ends are not closed by the user.
    if (frmMain && frmMain->Ending) {
        event->accept();
        return;
    }
    // A failed write keeps the window open, as the close did not complete.
    if (TErrorHandler::Guard([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

void TfrmBookBrowser::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    // Only the browser's own surface, the margin around the group box.
    if (!childAt(event->position().toPoint()))
        TErrorHandler::Guard([this] { FormMouseMove(); });
}

void TfrmBookBrowser::TitleClick(QObject* title)
{
    if (title == Author)
        TErrorHandler::Guard([this] { AuthorClick(); });
    else if (title == Bookname)
        TErrorHandler::Guard([this] { BooknameClick(); });
    else
        TErrorHandler::Guard([this] { PublisherClick(); });
}

bool TfrmBookBrowser::eventFilter(QObject* watched, QEvent* event)
{
    const bool title = watched == Author || watched == Bookname || watched == Publisher;
    if (title && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // A label draws no focus mark of its own: a thin box shows the focus.
        static_cast<QLabel*>(watched)->setFrameStyle(event->type() == QEvent::FocusIn ? QFrame::Box | QFrame::Plain
                                                                                      : QFrame::NoFrame);
    }
    if (title && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool press = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (press && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                TitleClick(watched);
            return true;
        }
    }
    if (title && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        PressedTitle = watched;
        return QWidget::eventFilter(watched, event);
    }
    if (title && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // Like a button: a title sorts when the press began on it and the
        // release comes over it; moving off before releasing calls it off.
        const bool pressedHere = PressedTitle == watched;
        PressedTitle = nullptr;
        const auto* link = static_cast<QWidget*>(watched);
        if (!pressedHere || !link->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
            return true;
        TitleClick(watched);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
