// SPDX-License-Identifier: GPL-3.0-or-later
#include "Korund_utils.h"

#include <QStringList>

std::string DefinitionName(std::string_view text) {
    std::string name;
    name.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E)
            continue;
        if (c == '=')
            break;
        name.push_back(c);
    }
    return name;
}

std::string ShortenForList(std::string_view text) {
    if (text.size() <= 15)
        return std::string(text);
    return std::string(text.substr(0, 10)) + "[...]";
}

QString EngineText(const tOwnedText& text) { return text ? QString::fromUtf8(text.get()) : QString(); }

QString ListLabel(const char* definition) {
    return QString::fromStdString(ShortenForList(DefinitionName(definition ? definition : "")));
}

QString ListLabel(const tOwnedText& definition) { return ListLabel(definition.get()); }

QByteArray MemoToEngine(const QString& memoText) {
    QStringList lines = memoText.split(QLatin1Char('\n'));
    // A trailing line break (or an empty memo) does not start another line.
    if (lines.last().isEmpty())
        lines.removeLast();
    QByteArray text;
    for (const QString& line : lines) {
        QString l = line;
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        text += l.toUtf8();
        text += "\r\n";
    }
    return text;
}

QString EngineToMemo(const tOwnedText& text) {
    QString memo = EngineText(text);
    memo.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (memo.endsWith(QLatin1Char('\n')))
        memo.chop(1);
    return memo;
}
