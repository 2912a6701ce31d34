#include "platform/print/PrintQueue.h"

#include "platform/gui/EPrinterError.h"
#include "platform/print/Cups.h"

#include <QPrinter>

#include <cstring>

namespace {

// The server's answers that mean it could not be asked at all.
bool Unreachable(ipp_status_t status)
{
    return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL ||
           status == IPP_STATUS_ERROR_TIMEOUT;
}

} // namespace

bool TPrintQueue::IsQueue(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty();
}

std::string TPrintQueue::Message(const QString& printerName, const std::string& reason)
{
    const QString name = printerName.isEmpty() ? QStringLiteral("(default)") : printerName;
    return "Printer \"" + name.toStdString() + "\": " + reason;
}

void TPrintQueue::RequireAccepting(const QString& printerName)
{
    const TCups* cups = TCups::Get();
    if (!cups)
        return;
    // Qt names a queue's instance as "queue/instance"; an empty name is the
    // default queue.
    const QByteArray name = printerName.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray instance = printerName.section(QLatin1Char('/'), 1).toLocal8Bit();

    http_t* http = cups->Connect(cups->Server(), cups->Port(), nullptr, AF_UNSPEC, cups->Encryption(), 1,
                                 ConnectMilliseconds, nullptr);
    if (!http)
        throw EPrinterError(Message(printerName, "print server not reachable"));
    cups->SetTimeout(http, AnswerSeconds, nullptr, nullptr);
    cups_dest_t* dest = cups->GetNamedDest(http, name.isEmpty() ? nullptr : name.constData(),
                                           instance.isEmpty() ? nullptr : instance.constData());
    if (!dest) {
        const ipp_status_t status = cups->LastError();
        cups->Close(http);
        throw EPrinterError(Message(printerName, Unreachable(status) ? "print server not reachable" : "not found"));
    }
    const char* accepting = cups->GetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && std::strcmp(accepting, "false") == 0;
    cups->FreeDests(1, dest);
    cups->Close(http);
    if (refuses)
        throw EPrinterError(Message(printerName, "not accepting jobs"));
}

void TPrintQueue::RequireSubmitted(const QString& printerName)
{
    const TCups* cups = TCups::Get();
    if (!cups)
        return;
    const ipp_status_t status = cups->LastError();
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return;
    const char* text = cups->LastErrorString();
    const std::string reason = status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS ? "not accepting jobs"
                               : status == IPP_STATUS_ERROR_NOT_FOUND        ? "not found"
                               : Unreachable(status)                         ? "print server not reachable"
                                                                             : "the print server refused the job";
    throw EPrinterError(Message(printerName, reason + (text && *text ? std::string(" (") + text + ")" : "")));
}
