#include "app/CommandLine.h"

#include <cstdio>

namespace app {

namespace {

// Options QApplication takes for itself: those with a value, then those
// without one. Qt accepts them with one dash or two.
const char* const qtOptionsWithValue[] = {"platform",
                                          "platformpluginpath",
                                          "platformtheme",
                                          "plugin",
                                          "qwindowgeometry",
                                          "qwindowicon",
                                          "qwindowtitle",
                                          "display",
                                          "geometry",
                                          "style",
                                          "stylesheet",
                                          "session",
                                          "name",
                                          "title",
                                          "visual",
                                          "qmljsdebugger"};
const char* const qtFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount", "testability"};

template <size_t N> bool among(const QString& name, const char* const (&names)[N]) {
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
            result.action = CommandLine::Action::Version;
            return result;
        }
        QString name = arg;
        if (name.startsWith(QLatin1String("--")))
            name.remove(0, 1);
        if (name.size() > 1 && name.startsWith(QLatin1Char('-'))) {
            name.remove(0, 1);
            const int eq = name.indexOf(QLatin1Char('='));
            const bool inlineValue = eq >= 0;
            if (inlineValue)
                name.truncate(eq);
            if (among(name, qtOptionsWithValue)) {
                if (!inlineValue)
                    ++i; // its value
                continue;
            }
            if (!inlineValue && among(name, qtFlags))
                continue;
        }
        result.action = CommandLine::Action::UsageError;
        result.offending = arg;
        return result;
    }
    return result;
}

QString helpText() {
    return QStringLiteral(
        "Usage: orvanta [OPTION]...\n"
        "Capture pages and ID cards from a USB document camera.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "\n"
        "Qt's own options (-platform, -display, -style, ...) are accepted too.\n"
        "A second start brings the running window to the front.\n"
        "\n"
        "Environment:\n"
        "  ORVANTA_VIRTUAL_CAMERAS=N  offer N virtual cameras beside real ones\n"
        "  QT_LOGGING_RULES           e.g. \"orvanta.*=false\" silences the log on\n"
        "                             standard error\n"
        "\n"
        "Settings: ~/Documents/Orvanta/orvconf.ini\n");
}

QString versionText() {
    return QStringLiteral("orvanta " ORVANTA_VERSION "\n");
}

QString usageErrorText(const QString& offending) {
    return QStringLiteral("orvanta: unrecognised argument '%1'\n"
                          "Usage: orvanta [--help] [--version]\n")
        .arg(offending);
}

int answerCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Run:
        return -1;
    case CommandLine::Action::Help:
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::UsageError:
        std::fputs(usageErrorText(line.offending).toLocal8Bit().constData(), stderr);
        return 2;
    }
    return -1;
}

} // namespace app
