// TBarChart: a horizontal bar chart drawn with QPainter, one row a bar (its
// label, the bar, its number), as tall as its rows need, to sit in a scroll
// area. Rows set apart (books without a value) come last after a gap, drawn
// hatched. One row is current: the arrow keys, Home, End and the page keys
// move it; a click, Enter or Space chooses it. Its numbers are meant to be
// read from a table beside it, which a screen reader reaches.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class TBarChart : public QWidget {
    Q_OBJECT

public:
    explicit TBarChart(QWidget* parent = nullptr);

    struct TBar {
        QString Label;
        double Value = 0;
        QString Number; // as written beside the bar
        bool Apart = false;
    };
    // The bars anew; the current row goes back to the first.
    void SetBars(QList<TBar> bars);
    int Count() const { return static_cast<int>(Bars.size()); }

    int Current() const { return FCurrent; }
    // Makes a row current (-1 for none) and tells CurrentChanged where it moved.
    void SetCurrent(int row);
    // The row drawn at y, or -1.
    int RowAt(int y) const;
    // Where a row is drawn.
    QRect RowRect(int row) const;

    QSize sizeHint() const override;

signals:
    void CurrentChanged(int row);
    void Chosen(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int RowHeight() const;
    int Top(int row) const;

    QList<TBar> Bars;
    int FCurrent = -1;
    int FirstApart = -1; // the first row set apart after others, -1 for none
};
