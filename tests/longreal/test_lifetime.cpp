// Lifetime of values: recycling of numbers, raw MPFR access, moved-from
// values, other threads. Run under the sanitizers, these catch leaks and
// numbers shared between two values.
#include "LongRealFixture.h"

#include <thread>
#include <utility>
#include <vector>

namespace {

using Lifetime = LongRealTest;

TEST_F(Lifetime, RecycledNumbersAreIndependent)
{
    std::vector<cLongReal> values;
    for (long k = 0; k < 100; ++k) {
        cLongReal temporary(k * 1000);
        values.push_back(cLongReal(k) + cLongReal(1L));
    }
    for (long k = 0; k < 100; ++k)
        ASSERT_EQ(static_cast<long>(values[k]), k + 1);
}

TEST_F(Lifetime, NumbersSurvivePrecisionChanges)
{
    std::vector<cLongReal> narrow(20, cLongReal(3L));
    cLongReal::aPrecision = 40;
    cLongReal::Init();
    narrow.clear(); // released at a precision that is no longer the working one
    const cLongReal wide = cLongReal(1L) / cLongReal(3L);
    EXPECT_EQ(mpfr_get_prec(wide.mpfr()), 640);
    std::vector<cLongReal> more(20, wide);
    RestoreDefaultSettings();
    more.clear();
    EXPECT_EQ(mpfr_get_prec(cLongReal(1L).mpfr()), 96);
    cLongReal copy(5L);
    copy = wide; // a copy keeps the precision of its source
    EXPECT_EQ(mpfr_get_prec(copy.mpfr()), 640);
    EXPECT_TRUE(copy == wide);
}

TEST_F(Lifetime, RawAccessMayResizeAndSwap)
{
    cLongReal a(5L), b("2.5");
    mpfr_set_prec(a.mpfr(), 300);
    mpfr_set_ui(a.mpfr(), 7, MPFR_RNDN);
    mpfr_swap(a.mpfr(), b.mpfr());
    EXPECT_EQ(Text(a), "2.5");
    EXPECT_EQ(Text(b), "7");
    EXPECT_EQ(mpfr_get_prec(b.mpfr()), 300);
    cLongReal c(std::move(b));
    EXPECT_EQ(Text(c), "7");
    c = a;
    EXPECT_EQ(mpfr_get_prec(c.mpfr()), 96);
}

TEST_F(Lifetime, MovedFromValueStaysUsable)
{
    cLongReal a("1.5");
    cLongReal b(std::move(a));
    a = cLongReal(4L);
    EXPECT_EQ(Text(a + b), "5.5");
    cLongReal c;
    c = std::move(b);
    b += cLongReal(1L); // whatever b held, it is a number
    EXPECT_EQ(Text(c), "1.5");
}

TEST_F(Lifetime, OtherThreadsHaveTheirOwnNumbers)
{
    std::vector<std::thread> threads;
    std::vector<std::string> results(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &results] {
            cLongReal sum;
            for (long k = 1; k <= 1000; ++k)
                sum += cLongReal(k * (t + 1));
            results[t] = Text(sum);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(results[0], "500500");
    EXPECT_EQ(results[3], "2.002E6");
}

} // namespace
