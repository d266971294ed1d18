// SPDX-License-Identifier: GPL-3.0-or-later
// Library files for korund-cli: the engine's file hooks over an open file,
// loading and saving, and the messages for the load results.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class eLibraryKind { Constants, Functions };

// Installs FileRead and FileWrite; they move bytes of the file that a load
// or save has open, and nothing otherwise.
void InstallLibraryHooks();

// The message for a LoadResult other than -1; readError is the errno of a
// failed read (0 when the file just ended).
std::string LoadResultMessage(eLibraryKind kind, int32_t result, int readError = 0);

// Each returns nullopt on success, otherwise the reason. A loaded library
// may hold names no formula can reach; *unreachable gets one line for each.
std::optional<std::string> LoadLibraryFile(eLibraryKind kind, const std::string& path,
                                           std::vector<std::string>* unreachable = nullptr);
// Writes the live library; an existing file is replaced only by a complete new one.
std::optional<std::string> SaveLibraryFile(eLibraryKind kind, const std::string& path);
