// A small font dialog: face, style and a size from a fixed range of points.
// QFontDialog cannot limit its sizes, and printing wants only the few sizes
// its line spacing is made for. No style is preselected: the style of the
// font passed in stays unless the user picks one.
#pragma once

#include <QDialog>
#include <QFont>

class QFontComboBox;
class QLabel;
class QListWidget;

class TFontChooser : public QDialog {
    Q_OBJECT

public:
    TFontChooser(const QFont& initial, int minSize, int maxSize, QWidget* parent = nullptr);

    QFont SelectedFont() const;

    QFontComboBox* Face = nullptr;
    QListWidget* Style = nullptr;
    QListWidget* Sizes = nullptr;
    QLabel* Sample = nullptr;

private:
    void UpdateSample();

    QFont Initial;
};
