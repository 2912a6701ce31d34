#include "widgets/BookGrid.h"

#include "platform/EBaseError.h"
#include "widgets/BookGridModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>

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
