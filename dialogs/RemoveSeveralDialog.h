// Remove several: removes every book whose field holds one exact value, saves
// the database at once and shows the whole collection again. Its captions are
// Finnish while its field list is English, and its combo box starts with a
// Finnish text that names no field, so the user has to pick one first.
#pragma once

#include "widgets/DialogBase.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TCatalogue;

class TdlgRemoveSeveral : public TDialogBase {
    Q_OBJECT

public:
    explicit TdlgRemoveSeveral(TCatalogue& catalogue, QWidget* parent = nullptr);

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate() override;
    void btnDeleteClick();
    void btnCancelClick();

    QLabel* lblValue = nullptr;
    QLineEdit* edtValue = nullptr;
    QLabel* lblTargetFieldCaption = nullptr;
    QComboBox* cmbTargetField = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TCatalogue& Catalogue;
};
