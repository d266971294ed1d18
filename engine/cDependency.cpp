// SPDX-License-Identifier: GPL-3.0-or-later
// Constant reference lists: which nkConstant nodes of user-function bodies
// name which constant of the live table, and how the lists follow the edit
// modes of the two libraries (cConstantRefs).
#include "cConstantRefs.h"
#include "cFormulaEngine.h"
#include "cTreeWalk.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Growth step of a list; a configured 0 counts as 1.
uint32_t RefBlock() { return cFormulaEngine::aConstRefAlloc == 0 ? 1u : cFormulaEngine::aConstRefAlloc; }

// Moves the first `count` entries of `c` into fresh storage of `capacity` entries.
void Reallocate(cConstant& c, uint32_t capacity) {
    auto room = std::unique_ptr<cNode*[]>(new cNode*[capacity]);
    std::copy_n(c.aRefs.get(), c.aRefCount, room.get());
    c.aRefs = std::move(room);
    c.aRefCapacity = capacity;
}

// The live constant that a node names, or null when the index is out of range.
cConstant* LiveConstant(const cNode& node) {
    if (!cFormulaEngine::aConstantArray || node.aIndex < 0 ||
        static_cast<uint32_t>(node.aIndex) >= cFormulaEngine::aConstantCount)
        return nullptr;
    return &cFormulaEngine::aConstantArray[static_cast<size_t>(node.aIndex)];
}

void AddConstantRef(cConstant& c, cNode* node) {
    if (c.aRefCount >= c.aRefCapacity) {
        const uint32_t block = RefBlock();
        Reallocate(c, (c.aRefCount / block + 1) * block);
    }
    c.aRefs[c.aRefCount++] = node;
}

void RemoveConstantRef(cConstant& c, const cNode* node) {
    cNode** first = c.aRefs.get();
    cNode** last = first + c.aRefCount;
    cNode** hit = std::find(first, last, node);
    if (hit == last)
        return;
    std::copy(hit + 1, last, hit);
    --c.aRefCount;
    if (c.aRefCount == 0) {
        c.aRefs.reset();
        c.aRefCapacity = 0;
    } else if (c.aRefCount % RefBlock() == 0 && c.aRefCapacity > c.aRefCount) {
        Reallocate(c, c.aRefCount);
    }
}

} // namespace

void cFormulaEngine::_SetNodeDependency(cNode& node) {
    WalkTree(node, [](cNode& n) {
        if (n.aKind != nkConstant)
            return;
        if (cConstant* c = LiveConstant(n))
            AddConstantRef(*c, &n);
    });
}

void cFormulaEngine::_DelNodeDependency(cNode& node) {
    WalkTree(node, [](cNode& n) {
        if (n.aKind != nkConstant)
            return;
        if (cConstant* c = LiveConstant(n))
            RemoveConstantRef(*c, &n);
    });
}

void cFormulaEngine::_SetDependency() {
    if (aRoot)
        _SetNodeDependency(*aRoot);
}

void cFormulaEngine::_DelDependency() {
    if (aRoot)
        _DelNodeDependency(*aRoot);
}

// ---- the bookkeeping across the edit modes

cConstantRefs& cConstantRefs::Book() {
    static cConstantRefs book;
    return book;
}

std::vector<int64_t>& cConstantRefs::Origin() {
    aOrigin.resize(cFormulaEngine::aConstantEditCount, kAdded);
    return aOrigin;
}

void cConstantRefs::StartEdit(uint32_t live) {
    std::vector<int64_t> origin(live);
    std::iota(origin.begin(), origin.end(), int64_t{0});
    aOrigin = std::move(origin);
}

void cConstantRefs::Added() { Origin().push_back(kAdded); }

void cConstantRefs::Replaced(uint32_t index) { Origin()[index] = kAdded; }

void cConstantRefs::Deleted(uint32_t index) {
    auto& origin = Origin();
    origin.erase(origin.begin() + index);
}

void cConstantRefs::EndEdit() { aOrigin.clear(); }

