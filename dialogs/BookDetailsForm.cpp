#include "dialogs/BookDetailsForm.h"

#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/FieldTable.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"
#include "platform/gui/Clock.h"
#include "platform/gui/DataLabelAccessible.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "widgets/CoverPanel.h"
#include "widgets/DialogControls.h"
#include "widgets/RunState.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace {

// The window's place: its own keys, which installations made before it lack.
const char* const PositionKeyX = "BD_X";
const char* const PositionKeyY = "BD_Y";

// The boxes' part of the window; the cover's panel stands to their right.
constexpr int Width = 470;
constexpr int WindowWidth = Width + TCoverPanel::PictureWidth + 8;
constexpr int Left = 8;
constexpr int BoxLeft = 168;
constexpr int BoxWidth = Width - BoxLeft - 8;
constexpr int RowHeight = 26;
constexpr int StrayHeight = 92;

// The details this window edits in boxes: every detail of the field table
// but the due date, which belongs to a loan and is set in the Loans window,
// and the cover, which has its panel.
std::vector<const TField*> EditedFields()
{
    std::vector<const TField*> fields = FieldTable::Details();
    fields.erase(std::remove_if(fields.begin(), fields.end(),
                                [](const TField* field) {
                                    return std::strcmp(field->Key, FieldTable::DueKey) == 0 ||
                                           field->Kind == TFieldKind::Image;
                                }),
                 fields.end());
    return fields;
}

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// Everything of the window but its rows of boxes, and what a window
// manager's frame may take besides.
constexpr int FixedHeight = 32 + 4 + StrayHeight + 8 + DialogControls::ButtonHeight + 8;
constexpr int FrameAllowance = 48;

// The rows of boxes shown on the screen the window opens on.
int VisibleRows()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return TfrmBookDetails::RowsShownOn(screen ? screen->availableGeometry().height() : 100000);
}

int WindowHeight()
{
    return FixedHeight + VisibleRows() * RowHeight;
}

// What a stray row holds, in a few words: "ISBN: 9780552131063; Series: Discworld".
QString Summary(const TDetails& details)
{
    QStringList parts;
    for (const auto& [key, value] : details.Values()) {
        const TField* field = FieldTable::Find(key);
        if (field && field->Kind == TFieldKind::Image)
            parts << QString::fromLatin1(field->Caption) + QStringLiteral(": a picture");
        else
            parts << (field ? QString::fromLatin1(field->Caption) + QStringLiteral(": ") +
                                  Utf8(FieldTable::Shown(*field, value))
                            : Utf8(key) + QStringLiteral(": ") + Utf8(value));
    }
    return parts.join(QStringLiteral("; "));
}

// The caption with an access key: its first letter no other control of the
// window uses yet (taken holds those in use, lower case), none when every
// letter is taken.
QString WithAccessKey(const QString& caption, QString& taken)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar letter = caption[i].toLower();
        if (letter.isLetter() && letter.unicode() < 128 && !taken.contains(letter)) {
            taken += letter;
            return caption.left(i) + QLatin1Char('&') + caption.mid(i);
        }
    }
    return caption;
}

} // namespace

