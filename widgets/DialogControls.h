// The small controls every dialog of Volumnia builds the same way: the
// Tahoma 8 pt face, bold captions, the 107 x 25 command buttons, the sunken
// rule above them and the editable list of book field names. Geometry is
// given in the dialog's pixels, as the dialogs lay themselves out by hand.
#pragma once

#include <QStringList>
#include <QStyle>

class QComboBox;
class QFont;
class QFrame;
class QIcon;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace DialogControls {

constexpr int ButtonWidth = 107;
constexpr int ButtonHeight = 25;
constexpr int EditHeight = 21;

// Whether a command button is the window's default button, which Enter
// presses wherever the focus is not on another button. QDialog makes every
// push button an "auto default" one, which takes over the default's look while
// it has the focus; a plain button opts out of that (Enter still presses it
// while it has the focus: PressFocusedButton).
enum class TButtonKind { Plain, Default };

// The dialogs' face.
QFont DialogFont();

// Gives the widget the bold weight of the font it has now.
void MakeBold(QWidget* widget);

// A label at (x, y), as large as its text needs.
QLabel* Label(const QString& text, QWidget* parent, int x, int y);
// A bold caption; the first form leaves placing it to the caller.
QLabel* BoldLabel(const QString& text, QWidget* parent);
QLabel* BoldLabel(const QString& text, QWidget* parent, int x, int y);

// An empty one-line edit box of the standard height at (x, y).
QLineEdit* EditBox(QWidget* parent, int x, int y, int width);

// The sunken horizontal rule that sets a dialog's command buttons apart.
QFrame* Rule(QWidget* parent, int x, int y, int width);

// A command button of the standard size at (x, y); the icon may be null.
QPushButton* Button(const QIcon& icon, const QString& caption, QWidget* parent, int x, int y, TButtonKind kind);
// The same with one of the style's standard pictures.
QPushButton* Button(QStyle::StandardPixmap picture, const QString& caption, QWidget* parent, int x, int y,
                    TButtonKind kind);

// Enter or Return with the focus on an enabled push button of the window
// presses that button, whatever the window's default button is: the default
// button only answers Enter where the focus is not on a button. True when the
// key pressed the focused button (the event is then accepted).
bool PressFocusedButton(const QWidget* window, QKeyEvent* event);

// BookFieldNames as the lists show them.
QStringList FieldNameList();
// An editable combo box listing the field names. Typing a name and pressing
// Enter must not add it to the list; the screen-reader name goes on the box
// and on its edit line. On Linux a combo box's name is its text: only a label
// whose buddy it is names it there (the caller sets the buddy).
QComboBox* FieldComboBox(QWidget* parent, const QString& accessibleName);

} // namespace DialogControls
