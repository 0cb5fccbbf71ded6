#pragma once

// The field layer both message files share: a message is built and read
// field by field here, and nowhere else. Internal to protocol/.

#include "base/numbers.h"
#include "net/framing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QLoggingCategory>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcMessages)

namespace msg::fields {

// Builds the payload field by field.
class Writer
{
public:
    explicit Writer(const char *command) : m_out(command) { m_out += '+'; }

    Writer &field(int value)
    {
        separate();
        m_out += QByteArray::number(value);
        return *this;
    }
    Writer &field(QByteArrayView text)
    {
        separate();
        m_out += text;
        return *this;
    }
    // A flag, "t" or "f".
    Writer &flag(bool value) { return field(value ? QByteArrayView("t") : QByteArrayView("f")); }
    // The '+' some messages end with.
    Writer &trailingPlus()
    {
        m_out += '+';
        return *this;
    }
    QByteArray done()
    {
        // A 0xFF inside a text would end the message early.
        m_out.replace(wire::kTerminator, '?');
        m_out += wire::kTerminator;
        return std::move(m_out);
    }

private:
    void separate()
    {
        if (m_first)
            m_first = false;
        else
            m_out += '+';
    }

    QByteArray m_out;
    bool m_first = true;
};

// The field loop: the text before the next '+' is a field; the last field
// is the whole remainder.
class Reader
{
public:
    explicit Reader(QByteArrayView payload) : m_rest(payload) {}

    QByteArrayView take()
    {
        const qsizetype plus = m_rest.indexOf('+');
        if (plus < 0) {
            m_exhausted = true;
            return std::exchange(m_rest, QByteArrayView());
        }
        const QByteArrayView field = m_rest.first(plus);
        m_rest = m_rest.sliced(plus + 1);
        return field;
    }
    int takeInt() { return strToInt(take()); }
    // A field that must hold a number in [low, high].
    std::optional<int> takeInt(int low, int high)
    {
        const int value = takeInt();
        if (value < low || value > high)
            return std::nullopt;
        return value;
    }
    // A flag: "t" or "f", anything else is malformed.
    std::optional<bool> takeFlag()
    {
        const QByteArrayView text = take();
        if (text == "t")
            return true;
        if (text == "f")
            return false;
        return std::nullopt;
    }
    QByteArrayView rest() const { return m_rest; }
    // The last field was taken: no '+' followed it.
    bool exhausted() const { return m_exhausted; }
    // No field is left: every one was taken, or only a trailing '+' was.
    bool atEnd() const { return m_exhausted || m_rest.isEmpty(); }

private:
    QByteArrayView m_rest;
    bool m_exhausted = false;
};

inline QList<QByteArrayView> split(QByteArrayView text, char separator)
{
    QList<QByteArrayView> parts;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator)) {
        parts << text.first(at);
        text = text.sliced(at + 1);
    }
    parts << text;
    return parts;
}

// A one-time value of the reachability probe: hex digits, of a length
// that no guess finds.
inline constexpr int kMinToken = 16;
inline constexpr int kMaxToken = 64;
inline bool isToken(QByteArrayView text)
{
    if (text.size() < kMinToken || text.size() > kMaxToken)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

template <typename Variant>
using Parser = std::function<std::optional<Variant>(Reader &)>;

// Wraps a parser of one message into one of the side's variant.
template <typename Variant, typename M>
Parser<Variant> as(std::optional<M> (*parse)(Reader &))
{
    return [parse](Reader &f) -> std::optional<Variant> {
        if (std::optional<M> m = parse(f))
            return Variant(std::move(*m));
        return std::nullopt;
    };
}

template <typename Variant, typename M>
Parser<Variant> empty()
{
    return [](Reader &) -> std::optional<Variant> { return Variant(M{}); };
}

template <typename Variant>
std::optional<Variant> read(QByteArrayView line, const std::vector<std::pair<QByteArrayView, Parser<Variant>>> &table)
{
    const qsizetype plus = line.indexOf('+');
    if (plus <= 0)
        return std::nullopt; // empty line, no '+', or no command name
    const QByteArrayView name = line.first(plus);
    for (const auto &[command, parse] : table) {
        if (command != name)
            continue;
        Reader payload(line.sliced(plus + 1));
        std::optional<Variant> message = parse(payload);
        if (!message)
            qCDebug(lcMessages).noquote() << "malformed" << QString::fromLatin1(line);
        return message;
    }
    qCDebug(lcMessages).noquote() << "unknown command" << QString::fromLatin1(name);
    return std::nullopt;
}

} // namespace msg::fields
