#include "platform/gui/DataLabelAccessible.h"

#include <QLabel>

namespace {

// Marks the labels that get this face; the factory asks for the mark.
constexpr const char* DataLabelProperty = "volumniaShowsData";

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (label && label->property(DataLabelProperty).toBool())
        return new TDataLabelAccessible(label);
    return nullptr;
}

} // namespace

void TDataLabelAccessible::Attach(QLabel* label)
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
    label->setProperty(DataLabelProperty, true);
    // While assistive technology is listening, Qt already made the label's
    // face as the label was set up; that one goes, and the factory makes ours.
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
    if (face && !dynamic_cast<TDataLabelAccessible*>(face))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
}

TDataLabelAccessible::TDataLabelAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

QString TDataLabelAccessible::Shown() const
{
    return static_cast<const QLabel*>(widget())->text();
}

QString TDataLabelAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return Shown();
    return QAccessibleWidget::text(t);
}

void* TDataLabelAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void TDataLabelAccessible::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

int TDataLabelAccessible::selectionCount() const
{
    return 0;
}

void TDataLabelAccessible::addSelection(int, int) {}

void TDataLabelAccessible::removeSelection(int) {}

void TDataLabelAccessible::setSelection(int, int, int) {}

int TDataLabelAccessible::cursorPosition() const
{
    return 0;
}

void TDataLabelAccessible::setCursorPosition(int) {}

QString TDataLabelAccessible::text(int startOffset, int endOffset) const
{
    const QString shown = Shown();
    if (endOffset < 0 || endOffset > shown.size())
        endOffset = static_cast<int>(shown.size());
    startOffset = qBound(0, startOffset, endOffset);
    return shown.mid(startOffset, endOffset - startOffset);
}

int TDataLabelAccessible::characterCount() const
{
    return static_cast<int>(Shown().size());
}

QRect TDataLabelAccessible::characterRect(int) const
{
    return QRect();
}

int TDataLabelAccessible::offsetAtPoint(const QPoint&) const
{
    return -1;
}

void TDataLabelAccessible::scrollToSubstring(int, int) {}

QString TDataLabelAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
