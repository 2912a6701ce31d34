// An icon whose pictures are read only when it is first drawn. Reading is
// what costs at start-up: the style reads every size of a standard picture
// from its PNG files as soon as it is asked for the icon, and the toolbar
// images are parsed from XPM text. Most of these icons stay unseen for a
// while or a whole run (menus, dialogs, the main window's Save and Cancel).
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QStyle>

#include <functional>

class TLazyIconEngine : public QIconEngine {
public:
    using TLoader = std::function<QIcon()>;

    explicit TLazyIconEngine(TLoader loader);

    // An icon that reads its pictures with the loader when first drawn.
    static QIcon Icon(TLoader loader);
    // The style's standard picture, read when first drawn.
    static QIcon Standard(QStyle::StandardPixmap picture);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    QIcon& Loaded();

    TLoader Loader;
    QIcon Pictures;
    bool Read = false;
};
