// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: arbitrary bytes as constant and function library files,
// then a write-read round trip of whatever was loaded.
#include "cFormulaEngine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> gFile;
size_t gPos = 0;

uint16_t ReadHook(void* buffer, uint16_t count) {
    const size_t n = std::min<size_t>(count, gFile.size() - gPos);
    if (n > 0)
        std::memcpy(buffer, gFile.data() + gPos, n);
    gPos += n;
    return static_cast<uint16_t>(n);
}

uint16_t WriteHook(const void* buffer, uint16_t count) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    gFile.insert(gFile.end(), bytes, bytes + count);
    return count;
}

void Load(const uint8_t* data, size_t size) {
    gFile.assign(data, data + size);
    gPos = 0;
}

using tCount = uint32_t (*)();
using tGet = tOwnedText (*)(uint32_t);

std::vector<std::string> Texts(tCount count, tGet def, tGet desc) {
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < count(); ++i) {
        texts.emplace_back(def(i).get());
        texts.emplace_back(desc(i).get());
    }
    return texts;
}

void Clear(void (*start)(), bool (*del)(uint32_t), tCount count, int32_t (*stop)()) {
    start();
    while (count() > 0 && del(0)) {
    }
    stop();
}

// Writes the live library, empties it, reads the bytes back: the texts must survive.
template <typename Write, typename Read>
void RoundTrip(Write write, Read read, void (*start)(), bool (*del)(uint32_t), tCount count, int32_t (*stop)(),
               tGet def, tGet desc) {
    const std::vector<std::string> before = Texts(count, def, desc);
    gFile.clear();
    if (!write())
        std::abort();
    Clear(start, del, count, stop);
    gPos = 0;
    if (read() != -1)
        std::abort();
    if (Texts(count, def, desc) != before)
        std::abort();
}

void Setup() {
    static bool done = false;
    if (done)
        return;
    done = true;
    cFormulaEngine::aConstantMax = 8;
    cFormulaEngine::aUserFunctionMax = 8;
    cFormulaEngine::aConstRefAlloc = 2;
    cFormulaEngine::FileRead = ReadHook;
    cFormulaEngine::FileWrite = WriteHook;
    cFormulaEngine::Init();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    using E = cFormulaEngine;
    Clear(E::StartFunctionEdit, E::DeleteFunction, E::GetFunctionCount, E::StopFunctionEdit);
    Clear(E::StartConstantEdit, E::DeleteConstant, E::GetConstantCount, E::StopConstantEdit);

    Load(data, size);
    if (E::ConstantsFromFile() == -1)
        RoundTrip(E::ConstantsToFile, E::ConstantsFromFile, E::StartConstantEdit, E::DeleteConstant,
                  E::GetConstantCount, E::StopConstantEdit, E::GetConstantDef, E::GetConstantDesc);
    Load(data, size);
    if (E::FunctionsFromFile() == -1) {
        // Functions may use the constants; round-trip them while the constants stay.
        const std::vector<std::string> before = Texts(E::GetFunctionCount, E::GetFunctionDef, E::GetFunctionDesc);
        gFile.clear();
        if (!E::FunctionsToFile())
            std::abort();
        Clear(E::StartFunctionEdit, E::DeleteFunction, E::GetFunctionCount, E::StopFunctionEdit);
        gPos = 0;
        if (E::FunctionsFromFile() != -1)
            std::abort();
        if (Texts(E::GetFunctionCount, E::GetFunctionDef, E::GetFunctionDesc) != before)
            std::abort();
    }
    return 0;
}
