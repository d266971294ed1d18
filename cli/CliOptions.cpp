// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliOptions.h"

#include <string_view>

cCliOptions ParseCliOptions(int argc, const char* const* argv)
{
    cCliOptions options;
    for (int i = 1; i < argc && options.aError.empty(); ++i) {
        std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            options.aHelp = true;
            continue;
        }
        if (arg == "--version") {
            options.aVersion = true;
            continue;
        }
        // Options with a value: "-e F", "--ini F" or "--ini=F".
        std::string_view name = arg;
        const char* inlineValue = nullptr;
        if (arg.starts_with("--")) {
            if (const auto equals = arg.find('='); equals != std::string_view::npos) {
                name = arg.substr(0, equals);
                inlineValue = argv[i] + equals + 1;
            }
        }
        std::vector<std::string>* list = nullptr;
        std::string* single = nullptr;
        if (name == "-e")
            list = &options.aFormulas;
        else if (name == "--constants")
            list = &options.aConstantFiles;
        else if (name == "--functions")
            list = &options.aFunctionFiles;
        else if (name == "--ini")
            single = &options.aIniPath;
        else if (arg.starts_with("-") && arg != "-") {
            options.aError = "unknown option '" + std::string(arg) + "'";
            break;
        } else {
            options.aError = "unexpected argument '" + std::string(arg) + "'";
            break;
        }

        const char* value = inlineValue;
        if (!value) {
            if (i + 1 >= argc) {
                options.aError = "option '" + std::string(name) + "' needs an argument";
                break;
            }
            value = argv[++i];
        }
        if (single && *value == '\0') {
            options.aError = "option '" + std::string(name) + "' needs a file name";
            break;
        }
        if (list)
            list->emplace_back(value);
        else
            *single = value;
    }
    return options;
}