TfrmBookDetails::TfrmBookDetails(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* stackingOwner)
    : TModelessWindow(run, QStringLiteral("Book details"), WindowWidth, WindowHeight(), stackingOwner),
      Catalogue(catalogue), Rows(rows)
{
    KeepPlaceIn(Catalogue.Settings(), PositionKeyX, PositionKeyY);
    UseDialogKeys();
    setObjectName(QStringLiteral("frmBookDetails"));

    lblBook = new QLabel(this);
    lblBook->setObjectName(QStringLiteral("lblBook"));
    lblBook->setGeometry(Left, 8, WindowWidth - 2 * Left, 18);
    lblBook->setTextFormat(Qt::PlainText);
    lblBook->setAccessibleName(QStringLiteral("Book"));
    DialogControls::MakeBold(lblBook);
    TDataLabelAccessible::Attach(lblBook);

    // The buttons' letters: Save, Close, Attach and Set aside; the boxes take
    // theirs before the cover's commands, which came later.
    QString taken = QStringLiteral("scta");
    const int allRows = static_cast<int>(EditedFields().size());
    const int shownRows = VisibleRows();
    scrBoxes = new QScrollArea(this);
    scrBoxes->setObjectName(QStringLiteral("scrBoxes"));
    scrBoxes->setFrameShape(QFrame::NoFrame);
    scrBoxes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrBoxes->setGeometry(0, 32, Width, shownRows * RowHeight);
    auto* boxes = new QWidget;
    boxes->setObjectName(QStringLiteral("pnlBoxes"));
    // A scroll bar takes its width from the boxes, not from the cover.
    const int bar = shownRows < allRows ? scrBoxes->verticalScrollBar()->sizeHint().width() : 0;
    boxes->resize(Width - bar, allRows * RowHeight);
    MakeBoxes(boxes, taken);
    if (bar > 0)
        for (const TBox& box : FBoxes)
            if (box.Edit && box.Edit->width() == BoxWidth)
                box.Edit->resize(BoxWidth - bar, box.Edit->height());
    scrBoxes->setWidget(boxes);
    Cover = new TCoverPanel(this, taken);
    Cover->move(Width, 32);

    const int strayTop = 32 + shownRows * RowHeight + 4;
    grpStray = new QGroupBox(QStringLiteral("Details that may belong to another book"), this);
    grpStray->setObjectName(QStringLiteral("grpStray"));
    grpStray->setAccessibleName(grpStray->title());
    grpStray->setGeometry(Left, strayTop, Width - 2 * Left, StrayHeight);
    lblStray = new QLabel(grpStray);
    lblStray->setObjectName(QStringLiteral("lblStray"));
    lblStray->setGeometry(8, 16, Width - 2 * Left - 16, 40);
    lblStray->setWordWrap(true);
    lblStray->setTextFormat(Qt::PlainText);
    lblStray->setAccessibleName(QStringLiteral("Details kept under this number"));
    TDataLabelAccessible::Attach(lblStray);
    using DialogControls::TButtonKind;
    btnAttach = DialogControls::Button(QIcon(), QStringLiteral("A&ttach"), grpStray, 8, 60, TButtonKind::Plain);
    btnSetAside = DialogControls::Button(QIcon(), QStringLiteral("Set &aside"), grpStray,
                                         8 + DialogControls::ButtonWidth + 6, 60, TButtonKind::Plain);
    btnAttach->setObjectName(QStringLiteral("btnAttach"));
    btnSetAside->setObjectName(QStringLiteral("btnSetAside"));
    btnAttach->setToolTip(QStringLiteral("Makes these the details of the book shown"));
    btnSetAside->setToolTip(QStringLiteral("Drops these details from the details file"));
    grpStray->hide();

    const int top = strayTop + StrayHeight + 8;
    btnSave = DialogControls::Button(QIcon(), QStringLiteral("&Save"), this, Left, top, TButtonKind::Default);
    btnCancel = DialogControls::Button(QIcon(), QStringLiteral("Cancel"), this, Left + DialogControls::ButtonWidth + 6,
                                       top, TButtonKind::Plain);
    btnClose = DialogControls::Button(QIcon(), QStringLiteral("&Close"), this,
                                      WindowWidth - Left - DialogControls::ButtonWidth, top, TButtonKind::Plain);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnLookUp = DialogControls::Button(QIcon(), WithAccessKey(QStringLiteral("Look up ISBN"), taken), this,
                                       Left + 2 * (DialogControls::ButtonWidth + 6), top, TButtonKind::Plain);
    btnLookUp->setObjectName(QStringLiteral("btnLookUp"));
    btnLookUp->setToolTip(QStringLiteral("Fills the book's title, author, publisher and year from its ISBN"));

    connect(btnSave, &QPushButton::clicked, this, Guarded(this, &TfrmBookDetails::btnSaveClick));
    connect(btnCancel, &QPushButton::clicked, this, Guarded(this, &TfrmBookDetails::btnCancelClick));
    connect(btnAttach, &QPushButton::clicked, this, Guarded(this, &TfrmBookDetails::btnAttachClick));
    connect(btnSetAside, &QPushButton::clicked, this, Guarded(this, &TfrmBookDetails::btnSetAsideClick));
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(btnLookUp, &QPushButton::clicked, this, Guarded(this, &TfrmBookDetails::btnLookUpClick));
    connect(Cover, &TCoverPanel::Edited, this, Guarded(this, &TfrmBookDetails::StartEditing));
    // The window follows the catalogue's signals only: a step or a refill of
    // the shown rows, and stray rows set aside.
    connect(&Rows, &TShownRows::CurrentChanged, this, Guarded(this, &TfrmBookDetails::Follow));
    connect(&Rows, &TShownRows::Refilled, this, Guarded(this, &TfrmBookDetails::Follow));
    connect(&Catalogue, &TCatalogue::StrayDetailsChanged, this, Guarded(this, &TfrmBookDetails::ShowStray));

    QWidget* previous = nullptr;
    for (const TBox& box : FBoxes) {
        QWidget* next = box.Edit ? static_cast<QWidget*>(box.Edit) : static_cast<QWidget*>(box.Choice);
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(previous, Cover);
    previous = Cover->btnRemoveCover;
    for (QWidget* next : {btnAttach, btnSetAside, btnSave, btnCancel, btnLookUp, btnClose}) {
        setTabOrder(previous, next);
        previous = next;
    }
    SetEditing(false);
}

int TfrmBookDetails::RowsShownOn(int availableHeight)
{
    const int rows = static_cast<int>(EditedFields().size());
    const int fit = (availableHeight - FixedHeight - FrameAllowance) / RowHeight;
    const int least = std::min(rows, (TCoverPanel::PanelHeight - StrayHeight + RowHeight - 1) / RowHeight);
    return std::clamp(fit, least, rows);
}

int TfrmBookDetails::HeightOn(int availableHeight)
{
    return FixedHeight + RowsShownOn(availableHeight) * RowHeight;
}

void TfrmBookDetails::MakeBoxes(QWidget* parent, QString& taken)
{
    int y = 0;
    for (const TField* field : EditedFields()) {
        TBox box;
        box.Field = field;
        const QString caption = QString::fromLatin1(field->Caption);
        box.Caption = DialogControls::Label(WithAccessKey(caption, taken) + QStringLiteral(":"), parent, Left, y + 3);
        QWidget* control = nullptr;
        if (field->Kind == TFieldKind::Choice || field->Kind == TFieldKind::Rating) {
            box.Choice = new QComboBox(parent);
            box.Choice->addItem(QString());
            if (field->Kind == TFieldKind::Rating) {
                for (int stars = 0; stars <= 5; ++stars)
                    box.Choice->addItem(QString::number(stars), QString::number(stars));
            } else {
                for (const TFieldChoice& choice : field->Choices)
                    box.Choice->addItem(QString::fromLatin1(choice.Shown), QString::fromLatin1(choice.Stored));
            }
            box.Choice->setGeometry(BoxLeft, y, BoxWidth / 2, DialogControls::EditHeight);
            connect(box.Choice, &QComboBox::activated, this, Guarded(this, &TfrmBookDetails::StartEditing));
            box.Choice->installEventFilter(this);
            control = box.Choice;
        } else {
            box.Edit = DialogControls::EditBox(parent, BoxLeft, y, BoxWidth);
            if (field->Kind == TFieldKind::Number || field->Kind == TFieldKind::Date ||
                field->Kind == TFieldKind::Isbn) {
                box.Edit->resize(BoxWidth / 2, box.Edit->height());
                box.Edit->setInputMethodHints(field->Kind == TFieldKind::Number ? Qt::ImhFormattedNumbersOnly
                                                                                : Qt::ImhPreferNumbers);
            }
            if (field->Kind == TFieldKind::Date)
                box.Edit->setToolTip(
                    QStringLiteral("A day as %1 or as yyyy-MM-dd").arg(LoanDate::Format(LoanDate::TYears::Four)));
            else if (field->Kind == TFieldKind::Tags)
                box.Edit->setToolTip(QStringLiteral("Tags separated by commas: fantasy, humour"));
            connect(box.Edit, &QLineEdit::textEdited, this, Guarded(this, &TfrmBookDetails::StartEditing));
            box.Edit->installEventFilter(this);
            control = box.Edit;
        }
        control->setObjectName(QStringLiteral("box_") + QString::fromLatin1(field->Key));
        control->setAccessibleName(caption);
        box.Caption->setBuddy(control);
        FBoxes.push_back(box);
        y += RowHeight;
    }
}

const TfrmBookDetails::TBox* TfrmBookDetails::BoxOf(const char* key) const
{
    for (const TBox& box : FBoxes)
        if (std::strcmp(box.Field->Key, key) == 0)
            return &box;
    return nullptr;
}

void TfrmBookDetails::showEvent(QShowEvent* event)
{
    TModelessWindow::showEvent(event);
    if (FStale)
        TErrorHandler::Guard([this] { Follow(); });
}

void TfrmBookDetails::keyPressEvent(QKeyEvent* event)
{
    // Enter saves as the default button does, wherever the focus is not on
    // another button; Escape cancels an edit, and closes the window otherwise.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !DialogControls::PressFocusedButton(this, event)) {
        event->accept();
        if (FEditing)
            TErrorHandler::Guard([this] { btnSaveClick(); });
        return;
    }
    if (key == Qt::Key_Escape && FEditing) {
        event->accept();
        TErrorHandler::Guard([this] { btnCancelClick(); });
        return;
    }
    TModelessWindow::keyPressEvent(event);
}

