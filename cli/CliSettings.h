// SPDX-License-Identifier: GPL-3.0-or-later
// The settings of a korund-cli run: the settings file, what it says about
// values it cannot use, and the options that override it.
#pragma once

#include "CliOptions.h"
#include "KorundSettings.h"

#include <optional>
#include <ostream>
#include <string>

// The options' overrides applied to settings; the usage error when one
// cannot be applied (--digits beyond what DigitsUse can hold).
std::optional<std::string> ApplyCliOverrides(const cCliOptions& options, cKorundSettings& settings);

// Reads the settings file (the one of --ini, or the usual one) and applies
// the options. Reports on values not used as written go to err as
// "korund-cli: FILE: ..." lines. The exit status for a failure, else nullopt.
std::optional<int> LoadCliSettings(const cCliOptions& options, cKorundSettings& settings, std::ostream& err);
