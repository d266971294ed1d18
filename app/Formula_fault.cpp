// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formula_fault.h"

#include "cFormulaText.h"

#include <QString>

#include <algorithm>
#include <string_view>

namespace {

// UTF-16 code units of the first bytes of utf8 (a cut sequence counts as one).
int Units(const QByteArray& utf8, qsizetype bytes) {
    return static_cast<int>(QString::fromUtf8(utf8.first(std::clamp<qsizetype>(bytes, 0, utf8.size()))).size());
}

} // namespace

tFieldStretch FieldStretch(const QByteArray& utf8, int32_t first, int32_t last) {
    const int start = Units(utf8, first);
    return {start, std::max(0, Units(utf8, qsizetype{last} + 1) - start)};
}

std::optional<tFieldStretch> ForeignCharStretch(const QByteArray& utf8) {
    const auto foreign = FindForeignChar(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    if (!foreign)
        return std::nullopt;
    return FieldStretch(utf8, static_cast<int32_t>(foreign->aOffset),
                        static_cast<int32_t>(foreign->aOffset + foreign->aLength) - 1);
}
