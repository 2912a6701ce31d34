#include "platform/gui/WindowAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Marks the windows that get this face; the factory asks for the mark.
constexpr const char* WindowProperty = "volumniaAccessibleWindow";

class TWindowFace : public QAccessibleWidget {
public:
    explicit TWindowFace(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->isWindow() && widget->property(WindowProperty).toBool())
        return new TWindowFace(widget);
    return nullptr;
}

} // namespace

namespace WindowAccessible {

void Attach(QWidget* window)
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
    window->setProperty(WindowProperty, true);
    // A face Qt made already (assistive technology listening) goes; the
    // factory makes this one when next asked.
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(window);
    if (face && !dynamic_cast<TWindowFace*>(face))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
}

} // namespace WindowAccessible
