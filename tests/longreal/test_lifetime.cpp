// SPDX-License-Identifier: GPL-3.0-or-later
// Lifetime of values: independent copies, raw Arb access, moved-from
// values, other threads. Run under the sanitizers, these catch leaks and
// numbers shared between two values.
#include "LongRealFixture.h"

#include <thread>
#include <utility>
#include <vector>

namespace {

using Lifetime = LongRealTest;

TEST_F(Lifetime, CopiesAreIndependent) {
    std::vector<cLongReal> values;
    for (long k = 0; k < 100; ++k) {
        cLongReal temporary(k * 1000);
        values.push_back(cLongReal(k) + cLongReal(1L));
    }
    for (long k = 0; k < 100; ++k)
        ASSERT_EQ(static_cast<long>(values[static_cast<size_t>(k)]), k + 1);
}

TEST_F(Lifetime, ValuesSurvivePrecisionChanges) {
    std::vector<cLongReal> narrow(20, cLongReal(1L) / cLongReal(3L));
    cLongReal::aPrecision = 40;
    cLongReal::Init();
    const cLongReal wide = cLongReal(1L) / cLongReal(3L);
    EXPECT_GE(arb_rel_accuracy_bits(wide.arb()), 630);
    // A ball keeps its radius: the narrow third proves only its own digits.
    const std::string narrowText = Text(narrow.front());
    EXPECT_GT(narrowText.size(), 20u);
    EXPECT_LT(narrowText.size(), 40u);
    EXPECT_EQ(narrowText.substr(0, 5), "0.333");
    narrow.clear();
    std::vector<cLongReal> more(20, wide);
    RestoreDefaultSettings();
    more.clear();
    cLongReal copy(5L);
    copy = wide;
    EXPECT_TRUE(arb_equal(copy.arb(), wide.arb()));
    EXPECT_EQ(Text(copy), "0.3333333333333333333"); // rendered under the settings in force
}

TEST_F(Lifetime, RawAccessDropsTheCachedText) {
    cLongReal a(5L), b("2.5");
    EXPECT_EQ(Text(a), "5");
    arb_set_ui(a.arb(), 7);
    EXPECT_EQ(Text(a), "7");
    arb_swap(a.arb(), b.arb());
    EXPECT_EQ(Text(a), "2.5");
    EXPECT_EQ(Text(b), "7");
    cLongReal c(std::move(b));
    EXPECT_EQ(Text(c), "7");
    c = a;
    EXPECT_EQ(Text(c), "2.5");
}

TEST_F(Lifetime, MovedFromValueStaysUsable) {
    cLongReal a("1.5");
    cLongReal b(std::move(a));
    a = cLongReal(4L);
    EXPECT_EQ(Text(a + b), "5.5");
    cLongReal c;
    c = std::move(b);
    b += cLongReal(1L); // whatever b held, it is a number
    EXPECT_EQ(Text(c), "1.5");
}

TEST_F(Lifetime, OtherThreadsHaveTheirOwnNumbers) {
    std::vector<std::thread> threads;
    std::vector<std::string> results(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &results] {
            cLongReal sum;
            for (long k = 1; k <= 1000; ++k)
                sum += cLongReal(k * (t + 1));
            results[static_cast<size_t>(t)] = Text(sum);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(results[0], "500500");
    EXPECT_EQ(results[3], "2.002E6");
}

} // namespace
