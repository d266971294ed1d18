// SPDX-License-Identifier: GPL-3.0-or-later
// Constant reference lists: which nkConstant nodes of user-function bodies
// name which constant of the live table.
#include "cFormulaEngine.h"

#include <algorithm>
#include <vector>

namespace {

// Growth step of a list; a configured 0 counts as 1.
uint32_t RefBlock()
{
    return cFormulaEngine::aConstRefAlloc == 0 ? 1u : cFormulaEngine::aConstRefAlloc;
}

// Moves the first `count` entries of `c` into fresh storage of `capacity` entries.
void Reallocate(cConstant& c, uint32_t capacity)
{
    auto room = std::unique_ptr<cNode*[]>(new cNode*[capacity]);
    std::copy_n(c.aRefs.get(), c.aRefCount, room.get());
    c.aRefs = std::move(room);
    c.aRefCapacity = capacity;
}

// The live constant that a node names, or null when the index is out of range.
cConstant* LiveConstant(const cNode& node)
{
    if (!cFormulaEngine::aConstantArray || node.aIndex < 0
        || static_cast<uint32_t>(node.aIndex) >= cFormulaEngine::aConstantCount)
        return nullptr;
    return &cFormulaEngine::aConstantArray[node.aIndex];
}

// Visits every node of the subtree in preorder, children in written order,
// without recursion (bodies may be deep).
template <typename Visit>
void WalkTree(cNode& root, Visit visit)
{
    std::vector<cNode*> pending{&root};
    while (!pending.empty()) {
        cNode* node = pending.back();
        pending.pop_back();
        visit(*node);
        for (uint16_t k = node->aChildCount; k > 0; --k)
            pending.push_back(&node->aChildren[k - 1]);
    }
}

void AddConstantRef(cConstant& c, cNode* node)
{
    if (c.aRefCount >= c.aRefCapacity) {
        const uint32_t block = RefBlock();
        Reallocate(c, (c.aRefCount / block + 1) * block);
    }
    c.aRefs[c.aRefCount++] = node;
}

void RemoveConstantRef(cConstant& c, const cNode* node)
{
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

void cFormulaEngine::_SetNodeDependency(cNode& node)
{
    WalkTree(node, [](cNode& n) {
        if (n.aKind != nkConstant)
            return;
        if (cConstant* c = LiveConstant(n))
            AddConstantRef(*c, &n);
    });
}

void cFormulaEngine::_DelNodeDependency(cNode& node)
{
    WalkTree(node, [](cNode& n) {
        if (n.aKind != nkConstant)
            return;
        if (cConstant* c = LiveConstant(n))
            RemoveConstantRef(*c, &n);
    });
}

void cFormulaEngine::_SetDependency()
{
    if (aRoot)
        _SetNodeDependency(*aRoot);
}

void cFormulaEngine::_DelDependency()
{
    if (aRoot)
        _DelNodeDependency(*aRoot);
}