bool TfrmBookDetails::eventFilter(QObject* watched, QEvent* event)
{
    // Outside an edit Ctrl+Z and Ctrl+Y are the Database menu's, as in the
    // main window's read-only boxes: a box would take them for its own undo.
    // A box reached with Tab or its access key is scrolled into sight.
    if (event->type() == QEvent::FocusIn && watched->isWidgetType() &&
        scrBoxes->widget()->isAncestorOf(static_cast<QWidget*>(watched)))
        scrBoxes->ensureWidgetVisible(static_cast<QWidget*>(watched), 0, 4);
    if (event->type() == QEvent::ShortcutOverride && !FEditing) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
            return true;
    }
    return TModelessWindow::eventFilter(watched, event);
}

void TfrmBookDetails::Follow()
{
    // A hidden window reads nothing; it catches up when shown. An unsaved
    // edit keeps its book until it is saved or cancelled.
    if (!isVisible()) {
        FStale = true;
        return;
    }
    if (FEditing)
        return;
    FStale = false;
    ShowBook(Catalogue.IsOpen() && !Rows.IsBlank(Rows.Current()) ? Rows.CurrentId() : 0);
}

void TfrmBookDetails::ShowBook(int32_t id)
{
    ++FLoads;
    TItem item;
    if (id > 0 && Catalogue.Database().ItemExists(id))
        Catalogue.Database().GetItem(id, -1, item);
    else
        id = 0;
    FId = id;
    {
        const bool outer = std::exchange(FLoading, true);
        for (const TBox& box : FBoxes) {
            SetValue(box, item.Details.Value(box.Field->Key));
            (box.Edit ? static_cast<QWidget*>(box.Edit) : static_cast<QWidget*>(box.Choice))->setEnabled(id > 0);
        }
        FLoading = outer;
    }
    Cover->ShowStored(Catalogue.Database().FileName(), id, item.Details.Value(FieldTable::CoverKey));
    lblBook->setText(id > 0 ? QStringLiteral("%1: %2, %3")
                                  .arg(id)
                                  .arg(Cp1252::ToQString(item.Fields[0]), Cp1252::ToQString(item.Fields[1]))
                            : QStringLiteral("No book shown"));
    ShowStray();
}

