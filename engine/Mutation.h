#pragma once
// Variations of an expression: small changes to its tree (mutations) and the
// crossing with a second tree (the mate). Everything is drawn from a
// RandomSource, so that a seed reproduces every result.
//
// Rules every variation keeps:
// - a kind whose probability is 0 in the generation settings is never put
//   into the tree (only a mate's branch is taken as it is);
// - the tree grows no deeper than the settings' maximum level, or than the
//   parent when the parent already was deeper;
// - it is a valid tree that the text format writes and reads back unchanged:
//   its parameters are those of its own ".quil" text;
// - it differs from its parent, and the variations of one round differ from
//   each other.

#include "QuilExpression.h"

#include <memory>
#include <string>
#include <vector>

class RandomSource;
struct GenerationSettings;

enum class MutationOp : int {
    Nudge,         // moves the parameters of one constant terminal a little
    ChangeKind,    // another kind with the same number of children
    NewBranch,     // a branch becomes a new random branch
    WrapOrUnwrap,  // a one-argument function above a node, or such a node replaced by its child
    SwapChildren,  // two children of a node change places
    Crossover,     // a branch becomes a copy of a branch of the mate
};
constexpr int kNumMutationOps = 6;
// Short names, as quil-cli and the tests show them.
extern const char* const kMutationOpNames[kNumMutationOps];

// Strength of a round: 1 subtle, 2 medium, 3 wild.
constexpr int kMinStrength = 1;
constexpr int kMaxStrength = 3;
// Most variations one round may ask for.
constexpr int kMaxVariationsPerRound = 1000;
// A round gives up after this many tries per variation asked for.
constexpr int kTriesPerVariation = 25;

// Levels below node: 0 for a terminal.
int BranchHeight(const ExprNode* node);

struct Variation {
    std::unique_ptr<CQuilExpression> expression;
    std::string text;             // its ".quil" text (picture names left empty)
    std::vector<MutationOp> ops;  // the operators applied, in order
};

struct VariationRound {
    std::vector<Variation> variations;
    int requested = 0;
    int tries = 0;
    // False when the tries ran out before enough different variations were found.
    bool Complete() const { return int(variations.size()) >= requested; }
};

class CMutator {
public:
    // Reads settings at every call; variations are made with resultHost as
    // their engine host (nullptr: the default host).
    CMutator(const GenerationSettings& settings, RandomSource& random, EngineHost* resultHost = nullptr);

    // count variations of parent (1..kMaxVariationsPerRound, more is cut).
    // With a mate, every variation starts with a crossover.
    VariationRound Vary(const ExprNode* parent, int count, int strength, const ExprNode* mate = nullptr);

    // One operator on parent's tree, written into out (which is reset first
    // and must not hold parent). False when the operator finds nothing it may
    // change (no constant to nudge, no mate, ...) or the pool ran out. The
    // result's parameters are not yet rounded to the text form.
    bool Apply(MutationOp op, const ExprNode* parent, CQuilExpression& out, int strength,
               const ExprNode* mate = nullptr);

    // Draws an operator by the strength's weights; crossover only with a mate.
    MutationOp ChooseOp(int strength, bool withMate);

    // The ".quil" text of a tree with picture names left empty; empty when
    // the tree cannot be written.
    std::string CanonicalText(const ExprNode* root);

private:
    struct NodeRef;
    struct Context;

    bool Nudge(Context& c);
    bool ChangeKind(Context& c);
    bool NewBranch(Context& c);
    bool WrapOrUnwrap(Context& c);
    bool SwapChildren(Context& c);
    bool Crossover(Context& c);

    bool MakeVariation(const ExprNode* parent, int strength, const ExprNode* mate, CQuilExpression* scratch,
                       std::vector<MutationOp>& ops);
    bool Allowed(int kind) const;
    double Unit();
    int Index(int k);

    const GenerationSettings& m_settings;
    RandomSource& m_random;
    EngineHost* m_pResultHost;
    SilentEngineHost m_silent;  // scratch trees write no picture name and show nothing
};
