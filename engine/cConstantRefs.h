// SPDX-License-Identifier: GPL-3.0-or-later
// The bookkeeping of constant references across the edit modes
// (cDependency.cpp): which entry of the constant edit copy came from which
// live constant, and how the reference lists follow a commit.
#pragma once

#include "cFormulaEngine.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

// The parts of the library state that both the edit modes and the
// bookkeeping read.
inline uint32_t LiveConstantCount() { return cFormulaEngine::aConstantArray ? cFormulaEngine::aConstantCount : 0; }
inline uint32_t LiveFunctionCount() {
    return cFormulaEngine::aUserFunctionArray ? cFormulaEngine::aUserFunctionCount : 0;
}
inline bool ConstantsEditable() { return cFormulaEngine::aConstantEditMode && cFormulaEngine::aConstantEditMem; }

class cConstantRefs {
public:
    // The one book of the process.
    static cConstantRefs& Book();

    // The constant edit copy: made from `live` live constants, then entries
    // added, replaced (they no longer stand for their live constant) or
    // deleted, until the edit mode ends.
    void StartEdit(uint32_t live);
    void Added();
    void Replaced(uint32_t index);
    void Deleted(uint32_t index);
    void EndEdit();

    // The nkConstant nodes of the live function bodies; taken before a
    // constant commit changes anything.
    static std::unordered_set<const cNode*> BodyConstantNodes();
    // After a constant commit: every referring node gets the index of its
    // constant in the new live table. Only nodes of live bodies (bodyNodes)
    // are touched; allocates nothing.
    static void Renumber(const std::unordered_set<const cNode*>& bodyNodes);

    // After the live lists were rebuilt, every entry of the constant edit
    // copy takes a fresh copy of the list of the live constant it came from.
    void RefreshEditRefs();

    // The edit copy of a list holds exactly its entries (same node pointers).
    static void CopyRefs(cConstant& target, const cConstant& source);
    static void ClearRefs(cConstant& c);

private:
    friend class cKeptConstants;
    std::vector<int64_t>& Origin();
    static constexpr int64_t kAdded = -1;
    // For each entry of the constant edit copy, the live index it was
    // copied from; kAdded for an entry added or replaced in edit mode.
    std::vector<int64_t> aOrigin;
};

// While constants are in edit mode, a body may use only live constants that
// the edit copy still holds unchanged: committing the constants afterwards
// renumbers the body's nodes through the copy's lists, and a node of a
// deleted or replaced constant would be left naming another entry. Made
// once per function commit.
class cKeptConstants {
public:
    cKeptConstants();
    bool Accepts(const cUserFunction& function) const;

private:
    bool aActive = false;
    std::vector<bool> aKept;
};

// The reference lists of a constant table, kept so that a commit that runs
// out of memory half-way can put them back.
class cRefSnapshot {
public:
    cRefSnapshot(cConstant* table, uint32_t count);
    void Restore() noexcept;

private:
    cConstant* aTable;
    std::vector<cConstant> aLists;
};
