// A label that shows data (a loaner, a date, a count, a status panel): the
// text is always plain, so markup a user typed shows as typed, and a text too
// wide for the label ends in "..." after its last whole word that fits (or
// mid-word only when not even the first word fits) with the whole text in
// its tool tip rather than being cut off. text() keeps the whole text. A
// tool tip set on the label is its own and is shown as given. A label in
// the Tab chain shows its tool tip when the keyboard reaches it.
#pragma once

#include <QLabel>

class TDataLabel : public QLabel {
    Q_OBJECT

public:
    explicit TDataLabel(const QString& text, QWidget* parent = nullptr);

    // The text as drawn: the whole text, or its start and "..." where the
    // label is too narrow for it.
    QString ShownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // What the tool tip shows, as markup: the label's own tool tip, or the
    // whole text where it is shortened; empty for none.
    QString Tip() const;
    // The width the text may take: the contents less margin and indent.
    QRect TextArea() const;
};
