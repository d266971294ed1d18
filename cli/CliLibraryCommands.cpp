// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliLibraryCommands.h"

#include "CliText.h"
#include "ParseMessages.h"
#include "cFormulaEngine.h"
#include "cFormulaText.h"
#include "cNameCheck.h"
#include "cParser.h"

namespace {

const std::string_view kDescriptionSeparator = " | ";

std::string Stripped(const std::string& text) { return StripFormula(text.c_str()).get(); }

// A parse of the function body: nullopt, or the parser's reason. The body
// is the stripped text with the parameters renamed, so no column is given.
std::optional<std::string> ParseFailure(const std::string& body) {
    cFormulaEngine probe;
    cParseFailure failure;
    try {
        probe.Parse(body.c_str());
        return std::nullopt;
    } catch (feFehlerCode code) {
        failure.aCode = code;
    } catch (const std::exception& e) {
        failure.aWhat = e.what();
    }
    failure.aFirst = probe.aErrorFirst;
    failure.aLast = probe.aErrorLast;
    failure.aUnclosed = probe.aErrorUnclosed;
    return "in the body: " + ParseFailureMessage(body, failure, false).aText;
}

// Label for lists: printable characters only, up to the first '='.
std::string Label(const char* definition) {
    std::string label = Stripped(definition ? definition : "");
    return label.substr(0, label.find('='));
}

// Descriptions may hold line breaks; a listing keeps one line per entry.
std::string OneLine(const char* text) {
    std::string line = text ? text : "";
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return line;
}

} // namespace

std::optional<std::string> CheckConstantDefinition(const std::string& definition) {
    const std::string text = Stripped(definition);
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        return "a constant definition has the form name=value";
    try {
        cLongReal value(text.c_str() + equals + 1);
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

std::optional<std::string> CheckFunctionDefinition(const std::string& definition) {
    const std::string text = Stripped(definition);
    const auto equals = text.find('=');
    const std::string head = text.substr(0, equals);
    const auto open = head.find('(');
    if (equals == std::string::npos || open == std::string::npos || head.back() != ')')
        return "a function definition has the form name(x,y)=body";

    std::string params;
    if (head[head.size() - 2] != '(') {
        for (size_t at = open + 1;; at += 2) {
            if (!IsNameChar(head[at]))
                return "a parameter is one letter a to z or _, parameters separated by single commas";
            params += head[at];
            if (head[at + 1] != ',')
                break;
        }
    }
    std::string body = text.substr(equals + 1);
    SubstituteParameters(body.data(), params.c_str());
    return ParseFailure(body);
}

namespace {

// The name that a definition defines: up to '=' for a constant, up to '('
// for a function, blanks and other unprinted characters left out.
std::string DefinedName(const char* definition, bool constant) {
    const std::string text = Stripped(definition ? definition : "");
    return text.substr(0, text.find(constant ? '=' : '('));
}

// Index of the live entry that the parser finds for the name: the first.
std::optional<uint32_t> FindEntry(const std::string& name, bool constants) {
    const uint32_t count = constants ? cFormulaEngine::GetConstantCount() : cFormulaEngine::GetFunctionCount();
    for (uint32_t i = 0; i < count; ++i) {
        const tOwnedText definition = constants ? cFormulaEngine::GetConstantDef(i) : cFormulaEngine::GetFunctionDef(i);
        if (DefinedName(definition.get(), constants) == name)
            return i;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> AddLibraryEntry(eLibraryKind kind, std::string_view argument, std::string* note) {
    argument = Trim(argument);
    std::string description;
    if (const auto bar = argument.find(kDescriptionSeparator); bar != std::string_view::npos) {
        description = Trim(argument.substr(bar + kDescriptionSeparator.size()));
        argument = Trim(argument.substr(0, bar));
    }
    const std::string definition(argument);
    if (definition.empty())
        return "a definition is needed";
    if (definition.size() > kMaxEntryText || description.size() > kMaxEntryText)
        return "a definition or description may hold at most " + std::to_string(kMaxEntryText) +
               " bytes, which is what a library file can hold";

    // The engine leaves out what is not printable ASCII, which would change the definition.
    if (const auto foreign = FindForeignChar(definition))
        return ForeignCharMessage(definition, *foreign).aText;
    const bool constants = kind == eLibraryKind::Constants;
    if (auto reason = constants ? CheckConstantDefinition(definition) : CheckFunctionDefinition(definition))
        return reason;
    const std::string name = DefinedName(definition.c_str(), constants);
    if (const char* why = UnreachableNameReason(name, constants ? eNameKind::Constant : eNameKind::Function))
        return "no formula could reach the name '" + name + "': " + why;
    const std::optional<uint32_t> existing = FindEntry(name, constants);

    if (constants)
        cFormulaEngine::StartConstantEdit();
    else
        cFormulaEngine::StartFunctionEdit();
    const auto cancel = constants ? &cFormulaEngine::CancelConstantEdit : &cFormulaEngine::CancelFunctionEdit;
    try {
        if (existing) {
            // Replaced in place, so functions that use it keep finding it.
            const bool replaced =
                constants ? cFormulaEngine::ReplaceConstant(*existing, definition.c_str(), description.c_str())
                          : cFormulaEngine::ReplaceFunction(*existing, definition.c_str(), description.c_str());
            if (!replaced) {
                cancel();
                return "the constant " + name + " is used by a function and cannot be redefined";
            }
        } else {
            const bool added = constants ? cFormulaEngine::AddConstant(definition.c_str(), description.c_str())
                                         : cFormulaEngine::AddFunction(definition.c_str(), description.c_str());
            if (!added) {
                cancel();
                return constants ? "the constant library is full (see MaxConst)"
                                 : "the function library is full (see MaxFunc)";
            }
        }
        const int32_t failed = constants ? cFormulaEngine::StopConstantEdit() : cFormulaEngine::StopFunctionEdit();
        if (failed >= 0) {
            cancel();
            return "the library does not compile (entry " + std::to_string(failed) + ")";
        }
    } catch (...) {
        cancel();
        throw;
    }
    if (existing && note)
        *note = "replaced the earlier definition of " + name;
    return std::nullopt;
}

std::vector<std::string> LibraryListing(eLibraryKind kind) {
    const bool constants = kind == eLibraryKind::Constants;
    const uint32_t count = constants ? cFormulaEngine::GetConstantCount() : cFormulaEngine::GetFunctionCount();
    std::vector<std::string> lines;
    for (uint32_t i = 0; i < count; ++i) {
        const tOwnedText definition = constants ? cFormulaEngine::GetConstantDef(i) : cFormulaEngine::GetFunctionDef(i);
        const tOwnedText description =
            constants ? cFormulaEngine::GetConstantDesc(i) : cFormulaEngine::GetFunctionDesc(i);
        std::string line = Label(definition.get());
        if (description && description[0] != '\0')
            line += std::string(kDescriptionSeparator) + OneLine(description.get());
        lines.push_back(std::move(line));
    }
    return lines;
}
