// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliOptions.h"

#include <getopt.h>

#include <charconv>
#include <string_view>

namespace {

enum : int {
    kOptHelp = 256,
    kOptIni,
    kOptConstants,
    kOptFunctions,
    kOptDigits,
    kOptAngle,
    kOptBase,
    kOptOutputBase,
    kOptVersion,
};

const option kLongOptions[] = {
    {"help", no_argument, nullptr, kOptHelp},
    {"version", no_argument, nullptr, kOptVersion},
    {"ini", required_argument, nullptr, kOptIni},
    {"constants", required_argument, nullptr, kOptConstants},
    {"functions", required_argument, nullptr, kOptFunctions},
    {"digits", required_argument, nullptr, kOptDigits},
    {"angle", required_argument, nullptr, kOptAngle},
    {"base", required_argument, nullptr, kOptBase},
    {"output-base", required_argument, nullptr, kOptOutputBase},
    {nullptr, 0, nullptr, 0},
};

std::optional<int32_t> WholeNumber(std::string_view text, int32_t least, int32_t most) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most)
        return std::nullopt;
    return value;
}

std::optional<int32_t> AngleMode(std::string_view text) {
    if (text == "rad")
        return 0;
    if (text == "deg")
        return 1;
    if (text == "gra")
        return 2;
    return std::nullopt;
}

} // namespace

cCliOptions ParseCliOptions(int argc, char* const* argv) {
    cCliOptions options;
    opterr = 0;
    optind = 0; // a full new scan
    // File arguments may stand between options; "--" ends the options.
    const char* const shortOptions = ":he:";
    for (;;) {
        int longIndex = -1;
        const int option = getopt_long(argc, argv, shortOptions, kLongOptions, &longIndex);
        if (option == -1)
            break;
        // A long option leaves optopt 0 or its value; it is the argument just read.
        const bool isLong = optopt == 0 || optopt >= kOptHelp;
        const std::string given = isLong && optind > 0 && optind <= argc ? argv[optind - 1] : "";
        auto fail = [&](std::string reason) { options.aError = std::move(reason); };
        switch (option) {
        case 'h':
        case kOptHelp: options.aHelp = true; break;
        case kOptVersion: options.aVersion = true; break;
        case 'e': options.aFormulas.emplace_back(optarg); break;
        case kOptConstants: options.aConstantFiles.emplace_back(optarg); break;
        case kOptFunctions: options.aFunctionFiles.emplace_back(optarg); break;
        case kOptIni:
            if (*optarg == '\0')
                fail("option '--ini' needs a file name");
            options.aIniPath = optarg;
            break;
        case kOptDigits:
            if (!(options.aDigits = WholeNumber(optarg, 1, kMaxCliDigits)))
                fail("--digits needs a whole number of decimal digits from 1 to " + std::to_string(kMaxCliDigits));
            break;
        case kOptAngle:
            if (!(options.aAngle = AngleMode(optarg)))
                fail("--angle needs rad, deg or gra");
            break;
        case kOptBase:
        case kOptOutputBase:
            (option == kOptBase ? options.aBase : options.aOutputBase) = WholeNumber(optarg, 2, 36);
            if (!(option == kOptBase ? options.aBase : options.aOutputBase))
                fail(std::string(option == kOptBase ? "--base" : "--output-base") + " needs a base from 2 to 36");
            break;
        case ':':
            fail("option '" + (isLong ? given : std::string("-") + static_cast<char>(optopt)) + "' needs an argument");
            break;
        default:
            if (isLong)
                fail("unknown or ambiguous option '" + given.substr(0, given.find('=')) + "'");
            else
                fail("unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'");
            break;
        }
        if (!options.aError.empty())
            return options;
    }
    for (int i = optind; i < argc; ++i)
        options.aScripts.emplace_back(argv[i]);
    return options;
}
