#pragma once

#include "chat/chatline.h"
#include "settings/settings.h"

#include <QColor>
#include <QString>
#include <QFont>

#include <array>

// One text style of the chat view: font, size, colour, attributes, and
// whether text in it is a link.
struct TextStyle
{
    QString fontName = QStringLiteral("Arial");
    int pointSize = 10;
    QColor colour = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool link = false;

    QFont font() const;
    // Whether text in either style takes the same room.
    bool sameMetrics(const TextStyle &other) const;
    bool operator==(const TextStyle &) const = default;
};

// The chat view's style set (RVStyle1). Every item of the view is drawn in
// one of these; a change to a style shows on every item drawn in it.
class ChatStyles
{
public:
    static constexpr int kCount = chatcodes::kStyles;
    static constexpr int kSystem = chatcodes::kSystemStyle;
    static constexpr int kLink = chatcodes::kLinkStyle;
    static constexpr int kMinPointSize = Settings::kMinTextSize;
    static constexpr int kMaxPointSize = Settings::kMaxTextSize;

    ChatStyles();   // the design state

    TextStyle &operator[](int index) { return m_styles.at(index); }
    const TextStyle &operator[](int index) const { return m_styles.at(index); }

    // Every style at once; sizes outside what a font can show are clamped.
    void setPointSize(int points);

    bool operator==(const ChatStyles &) const = default;

private:
    std::array<TextStyle, kCount> m_styles;
};
