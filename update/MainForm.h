// The splash window of the update program, its only window: a small borderless
// picture of our logo, centred on the screen. When it is first activated it
// writes the default settings into "volumnia.kelt" and asks the program to
// end. A failure is shown once in the error box and the splash stays until the
// user closes it.
//
// This TfrmMain is the update program's own class, not Volumnia's main window;
// the two never link into one binary.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class TRFileSystem;

class TfrmMain : public QWidget {
public:
    static constexpr int ClientWidth = 169;
    static constexpr int ClientHeight = 73;
    static constexpr int PictureLeft = 8;
    static constexpr int PictureTop = 8;

    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The activation handler: makes the store, writes the nine settings, saves
    // once more and asks the program to end. Raises what the store raises, and
    // VolumniaRunningMessage while Volumnia holds the working folder.
    void FormActivate();
    static constexpr const char* VolumniaRunningMessage =
        "Volumnia is running in this folder; end it, then run update again";

    // What activation runs: FormActivate through the error handler, tried once
    // per run, so a failure is reported once and closing the report (which
    // activates the splash again) does not repeat it.
    void Activated();

    // The program's exit code: 0 once the settings are written, 1 when they
    // were not (the user closed the splash after a failure).
    int ExitCode() const { return SettingsWritten ? 0 : 1; }

    // The store stays with the window until the program ends.
    std::unique_ptr<TRFileSystem> Settings;

    QFrame* shpBackground = nullptr;
    QLabel* Background = nullptr;

    // How the program is asked to end; by default a queued quit of the event
    // loop, so the loop stops after the handler returns.
    std::function<void()> EndProgram;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void LoadPicture();

    bool WritesTried = false;
    bool SettingsWritten = false;
    bool ShownBefore = false;
};
