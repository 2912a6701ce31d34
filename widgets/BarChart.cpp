#include "widgets/BarChart.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

constexpr int Margin = 4;
// The gap before the rows set apart.
constexpr int ApartGap = 8;

} // namespace

TBarChart::TBarChart(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void TBarChart::SetBars(QList<TBar> bars)
{
    Bars = std::move(bars);
    const auto apart = std::find_if(Bars.begin(), Bars.end(), [](const TBar& bar) { return bar.Apart; });
    FirstApart = apart == Bars.begin() || apart == Bars.end() ? -1 : static_cast<int>(apart - Bars.begin());
    FCurrent = Bars.isEmpty() ? -1 : 0;
    setMinimumHeight(sizeHint().height());
    updateGeometry();
    update();
    emit CurrentChanged(FCurrent);
}

void TBarChart::SetCurrent(int row)
{
    row = row < 0 || Bars.isEmpty() ? -1 : std::min(row, Count() - 1);
    if (row == FCurrent)
        return;
    FCurrent = row;
    update();
    emit CurrentChanged(row);
}

int TBarChart::RowHeight() const
{
    return fontMetrics().height() + 6;
}

int TBarChart::Top(int row) const
{
    // The gap before the first row set apart, and so above every one after it.
    return Margin + row * RowHeight() + (FirstApart >= 0 && row >= FirstApart ? ApartGap : 0);
}

QRect TBarChart::RowRect(int row) const
{
    return QRect(0, Top(row), width(), RowHeight());
}

int TBarChart::RowAt(int y) const
{
    for (int row = 0; row < Count(); ++row)
        if (RowRect(row).contains(0, y))
            return row;
    return -1;
}

QSize TBarChart::sizeHint() const
{
    return QSize(320, Bars.isEmpty() ? RowHeight() : Top(Count()) + Margin);
}

void TBarChart::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // The labels take up to two fifths of the width, the numbers what the
    // widest needs; the bars the rest, the longest bar all of it.
    int labelWidth = 0, numberWidth = 0;
    double most = 0;
    for (const TBar& bar : Bars) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(bar.Label));
        numberWidth = std::max(numberWidth, metrics.horizontalAdvance(bar.Number));
        most = std::max(most, bar.Value);
    }
    labelWidth = std::min(labelWidth, width() * 2 / 5);
    const int barLeft = Margin + labelWidth + Margin;
    const int barRoom = std::max(1, width() - barLeft - numberWidth - 3 * Margin);
    const QPalette& colours = palette();
    for (int row = 0; row < Count(); ++row) {
        const QRect place = RowRect(row);
        if (!place.intersects(event->rect()))
            continue;
        const TBar& bar = Bars[row];
        const bool current = row == FCurrent;
        if (current) {
            painter.fillRect(place,
                             colours.brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
            painter.setPen(colours.color(QPalette::HighlightedText));
        } else {
            painter.setPen(colours.color(QPalette::Text));
        }
        const QRect labelPlace(Margin, place.top(), labelWidth, place.height());
        painter.drawText(labelPlace, Qt::AlignVCenter | Qt::AlignLeft,
                         metrics.elidedText(bar.Label, Qt::ElideRight, labelWidth));
        const int length = most > 0 ? static_cast<int>(barRoom * bar.Value / most + 0.5) : 0;
        const QRect barPlace(barLeft, place.top() + 3, std::max(length, bar.Value > 0 ? 1 : 0), place.height() - 6);
        if (barPlace.width() > 0) {
            const QColor fill = current ? colours.color(QPalette::HighlightedText) : colours.color(QPalette::Link);
            painter.fillRect(barPlace, bar.Apart ? QBrush(fill, Qt::BDiagPattern) : QBrush(fill));
            painter.save();
            painter.setPen(fill);
            painter.drawRect(barPlace.adjusted(0, 0, -1, -1));
            painter.restore();
        }
        painter.drawText(QRect(barLeft + barPlace.width() + Margin, place.top(), numberWidth + Margin, place.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, bar.Number);
        if (current && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = place;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void TBarChart::mousePressEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint().y());
    if (event->button() != Qt::LeftButton || row < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    SetCurrent(row);
    emit Chosen(row);
}

void TBarChart::keyPressEvent(QKeyEvent* event)
{
    const int page = std::max(1, (parentWidget() ? parentWidget()->height() : height()) / RowHeight() - 1);
    switch (event->key()) {
    case Qt::Key_Up:
        SetCurrent(std::max(0, FCurrent - 1));
        break;
    case Qt::Key_Down:
        SetCurrent(FCurrent + 1);
        break;
    case Qt::Key_PageUp:
        SetCurrent(std::max(0, FCurrent - page));
        break;
    case Qt::Key_PageDown:
        SetCurrent(FCurrent + page);
        break;
    case Qt::Key_Home:
        SetCurrent(0);
        break;
    case Qt::Key_End:
        SetCurrent(Count() - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (FCurrent >= 0)
            emit Chosen(FCurrent);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
