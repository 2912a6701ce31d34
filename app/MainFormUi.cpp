#include "app/MainFormUi.h"

#include "widgets/DataLabel.h"
#include "widgets/LazyIconEngine.h"
#include "widgets/ToolBarImages.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// The client area the window is designed for; the menu bar comes on top.
constexpr int ClientWidth = 441;
constexpr int ClientHeight = 364;
constexpr int ToolBarHeight = 24;
constexpr int StatusBarHeight = 20;

QString Plain(const QString& caption)
{
    QString text = caption;
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text;
}

QAction* MenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut, int image = -1)
{
    auto* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    if (image >= 0)
        action->setIcon(TToolBarImages::Icon(static_cast<TToolBarImages::Index>(image)));
    return action;
}

QToolButton* ToolButton(QToolBar* bar, const char* name, TToolBarImages::Index image, const QString& command)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setIcon(TToolBarImages::Icon(image));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    // The toolbar has no hint texts; a screen reader still needs the command's name.
    button->setAccessibleName(command);
    bar->addWidget(button);
    return button;
}

QLineEdit* BookBox(QWidget* parent, const char* name, const QString& label, const QRect& geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setReadOnly(true);
    box->setAccessibleName(label);
    if (!label.isEmpty()) {
        auto* caption = new QLabel(label, parent);
        caption->setGeometry(geometry.x(), geometry.y() - 15, geometry.width(), 14);
        caption->setBuddy(box);
    }
    return box;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                    const QString& accessible = QString())
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setAccessibleName(accessible.isEmpty() ? Plain(caption) : accessible);
    return button;
}

} // namespace

