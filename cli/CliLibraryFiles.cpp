// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliLibraryFiles.h"

#include "AtomicFile.h"
#include "ParseMessages.h"
#include "cFormulaEngine.h"
#include "cFormulaText.h"
#include "cNameCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct cFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

const char* KindName(eLibraryKind kind) { return kind == eLibraryKind::Constants ? "constant" : "function"; }

} // namespace

std::string LoadResultMessage(eLibraryKind kind, int32_t result, int readError) {
    const std::string library = std::string(KindName(kind)) + " library";
    switch (result) {
    case lrBadVersion:
        return "the " + library +
               " was written by a version of Korund with another file format for libraries; "
               "a version that knows that format reads it";
    case lrBadMagic: return "this is not a Korund " + library + " file";
    case lrTableFull:
        return std::string("the ") + library + " holds more entries than " +
               (kind == eLibraryKind::Constants ? "MaxConst=" + std::to_string(cFormulaEngine::aConstantMax)
                                                : "MaxFunc=" + std::to_string(cFormulaEngine::aUserFunctionMax)) +
               " in [Parser] of the settings file allows; loading was cancelled";
    case lrReadFailed:
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
                                           std::vector<std::string>* unreachable) {
    std::unique_ptr<std::FILE, cFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::string("cannot open the file: ") + std::strerror(errno);
    const bool constants = kind == eLibraryKind::Constants;
    const uint32_t before = constants ? cFormulaEngine::GetConstantCount() : cFormulaEngine::GetFunctionCount();
    cFileStream stream(file.get());
    const int32_t result = LoadLibrary(kind, stream);
    if (result == kLoadOutOfMemory)
        return std::string("not enough memory to load the library; nothing of it was loaded");
    if (result != lrLoaded)
        return LoadResultMessage(kind, result, stream.Error());
    if (unreachable) {
        // The library loads as it is; names that no formula reaches are said,
        // and so are definitions the engine read without some characters.
        for (const cUnreachableName& entry :
             UnreachableLibraryNames(constants ? eNameKind::Constant : eNameKind::Function)) {
            if (entry.aIndex >= before)
                unreachable->push_back("the " + std::string(KindName(kind)) + " '" + entry.aName +
                                       "' cannot be reached by any formula: " + entry.aReason);
        }
        const uint32_t count = constants ? cFormulaEngine::GetConstantCount() : cFormulaEngine::GetFunctionCount();
        for (uint32_t i = before; i < count; ++i) {
            const tOwnedText definition =
                constants ? cFormulaEngine::GetConstantDef(i) : cFormulaEngine::GetFunctionDef(i);
            const std::string_view text = definition ? definition.get() : "";
            if (const auto foreign = FindForeignChar(text))
                unreachable->push_back("definition " + std::to_string(i - before + 1) +
                                       " of the file: " + ForeignCharMessage(text, *foreign).aText +
                                       "; the engine reads it without that character");
        }
    }
    return std::nullopt;
}

std::optional<std::string> SaveLibraryFile(eLibraryKind kind, const std::string& path) {
    cAtomicFile file(path);
    if (!file.IsOpen())
        return file.Error();
    cFileStream stream(file.Stream());
    const bool written = SaveLibrary(kind, stream);
    const int writeError = stream.Error();
    if (!written)
        return writeError != 0 ? std::string("cannot write the file: ") + std::strerror(writeError)
                               : std::string("cannot write the file");
    if (!file.Commit())
        return "cannot write the file: " + file.Error();
    return std::nullopt;
}
