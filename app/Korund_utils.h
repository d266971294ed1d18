// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers shared by the palettes and the library editor.
#pragma once

#include "cFormulaEngine.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

// The definition's printable characters (0x21..0x7E) up to the first '='.
std::string DefinitionName(std::string_view text);
// More than 15 characters: the first 10 followed by "[...]".
std::string ShortenForList(std::string_view text);

// A text returned by the engine for display; null is the empty text.
QString EngineText(const tOwnedText& text);
// The label of a definition in the lists: ShortenForList(DefinitionName(...)).
QString ListLabel(const char* definition);
QString ListLabel(const tOwnedText& definition);
// A memo's text as the engine stores it: each line followed by CR LF.
QByteArray MemoToEngine(const QString& memoText);
// An engine text for a memo: CR LF become line breaks, the final one dropped.
QString EngineToMemo(const tOwnedText& text);
