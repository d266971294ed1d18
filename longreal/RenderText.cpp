// Rendering under the output settings (quick form).
#include "Support.h"

cLongReal::operator const char*() const
{
    if (mpfr_zero_p(aNum)) {
        aText = "0";
        return aText.c_str();
    }
    char* buffer = nullptr;
    mpfr_asprintf(&buffer, "%.19Rg", aNum);
    aText = buffer;
    mpfr_free_str(buffer);
    return aText.c_str();
}
