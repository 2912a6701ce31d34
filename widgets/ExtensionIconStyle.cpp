#include "widgets/ExtensionIconStyle.h"

#include "widgets/LazyIconEngine.h"

TExtensionIconStyle::TExtensionIconStyle() = default;

QIcon TExtensionIconStyle::standardIcon(StandardPixmap picture, const QStyleOption* option, const QWidget* widget) const
{
    if (picture != SP_ToolBarHorizontalExtensionButton && picture != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(picture, option, widget);
    // The style underneath draws it, when it is drawn; by then the option and
    // the widget may be gone, and these pictures do not depend on them.
    const QPointer<QStyle> base = baseStyle();
    return TLazyIconEngine::Icon([base, picture] { return base ? base->standardIcon(picture) : QIcon(); });
}
