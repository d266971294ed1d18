// SPDX-License-Identifier: GPL-3.0-or-later
// korund-cli: Korund's calculator for terminals, scripts and pipes.
#include "CliHelp.h"
#include "CliLibraryFiles.h"
#include "CliOptions.h"
#include "CliProgress.h"
#include "CliSession.h"
#include "KorundSettings.h"

#include "cFormulaEngine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// The engine's class-wide tables, from a successful Init to FreeStatics.
class cEngineStatics {
public:
    cEngineStatics() { cFormulaEngine::Init(); }
    ~cEngineStatics()
    {
        cFormulaEngine::CancelConstantEdit();
        cFormulaEngine::CancelFunctionEdit();
        cFormulaEngine::FreeStatics();
    }
    cEngineStatics(const cEngineStatics&) = delete;
    cEngineStatics& operator=(const cEngineStatics&) = delete;
};

// A closed standard descriptor would be taken by the next file opened, so
// that answers could end up in a library being saved. /dev/null takes it,
// opened the other way round, so that using it fails as before.
void OccupyClosedStandardDescriptors()
{
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
bool OutputWritten()
{
    errno = 0;
    std::cout.flush();
    if (std::cout.good())
        return true;
    const int error = errno;
    std::cerr << "korund-cli: cannot write the output" << (error != 0 ? ": " : "")
              << (error != 0 ? std::strerror(error) : "") << '\n';
    return false;
}

bool LoadLibraries(const cCliOptions& options)
{
    auto load = [](eLibraryKind kind, const std::string& path) {
        std::optional<std::string> reason;
        try {
            reason = LoadLibraryFile(kind, path);
        } catch (const std::exception& e) {
            reason = e.what();
        }
        if (reason)
            std::cerr << "korund-cli: " << path << ": " << *reason << '\n';
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

// Answers standard input line by line; the exit status.
int RunInput(cCliSession& session, bool interactive)
{
    if (interactive)
        std::cout << "Korund calculator. Type :help for commands, Ctrl-D to quit.\n";
    std::unique_ptr<char, decltype(&std::free)> buffer(nullptr, &std::free);
    size_t capacity = 0;
    bool allOk = true;
    for (;;) {
        if (CliInterruptRequested())
            break;
        if (interactive)
            std::cout << "> " << std::flush;
        char* raw = buffer.release();
        errno = 0;
        const ssize_t length = getline(&raw, &capacity, stdin);
        buffer.reset(raw);
        if (length < 0) {
            if (errno == EINTR && !CliInterruptRequested()) {
                std::clearerr(stdin);
                continue;
            }
            if (interactive)
                std::cout << '\n';
            break;
        }
        std::string line(raw, static_cast<size_t>(length));
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        if (cCliSession::IsBlank(line))
            continue;
        if (CliInterruptRequested())
            break;
        allOk = session.Run(line) && allOk;
        if (!std::cout.good())
            break; // nobody reads the answers
    }
    if (CliInterruptRequested()) {
        if (interactive)
            std::cout << '\n' << std::flush;
        return kExitInterrupted;
    }
    return allOk ? 0 : kExitFailed;
}

int Run(int argc, char** argv)
{
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

    std::string iniPath = KorundIniPath();
    if (!options.aIniPath.empty()) {
        iniPath = options.aIniPath;
        if (access(iniPath.c_str(), R_OK) != 0) {
            std::cerr << "korund-cli: cannot read the settings file " << iniPath << ": " << std::strerror(errno)
                      << '\n';
            return kExitUsage;
        }
    }

    std::string refusal;
    cKorundSettings settings = ReadKorundIni(iniPath, &refusal);
    if (!refusal.empty()) {
        std::cerr << "korund-cli: the settings file " << iniPath << " is refused: " << refusal << '\n';
        return kExitUsage;
    }
    for (const std::string& note : ClampCapacities(settings))
        std::cerr << "korund-cli: " << iniPath << ": " << note << '\n';

    InstallCliProgress(isatty(STDERR_FILENO) == 1);
    InstallLibraryHooks();
    ApplySettings(settings);

    std::unique_ptr<cEngineStatics> statics;
    try {
        statics = std::make_unique<cEngineStatics>();
    } catch (const std::exception& e) {
        std::cerr << "korund-cli: cannot start the engine with these settings: " << e.what() << '\n';
        return kExitFailed;
    }
    if (!LoadLibraries(options))
        return kExitFailed;
    if (CliInterruptRequested())
        return kExitInterrupted;

    try {
        cCliSession session(std::cout);
        if (options.aFormulas.empty())
            return RunInput(session, isatty(STDIN_FILENO) == 1);
        bool allOk = true;
        for (const std::string& formula : options.aFormulas) {
            if (CliInterruptRequested())
                return kExitInterrupted;
            allOk = session.Run(formula) && allOk;
            if (!std::cout.good())
                break;
        }
        return allOk ? 0 : kExitFailed;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "korund-cli: " << e.what() << '\n';
        return kExitFailed;
    }
}

} // namespace

int main(int argc, char** argv)
{
    OccupyClosedStandardDescriptors();
    const int status = Run(argc, argv);
    if (!OutputWritten() && (status == 0 || status == kExitFailed))
        return kExitFailed;
    return status;
}
