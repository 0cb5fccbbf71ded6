#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringView>

#include <optional>

// Where a game directory listens: "host", "host:port" or "[IPv6]:port"; the
// port is 7773 when none is given.
struct DirectoryAddress
{
    static constexpr quint16 kDefaultPort = 7773;

    QString host;
    quint16 port = kDefaultPort;

    QString toString() const;
    bool operator==(const DirectoryAddress &) const = default;

    static std::optional<DirectoryAddress> parse(QStringView text);
    // A list separated by commas or blanks, as PINLEX_DIRECTORY holds it;
    // what is not an address goes into bad.
    static QList<DirectoryAddress> parseList(QStringView text, QStringList *bad = nullptr);

    // The directories this run uses: those given for the run (on the command
    // line), else those of PINLEX_DIRECTORY when it is set (empty: none),
    // else the player's saved list when there is one, else the one the
    // build names (none unless built with -DPINLEX_DEFAULT_DIRECTORY).
    static QList<DirectoryAddress> inUse(const QList<DirectoryAddress> &given, const std::optional<QString> &saved,
                                         QStringList *bad = nullptr);
    // The build's directory list, as text; usually empty.
    static QString builtIn();
};

Q_DECLARE_METATYPE(DirectoryAddress)
