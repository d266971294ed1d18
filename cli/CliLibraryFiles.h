// SPDX-License-Identifier: GPL-3.0-or-later
// Library files for korund-cli: loading and saving a file by its name, and
// the messages for the load results.
#pragma once

#include "LibraryStreams.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The message for a LoadResult other than lrLoaded; readError is the errno of a
// failed read (0 when the file just ended).
std::string LoadResultMessage(eLibraryKind kind, int32_t result, int readError = 0);

// Each returns nullopt on success, otherwise the reason. A loaded library
// may hold names no formula can reach, or definitions with characters the
// engine leaves out; *unreachable gets one line for each.
std::optional<std::string> LoadLibraryFile(eLibraryKind kind, const std::string& path,
                                           std::vector<std::string>* unreachable = nullptr);
// Writes the live library; an existing file is replaced only by a complete new one.
std::optional<std::string> SaveLibraryFile(eLibraryKind kind, const std::string& path);
