// SPDX-License-Identifier: GPL-3.0-or-later
// Library files: the live constants or functions as a list of definition and
// description texts, moved through the host's FileRead/FileWrite hooks.
//
// Layout (little-endian): magic[3] "KRC"/"KRF", version u16 0x0100,
// count i32, then per entry: u16 length + definition, u16 length + description.
#include "cCompileMemory.h"
#include "cFormulaEngine.h"
#include "cProgress.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

using Engine = cFormulaEngine;

constexpr uint16_t kVersion = 0x0100;
constexpr size_t kMaxText = 0xFFFF;

struct LibraryKind {
    const char* magic;
    bool* editMode;
    void (*start)();
    bool (*add)(const char*, const char*);
    int32_t (*stop)();
    void (*cancel)();
};

const LibraryKind kConstants{"KRC",
                             &Engine::aConstantEditMode,
                             &Engine::StartConstantEdit,
                             &Engine::AddConstant,
                             &Engine::StopConstantEdit,
                             &Engine::CancelConstantEdit};
const LibraryKind kFunctions{"KRF",
                             &Engine::aFunctionEditMode,
                             &Engine::StartFunctionEdit,
                             &Engine::AddFunction,
                             &Engine::StopFunctionEdit,
                             &Engine::CancelFunctionEdit};

// Library work reports at level 0.
void Report(uint8_t activity, uint32_t total, uint32_t done) { ReportProgress(0, activity, total, done); }

// ---- writing

bool WriteBytes(const void* data, size_t size) {
    return size == 0 || Engine::FileWrite(data, static_cast<uint16_t>(size)) == size;
}

bool WriteU16(uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    return WriteBytes(bytes, sizeof bytes);
}

bool WriteU32(uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return WriteBytes(bytes, sizeof bytes);
}

bool WriteText(const std::string& text) {
    return WriteU16(static_cast<uint16_t>(text.size())) && WriteBytes(text.data(), text.size());
}

template <typename Record>
bool WriteLibrary(const char* magic, const Record* table, uint32_t count) {
    if (!Engine::FileWrite)
        return false;
    // A text that the length field cannot hold fails the save before any byte.
    for (uint32_t i = 0; i < count; ++i)
        if (table[i].aDefinition.size() > kMaxText || table[i].aDescription.size() > kMaxText)
            return false;

    if (!WriteBytes(magic, 3) || !WriteU16(kVersion) || !WriteU32(count))
        return false;
    Report(faSaving, count, 0);
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) {
        if (!WriteText(table[i].aDefinition) || !WriteText(table[i].aDescription)) {
            ok = false;
            break;
        }
        Report(faSaving, count, i + 1);
    }
    Report(faIdle, 0, 0);
    return ok;
}

// ---- reading

bool ReadBytes(void* data, size_t size) {
    return size == 0 || Engine::FileRead(data, static_cast<uint16_t>(size)) == size;
}

bool ReadU16(uint16_t& value) {
    unsigned char bytes[2];
    if (!ReadBytes(bytes, sizeof bytes))
        return false;
    value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool ReadU32(uint32_t& value) {
    unsigned char bytes[4];
    if (!ReadBytes(bytes, sizeof bytes))
        return false;
    value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
    return true;
}

// One length-prefixed text, zero-terminated.
bool ReadText(std::vector<char>& text) {
    uint16_t length = 0;
    if (!ReadU16(length))
        return false;
    text.assign(size_t{length} + 1, '\0');
    return ReadBytes(text.data(), length);
}

// Edit mode opened for one read; cancelled unless committed, also when a hook throws.
class EditSession {
public:
    explicit EditSession(const LibraryKind& kind) : mKind(kind) { mKind.start(); }
    ~EditSession() { Cancel(); }
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    int32_t Commit() {
        const int32_t result = mKind.stop();
        if (result == lrLoaded)
            mOpen = false;
        return result;
    }

    void Cancel() {
        if (mOpen)
            mKind.cancel();
        mOpen = false;
    }

private:
    const LibraryKind& mKind;
    bool mOpen = true;
};

int32_t ReadLibrary(const LibraryKind& kind) {
    // Reading commits through edit mode; pending edits of the user are not ours to take.
    if (!Engine::FileRead || *kind.editMode)
        return lrReadFailed;

    char magic[3];
    if (!ReadBytes(magic, sizeof magic))
        return lrReadFailed;
    if (std::memcmp(magic, kind.magic, sizeof magic) != 0)
        return lrBadMagic;
    uint16_t version = 0;
    if (!ReadU16(version))
        return lrReadFailed;
    if (version != kVersion)
        return lrBadVersion;
    uint32_t rawCount = 0;
    if (!ReadU32(rawCount))
        return lrReadFailed;
    const int32_t count = static_cast<int32_t>(rawCount);
    const uint32_t total = count > 0 ? static_cast<uint32_t>(count) : 0;

    EditSession session(kind);
    // The level closes on every way out, a failed allocation included.
    struct cIdleOnExit {
        bool aOpen = true;
        ~cIdleOnExit() {
            if (aOpen)
                Report(faIdle, 0, 0);
        }
    } idle;
    Report(faLoading, total, 0);
    std::vector<char> definition;
    std::vector<char> description;
    for (uint32_t i = 0; i < total; ++i) {
        if (!ReadText(definition) || !ReadText(description)) {
            session.Cancel();
            return lrReadFailed;
        }
        if (!kind.add(definition.data(), description.data())) {
            session.Cancel();
            return lrTableFull;
        }
        Report(faLoading, total, i + 1);
    }
    idle.aOpen = false;
    Report(faIdle, 0, 0);
    const int32_t result = session.Commit();
    session.Cancel();
    if (result >= 0 && compilememory::OutOfMemory())
        throw std::bad_alloc();
    return result;
}

} // namespace

bool cFormulaEngine::ConstantsToFile() {
    return WriteLibrary(kConstants.magic, aConstantArray.get(), aConstantArray ? aConstantCount : 0);
}

bool cFormulaEngine::FunctionsToFile() {
    return WriteLibrary(kFunctions.magic, aUserFunctionArray.get(), aUserFunctionArray ? aUserFunctionCount : 0);
}

int32_t cFormulaEngine::ConstantsFromFile() { return ReadLibrary(kConstants); }

int32_t cFormulaEngine::FunctionsFromFile() { return ReadLibrary(kFunctions); }
