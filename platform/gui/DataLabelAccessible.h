// The face a label that shows data (a count, a loaner, a status panel) turns
// to assistive technology: its name says what it is (the accessible name
// given to it), its text and value are what it shows. Qt's own face of a
// label with an accessible name gives a screen reader that name and nothing
// of what the label shows.
#pragma once

#include <QAccessibleWidget>

class QLabel;

class TDataLabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    // Gives the label this face from now on.
    static void Attach(QLabel* label);

    explicit TDataLabelAccessible(QLabel* label);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // The shown text, read only: no selection, no caret.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    QString Shown() const;
};
