// Message boxes shown with QMessageBox, their texts always plain: they may
// quote what the user typed.
#pragma once

#include "platform/gui/MessageLayer.h"

class TQtMessageLayer : public IMessageLayer {
public:
    void Information(const QString& text) override;
    void Error(const QString& text) override;
    bool Question(const QString& text) override;
};
