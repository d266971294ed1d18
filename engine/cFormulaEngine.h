// SPDX-License-Identifier: GPL-3.0-or-later
// cFormulaEngine: Korund's formula engine.
//
// Class-wide (static) state: the built-in function table, the constant and
// user-function libraries with their edit copies, capacities and the three
// hooks of the host. Per instance: one parsed formula as a tree of cNode,
// the 26 variables a..z and the progress counters of the running evaluation.
#pragma once

#include "cLongReal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class cFormulaEngine;
class cUserFunction;
class cConstant;
class cBasicFunction;

// Parser errors, thrown by value.
enum feFehlerCode : uint8_t {
    feErrBrackets = 0,
    feErrUnknownFunction = 1,
    feErrUnknownConstant = 2,
    feErrBadSymbol = 3,
    feErrEmpty = 4,
    feErrArgCount = 5,
    feErrTooDeep = 6, // nesting or chaining beyond the parser's depth limit
};
// "feErrBrackets", ... for messages; "feErrUnknown" for codes out of range.
const char* feFehlerName(feFehlerCode code);

// Node kinds.
enum : uint8_t {
    nkUserFunction = 0,
    nkBasicFunction = 1,
    nkConstant = 2,
    nkVariable = 3,
    nkAdd = 4,
    nkSubtract = 5,
    nkMultiply = 6,
    nkDivide = 7,
    nkPower = 8,
    nkNegate = 9,
    nkNumber = 10,
    nkSum = 11,
    nkProduct = 12,
    nkNone = 0xFF, // default-constructed node: no kind set
};

// Activity codes of the progress hook.
enum : uint8_t {
    faIdle = 0,
    faCalculating = 1,
    faSaving = 2,
    faLoading = 3,
    faInterpreting = 4,
};

// The result of reading a library file (ConstantsFromFile,
// FunctionsFromFile) and of committing an edit (Stop...Edit): one of these,
// or 0 and more, the index of the entry that did not compile.
enum LoadResult : int32_t {
    lrLoaded = -1,
    lrReadFailed = -2, // the file ended early or could not be read
    lrTableFull = -3,  // more entries than the capacity of the table
    lrBadMagic = -4,   // not a library file of this kind
    lrBadVersion = -5, // another version of the file format
};

// Host hooks. The engine never calls one that is null: a missing progress hook
// means no reports, a missing file hook a failed transfer.
using tFileReadHook = uint16_t (*)(void* buffer, uint16_t count);
using tFileWriteHook = uint16_t (*)(const void* buffer, uint16_t count);
using tProgressHook = void (*)(uint16_t level, uint8_t activity, uint32_t total, uint32_t done);

// A text returned by the library operations; null when there is none.
using tOwnedText = std::unique_ptr<char[]>;

// Built-in function: a number-library function of 0, 1 or 2 arguments, kept
// with its type (none in an empty record).
using tBasicFn0 = cLongReal (*)();
using tBasicFn1 = cLongReal (*)(const cLongReal&);
using tBasicFn2 = cLongReal (*)(const cLongReal&, const cLongReal&);
using tBasicFn = std::variant<std::monostate, tBasicFn0, tBasicFn1, tBasicFn2>;

// One node of an expression tree; owns its children.
class cNode {
public:
    uint8_t aKind = nkNone;
    int32_t aIndex = 0;
    std::unique_ptr<cNode[]> aChildren; // exactly aChildCount nodes, null when 0
    uint16_t aChildCount = 0;
    cLongReal aValue;

    cNode() = default;
    cNode(const cNode& other);     // deep copy
    cNode(cNode&& other) noexcept; // takes the subtree, leaves other without children
    ~cNode() = default;
    cNode& operator=(const cNode& other); // deep copy, old subtrees released
    cNode& operator=(cNode&& other) noexcept;
};

class cFormulaEngine {
public:
    // ---- instance state
    cLongReal aVariables[26];
    std::unique_ptr<cNode> aRoot;
    std::unique_ptr<char[]> aFormula;
    uint32_t aStepsTotal = 0;
    uint32_t aStepsDone = 0;
    uint16_t aLevel = 0;
    uint8_t aSilent = 0;
    // Where the last Parse failed: byte offsets of the failing operand,
    // bracket or name in the text as given (blanks included), inclusive; an
    // empty formula gives 0 and -1, a successful parse -1 and -1.
    // aErrorUnclosed: the stretch is a '(' that is never closed.
    int32_t aErrorFirst = -1;
    int32_t aErrorLast = -1;
    bool aErrorUnclosed = false;

    cFormulaEngine();
    explicit cFormulaEngine(const char* formula); // parses; a parse error propagates
    ~cFormulaEngine();
    cFormulaEngine(const cFormulaEngine&) = delete;
    cFormulaEngine& operator=(const cFormulaEngine&) = delete;

