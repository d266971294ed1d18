// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineStart.h"

#include "cFormulaEngine.h"

#include <cstring>
#include <new>

cStartSettings ReadStartSettings(const std::string& iniPath) {
    cStartSettings start;
    start.aIniPath = iniPath;
    start.aSettings = ReadKorundIni(iniPath, &start.aRefusal, &start.aValues);
    for (cIniReport& report : SettingRangeReports(start.aSettings))
        start.aValues.push_back(std::move(report));
    start.aCapacities = ClampCapacityReports(start.aSettings);
    return start;
}

std::vector<std::string> InitWithDefaultCapacitiesOnFailure(cKorundSettings& settings,
                                                            const std::function<void()>& init) {
    try {
        ApplySettings(settings);
        init();
        return {};
    } catch (const std::bad_alloc&) {
    }
    std::vector<std::string> reset;
    for (const cSettingKey& key : SettingKeys()) {
        if (std::strcmp(key.aSection, "Parser") != 0)
            continue;
        int32_t& value = settings.*key.aField;
        if (value == key.aDefault)
            continue;
        reset.push_back(std::string(key.aKey) + "=" + std::to_string(value));
        value = key.aDefault;
    }
    if (reset.empty())
        throw std::bad_alloc();
    ApplySettings(settings);
    init();
    return reset;
}

std::string JoinedKeys(const std::vector<std::string>& keys) {
    std::string text;
    for (size_t i = 0; i < keys.size(); ++i)
        text += (i == 0 ? "" : i + 1 == keys.size() ? " and " : ", ") + keys[i];
    return text;
}

cEngineStatics::cEngineStatics(cKorundSettings& settings)
    : aReset(InitWithDefaultCapacitiesOnFailure(settings, [] { cFormulaEngine::Init(); })) {}

cEngineStatics::~cEngineStatics() {
    cFormulaEngine::CancelConstantEdit();
    cFormulaEngine::CancelFunctionEdit();
    cFormulaEngine::FreeStatics();
}
