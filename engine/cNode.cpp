// SPDX-License-Identifier: GPL-3.0-or-later
// cNode: deep copy and moves of expression trees.
#include "cFormulaEngine.h"

#include <utility>

namespace {

// New array holding deep copies of count nodes; null for none.
std::unique_ptr<cNode[]> CopyChildren(const cNode* children, uint16_t count) {
    if (count == 0 || children == nullptr)
        return nullptr;
    auto copy = std::make_unique<cNode[]>(count);
    for (uint16_t i = 0; i < count; ++i)
        copy[i] = children[i];
    return copy;
}

} // namespace

cNode::cNode(const cNode& other)
    : aKind(other.aKind), aIndex(other.aIndex), aChildren(CopyChildren(other.aChildren.get(), other.aChildCount)),
      aChildCount(aChildren ? other.aChildCount : 0), aValue(other.aValue) {}

cNode::cNode(cNode&& other) noexcept
    : aKind(other.aKind), aIndex(other.aIndex), aChildren(std::move(other.aChildren)),
      aChildCount(std::exchange(other.aChildCount, 0)), aValue(std::move(other.aValue)) {}

cNode& cNode::operator=(const cNode& other) {
    if (this == &other)
        return *this;
    // Copy first, so a failing copy leaves this node as it was.
    auto children = CopyChildren(other.aChildren.get(), other.aChildCount);
    aValue = other.aValue;
    aKind = other.aKind;
    aIndex = other.aIndex;
    aChildCount = children ? other.aChildCount : 0;
    aChildren = std::move(children); // releases the old subtrees
    return *this;
}

cNode& cNode::operator=(cNode&& other) noexcept {
    if (this == &other)
        return *this;
    aKind = other.aKind;
    aIndex = other.aIndex;
    // Take other's subtree before releasing ours: other may live inside it.
    auto taken = std::move(other.aChildren);
    aChildCount = std::exchange(other.aChildCount, 0);
    aValue = std::move(other.aValue);
    aChildren = std::move(taken);
    return *this;
}
