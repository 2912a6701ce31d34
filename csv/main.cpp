// Entry of volumnia-csv: the command line of TCsvCommand on standard output
// and standard error. Qt Core only; it never opens a window.
#include "csv/CsvCommand.h"

#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("volumnia-csv"));
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int code = TCsvCommand::Run(arguments, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
