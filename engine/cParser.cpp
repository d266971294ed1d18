// SPDX-License-Identifier: GPL-3.0-or-later
// Formula parser: splits a stretch of text at its rightmost operator of the
// lowest precedence class, recursively; operands are resolved against the
// built-in, constant and user-function tables.
#include "cParser.h"

#include "cFormulaEngine.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// ---- where a parse failed

namespace {

// The stretch of the stripped text at which the running parse threw.
struct cFault {
    const char* aFirst = nullptr;
    const char* aLast = nullptr;
    bool aUnclosed = false;
};
thread_local cFault tFault;

[[noreturn]] void Fail(feFehlerCode code, const char* first, const char* last, bool unclosed = false) {
    tFault = {first, last, unclosed};
    throw code;
}

// Offset in typed of the kept byte that is byte index of the stripped text.
int32_t TypedOffset(const char* typed, size_t index) {
    size_t kept = 0;
    for (size_t i = 0; typed && typed[i]; ++i) {
        const auto c = static_cast<signed char>(typed[i]);
        if (c >= 0x21 && c <= 0x7E && kept++ == index)
            return static_cast<int32_t>(i);
    }
    return -1;
}

// The partner of every bracket of the text being parsed, so that a stretch
// is searched without walking through the brackets it holds: without it,
// a literal nested n calls deep is read n times over. It holds the brackets
// only, so a long literal costs it nothing.
struct cBracketTable {
    const char* aBase = nullptr;
    size_t aLength = 0;
    std::vector<uint32_t> aPos;     // offsets of the brackets, ascending
    std::vector<uint32_t> aPartner; // the partner's offset, kNoPartner for an unmatched bracket
};
constexpr uint32_t kNoPartner = UINT32_MAX;
thread_local const cBracketTable* tBrackets = nullptr;

// The partner of the bracket at pos from the table, or null when the table
// does not cover pos.
const char* TablePartner(const char* pos, bool& known) {
    const cBracketTable* table = tBrackets;
    known = table && pos >= table->aBase && pos < table->aBase + table->aLength;
    if (!known)
        return nullptr;
    const auto offset = static_cast<uint32_t>(pos - table->aBase);
    const auto at = std::lower_bound(table->aPos.begin(), table->aPos.end(), offset);
    known = at != table->aPos.end() && *at == offset;
    if (!known)
        return nullptr;
    const uint32_t partner = table->aPartner[static_cast<size_t>(at - table->aPos.begin())];
    return partner == kNoPartner ? nullptr : table->aBase + partner;
}

// Installs the table of a text for as long as it lives.
class cBracketScope {
public:
    explicit cBracketScope(const char* text, size_t length) : aOuter(tBrackets) {
        if (length >= kNoPartner)
            return;
        aTable.aBase = text;
        aTable.aLength = length;
        std::vector<uint32_t> open; // indices into aPos
        for (uint32_t i = 0; i < length; ++i) {
            if (text[i] != '(' && text[i] != ')')
                continue;
            const auto k = static_cast<uint32_t>(aTable.aPos.size());
            aTable.aPos.push_back(i);
            aTable.aPartner.push_back(kNoPartner);
            if (text[i] == '(') {
                open.push_back(k);
            } else if (!open.empty()) {
                aTable.aPartner[k] = aTable.aPos[open.back()];
                aTable.aPartner[open.back()] = i;
                open.pop_back();
            }
        }
        tBrackets = &aTable;
    }
    ~cBracketScope() { tBrackets = aOuter; }
    cBracketScope(const cBracketScope&) = delete;
    cBracketScope& operator=(const cBracketScope&) = delete;

private:
    const cBracketTable* aOuter;
    cBracketTable aTable;
};

} // namespace

// ---- free functions

std::unique_ptr<char[]> StripFormula(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    auto stripped = std::make_unique<char[]>(length + 1);
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<signed char>(text[i]);
        if (c >= 0x21 && c <= 0x7E)
            stripped[n++] = text[i];
    }
    stripped[n] = '\0';
    return stripped;
}

