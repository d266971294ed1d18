// SPDX-License-Identifier: GPL-3.0-or-later
// Where a formula fails, as a selection of the formula field: the engine
// counts bytes of UTF-8, the field UTF-16 code units.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

struct tFieldStretch {
    int start = 0;
    int length = 0;
    bool operator==(const tFieldStretch&) const = default;
};

// Bytes first..last (inclusive) of utf8 in positions of the same text as a QString.
tFieldStretch FieldStretch(const QByteArray& utf8, int32_t first, int32_t last);
// The first character that no formula may hold (FindForeignChar); none in a clean text.
std::optional<tFieldStretch> ForeignCharStretch(const QByteArray& utf8);
