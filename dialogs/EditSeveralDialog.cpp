// Edit several: the bulk replace of one exact field value. The combo box's text
// goes to the engine unchecked as the alias; an unknown one is the engine's own
// error, shown by the guard while the dialog stays open.
#include "dialogs/EditSeveralDialog.h"

#include "engine/Catalogue.h"
#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogControls;

TdlgEditSeveral::TdlgEditSeveral(TCatalogue& catalogue, QWidget* parent) : TDialogBase(parent), Catalogue(catalogue)
{
    SetUpWindow(QStringLiteral("Edit several"), 257, 193);

    lblOldValue = BoldLabel(QStringLiteral("Old value"), this, 8, 8);
    edtOldValue = EditBox(this, 8, 24, 241);
    lblNewValue = BoldLabel(QStringLiteral("New value"), this, 8, 52);
    edtNewValue = EditBox(this, 8, 68, 241);
    lblTargetFieldCaption = BoldLabel(QStringLiteral("Target field"), this, 8, 96);

    cmbTargetField = FieldComboBox(this, QStringLiteral("Target field"));
    cmbTargetField->setCurrentIndex(0);
    cmbTargetField->setGeometry(8, 112, 241, 21);

    Rule(this, 8, 145, 241);

    // Neither Enter nor Esc may press a button of this dialog.
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 8, 158, TButtonKind::Plain);
    btnEdit = Button(QStyle::SP_DialogApplyButton, QStringLiteral("&Edit"), this, 142, 158, TButtonKind::Plain);

    SetTabOrder({edtOldValue, edtNewValue, cmbTargetField, btnEdit, btnCancel});

    ConnectClick(btnEdit, &TdlgEditSeveral::btnEditClick);
    ConnectClick(btnCancel, &TdlgEditSeveral::btnCancelClick);
    // Names a screen reader announces; the captions label their boxes too,
    // which is all a combo box is named by on Linux (its name is its text).
    edtOldValue->setAccessibleName(QStringLiteral("Old value"));
    edtNewValue->setAccessibleName(QStringLiteral("New value"));
    lblOldValue->setBuddy(edtOldValue);
    lblNewValue->setBuddy(edtNewValue);
    lblTargetFieldCaption->setBuddy(cmbTargetField);
}

void TdlgEditSeveral::FormActivate()
{
    edtNewValue->clear();
    edtOldValue->clear();
    edtOldValue->setFocus();
}

void TdlgEditSeveral::btnEditClick()
{
    Catalogue.ReplaceWhere(Cp1252::FromQString(cmbTargetField->currentText()), Cp1252::FromQString(edtOldValue->text()),
                           Cp1252::FromQString(edtNewValue->text()));
    done(QDialog::Accepted);
}

void TdlgEditSeveral::btnCancelClick()
{
    reject();
}
