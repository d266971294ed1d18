// SPDX-License-Identifier: GPL-3.0-or-later
// The size rule: at both ends of the exponent range no operation asks GMP or
// FLINT for a block larger than the precision calls for.
#include "LongRealFixture.h"

#include <flint/flint.h>
#include <gmp.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <ostream>

namespace {

// Records the largest block asked of GMP and FLINT while it lives.
class cAllocationProbe {
public:
    cAllocationProbe() {
        sLargest = 0;
        mp_get_memory_functions(&sGmpAlloc, &sGmpRealloc, &sGmpFree);
        __flint_get_memory_functions(&sFlintAlloc, &sFlintCalloc, &sFlintRealloc, &sFlintFree);
        mp_set_memory_functions(GmpAlloc, GmpRealloc, sGmpFree);
        __flint_set_memory_functions(FlintAlloc, FlintCalloc, FlintRealloc, sFlintFree);
    }
    ~cAllocationProbe() {
        mp_set_memory_functions(sGmpAlloc, sGmpRealloc, sGmpFree);
        __flint_set_memory_functions(sFlintAlloc, sFlintCalloc, sFlintRealloc, sFlintFree);
    }
    cAllocationProbe(const cAllocationProbe&) = delete;
    cAllocationProbe& operator=(const cAllocationProbe&) = delete;
    static size_t Largest() { return sLargest; }

private:
    static void Note(size_t n) {
        size_t seen = sLargest.load();
        while (n > seen && !sLargest.compare_exchange_weak(seen, n)) {
        }
    }
    static void* GmpAlloc(size_t n) {
        Note(n);
        return sGmpAlloc(n);
    }
    static void* GmpRealloc(void* p, size_t old, size_t n) {
        Note(n);
        return sGmpRealloc(p, old, n);
    }
    static void* FlintAlloc(size_t n) {
        Note(n);
        return sFlintAlloc(n);
    }
    static void* FlintCalloc(size_t c, size_t n) {
        Note(c * n);
        return sFlintCalloc(c, n);
    }
    static void* FlintRealloc(void* p, size_t n) {
        Note(n);
        return sFlintRealloc(p, n);
    }

    static inline std::atomic<size_t> sLargest{0};
    static inline void* (*sGmpAlloc)(size_t) = nullptr;
    static inline void* (*sGmpRealloc)(void*, size_t, size_t) = nullptr;
    static inline void (*sGmpFree)(void*, size_t) = nullptr;
    static inline void* (*sFlintAlloc)(size_t) = nullptr;
    static inline void* (*sFlintCalloc)(size_t, size_t) = nullptr;
    static inline void* (*sFlintRealloc)(void*, size_t) = nullptr;
    static inline void (*sFlintFree)(void*) = nullptr;
};

cLongReal L(const char* text) { return cLongReal(text); }
cLongReal Tiny() { return power(cLongReal(10L), -L("10000000000")); } // 10^(-10^10)
cLongReal Huge() { return power(cLongReal(10L), L("10000000000")); }  // 10^(10^10)
cLongReal Pow2(const char* exponent) { return power(cLongReal(2L), L(exponent)); }

cLongReal Incremented(cLongReal x) { return ++x; }

struct SizeRow {
    const char* name;
    std::function<cLongReal()> value;
    const char* text; // expected rendering, or nullptr when only the size counts
};

void PrintTo(const SizeRow& row, std::ostream* os) { *os << row.name; }

class SizeRule : public LongRealTableTest<SizeRow> {};

TEST_P(SizeRule, StaysWithinTheBoundOfThePrecision) {
    const SizeRow& row = GetParam();
    std::string text;
    {
        cAllocationProbe probe;
        try {
            text = static_cast<const char*>(row.value());
        } catch (const cLongRealError& e) {
            text = std::string("error: ") + e.what();
        }
        // Default precision: 96 working bits; exact results up to 2^20 bits.
        EXPECT_LE(cAllocationProbe::Largest(), size_t(1) << 20) << row.name << " gave " << text;
    }
    if (row.text != nullptr) {
        EXPECT_EQ(text, row.text) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothEnds, SizeRule,
    ::testing::Values(
        SizeRow{"RoundOfTiny", [] { return round(Tiny()); }, "0"},
        SizeRow{"RoundOfMinusTiny", [] { return round(-Tiny()); }, "0"},
        SizeRow{"TruncOfTiny", [] { return trunc(Tiny()); }, "0"},
        SizeRow{"RoundOfHalfPlusTiny", [] { return round(L("0.5") + Tiny()); }, "1"},
        SizeRow{"RoundOfHuge", [] { return round(Huge()); }, "1E10000000000"},
        SizeRow{"TruncOfPiTimesHuge", [] { return trunc(pi() * Huge()); }, "3.141592653589793238E10000000000"},
        SizeRow{"StepOfHugeWhole", [] { return Incremented(Pow2("1000000000000")); }, nullptr},
        SizeRow{"StepOfTinyExact", [] { return Incremented(Pow2("-1000000000000")); }, "1"},
        SizeRow{"WholePowerOfTwo", [] { return Pow2("549755813888"); }, nullptr},
        SizeRow{"WholePowerNearOne", [] { return power(cLongReal(1L) + Pow2("-100"), L("549755813887")); }, nullptr},
        SizeRow{"HugeWholePowerAboveOne", [] { return power(L("1.5"), Pow2("72590")); }, "error: overflow"},
        SizeRow{"HugeWholePowerOfABall", [] { return power(cos(L("1")), Pow2("72590")); }, "0"},
        SizeRow{"HugeWholePowerNearOne", [] { return power(cLongReal(1L) + Pow2("-60"), Pow2("50")); },
                "1.000977039492416535"},
        SizeRow{"HugeOddPowerNearMinusOne",
                [] { return power(cLongReal(-1L) - Pow2("-60"), Pow2("50") + cLongReal(1L)); },
                "-1.000977039492416536"},
        SizeRow{"FactorialBeyondExact", [] { return fak(L("1073741824")); }, nullptr},
        SizeRow{"CombinationsBeyondExact", [] { return com(L("1000000000"), L("500000000")); }, nullptr},
        SizeRow{"PermutationsBeyondExact", [] { return per(L("1000000"), L("100000")); }, nullptr},
        SizeRow{"LiteralBelowTheRange", [] { return L("1E-999999999999"); }, "0"},
        SizeRow{"LiteralAboveTheRange", [] { return L("1E999999999999"); }, "error: overflow"},
        SizeRow{"LiteralOfManyDigits", [] { return L(("1." + std::string(2000000, '1')).c_str()); },
                "1.111111111111111111"},
        SizeRow{"SineOfExactHugeAngle", [] { return sin(Pow2("1073741824")); }, nullptr},
        SizeRow{"SineOfExactLargeAngle", [] { return sin(Pow2("524288")); }, nullptr}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
