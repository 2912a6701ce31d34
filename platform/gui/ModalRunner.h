// Runs a dialog modally. The Qt implementation runs QDialog::exec(); tests
// replace it with one that drives the dialog and returns, so a test never
// blocks on a modal loop.
#pragma once

class QDialog;

class IModalRunner {
public:
    virtual ~IModalRunner() = default;
    virtual int Exec(QDialog& dialog) = 0;
};
