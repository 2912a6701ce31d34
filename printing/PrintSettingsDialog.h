// TdlgPrintSettings, "Format settings": which three book fields the printed
// list shows in its columns and where each column begins. It edits the six
// settings pcol1..3 and pcol1_dst..pcol3_dst of the settings store and
// keeps nothing of its own: every opening refills the controls from the store.
#pragma once

#include "widgets/BookFieldNames.h"
#include "widgets/DialogBase.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TRFileSystem;

class TdlgPrintSettings : public TDialogBase {
    Q_OBJECT

public:
    explicit TdlgPrintSettings(TRFileSystem& settings, QWidget* parent = nullptr);

    // The names of item fields 0 to 7, the combo boxes' entries.
    static constexpr const std::array<const char*, 8>& FieldNames = BookFieldNames;

    QLabel* lblColumnFields = nullptr;
    QComboBox* cmbColumn1 = nullptr;
    QComboBox* cmbColumn2 = nullptr;
    QComboBox* cmbColumn3 = nullptr;
    QLabel* lblColumnSpacing = nullptr;
    QLineEdit* edtColumn1 = nullptr;
    QLineEdit* edtColumn2 = nullptr;
    QLineEdit* edtColumn3 = nullptr;
    QPushButton* btnAccept = nullptr;
    QPushButton* btnCancel = nullptr;

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate() override;
    void btnAcceptClick();
    void btnCancelClick();

private:
    TRFileSystem& Settings;
};
