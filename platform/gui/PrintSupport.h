// Qt's print support (printers, the print and page set-up dialogs) is a large
// library the program needs only when it prints. It lives in a module of its
// own (volumnia-print), loaded on the first print run, so that every start
// does not pay for loading it. This is the program's side: what the module
// offers, and where it is found.
#pragma once

#include "platform/gui/PrintTarget.h"

#include <QStringList>

#include <memory>

class QPrinter;
class QWidget;

class IPrintSupport {
public:
    virtual ~IPrintSupport() = default;

    // A printer in high-resolution mode, first set to the system's default
    // printer; give it back with DeletePrinter.
    virtual QPrinter* NewPrinter() = 0;
    virtual void DeletePrinter(QPrinter* printer) noexcept = 0;
    // The system's print and page set-up dialogs; false when cancelled.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;
    virtual bool PageSetupDialog(QWidget* parent, QPrinter& printer) = 0;
    // Sets the printer to the resolution its driver prints at.
    virtual void ApplyResolution(QPrinter& printer) = 0;
    // The printer as a print run draws on it.
    virtual std::unique_ptr<IPrintTarget> NewTarget(QPrinter& printer) = 0;
};

namespace PrintSupport {

// The name of the function the module exports; it returns the module's
// IPrintSupport, which lives as long as the process.
inline constexpr char EntryName[] = "VolumniaPrintSupport";
using TEntry = IPrintSupport* (*)();

// The support in use: the one given to Use, or else the module, loaded from
// the first of ModuleFiles that exists the first time it is asked for. A
// module that cannot be found or loaded raises EPrinterError naming it.
IPrintSupport& Get();
// Puts a support linked into the program in place of the module (tests);
// nullptr goes back to the module.
void Use(IPrintSupport* support);
// Loads the module from this file and returns its support; it stays loaded.
IPrintSupport& Load(const QString& file);
// Beside the program (its build folder), then where it is installed.
QStringList ModuleFiles();

// Gives a printer back to the support that made it.
struct TPrinterDeleter {
    IPrintSupport* Support = nullptr;
    void operator()(QPrinter* printer) const noexcept;
};
using TPrinterPtr = std::unique_ptr<QPrinter, TPrinterDeleter>;

// A printer from the support in use.
TPrinterPtr NewPrinter();

} // namespace PrintSupport
