// TfrmScanIsbn, the scan line: a small modeless window with one box that a
// USB or Bluetooth barcode scanner types into (the EAN-13 of a book and
// Enter), answering at once whether the catalogue has the book: "You have
// it: book 123, 'Title' — lent to Anna" (Show brings it up in the main
// window) or "Not in the catalogue" (Add by ISBN adds it, its boxes filled
// by a lookup). An ISBN-10 or ISBN-13, hyphens and blanks ignored, its
// check digit verified. The answer comes from an index of the books' ISBNs
// kept in step with the catalogue's changes, never from walking the books.
// A barcode can also be read from a picture (a file, or the clipboard's).
// Made on its first use and kept for the run; its place in SC_X and SC_Y.
#pragma once

#include "lookup/IsbnIndex.h"
#include "widgets/ModelessWindow.h"

#include <cstdint>

class QImage;
class QLabel;
class QLineEdit;
class QPushButton;
class TCatalogue;
class TShownRows;

class TfrmScanIsbn : public TModelessWindow {
    Q_OBJECT

public:
    TfrmScanIsbn(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* stackingOwner);

    QLabel* lblScan = nullptr;
    QLineEdit* edtScan = nullptr;
    QPushButton* btnPicture = nullptr;
    QLabel* lblAnswer = nullptr;
    QPushButton* btnShow = nullptr;
    QPushButton* btnAddByIsbn = nullptr;
    QPushButton* btnClose = nullptr;

    // The focus to the scan line, its text selected, so the next scan replaces it.
    void FocusScanLine();
    // Answers for the box's text.
    void Scan();
    // Reads the barcode of a picture into the box and answers for it.
    void ScanPicture(const QImage& picture);
    // The clipboard's picture when it holds one, otherwise a picture file chosen.
    void btnPictureClick();
    void btnShowClick();
    void btnAddByIsbnClick();
    // The book the last answer found (0 for none) and the ISBN-13 it was for.
    int32_t FoundId() const { return FFound; }

signals:
    void AddByIsbnWanted(const QString& isbn13);
    void MainWindowWanted();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Answer(const QString& text, bool found, bool canAdd);

    TCatalogue& Catalogue;
    TShownRows& Rows;
    TIsbnIndex Index;
    int32_t FFound = 0;
    QString FIsbn;
};
