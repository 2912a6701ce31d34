// TCoverPanel: a book's cover as a window shows and edits it: the picture
// (or "No cover") with Choose file..., Paste and Remove cover under it. A
// file chosen, a picture pasted (Paste, or Ctrl+V on the picture) or one
// dropped on the panel replaces the cover, Remove cover takes it away; each
// is a change the window keeps unsaved (Edited) until it asks for the value
// to store (Store), so that its Save or Cancel decides, as for its boxes.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class QImage;
class QLabel;
class QMimeData;
class QPushButton;

class TCoverPanel : public QWidget {
    Q_OBJECT

public:
    // The picture's size; the buttons stand under it, as wide.
    static constexpr int PictureWidth = 160;
    static constexpr int PictureHeight = 230;
    static constexpr int PanelHeight = PictureHeight + 6 + 3 * (25 + 4);

    // Access keys are given from the letters not in taken (lower case),
    // which takes them.
    TCoverPanel(QWidget* parent, QString& taken);

    QLabel* imgCover = nullptr;
    QPushButton* btnChooseCover = nullptr;
    QPushButton* btnPasteCover = nullptr;
    QPushButton* btnRemoveCover = nullptr;

    // Shows the stored cover of a book of the database (value: the detail
    // "cover", empty for none), ending any unsaved change; book 0 is none,
    // which takes no picture.
    void ShowStored(const std::string& database, int32_t book, const std::string& value);
    // Whether the cover was changed since ShowStored, and whether one is shown.
    bool Changed() const { return FChanged; }
    bool HasCover() const;
    // The value of the detail "cover" for the change: the new picture stored
    // in the covers folder first (Covers::Store), empty when it was removed.
    std::string Store() const;

    void btnChooseCoverClick();
    void btnPasteCoverClick();
    void btnRemoveCoverClick();

signals:
    // The user changed the cover.
    void Edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // A picture given by the user becomes the cover; false when there is
    // none to take (no book shown, no picture).
    bool Take(const QImage& image);
    static QImage PictureIn(const QMimeData* data);
    void Show(const QImage& image);

    std::string FDatabase;
    int32_t FBook = 0;
    std::string FStored;  // the stored value
    std::string FNewJpeg; // the changed cover's JPEG, empty when removed
    bool FChanged = false;
};
