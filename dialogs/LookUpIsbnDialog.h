// The "Look up ISBN" dialog: asks the lookup sources for the book of an ISBN
// (lookup/IsbnLookup: Open Library, then the national library of its
// prefix) and lists the records found, likeliest first, with the chosen
// one's cover. "Fill in" hands the chosen record to the main window, which
// puts it into the boxes of the book being added or edited for the user to
// save; nothing is saved here. The lookup runs while the dialog waits: a
// progress line says what is asked of whom, Cancel ends it. Made once and
// hidden between uses; every opening starts with an empty list.
#pragma once

#include "lookup/LookupRecord.h"
#include "widgets/DialogBase.h"

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TIsbnLookup;
class TRFileSystem;
struct TLookupResult;

class TdlgLookUpIsbn : public TDialogBase {
    Q_OBJECT

public:
    // The sources' addresses are read from settings at each lookup.
    explicit TdlgLookUpIsbn(const TRFileSystem& settings, QWidget* parent = nullptr);
    ~TdlgLookUpIsbn() override;

    QLabel* lblIsbn = nullptr;
    QLineEdit* edtIsbn = nullptr;
    QPushButton* btnLookUp = nullptr;
    QLabel* lblProgress = nullptr;
    QLabel* lblRecords = nullptr;
    QListWidget* lstRecords = nullptr;
    QLabel* lblCover = nullptr;
    QPushButton* btnFill = nullptr;
    QPushButton* btnCancel = nullptr;

    // The ISBN the next opening shows; with lookAtOnce, it is looked up as
    // the dialog opens (the scan line's "Add by ISBN").
    void Prepare(const QString& isbn, bool lookAtOnce);
    // After "Fill in": the record chosen, the ISBN-13 looked up and the
    // chosen record's cover (JPEG bytes, empty for none).
    const TLookupRecord* Chosen() const;
    const std::string& Isbn13() const { return FIsbn; }
    const QByteArray& CoverJpeg() const { return FCover; }
    bool Running() const;

    void FormActivate() override;
    void btnLookUpClick();
    void btnFillClick();
    void btnCancelClick();

protected:
    void done(int result) override;

private:
    void Finished(const TLookupResult& result);
    void ShowCover();

    const TRFileSystem& Settings;
    std::unique_ptr<TIsbnLookup> Lookup;
    std::vector<TLookupRecord> Records;
    std::string FIsbn;
    QByteArray FCover;
    QString CoverOf; // the cover ID FCover belongs to
    bool LookAtOnce = false;
};
