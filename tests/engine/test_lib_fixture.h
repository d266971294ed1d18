// SPDX-License-Identifier: GPL-3.0-or-later
// Shared fixture of the library tests: fresh engine tables per test, an
// in-memory library file behind the file hooks and a recorded progress log.
#pragma once

#include "cFormulaEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

using Engine = cFormulaEngine;
using Bytes = std::vector<unsigned char>;

struct ProgressCall {
    uint16_t level;
    uint8_t activity;
    uint32_t total;
    uint32_t done;
    bool operator==(const ProgressCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ProgressCall& c) {
    return out << '(' << c.level << ',' << int{c.activity} << ',' << c.total << ',' << c.done << ')';
}

// The file behind the hooks. Reads take from `data` at `readPos`; writes
// append to it. `writeLimit` makes writes fail once that many bytes are in.
struct MemoryFile {
    static inline Bytes data;
    static inline size_t readPos = 0;
    static inline size_t readCalls = 0;
    static inline size_t writeLimit = SIZE_MAX;

    static uint16_t Read(void* buffer, uint16_t count) {
        ++readCalls;
        const size_t n = std::min<size_t>(count, data.size() - readPos);
        if (n > 0)
            std::memcpy(buffer, data.data() + readPos, n);
        readPos += n;
        return static_cast<uint16_t>(n);
    }

    static uint16_t Write(const void* buffer, uint16_t count) {
        const size_t room = writeLimit > data.size() ? writeLimit - data.size() : 0;
        const size_t n = std::min<size_t>(count, room);
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        data.insert(data.end(), bytes, bytes + n);
        return static_cast<uint16_t>(n);
    }

    static void Reset(Bytes content = {}) {
        data = std::move(content);
        readPos = 0;
        readCalls = 0;
        writeLimit = SIZE_MAX;
    }
};

struct ProgressLog {
    static inline std::vector<ProgressCall> calls;
    static void Record(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
        calls.push_back({level, activity, total, done});
    }
};

// One library entry as texts.
struct Entry {
    std::string definition;
    std::string description;
    bool operator==(const Entry&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << '{' << e.definition << " | " << e.description << '}';
}

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        Engine::aUserFunctionMax = 100;
        Engine::aConstantMax = 100;
        Engine::aConstRefAlloc = 10;
        Engine::FileRead = &MemoryFile::Read;
        Engine::FileWrite = &MemoryFile::Write;
        Engine::ProgressIndicator = &ProgressLog::Record;
        MemoryFile::Reset();
        ProgressLog::calls.clear();
        ResetTables();
    }

    void TearDown() override {
        Engine::CancelFunctionEdit();
        Engine::CancelConstantEdit();
        Engine::FreeStatics();
        Engine::aUserFunctionCount = 0;
        Engine::aConstantCount = 0;
        Engine::aSearchEditFunc = false;
        Engine::aParsedFunctions = 0;
        Engine::FileRead = nullptr;
        Engine::FileWrite = nullptr;
        Engine::ProgressIndicator = nullptr;
    }

    // Empty tables at the current capacities.
    static void ResetTables() {
        Engine::CancelFunctionEdit();
        Engine::CancelConstantEdit();
        Engine::FreeStatics();
        Engine::aUserFunctionCount = 0;
        Engine::aConstantCount = 0;
        Engine::aUserFunctionEditMem.reset();
        Engine::aConstantEditMem.reset();
        Engine::aUserFunctionEditCount = 0;
        Engine::aConstantEditCount = 0;
        Engine::aConstantEditMode = false;
        Engine::aFunctionEditMode = false;
        Engine::aSearchEditFunc = false;
        Engine::aParsedFunctions = 0;
        Engine::Init();
    }

    // Appends entries through edit mode; the Stop result.
    static int32_t CommitConstants(std::initializer_list<Entry> entries) {
        Engine::StartConstantEdit();
        for (const Entry& e : entries)
            EXPECT_TRUE(Engine::AddConstant(e.definition.c_str(), e.description.c_str())) << e;
        return Engine::StopConstantEdit();
    }

    static int32_t CommitFunctions(std::initializer_list<Entry> entries) {
        Engine::StartFunctionEdit();
        for (const Entry& e : entries)
            EXPECT_TRUE(Engine::AddFunction(e.definition.c_str(), e.description.c_str())) << e;
        return Engine::StopFunctionEdit();
    }

    // The texts that Get returns, in order.
    static std::vector<Entry> Constants() {
        std::vector<Entry> out;
        for (uint32_t i = 0; i < Engine::GetConstantCount(); ++i)
            out.push_back({Engine::GetConstantDef(i).get(), Engine::GetConstantDesc(i).get()});
        return out;
    }

    static std::vector<Entry> Functions() {
        std::vector<Entry> out;
        for (uint32_t i = 0; i < Engine::GetFunctionCount(); ++i)
            out.push_back({Engine::GetFunctionDef(i).get(), Engine::GetFunctionDesc(i).get()});
        return out;
    }

    static cLongReal Eval(const char* formula) {
        cFormulaEngine engine;
        engine.Parse(formula);
        return engine.Evaluate();
    }

    static bool Near(const cLongReal& x, const cLongReal& y) {
        return abs(x - y) <= cLongReal("1E-30") * (abs(y) + cLongReal(1L));
    }
};
