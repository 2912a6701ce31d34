// The about dialog: product name, version and release, the maker's copyright,
// two links (support e-mail and web page) opened through the shell, and the
// credits list. It reads and writes no data.
#pragma once

#include "widgets/DialogBase.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TdlgAbout : public TDialogBase {
    Q_OBJECT

public:
    static constexpr const char* SupportEmail = "support@quenfir.example";
    static constexpr const char* WebAddress = "https://www.quenfir.example/";

    explicit TdlgAbout(QWidget* parent = nullptr);

    // The fourteen lines the credits box starts with.
    static QStringList CreditLines();

    // Handlers. The shell's result is not looked at: a link that cannot be
    // opened leaves the dialog as it was, without a message.
    void lblEmailClick();
    void lblInternetClick();
    void btnCloseClick();

    QLabel* lblHeader1 = nullptr;
    QLabel* lblHeader2 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblRights = nullptr;
    QLabel* lblReleased = nullptr;
    QLabel* lblEmail = nullptr;
    QLabel* lblInternet = nullptr;
    QPushButton* btnClose = nullptr;
    QGroupBox* grpCredits = nullptr;
    QPlainTextEdit* Credits = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
