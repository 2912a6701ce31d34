// TCsvCommand: the command line of volumnia-csv. Reads the arguments, runs the
// export or the import in the working folder and gives the exit code: 0 done,
// 1 refused (the reason on standard error), 2 a usage error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class TCsvCommand {
public:
    enum ExitCode { Done = 0, Refused = 1, Usage = 2 };

    // arguments: without the program's name, in the local 8-bit encoding.
    static int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

    static const char* HelpText();
    // Whether the command draws (a PDF), so that the program needs Qt's
    // painting and fonts and not only its core.
    static bool NeedsGui(const std::vector<std::string>& arguments);
};