std::unordered_set<const cNode*> cConstantRefs::BodyConstantNodes() {
    std::unordered_set<const cNode*> bodyNodes;
    for (uint32_t f = 0; f < LiveFunctionCount(); ++f) {
        const cUserFunction& function = cFormulaEngine::aUserFunctionArray[f];
        if (function.aTree && function.aTree->aRoot)
            WalkTree(*static_cast<const cNode*>(function.aTree->aRoot.get()), [&](const cNode& node) {
                if (node.aKind == nkConstant)
                    bodyNodes.insert(&node);
            });
    }
    return bodyNodes;
}

void cConstantRefs::Renumber(const std::unordered_set<const cNode*>& bodyNodes) {
    for (uint32_t j = 0; j < LiveConstantCount(); ++j) {
        cConstant& c = cFormulaEngine::aConstantArray[j];
        uint32_t kept = 0;
        for (uint32_t r = 0; r < c.aRefCount; ++r) {
            cNode* node = c.aRefs[r];
            if (bodyNodes.contains(node)) {
                node->aIndex = static_cast<int32_t>(j);
                c.aRefs[kept++] = node;
            }
        }
        c.aRefCount = kept;
        if (kept == 0)
            ClearRefs(c);
    }
}

cKeptConstants::cKeptConstants() {
    if (!ConstantsEditable())
        return;
    aActive = true;
    aKept.assign(LiveConstantCount(), false);
    for (const int64_t origin : cConstantRefs::Book().Origin())
        if (origin >= 0 && static_cast<uint64_t>(origin) < aKept.size())
            aKept[static_cast<size_t>(origin)] = true;
}

bool cKeptConstants::Accepts(const cUserFunction& function) const {
    if (!aActive || !function.aTree || !function.aTree->aRoot)
        return true;
    return !AnyNode(*function.aTree->aRoot, [&](const cNode& node) {
        return node.aKind == nkConstant && (node.aIndex < 0 || static_cast<size_t>(node.aIndex) >= aKept.size() ||
                                            !aKept[static_cast<size_t>(node.aIndex)]);
    });
}

void cConstantRefs::RefreshEditRefs() {
    if (!ConstantsEditable())
        return;
    const auto& origin = Origin();
    for (uint32_t j = 0; j < cFormulaEngine::aConstantEditCount; ++j) {
        cConstant& entry = cFormulaEngine::aConstantEditMem[j];
        if (origin[j] >= 0 && static_cast<uint64_t>(origin[j]) < LiveConstantCount())
            CopyRefs(entry, cFormulaEngine::aConstantArray[static_cast<size_t>(origin[j])]);
        else
            ClearRefs(entry);
    }
}

void cConstantRefs::CopyRefs(cConstant& target, const cConstant& source) {
    std::unique_ptr<cNode*[]> room;
    if (source.aRefCount > 0) {
        room.reset(new cNode*[source.aRefCount]);
        std::copy_n(source.aRefs.get(), source.aRefCount, room.get());
    }
    target.aRefs = std::move(room);
    target.aRefCount = source.aRefCount;
    target.aRefCapacity = source.aRefCount;
}

void cConstantRefs::ClearRefs(cConstant& c) {
    c.aRefs.reset();
    c.aRefCount = 0;
    c.aRefCapacity = 0;
}

cRefSnapshot::cRefSnapshot(cConstant* table, uint32_t count) : aTable(table) {
    aLists.reserve(count);
    for (uint32_t j = 0; j < count; ++j) {
        cConstant copy;
        cConstantRefs::CopyRefs(copy, table[j]);
        copy.aRefCapacity = table[j].aRefCapacity;
        aLists.push_back(std::move(copy));
    }
}

void cRefSnapshot::Restore() noexcept {
    for (size_t j = 0; j < aLists.size(); ++j) {
        aTable[j].aRefs = std::move(aLists[j].aRefs);
        aTable[j].aRefCount = aLists[j].aRefCount;
        aTable[j].aRefCapacity = aLists[j].aRefCapacity;
    }
}
