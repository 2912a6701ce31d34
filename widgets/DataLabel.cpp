#include "widgets/DataLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

TDataLabel::TDataLabel(const QString& text, QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

QRect TDataLabel::TextArea() const
{
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    // QLabel indents framed text by half an "x" when no indent is set.
    int shift = indent();
    if (shift < 0)
        shift = frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignLeft)
        area.setLeft(area.left() + shift);
    else if (horizontal & Qt::AlignRight)
        area.setRight(area.right() - shift);
    return area;
}

QString TDataLabel::ShownText() const
{
    const QString whole = text();
    const QFontMetrics metrics = fontMetrics();
    const int room = TextArea().width();
    if (metrics.horizontalAdvance(whole) <= room)
        return whole;
    // Whole words and the ellipsis, as many words as fit.
    const QString ellipsis(QChar(0x2026));
    for (qsizetype end = whole.lastIndexOf(QLatin1Char(' ')); end > 0;
         end = whole.lastIndexOf(QLatin1Char(' '), end - 1)) {
        const QString words = whole.left(end).trimmed();
        if (!words.isEmpty() && metrics.horizontalAdvance(words + ellipsis) <= room)
            return words + ellipsis;
    }
    return metrics.elidedText(whole, Qt::ElideRight, room);
}

QString TDataLabel::Tip() const
{
    const QString tip = toolTip().isEmpty() ? (ShownText() != text() ? text() : QString()) : toolTip();
    // Escaped inside a paragraph, so the tool tip shows markup literally too.
    return tip.isEmpty() ? QString() : QStringLiteral("<p style='white-space:pre'>%1</p>").arg(tip.toHtmlEscaped());
}

bool TDataLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const QString tip = Tip(); !tip.isEmpty())
            QToolTip::showText(help->globalPos(), tip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

void TDataLabel::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    if (const QString tip = Tip(); !tip.isEmpty())
        QToolTip::showText(mapToGlobal(rect().bottomLeft()), tip, this);
}

void TDataLabel::focusOutEvent(QFocusEvent* event)
{
    QLabel::focusOutEvent(event);
    if (QToolTip::isVisible())
        QToolTip::hideText();
}

void TDataLabel::paintEvent(QPaintEvent* event)
{
    const QString shown = ShownText();
    if (shown == text()) {
        QLabel::paintEvent(event);
    } else {
        QPainter painter(this);
        drawFrame(&painter);
        style()->drawItemText(&painter, TextArea(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                              isEnabled(), shown, foregroundRole());
    }
    // A label in the Tab chain shows where the focus is.
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
