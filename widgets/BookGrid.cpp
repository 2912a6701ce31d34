#include "widgets/BookGrid.h"

#include "platform/EBaseError.h"
#include "widgets/BookGridModel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>

#include <utility>

namespace {

void CheckRow(int row, int rows)
{
    if (row < 0 || row >= rows)
        throw EBaseError("Grid index out of range");
}

} // namespace

TBookGrid::TBookGrid(QWidget* parent) : QTableView(parent), Model(new TBookGridModel(this))
{
    setModel(Model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(15);
    verticalHeader()->setDefaultSectionSize(15);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1); // the loan column is only 10 pixels wide
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setShowGrid(true);
    setWordWrap(false);
    setFrameShape(QFrame::Box);
    // White by its palette: a style sheet would give the rows the
    // application's default face instead of the window's.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    setPalette(colours);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
    SelectRowSilently(0);
}

int TBookGrid::RowCount() const
{
    return Model->rowCount();
}

void TBookGrid::SetRowCount(int rows)
{
    Model->SetRowCount(rows);
    if (Selected >= RowCount())
        SelectRowSilently(RowCount() - 1);
}

QString TBookGrid::Cell(int row, int column) const
{
    CheckRow(row, RowCount());
    return Model->Cell(row, column);
}

void TBookGrid::SetCell(int row, int column, const QString& text)
{
    CheckRow(row, RowCount());
    Model->SetCell(row, column, text);
}

void TBookGrid::SetPictures(std::function<QPixmap(const QString& value)> pictures)
{
    Model->SetPictures(std::move(pictures));
}

void TBookGrid::SetRows(TBookRows rows)
{
    Model->SetRows(std::move(rows));
    SelectRowSilently(0);
}

void TBookGrid::SelectRow(int row)
{
    CheckRow(row, RowCount());
    if (row == Selected && currentIndex().row() == row)
        return;
    setCurrentIndex(Model->index(row, 1)); // reports the change through OnCurrentChanged
}

void TBookGrid::SelectRowSilently(int row)
{
    CheckRow(row, RowCount());
    Silent = true;
    setCurrentIndex(Model->index(row, 1));
    Silent = false;
    Selected = row;
}

QModelIndex TBookGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    Sideways = action == MoveLeft || action == MoveRight || action == MoveNext || action == MovePrevious;
    // A list, not a spreadsheet: Home and End go to the first and last book.
    const int column = currentIndex().isValid() ? currentIndex().column() : 1;
    if (action == MoveHome)
        return Model->index(0, column);
    if (action == MoveEnd)
        return Model->index(RowCount() - 1, column);
    return QTableView::moveCursor(action, modifiers);
}

void TBookGrid::ShowColumn(int column)
{
    Sideways = true;
    scrollTo(Model->index(std::max(Selected, 0), column));
}

void TBookGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (!std::exchange(Sideways, false))
        horizontalScrollBar()->setValue(across);
}

void TBookGrid::keyboardSearch(const QString& search)
{
    if (search.isEmpty())
        return;
    // Letters typed in a quick run extend what is sought from the row found so
    // far; a new run starts at the next row, and the same letter typed again
    // steps on to the next book that starts with it.
    const bool extends = LastTyped.isValid() && LastTyped.elapsed() < QApplication::keyboardInputInterval();
    LastTyped.start();
    Sought = extends ? Sought + search : search;
    int from = extends ? Selected : Selected + 1;
    if (Sought.size() > 1 && Sought.count(Sought.front()) == Sought.size()) {
        Sought = Sought.left(1);
        from = Selected + 1;
    }
    const QString sought = SearchFold(Sought);
    const int rows = RowCount();
    for (int step = 0; step < rows; ++step) {
        const int row = (from + step) % rows;
        if (SearchFold(Model->Cell(row, SearchColumn)).startsWith(sought)) {
            SelectRow(row);
            return;
        }
    }
}

void TBookGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit RowActivated(Selected);
        return;
    }
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        event->accept();
        scrollTo(currentIndex());
        const QRect row = visualRect(currentIndex());
        emit RowMenuWanted(viewport()->mapToGlobal(QPoint(row.left(), row.bottom())));
        return;
    }
    QTableView::keyPressEvent(event);
    Sideways = false;
}

void TBookGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && clicked.isValid() && clicked.row() == Selected)
        emit RowActivated(Selected);
}

void TBookGrid::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex pressed = indexAt(viewport()->mapFromGlobal(event->globalPos()));
        if (!pressed.isValid())
            return;
        SelectRow(pressed.row());
        emit RowMenuWanted(event->globalPos());
        return;
    }
    const QRect row = visualRect(currentIndex());
    emit RowMenuWanted(viewport()->mapToGlobal(QPoint(row.left(), row.bottom())));
}

void TBookGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex pressed = indexAt(event->position().toPoint());
    const bool onSelected = event->button() == Qt::LeftButton && pressed.isValid() && pressed.row() == Selected;
    QTableView::mousePressEvent(event);
    PressedOnSelected = onSelected ? Selected : -1;
}

void TBookGrid::mouseReleaseEvent(QMouseEvent* event)
{
    // A click on the selected row selects nothing new, yet it is the user's
    // selection of that row as much as a click on another one: its book is
    // shown again (the main window may show another one, or edited text).
    const int pressed = PressedOnSelected;
    PressedOnSelected = -1;
    QTableView::mouseReleaseEvent(event);
    const QModelIndex released = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && pressed >= 0 && released.isValid() && released.row() == pressed &&
        pressed == Selected)
        emit RowSelected(Selected);
}

void TBookGrid::OnCurrentChanged(const QModelIndex& current)
{
    if (!current.isValid() || current.row() == Selected) {
        if (current.isValid())
            Selected = current.row();
        return;
    }
    Selected = current.row();
    if (!Silent)
        emit RowSelected(Selected);
}
