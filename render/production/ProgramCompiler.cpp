#include "ProgramCompiler.h"

#include "ExprGraph.h"
#include "ProgramBuilder.h"

#include <algorithm>
#include <map>

namespace production {

namespace {

// What a value depends on. kDepMore stands for the input colour, and for x
// and y themselves when the line programs are switched off.
constexpr uint8_t kDepX = 1;
constexpr uint8_t kDepY = 2;
constexpr uint8_t kDepMore = 4;

bool IsLineDep(uint8_t dep) { return dep == kDepX || dep == kDepY; }

int OperandCount(const GraphNode& node) { return node.op == Op::Phi ? 3 : kOpInfo[int(node.op)].operands; }

// The values the outputs need; a split needs only its live phis' branches.
std::vector<uint8_t> LiveValues(const ExprGraph& graph, const std::vector<int>& outputs)
{
    const int size = int(graph.Nodes().size());
    std::vector<uint8_t> live(size_t(size), 0);
    for (int o : outputs)
        live[size_t(o)] = 1;
    for (int id = size - 1; id >= 0; --id) {
        if (!live[size_t(id)])
            continue;
        const GraphNode& node = graph.Node(id);
        for (int i = 0; i < OperandCount(node); ++i)
            if (node.in[i] >= 0)
                live[size_t(node.in[i])] = 1;
    }
    return live;
}

// Dependencies, in creation order (operands first).
std::vector<uint8_t> Dependencies(const ExprGraph& graph, const std::vector<uint8_t>& live,
                                  const ProductionOptions& options)
{
    const int size = int(graph.Nodes().size());
    std::vector<uint8_t> dep(size_t(size), 0);
    for (int id = 0; id < size; ++id) {
        const GraphNode& node = graph.Node(id);
        uint8_t d = 0;
        switch (node.op) {
        case Op::Const: break;
        case Op::XVal: d = options.hoistLines ? kDepX : kDepMore; break;
        case Op::YVal: d = options.hoistLines ? kDepY : kDepMore; break;
        case Op::InR:
        case Op::InG:
        case Op::InB: d = kDepMore; break;
        case Op::Phi: d = dep[size_t(node.in[0])]; break;
        case Op::IfSplit:
            d = dep[size_t(node.in[0])];
            for (int phi : graph.PhisOf(id))
                if (live[size_t(phi)])
                    d |= dep[size_t(graph.Node(phi).in[1])] | dep[size_t(graph.Node(phi).in[2])];
            break;
        default:
            for (int i = 0; i < kOpInfo[int(node.op)].operands; ++i)
                d |= dep[size_t(node.in[i])];
            break;
        }
        dep[size_t(id)] = d;
    }
    return dep;
}

// Splits the graph's values among the three programs: the x-only and y-only
// values that a value of another kind reads, or that are outputs, are
// computed by the line programs and loaded by the main one, which computes
// the rest. The main program's roots are the outputs, used as `use` says;
// storing bytes, they are only the outputs of neither line, and `sources`
// receives where each output is found.
void BuildPrograms(ExprGraph& graph, const std::vector<int>& outputs, const ProductionOptions& options, RootUse use,
                   CompiledPlan& plan, std::vector<ValueSource>* sources = nullptr)
{
    plan = CompiledPlan{};
    const int size = int(graph.Nodes().size());
    const std::vector<uint8_t> live = LiveValues(graph, outputs);
    const std::vector<uint8_t> dep = Dependencies(graph, live, options);

    std::vector<uint8_t> boundary(size_t(size), 0);
    auto reads = [&](int user, int value) {
        if (value >= 0 && IsLineDep(dep[size_t(value)]) && dep[size_t(user)] != dep[size_t(value)])
            boundary[size_t(value)] = 1;
    };
    for (int id = 0; id < size; ++id) {
        if (!live[size_t(id)])
            continue;
        const GraphNode& node = graph.Node(id);
        for (int i = 0; i < OperandCount(node); ++i)
            reads(id, node.in[i]);
    }
    for (int o : outputs)
        if (IsLineDep(dep[size_t(o)]))
            boundary[size_t(o)] = 1;

    std::vector<int> xRoots, yRoots;
    std::vector<int> lineSlot(size_t(size), -1);
    std::vector<int> mapping(static_cast<size_t>(size));
    for (int id = 0; id < size; ++id)
        mapping[size_t(id)] = id;
    for (int id = 0; id < size; ++id) {
        if (!boundary[size_t(id)])
            continue;
        const bool isX = dep[size_t(id)] == kDepX;
        std::vector<int>& roots = isX ? xRoots : yRoots;
        const int slot = int(roots.size());
        lineSlot[size_t(id)] = slot;
        roots.push_back(id);
        mapping[size_t(id)] = graph.Make(isX ? Op::LoadX : Op::LoadY, -1, -1, -1, -1, double(slot));
    }
    mapping.resize(graph.Nodes().size());
    for (size_t id = size_t(size); id < mapping.size(); ++id)
        mapping[id] = int(id);

    ProgramBuilder(graph, {}).Build(xRoots, RootUse::TableSlots, plan.xLine);
    ProgramBuilder(graph, {}).Build(yRoots, RootUse::TableSlots, plan.yLine);
    std::vector<int> mainRoots;
    for (int o : outputs) {
        if (use != RootUse::ChannelBytes) {
            mainRoots.push_back(mapping[size_t(o)]);
            continue;
        }
        ValueSource source;
        if (graph.IsConst(o)) {
            source.constant = graph.ConstValue(o);
        } else if (IsLineDep(dep[size_t(o)])) {
            source.home = dep[size_t(o)] == kDepX ? ValueHome::XLine : ValueHome::YLine;
            source.slot = lineSlot[size_t(o)];
        } else {
            source.home = ValueHome::Main;
            source.slot = int(mainRoots.size());
            mainRoots.push_back(mapping[size_t(o)]);
        }
        sources->push_back(source);
    }
    ProgramBuilder(graph, mapping).Build(mainRoots, use, plan.main);
}

// The tree's nodes in pre-order, each with the pre-order index past its
// branch; children are those the node lists (nChildren, at most three).
void PreOrder(const ExprNode* root, std::vector<const ExprNode*>& nodes, std::vector<int>& branchEnd)
{
    std::vector<std::pair<const ExprNode*, int>> stack;  // node, its parent's index
    std::vector<int> open;                               // indices whose branch is not closed
    stack.push_back({root, -1});
    while (!stack.empty()) {
        const auto [node, parent] = stack.back();
        stack.pop_back();
        // Every open branch that is not this node's ancestor ends here.
        while (!open.empty() && open.back() != parent) {
            branchEnd[size_t(open.back())] = int(nodes.size());
            open.pop_back();
        }
        const int index = int(nodes.size());
        nodes.push_back(node);
        branchEnd.push_back(index + 1);
        open.push_back(index);
        const int children = node ? std::clamp(node->nChildren, 0, 3) : 0;
        for (int i = children - 1; i >= 0; --i)
            stack.push_back({node->pChild[i], index});
    }
    for (int index : open)
        branchEnd[size_t(index)] = int(nodes.size());
}

}  // namespace

bool CompilePlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                 CompiledPlan& plan)
{
    ExprGraph graph(evaluator, options);
    if (!graph.Build(root))
        return false;
    const Triple outputs = graph.Outputs();
    BuildPrograms(graph, {outputs[0], outputs[1], outputs[2]}, options, RootUse::Outputs, plan);
    return true;
}

