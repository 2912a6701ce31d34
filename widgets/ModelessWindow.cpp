#include "widgets/ModelessWindow.h"

#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/StoredPosition.h"
#include "platform/gui/WindowAccessible.h"
#include "widgets/RunState.h"

#include <QCloseEvent>
#include <QShowEvent>

TModelessWindow::TModelessWindow(TRunState& run, const QString& caption, int width, int height, QWidget* stackingOwner)
    : QWidget(nullptr, Qt::Window), Run(run), Owner(stackingOwner)
{
    setWindowTitle(caption);
    setAccessibleName(caption);
    WindowAccessible::Attach(this);
    setWindowFlags((stackingOwner ? Qt::Dialog : Qt::Window) | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(width, height);
    FPosition = new TStoredPosition(*this);
    connect(&run, &TRunState::WindowsRestored, this, Guarded(this, &TModelessWindow::RestoreDefaultPlace));
}

void TModelessWindow::StorePlace(const std::function<void(const QPoint&)>& write, bool onlyWhenMoved)
{
    if (onlyWhenMoved && !FPosition->MovedSinceStored())
        return;
    const std::optional<QPoint> corner = FPosition->ToStore();
    if (!corner)
        return;
    write(*corner);
    FPosition->Stored(*corner);
}

void TModelessWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Owner && !event->spontaneous())
        DesktopWindow::SetOwner(*this, Owner.data());
}

void TModelessWindow::closeEvent(QCloseEvent* event)
{
    // Windows closed while the program ends are not closed by the user.
    if (Run.Ending) {
        event->accept();
        return;
    }
    // A failed write keeps the window open, as the close did not complete.
    if (TErrorHandler::Guard([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}
