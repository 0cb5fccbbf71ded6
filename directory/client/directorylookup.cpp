#include "directory/client/directorylookup.h"

#include "base/numbers.h"
#include "protocol/joincode.h"
#include "net/connection.h"
#include "net/tsock.h"

std::optional<ListedTable> ListedTable::fromItem(const msg::DirItem &item)
{
    const QHostAddress address(QString::fromLatin1(item.address));
    if (address.isNull() || item.port <= 0 || item.port > 65535)
        return std::nullopt;
    ListedTable listed;
    listed.code = QString::fromLatin1(item.code);
    listed.reach = item.reach;
    TableInfo &table = listed.table;
    table.name = TableInfo::cleanName(QString::fromUtf8(item.name));
    table.address = address;
    table.port = quint16(item.port);
    table.seatsTaken = qBound(0, item.seats, TableInfo::kSeats);
    table.spectators = qBound(0, item.spectators, TableInfo::kSpectatorSeats);
    table.state = item.playing ? TableInfo::State::Playing : TableInfo::State::Waiting;
    table.protocolVersion = item.version;
    table.source = TableInfo::Source::Directory;
    table.code = listed.code;
    switch (item.reach) {
    case msg::Reach::Checking: table.reach = TableInfo::Reach::Checking; break;
    case msg::Reach::Direct: table.reach = TableInfo::Reach::Direct; break;
    case msg::Reach::Unreachable: table.reach = TableInfo::Reach::Unreachable; break;
    case msg::Reach::Relayed: table.reach = TableInfo::Reach::Relayed; break;
    }
    return listed;
}

DirectoryLookup::DirectoryLookup(const DirectoryAddress &directory, QObject *parent)
    : QObject(parent), m_directory(directory), m_queue(this)
{
    m_clock.start();
    m_queue.setHandler([this](const QByteArray &line, quint64) { received(line); });
    m_queue.setEndHandler([this](quint64 connection) {
        if (!m_connection || m_connection->id() != connection)
            return;
        const bool waiting = !m_asked.empty() || !m_unsent.empty();
        m_up = false;
        std::exchange(m_connection, nullptr)->deleteLater();
        if (waiting)
            fail(QStringLiteral("the directory closed the connection"));
    });
    m_listTimer.setSingleShot(true);
    connect(&m_listTimer, &QTimer::timeout, this, [this] {
        if (const std::optional<msg::DirList> held = std::exchange(m_heldList, std::nullopt))
            list(*held);
    });
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] { fail(QStringLiteral("the directory did not answer")); });
}

DirectoryLookup::~DirectoryLookup()
{
    delete std::exchange(m_connection, nullptr);
}

void DirectoryLookup::list(const msg::DirList &request)
{
    const qint64 now = m_clock.elapsed();
    if (m_lastListMs >= 0 && now - m_lastListMs < m_minListIntervalMs) {
        m_heldList = request;
        if (!m_listTimer.isActive())
            m_listTimer.start(int(m_lastListMs + m_minListIntervalMs - now));
        return;
    }
    m_lastListMs = now;
    ask({true, msg::encode(request), QString()});
}

void DirectoryLookup::resolve(const QString &code)
{
    const QByteArray normalised = joincode::normalised(code.toLatin1());
    if (normalised.isEmpty()) {
        // Not a code at all: no directory has it.
        QTimer::singleShot(0, this, [this, code] { emit notFound(code); });
        return;
    }
    ask({false, msg::encode(msg::DirResolve{normalised}), code});
}

void DirectoryLookup::close()
{
    m_unsent.clear();
    m_asked.clear();
    m_page.clear();
    m_heldList.reset();
    m_listTimer.stop();
    m_timeout.stop();
    m_up = false;
    if (m_connection) {
        m_connection->close();
        delete std::exchange(m_connection, nullptr);
    }
}

void DirectoryLookup::ask(Request request)
{
    m_unsent.push_back(std::move(request));
    if (!m_timeout.isActive())
        m_timeout.start();
    if (m_up)
        sendWaiting();
    else if (!m_connection)
        open();
}

void DirectoryLookup::open()
{
    m_connection = new Connection(&m_queue, this);
    connect(m_connection, &Connection::connected, this, [this] {
        m_up = true;
        sendWaiting();
    });
    connect(m_connection, &Connection::connectFailed, this, [this](const QString &reason) {
        std::exchange(m_connection, nullptr)->deleteLater();
        fail(reason);
    });
    m_connection->open(m_directory.host, QString::number(m_directory.port));
}

void DirectoryLookup::sendWaiting()
{
    while (!m_unsent.empty()) {
        Request request = std::move(m_unsent.front());
        m_unsent.pop_front();
        try {
            m_connection->send(request.bytes);
        } catch (const ESockException &) {
            return;   // the end follows and reports it
        }
        m_asked.push_back(std::move(request));
    }
}

void DirectoryLookup::received(const QByteArray &line)
{
    std::optional<msg::FromDirectory> message;
    try {
        message = msg::readFromDirectory(line);
    } catch (const EConvertError &) {
        return;
    }
    if (!message || m_asked.empty())
        return;
    const Request &request = m_asked.front();
    if (const auto *item = std::get_if<msg::DirItem>(&*message)) {
        if (request.isList && m_page.size() < kMaxItems) {
            if (const std::optional<ListedTable> table = ListedTable::fromItem(*item))
                m_page << *table;
        }
        return;
    }
    const bool ends = (request.isList && std::holds_alternative<msg::DirPage>(*message))
                      || (!request.isList
                          && (std::holds_alternative<msg::DirFound>(*message)
                              || std::holds_alternative<msg::DirNotFound>(*message)));
    if (!ends)
        return;
    const QString code = request.code;
    m_asked.pop_front();
    if (m_asked.empty() && m_unsent.empty())
        m_timeout.stop();
    else
        m_timeout.start();
    if (const auto *page = std::get_if<msg::DirPage>(&*message)) {
        emit listed(std::exchange(m_page, {}), page->page, page->more);
    } else if (const auto *found = std::get_if<msg::DirFound>(&*message)) {
        if (const std::optional<ListedTable> table = ListedTable::fromItem(found->item))
            emit resolved(*table);
        else
            emit notFound(code);
    } else {
        emit notFound(code);
    }
}

void DirectoryLookup::fail(const QString &reason)
{
    const bool waiting = !m_asked.empty() || !m_unsent.empty();
    close();
    if (waiting)
        emit failed(reason);
}
