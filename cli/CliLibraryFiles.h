// SPDX-License-Identifier: GPL-3.0-or-later
// Library files for korund-cli: the engine's file hooks over an open file,
// loading and saving, and the messages for the load results.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class eLibraryKind { Constants, Functions };

// Installs FileRead and FileWrite; they move bytes of the file that a load
// or save has open, and nothing otherwise.
void InstallLibraryHooks();

// The message for a LoadResult other than -1.
std::string LoadResultMessage(int32_t result);

// Each returns nullopt on success, otherwise the reason.
std::optional<std::string> LoadLibraryFile(eLibraryKind kind, const std::string& path);
// Writes the live library; an existing file is replaced only by a complete new one.
std::optional<std::string> SaveLibraryFile(eLibraryKind kind, const std::string& path);
