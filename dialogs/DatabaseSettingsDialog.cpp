// The database settings dialog. The path is stored exactly as typed or chosen:
// it is not checked for existence or made absolute, since the engine reads it
// at the next start and reports a missing file there.
#include "dialogs/DatabaseSettingsDialog.h"

#include "platform/Cp1252.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/SystemDialogs.h"
#include "settings/KELT.h"
#include "widgets/DialogControls.h"
#include "widgets/LazyIconEngine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace DialogControls;

TdlgDatabaseSettings::TdlgDatabaseSettings(TRFileSystem& settings, QWidget* parent)
    : TDialogBase(parent), Settings(settings)
{
    SetUpWindow(QStringLiteral("Database settings"), 409, 97);

    lblDatabase = BoldLabel(QStringLiteral("Database file"), this, 8, 8);

    edtDatabase = EditBox(this, 8, 24, 362);

    btnOpen = new QToolButton(this);
    btnOpen->setIcon(TLazyIconEngine::Standard(QStyle::SP_DirOpenIcon));
    btnOpen->setAutoRaise(true);
    // In the Tab chain after the box, so the keyboard reaches the file choice.
    btnOpen->setFocusPolicy(Qt::StrongFocus);
    btnOpen->setGeometry(374, 23, 23, 22);

    Rule(this, 8, 54, 393);

    // Neither Enter nor Esc may press a button of this dialog.
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 178, 64, TButtonKind::Plain);
    btnAccept = Button(QStyle::SP_DialogOkButton, QStringLiteral("&Accept"), this, 294, 64, TButtonKind::Plain);

    SetTabOrder({edtDatabase, btnOpen, btnAccept, btnCancel});

    ConnectClick(btnOpen, &TdlgDatabaseSettings::btnOpenClick);
    ConnectClick(btnAccept, &TdlgDatabaseSettings::btnAcceptClick);
    ConnectClick(btnCancel, &TdlgDatabaseSettings::btnCancelClick);
    // Names a screen reader announces (the caption above the box is not its buddy).
    edtDatabase->setAccessibleName(QStringLiteral("Database file"));
    lblDatabase->setBuddy(edtDatabase);
    btnOpen->setAccessibleName(QStringLiteral("Choose the database file"));
}

void TdlgDatabaseSettings::FormActivate()
{
    // A missing key raises before the box is touched, so it keeps its text.
    edtDatabase->setText(Cp1252::ToQString(Settings.ReadString("orbl_databasefile")));
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
    // The settings file holds Windows-1252 text: a path with other characters
    // would be stored with "?" in their place and name no file at the next start.
    if (!Cp1252::CanHold(edtDatabase->text())) {
        TPlatform::Messages().Information(QString::fromLatin1(PathNotStorableMessage));
        return;
    }
    try {
        Settings.WriteString("orbl_databasefile", Cp1252::FromQString(edtDatabase->text()));
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
