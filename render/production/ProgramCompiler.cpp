#include "ProgramCompiler.h"

#include "ExprGraph.h"
#include "ProgramBuilder.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace production {

namespace {

// What a value depends on. kDepMore stands for the input colour, and for x
// and y themselves when the line programs are switched off.
constexpr uint8_t kDepX = 1;
constexpr uint8_t kDepY = 2;
constexpr uint8_t kDepMore = 4;

bool IsLineDep(uint8_t dep) { return dep == kDepX || dep == kDepY; }

}  // namespace

bool CompilePlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                 CompiledPlan& plan)
{
    ExprGraph graph(evaluator, options);
    if (!graph.Build(root))
        return false;
    plan = CompiledPlan{};
    const int size = int(graph.Nodes().size());
    const Triple outputs = graph.Outputs();

    // Live values: what the outputs need; a split needs only its live phis' branches.
    std::vector<uint8_t> live(size_t(size), 0);
    for (int o : outputs)
        live[size_t(o)] = 1;
    for (int id = size - 1; id >= 0; --id) {
        if (!live[size_t(id)])
            continue;
        const GraphNode& node = graph.Node(id);
        const int operands = node.op == Op::Phi ? 3 : kOpInfo[int(node.op)].operands;
        for (int i = 0; i < operands; ++i)
            if (node.in[i] >= 0)
                live[size_t(node.in[i])] = 1;
    }

    // Dependencies, in creation order (operands first).
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

    // Hoisted values: line values read by a value of another kind, or output.
    std::vector<uint8_t> boundary(size_t(size), 0);
    auto reads = [&](int user, int value) {
        if (value >= 0 && IsLineDep(dep[size_t(value)]) && dep[size_t(user)] != dep[size_t(value)])
            boundary[size_t(value)] = 1;
    };
    for (int id = 0; id < size; ++id) {
        if (!live[size_t(id)])
            continue;
        const GraphNode& node = graph.Node(id);
        const int operands = node.op == Op::Phi ? 3 : kOpInfo[int(node.op)].operands;
        for (int i = 0; i < operands; ++i)
            reads(id, node.in[i]);
    }
    for (int o : outputs)
        if (IsLineDep(dep[size_t(o)]))
            boundary[size_t(o)] = 1;

    std::vector<int> xRoots, yRoots;
    std::vector<int> mapping(static_cast<size_t>(size));
    for (int id = 0; id < size; ++id)
        mapping[size_t(id)] = id;
    for (int id = 0; id < size; ++id) {
        if (!boundary[size_t(id)])
            continue;
        std::vector<int>& roots = dep[size_t(id)] == kDepX ? xRoots : yRoots;
        const bool isX = dep[size_t(id)] == kDepX;
        const int slot = int(roots.size());
        roots.push_back(id);
        mapping[size_t(id)] = graph.Make(isX ? Op::LoadX : Op::LoadY, -1, -1, -1, -1, double(slot));
    }
    mapping.resize(graph.Nodes().size());
    for (size_t id = size_t(size); id < mapping.size(); ++id)
        mapping[id] = int(id);

    ProgramBuilder(graph, {}).Build(xRoots, true, plan.xLine);
    ProgramBuilder(graph, {}).Build(yRoots, true, plan.yLine);
    std::vector<int> mainRoots;
    for (int o : outputs)
        mainRoots.push_back(mapping[size_t(o)]);
    ProgramBuilder(graph, mapping).Build(mainRoots, false, plan.main);
    return true;
}

}  // namespace production