void TMainFormUi::Setup(QMainWindow* window)
{
    window->setWindowTitle(QStringLiteral("Quenfir Volumnia 2.1"));
    window->setAccessibleName(QStringLiteral("Quenfir Volumnia 2.1"));
    window->setFont(QFont(QStringLiteral("Tahoma"), 8));
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // Main menu.
    QMenuBar* menu = window->menuBar();
    QMenu* file = menu->addMenu(QStringLiteral("&File"));
    mnuFile_Print = MenuItem(file, "mnuFile_Print", QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P),
                             TToolBarImages::Print);
    mnuFile_ExportWeb = MenuItem(file, "mnuFile_ExportWeb", QStringLiteral("Export &web catalogue..."), QKeySequence());
    mnuFile_ExportPdf = MenuItem(file, "mnuFile_ExportPdf", QStringLiteral("Export P&DF catalogue..."), QKeySequence());
    file->addSeparator();
    mnuFile_Exit = MenuItem(file, "mnuFile_Exit", QStringLiteral("&Exit"), QKeySequence(), TToolBarImages::Exit);

    QMenu* database = menu->addMenu(QStringLiteral("&Database"));
    // Their captions name the change they take back or do again (TfrmMain::EnableUndoItems).
    // The letters of the items added to a menu are ones its first items leave
    // free: Alt+D then U has always returned a book, R removed one.
    mnuDatabase_Undo =
        MenuItem(database, "mnuDatabase_Undo", QStringLiteral("U&ndo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuDatabase_Redo =
        MenuItem(database, "mnuDatabase_Redo", QStringLiteral("Red&o"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    mnuDatabase_Redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    database->addSeparator();
    mnuDatabase_Add = MenuItem(database, "mnuDatabase_Add", QStringLiteral("&Add item"), QKeySequence(Qt::Key_F1),
                               TToolBarImages::Add);
    mnuDatabase_Edit = MenuItem(database, "mnuDatabase_Edit", QStringLiteral("&Edit item"), QKeySequence(Qt::Key_F2),
                                TToolBarImages::Edit);
    mnuDatabase_EditSeveral = MenuItem(database, "mnuDatabase_EditSeveral", QStringLiteral("E&dit several..."),
                                       QKeySequence(Qt::CTRL | Qt::Key_F2));
    mnuDatabase_Remove = MenuItem(database, "mnuDatabase_Remove", QStringLiteral("&Remove item..."),
                                  QKeySequence(Qt::Key_F3), TToolBarImages::Remove);
    mnuDatabase_RemoveSeveral = MenuItem(database, "mnuDatabase_RemoveSeveral", QStringLiteral("Re&move several..."),
                                         QKeySequence(Qt::CTRL | Qt::Key_F3));
    // The toolbar's loan and return, for the keyboard: they act on the shown book.
    mnuDatabase_Loan =
        MenuItem(database, "mnuDatabase_Loan", QStringLiteral("&Loan book..."), QKeySequence(), TToolBarImages::Loan);
    mnuDatabase_Return = MenuItem(database, "mnuDatabase_Return", QStringLiteral("Ret&urn book..."), QKeySequence(),
                                  TToolBarImages::Return);
    // Fills the boxes of the book being added or edited; its letter is one
    // the items above leave free (U returns a book).
    mnuDatabase_LookUpIsbn = MenuItem(database, "mnuDatabase_LookUpIsbn", QStringLiteral("Look up &ISBN..."),
                                      QKeySequence(Qt::CTRL | Qt::Key_L));
    database->addSeparator();
    mnuDatabase_Search = MenuItem(database, "mnuDatabase_Search", QStringLiteral("&Search..."),
                                  QKeySequence(Qt::Key_F5), TToolBarImages::Search);
    database->addSeparator();
    mnuDatabase_Settings = MenuItem(database, "mnuDatabase_Settings", QStringLiteral("Se&ttings..."), QKeySequence());

    QMenu* view = menu->addMenu(QStringLiteral("&View"));
    mnuView_ShowHideBookBrowser =
        MenuItem(view, "mnuView_ShowHideBookBrowser", QStringLiteral("&Show/hide Book browser"),
                 QKeySequence(Qt::Key_F6), TToolBarImages::Browser);
    mnuView_UpdateBookBrowser = MenuItem(view, "mnuView_UpdateBookBrowser", QStringLiteral("&Refresh Book browser"),
                                         QKeySequence(Qt::Key_F7), TToolBarImages::Refresh);
    mnuView_Loans = MenuItem(view, "mnuView_Loans", QStringLiteral("&Loans..."), QKeySequence(Qt::CTRL | Qt::Key_F6));
    mnuView_FindBooks = MenuItem(view, "mnuView_FindBooks", QStringLiteral("&Find in Book browser"),
                                 QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuView_GoToBookBrowser =
        MenuItem(view, "mnuView_GoToBookBrowser", QStringLiteral("&Go to Book browser"), QKeySequence(Qt::Key_F8));
    mnuView_History =
        MenuItem(view, "mnuView_History", QStringLiteral("&History..."), QKeySequence(Qt::CTRL | Qt::Key_F7));
    mnuView_BookDetails =
        MenuItem(view, "mnuView_BookDetails", QStringLiteral("Book &details..."), QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuView_Statistics =
        MenuItem(view, "mnuView_Statistics", QStringLiteral("S&tatistics..."), QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuView_ScanIsbn =
        MenuItem(view, "mnuView_ScanIsbn", QStringLiteral("S&can ISBN..."), QKeySequence(Qt::CTRL | Qt::Key_K));
    mnuView_ScanPicture = MenuItem(view, "mnuView_ScanPicture", QStringLiteral("Scan barcode from &picture..."),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    view->addSeparator();
    mnuView_AlwaysOnTop =
        MenuItem(view, "mnuView_AlwaysOnTop", QStringLiteral("&Always on top"), QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuView_AlwaysOnTop->setCheckable(true);
    mnuView_RestoreWindows = MenuItem(view, "mnuView_RestoreWindows", QStringLiteral("R&estore windows"),
                                      QKeySequence(Qt::CTRL | Qt::Key_R));

    QMenu* help = menu->addMenu(QStringLiteral("&Help"));
    mnuHelp_Contents = MenuItem(help, "mnuHelp_Contents", QStringLiteral("&Help contents..."),
                                QKeySequence(Qt::CTRL | Qt::Key_F1), TToolBarImages::Help);
    help->addSeparator();
    mnuHelp_About = MenuItem(help, "mnuHelp_About", QStringLiteral("&About"), QKeySequence());

    // Ctrl+Q ends the run as File > Exit does; the menu item itself shows no key.
    actExitKey = new QAction(QStringLiteral("Exit"), window);
    actExitKey->setObjectName(QStringLiteral("actExitKey"));
    actExitKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    actExitKey->setShortcutContext(Qt::ApplicationShortcut);
    window->addAction(actExitKey);

    // Toolbar.
    ToolBar = new QToolBar(window);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setAccessibleName(QStringLiteral("Toolbar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setFixedHeight(ToolBarHeight);
    ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBar(Qt::TopToolBarArea, ToolBar);
    tbtnAddBook = ToolButton(ToolBar, "tbtnAddBook", TToolBarImages::Add, QStringLiteral("Add item"));
    tbtnEditBook = ToolButton(ToolBar, "tbtnEditBook", TToolBarImages::Edit, QStringLiteral("Edit item"));
    tbtnRemoveBook = ToolButton(ToolBar, "tbtnRemoveBook", TToolBarImages::Remove, QStringLiteral("Remove item"));
    tbtnLoanBook = ToolButton(ToolBar, "tbtnLoanBook", TToolBarImages::Loan, QStringLiteral("Loan book"));
    tbtnReturnBook = ToolButton(ToolBar, "tbtnReturnBook", TToolBarImages::Return, QStringLiteral("Return book"));
    ToolBar->addSeparator();
    tbtnSearch = ToolButton(ToolBar, "tbtnSearch", TToolBarImages::Search, QStringLiteral("Search"));
    tbtnPrint = ToolButton(ToolBar, "tbtnPrint", TToolBarImages::Print, QStringLiteral("Print"));
    ToolBar->addSeparator();
    tbtnListView =
        ToolButton(ToolBar, "tbtnListView", TToolBarImages::Browser, QStringLiteral("Show/hide Book browser"));
    tbtnListView->setCheckable(true);
    tbtnListView->setChecked(true);
    tbtnRefresh = ToolButton(ToolBar, "tbtnRefresh", TToolBarImages::Refresh, QStringLiteral("Refresh Book browser"));
    // Qt's own overflow buttons are on the accessibility bus too (hidden until
    // the bars run out of room); they get names like every other control.
    if (auto* more = ToolBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More toolbar buttons"));
    if (auto* more = menu->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button")))
        more->setAccessibleName(QStringLiteral("More menus"));

    // The book, its loan data, Save and Cancel, and the navigation row.
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("Client"));
    window->setCentralWidget(client);

    grpBookData = new QGroupBox(QStringLiteral("Book data"), client);
    grpBookData->setObjectName(QStringLiteral("grpBookData"));
    // A bold font, not a style sheet: a style sheet puts the group's controls
    // back on the application's default face. Its controls get the normal
    // weight back below.
    QFont bold = window->font();
    bold.setBold(true);
    grpBookData->setFont(bold);
    grpBookData->setGeometry(8, 4, 425, 288);
    grpBookData->setAccessibleName(QStringLiteral("Book data"));

    edtBookname = BookBox(grpBookData, "edtBookname", QStringLiteral("Book title"), QRect(12, 36, 401, 21));
    edtAuthor = BookBox(grpBookData, "edtAuthor", QStringLiteral("Book author"), QRect(12, 76, 401, 21));
    edtPublishyear = BookBox(grpBookData, "edtPublishyear", QStringLiteral("Year published"), QRect(12, 116, 200, 21));
    edtPublisher = BookBox(grpBookData, "edtPublisher", QStringLiteral("Publisher"), QRect(12, 156, 200, 21));
    edtMisc1 = BookBox(grpBookData, "edtMisc1", QStringLiteral("Other information"), QRect(12, 196, 200, 21));
    edtMisc2 = BookBox(grpBookData, "edtMisc2", QString(), QRect(12, 220, 200, 21));
    edtMisc2->setAccessibleName(QStringLiteral("Other information, second line"));

    grpLoaninfo = new QGroupBox(QStringLiteral("Loan data"), grpBookData);
    grpLoaninfo->setObjectName(QStringLiteral("grpLoaninfo"));
    grpLoaninfo->setGeometry(224, 104, 189, 80);
    grpLoaninfo->setAccessibleName(QStringLiteral("Loan data"));
    // The loan data is read-only but in the Tab chain, each named by its caption.
    lblLoanerCaption = new QLabel(QStringLiteral("Loaner:"), grpLoaninfo);
    lblLoanerCaption->setGeometry(10, 24, 70, 16);
    lblLoaner = new TDataLabel(QStringLiteral("N/A"), grpLoaninfo);
    lblLoaner->setObjectName(QStringLiteral("lblLoaner"));
    lblLoaner->setGeometry(80, 24, 101, 16);
    lblLoaner->setAccessibleName(QStringLiteral("Loaner"));
    lblLoaner->setFocusPolicy(Qt::TabFocus);
    lblLoanerCaption->setBuddy(lblLoaner);
    lblLoanDateCaption = new QLabel(QStringLiteral("Date loaned:"), grpLoaninfo);
    lblLoanDateCaption->setGeometry(10, 48, 70, 16);
    lblLoanDate = new TDataLabel(QStringLiteral("N/A"), grpLoaninfo);
    lblLoanDate->setObjectName(QStringLiteral("lblLoanDate"));
    lblLoanDate->setGeometry(80, 48, 101, 16);
    lblLoanDate->setAccessibleName(QStringLiteral("Date loaned"));
    lblLoanDate->setFocusPolicy(Qt::TabFocus);
    lblLoanDateCaption->setBuddy(lblLoanDate);
    grpLoaninfo->hide();

    btnCancel = Button(grpBookData, "btnCancel", QStringLiteral("&Cancel"), QRect(224, 216, 91, 25));
    btnCancel->setIcon(TLazyIconEngine::Standard(QStyle::SP_DialogCancelButton));
    btnSave = Button(grpBookData, "btnSave", QStringLiteral("&Save"), QRect(322, 216, 91, 25));
    btnSave->setIcon(TLazyIconEngine::Standard(QStyle::SP_DialogSaveButton));
    btnSave->setDefault(true);
    btnCancel->hide();
    btnSave->hide();

    auto* rule = new QFrame(grpBookData);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(12, 248, 401, 2);

    btnFirst =
        Button(grpBookData, "btnFirst", QStringLiteral("|<"), QRect(12, 256, 32, 23), QStringLiteral("First book"));
    btnPrevious = Button(grpBookData, "btnPrevious", QStringLiteral("<"), QRect(46, 256, 32, 23),
                         QStringLiteral("Previous book"));
    edtCurrentItem = new QLineEdit(QStringLiteral("0"), grpBookData);
    edtCurrentItem->setObjectName(QStringLiteral("edtCurrentItem"));
    edtCurrentItem->setGeometry(84, 257, 40, 21);
    edtCurrentItem->setMaxLength(4);
    edtCurrentItem->setAccessibleName(QStringLiteral("Current book number"));
    lblItems = new TDataLabel(QStringLiteral("/ 0"), grpBookData);
    lblItems->setObjectName(QStringLiteral("lblItems"));
    lblItems->setGeometry(128, 260, 50, 16);
    lblItems->setAccessibleName(QStringLiteral("Number of books"));
    btnNext = Button(grpBookData, "btnNext", QStringLiteral(">"), QRect(182, 256, 32, 23), QStringLiteral("Next book"));
    btnLast =
        Button(grpBookData, "btnLast", QStringLiteral(">|"), QRect(216, 256, 32, 23), QStringLiteral("Last book"));

    QFont normal = window->font();
    normal.setBold(false);
    for (QWidget* control : grpBookData->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setFont(normal);

    QWidget::setTabOrder(edtBookname, edtAuthor);
    QWidget::setTabOrder(edtAuthor, edtPublishyear);
    QWidget::setTabOrder(edtPublishyear, edtPublisher);
    QWidget::setTabOrder(edtPublisher, edtMisc1);
    QWidget::setTabOrder(edtMisc1, edtMisc2);
    QWidget::setTabOrder(edtMisc2, lblLoaner);
    QWidget::setTabOrder(lblLoaner, lblLoanDate);
    QWidget::setTabOrder(lblLoanDate, btnSave);
    QWidget::setTabOrder(btnSave, btnCancel);
    QWidget::setTabOrder(btnCancel, btnFirst);
    QWidget::setTabOrder(btnFirst, btnPrevious);
    QWidget::setTabOrder(btnPrevious, edtCurrentItem);
    QWidget::setTabOrder(edtCurrentItem, btnNext);
    QWidget::setTabOrder(btnNext, btnLast);

    // Status bar: date, time, engine name, database file and its size.
    StatusBar = new QStatusBar(window);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFixedHeight(StatusBarHeight);
    StatusBar->setAccessibleName(QStringLiteral("Status bar"));
    window->setStatusBar(StatusBar);
    const std::array<int, 4> widths{80, 60, 80, 50};
    const std::array<const char*, 4> names{"Date", "Time", "Database engine", "Database file"};
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new TDataLabel(QString(), StatusBar);
        panel->setMinimumWidth(widths[i]);
        if (i < 3)
            panel->setFixedWidth(widths[i]);
        panel->setAlignment(i < 3 ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAccessibleName(QLatin1String(names[i]));
        StatusBar->addWidget(panel, i < 3 ? 0 : 1);
        StatusPanels[i] = panel;
    }
    StatusPanels[2]->setText(QStringLiteral("Quenfir ORBL"));
    lblOverdue = new TDataLabel(QString(), StatusBar);
    lblOverdue->setObjectName(QStringLiteral("lblOverdue"));
    lblOverdue->setFrameShape(QFrame::Panel);
    lblOverdue->setFrameShadow(QFrame::Sunken);
    lblOverdue->setAccessibleName(QStringLiteral("Overdue loans"));
    // A Tab stop, so the keyboard reaches its whole text in the tool tip.
    lblOverdue->setFocusPolicy(Qt::TabFocus);
    StatusBar->addPermanentWidget(lblOverdue);
    lblOverdue->hide();

    client->setFixedSize(ClientWidth, ClientHeight - ToolBarHeight - StatusBarHeight);
    window->setFixedSize(ClientWidth, ClientHeight + menu->sizeHint().height());
}
