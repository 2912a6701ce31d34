// Edit several: replaces one exact field value by another in every book that
// has it, saves the database at once and shows the whole collection again.
// The dialog lives for the whole run; the field combo box keeps whatever text
// it held when the dialog last closed.
#pragma once

#include "widgets/DialogBase.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TCatalogue;

class TdlgEditSeveral : public TDialogBase {
    Q_OBJECT

public:
    explicit TdlgEditSeveral(TCatalogue& catalogue, QWidget* parent = nullptr);

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate() override;
    void btnEditClick();
    void btnCancelClick();

    QLabel* lblOldValue = nullptr;
    QLineEdit* edtOldValue = nullptr;
    QLabel* lblNewValue = nullptr;
    QLineEdit* edtNewValue = nullptr;
    QLabel* lblTargetFieldCaption = nullptr;
    QComboBox* cmbTargetField = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TCatalogue& Catalogue;
};
