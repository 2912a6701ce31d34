// The image list of the toolbar and the menu: eleven 16 x 16 images drawn for
// Volumnia and kept as resources (":/icons/<name>.xpm").
#pragma once

#include <QIcon>

class TToolBarImages {
public:
    enum Index { Browser, Add, Edit, Remove, Loan, Return, Print, Search, Refresh, Help, Exit, Count };
    static QIcon Icon(Index index);
    static const char* Name(Index index);
};
