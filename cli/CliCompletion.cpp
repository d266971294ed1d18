// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliCompletion.h"

#include "cBuiltins.h"
#include "cFormulaEngine.h"
#include "cParser.h"

#include <algorithm>

cCompletion CompleteWord(std::string_view line, size_t cursor, const std::vector<std::string>& names,
                         const std::vector<std::string>& commands) {
    cCompletion completion;
    cursor = std::min(cursor, line.size());
    size_t start = cursor;
    while (start > 0 && IsNameChar(line[start - 1]))
        --start;
    const size_t lineStart = std::min(line.find_first_not_of(" \t"), cursor);
    const bool commandWord = start == lineStart || (start == lineStart + 1 && line[lineStart] == ':');
    if (commandWord)
        start = lineStart;
    completion.aWordStart = start;
    const std::string_view word = line.substr(start, cursor - start);
    if (word.empty())
        return completion;

    auto take = [&](const std::vector<std::string>& from) {
        for (const std::string& candidate : from)
            if (candidate.starts_with(word))
                completion.aCandidates.push_back(candidate);
    };
    if (commandWord)
        take(commands);
    if (!word.starts_with(':'))
        take(names);
    std::sort(completion.aCandidates.begin(), completion.aCandidates.end());
    completion.aCandidates.erase(std::unique(completion.aCandidates.begin(), completion.aCandidates.end()),
                                 completion.aCandidates.end());
    return completion;
}

std::string CommonStart(const std::vector<std::string>& candidates) {
    if (candidates.empty())
        return {};
    std::string common = candidates.front();
    for (const std::string& candidate : candidates) {
        const auto differ = std::mismatch(common.begin(), common.end(), candidate.begin(), candidate.end());
        common.erase(differ.first, common.end());
    }
    return common;
}

std::vector<std::string> CompletableNames() {
    std::vector<std::string> names;
    for (const cBuiltin& builtin : kBuiltins)
        names.push_back(std::string(builtin.aName) + "(");
    for (uint32_t i = 0; cFormulaEngine::aConstantArray && i < cFormulaEngine::aConstantCount; ++i)
        names.push_back(cFormulaEngine::aConstantArray[i].aName);
    for (uint32_t i = 0; cFormulaEngine::aUserFunctionArray && i < cFormulaEngine::aUserFunctionCount; ++i)
        names.push_back(cFormulaEngine::aUserFunctionArray[i].aName + "(");
    return names;
}
