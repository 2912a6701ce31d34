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
    return fontMetrics().elidedText(text(), Qt::ElideRight, TextArea().width());
}

bool TDataLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (ShownText() != text())
            // Escaped inside a paragraph, so the tool tip shows markup literally too.
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text().toHtmlEscaped()), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
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
