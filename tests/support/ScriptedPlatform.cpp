#include "tests/support/ScriptedPlatform.h"

#include "platform/gui/Platform.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace {

QString Title()
{
    return QApplication::applicationDisplayName();
}

} // namespace

void TScriptedMessages::Information(const QString& text)
{
    Boxes.push_back({TRecordedBox::Information, Title(), text});
}

void TScriptedMessages::Error(const QString& text)
{
    Boxes.push_back({TRecordedBox::Error, Title(), text});
}

bool TScriptedMessages::Question(const QString& text)
{
    Boxes.push_back({TRecordedBox::Question, Title(), text});
    if (Answers.empty())
        return false;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
}

QStringList TScriptedMessages::Texts() const
{
    QStringList texts;
    for (const TRecordedBox& box : Boxes)
        texts << box.Text;
    return texts;
}

QStringList TScriptedMessages::Errors() const
{
    QStringList texts;
    for (const TRecordedBox& box : Boxes)
        if (box.Kind == TRecordedBox::Error)
            texts << box.Text;
    return texts;
}

int TScriptedModal::Exec(QDialog& dialog)
{
    Opened << dialog.windowTitle();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (!Actions.empty()) {
        TAction action = std::move(Actions.front());
        Actions.pop_front();
        action(dialog);
    }
    dialog.hide();
    return dialog.result();
}

bool TScriptedDialogs::OpenFile(QWidget*, const QString& filter, QString& chosenPath)
{
    OpenFilters << filter;
    if (FileToChoose.isEmpty())
        return false;
    chosenPath = FileToChoose;
    return true;
}

bool TScriptedDialogs::SaveFile(QWidget*, const QString& filter, const QString&, QString& chosenPath)
{
    SaveFilters << filter;
    if (FileToSave.isEmpty())
        return false;
    chosenPath = FileToSave;
    return true;
}

bool TScriptedDialogs::Folder(QWidget*, const QString& caption, QString& chosenPath)
{
    FolderCaptions << caption;
    if (FolderToChoose.isEmpty())
        return false;
    chosenPath = FolderToChoose;
    return true;
}

bool TScriptedDialogs::Print(QWidget*, QPrinter& printer)
{
    ++PrintCalls;
    if (PrintAccepted && ConfigurePrinter)
        ConfigurePrinter(printer);
    return PrintAccepted;
}

bool TScriptedDialogs::PrinterSetup(QWidget*, QPrinter&)
{
    ++PrinterSetupCalls;
    return true;
}

bool TScriptedDialogs::Font(QWidget*, QFont& font, int minSize, int maxSize)
{
    FontOffered = font;
    FontMin = minSize;
    FontMax = maxSize;
    if (!FontAccepted)
        return false;
    font = FontToChoose;
    return true;
}

TScriptedPlatform::TScriptedPlatform()
{
    TPlatform::SetMessages(&Messages);
    TPlatform::SetModal(&Modal);
    TPlatform::SetShell(&Shell);
    TPlatform::SetClock(&Clock);
    TPlatform::SetDialogs(&Dialogs);
    TPlatform::SetNetwork(&Network);
}

TScriptedPlatform::~TScriptedPlatform()
{
    TPlatform::SetMessages(nullptr);
    TPlatform::SetModal(nullptr);
    TPlatform::SetShell(nullptr);
    TPlatform::SetClock(nullptr);
    TPlatform::SetDialogs(nullptr);
    TPlatform::SetNetwork(nullptr);
}

uint64_t TLoopbackNetwork::Get(const QUrl& url, const QByteArray& userAgent, int timeoutMs, TDone done)
{
    if (url.host() == QLatin1String("127.0.0.1"))
        return Qt.Get(url, userAgent, timeoutMs, std::move(done));
    // Tests never reach the real network: the request fails as with no network.
    Refused << url.toString();
    QTimer::singleShot(0, [done] {
        TNetworkReply reply;
        reply.Failure = TNetworkReply::NoConnection;
        reply.Error = QStringLiteral("not reached from a test");
        done(reply);
    });
    return 0;
}
