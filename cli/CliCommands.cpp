// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of a korund-cli session.
#include "CliHelp.h"
#include "CliLibraryCommands.h"
#include "CliLibraryFiles.h"
#include "CliPlot.h"
#include "CliSession.h"
#include "CliText.h"
#include "KorundSettings.h"
#include "ParseMessages.h"
#include "cBuiltins.h"

namespace {

std::string Text(const cLongReal& value) { return static_cast<const char*>(value); }

bool Memory(cCliSession& session, std::string_view command, std::string_view argument) {
    if (argument.size() != 1 || argument[0] < 'a' || argument[0] > 'z')
        return session.Fail(std::string(command) + " needs one variable letter a to z");
    const char letter = argument[0];
    cFormulaEngine& engine = session.Engine();
    if (command == ":m")
        engine.SetVar(letter, session.LastResult());
    else if (command == ":m+")
        engine.SetVar(letter, engine.GetVar(letter) + session.LastResult());
    else
        engine.SetVar(letter, engine.GetVar(letter) - session.LastResult());
    return true;
}

bool Variables(cCliSession& session, std::string_view, std::string_view) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::string value;
        try {
            value = Text(session.Engine().GetVar(letter));
        } catch (const std::exception& e) {
            value = std::string("<") + e.what() + ">";
        }
        session.Out() << letter << " = " << value << '\n';
    }
    return true;
}

bool Help(cCliSession& session, std::string_view, std::string_view argument) {
    if (!argument.empty()) {
        std::string_view name = argument;
        if (const auto open = name.find('('); open != std::string_view::npos)
            name = name.substr(0, open); // ":help sin(x)" as well
        if (const cBuiltin* builtin = FindBuiltin(name)) {
            session.Out() << BuiltinHelpLine(*builtin) << '\n';
            return true;
        }
        return session.Fail("'" + std::string(argument) + "' is not a built-in function (see :help)");
    }
    session.Out() << kCliCommands << '\n';
    for (const cBuiltin& entry : kBuiltins)
        session.Out() << "  " << BuiltinHelpLine(entry) << '\n';
    return true;
}

bool Define(cCliSession& session, std::string_view command, std::string_view argument) {
    const auto kind = command == ":const" ? eLibraryKind::Constants : eLibraryKind::Functions;
    std::string note;
    if (auto reason = AddLibraryEntry(kind, argument, &note))
        return session.Fail(*reason);
    if (!note.empty())
        session.Out() << "note: " << note << '\n';
    return true;
}

bool Listing(cCliSession& session, std::string_view command, std::string_view) {
    for (const std::string& entry :
         LibraryListing(command == ":consts" ? eLibraryKind::Constants : eLibraryKind::Functions))
        session.Out() << entry << '\n';
    return true;
}

bool Save(cCliSession& session, std::string_view, std::string_view argument) {
    const auto [kind, file] = SplitWord(argument);
    if ((kind != "consts" && kind != "funcs") || file.empty())
        return session.Fail(":save needs consts or funcs and a file name");
    const std::string path(file);
    if (auto reason = SaveLibraryFile(kind == "consts" ? eLibraryKind::Constants : eLibraryKind::Functions, path))
        return session.Fail(path + ": " + *reason);
    return true;
}

bool Plot(cCliSession& session, std::string_view, std::string_view argument) {
    if (auto reason = PlotCommand(argument, session.Engine().aVariables, session.Out()))
        return session.Fail(*reason);
    return true;
}

bool Settings(cCliSession& session, std::string_view, std::string_view) {
    for (const std::string& line : EngineStateLines())
        session.Out() << line << '\n';
    return true;
}

bool Quit(cCliSession& session, std::string_view, std::string_view) {
    session.Finish();
    return true;
}

// A command that takes no argument.
tCliCommand Alone(bool (*run)(cCliSession&, std::string_view, std::string_view)) {
    return [run](cCliSession& session, std::string_view name, std::string_view argument) {
        if (!argument.empty())
            return session.Fail(std::string(name) + " takes no argument");
        return run(session, name, argument);
    };
}

} // namespace

const std::vector<cCliCommandEntry>& cCliSession::Commands() {
    static const std::vector<cCliCommandEntry> commands = {
        {":m", Memory},
        {":m+", Memory},
        {":m-", Memory},
        {":vars", Alone(Variables)},
        {":const", Define},
        {":func", Define},
        {":consts", Alone(Listing)},
        {":funcs", Alone(Listing)},
        {":save", Save},
        {":plot", Plot},
        {":settings", Alone(Settings)},
        {":help", Help},
        {":q", Alone(Quit)},
        {"quit", Alone(Quit)},
        {"exit", Alone(Quit)},
    };
    return commands;
}
