#include "cli/commandline.h"

#include "finder/tableinfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <climits>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

using Mode = CommandLine::Mode;

constexpr unsigned bit(Mode mode)
{
    return 1u << unsigned(mode);
}

// The windowed game, however it starts: the only modes that need a display.
constexpr unsigned kGame = bit(Mode::Solo) | bit(Mode::Host) | bit(Mode::Join) | bit(Mode::Loading);

constexpr char kGameForm[] = "[--port N] [--no-announce] [--no-port-mapping] [--] [NAME HOST true|other]";

// A mode chosen by an option of its own; without one the program plays the
// windowed game with the positional values as its launch parameters.
struct ModeOption
{
    const char *name;
    Mode mode;
    const char *description;
    const char *form;           // its usage, after the program's name
    int values;                 // how many positional values it takes; kSome: one or more
    const char *valuesError;
};

constexpr int kSome = -1;

const ModeOption kModes[] = {
    {"serve", Mode::Serve, "Run a game host without a window (no display needed).",
     "--serve [--port N] [--pause 5|10|15] [--chat-limit N] [--table-name T] [--no-announce] [--no-port-mapping] "
     "[--directory-address A]...",
     0, "--serve takes no NAME or HOST."},
    {"directory", Mode::Directory,
     "Run a game directory, where hosts list their tables for players on the internet (no display needed).",
     "--directory [--port N] [--expiry-seconds N]", 0, "--directory takes no NAME or HOST."},
    {"robot", Mode::Robot,
     "Play as a computer player against the host HOST without a window (no display needed).",
     "--robot [--level easy|medium|hard] [--name N] HOST|CODE [--port N] [--directory-address A]...", 1,
     "--robot takes the address of the host, HOST."},
    {"list-games", Mode::ListGames,
     "Print the tables found on the local network and in the game directories, one a line with tab-separated "
     "fields (name, address, port, seats, spectators, state, source, and for a directory's table its code and "
     "reach), and exit.",
     "--list-games [--seconds N] [--directory-address A]...", 0, "--list-games takes no other arguments."},
    {"tally", Mode::Tally, "Print the player's tally and exit.", "--tally", 0, "--tally takes no other arguments."},
    {"history", Mode::History,
     "Print the recorded games, newest first, one a line (with --json one JSON object a game), and exit.",
     "--history [--last N] [--json]", 0, "--history takes no other arguments."},
    {"define", Mode::Define,
     "Print the meanings of each WORD from WordNet, one a line with tab-separated fields (word, part of "
     "speech, gloss), and exit: 0 when every word was found, 1 when one was not, 2 when WordNet's data is not "
     "installed.",
     "--define WORD...", kSome, "--define takes one or more words."},
    {"compress", Mode::Compress, "Compress file IN into OUT in the tally file's format.", "--compress IN OUT", 2,
     "--compress and --decompress take two files, IN and OUT."},
    {"decompress", Mode::Decompress, "Decompress file IN, made by --compress, into OUT.", "--decompress IN OUT", 2,
     "--compress and --decompress take two files, IN and OUT."},
};

// A setting: the modes it goes with, and how its value is read into the
// command line (the reason when the value will not do). A switch has no
// value name and reads an empty value.
struct SettingOption
{
    const char *name;
    const char *valueName;
    const char *description;
    unsigned modes;
    std::function<QString(const QString &value, CommandLine &line)> read;
};

std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

