// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers of the lists: names of definitions, shortened labels, memo texts.
#include "Korund_utils.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct cTextCase {
    const char* input;
    const char* expected;
};

TEST(DefinitionName, KeepsPrintableHeadBeforeFirstEquals) {
    const cTextCase cases[] = {
        {"f(x, y) = x*y", "f(x,y)"},
        {"g = 9.80665", "g"},
        {"no equals here", "noequalshere"},
        {"a=b=c", "a"},
        {"=5", ""},
        {"", ""},
        {"\tpi2\r\n=6.28\r\n", "pi2"},
        {"x\x7F\xC3\xA4y=1", "xy"}, // DEL and bytes from 0x80 up are dropped
        {"!~ok=1", "!~ok"},         // the printable range ends are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefinitionName(c.input), c.expected) << c.input;
}

TEST(ShortenForList, CutsTextsLongerThanFifteen) {
    const cTextCase cases[] = {
        {"", ""},
        {"x(t)", "x(t)"},
        {"invnormloc(x)", "invnormloc(x)"},      // 13
        {"abcdefghijklmno", "abcdefghijklmno"},  // exactly 15
        {"abcdefghijklmnop", "abcdefghij[...]"}, // 16
        {"cylindervol(r,h)", "cylindervo[...]"},
        {"sum(<var index>,<from>,<to>,<expression>)", "sum(<var i[...]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenForList(c.input), c.expected) << c.input;
}

TEST(MemoToEngine, EndsEveryLineWithCrLf) {
    const cTextCase cases[] = {
        {"", ""},
        {"g=9.8", "g=9.8\r\n"},
        {"g=9.8\n", "g=9.8\r\n"},
        {"one\ntwo", "one\r\ntwo\r\n"},
        {"one\n\nthree", "one\r\n\r\nthree\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MemoToEngine(QString::fromUtf8(c.input)), c.expected);
}

TEST(EngineToMemo, RoundTripsThroughMemoText) {
    for (const char* memo : {"", "g=9.8", "one\ntwo", "one\n\nthree",
                             "gr\xC3\xB6\xC3\x9F"
                             "e"}) {
        const QByteArray engine = MemoToEngine(QString::fromUtf8(memo));
        tOwnedText copy(new char[static_cast<size_t>(engine.size()) + 1]);
        std::memcpy(copy.get(), engine.constData(), static_cast<size_t>(engine.size()) + 1);
        EXPECT_EQ(EngineToMemo(copy), QString::fromUtf8(memo));
    }
    EXPECT_EQ(EngineToMemo(tOwnedText()), QString());
}

} // namespace