bool IsNameChar(char c) { return (c >= 'a' && c <= 'z') || c == '_'; }

bool IsNumberChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'; }

const char* MatchOpenBackward(const char* first, const char* pos) {
    bool known = false;
    if (const char* partner = TablePartner(pos, known); known) {
        if (!partner || partner < first)
            Fail(feErrBrackets, pos, pos);
        return partner;
    }
    long depth = 0;
    for (const char* p = pos;; --p) {
        if (*p == ')')
            ++depth;
        else if (*p == '(')
            --depth;
        if (depth == 0)
            return p;
        if (p == first)
            break;
    }
    Fail(feErrBrackets, pos, pos);
}

const char* MatchCloseForward(const char* pos, const char* last) {
    bool known = false;
    if (const char* partner = TablePartner(pos, known); known) {
        if (!partner || partner > last)
            Fail(feErrBrackets, pos, pos, true);
        return partner;
    }
    long depth = 0;
    for (const char* p = pos; p <= last; ++p) {
        if (*p == '(')
            ++depth;
        else if (*p == ')')
            --depth;
        if (depth == 0)
            return p;
    }
    Fail(feErrBrackets, pos, pos, true);
}

const char* FindOperatorBackward(const char* first, const char* last, char c1, char c2) {
    if (last < first)
        return nullptr;
    for (const char* p = last;; --p) {
        if (*p == ')')
            p = MatchOpenBackward(first, p);
        else if (*p == c1 || *p == c2)
            return p;
        if (p == first)
            return nullptr;
    }
}

const char* FindCharForward(const char* first, const char* last, char c) {
    for (const char* p = first; p <= last; ++p) {
        if (*p == '(')
            p = MatchCloseForward(p, last);
        else if (*p == c)
            return p;
    }
    return nullptr;
}

void SubstituteParameters(char* body, const char* params) {
    if (!body || !params)
        return;
    const std::string original(body); // every position is judged on the text before replacement
    const size_t length = original.size();
    for (size_t i = 0; i < length; ++i) {
        const char c = original[i];
        if (i > 0 && (IsNameChar(original[i - 1]) || IsNumberChar(original[i - 1])))
            continue;
        if (i + 1 < length && IsNameChar(original[i + 1]))
            continue;
        if (const char* hit = std::strchr(params, c); hit && c != '\0')
            body[i] = static_cast<char>('a' + (hit - params));
    }
}

// ---- parser operations

namespace {

// Counts one level of _BuildNode recursion for as long as it lives.
class cDepthGuard {
public:
    explicit cDepthGuard(uint32_t& depth) : aDepth(depth) {
        // A formula of the largest weight recurses once per operator and
        // bracket, and once more for its innermost operand.
        if (++aDepth > cFormulaEngine::aMaxParseDepth + 1) {
            --aDepth;
            throw feErrTooDeep;
        }
    }
    ~cDepthGuard() { --aDepth; }
    cDepthGuard(const cDepthGuard&) = delete;
    cDepthGuard& operator=(const cDepthGuard&) = delete;

private:
    uint32_t& aDepth;
};

// A number literal: the operand's whole text, read by the number library.
// Kept out of the recursion's frames.
[[gnu::noinline]] void SetNumber(cNode& node, const char* first, const char* last) {
    const std::string literal(first, last + 1);
    node.aValue = cLongReal(literal.c_str());
    node.aKind = nkNumber;
    node.aChildren.reset();
    node.aChildCount = 0;
}

// The operator at which _BuildNode splits a stretch and the kind of its node:
// the rightmost + or - outside brackets, else the rightmost * or /, else the
// rightmost ^. One walk gives what three FindOperatorBackward walks would,
// errors included: they all take the same path and throw at the same ')'.
struct cSplit {
    const char* op;
    uint8_t kind;
};

cSplit SplitPoint(const char* first, const char* last) {
    cSplit product{nullptr, nkNone};
    cSplit power{nullptr, nkNone};
    for (const char* p = last;; --p) {
        switch (*p) {
        case ')': p = MatchOpenBackward(first, p); break;
        case '+': return {p, nkAdd};
        case '-': return {p, nkSubtract};
        case '*':
            if (!product.op)
                product = {p, nkMultiply};
            break;
        case '/':
            if (!product.op)
                product = {p, nkDivide};
            break;
        case '^':
            if (!power.op)
                power = {p, nkPower};
            break;
        default: break;
        }
        if (p == first)
            break;
    }
    return product.op ? product : power;
}

} // namespace

