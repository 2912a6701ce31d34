// The database settings dialog: which database file the next start opens. It
// edits the one setting orbl_databasefile; the running program keeps the file
// it opened at start-up until it ends.
#pragma once

#include "widgets/DialogBase.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class TRFileSystem;

class TdlgDatabaseSettings : public TDialogBase {
    Q_OBJECT

public:
    static constexpr const char* OpenFilter = "Quenfir ORBL database (*.orbl)";
    static constexpr const char* SettingsFullMessage = "102-7: KELT -error. File full or corrupted.";
    static constexpr const char* PathNotStorableMessage =
        "This path cannot be stored: it holds characters that the settings file (Windows-1252) cannot hold.";

    explicit TdlgDatabaseSettings(TRFileSystem& settings, QWidget* parent = nullptr);

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate() override;
    void btnOpenClick();
    void btnAcceptClick();
    void btnCancelClick();

    QLabel* lblDatabase = nullptr;
    QLineEdit* edtDatabase = nullptr;
    QToolButton* btnOpen = nullptr;
    QPushButton* btnAccept = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TRFileSystem& Settings;
};
