// A print queue of the CUPS server as a print run sees it. Qt's CUPS engine
// hands the finished document to the server when the painter ends and does
// not look at the answer, so a queue that is gone, refuses jobs or cannot be
// reached would lose the list without a word. The queue is therefore asked
// before the document begins, and the server's answer to the submission is
// read after it ends; both raise EPrinterError naming the printer and why.
#pragma once

#include <QString>

#include <string>

class QPrinter;

class TPrintQueue {
public:
    // Bounds on the waits for the server, so that no print run hangs on it.
    static constexpr int ConnectMilliseconds = 5000;
    static constexpr double AnswerSeconds = 10.0;

    // Whether the document goes to a print queue (not to a file).
    static bool IsQueue(const QPrinter& printer);

    // The queue exists and takes jobs; raises "not found", "not accepting
    // jobs" or "print server not reachable". Nothing is asked without CUPS.
    static void RequireAccepting(const QString& printerName);
    // The server took the document just submitted on this thread.
    static void RequireSubmitted(const QString& printerName);

    // The message for a printer and a reason: Printer "name": reason
    static std::string Message(const QString& printerName, const std::string& reason);
};
