#include "printing/PrintSettingsDialog.h"

#include "platform/Cp1252.h"
#include "platform/IntegerConversion.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "printing/TypingLengthLimit.h"
#include "settings/KELT.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogControls;

namespace {

// Column n's field: typed names are stored as typed, never added to the list.
QComboBox* ColumnBox(int n, QWidget* parent, int x)
{
    auto* box = FieldComboBox(parent, QStringLiteral("Column %1 field").arg(n));
    box->setCurrentIndex(-1);
    box->setEditText(QStringLiteral("Column %1").arg(n));
    box->setGeometry(x, 32, 113, 21);
    return box;
}

// At most four characters can be typed into a spacing box; a longer stored
// spacing is still shown whole, so that accepting unchanged stores it unchanged.
constexpr int SpacingTypingLimit = 4;

// Column n's left edge in printer pixels.
QLineEdit* SpacingBox(int n, const QString& text, QWidget* parent, int x)
{
    auto* edit = new QLineEdit(text, parent);
    new TTypingLengthLimit(SpacingTypingLimit, edit);
    edit->setGeometry(x, 88, 65, 21);
    edit->setAccessibleName(QStringLiteral("Column %1 spacing").arg(n));
    return edit;
}

// A screen reader's label for a box its column's heading does not name: a
// label never shown, whose buddy the box is (on Linux a combo box is named
// only by the label whose buddy it is; its own name is its text).
void UnshownLabel(const QString& text, QWidget* box)
{
    auto* label = new QLabel(text, box->parentWidget());
    label->setBuddy(box);
    label->hide();
}

void ReadString(QComboBox* box, const TRFileSystem& settings, const char* name)
{
    box->setEditText(Cp1252::ToQString(settings.ReadString(name)));
}

void ReadInteger(QLineEdit* edit, const TRFileSystem& settings, const char* name)
{
    const QString text = QString::fromStdString(IntegerConversion::IntToStr(settings.ReadInteger(name)));
    edit->findChild<TTypingLengthLimit*>()->Show(text);
}

void WriteInteger(TRFileSystem& settings, const char* name, const QLineEdit* edit)
{
    settings.WriteInteger(name, IntegerConversion::StrToInt(Cp1252::FromQString(edit->text())));
}

} // namespace

// Refilled from the settings at every show, a restore after minimising included.
TdlgPrintSettings::TdlgPrintSettings(TRFileSystem& settings, QWidget* parent)
    : TDialogBase(parent, TActivation::EveryShow), Settings(settings)
{
    SetUpWindow(QStringLiteral("Format settings"), 385, 177);

    lblColumnFields = BoldLabel(QStringLiteral("Column fields"), this, 24, 12);
    cmbColumn1 = ColumnBox(1, this, 24);
    cmbColumn2 = ColumnBox(2, this, 144);
    cmbColumn3 = ColumnBox(3, this, 264);
    lblColumnSpacing = BoldLabel(QStringLiteral("Column spacings"), this, 24, 68);
    edtColumn1 = SpacingBox(1, QStringLiteral("20"), this, 24);
    edtColumn2 = SpacingBox(2, QStringLiteral("950"), this, 144);
    edtColumn3 = SpacingBox(3, QStringLiteral("1800"), this, 264);

    lblColumnFields->setBuddy(cmbColumn1);
    lblColumnSpacing->setBuddy(edtColumn1);
    UnshownLabel(QStringLiteral("Column 2 field"), cmbColumn2);
    UnshownLabel(QStringLiteral("Column 3 field"), cmbColumn3);
    UnshownLabel(QStringLiteral("Column 2 spacing"), edtColumn2);
    UnshownLabel(QStringLiteral("Column 3 spacing"), edtColumn3);

    Rule(this, 8, 126, 369);

    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 154, 140, TButtonKind::Plain);
    btnAccept = Button(QStyle::SP_DialogApplyButton, QStringLiteral("&Accept"), this, 270, 140, TButtonKind::Default);

    SetTabOrder({cmbColumn1, cmbColumn2, cmbColumn3, edtColumn1, edtColumn2, edtColumn3, btnAccept, btnCancel});

    ConnectClick(btnAccept, &TdlgPrintSettings::btnAcceptClick);
    ConnectClick(btnCancel, &TdlgPrintSettings::btnCancelClick);
}

void TdlgPrintSettings::FormActivate()
{
    // A failing read ends here; the boxes not reached keep what they showed.
    const TRFileSystem& settings = Settings;
    ReadString(cmbColumn1, settings, "pcol1");
    ReadString(cmbColumn2, settings, "pcol2");
    ReadString(cmbColumn3, settings, "pcol3");
    ReadInteger(edtColumn1, settings, "pcol1_dst");
    ReadInteger(edtColumn2, settings, "pcol2_dst");
    ReadInteger(edtColumn3, settings, "pcol3_dst");
}

void TdlgPrintSettings::btnAcceptClick()
{
    try {
        TRFileSystem& settings = Settings;
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
