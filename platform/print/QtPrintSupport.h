// Printing on Qt's print support: the module's side of IPrintSupport. The
// program reaches it through the module; tests link it in.
#pragma once

#include "platform/gui/PrintSupport.h"

class TQtPrintSupport : public IPrintSupport {
public:
    QPrinter* NewPrinter() override;
    void DeletePrinter(QPrinter* printer) noexcept override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    bool PageSetupDialog(QWidget* parent, QPrinter& printer) override;
    void ApplyResolution(QPrinter& printer) override;
    std::unique_ptr<IPrintTarget> NewTarget(QPrinter& printer) override;
};