    // ---- class-wide state
    static std::unique_ptr<cUserFunction[]> aUserFunctionArray;
    static uint32_t aUserFunctionCount;
    static std::unique_ptr<cConstant[]> aConstantArray;
    static uint32_t aConstantCount;
    static std::unique_ptr<cBasicFunction[]> aBasicFunctionArray;
    static uint32_t aBasicFunctionCount;
    static std::unique_ptr<cUserFunction[]> aUserFunctionEditMem;
    static uint32_t aUserFunctionEditCount;
    static std::unique_ptr<cConstant[]> aConstantEditMem;
    static uint32_t aConstantEditCount;
    static bool aConstantEditMode;
    static bool aFunctionEditMode;
    static bool aSearchEditFunc;
    static uint32_t aParsedFunctions;
    static uint32_t aUserFunctionMax;
    static uint32_t aConstantMax;
    static uint16_t aConstRefAlloc;
    static tFileReadHook FileRead;
    static tFileWriteHook FileWrite;
    static tProgressHook ProgressIndicator;

    // ---- static tables
    static void Init();
    static void FreeStatics();
    static void _SetBasic(uint16_t index, const char* name, tBasicFn function, uint16_t argCount);

    // ---- parser
    void Parse(const char* formula);
    cNode _BuildNode(const char* first, const char* last);
    void _ProcessSymbol(const char* first, const char* last, cNode& node);
    void _ProcessArgs(const char* open, const char* close, cNode& node);

    // ---- evaluator
    cLongReal Evaluate();
    cLongReal _EvalNode(const cNode& node);
    bool SetVar(char name, cLongReal value);
    cLongReal GetVar(char name) const;
    uint32_t _NodeCalcSteps(const cNode& node);

    // ---- dependency tracking
    void _SetNodeDependency(cNode& node);
    void _DelNodeDependency(cNode& node);
    void _SetDependency();
    void _DelDependency();

    // ---- libraries
    static bool AddFunction(const char* definition, const char* description);
    static bool AddConstant(const char* definition, const char* description);
    static bool DeleteFunction(uint32_t index);
    static bool DeleteConstant(uint32_t index);
    static bool ReplaceFunction(uint32_t index, const char* definition, const char* description);
    static bool ReplaceConstant(uint32_t index, const char* definition, const char* description);
    static tOwnedText GetFunctionDef(uint32_t index);
    static tOwnedText GetFunctionDesc(uint32_t index);
    static tOwnedText GetConstantDef(uint32_t index);
    static tOwnedText GetConstantDesc(uint32_t index);
    static uint32_t GetFunctionCount();
    static uint32_t GetConstantCount();
    static void StartFunctionEdit();
    static int32_t StopFunctionEdit();
    static void CancelFunctionEdit();
    static void StartConstantEdit();
    static int32_t StopConstantEdit();
    static void CancelConstantEdit();

    // ---- library files
    static bool FunctionsToFile();
    static bool ConstantsToFile();
    static int32_t FunctionsFromFile();
    static int32_t ConstantsFromFile();

    // The most operators plus brackets (a '(' weighs 3) a whole formula may
    // hold; _BuildNode recurses at most once more, for the innermost operand.
    // Beyond either a parse throws feErrTooDeep.
    static constexpr uint32_t aMaxParseDepth = 10000;

private:
    uint32_t aParseDepth = 0; // recursion depth of the running parse
    bool aBeatSent = false;   // a report was sent while the steps were counted
    // Operand values of the running evaluation, a stack whose numbers keep
    // their addresses as it grows.
    std::vector<std::unique_ptr<cLongReal>> aScratch;
    uint32_t aScratchTop = 0;  // slots of aScratch in use
    size_t aSlotCapacity = 0;  // operands the memory budget admits, set per evaluation
    uint64_t aJournalMark = 0; // the recomputation that saved this instance's variables

    cNode _BuildFormula();                                   // the tree of the whole of aFormula
    void _LocateFault(const char* typed, feFehlerCode code); // sets aErrorFirst..aErrorUnclosed
    // _BuildNode into a given node, so the recursion keeps no node temporaries.
    void _BuildInto(const char* first, const char* last, cNode& node);
    // _EvalInto keeps a small frame, as deep trees recurse through it; the
    // rarer node kinds are evaluated by the helpers below it.
    void _EvalInto(const cNode& node, cLongReal& out);
    void _EvalOperator(const cNode& node, cLongReal& out);
    bool _EvalBasicFunction(const cNode& node, cLongReal& out);
    void _EvalUserFunction(const cNode& node, cLongReal& out);
    void _EvalLoop(const cNode& node, cLongReal& out);
    cLongReal _EvaluatePass();
    void _CountStep();
    void _Journal();
    cLongReal& _PushScratch();
    friend class cScratchSlot;
    friend class cVariableJournal;
    friend class cFlatBody;
};

// One user-defined function.
class cUserFunction {
public:
    int16_t aArgCount = 0;
    std::unique_ptr<cFormulaEngine> aTree; // parsed body; null until compiled
    std::string aName;
    std::string aDescription;
    std::string aDefinition; // name(p1,p2,...)=body, as entered
};

// One named constant.
class cConstant {
public:
    cLongReal aValue;
    std::string aName;
    std::string aDescription;
    std::string aDefinition; // name=value, as entered
    uint32_t aRefCount = 0;
    std::unique_ptr<cNode*[]> aRefs; // nkConstant nodes of function bodies; not owned
    uint32_t aRefCapacity = 0;       // room in aRefs, in entries
};

// One built-in function.
class cBasicFunction {
public:
    uint16_t aArgCount = 0; // the arguments aFunction takes
    tBasicFn aFunction;
    std::string aName;
};

cFormulaEngine* FE_BuildInstance();
void FE_ClearInstance(cFormulaEngine*& instance);
