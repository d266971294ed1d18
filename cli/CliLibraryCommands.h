// SPDX-License-Identifier: GPL-3.0-or-later
// The library commands of korund-cli: adding one constant or function
// through edit mode, and listing a library.
#pragma once

#include "CliLibraryFiles.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Why a definition would not compile, or nullopt when it compiles.
std::optional<std::string> CheckConstantDefinition(const std::string& definition);
std::optional<std::string> CheckFunctionDefinition(const std::string& definition);

// The longest definition or description: what a library file can hold.
constexpr size_t kMaxEntryText = 65535;

// Adds "DEFINITION" or "DEFINITION | DESCRIPTION" to a library and commits
// it; on failure the library is unchanged and the reason is returned. A
// name that the library holds already is redefined in place, and *note
// says so; a constant that a function uses is not redefined.
std::optional<std::string> AddLibraryEntry(eLibraryKind kind, std::string_view argument, std::string* note = nullptr);

// One line per entry: its label (the definition up to '='), then
// " | " and the description when there is one.
std::vector<std::string> LibraryListing(eLibraryKind kind);
