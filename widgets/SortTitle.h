// A column title that sorts its list: looks like a link (underlined, a hand
// cursor, flat), is a button to the keyboard (a Tab stop, pressed with Space
// or Enter) and to a screen reader (a push button with a Press action), and
// shows whether its column sorts the list now: the sorting title is bold, and
// its description says so to a screen reader. Its caption is its name. Where
// the list has a menu for its titles (MenuWanted is connected), a right
// click, the Menu key or Shift+F10 on a title asks for it.
#pragma once

#include <QPushButton>

class TSortTitle : public QPushButton {
    Q_OBJECT

public:
    TSortTitle(const QString& caption, const QString& description, QWidget* parent);

    // Whether this column sorts the list; only the list's owner sets it.
    void SetSorted(bool sorted);
    bool Sorted() const { return FSorted; }

signals:
    // The titles' menu is asked for at a place on the screen.
    void MenuWanted(const QPoint& globalPlace);

protected:
    // Space and Enter press the title; with a modifier they are other keys
    // and press nothing.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString Description;
    bool FSorted = false;
};
