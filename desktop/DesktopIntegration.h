// What ties the running Volumnia to its installed desktop entry: the
// application icon on every window, and the entry's name, by which a desktop
// shell groups the windows under the menu entry and its icon.
#pragma once

#include <QIcon>

class TDesktopIntegration {
public:
    // The application icon in every size it is drawn in.
    static QIcon Icon();
    // Sets the icon and the desktop entry name on the running application.
    static void Apply();
};
