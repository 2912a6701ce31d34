#include "printing/PrintSettingsDialog.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "platform/Cp1252.h"
#include "platform/IntegerConversion.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "settings/KELT.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

const std::array<const char*, 8> TdlgPrintSettings::FieldNames = {
    "Book title",           "Book author",          "Publisher", "Year published",
    "Other information (1)", "Other information (2)", "Loaner",    "Date loaned"};

namespace {

QLabel* BoldLabel(const QString& caption, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QComboBox* ColumnBox(const QString& text, QWidget* parent, int x)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    // Typed names are stored as typed; they are not added to the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : TdlgPrintSettings::FieldNames)
        box->addItem(QString::fromLatin1(name));
    box->setCurrentIndex(-1);
    box->setEditText(text);
    box->setGeometry(x, 32, 113, 21);
    return box;
}

QLineEdit* SpacingBox(const QString& text, QWidget* parent, int x)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setMaxLength(4);
    edit->setGeometry(x, 88, 65, 21);
    return edit;
}

void ReadString(QComboBox* box, const TRFileSystem& settings, const char* name)
{
    box->setEditText(Cp1252::ToQString(settings.ReadString(name)));
}

void ReadInteger(QLineEdit* edit, const TRFileSystem& settings, const char* name)
{
    edit->setText(QString::fromStdString(IntegerConversion::IntToStr(settings.ReadInteger(name))));
}

void WriteInteger(TRFileSystem& settings, const char* name, const QLineEdit* edit)
{
    settings.WriteInteger(name, IntegerConversion::StrToInt(Cp1252::FromQString(edit->text())));
}

} // namespace

TdlgPrintSettings::TdlgPrintSettings(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Format settings"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(385, 177);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    lblColumnFields = BoldLabel(QStringLiteral("Column fields"), this, 24, 12);
    cmbColumn1 = ColumnBox(QStringLiteral("Column 1"), this, 24);
    cmbColumn2 = ColumnBox(QStringLiteral("Column 2"), this, 144);
    cmbColumn3 = ColumnBox(QStringLiteral("Column 3"), this, 264);
    lblColumnSpacing = BoldLabel(QStringLiteral("Column spacings"), this, 24, 68);
    edtColumn1 = SpacingBox(QStringLiteral("20"), this, 24);
    edtColumn2 = SpacingBox(QStringLiteral("950"), this, 144);
    edtColumn3 = SpacingBox(QStringLiteral("1800"), this, 264);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 126, 369, 2);

    btnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Cancel"), this);
    btnCancel->setGeometry(154, 140, 107, 25);
    btnCancel->setAutoDefault(false);
    btnAccept = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("&Accept"), this);
    btnAccept->setGeometry(270, 140, 107, 25);
    btnAccept->setDefault(true);

    setTabOrder(cmbColumn1, cmbColumn2);
    setTabOrder(cmbColumn2, cmbColumn3);
    setTabOrder(cmbColumn3, edtColumn1);
    setTabOrder(edtColumn1, edtColumn2);
    setTabOrder(edtColumn2, edtColumn3);
    setTabOrder(edtColumn3, btnAccept);
    setTabOrder(btnAccept, btnCancel);

    connect(btnAccept, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnAcceptClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnCancelClick(); }); });
    // Names a screen reader announces (the captions above the boxes are not their buddies).
    const std::array<QComboBox*, 3> columns{cmbColumn1, cmbColumn2, cmbColumn3};
    const std::array<QLineEdit*, 3> spacings{edtColumn1, edtColumn2, edtColumn3};
    for (int i = 0; i < 3; ++i) {
        const QString number = QString::number(i + 1);
        columns[size_t(i)]->setAccessibleName(QStringLiteral("Column %1 field").arg(number));
        columns[size_t(i)]->lineEdit()->setAccessibleName(QStringLiteral("Column %1 field").arg(number));
        spacings[size_t(i)]->setAccessibleName(QStringLiteral("Column %1 spacing").arg(number));
    }
}

void TdlgPrintSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    TErrorHandler::Guard([this] { FormActivate(); });
}

void TdlgPrintSettings::keyPressEvent(QKeyEvent* event)
{
    // No button has the cancel role: Esc does not close the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TdlgPrintSettings::FormActivate()
{
    // A failing read ends here; the boxes not reached keep what they showed.
    const TRFileSystem& settings = *frmMain->Settings;
    ReadString(cmbColumn1, settings, "pcol1");
    ReadString(cmbColumn2, settings, "pcol2");
    ReadString(cmbColumn3, settings, "pcol3");
    ReadInteger(edtColumn1, settings, "pcol1_dst");
    ReadInteger(edtColumn2, settings, "pcol2_dst");
    ReadInteger(edtColumn3, settings, "pcol3_dst");
}

void TdlgPrintSettings::btnAcceptClick()
{
    TRFileSystem& settings = *frmMain->Settings;
    try {
        settings.WriteString("pcol1", Cp1252::FromQString(cmbColumn1->currentText()));
        settings.WriteString("pcol2", Cp1252::FromQString(cmbColumn2->currentText()));
        settings.WriteString("pcol3", Cp1252::FromQString(cmbColumn3->currentText()));
        // A box that holds no whole number stops here with the conversion
        // error; the writes before it stay in the file.
        WriteInteger(settings, "pcol1_dst", edtColumn1);
        WriteInteger(settings, "pcol2_dst", edtColumn2);
        WriteInteger(settings, "pcol3_dst", edtColumn3);
    } catch (const EKELTError&) {
        TPlatform::Messages().Information(QStringLiteral("103-7: KELT -error. File full or corrupted."));
    }
    accept();
}

void TdlgPrintSettings::btnCancelClick()
{
    reject();
}
