// The window behaviour every dialog shares: activation on opening and the
// Escape rule. What a dialog does with its controls stays in the dialog.
#include "widgets/DialogBase.h"

#include "platform/gui/DesktopWindow.h"
#include "widgets/DialogControls.h"

#include <QKeyEvent>
#include <QShowEvent>

TDialogBase::TDialogBase(QWidget* parent, TActivation activation) : QDialog(parent), FActivation(activation) {}

void TDialogBase::SetUpWindow(const QString& caption, int width, int height)
{
    // No minimise box and no resizing; the title bar keeps its close box.
    SetUpWindow(caption, width, height, windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
}

void TDialogBase::SetUpWindow(const QString& caption, int width, int height, Qt::WindowFlags flags)
{
    setWindowTitle(caption);
    setWindowFlags(flags);
    setFont(DialogControls::DialogFont());
    setFixedSize(width, height);
}

void TDialogBase::SetTabOrder(const QList<QWidget*>& widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void TDialogBase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event); // centres a new opening on the screen
    // Owned by its owner window (the main window), so that the window manager
    // keeps the dialog above it, also while that window is kept on top. Set
    // after the centring, which would otherwise centre it over its owner.
    if (!event->spontaneous())
        DesktopWindow::SetOwner(*this, OwnerWindow.data());
    // A spontaneous show is the window system restoring a dialog that is
    // already open, not a new opening.
    if (!event->spontaneous() || FActivation == TActivation::EveryShow)
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TDialogBase::keyPressEvent(QKeyEvent* event)
{
    // QDialog would reject the dialog on Escape and drop what was typed; only
    // the dialog's own buttons and the close box end it. The key itself and
    // the platform's cancel sequence are both swallowed, with or without
    // modifiers, so no variant slips through to QDialog.
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    if (DialogControls::PressFocusedButton(this, event))
        return;
    QDialog::keyPressEvent(event);
}
