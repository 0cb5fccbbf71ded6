#include "client/playchoice.h"

#include "settings/inifile.h"

#include <QRegularExpression>

#include <pwd.h>
#include <unistd.h>

namespace {

// Launch parameters travel as separate arguments, but a name or address
// with control characters has no business on a command line.
QString cleaned(const QString &text)
{
    QString out = text.trimmed();
    out.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]")));
    return out;
}

} // namespace

QString PlayChoice::accountName()
{
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER", QStringLiteral("Player"));
}

PlayChoice PlayChoice::load(const IniFile &file, const QString &section, const QString &runningName)
{
    PlayChoice choice;
    for (const QString &name : {file.readString(section, u"Playername", QString()), runningName, accountName()}) {
        choice.name = cleaned(name).left(kMaxName);
        if (!choice.name.isEmpty())
            break;
    }
    choice.hosting = file.readString(section, u"Playhosting", QStringLiteral("1")) != QLatin1String("0");
    for (int n = 1; n <= kRecentHosts; ++n) {
        const QString host = cleaned(file.readString(section, QStringLiteral("Joinhost%1").arg(n), QString()));
        if (!host.isEmpty() && !choice.recentHosts.contains(host))
            choice.recentHosts << host;
    }
    choice.host = choice.recentHosts.value(0);
    choice.announce = file.readString(section, u"Playannounce", QStringLiteral("1")) != QLatin1String("0");
    choice.portMapping = file.readString(section, u"Playportmapping", QStringLiteral("1")) != QLatin1String("0");
    const int port = file.readInteger(section, u"Playport", kDefaultPort);
    choice.port = port >= 1 && port <= 65535 ? quint16(port) : kDefaultPort;
    return choice;
}

void PlayChoice::save(IniFile &file, const QString &section) const
{
    QStringList hosts = recentHosts;
    if (!hosting && !host.isEmpty()) {
        hosts.removeAll(host);
        hosts.prepend(host);
    }
    IniFile::Entries entries = {{QStringLiteral("Playername"), name},
                                {QStringLiteral("Playhosting"), hosting ? QStringLiteral("1") : QStringLiteral("0")},
                                {QStringLiteral("Playport"), QString::number(port)},
                                {QStringLiteral("Playannounce"), announce ? QStringLiteral("1") : QStringLiteral("0")},
                                {QStringLiteral("Playportmapping"),
                                 portMapping ? QStringLiteral("1") : QStringLiteral("0")}};
    for (int n = 1; n <= kRecentHosts; ++n)
        entries.append({QStringLiteral("Joinhost%1").arg(n), hosts.value(n - 1)});
    file.writeStrings(section, entries);
}

QString PlayChoice::problem() const
{
    if (cleaned(name).isEmpty())
        return QStringLiteral("Please enter the name to play under.");
    if (!hosting && cleaned(host).isEmpty())
        return QStringLiteral("Please enter the address of the computer that hosts the game.");
    if (port == 0)
        return QStringLiteral("Please choose a port from 1 to 65535.");
    return {};
}

QStringList PlayChoice::launchArguments() const
{
    // The options first and "--" after them: the name and the address are
    // then taken as they are, even one that begins with "-".
    QStringList arguments = {QStringLiteral("--port"), QString::number(port)};
    // A table kept off the local network is not opened to the internet
    // either.
    if (hosting && !announce)
        arguments << QStringLiteral("--no-announce");
    else if (hosting && !portMapping)
        arguments << QStringLiteral("--no-port-mapping");
    return arguments + QStringList{QStringLiteral("--"), cleaned(name).left(kMaxName),
                                   hosting ? QStringLiteral("127.0.0.1") : cleaned(host),
                                   hosting ? QStringLiteral("true") : QStringLiteral("other")};
}
