// Runs dialogs with QDialog::exec().
#pragma once

#include "platform/gui/ModalRunner.h"

class TQtModalRunner : public IModalRunner {
public:
    int Exec(QDialog& dialog) override;
};