bool CompileThumbnailPlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                          ThumbnailPlan& plan)
{
    // Every node's value is wanted on every sample, branches of "if" too: a
    // lazy "if" would only partition and merge values computed everywhere.
    ProductionOptions eager = options;
    eager.lazyIf = false;
    ExprGraph graph(evaluator, eager);
    if (!graph.Build(root))
        return false;

    plan = ThumbnailPlan{};
    std::vector<const ExprNode*> nodes;
    PreOrder(root, nodes, plan.branchEnd);
    std::vector<int> values;                                  // distinct values
    std::vector<int> indexOf(graph.Nodes().size(), -1);       // value -> index in values
    std::map<std::array<int, 3>, int> imageOf;                // value indices -> image
    std::vector<std::array<int, 3>> imageValues;
    plan.imageOfNode.reserve(nodes.size());
    for (const ExprNode* node : nodes) {
        Triple value;
        if (!graph.ValueOf(node, value))
            return false;  // a child the evaluator never reaches, listed all the same
        std::array<int, 3> indices;
        for (size_t k = 0; k < 3; ++k) {
            int& index = indexOf[size_t(value[k])];
            if (index < 0) {
                index = int(values.size());
                values.push_back(value[k]);
            }
            indices[k] = index;
        }
        const auto [it, added] = imageOf.try_emplace(indices, int(imageValues.size()));
        if (added)
            imageValues.push_back(indices);
        plan.imageOfNode.push_back(it->second);
    }
    std::vector<ValueSource> sources;
    BuildPrograms(graph, values, eager, RootUse::ChannelBytes, plan.programs, &sources);
    for (const std::array<int, 3>& indices : imageValues)
        plan.images.push_back({sources[size_t(indices[0])], sources[size_t(indices[1])], sources[size_t(indices[2])]});
    return true;
}

}  // namespace production
