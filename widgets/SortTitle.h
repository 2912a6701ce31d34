// A column title that sorts its list: looks like a link (underlined, a hand
// cursor, flat), is a button to the keyboard (a Tab stop, pressed with Space
// or Enter) and to a screen reader (a push button with a Press action), and
// shows whether its column sorts the list now: the sorting title is bold, and
// its description says so to a screen reader. Its caption is its name.
#pragma once

#include <QPushButton>

class TSortTitle : public QPushButton {
    Q_OBJECT

public:
    TSortTitle(const QString& caption, const QString& description, QWidget* parent);

    // Whether this column sorts the list; only the list's owner sets it.
    void SetSorted(bool sorted);
    bool Sorted() const { return FSorted; }

protected:
    // Space and Enter press the title; with a modifier they are other keys
    // and press nothing.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QString Description;
    bool FSorted = false;
};
