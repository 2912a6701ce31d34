// A label that shows data (a loaner, a date, a count, a status panel): the
// text is always plain, so markup a user typed shows as typed, and a text too
// wide for the label ends in "..." with the whole text in its tool tip rather
// than being cut off. text() keeps the whole text.
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

private:
    // The width the text may take: the contents less margin and indent.
    QRect TextArea() const;
};
