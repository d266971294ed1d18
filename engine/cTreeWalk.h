// SPDX-License-Identifier: GPL-3.0-or-later
// The one walk over an expression tree: every node in preorder, children in
// written order, without recursion (a body may nest deeply).
#pragma once

#include "cFormulaEngine.h"

#include <type_traits>
#include <vector>

// Node is cNode or const cNode. visit returns void, or bool: false stops the
// walk. False when the walk was stopped.
template <typename Node, typename Visit>
bool WalkTree(Node& root, Visit visit) {
    std::vector<Node*> pending{&root};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if constexpr (std::is_same_v<std::invoke_result_t<Visit&, Node&>, bool>) {
            if (!visit(*node))
                return false;
        } else {
            visit(*node);
        }
        for (uint16_t k = node->aChildCount; k > 0; --k)
            pending.push_back(&node->aChildren[k - 1]);
    }
    return true;
}

// Whether any node of the tree satisfies test.
template <typename Test>
bool AnyNode(const cNode& root, Test test) {
    return !WalkTree(root, [&](const cNode& node) { return !test(node); });
}

// Whether a subtree holds a sum or product of its own instance (the only
// nodes that write this instance's variables).
inline bool HasLoop(const cNode& root) {
    return AnyNode(root, [](const cNode& node) { return node.aKind == nkSum || node.aKind == nkProduct; });
}