void cFormulaEngine::Parse(const char* formula) {
    std::unique_ptr<char[]> stripped = StripFormula(formula);
    // formula may point into the old text: it stays until the parse is over.
    const std::unique_ptr<char[]> old = std::move(aFormula);
    aRoot.reset();
    aFormula = std::move(stripped);
    aErrorFirst = aErrorLast = -1;
    aErrorUnclosed = false;
    tFault = {};
    try {
        aRoot = std::make_unique<cNode>();
        *aRoot = _BuildFormula();
    } catch (feFehlerCode code) {
        _LocateFault(formula, code);
        throw;
    }
}

void cFormulaEngine::_LocateFault(const char* typed, feFehlerCode code) {
    const char* stripped = aFormula.get();
    const size_t length = std::strlen(stripped);
    if (length == 0) {
        aErrorFirst = 0;
        aErrorLast = -1;
        return;
    }
    const char* first = tFault.aFirst;
    const char* last = tFault.aLast;
    if (code == feErrTooDeep || !first || first < stripped || last >= stripped + length) {
        first = stripped;
        last = stripped + length - 1;
    }
    aErrorFirst = TypedOffset(typed, static_cast<size_t>(first - stripped));
    aErrorLast = TypedOffset(typed, static_cast<size_t>(last - stripped));
    aErrorUnclosed = tFault.aUnclosed && code != feErrTooDeep;
}

namespace {

// An empty operand between first-1 and first: the operator or bracket next to the gap.
[[noreturn]] void FailEmpty(const char* formula, const char* first) {
    const char* at = first > formula ? first - 1 : first;
    Fail(feErrEmpty, at, at);
}

} // namespace

cNode cFormulaEngine::_BuildFormula() {
    const char* first = aFormula.get();
    const size_t length = std::strlen(first);
    if (length == 0)
        throw feErrEmpty;
    // Every level of recursion consumes an operator or a '(' (a function call
    // takes three frames per bracket), so this bounds the depth before any work.
    size_t weight = 0;
    for (size_t i = 0; i < length; ++i) {
        switch (first[i]) {
        case '+':
        case '-':
        case '*':
        case '/':
        case '^': weight += 1; break;
        case '(': weight += 3; break;
        default: break;
        }
    }
    if (weight > aMaxParseDepth)
        throw feErrTooDeep;
    const cBracketScope brackets(first, length);
    return _BuildNode(first, first + length - 1);
}

cNode cFormulaEngine::_BuildNode(const char* first, const char* last) {
    cNode node;
    _BuildInto(first, last, node);
    return node;
}

void cFormulaEngine::_BuildInto(const char* first, const char* last, cNode& node) {
    cDepthGuard guard(aParseDepth);
    if (last < first)
        FailEmpty(aFormula.get(), first);

    const cSplit split = SplitPoint(first, last);
    if (!split.op) {
        if (*first == '(' && *last == ')')
            _BuildInto(first + 1, last - 1, node);
        else
            _ProcessSymbol(first, last, node);
        return;
    }
    // A + or - at the stretch's first character is a sign of the whole rest.
    const bool sign = split.op == first && (split.kind == nkAdd || split.kind == nkSubtract);
    if (sign && split.kind == nkAdd) {
        _BuildInto(first + 1, last, node);
        return;
    }
    const uint16_t count = sign ? 1 : 2;
    node.aKind = sign ? static_cast<uint8_t>(nkNegate) : split.kind;
    node.aChildren = std::make_unique<cNode[]>(count);
    node.aChildCount = count;
    if (sign) {
        _BuildInto(first + 1, last, node.aChildren[0]);
    } else {
        _BuildInto(first, split.op - 1, node.aChildren[0]);
        _BuildInto(split.op + 1, last, node.aChildren[1]);
    }
}