const QList<SettingOption> &settings()
{
    static const QList<SettingOption> table = {
        {"level", "level", "The computer player's strength: easy, medium or hard (default medium).",
         bit(Mode::Robot),
         [](const QString &value, CommandLine &line) {
             const std::optional<Strength> strength = strengthFromText(value);
             if (!strength)
                 return QStringLiteral("--level takes easy, medium or hard.");
             line.level = *strength;
             return QString();
         }},
        {"name", "N", "The computer player's name (default \"Robot (Medium)\", after its level).", bit(Mode::Robot),
         [](const QString &value, CommandLine &line) {
             if (value.trimmed().isEmpty())
                 return QStringLiteral("--name takes a name that is not empty.");
             line.robotName = value;
             return QString();
         }},
        {"port", "N",
         "The game's TCP port, for hosting, joining, --serve and --robot (default 7772); the directory's, for "
         "--directory (default 7773).",
         kGame | bit(Mode::Serve) | bit(Mode::Robot) | bit(Mode::Directory),
         [](const QString &value, CommandLine &line) {
             const std::optional<int> port = number(value, 1, 65535);
             if (!port)
                 return QStringLiteral("--port takes a number from 1 to 65535.");
             line.port = quint16(*port);
             return QString();
         }},
        {"pause", "seconds", "Seconds between frames of a headless host: 5, 10 or 15.", bit(Mode::Serve),
         [](const QString &value, CommandLine &line) {
             if (value != QLatin1String("5") && value != QLatin1String("10") && value != QLatin1String("15"))
                 return QStringLiteral("--pause takes 5, 10 or 15.");
             line.pauseSeconds = value.toInt();
             return QString();
         }},
        {"chat-limit", "N",
         "Chat lines, actions and chatter sounds a headless host relays per player per second, after a burst "
         "of 20 (default 10; 0: no limit).",
         bit(Mode::Serve),
         [](const QString &value, CommandLine &line) {
             const std::optional<int> limit = number(value, 0, INT_MAX);
             if (!limit)
                 return QStringLiteral("--chat-limit takes a number of lines per second, 0 for no limit.");
             line.chatLimit = *limit;
             return QString();
         }},
        {"table-name", "T",
         "The name the headless host's table is shown under on the local network (default \"HOST's table\", "
         "after this machine's name).",
         bit(Mode::Serve),
         [](const QString &value, CommandLine &line) {
             line.tableName = TableInfo::cleanName(value);
             if (line.tableName.isEmpty())
                 return QStringLiteral("--table-name takes a name that is not empty.");
             return QString();
         }},
        {"no-announce", nullptr, "Do not show a hosted table on the local network.", kGame | bit(Mode::Serve),
         [](const QString &, CommandLine &line) {
             line.announce = false;
             return QString();
         }},
        {"last", "N", "Print only the newest N games (--history).", bit(Mode::History),
         [](const QString &value, CommandLine &line) {
             const std::optional<int> last = number(value, 1, INT_MAX);
             if (!last)
                 return QStringLiteral("--last takes a number of games, 1 or more.");
             line.last = *last;
             return QString();
         }},
        {"json", nullptr, "Print each game as one JSON object a line, frames and words included (--history).",
         bit(Mode::History),
         [](const QString &, CommandLine &line) {
             line.json = true;
             return QString();
         }},
        {"no-port-mapping", nullptr,
         "Do not ask the local router to forward the port of a table shown on the local network.",
         kGame | bit(Mode::Serve),
         [](const QString &, CommandLine &line) {
             line.portMapping = false;
             return QString();
         }},
        {"seconds", "N", "How long --list-games looks for tables, in seconds (default 3).", bit(Mode::ListGames),
         [](const QString &value, CommandLine &line) {
             const std::optional<int> seconds = number(value, 0, 3600);
             if (!seconds)
                 return QStringLiteral("--seconds takes a number from 0 to 3600.");
             line.seconds = *seconds;
             return QString();
         }},
        {"directory-address", "host:port",
         "A game directory where a headless host lists its table, --list-games looks and --robot looks a code "
         "up (default port 7773); may be given more than once. Without it: PINLEX_DIRECTORY, else the player's "
         "list, else the build's.",
         bit(Mode::Serve) | bit(Mode::ListGames) | bit(Mode::Robot),
         [](const QString &value, CommandLine &line) {
             const std::optional<DirectoryAddress> address = DirectoryAddress::parse(value);
             if (!address)
                 return QStringLiteral("--directory-address takes HOST or HOST:PORT.");
             if (!line.directories.contains(*address))
                 line.directories << *address;
             return QString();
         }},
        {"expiry-seconds", "N",
         "Seconds of silence after which a directory drops a table (default 90).", bit(Mode::Directory),
         [](const QString &value, CommandLine &line) {
             const std::optional<int> seconds = number(value, 1, 24 * 3600);
             if (!seconds)
                 return QStringLiteral("--expiry-seconds takes a number of seconds from 1 to 86400.");
             line.expirySeconds = *seconds;
             return QString();
         }},
    };
    return table;
}

// "the game, --serve or --robot": where an option may be used.
QString modeNames(unsigned modes)
{
    QStringList names;
    if (modes & kGame)
        names << QStringLiteral("the game");
    for (const ModeOption &option : kModes) {
        if (modes & bit(option.mode))
            names << QStringLiteral("--") + QLatin1String(option.name);
    }
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

void setUp(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Pinlex, a bowling game of words for up to four players and five spectators.\n"
        "Without arguments it starts a solo game; the lobby starts it with the player's\n"
        "name, the host's address and \"true\" in the copy that hosts. After \"--\" they\n"
        "are taken as the name, the address and \"true\" even when they begin with \"-\"."));
    // "-port" is "--port"; an unknown "-Bob" is one unknown option, not three.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("The player's name."), QStringLiteral("[name"));
    parser.addPositionalArgument(QStringLiteral("host"), QStringLiteral("The address of the host to join."),
                                 QStringLiteral("host"));
    parser.addPositionalArgument(QStringLiteral("hosting"),
                                 QStringLiteral("\"true\" when this copy hosts the game."), QStringLiteral("true]"));
    for (const ModeOption &option : kModes)
        parser.addOption(QCommandLineOption(QLatin1String(option.name), QString::fromUtf8(option.description)));
    for (const SettingOption &option : settings()) {
        const QString name = QLatin1String(option.name);
        const QString description = QString::fromUtf8(option.description);
        parser.addOption(option.valueName ? QCommandLineOption(name, description, QLatin1String(option.valueName))
                                          : QCommandLineOption(name, description));
    }
}

