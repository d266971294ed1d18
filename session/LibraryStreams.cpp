// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryStreams.h"

#include <cerrno>
#include <new>

namespace {

cLibraryStream* gStanding = nullptr;
cLibraryStream* gRunning = nullptr;

cLibraryStream* Current() { return gRunning ? gRunning : gStanding; }

// The stream of one load or save: current while it lives, released at its end.
class cStreamScope {
public:
    explicit cStreamScope(cLibraryStream& stream) : aStream(stream), aOuter(gRunning) { gRunning = &stream; }
    ~cStreamScope() {
        gRunning = aOuter;
        aStream.Release();
    }
    cStreamScope(const cStreamScope&) = delete;
    cStreamScope& operator=(const cStreamScope&) = delete;

private:
    cLibraryStream& aStream;
    cLibraryStream* aOuter;
};

} // namespace

uint16_t cFileStream::Transferred(size_t count) {
    if (aError == 0 && std::ferror(aFile))
        aError = errno;
    return static_cast<uint16_t>(count);
}

uint16_t cFileStream::Read(void* buffer, uint16_t count) { return Transferred(std::fread(buffer, 1, count, aFile)); }

uint16_t cFileStream::Write(const void* buffer, uint16_t count) {
    return Transferred(std::fwrite(buffer, 1, count, aFile));
}

uint16_t LibraryRead(void* buffer, uint16_t count) {
    cLibraryStream* stream = Current();
    return stream ? stream->Read(buffer, count) : 0;
}

uint16_t LibraryWrite(const void* buffer, uint16_t count) {
    cLibraryStream* stream = Current();
    return stream ? stream->Write(buffer, count) : 0;
}

void InstallLibraryHooks(cLibraryStream* standing) {
    gStanding = standing;
    cFormulaEngine::FileRead = &LibraryRead;
    cFormulaEngine::FileWrite = &LibraryWrite;
}

int32_t LoadLibrary(eLibraryKind kind, cLibraryStream& stream) {
    const cStreamScope scope(stream);
    try {
        return kind == eLibraryKind::Constants ? cFormulaEngine::ConstantsFromFile()
                                               : cFormulaEngine::FunctionsFromFile();
    } catch (const std::bad_alloc&) {
        return kLoadOutOfMemory;
    }
}

bool SaveLibrary(eLibraryKind kind, cLibraryStream& stream) {
    const cStreamScope scope(stream);
    return kind == eLibraryKind::Constants ? cFormulaEngine::ConstantsToFile() : cFormulaEngine::FunctionsToFile();
}
