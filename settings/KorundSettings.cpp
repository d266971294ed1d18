// SPDX-License-Identifier: GPL-3.0-or-later
#include "KorundSettings.h"

#include "cFormulaEngine.h"
#include "cLongReal.h"

#include <unistd.h>

#include <climits>

namespace {

constexpr cSettingKey Key(const char* key, const char* section, int32_t cKorundSettings::*field) {
    return {key, section, cKorundSettings{}.*field, field};
}

} // namespace

const std::array<cSettingKey, 12>& SettingKeys() {
    static constexpr std::array<cSettingKey, 12> keys{{
        Key("DigitsUse", "Calculation", &cKorundSettings::DigitsUse),
        Key("DigitsDrop", "Calculation", &cKorundSettings::DigitsDrop),
        Key("InputSys", "Calculation", &cKorundSettings::InputSys),
        Key("OutputSys", "Calculation", &cKorundSettings::OutputSys),
        Key("MaxExp", "Calculation", &cKorundSettings::MaxExp),
        Key("MinExp", "Calculation", &cKorundSettings::MinExp),
        Key("NativeEps", "Calculation", &cKorundSettings::NativeEps),
        Key("EngMode", "Calculation", &cKorundSettings::EngMode),
        Key("AngleMode", "Calculation", &cKorundSettings::AngleMode),
        Key("MaxConst", "Parser", &cKorundSettings::MaxConst),
        Key("MaxFunc", "Parser", &cKorundSettings::MaxFunc),
        Key("RefAlloc", "Parser", &cKorundSettings::RefAlloc),
    }};
    return keys;
}

std::string ExecutableDir() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return "./";
    path.resize(static_cast<size_t>(length));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

namespace {
std::string& IniPathOverride() {
    static std::string path;
    return path;
}
} // namespace

cIniLocation LocateKorundIni() {
    if (const std::string& path = IniPathOverride(); !path.empty())
        return {path, path};
    const std::string dir = ExecutableDir();
    const std::string beside = dir + "Korund.ini";
    const std::string user = UserKorundIniPath();
    return ChooseKorundIni(beside, access(beside.c_str(), F_OK) == 0, access(dir.c_str(), W_OK | X_OK) == 0, user,
                           !user.empty() && access(user.c_str(), F_OK) == 0);
}

std::string KorundIniPath() { return LocateKorundIni().aReadPath; }

void SetKorundIniPath(const std::string& path) { IniPathOverride() = path; }

void ApplySettings(const cKorundSettings& settings) {
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
