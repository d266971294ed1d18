// SPDX-License-Identifier: GPL-3.0-or-later
#include "Engine_start.h"

#include <cstring>
#include <new>

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
        if (std::strcmp(key.aSection, "Parser") != 0) continue;
        int32_t& value = settings.*key.aField;
        if (value == key.aDefault) continue;
        reset.push_back(std::string(key.aKey) + "=" + std::to_string(value));
        value = key.aDefault;
    }
    if (reset.empty()) throw std::bad_alloc();
    ApplySettings(settings);
    init();
    return reset;
}
