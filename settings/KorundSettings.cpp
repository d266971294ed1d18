// SPDX-License-Identifier: GPL-3.0-or-later
#include "KorundSettings.h"

#include "cFormulaEngine.h"
#include "cLongReal.h"

#include <unistd.h>

#include <climits>

const std::array<cSettingKey, 12>& SettingKeys()
{
    static const std::array<cSettingKey, 12> keys{{
        {"DigitsUse", "Calculation", 6, &cKorundSettings::DigitsUse},
        {"DigitsDrop", "Calculation", 2, &cKorundSettings::DigitsDrop},
        {"InputSys", "Calculation", 10, &cKorundSettings::InputSys},
        {"OutputSys", "Calculation", 10, &cKorundSettings::OutputSys},
        {"MaxExp", "Calculation", 5, &cKorundSettings::MaxExp},
        {"MinExp", "Calculation", 5, &cKorundSettings::MinExp},
        {"NativeEps", "Calculation", 2, &cKorundSettings::NativeEps},
        {"EngMode", "Calculation", 0, &cKorundSettings::EngMode},
        {"AngleMode", "Calculation", 1, &cKorundSettings::AngleMode},
        {"MaxConst", "Parser", 100, &cKorundSettings::MaxConst},
        {"MaxFunc", "Parser", 30, &cKorundSettings::MaxFunc},
        {"RefAlloc", "Parser", 10, &cKorundSettings::RefAlloc},
    }};
    return keys;
}

std::string ExecutableDir()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return "./";
    path.resize(static_cast<size_t>(length));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

namespace {
std::string& IniPathOverride()
{
    static std::string path;
    return path;
}
} // namespace

cIniLocation LocateKorundIni()
{
    if (const std::string& path = IniPathOverride(); !path.empty())
        return {path, path};
    const std::string dir = ExecutableDir();
    const std::string beside = dir + "Korund.ini";
    const std::string user = UserKorundIniPath();
    return ChooseKorundIni(beside, access(beside.c_str(), F_OK) == 0, access(dir.c_str(), W_OK | X_OK) == 0,
                           user, !user.empty() && access(user.c_str(), F_OK) == 0);
}

std::string KorundIniPath()
{
    return LocateKorundIni().aReadPath;
}

void SetKorundIniPath(const std::string& path)
{
    IniPathOverride() = path;
}

void ApplySettings(const cKorundSettings& settings)
{
    // The 16-bit settings keep their low 16 bits, as the conversions below do.
    cLongReal::aPrecision = static_cast<uint16_t>(settings.DigitsUse);
    cLongReal::aOutputDrop = static_cast<uint16_t>(settings.DigitsDrop);
    cLongReal::aInputSystemStandard = static_cast<uint16_t>(settings.InputSys);
    cLongReal::aOutputSystem = static_cast<uint16_t>(settings.OutputSys);
    cLongReal::aOutputExpHigh = static_cast<int16_t>(settings.MaxExp);
    cLongReal::aOutputExpLow = static_cast<uint16_t>(settings.MinExp);
    cLongReal::aNativeEpsExponent = static_cast<uint16_t>(settings.NativeEps);
    cLongReal::aEngOn = settings.EngMode == 1 || settings.EngMode == 2;
    cLongReal::aEngBinary = settings.EngMode == 2;
    cLongReal::aAngleMode = static_cast<int16_t>(settings.AngleMode);

    cFormulaEngine::aConstantMax = static_cast<uint32_t>(settings.MaxConst);
    cFormulaEngine::aUserFunctionMax = static_cast<uint32_t>(settings.MaxFunc);
    cFormulaEngine::aConstRefAlloc = static_cast<uint16_t>(settings.RefAlloc);
}
