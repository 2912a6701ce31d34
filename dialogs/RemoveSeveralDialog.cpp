// Remove several: marks every book whose field holds the value and saves at
// once, which drops the marked books from the file and, by its reload, from the
// store. There is no confirmation: the dialog itself is the question.
#include "dialogs/RemoveSeveralDialog.h"

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

// The same English field names as everywhere else in the program, even though
// this dialog's captions are Finnish.
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

TdlgRemoveSeveral::TdlgRemoveSeveral(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Poista useita"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(257, 145);

    lblValue = BoldLabel(QStringLiteral("Arvo"), this, 8, 8);
    edtValue = new QLineEdit(this);
    edtValue->setGeometry(8, 24, 241, 21);

    lblTargetFieldCaption = BoldLabel(QString::fromUtf8("Kohdekentt\u00e4"), this, 8, 52);
    cmbTargetField = new QComboBox(this);
    cmbTargetField->setEditable(true);
    cmbTargetField->setInsertPolicy(QComboBox::NoInsert);
    cmbTargetField->addItems(TargetFields);
    // Not one of the entries: the first removal fails until a field is picked.
    cmbTargetField->setEditText(QStringLiteral("Teoksen nimi"));
    cmbTargetField->setGeometry(8, 68, 241, 21);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 99, 241, 2);

    btnCancel = Button(QStringLiteral("&Peruuta"), QStyle::SP_DialogCancelButton, this, 8, 111);
    btnDelete = Button(QStringLiteral("&Poista"), QStyle::SP_TrashIcon, this, 142, 111);

    setTabOrder(edtValue, cmbTargetField);
    setTabOrder(cmbTargetField, btnDelete);
    setTabOrder(btnDelete, btnCancel);

    connect(btnDelete, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnDeleteClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnCancelClick(); }); });
    // Names a screen reader announces (the captions above the boxes are not their buddies).
    edtValue->setAccessibleName(QStringLiteral("Arvo"));
    cmbTargetField->setAccessibleName(QStringLiteral("Kohdekentt\u00e4"));
    cmbTargetField->lineEdit()->setAccessibleName(QStringLiteral("Kohdekentt\u00e4"));
}

void TdlgRemoveSeveral::FormActivate()
{
    edtValue->clear();
    edtValue->setFocus();
}

void TdlgRemoveSeveral::btnDeleteClick()
{
    TDatabase& database = *frmMain->Database;
    database.DeleteWhere(Cp1252::FromQString(cmbTargetField->currentText()), Cp1252::FromQString(edtValue->text()));
    database.SaveToFile();
    frmMain->LoadList();
    frmMain->LoadBook(0);
    done(QDialog::Accepted);
}

void TdlgRemoveSeveral::btnCancelClick()
{
    reject();
}

void TdlgRemoveSeveral::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TdlgRemoveSeveral::keyPressEvent(QKeyEvent* event)
{
    // No button has the cancel role, so Esc leaves the dialog open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
