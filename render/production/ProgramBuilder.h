#pragma once
// ProgramBuilder turns the part of a scalar graph that one program computes
// into register code: execution order, the sample set (branch of a lazy
// "if") of every value, the imports into branches, and registers by live
// ranges.

#include "ExprGraph.h"
#include "Program.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace production {

// What a program does with its roots: keeps them as the three outputs (a
// picture's main program), stores them in the line tables, or stores each as
// channel bytes once it is computed (the thumbnails' main program).
enum class RootUse { Outputs, TableSlots, ChannelBytes };

// Builds one program from the graph: the values reachable from its roots,
// with operands seen through a mapping (the main program reads hoisted values
// through table loads).
class ProgramBuilder {
public:
    ProgramBuilder(const ExprGraph& graph, std::vector<int> mapping)
        : m_graph(graph), m_map(std::move(mapping)), m_size(int(graph.Nodes().size()))
    {
    }

    // Root i goes to table slot i or byte slot i; as outputs, the first
    // three are the picture's channels.
    void Build(const std::vector<int>& roots, RootUse use, Program& program);

private:
    struct SmallList {
        int v[8];
        int n = 0;
        void Add(int x) { v[n++] = x; }
    };
    struct Domain {
        int parent = -1;
        int split = -1;  // split number of the branch
        int side = 0;
        int depth = 0;
        std::vector<int> nodes;    // in execution order
        std::vector<int> imports;  // values gathered from the parent at entry
    };

    const GraphNode& Node(int id) const { return m_graph.Node(id); }
    int Map(int id) const { return m_map.empty() ? id : m_map[size_t(id)]; }
    bool IsConst(int id) const { return Node(id).op == Op::Const; }
    void Operands(int id, bool scheduling, SmallList& out) const;
    void Visit(const std::vector<int>& roots, bool scheduling, std::vector<int>* order);
    int Lca(int a, int b) const;
    void ChooseEagerSplits();
    void AssignDomains(const std::vector<int>& roots);
    void NeedIn(int value, int domain);
    void AddImports();
    int Ref(int value, int domain);
    int Instance(int domain, int value);
    void EmitDomain(int domain);
    void EmitByteStores(int value, int domain);
    void EmitByteStore(int value, int domain, int slot);
    void Emit(const Instr& instr) { m_code.push_back(instr); }
    std::vector<int> AllocateRegisters(const std::vector<int>& liveAtEnd, Program& program);

    const ExprGraph& m_graph;
    std::vector<int> m_map;
    int m_size;
    std::vector<uint8_t> m_reached;
    std::vector<std::vector<int>> m_splitPhis;  // phis of each split reached in this program
    std::vector<int> m_order;
    std::vector<int> m_dom;
    std::vector<int> m_useDom;
    std::vector<Domain> m_domains;
    std::unordered_map<int, std::array<int, 2>> m_splitDomains;
    std::vector<uint8_t> m_eager;  // splits computed as selects (no library call in either branch)
    std::unordered_map<int, int> m_splitNumber;
    std::unordered_map<uint64_t, int> m_instances;
    std::vector<int> m_leafInstance;  // per leaf op
    std::unordered_map<int, int> m_constIndex;
    std::vector<double> m_constants;
    int m_numInstances = 0;
    std::vector<Instr> m_code;
    // (root, byte slot) of the roots an instruction computes, sorted (RootUse::ChannelBytes).
    std::vector<std::pair<int, int>> m_byteSlots;
};

}  // namespace production
