#include "dialogs/StandardIconEngine.h"

#include <QApplication>

TStandardIconEngine::TStandardIconEngine(QStyle::StandardPixmap picture) : Picture(picture) {}

QIcon TStandardIconEngine::Icon(QStyle::StandardPixmap picture)
{
    return QIcon(new TStandardIconEngine(picture));
}

QIcon& TStandardIconEngine::Loaded()
{
    if (!Read) {
        Standard = QApplication::style()->standardIcon(Picture);
        Read = true;
    }
    return Standard;
}

void TStandardIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    Loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize TStandardIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Loaded().actualSize(size, mode, state);
}

QPixmap TStandardIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Loaded().pixmap(size, mode, state);
}

QPixmap TStandardIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    return Loaded().pixmap(size, scale, mode, state);
}

QList<QSize> TStandardIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return Loaded().availableSizes(mode, state);
}

QIconEngine* TStandardIconEngine::clone() const
{
    // A copy reads the picture again when it is drawn; copies are rare.
    return new TStandardIconEngine(Picture);
}

QString TStandardIconEngine::key() const
{
    return QStringLiteral("TStandardIconEngine");
}

bool TStandardIconEngine::isNull()
{
    // Answered without reading: a button asks whether it has an icon when
    // it is laid out, long before it is drawn.
    return false;
}
