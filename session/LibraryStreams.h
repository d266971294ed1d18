// SPDX-License-Identifier: GPL-3.0-or-later
// Library files for both programs: the engine's FileRead and FileWrite
// hooks, which move bytes through the stream of the one load or save that
// runs, and the load and save themselves.
#pragma once

#include "cFormulaEngine.h"

#include <cstdint>
#include <cstdio>

enum class eLibraryKind { Constants, Functions };

// A library file as the hooks see it.
class cLibraryStream {
public:
    virtual ~cLibraryStream() = default;
    // Bytes moved; fewer than count when the stream ends or fails.
    virtual uint16_t Read(void* buffer, uint16_t count) = 0;
    virtual uint16_t Write(const void* buffer, uint16_t count) = 0;
    // Called when its load or save ends, however it ends.
    virtual void Release() {}
};

// A std::FILE* that stays open; the errno of its first failed transfer is kept.
class cFileStream : public cLibraryStream {
public:
    explicit cFileStream(std::FILE* file) : aFile(file) {}
    uint16_t Read(void* buffer, uint16_t count) override;
    uint16_t Write(const void* buffer, uint16_t count) override;
    int Error() const { return aError; }

private:
    uint16_t Transferred(size_t count);
    std::FILE* aFile;
    int aError = 0;
};

// The hooks. They move bytes through the stream of the running load or
// save, else through the standing stream (null: none, nothing moves).
uint16_t LibraryRead(void* buffer, uint16_t count);
uint16_t LibraryWrite(const void* buffer, uint16_t count);
// Installs LibraryRead and LibraryWrite in the engine.
void InstallLibraryHooks(cLibraryStream* standing = nullptr);

// Not a result of the engine: memory ran out, nothing was loaded.
constexpr int32_t kLoadOutOfMemory = -100;

// Reads a library file from stream into the live library: a LoadResult, an
// entry index, or kLoadOutOfMemory. The stream is released at the end.
int32_t LoadLibrary(eLibraryKind kind, cLibraryStream& stream);
// Writes the live library to stream; false when a transfer failed.
bool SaveLibrary(eLibraryKind kind, cLibraryStream& stream);
