// The catalogue dialog: writes the catalogue to hand out, as a web page (a
// folder: csv/WebCatalogue) or as a PDF (catalogue/PdfCatalogue), in the
// order the user picks, with the covers' thumbnails when asked. It only reads the books: nothing of the catalogue
// changes. The place is asked through the system's dialogs when Write is
// pressed; a cancel there leaves this dialog open.
#pragma once

#include "csv/CatalogueContent.h"
#include "widgets/DialogBase.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class TCatalogue;

class TdlgCatalogue : public TDialogBase {
    Q_OBJECT

public:
    enum class TKind { WebPage, Pdf };
    static constexpr const char* PdfFilter = "PDF document (*.pdf)";

    explicit TdlgCatalogue(TCatalogue& catalogue, QWidget* parent = nullptr);

    // What the next opening writes; its caption says so.
    void SetKind(TKind kind);

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate() override;
    void btnWriteClick();
    void btnCancelClick();

    QLabel* lblOrder = nullptr;
    QComboBox* cmbOrder = nullptr;
    QCheckBox* chkThumbnails = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TCatalogue& Catalogue;
    TKind Kind = TKind::WebPage;
};
