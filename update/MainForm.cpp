#include "update/MainForm.h"

#include "platform/EBaseError.h"
#include "platform/WorkingFolderLock.h"
#include "platform/gui/ErrorHandler.h"
#include "settings/KELT.h"
#include "settings/SettingsKeys.h"
#include "update/DefaultSettings.h"
#include "update/JpegDecoder.h"
#include "update/SplashPicture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmMain"));
    setFixedSize(ClientWidth, ClientHeight);

    shpBackground = new QFrame(this);
    shpBackground->setObjectName(QStringLiteral("shpBackground"));
    shpBackground->setGeometry(0, 0, ClientWidth, ClientHeight);
    shpBackground->setFrameShape(QFrame::Box);
    shpBackground->setFrameShadow(QFrame::Plain);
    shpBackground->setLineWidth(1);
    QPalette palette = shpBackground->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black); // a plain box frame is drawn in the text colour
    shpBackground->setPalette(palette);
    shpBackground->setAutoFillBackground(true);

    Background = new QLabel(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setGeometry(PictureLeft, PictureTop, 150, 60);
    Background->setScaledContents(false);
    LoadPicture();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    EndProgram = [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    };
}

TfrmMain::~TfrmMain() = default;

// A picture that cannot be decoded is reported, and the splash goes on
// without it: the settings are the program's real work.
void TfrmMain::LoadPicture()
{
    TErrorHandler::Guard([this] {
        const QPixmap picture = QPixmap::fromImage(TJpegDecoder::Decode(TSplashPicture::Bytes()));
        Background->setPixmap(picture);
        Background->resize(picture.size()); // drawn at its natural size
    });
}

void TfrmMain::FormActivate()
{
    // Volumnia writes its whole settings file back at its end, which would
    // undo these writes: while it runs on this folder, nothing is written.
    // The folder is held for the writes only.
    TWorkingFolderLock lock(QStringLiteral("."), TSettingsKeys::FileName, "update");
    const TWorkingFolderLock::TResult locked = lock.TryLock();
    if (locked == TWorkingFolderLock::TResult::HeldElsewhere && lock.HeldByVolumnia())
        throw EBaseError(VolumniaRunningMessage);
    if (locked == TWorkingFolderLock::TResult::HeldElsewhere || locked == TWorkingFolderLock::TResult::Refused)
        throw EBaseError(lock.Message());
    Settings = std::make_unique<TRFileSystem>(TSettingsKeys::FileName);
    TDefaultSettings::Write(*Settings);
    SettingsWritten = true;
    if (EndProgram)
        EndProgram();
}

void TfrmMain::Activated()
{
    if (WritesTried)
        return;
    WritesTried = true; // before the handler runs: its error box reactivates the splash
    TErrorHandler::Guard([this] { FormActivate(); });
}

bool TfrmMain::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Activated();
    return QWidget::event(event);
}

// A borderless window is not always made the active window (window managers
// that prevent focus stealing may refuse it), so the first showing also leads
// to the writes once the event loop runs; whichever comes first does them.
void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (ShownBefore)
        return;
    ShownBefore = true;
    QMetaObject::invokeMethod(
        this, [this] { Activated(); }, Qt::QueuedConnection);
}
