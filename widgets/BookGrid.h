// The browser's book list: a read-only grid of four text columns (and any
// detail columns chosen) with whole-row selection, no header, 15-pixel rows
// and fixed column widths. It moves like
// a list: Home and End go to the first and last row, letters typed jump to
// the next row whose sorted column starts with them, Enter and a double click
// ask for the row's book, Shift+F10, the Menu key and a right click for its
// commands. It holds its
// cells itself (a light model behind a QTableView), so a refill of 1499 rows is
// one reset rather than thousands of item objects.
#pragma once

#include "widgets/BookRows.h"

#include <QElapsedTimer>
#include <QTableView>

#include <functional>

class TBookGridModel;

class TBookGrid : public QTableView {
    Q_OBJECT

public:
    explicit TBookGrid(QWidget* parent = nullptr);

    int RowCount() const;
    // At least one row is always there, as in a string grid; new rows are blank.
    void SetRowCount(int rows);
    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    // Replaces every row at once (at least one row stays).
    void SetRows(TBookRows rows);
    // The pictures of the picture columns (TBookGridModel::SetPictures).
    void SetPictures(std::function<QPixmap(const QString& value)> pictures);

    int SelectedRow() const { return Selected; }
    // Moves the selection like the user would: emits RowSelected when the row
    // changes. A row outside the grid raises "Grid index out of range".
    void SelectRow(int row);
    // Moves the selection without telling anyone (refills do this).
    void SelectRowSilently(int row);
    // The column typed letters are sought in: the one the books are sorted by.
    void SetSearchColumn(int column) { SearchColumn = column; }
    // How typed letters and cells are compared: both are taken through the
    // fold (by default, case folding), and a row is found whose folded cell
    // starts with the folded letters.
    void SetSearchFold(std::function<QString(const QString&)> fold) { SearchFold = std::move(fold); }
    void keyboardSearch(const QString& search) override;
    // Scrolls sideways until the column is in view.
    void ShowColumn(int column);
    // Rows are chosen, not cells: a move to another row keeps the columns in
    // view where they are; only a move to another column scrolls sideways.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // The user (or the program through SelectRow) selected another row, or
    // the user clicked the row that was already selected.
    void RowSelected(int row);
    // Enter or a double click on the selected row.
    void RowActivated(int row);
    // The row's commands are asked for at a place on the screen; a right
    // click has selected the row under the pointer first.
    void RowMenuWanted(const QPoint& globalPlace);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnCurrentChanged(const QModelIndex& current);

    TBookGridModel* Model = nullptr;
    int Selected = 0;
    bool Silent = false;
    // The row a left press landed on when it was already the selected row.
    int PressedOnSelected = -1;
    // The move under way goes to another column.
    bool Sideways = false;
    int SearchColumn = 2;
    std::function<QString(const QString&)> SearchFold = [](const QString& text) { return text.toCaseFolded(); };
    // What was typed so far, and when the last letter came.
    QString Sought;
    QElapsedTimer LastTyped;
};
