// The printing module as the program loads it on its first print run: found
// or reported missing, its printers printing a document, and its errors
// caught by the program as its own.
#include "platform/gui/EPrinterError.h"
#include "platform/gui/PrintSupport.h"
#include "platform/print/PrinterResolution.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(PrintModule, IsLoadedWhenFirstAskedForAndPrintsThroughItsOwnCode)
{
    // The tests run with printing linked in; put that back at the end.
    IPrintSupport& linked = PrintSupport::Get();
    const std::unique_ptr<IPrintSupport, void (*)(IPrintSupport*)> restore(
        &linked, [](IPrintSupport* support) { PrintSupport::Use(support); });
    PrintSupport::Use(nullptr);

    // Nothing beside the test program: the first place looked in is named.
    try {
        PrintSupport::Get();
        FAIL() << "no module, yet printing was found";
    } catch (const EPrinterError& error) {
        EXPECT_NE(error.Message.find(PrintSupport::ModuleFiles().constFirst().toStdString()), std::string::npos)
            << error.Message;
    }
    EXPECT_THROW(PrintSupport::Load(QStringLiteral(VOLUMNIA_PRINT_MODULE ".missing")), EPrinterError);

    IPrintSupport& module = PrintSupport::Load(QStringLiteral(VOLUMNIA_PRINT_MODULE));
    ASSERT_NE(&module, &linked);
    EXPECT_EQ(&PrintSupport::Get(), &module); // loaded once, then kept
    const PrintSupport::TPrinterPtr printer = PrintSupport::NewPrinter();

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(folder.filePath(QStringLiteral("missing/list.pdf")));
    module.ApplyResolution(*printer);
    EXPECT_EQ(printer->resolution(), TPrinterResolution::FileResolution);
    {
        // An error raised inside the module reaches the program as its own.
        const std::unique_ptr<IPrintTarget> target = module.NewTarget(*printer);
        EXPECT_THROW(target->BeginDoc(), EPrinterError);
    }

    const QString pdf = folder.filePath(QStringLiteral("list.pdf"));
    printer->setOutputFileName(pdf);
    {
        const std::unique_ptr<IPrintTarget> target = module.NewTarget(*printer);
        target->BeginDoc();
        target->TextOut(20, 20, printer->width(), QStringLiteral("Emma"), TPrintFont{});
        target->EndDoc();
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

} // namespace
