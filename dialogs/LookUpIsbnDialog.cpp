#include "dialogs/LookUpIsbnDialog.h"

#include "engine/FieldTable.h"
#include "lookup/IsbnLookup.h"
#include "platform/gui/Platform.h"
#include "widgets/DialogControls.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

using namespace DialogControls;

namespace {

constexpr int CoverWidth = 90;
constexpr int CoverHeight = 135;

// One row of the list: what tells records apart at a glance.
QString RowText(const TLookupRecord& record)
{
    QStringList parts;
    for (const QString& part : {record.AuthorText(), record.PublisherText(), record.Year})
        if (!part.isEmpty())
            parts << part;
    QString text = record.FullTitle();
    if (!parts.isEmpty())
        text += QStringLiteral(" \u2014 ") + parts.join(QStringLiteral(", "));
    if (!record.Pages.isEmpty())
        text += QStringLiteral(" (%1 pages)").arg(record.Pages);
    return text;
}

} // namespace

TdlgLookUpIsbn::TdlgLookUpIsbn(const TRFileSystem& settings, QWidget* parent) : TDialogBase(parent), Settings(settings)
{
    SetUpWindow(QStringLiteral("Look up ISBN"), 489, 289, ExactBorder);

    lblIsbn = BoldLabel(QStringLiteral("&ISBN"), this, 8, 8);
    edtIsbn = EditBox(this, 8, 24, 177);
    lblIsbn->setBuddy(edtIsbn);
    edtIsbn->setAccessibleName(QStringLiteral("ISBN"));
    btnLookUp = Button(QStyle::SP_BrowserReload, QStringLiteral("&Look up"), this, 192, 23, TButtonKind::Default);
    lblProgress = Label(QString(), this, 8, 52);
    lblProgress->setGeometry(8, 52, 473, 28);
    lblProgress->setWordWrap(true);
    lblProgress->setAccessibleName(QStringLiteral("Progress"));

    lblRecords = BoldLabel(QStringLiteral("&Records found"), this, 8, 84);
    lstRecords = new QListWidget(this);
    lstRecords->setObjectName(QStringLiteral("lstRecords"));
    lstRecords->setGeometry(8, 100, 473 - CoverWidth - 8, CoverHeight);
    lblRecords->setBuddy(lstRecords);
    lstRecords->setAccessibleName(QStringLiteral("Records found"));
    lblCover = new QLabel(this);
    lblCover->setObjectName(QStringLiteral("lblCover"));
    lblCover->setGeometry(481 - CoverWidth, 100, CoverWidth, CoverHeight);
    lblCover->setFrameShape(QFrame::StyledPanel);
    lblCover->setAlignment(Qt::AlignCenter);
    lblCover->setAccessibleName(QStringLiteral("Cover"));

    Rule(this, 8, 244, 473);
    btnFill = Button(QStyle::SP_DialogApplyButton, QStringLiteral("&Fill in"), this, 406, 258, TButtonKind::Plain);
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 325, 258, TButtonKind::Plain);

    SetTabOrder({edtIsbn, btnLookUp, lstRecords, btnFill, btnCancel});
    ConnectClick(btnLookUp, &TdlgLookUpIsbn::btnLookUpClick);
    ConnectClick(btnFill, &TdlgLookUpIsbn::btnFillClick);
    ConnectClick(btnCancel, &TdlgLookUpIsbn::btnCancelClick);
    connect(lstRecords, &QListWidget::currentRowChanged, this, [this] { ShowCover(); });
    connect(lstRecords, &QListWidget::itemActivated, this, [this] { btnFill->click(); });
}

TdlgLookUpIsbn::~TdlgLookUpIsbn() = default;

void TdlgLookUpIsbn::Prepare(const QString& isbn, bool lookAtOnce)
{
    edtIsbn->setText(isbn);
    LookAtOnce = lookAtOnce && !isbn.isEmpty();
}

