// The database settings dialog. The path is stored exactly as typed or chosen:
// it is not checked for existence or made absolute, since the engine reads it
// at the next start and reports a missing file there.
#include "dialogs/DatabaseSettingsDialog.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "platform/Cp1252.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/SystemDialogs.h"
#include "settings/KELT.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

QPushButton* Button(const QString& caption, QStyle::StandardPixmap picture, QWidget* parent, int x, int y)
{
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    // Neither Enter nor Esc may press a button of this dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(x, y, 107, 25);
    return button;
}

} // namespace

TdlgDatabaseSettings::TdlgDatabaseSettings(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Database settings"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(409, 97);

    lblDatabase = new QLabel(QStringLiteral("Database file"), this);
    QFont bold = lblDatabase->font();
    bold.setBold(true);
    lblDatabase->setFont(bold);
    lblDatabase->move(8, 8);
    lblDatabase->adjustSize();

    edtDatabase = new QLineEdit(this);
    edtDatabase->setGeometry(8, 24, 362, 21);

    btnOpen = new QToolButton(this);
    btnOpen->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnOpen->setAutoRaise(true);
    btnOpen->setFocusPolicy(Qt::NoFocus);
    btnOpen->setGeometry(374, 23, 23, 22);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 54, 393, 2);

    btnCancel = Button(QStringLiteral("&Cancel"), QStyle::SP_DialogCancelButton, this, 178, 64);
    btnAccept = Button(QStringLiteral("&Accept"), QStyle::SP_DialogOkButton, this, 294, 64);

    setTabOrder(edtDatabase, btnAccept);
    setTabOrder(btnAccept, btnCancel);

    connect(btnOpen, &QToolButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnOpenClick(); }); });
    connect(btnAccept, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnAcceptClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnCancelClick(); }); });
    // Names a screen reader announces (the captions above the boxes are not their buddies).
    edtDatabase->setAccessibleName(QStringLiteral("Database file"));
    btnOpen->setAccessibleName(QStringLiteral("Choose the database file"));
}

void TdlgDatabaseSettings::FormActivate()
{
    // A missing key raises before the box is touched, so it keeps its text.
    edtDatabase->setText(Cp1252::ToQString(frmMain->Settings->ReadString("orbl_databasefile")));
}

void TdlgDatabaseSettings::btnOpenClick()
{
    QString chosen;
    if (!TPlatform::Dialogs().OpenFile(this, QString::fromLatin1(OpenFilter), chosen))
        return;
    edtDatabase->setText(chosen);
}

void TdlgDatabaseSettings::btnAcceptClick()
{
    try {
        frmMain->Settings->WriteString("orbl_databasefile", Cp1252::FromQString(edtDatabase->text()));
    } catch (const EKELTError&) {
        // The store's own failure gets this dialog's message; the dialog still
        // closes. Anything else goes to the guard and the dialog stays open.
        TPlatform::Messages().Information(QString::fromLatin1(SettingsFullMessage));
    }
    done(QDialog::Accepted);
}

void TdlgDatabaseSettings::btnCancelClick()
{
    reject();
}

void TdlgDatabaseSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TdlgDatabaseSettings::keyPressEvent(QKeyEvent* event)
{
    // No button has the cancel role, so Esc leaves the dialog open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
