#include "widgets/ModelessWindow.h"

#include "platform/gui/DesktopWindow.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/StoredPosition.h"
#include "platform/gui/WindowAccessible.h"
#include "settings/RFileSystem.h"
#include "widgets/DialogControls.h"
#include "widgets/RunState.h"

#include <QCloseEvent>
#include <QKeyEvent>
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

TModelessWindow::~TModelessWindow()
{
    if (KeptIn && isVisible())
        TErrorHandler::Guard([this] { WriteKeptPlace(true); });
}

void TModelessWindow::KeepPlaceIn(TRFileSystem& settings, const char* keyX, const char* keyY)
{
    KeptIn = &settings;
    KeyX = keyX;
    KeyY = keyY;
}

void TModelessWindow::PlaceFromKept()
{
    Placed = true;
    if (KeptIn->ValueExists(KeyX) && KeptIn->ValueExists(KeyY)) {
        try {
            FPosition->PlaceAt(QPoint(KeptIn->ReadInteger(KeyX), KeptIn->ReadInteger(KeyY)));
            return;
        } catch (const std::exception&) {
        }
    }
    FPosition->Centre();
}

void TModelessWindow::WriteKeptPlace(bool onlyWhenMoved)
{
    StorePlace(
        [this](const QPoint& corner) {
            KeptIn->WriteValues(
                {TRFileSystem::IntegerValue(KeyX, corner.x()), TRFileSystem::IntegerValue(KeyY, corner.y())});
        },
        onlyWhenMoved);
}

void TModelessWindow::FormClose()
{
    if (KeptIn)
        WriteKeptPlace(true);
}

void TModelessWindow::RestoreDefaultPlace()
{
    if (!KeptIn || !Placed)
        return;
    FPosition->Centre();
    if (KeptIn->ValueExists(KeyX))
        WriteKeptPlace(false);
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
    if (KeptIn && !Placed)
        PlaceFromKept();
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

void TModelessWindow::keyPressEvent(QKeyEvent* event)
{
    if (DialogKeys && DialogControls::PressFocusedButton(this, event))
        return;
    if (DialogKeys && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
