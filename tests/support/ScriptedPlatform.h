// Scripted platform services for window tests. Installing a TScriptedPlatform
// replaces every service of TPlatform for the test's lifetime:
// - Messages: every box is recorded (kind, title, text); questions take their
//   answers from a queue (an unscripted question answers No and is recorded).
// - Modal: a dialog "runs" by being shown, driven by the next scripted action
//   (or left untouched), and hidden again; nothing blocks.
// - Shell: the targets asked to be opened are recorded.
// - Clock: a fixed date and time.
// - Dialogs: scripted results for the file, print, printer set-up and font dialogs.
// - Network: Qt's, for the loopback interface only (a test's replay server);
//   a request for any other host is refused as unreachable and recorded.
#pragma once

#include "platform/gui/Clock.h"
#include "platform/gui/QtNetwork.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Shell.h"
#include "platform/gui/SystemDialogs.h"

#include <QDateTime>
#include <QFont>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

class QDialog;

struct TRecordedBox {
    enum Kind { Information, Error, Question } Kind;
    QString Title;
    QString Text;
};

class TScriptedMessages : public IMessageLayer {
public:
    void Information(const QString& text) override;
    void Error(const QString& text) override;
    bool Question(const QString& text) override;

    std::vector<TRecordedBox> Boxes;
    std::deque<bool> Answers;

    QStringList Texts() const;
    QStringList Errors() const;
    void Clear() { Boxes.clear(); }
};

class TScriptedModal : public IModalRunner {
public:
    using TAction = std::function<void(QDialog&)>;
    int Exec(QDialog& dialog) override;

    std::deque<TAction> Actions;
    QStringList Opened; // window titles, in order
};

class TScriptedShell : public IShell {
public:
    void Open(const QString& target) override { Opened.push_back(target); }
    QStringList Opened;
};

class TFixedClock : public IClock {
public:
    QDateTime Now() const override { return Time; }
    QDateTime Time{QDate(2004, 3, 5), QTime(14, 30, 15)};
};

class TScriptedDialogs : public ISystemDialogs {
public:
    bool OpenFile(QWidget* parent, const QString& filter, QString& chosenPath) override;
    bool SaveFile(QWidget* parent, const QString& filter, const QString& suggested, QString& chosenPath) override;
    bool Folder(QWidget* parent, const QString& caption, QString& chosenPath) override;
    bool Print(QWidget* parent, QPrinter& printer) override;
    bool PrinterSetup(QWidget* parent, QPrinter& printer) override;
    bool Font(QWidget* parent, QFont& font, int minSize, int maxSize) override;

    // Empty means the user cancels.
    QString FileToChoose;
    QStringList OpenFilters;
    // Empty means the user cancels; the filters and captions offered are kept.
    QString FileToSave;
    QString FolderToChoose;
    QStringList SaveFilters;
    QStringList FolderCaptions;
    bool PrintAccepted = true;
    std::function<void(QPrinter&)> ConfigurePrinter; // runs when Print is accepted
    int PrintCalls = 0;
    int PrinterSetupCalls = 0;
    bool FontAccepted = false;
    QFont FontToChoose;
    QFont FontOffered;
    int FontMin = 0, FontMax = 0;
};

class TLoopbackNetwork : public INetwork {
public:
    uint64_t Get(const QUrl& url, const QByteArray& userAgent, int timeoutMs, TDone done) override;
    void Cancel(uint64_t request) override { Qt.Cancel(request); }

    QStringList Refused; // addresses of other hosts asked for
    TQtNetwork Qt;
};

class TScriptedPlatform {
public:
    TScriptedPlatform();
    ~TScriptedPlatform();
    TScriptedPlatform(const TScriptedPlatform&) = delete;
    TScriptedPlatform& operator=(const TScriptedPlatform&) = delete;

    TScriptedMessages Messages;
    TScriptedModal Modal;
    TScriptedShell Shell;
    TFixedClock Clock;
    TScriptedDialogs Dialogs;
    TLoopbackNetwork Network;
};
