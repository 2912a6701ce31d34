// Remove several: marks every book whose field holds the value and saves at
// once, which drops the marked books from the file and, by its reload, from the
// store. There is no confirmation: the dialog itself is the question.
#include "dialogs/RemoveSeveralDialog.h"

#include "engine/Catalogue.h"
#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogControls;

TdlgRemoveSeveral::TdlgRemoveSeveral(TCatalogue& catalogue, QWidget* parent) : TDialogBase(parent), Catalogue(catalogue)
{
    SetUpWindow(QStringLiteral("Poista useita"), 257, 145);

    lblValue = BoldLabel(QStringLiteral("Arvo"), this, 8, 8);
    edtValue = EditBox(this, 8, 24, 241);

    // The same English field names as everywhere else in the program, even
    // though this dialog's captions are Finnish.
    lblTargetFieldCaption = BoldLabel(QString::fromUtf8("Kohdekentt\u00e4"), this, 8, 52);
    cmbTargetField = FieldComboBox(this, QStringLiteral("Kohdekentt\u00e4"));
    // Not one of the entries: the first removal fails until a field is picked.
    cmbTargetField->setEditText(QStringLiteral("Teoksen nimi"));
    cmbTargetField->setGeometry(8, 68, 241, 21);

    Rule(this, 8, 99, 241);

    // Neither Enter nor Esc may press a button of this dialog.
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Peruuta"), this, 8, 111, TButtonKind::Plain);
    btnDelete = Button(QStyle::SP_TrashIcon, QStringLiteral("&Poista"), this, 142, 111, TButtonKind::Plain);

    SetTabOrder({edtValue, cmbTargetField, btnDelete, btnCancel});

    ConnectClick(btnDelete, &TdlgRemoveSeveral::btnDeleteClick);
    ConnectClick(btnCancel, &TdlgRemoveSeveral::btnCancelClick);
    // The name a screen reader announces (the caption above is not the box's buddy).
    edtValue->setAccessibleName(QStringLiteral("Arvo"));
    // The captions label their boxes: a combo box is named by its label on Linux.
    lblValue->setBuddy(edtValue);
    lblTargetFieldCaption->setBuddy(cmbTargetField);
}

void TdlgRemoveSeveral::FormActivate()
{
    edtValue->clear();
    edtValue->setFocus();
}

void TdlgRemoveSeveral::btnDeleteClick()
{
    Catalogue.RemoveWhere(Cp1252::FromQString(cmbTargetField->currentText()), Cp1252::FromQString(edtValue->text()));
    done(QDialog::Accepted);
}

void TdlgRemoveSeveral::btnCancelClick()
{
    reject();
}
