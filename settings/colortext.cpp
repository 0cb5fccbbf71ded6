#include "settings/colortext.h"

#include "base/numbers.h"

#include <algorithm>
#include <array>

namespace colortext {

namespace {

struct Named
{
    const char *name;
    quint32 value;
};

constexpr std::array<Named, 16> kPlain = {{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
}};

// System colours in index order (the window side gives each its palette
// entry in the same order).
constexpr std::array<const char *, kSystemColours> kSystem = {
    "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption",
    "clMenu", "clWindow", "clWindowFrame", "clMenuText",
    "clWindowText", "clCaptionText", "clActiveBorder", "clInactiveBorder",
    "clAppWorkSpace", "clHighlight", "clHighlightText", "clBtnFace",
    "clBtnShadow", "clGrayText", "clBtnText", "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText",
    "clInfoBk",
};

constexpr const char *kNoneName = "clNone";

} // namespace

QString toText(quint32 value)
{
    for (const Named &named : kPlain) {
        if (named.value == value)
            return QLatin1String(named.name);
    }
    if (value >= kSystemColour && value - kSystemColour < kSystem.size())
        return QLatin1String(kSystem[value - kSystemColour]);
    if (value == kNone)
        return QLatin1String(kNoneName);
    return QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> fromText(const QString &text)
{
    const auto is = [&text](const char *name) { return text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    for (const Named &named : kPlain) {
        if (is(named.name))
            return named.value;
    }
    for (quint32 index = 0; index < kSystem.size(); ++index) {
        if (is(kSystem[index]))
            return kSystemColour + index;
    }
    if (is(kNoneName))
        return kNone;

    if (text.startsWith(QLatin1Char('$'))) {
        const QStringView digits = QStringView(text).mid(1);
        bool ok = false;
        const uint value = digits.toUInt(&ok, 16);
        // toUInt would also take blanks and a sign; only plain digits count.
        const bool plain = std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        });
        if (ok && plain && !digits.isEmpty())
            return quint32(value);
        return std::nullopt;
    }
    int value = 0;
    if (tryStrToInt(text.toLatin1(), &value))
        return quint32(value);
    return std::nullopt;
}

} // namespace colortext
