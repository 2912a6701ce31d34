// The entry of the volumnia-print module: the program finds this function by
// name when it first prints.
#include "platform/print/QtPrintSupport.h"

extern "C" Q_DECL_EXPORT IPrintSupport* VolumniaPrintSupport()
{
    static TQtPrintSupport support;
    return &support;
}
