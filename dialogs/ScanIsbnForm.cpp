#include "dialogs/ScanIsbnForm.h"

#include "barcode/BarcodeReader.h"
#include "engine/BookChange.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/FieldTable.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/SystemDialogs.h"
#include "widgets/DialogControls.h"
#include "widgets/RunState.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace {

constexpr int Width = 360;
constexpr int Height = 140;
const char* const PositionKeyX = "SC_X";
const char* const PositionKeyY = "SC_Y";

// The title as the user knows it: in its own letters where the details keep them.
QString TitleOf(const TItem& item)
{
    const std::string& own = item.Details.Value(FieldTable::TitleOwnKey);
    return own.empty() ? Cp1252::ToQString(item.Fields[0]) : QString::fromStdString(own);
}

} // namespace

TfrmScanIsbn::TfrmScanIsbn(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* stackingOwner)
    : TModelessWindow(run, QStringLiteral("Scan ISBN"), Width, Height, stackingOwner), Catalogue(catalogue), Rows(rows)
{
    KeepPlaceIn(Catalogue.Settings(), PositionKeyX, PositionKeyY);
    UseDialogKeys();
    setObjectName(QStringLiteral("frmScanIsbn"));
    using namespace DialogControls;

    lblScan = BoldLabel(QStringLiteral("&ISBN or barcode"), this, 8, 8);
    edtScan = EditBox(this, 8, 24, Width - 16 - ButtonWidth - 8);
    edtScan->setObjectName(QStringLiteral("edtScan"));
    lblScan->setBuddy(edtScan);
    edtScan->setAccessibleName(QStringLiteral("ISBN or barcode"));
    btnPicture =
        Button(QIcon(), QStringLiteral("From &picture..."), this, Width - 8 - ButtonWidth, 23, TButtonKind::Plain);
    lblAnswer = new QLabel(this);
    lblAnswer->setObjectName(QStringLiteral("lblAnswer"));
    lblAnswer->setGeometry(8, 54, Width - 16, 44);
    lblAnswer->setWordWrap(true);
    lblAnswer->setTextFormat(Qt::PlainText);
    lblAnswer->setAccessibleName(QStringLiteral("Answer"));
    MakeBold(lblAnswer);
    btnShow = Button(QIcon(), QStringLiteral("&Show"), this, 8, 108, TButtonKind::Plain);
    btnAddByIsbn = Button(QIcon(), QStringLiteral("&Add by ISBN"), this, 8 + ButtonWidth + 6, 108, TButtonKind::Plain);
    btnClose = Button(QIcon(), QStringLiteral("&Close"), this, Width - 8 - ButtonWidth, 108, TButtonKind::Plain);
    btnShow->setEnabled(false);
    btnAddByIsbn->setEnabled(false);

    connect(edtScan, &QLineEdit::returnPressed, this, Guarded(this, &TfrmScanIsbn::Scan));
    connect(btnPicture, &QPushButton::clicked, this, Guarded(this, &TfrmScanIsbn::btnPictureClick));
    connect(btnShow, &QPushButton::clicked, this, Guarded(this, &TfrmScanIsbn::btnShowClick));
    connect(btnAddByIsbn, &QPushButton::clicked, this, Guarded(this, &TfrmScanIsbn::btnAddByIsbnClick));
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    // Each change the catalogue tells moves the books it touched in the index.
    connect(&Catalogue, &TCatalogue::BooksChanged, this, [this](const TBookChange& change) { Index.Apply(change); });
    Index.Rebuild(Catalogue.Database());
}

void TfrmScanIsbn::showEvent(QShowEvent* event)
{
    // Books read anew from the file (another program's changes) are told by no change.
    Index.Rebuild(Catalogue.Database());
    TModelessWindow::showEvent(event);
}

void TfrmScanIsbn::FocusScanLine()
{
    edtScan->setFocus();
    edtScan->selectAll();
}

void TfrmScanIsbn::Answer(const QString& text, bool found, bool canAdd)
{
    lblAnswer->setText(text);
    btnShow->setEnabled(found);
    btnAddByIsbn->setEnabled(canAdd);
    FocusScanLine();
}

void TfrmScanIsbn::Scan()
{
    FFound = 0;
    FIsbn.clear();
    const QString typed = edtScan->text().trimmed();
    if (typed.isEmpty()) {
        Answer(QString(), false, false);
        return;
    }
    const std::string isbn = FieldTable::Isbn13(typed.toStdString());
    if (isbn.empty()) {
        Answer(QStringLiteral("Not an ISBN: \"%1\" (its check digit does not match, or it is no ISBN's length).")
                   .arg(typed.left(40)),
               false, false);
        return;
    }
    FIsbn = QString::fromStdString(isbn);
    const TDatabase& database = Catalogue.Database();
    std::vector<int32_t> ids = Index.Find(isbn);
    if (!ids.empty() && database.SlotOf(ids.front()) < 0) {
        // Books read anew from the file while the window was open: the index follows them now.
        Index.Rebuild(database);
        ids = Index.Find(isbn);
    }
    if (ids.empty()) {
        Answer(QStringLiteral("Not in the catalogue: ISBN %1.").arg(FIsbn), false, true);
        return;
    }
    FFound = ids.front();
    const TItem& item = database.ItemAt(database.SlotOf(FFound));
    QString text = QStringLiteral("You have it: book %1, '%2'").arg(FFound).arg(TitleOf(item));
    if (!item.Fields[7].empty())
        text += QStringLiteral(" \u2014 lent to %1").arg(Cp1252::ToQString(item.Fields[6]));
    if (ids.size() > 1)
        text += QStringLiteral(" (and %1 more with this ISBN)").arg(ids.size() - 1);
    Answer(text, true, false);
}

void TfrmScanIsbn::ScanPicture(const QImage& picture)
{
    const QString digits = BarcodeReader::Read(picture);
    if (digits.isEmpty()) {
        FFound = 0;
        Answer(QStringLiteral("No barcode could be read in the picture."), false, false);
        return;
    }
    edtScan->setText(digits);
    Scan();
}

void TfrmScanIsbn::btnPictureClick()
{
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    if (clipboard && clipboard->hasImage()) {
        ScanPicture(qvariant_cast<QImage>(clipboard->imageData()));
        return;
    }
    QString path;
    if (!TPlatform::Dialogs().OpenFile(
            this, QStringLiteral("Pictures (*.jpg *.jpeg *.png *.bmp *.gif *.tif *.tiff *.webp);;All files (*)"), path))
        return;
    const QImage picture(path);
    if (picture.isNull()) {
        Answer(QStringLiteral("The picture could not be read."), false, false);
        return;
    }
    ScanPicture(picture);
}

void TfrmScanIsbn::btnShowClick()
{
    if (FFound == 0)
        return;
    if (Run.Editing) {
        TPlatform::Messages().Information(QStringLiteral("Save or cancel the book being edited first."));
        return;
    }
    int32_t row = Rows.RowOf(FFound);
    if (row < 0) {
        // Narrowed by a find or a search: every book again.
        Rows.FillAll();
        row = Rows.RowOf(FFound);
    }
    if (row >= 0)
        Rows.Select(row);
    emit MainWindowWanted();
}

void TfrmScanIsbn::btnAddByIsbnClick()
{
    if (!FIsbn.isEmpty() && FFound == 0)
        emit AddByIsbnWanted(FIsbn);
}
