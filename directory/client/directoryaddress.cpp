#include "directory/client/directoryaddress.h"

#include <QRegularExpression>

#ifndef PINLEX_DEFAULT_DIRECTORY
#define PINLEX_DEFAULT_DIRECTORY ""
#endif

QString DirectoryAddress::toString() const
{
    const QString shown = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shown + QLatin1Char(':') + QString::number(port);
}

std::optional<DirectoryAddress> DirectoryAddress::parse(QStringView text)
{
    text = text.trimmed();
    DirectoryAddress address;
    QStringView port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        address.host = text.sliced(1, close - 1).toString();
        const QStringView rest = text.sliced(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        port = rest.isEmpty() ? QStringView() : rest.sliced(1);
        if (!rest.isEmpty() && port.isEmpty())
            return std::nullopt;
    } else if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        address.host = text.first(colon).toString();
        port = text.sliced(colon + 1);
        if (port.isEmpty())
            return std::nullopt;
    } else {
        address.host = text.toString();   // a name, an IPv4 address or a bare IPv6 address
    }
    static const QRegularExpression hostPattern(QStringLiteral("^[A-Za-z0-9._:%-]{1,253}$"));
    if (!hostPattern.match(address.host).hasMatch() || address.host.startsWith(QLatin1Char('-')))
        return std::nullopt;
    if (!port.isNull()) {
        bool ok = false;
        const uint number = port.toUInt(&ok);
        if (!ok || number == 0 || number > 65535)
            return std::nullopt;
        address.port = quint16(number);
    }
    return address;
}

QList<DirectoryAddress> DirectoryAddress::parseList(QStringView text, QStringList *bad)
{
    QList<DirectoryAddress> addresses;
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (const QString &part : text.toString().split(separators, Qt::SkipEmptyParts)) {
        if (const std::optional<DirectoryAddress> address = parse(part)) {
            if (!addresses.contains(*address))
                addresses << *address;
        } else if (bad) {
            *bad << part;
        }
    }
    return addresses;
}

QString DirectoryAddress::builtIn()
{
    return QStringLiteral(PINLEX_DEFAULT_DIRECTORY);
}

QList<DirectoryAddress> DirectoryAddress::inUse(const QList<DirectoryAddress> &given,
                                                const std::optional<QString> &saved, QStringList *bad)
{
    if (!given.isEmpty())
        return given;
    if (qEnvironmentVariableIsSet("PINLEX_DIRECTORY"))
        return parseList(qEnvironmentVariable("PINLEX_DIRECTORY"), bad);
    if (saved)
        return parseList(*saved, bad);
    return parseList(builtIn(), bad);
}
