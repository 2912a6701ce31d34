// The application's style, but with the pictures of the menu bar's and the
// toolbars' extension buttons (the ">>" shown when items do not fit) read
// only when first drawn. A menu bar and a toolbar ask for them as they are
// made, and reading them from the style's PNG files first makes Qt look
// through every image format plugin: a millisecond of every start-up, for
// buttons that the windows' fixed sizes never show.
#pragma once

#include <QPointer>
#include <QProxyStyle>

class TExtensionIconStyle : public QProxyStyle {
    Q_OBJECT

public:
    // On the style Qt would choose for the application.
    TExtensionIconStyle();

    QIcon standardIcon(StandardPixmap picture, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
