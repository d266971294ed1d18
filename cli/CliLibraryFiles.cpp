// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliLibraryFiles.h"

#include "AtomicFile.h"
#include "cFormulaEngine.h"
#include "cNameCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::FILE* gLibraryStream = nullptr;
int gStreamError = 0; // errno of the first failed transfer of the open file

uint16_t Transferred(size_t count)
{
    if (gStreamError == 0 && std::ferror(gLibraryStream))
        gStreamError = errno;
    return static_cast<uint16_t>(count);
}

uint16_t LibraryRead(void* buffer, uint16_t count)
{
    return gLibraryStream ? Transferred(std::fread(buffer, 1, count, gLibraryStream)) : 0;
}

uint16_t LibraryWrite(const void* buffer, uint16_t count)
{
    return gLibraryStream ? Transferred(std::fwrite(buffer, 1, count, gLibraryStream)) : 0;
}

// Points the hooks at a stream for the duration of one engine file operation.
class cStreamScope {
public:
    explicit cStreamScope(std::FILE* stream)
    {
        gLibraryStream = stream;
        gStreamError = 0;
    }
    ~cStreamScope() { gLibraryStream = nullptr; }
    cStreamScope(const cStreamScope&) = delete;
    cStreamScope& operator=(const cStreamScope&) = delete;
};

struct cFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

const char* KindName(eLibraryKind kind)
{
    return kind == eLibraryKind::Constants ? "constant" : "function";
}

} // namespace

void InstallLibraryHooks()
{
    cFormulaEngine::FileRead = &LibraryRead;
    cFormulaEngine::FileWrite = &LibraryWrite;
}

std::string LoadResultMessage(eLibraryKind kind, int32_t result, int readError)
{
    const std::string library = std::string(KindName(kind)) + " library";
    switch (result) {
    case -5:
        return "the " + library + " was written by a version of Korund with another file format for libraries; "
               "a version that knows that format reads it";
    case -4:
        return "this is not a Korund " + library + " file";
    case -3:
        return std::string("the ") + library + " holds more entries than " +
               (kind == eLibraryKind::Constants ? "MaxConst=" + std::to_string(cFormulaEngine::aConstantMax)
                                                : "MaxFunc=" + std::to_string(cFormulaEngine::aUserFunctionMax)) +
               " in [Parser] of the settings file allows; loading was cancelled";
    case -2:
        if (readError != 0)
            return std::string("cannot read the file: ") + std::strerror(readError);
        return "the file ends before the " + library + " does (it is damaged or incomplete)";
    default:
        if (result >= 0)
            return "declaration " + std::to_string(result) + " of the " + library +
                   " is invalid, so the library is not loaded";
        return "unknown load result " + std::to_string(result);
    }
}

std::optional<std::string> LoadLibraryFile(eLibraryKind kind, const std::string& path,
                                           std::vector<std::string>* unreachable)
{
    std::unique_ptr<std::FILE, cFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::string("cannot open the file: ") + std::strerror(errno);
    const bool constants = kind == eLibraryKind::Constants;
    const uint32_t before = constants ? cFormulaEngine::GetConstantCount() : cFormulaEngine::GetFunctionCount();
    int32_t result = -2;
    int readError = 0;
    {
        cStreamScope scope(file.get());
        try {
            result = constants ? cFormulaEngine::ConstantsFromFile() : cFormulaEngine::FunctionsFromFile();
        } catch (const std::bad_alloc&) {
            return std::string("not enough memory to load the library; nothing of it was loaded");
        }
        readError = gStreamError;
    }
    if (result != -1)
        return LoadResultMessage(kind, result, readError);
    if (unreachable) {
        // The library loads as it is; names that no formula reaches are said.
        for (const cUnreachableName& entry :
             UnreachableLibraryNames(constants ? eNameKind::Constant : eNameKind::Function)) {
            if (entry.aIndex >= before)
                unreachable->push_back("the " + std::string(KindName(kind)) + " '" + entry.aName +
                                       "' cannot be reached by any formula: " + entry.aReason);
        }
    }
    return std::nullopt;
}

std::optional<std::string> SaveLibraryFile(eLibraryKind kind, const std::string& path)
{
    cAtomicFile file(path);
    if (!file.IsOpen())
        return file.Error();
    bool written = false;
    int writeError = 0;
    {
        cStreamScope scope(file.Stream());
        written = kind == eLibraryKind::Constants ? cFormulaEngine::ConstantsToFile()
                                                  : cFormulaEngine::FunctionsToFile();
        writeError = gStreamError;
    }
    if (!written)
        return writeError != 0 ? std::string("cannot write the file: ") + std::strerror(writeError)
                               : std::string("cannot write the file");
    if (!file.Commit())
        return "cannot write the file: " + file.Error();
    return std::nullopt;
}
