#pragma once

#include <QString>
#include <QStringList>

// The program's command line, read before any window or display is opened:
// --help and --version answer on standard output, anything not understood
// (neither ours nor one of Qt's own options) is a usage error.
namespace app {

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    QString offending; // the argument not understood (UsageError)
};

// The arguments after the program name.
CommandLine parseCommandLine(const QStringList& arguments);

QString helpText();
QString versionText();
QString usageErrorText(const QString& offending);

// Parses argv; when the program is not to run, prints the answer (help and
// version on standard output, a usage error on standard error) and returns
// the exit status (0, or 2 for a usage error). Returns -1 to run.
int answerCommandLine(int argc, char** argv);

} // namespace app
