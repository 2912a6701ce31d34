#include "widgets/SortTitle.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QStyle>

TSortTitle::TSortTitle(const QString& caption, const QString& description, QWidget* parent)
    : QPushButton(caption, parent), Description(description)
{
    setFlat(true);
    QFont font = this->font();
    font.setUnderline(true);
    font.setBold(false);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    // Flat and left-aligned like a link; the title with the focus is
    // highlighted, as a flat button draws no focus frame of its own here, and
    // the sorting title is bold.
    setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 0px; border: none; }"
                                 "QPushButton[sorted=\"true\"] { font-weight: bold; }"
                                 "QPushButton:focus { background: palette(highlight);"
                                 " color: palette(highlighted-text); }"));
    setAccessibleName(caption);
    setAccessibleDescription(description);
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
}

void TSortTitle::SetSorted(bool sorted)
{
    FSorted = sorted;
    setProperty("sorted", sorted);
    // The style sheet reads the property when the title is polished anew.
    style()->unpolish(this);
    style()->polish(this);
    setAccessibleDescription(sorted ? Description + QStringLiteral("; the list is sorted by it") : Description);
}

namespace {

bool SpaceWithModifier(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Space && (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier;
}

} // namespace

void TSortTitle::keyPressEvent(QKeyEvent* event)
{
    if (SpaceWithModifier(event)) {
        event->ignore();
        return;
    }
    const bool menuKey =
        event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && isSignalConnected(QMetaMethod::fromSignal(&TSortTitle::MenuWanted))) {
        emit MenuWanted(mapToGlobal(QPoint(0, height())));
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TSortTitle::keyReleaseEvent(QKeyEvent* event)
{
    if (SpaceWithModifier(event)) {
        event->ignore();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

void TSortTitle::contextMenuEvent(QContextMenuEvent* event)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&TSortTitle::MenuWanted))) {
        event->ignore();
        return;
    }
    event->accept();
    emit MenuWanted(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                : mapToGlobal(QPoint(0, height())));
}
