// SPDX-License-Identifier: GPL-3.0-or-later
// korund-cli: Korund's calculator for terminals, scripts and pipes.
#include "CliHelp.h"
#include "CliLibraryFiles.h"
#include "CliLineSources.h"
#include "CliOptions.h"
#include "CliProgress.h"
#include "CliSession.h"
#include "CliSettings.h"
#include "CliStreamInput.h"
#include "EngineStart.h"
#include "KorundSettings.h"

#include "cFormulaEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// A closed standard descriptor would be taken by the next file opened, so
// that answers could end up in a library being saved. /dev/null takes it,
// opened the other way round, so that using it fails as before.
void OccupyClosedStandardDescriptors() {
    const int modes[3] = {O_WRONLY, O_RDONLY, O_RDONLY};
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int got = open("/dev/null", modes[fd] | O_CLOEXEC);
        if (got >= 0 && got != fd) {
            dup2(got, fd);
            close(got);
        }
    }
}

// False, with the reason on standard error, when not all of the output
// could be written.
bool OutputWritten() {
    errno = 0;
    std::cout.flush();
    if (std::cout.good())
        return true;
    const int error = errno;
    std::cerr << "korund-cli: cannot write the output" << (error != 0 ? ": " : "")
              << (error != 0 ? std::strerror(error) : "") << '\n';
    return false;
}

bool LoadLibraries(const cCliOptions& options) {
    auto load = [](eLibraryKind kind, const std::string& path) {
        std::optional<std::string> reason;
        std::vector<std::string> unreachable;
        try {
            reason = LoadLibraryFile(kind, path, &unreachable);
        } catch (const std::exception& e) {
            reason = e.what();
        }
        if (reason)
            std::cerr << "korund-cli: " << path << ": " << *reason << '\n';
        for (const std::string& note : unreachable)
            std::cerr << "korund-cli: " << path << ": " << note << '\n';
        return !reason;
    };
    for (const std::string& path : options.aConstantFiles)
        if (!load(eLibraryKind::Constants, path))
            return false;
    for (const std::string& path : options.aFunctionFiles)
        if (!load(eLibraryKind::Functions, path))
            return false;
    return true;
}

// The open script files, or the reason one cannot be read.
struct cFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using tFile = std::unique_ptr<std::FILE, cFileCloser>;

std::optional<std::string> OpenScripts(const cCliOptions& options, std::vector<tFile>& files) {
    for (const std::string& path : options.aScripts) {
        tFile file(std::fopen(path.c_str(), "r"));
        struct stat info {};
        if (!file)
            return "cannot read the script " + path + ": " + std::strerror(errno);
        if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode))
            return "cannot read the script " + path + ": " + std::strerror(EISDIR);
        files.push_back(std::move(file));
    }
    return std::nullopt;
}

int Answer(const cCliOptions& options, std::vector<tFile>& scripts) {
    const bool terminalIn = isatty(STDIN_FILENO) == 1;
    const bool terminalOut = isatty(STDOUT_FILENO) == 1;
    cCliSession session(std::cout, terminalOut);
    bool allOk = true;
    auto status = [&](eRunEnd end) {
        if (end == eRunEnd::Interrupted) {
            if (terminalIn)
                std::cout << '\n' << std::flush;
            return kExitInterrupted;
        }
        return allOk ? 0 : kExitFailed;
    };

    for (const std::string& formula : options.aFormulas) {
        if (CliInterruptRequested())
            return status(eRunEnd::Interrupted);
        allOk = session.Run(formula) && allOk;
        if (!std::cout.good() || session.Finished())
            return status(eRunEnd::Done);
    }
    for (size_t i = 0; i < scripts.size(); ++i) {
        cStreamInput input(scripts[i].get());
        cStreamSource source(input, false, true);
        const eRunEnd end = RunLines(session, source, allOk);
        if (input.Error() != 0 && end == eRunEnd::Done) {
            std::cerr << "korund-cli: cannot read the script " << options.aScripts[i] << ": "
                      << std::strerror(input.Error()) << '\n';
            allOk = false;
        }
        if (end != eRunEnd::Done)
            return status(end);
    }
    if (!options.aFormulas.empty() || !scripts.empty())
        return status(eRunEnd::Done);

    if (terminalIn && terminalOut) {
        std::cout << "Korund calculator. Type :help for commands, quit or Ctrl-D to leave.\n";
        cTerminalSource source;
        return status(RunLines(session, source, allOk));
    }
    if (terminalIn)
        std::cout << "Korund calculator. Type :help for commands, Ctrl-D to quit.\n";
    cStreamInput input(stdin);
    cStreamSource source(input, terminalIn, false);
    return status(RunLines(session, source, allOk));
}

int Run(int argc, char** argv) {
    const cCliOptions options = ParseCliOptions(argc, argv);
    if (!options.aError.empty()) {
        std::cerr << "korund-cli: " << options.aError << "\nTry 'korund-cli --help'.\n";
        return kExitUsage;
    }
    if (options.aHelp) {
        std::cout << kCliUsage;
        return 0;
    }
    if (options.aVersion) {
        std::cout << "korund-cli " << KorundVersion() << '\n';
        return 0;
    }
    std::vector<tFile> scripts;
    if (auto reason = OpenScripts(options, scripts)) {
        std::cerr << "korund-cli: " << *reason << '\n';
        return kExitUsage;
    }

    cKorundSettings settings;
    if (const auto failed = LoadCliSettings(options, settings, std::cerr))
        return *failed;

    InstallCliProgress(isatty(STDERR_FILENO) == 1);
    InstallLibraryHooks();

    std::unique_ptr<cEngineStatics> statics;
    try {
        statics = std::make_unique<cEngineStatics>(settings);
    } catch (const std::exception& e) {
        std::cerr << "korund-cli: cannot start the engine with these settings: " << e.what() << '\n';
        return kExitFailed;
    }
    if (!statics->Reset().empty())
        std::cerr << "korund-cli: not enough memory for " << JoinedKeys(statics->Reset())
                  << " of the settings file; the default is used\n";
    if (!LoadLibraries(options))
        return kExitFailed;
    if (CliInterruptRequested())
        return kExitInterrupted;

    try {
        return Answer(options, scripts);
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "korund-cli: " << e.what() << '\n';
        return kExitFailed;
    }
}

} // namespace

int main(int argc, char** argv) {
    OccupyClosedStandardDescriptors();
    const int status = Run(argc, argv);
    if (!OutputWritten() && (status == 0 || status == kExitFailed))
        return kExitFailed;
    return status;
}