void cFormulaEngine::_ProcessSymbol(const char* first, const char* last, cNode& node) {
    if (last < first)
        FailEmpty(aFormula.get(), first);

    if (IsNumberChar(*first)) {
        SetNumber(node, first, last);
        return;
    }

    const char* end = first + 1; // one past the name
    while (end <= last && IsNameChar(*end))
        ++end;
    const std::string_view name(first, static_cast<size_t>(end - first));

    if (end > last) {
        if (name.size() == 1) {
            if (*first < 'a' || *first > 'z')
                Fail(feErrBadSymbol, first, last);
            node.aKind = nkVariable;
            node.aIndex = *first - 'a';
            return;
        }
        for (uint32_t i = 0; i < aConstantCount; ++i) {
            if (aConstantArray[i].aName == name) {
                node.aKind = nkConstant;
                node.aIndex = static_cast<int32_t>(i);
                return;
            }
        }
        Fail(feErrUnknownConstant, first, last);
    }

    // A name followed by an argument list that must end at the operand's end.
    auto callWith = [&](uint8_t kind, uint32_t index, size_t argCount) {
        node.aKind = kind;
        node.aIndex = static_cast<int32_t>(index);
        _ProcessArgs(end, last, node);
        if (node.aChildCount != argCount)
            Fail(feErrArgCount, first, last);
    };

    if (name == "sum" || name == "mul") {
        callWith(name == "sum" ? nkSum : nkProduct, 0, 4);
        return;
    }
    for (uint32_t i = 0; i < aBasicFunctionCount; ++i) {
        if (aBasicFunctionArray[i].aName == name) {
            callWith(nkBasicFunction, i, aBasicFunctionArray[i].aArgCount);
            return;
        }
    }
    const cUserFunction* table = aSearchEditFunc ? aUserFunctionEditMem.get() : aUserFunctionArray.get();
    const uint32_t count = aSearchEditFunc ? aParsedFunctions : aUserFunctionCount;
    for (uint32_t i = 0; table && i < count; ++i) {
        if (table[i].aName == name) {
            callWith(nkUserFunction, i, static_cast<size_t>(table[i].aArgCount));
            return;
        }
    }
    // An operand that opens a bracket it never closes is no call at all.
    if (*first == '(') {
        try {
            MatchCloseForward(first, last);
        } catch (feFehlerCode) {
            Fail(feErrUnknownFunction, first, first, true);
        }
        Fail(feErrUnknownFunction, first, last);
    }
    Fail(feErrUnknownFunction, first, end - 1);
}

void cFormulaEngine::_ProcessArgs(const char* open, const char* close, cNode& node) {
    if (*open != '(')
        Fail(feErrBrackets, open, open);
    if (*close != ')') {
        // Either the '(' is never closed, or something follows the call.
        const char* match = MatchCloseForward(open, close);
        Fail(feErrBrackets, match + 1, close);
    }
    if (close <= open)
        Fail(feErrArgCount, open, close);
    node.aChildren.reset();
    node.aChildCount = 0;
    if (close == open + 1)
        return;

    // Delimiters: the '(' and every separator; the ')' closes the last argument.
    constexpr size_t maxArgs = UINT16_MAX;
    std::vector<const char*> delimiters{open};
    for (const char* sep = FindCharForward(open + 1, close - 1, ','); sep;
         sep = FindCharForward(sep + 1, close - 1, ',')) {
        if (delimiters.size() >= maxArgs)
            Fail(feErrArgCount, open, close);
        delimiters.push_back(sep);
    }
    delimiters.push_back(close);

    const auto count = static_cast<uint16_t>(delimiters.size() - 1);
    auto children = std::make_unique<cNode[]>(count);
    for (uint16_t k = 0; k < count; ++k)
        _BuildInto(delimiters[k] + 1, delimiters[k + 1] - 1, children[k]);
    node.aChildren = std::move(children);
    node.aChildCount = count;
}
