// Helpers shared by the library's source files; not part of the public interface.
#pragma once

#include "cLongReal.h"

namespace longreal {

[[noreturn]] void Fail(const std::string& reason);
[[noreturn]] void FailNotFinite(mpfr_srcptr value);

// Throws for a NaN or an infinity, so neither ever leaves the library as a value.
inline void CheckFinite(mpfr_srcptr value)
{
    if (!mpfr_number_p(value))
        FailNotFinite(value);
}

// Settings made usable: what Init() derived from the raw static members.
struct EffectiveSettings {
    mpfr_prec_t bits = 96;       // bits of every new value
    int inputBase = 10;
    int outputBase = 10;
    mpfr_prec_t outputBits = 64; // bits the rendered digits may represent
    mpfr_prec_t cleanShift = 64; // internal zero: results below 2^-cleanShift of the larger operand
    bool cleanOn = true;
    int angleMode = 1;           // 0 rad, 1 deg, 2 gra
};

extern EffectiveSettings gSettings;

inline const EffectiveSettings& Settings()
{
    return gSettings;
}

// A scratch MPFR number owned for one scope.
class Scratch {
public:
    explicit Scratch(mpfr_prec_t bits) { mpfr_init2(aNum, bits); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() { mpfr_clear(aNum); }
    mpfr_ptr get() { return aNum; }
    operator mpfr_ptr() { return aNum; }

private:
    mpfr_t aNum;
};

// Extra bits for intermediate results that are rounded once more at the end.
constexpr mpfr_prec_t kGuardBits = 32;

// A working-precision value rounded from a more precise intermediate.
cLongReal Rounded(mpfr_srcptr value);

// The text of a value under the output settings.
std::string Render(mpfr_srcptr value);

// The number 1, for operations with it.
mpfr_srcptr One();

} // namespace longreal
