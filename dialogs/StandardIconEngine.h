// One of the style's standard pictures, read only when it is first drawn.
// The style reads every size of a standard picture from its PNG files as
// soon as it is asked for the icon; most command buttons stay unseen for a
// whole run (the dialogs, the main window's Save and Cancel), so their
// pictures are not worth reading at start-up.
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QStyle>

class TStandardIconEngine : public QIconEngine {
public:
    explicit TStandardIconEngine(QStyle::StandardPixmap picture);

    // An icon drawn by such an engine.
    static QIcon Icon(QStyle::StandardPixmap picture);

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

    QStyle::StandardPixmap Picture;
    QIcon Standard;
    bool Read = false;
};