void TfrmBookDetails::ShowStray()
{
    const std::vector<TDetailsRow>& stray = Catalogue.StrayDetails();
    const auto found =
        std::find_if(stray.begin(), stray.end(), [this](const TDetailsRow& row) { return row.ID == FId; });
    if (FId == 0 || found == stray.end()) {
        grpStray->hide();
        return;
    }
    lblStray->setText(QStringLiteral("Kept under number %1 for a book changed outside Volumnia: %2")
                          .arg(FId)
                          .arg(Summary(found->Details)));
    grpStray->show();
}

void TfrmBookDetails::SetValue(const TBox& box, const std::string& value)
{
    if (box.Choice) {
        const int index = box.Choice->findData(Utf8(value));
        box.Choice->setCurrentIndex(value.empty() || index < 0 ? 0 : index);
        return;
    }
    if (box.Field->Kind == TFieldKind::Date && !value.empty()) {
        const QDate date = QDate::fromString(Utf8(value), QStringLiteral("yyyy-MM-dd"));
        box.Edit->setText(date.isValid() ? LoanDate::Write(date, LoanDate::TYears::Four) : Utf8(value));
        return;
    }
    box.Edit->setText(Utf8(FieldTable::Shown(*box.Field, value)));
}

QString TfrmBookDetails::TextOf(const TBox& box) const
{
    if (box.Choice)
        return box.Choice->currentData().toString();
    const QString text = box.Edit->text().trimmed();
    if (box.Field->Kind == TFieldKind::Date && !text.isEmpty()) {
        // The locale's short date or yyyy-MM-dd; what neither reads goes to
        // the field table as typed, which names what is wrong with it.
        QDate date;
        if (LoanDate::Read(text, TPlatform::Clock().Now().date(), date, LoanDate::TCentury::AroundToday))
            return date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    return text;
}

void TfrmBookDetails::StartEditing()
{
    if (!FLoading && FId > 0)
        SetEditing(true);
}

void TfrmBookDetails::SetEditing(bool editing)
{
    FEditing = editing;
    btnSave->setEnabled(editing);
    btnCancel->setEnabled(editing);
    setWindowTitle(editing ? QStringLiteral("Book details (edited)") : QStringLiteral("Book details"));
}

bool TfrmBookDetails::RefusedWhileEditing(bool here)
{
    // A change refills the shown rows, and the main window would show the
    // first book over the boxes the user is typing into there.
    if (Run.Editing) {
        TPlatform::Messages().Information(
            QStringLiteral("Save or cancel the book being edited in the main window first."));
        return true;
    }
    if (here && FEditing) {
        TPlatform::Messages().Information(QStringLiteral("Save or cancel the details being edited first."));
        return true;
    }
    return false;
}

void TfrmBookDetails::btnSaveClick()
{
    if (!FEditing || RefusedWhileEditing(false))
        return;
    if (!Catalogue.Database().ItemExists(FId)) {
        TPlatform::Messages().Information(
            QStringLiteral("Book %1 is no longer in the catalogue: its details were not saved.").arg(FId));
        SetEditing(false);
        Follow();
        return;
    }
    // Every value checked before anything is written; details this window
    // does not show are kept as they stand now (a due date set meanwhile).
    TItem book;
    Catalogue.Database().GetItem(FId, -1, book);
    TDetails details = book.Details;
    for (const TBox& box : FBoxes) {
        std::string value;
        std::string why;
        if (!FieldTable::Normalized(*box.Field, Utf8(TextOf(box)), value, &why)) {
            TPlatform::Messages().Information(Utf8(why));
            (box.Edit ? static_cast<QWidget*>(box.Edit) : static_cast<QWidget*>(box.Choice))->setFocus();
            return;
        }
        details.Set(box.Field->Key, value);
    }
    const int32_t id = FId;
    // The picture reaches its file before the detail names it: a kill in
    // between leaves a file no book names, never a book without its file.
    if (Cover->Changed())
        details.Set(FieldTable::CoverKey, Cover->Store());
    // The edit ends first: the change refills the shown rows, and the window
    // then follows the book the main window shows.
    SetEditing(false);
    try {
        if (!(details == book.Details))
            Catalogue.SetDetails(id, details);
        else
            Follow();
    } catch (...) {
        SetEditing(true);
        throw;
    }
}

void TfrmBookDetails::btnCancelClick()
{
    SetEditing(false);
    Follow();
}

void TfrmBookDetails::btnAttachClick()
{
    if (RefusedWhileEditing(true))
        return;
    Catalogue.AttachStray(FId);
}

void TfrmBookDetails::btnSetAsideClick()
{
    if (RefusedWhileEditing(true))
        return;
    if (!TPlatform::Messages().Question(
            QStringLiteral("Set aside the details kept under number %1? They are dropped from the details file.")
                .arg(FId)))
        return;
    Catalogue.DiscardStray(FId);
}

void TfrmBookDetails::btnLookUpClick()
{
    if (FId == 0 || RefusedWhileEditing(true))
        return;
    const TBox* isbn = BoxOf("isbn");
    emit LookUpWanted(isbn && isbn->Edit ? isbn->Edit->text().trimmed() : QString());
}
