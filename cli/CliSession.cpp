// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSession.h"

#include "CliHelp.h"
#include "CliLibraryCommands.h"
#include "CliLibraryFiles.h"
#include "CliPlot.h"
#include "CliProgress.h"

namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Splits "word rest" at the first blank.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view text)
{
    text = Trim(text);
    const auto blank = text.find_first_of(" \t");
    if (blank == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, blank), Trim(text.substr(blank))};
}

// The value as the number library renders it.
std::string Text(const cLongReal& value)
{
    return static_cast<const char*>(value);
}

} // namespace

cCliSession::cCliSession(std::ostream& out) : aOut(out), aEngine(FE_BuildInstance()), aLastResult(0L) {}

bool cCliSession::IsBlank(std::string_view line)
{
    return Trim(line).empty();
}

bool cCliSession::Run(const std::string& line)
{
    const std::string_view trimmed = Trim(line);
    const bool ok = !trimmed.empty() && trimmed.front() == ':' ? Command(trimmed) : Calculate(line);
    aOut.flush();
    return ok;
}

bool cCliSession::Calculate(const std::string& formula)
{
    std::string answer;
    bool ok = false;
    {
        cEvaluationScope evaluating;
        try {
            aEngine->Parse(formula.c_str());
            try {
                cLongReal result = aEngine->Evaluate();
                answer = Text(result);
                aLastResult = std::move(result);
                ok = true;
            } catch (feFehlerCode code) {
                answer = std::string("calc error: ") + feFehlerName(code);
            } catch (const std::exception& e) {
                answer = std::string("calc error: ") + e.what();
            } catch (...) {
                answer = "calc error: unknown failure";
            }
        } catch (feFehlerCode code) {
            answer = std::string("parse error: ") + feFehlerName(code);
        } catch (const std::exception& e) {
            answer = std::string("parse error: ") + e.what();
        } catch (...) {
            answer = "parse error: unknown failure";
        }
    }
    if (!ok)
        aLastResult = cLongReal(0L);
    aOut << answer << '\n';
    return ok;
}

bool cCliSession::Fail(const std::string& reason)
{
    aOut << "error: " << reason << '\n';
    return false;
}

bool cCliSession::Command(std::string_view line)
{
    const auto [command, argument] = SplitWord(line);
    try {
        if (command == ":m" || command == ":m+" || command == ":m-")
            return Memory(command, argument);
        if (command == ":vars" && argument.empty()) {
            ListVariables();
            return true;
        }
        if (command == ":help" && argument.empty()) {
            aOut << kCliCommands << '\n';
            for (const char* entry : kBuiltinHelp)
                aOut << "  " << entry << '\n';
            return true;
        }
        if (command == ":const" || command == ":func") {
            const auto kind = command == ":const" ? eLibraryKind::Constants : eLibraryKind::Functions;
            std::string note;
            if (auto reason = AddLibraryEntry(kind, argument, &note))
                return Fail(*reason);
            if (!note.empty())
                aOut << "note: " << note << '\n';
            return true;
        }
        if ((command == ":consts" || command == ":funcs") && argument.empty()) {
            for (const std::string& entry :
                 LibraryListing(command == ":consts" ? eLibraryKind::Constants : eLibraryKind::Functions))
                aOut << entry << '\n';
            return true;
        }
        if (command == ":save")
            return Save(argument);
        if (command == ":plot") {
            if (auto reason = PlotCommand(argument, aEngine->aVariables, aOut))
                return Fail(*reason);
            return true;
        }
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return Fail("unknown command '" + std::string(line) + "' (see :help)");
}

bool cCliSession::Memory(std::string_view command, std::string_view argument)
{
    if (argument.size() != 1 || argument[0] < 'a' || argument[0] > 'z')
        return Fail(std::string(command) + " needs one variable letter a to z");
    const char letter = argument[0];
    try {
        if (command == ":m")
            aEngine->SetVar(letter, aLastResult);
        else if (command == ":m+")
            aEngine->SetVar(letter, aEngine->GetVar(letter) + aLastResult);
        else
            aEngine->SetVar(letter, aEngine->GetVar(letter) - aLastResult);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return true;
}

bool cCliSession::Save(std::string_view argument)
{
    const auto [kind, file] = SplitWord(argument);
    if ((kind != "consts" && kind != "funcs") || file.empty())
        return Fail(":save needs consts or funcs and a file name");
    const std::string path(file);
    if (auto reason = SaveLibraryFile(kind == "consts" ? eLibraryKind::Constants : eLibraryKind::Functions, path))
        return Fail(path + ": " + *reason);
    return true;
}

void cCliSession::ListVariables()
{
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::string value;
        try {
            value = Text(aEngine->GetVar(letter));
        } catch (const std::exception& e) {
            value = std::string("<") + e.what() + ">";
        }
        aOut << letter << " = " << value << '\n';
    }
}
