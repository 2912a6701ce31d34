// Edit several: the bulk replace of one exact field value. The combo box's text
// goes to the engine unchecked as the alias; an unknown one is the engine's own
// error, shown by the guard while the dialog stays open.
#include "dialogs/EditSeveralDialog.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "platform/gui/ErrorHandler.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

// The field names the program offers, in field order; each reaches its field
// only where the settings hold the same text as that field's alias.
const QStringList TargetFields = {
    QStringLiteral("Book title"),
    QStringLiteral("Book author"),
    QStringLiteral("Publisher"),
    QStringLiteral("Year published"),
    QStringLiteral("Other information (1)"),
    QStringLiteral("Other information (2)"),
    QStringLiteral("Loaner"),
    QStringLiteral("Date loaned"),
};

QLabel* BoldLabel(const QString& caption, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit* Box(QWidget* parent, int x, int y)
{
    auto* box = new QLineEdit(parent);
    box->setGeometry(x, y, 241, 21);
    return box;
}

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

TdlgEditSeveral::TdlgEditSeveral(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Edit several"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(257, 193);

    lblOldValue = BoldLabel(QStringLiteral("Old value"), this, 8, 8);
    edtOldValue = Box(this, 8, 24);
    lblNewValue = BoldLabel(QStringLiteral("New value"), this, 8, 52);
    edtNewValue = Box(this, 8, 68);
    lblTargetFieldCaption = BoldLabel(QStringLiteral("Target field"), this, 8, 96);

    cmbTargetField = new QComboBox(this);
    cmbTargetField->setEditable(true);
    // Typing a text and pressing Enter must not add it to the list.
    cmbTargetField->setInsertPolicy(QComboBox::NoInsert);
    cmbTargetField->addItems(TargetFields);
    cmbTargetField->setCurrentIndex(0);
    cmbTargetField->setGeometry(8, 112, 241, 21);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 145, 241, 2);

    btnCancel = Button(QStringLiteral("&Cancel"), QStyle::SP_DialogCancelButton, this, 8, 158);
    btnEdit = Button(QStringLiteral("&Edit"), QStyle::SP_DialogApplyButton, this, 142, 158);

    setTabOrder(edtOldValue, edtNewValue);
    setTabOrder(edtNewValue, cmbTargetField);
    setTabOrder(cmbTargetField, btnEdit);
    setTabOrder(btnEdit, btnCancel);

    connect(btnEdit, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnEditClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnCancelClick(); }); });
    // Names a screen reader announces (the captions above the boxes are not their buddies).
    edtOldValue->setAccessibleName(QStringLiteral("Old value"));
    edtNewValue->setAccessibleName(QStringLiteral("New value"));
    cmbTargetField->setAccessibleName(QStringLiteral("Target field"));
    cmbTargetField->lineEdit()->setAccessibleName(QStringLiteral("Target field"));
}

void TdlgEditSeveral::FormActivate()
{
    edtNewValue->clear();
    edtOldValue->clear();
    edtOldValue->setFocus();
}

void TdlgEditSeveral::btnEditClick()
{
    TDatabase& database = *frmMain->Database;
    database.ReplaceFieldValue(Cp1252::FromQString(cmbTargetField->currentText()),
                               Cp1252::FromQString(edtOldValue->text()), Cp1252::FromQString(edtNewValue->text()));
    database.SaveToFile();
    frmMain->LoadList();
    frmMain->LoadBook(0);
    done(QDialog::Accepted);
}

void TdlgEditSeveral::btnCancelClick()
{
    reject();
}

void TdlgEditSeveral::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TdlgEditSeveral::keyPressEvent(QKeyEvent* event)
{
    // No button has the cancel role, so Esc leaves the dialog open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
