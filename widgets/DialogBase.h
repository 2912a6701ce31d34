// The base of Volumnia's dialogs. They are made once and only hidden between
// uses, so each opening refills them in FormActivate; no button of theirs has
// the cancel role, so Escape never closes one; and every handler runs through
// the application-wide guard, so an error ends the command, is shown, and
// leaves the dialog open.
#pragma once

#include "platform/gui/ErrorHandler.h"

#include <QAbstractButton>
#include <QDialog>
#include <QList>
#include <QPointer>

class TDialogBase : public QDialog {
    Q_OBJECT

public:
    // When FormActivate runs. A dialog is shown again by the window system
    // when the program comes back from being minimised; OnOpening leaves the
    // controls as the user left them then, EveryShow refills them too.
    enum class TActivation { OnOpening, EveryShow };

    explicit TDialogBase(QWidget* parent = nullptr, TActivation activation = TActivation::OnOpening);

    // Fills the controls for a new opening; nothing by default. May raise:
    // the error is shown and the dialog still opens.
    virtual void FormActivate() {}

    // The window that owns the dialog from its next opening on, so that the
    // window manager keeps the dialog above it. Set by the code that makes
    // the dialogs; a dialog without one is owned by no window.
    void SetOwnerWindow(QWidget* owner) { OwnerWindow = owner; }

protected:
    // A border of exactly a title with its system menu and close box: no
    // minimise box and no context help on any platform.
    static constexpr Qt::WindowFlags ExactBorder = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                   Qt::MSWindowsFixedSizeDialogHint;

    // Caption, fixed size and the dialogs' face. The border is a plain
    // fixed-size dialog's unless other window flags are given.
    void SetUpWindow(const QString& caption, int width, int height);
    void SetUpWindow(const QString& caption, int width, int height, Qt::WindowFlags flags);

    // Tab moves through the widgets in this order.
    void SetTabOrder(const QList<QWidget*>& widgets);

    // Runs the handler, guarded, when the button is clicked.
    template <typename TDialog> void ConnectClick(QAbstractButton* button, void (TDialog::*handler)())
    {
        connect(button, &QAbstractButton::clicked, this, Guarded(static_cast<TDialog*>(this), handler));
    }

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TActivation FActivation;
    QPointer<QWidget> OwnerWindow;
};
