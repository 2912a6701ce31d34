#include "platform/gui/PrintSupport.h"

#include "platform/gui/EPrinterError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace PrintSupport {

namespace {

IPrintSupport* Given = nullptr;
IPrintSupport* Loaded = nullptr;

} // namespace

IPrintSupport& Get()
{
    if (Given)
        return *Given;
    if (!Loaded) {
        const QStringList files = ModuleFiles();
        for (const QString& file : files) {
            if (QFileInfo(file).isFile())
                return Load(file);
        }
        throw EPrinterError("Printing is not installed: " + files.constFirst().toStdString() + " is missing");
    }
    return *Loaded;
}

void Use(IPrintSupport* support)
{
    Given = support;
}

IPrintSupport& Load(const QString& file)
{
    // Never unloaded: printers, dialogs and the print system's plug-ins made
    // by its code may live until the program ends.
    QLibrary library(file);
    const auto entry = reinterpret_cast<TEntry>(library.resolve(EntryName));
    IPrintSupport* support = entry ? entry() : nullptr;
    if (!support)
        throw EPrinterError("Printing could not be loaded: " + library.errorString().toStdString());
    Loaded = support;
    return *support;
}

QStringList ModuleFiles()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral(VOLUMNIA_PRINT_MODULE_NAME);
    return {programFolder.filePath(name),
            QDir::cleanPath(programFolder.filePath(QStringLiteral(VOLUMNIA_PRINT_MODULE_INSTALLED_DIR "/") + name))};
}

void TPrinterDeleter::operator()(QPrinter* printer) const noexcept
{
    if (printer && Support)
        Support->DeletePrinter(printer);
}

TPrinterPtr NewPrinter()
{
    IPrintSupport& support = Get();
    return TPrinterPtr(support.NewPrinter(), TPrinterDeleter{&support});
}

} // namespace PrintSupport
