#include "widgets/LazyIconEngine.h"

#include <QApplication>

TLazyIconEngine::TLazyIconEngine(TLoader loader) : Loader(std::move(loader)) {}

QIcon TLazyIconEngine::Icon(TLoader loader)
{
    return QIcon(new TLazyIconEngine(std::move(loader)));
}

QIcon TLazyIconEngine::Standard(QStyle::StandardPixmap picture)
{
    return Icon([picture] { return QApplication::style()->standardIcon(picture); });
}

QIcon& TLazyIconEngine::Loaded()
{
    if (!Read) {
        Pictures = Loader();
        Read = true;
    }
    return Pictures;
}

void TLazyIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    Loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize TLazyIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Loaded().actualSize(size, mode, state);
}

QPixmap TLazyIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Loaded().pixmap(size, mode, state);
}

QPixmap TLazyIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    return Loaded().pixmap(size, scale, mode, state);
}

QList<QSize> TLazyIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return Loaded().availableSizes(mode, state);
}

QIconEngine* TLazyIconEngine::clone() const
{
    // A copy reads the pictures again when it is drawn; copies are rare.
    return new TLazyIconEngine(Loader);
}

QString TLazyIconEngine::key() const
{
    return QStringLiteral("TLazyIconEngine");
}

bool TLazyIconEngine::isNull()
{
    // Answered without reading: a button asks whether it has an icon when it
    // is laid out, long before it is drawn. Callers make lazy icons only of
    // pictures that exist.
    return false;
}