// The mode the options alone choose (help and version before any other),
// and the error when they choose more than one.
Mode chosenMode(const QCommandLineParser &parser, QString *error)
{
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return Mode::Help;
    if (parser.isSet(QStringLiteral("version")))
        return Mode::Version;
    const ModeOption *chosen = nullptr;
    for (const ModeOption &option : kModes) {
        if (!parser.isSet(QLatin1String(option.name)))
            continue;
        if (chosen && error) {
            *error = QStringLiteral("--%1 and --%2 cannot be used together.")
                         .arg(QLatin1String(chosen->name), QLatin1String(option.name));
        }
        if (!chosen)
            chosen = &option;
    }
    return chosen ? chosen->mode : Mode::Solo;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUp(parser);
    CommandLine line;
    const auto failed = [&line](const QString &error) {
        line.error = error;
        return line;
    };
    if (!parser.parse(arguments))
        return failed(parser.errorText());
    QString error;
    line.mode = chosenMode(parser, &error);
    if (!error.isEmpty())
        return failed(error);
    if (line.mode == Mode::Help || line.mode == Mode::Version) {
        line.helpAll = parser.isSet(QStringLiteral("help-all"));
        return line;
    }

    const QStringList values = parser.positionalArguments();
    if (line.mode == Mode::Solo) {
        // The lobby's launch parameters; what follows the third is not ours.
        line.launchParameters = values;
        if (values.size() >= 3)
            line.mode = values[2] == QLatin1String("true") ? Mode::Host : Mode::Join;
        else if (!values.isEmpty())
            line.mode = Mode::Loading;
    } else {
        for (const ModeOption &option : kModes) {
            const bool fits = option.values == kSome ? !values.isEmpty() : values.size() == option.values;
            if (option.mode == line.mode && !fits)
                return failed(QString::fromUtf8(option.valuesError));
        }
    }

    for (const SettingOption &setting : settings()) {
        const QString name = QLatin1String(setting.name);
        if (!parser.isSet(name))
            continue;
        if (!(setting.modes & bit(line.mode)))
            return failed(QStringLiteral("--%1 is used only with %2.").arg(name, modeNames(setting.modes)));
        // A switch has no value; a setting may be given more than once.
        const QStringList given = setting.valueName ? parser.values(name) : QStringList{QString()};
        for (const QString &value : given) {
            if (const QString problem = setting.read(value, line); !problem.isEmpty())
                return failed(problem);
        }
    }

    switch (line.mode) {
    case Mode::Directory:
        if (!parser.isSet(QStringLiteral("port")))
            line.port = DirectoryAddress::kDefaultPort;
        break;
    case Mode::Robot:
        line.host = values[0];
        if (line.robotName.isEmpty())
            line.robotName = defaultRobotName(line.level);
        break;
    case Mode::Define:
        line.words = values;
        break;
    case Mode::Compress:
    case Mode::Decompress:
        line.input = values[0];
        line.output = values[1];
        break;
    default:
        break;
    }
    return line;
}

bool CommandLine::opensWindow() const
{
    return isValid() && (bit(mode) & kGame);
}

bool CommandLine::opensWindow(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUp(parser);
    // Unknown options here may be the toolkit's; parse() reports the rest.
    parser.parse(arguments.mid(0, toolkitArgumentCount(arguments)));
    return bit(chosenMode(parser, nullptr)) & kGame;
}

int CommandLine::toolkitArgumentCount(const QStringList &arguments)
{
    const qsizetype end = arguments.indexOf(QStringLiteral("--"), 1);
    return int(end < 0 ? arguments.size() : end);
}

QString CommandLine::usage()
{
    QStringList forms = {QLatin1String(kGameForm)};
    for (const ModeOption &option : kModes)
        forms << QLatin1String(option.form);
    forms << QStringLiteral("--help | --help-all | --version");
    return QStringLiteral("Usage: pinlex ") + forms.join(QStringLiteral("\n       pinlex ")) + QLatin1Char('\n');
}

void CommandLine::showHelp(bool all)
{
    QCommandLineParser parser;
    setUp(parser);
    const QString program = QCoreApplication::arguments().value(0, QStringLiteral("pinlex"));
    parser.process(QStringList{program, all ? QStringLiteral("--help-all") : QStringLiteral("--help")});
    std::exit(EXIT_SUCCESS); // process() has shown it and ended already
}
