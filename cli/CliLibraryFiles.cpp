// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliLibraryFiles.h"

#include "AtomicFile.h"
#include "cFormulaEngine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kFileOperationsError =
    "Error: While trying to perform file operations, Korund encountered an error. You may want to restart windows.";

std::FILE* gLibraryStream = nullptr;

uint16_t LibraryRead(void* buffer, uint16_t count)
{
    return gLibraryStream ? static_cast<uint16_t>(std::fread(buffer, 1, count, gLibraryStream)) : 0;
}

uint16_t LibraryWrite(const void* buffer, uint16_t count)
{
    return gLibraryStream ? static_cast<uint16_t>(std::fwrite(buffer, 1, count, gLibraryStream)) : 0;
}

// Points the hooks at a stream for the duration of one engine file operation.
class cStreamScope {
public:
    explicit cStreamScope(std::FILE* stream) { gLibraryStream = stream; }
    ~cStreamScope() { gLibraryStream = nullptr; }
    cStreamScope(const cStreamScope&) = delete;
    cStreamScope& operator=(const cStreamScope&) = delete;
};

struct cFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

void InstallLibraryHooks()
{
    cFormulaEngine::FileRead = &LibraryRead;
    cFormulaEngine::FileWrite = &LibraryWrite;
}

std::string LoadResultMessage(int32_t result)
{
    switch (result) {
    case -5:
        return "Error: This library cannot be read, because it was created by a version of Korund which uses "
               "another file format for libraries. You may want to upgrate to an appropriate version.";
    case -4:
        return "Error: This is not a valid Korund library file.";
    case -3:
        return "Error: The loading process of this library has been canceled. The memory area which is reserved "
               "for this purpose is full. You can avoid this by setting a larger value in the preferences.";
    case -2:
        return kFileOperationsError;
    default:
        if (result >= 0)
            return "Error: While trying to load this library, Korund has found an invalid declaration. The library "
                   "cannot be loaded. You may want to contact the person who supplied this library.\n(declaration " +
                   std::to_string(result) + ")";
        return "Error: unknown load result " + std::to_string(result);
    }
}

std::optional<std::string> LoadLibraryFile(eLibraryKind kind, const std::string& path)
{
    std::unique_ptr<std::FILE, cFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::string("cannot open the file: ") + std::strerror(errno);
    int32_t result = -2;
    {
        cStreamScope scope(file.get());
        try {
            result = kind == eLibraryKind::Constants ? cFormulaEngine::ConstantsFromFile()
                                                     : cFormulaEngine::FunctionsFromFile();
        } catch (const std::bad_alloc&) {
            return std::string("not enough memory to load the library; nothing of it was loaded");
        }
    }
    if (result == -1)
        return std::nullopt;
    return LoadResultMessage(result);
}

std::optional<std::string> SaveLibraryFile(eLibraryKind kind, const std::string& path)
{
    cAtomicFile file(path);
    if (!file.IsOpen())
        return file.Error();
    bool written = false;
    {
        cStreamScope scope(file.Stream());
        written = kind == eLibraryKind::Constants ? cFormulaEngine::ConstantsToFile()
                                                  : cFormulaEngine::FunctionsToFile();
    }
    if (!written)
        return std::string(kFileOperationsError);
    if (!file.Commit())
        return std::string(kFileOperationsError) + " (" + file.Error() + ")";
    return std::nullopt;
}