const TLookupRecord* TdlgLookUpIsbn::Chosen() const
{
    const int row = lstRecords->currentRow();
    return row >= 0 && row < static_cast<int>(Records.size()) ? &Records[static_cast<size_t>(row)] : nullptr;
}

bool TdlgLookUpIsbn::Running() const
{
    return Lookup && Lookup->Running();
}

void TdlgLookUpIsbn::FormActivate()
{
    Records.clear();
    lstRecords->clear();
    lblProgress->clear();
    lblCover->clear();
    FCover.clear();
    CoverOf.clear();
    FIsbn.clear();
    btnFill->setEnabled(false);
    edtIsbn->setFocus();
    edtIsbn->selectAll();
    if (std::exchange(LookAtOnce, false))
        btnLookUpClick();
}

void TdlgLookUpIsbn::btnLookUpClick()
{
    const std::string isbn = FieldTable::Isbn13(edtIsbn->text().trimmed().toStdString());
    if (isbn.empty()) {
        lblProgress->setText(QStringLiteral("Not an ISBN: type its 10 or 13 digits (the check digit must be right)."));
        return;
    }
    Records.clear();
    lstRecords->clear();
    lblCover->clear();
    FCover.clear();
    CoverOf.clear();
    btnFill->setEnabled(false);
    FIsbn = isbn;
    // The addresses as the settings hold them now; the pace is kept over lookups.
    Lookup = std::make_unique<TIsbnLookup>(TPlatform::Network(), LookupSources::BasesFrom(Settings),
                                           TIsbnLookup::TOptions());
    connect(Lookup.get(), &TIsbnLookup::Progress, lblProgress, &QLabel::setText);
    connect(Lookup.get(), &TIsbnLookup::Finished, this,
            [this](const TLookupResult& result) { TErrorHandler::Guard([this, &result] { Finished(result); }); });
    connect(Lookup.get(), &TIsbnLookup::CoverFetched, this, [this](const QByteArray& bytes, const QString& line) {
        FCover = bytes;
        if (!line.isEmpty())
            lblProgress->setText(line);
        QPixmap picture;
        if (!bytes.isEmpty() && picture.loadFromData(bytes, "JPEG"))
            lblCover->setPixmap(picture.scaled(lblCover->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        else
            lblCover->setText(QStringLiteral("No cover"));
    });
    Lookup->Start(isbn);
}

void TdlgLookUpIsbn::Finished(const TLookupResult& result)
{
    Records = result.Records;
    for (const TLookupRecord& record : Records)
        lstRecords->addItem(RowText(record));
    if (Records.empty())
        return; // the progress line says why
    lblProgress->setText(
        Records.size() == 1
            ? QStringLiteral("Found by %1.").arg(result.Source)
            : QStringLiteral("Found by %1: %2 records, the likeliest first.").arg(result.Source).arg(Records.size()));
    btnFill->setEnabled(true);
    lstRecords->setCurrentRow(0);
    lstRecords->setFocus();
}

void TdlgLookUpIsbn::ShowCover()
{
    const TLookupRecord* record = Chosen();
    if (!record || record->CoverId == CoverOf)
        return;
    lblCover->clear();
    FCover.clear();
    CoverOf = record->CoverId;
    if (record->CoverId.isEmpty()) {
        lblCover->setText(QStringLiteral("No cover"));
        return;
    }
    lblCover->setText(QStringLiteral("Fetching..."));
    Lookup->FetchCover(record->CoverId);
}

void TdlgLookUpIsbn::btnFillClick()
{
    if (!Chosen())
        return;
    // A cover still on its way is not waited for.
    if (Lookup)
        Lookup->Cancel();
    accept();
}

void TdlgLookUpIsbn::btnCancelClick()
{
    reject();
}

void TdlgLookUpIsbn::done(int result)
{
    if (Lookup)
        Lookup->Cancel();
    TDialogBase::done(result);
}
