#include "widgets/CoverPanel.h"

#include "engine/Covers.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/SystemDialogs.h"
#include "widgets/CoverImage.h"
#include "widgets/DialogControls.h"

#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace {

// The caption with an access key: its first letter not in taken yet.
QString WithAccessKey(const QString& caption, QString& taken)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar letter = caption[i].toLower();
        if (letter.isLetter() && letter.unicode() < 128 && !taken.contains(letter)) {
            taken += letter;
            return caption.left(i) + QLatin1Char('&') + caption.mid(i);
        }
    }
    return caption;
}

} // namespace

TCoverPanel::TCoverPanel(QWidget* parent, QString& taken) : QWidget(parent)
{
    setObjectName(QStringLiteral("CoverPanel"));
    resize(PictureWidth, PanelHeight);
    imgCover = new QLabel(this);
    imgCover->setObjectName(QStringLiteral("imgCover"));
    imgCover->setGeometry(0, 0, PictureWidth, PictureHeight);
    imgCover->setAlignment(Qt::AlignCenter);
    imgCover->setFrameShape(QFrame::StyledPanel);
    imgCover->setAccessibleName(QStringLiteral("Cover"));
    imgCover->setToolTip(QStringLiteral("Drop a picture here, or press Ctrl+V to paste one"));
    // Focus on the picture is where Ctrl+V pastes a cover rather than text.
    imgCover->setFocusPolicy(Qt::StrongFocus);
    imgCover->installEventFilter(this);
    setAcceptDrops(true);

    int y = PictureHeight + 6;
    const auto button = [&](const QString& caption, const char* name) {
        QPushButton* made = DialogControls::Button(QIcon(), WithAccessKey(caption, taken), this, 0, y,
                                                   DialogControls::TButtonKind::Plain);
        made->resize(PictureWidth, made->height());
        made->setObjectName(QLatin1String(name));
        y += DialogControls::ButtonHeight + 4;
        return made;
    };
    btnChooseCover = button(QStringLiteral("Choose file..."), "btnChooseCover");
    btnPasteCover = button(QStringLiteral("Paste"), "btnPasteCover");
    btnRemoveCover = button(QStringLiteral("Remove cover"), "btnRemoveCover");
    btnChooseCover->setToolTip(QStringLiteral("Takes a picture file as the cover"));
    btnPasteCover->setToolTip(QStringLiteral("Takes the picture on the clipboard as the cover"));
    connect(btnChooseCover, &QPushButton::clicked, this, Guarded(this, &TCoverPanel::btnChooseCoverClick));
    connect(btnPasteCover, &QPushButton::clicked, this, Guarded(this, &TCoverPanel::btnPasteCoverClick));
    connect(btnRemoveCover, &QPushButton::clicked, this, Guarded(this, &TCoverPanel::btnRemoveCoverClick));
    setTabOrder(imgCover, btnChooseCover);
    setTabOrder(btnChooseCover, btnPasteCover);
    setTabOrder(btnPasteCover, btnRemoveCover);
    Show(QImage());
}

void TCoverPanel::ShowStored(const std::string& database, int32_t book, const std::string& value)
{
    FDatabase = database;
    FBook = book;
    FStored = book > 0 ? value : std::string();
    FNewJpeg.clear();
    FChanged = false;
    Show(CoverImage::Read(FDatabase, FStored, imgCover->contentsRect().size()));
}

bool TCoverPanel::HasCover() const
{
    return FChanged ? !FNewJpeg.empty() : !FStored.empty();
}

std::string TCoverPanel::Store() const
{
    if (!FChanged)
        return FStored;
    return FNewJpeg.empty() ? std::string() : Covers::Store(FDatabase, FBook, FNewJpeg);
}

void TCoverPanel::Show(const QImage& image)
{
    if (image.isNull()) {
        imgCover->setPixmap(QPixmap());
        // A value whose file cannot be read says so rather than "No cover".
        imgCover->setText(HasCover() ? QStringLiteral("Cover not found") : QStringLiteral("No cover"));
    } else {
        imgCover->setPixmap(QPixmap::fromImage(image));
    }
    for (QWidget* control :
         {static_cast<QWidget*>(imgCover), static_cast<QWidget*>(btnChooseCover), static_cast<QWidget*>(btnPasteCover)})
        control->setEnabled(FBook > 0);
    btnRemoveCover->setEnabled(FBook > 0 && HasCover());
}

bool TCoverPanel::Take(const QImage& image)
{
    if (FBook <= 0 || image.isNull())
        return false;
    std::string jpeg = CoverImage::Jpeg(image);
    if (jpeg.empty())
        return false;
    // Shown as it will be kept.
    const QImage kept = QImage::fromData(QByteArray::fromStdString(jpeg), "JPEG")
                            .scaled(imgCover->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    FNewJpeg = std::move(jpeg);
    FChanged = true;
    Show(kept);
    emit Edited();
    return true;
}

QImage TCoverPanel::PictureIn(const QMimeData* data)
{
    if (!data)
        return {};
    if (data->hasImage())
        return qvariant_cast<QImage>(data->imageData());
    // A file dragged from a file manager, or copied there.
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            if (const QImage image = CoverImage::FromFile(url.toLocalFile()); !image.isNull())
                return image;
    return {};
}

void TCoverPanel::btnChooseCoverClick()
{
    if (FBook <= 0)
        return;
    QString path;
    if (!TPlatform::Dialogs().OpenFile(window(), QStringLiteral("Pictures (*.jpg *.jpeg *.png *.gif *.bmp)"), path))
        return;
    if (!Take(CoverImage::FromFile(path)))
        TPlatform::Messages().Information(
            QStringLiteral("%1 holds no picture Volumnia can read.").arg(QDir::toNativeSeparators(path)));
}

void TCoverPanel::btnPasteCoverClick()
{
    if (FBook <= 0)
        return;
    if (!Take(PictureIn(QGuiApplication::clipboard()->mimeData())))
        TPlatform::Messages().Information(QStringLiteral("The clipboard holds no picture."));
}

void TCoverPanel::btnRemoveCoverClick()
{
    if (FBook <= 0 || !HasCover())
        return;
    FNewJpeg.clear();
    FChanged = true;
    Show(QImage());
    emit Edited();
}

bool TCoverPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+V on the picture pastes a cover, before any shortcut takes it.
    if (watched == imgCover && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            TErrorHandler::Guard([this] { btnPasteCoverClick(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TCoverPanel::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QList<QUrl> urls = data->urls();
    if (FBook > 0 &&
        (data->hasImage() || std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })))
        event->acceptProposedAction();
}

void TCoverPanel::dropEvent(QDropEvent* event)
{
    TErrorHandler::Guard([this, event] {
        if (Take(PictureIn(event->mimeData())))
            event->acceptProposedAction();
        else
            TPlatform::Messages().Information(QStringLiteral("What was dropped is no picture Volumnia can read."));
    });
}
