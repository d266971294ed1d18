// SPDX-License-Identifier: GPL-3.0-or-later
// Free functions of the formula parser. Stretches of text are given by
// pointers to their first and last character (inclusive).
#pragma once

#include <memory>

// New text with every byte outside 0x21..0x7E removed.
std::unique_ptr<char[]> StripFormula(const char* text);
bool IsNameChar(char c);   // a..z and _
bool IsNumberChar(char c); // A..Z, 0..9 and .
// Position of the ( matching the ) at pos; throws feErrBrackets.
const char* MatchOpenBackward(const char* first, const char* pos);
// Position of the ) matching the ( at pos; throws feErrBrackets.
const char* MatchCloseForward(const char* pos, const char* last);
// Rightmost c1 or c2 outside brackets, or null.
const char* FindOperatorBackward(const char* first, const char* last, char c1, char c2);
// Leftmost c outside brackets, or null.
const char* FindCharForward(const char* first, const char* last, char c);
// Replaces, in place, every standalone parameter letter of body by its
// positional letter: the k-th letter of params (zero-terminated) becomes 'a'+k.
void SubstituteParameters(char* body, const char* params);
