#include "ProgramBuilder.h"

#include <algorithm>
#include <climits>

namespace production {

namespace {

bool IsTableLoad(Op op) { return op == Op::LoadX || op == Op::LoadY; }

// A reference to a value while code is emitted: an instance (a value in one
// sample set) when >= 0, a constant register when <= kConstRefBase.
constexpr int kConstRefBase = -2;
inline int ConstRef(int index) { return kConstRefBase - index; }
inline bool IsConstRef(int ref) { return ref <= kConstRefBase; }
inline int ConstIndex(int ref) { return kConstRefBase - ref; }

}  // namespace

void ProgramBuilder::Operands(int id, bool scheduling, SmallList& out) const
{
    const GraphNode& node = Node(id);
    auto add = [&](int v) {
        if (v >= 0 && !IsConst(v))
            out.Add(v);
    };
    switch (node.op) {
    case Op::Phi:
        add(node.in[0]);
        if (!scheduling) {
            add(Map(node.in[1]));
            add(Map(node.in[2]));
        }
        break;
    case Op::IfSplit:
        add(Map(node.in[0]));
        // The split runs both sides, so it comes after everything they read.
        if (scheduling)
            for (int phi : m_splitPhis[size_t(id)]) {
                add(Map(Node(phi).in[1]));
                add(Map(Node(phi).in[2]));
            }
        break;
    default:
        if (IsLeafOp(node.op))
            break;
        for (int i = 0; i < kOpInfo[int(node.op)].operands; ++i)
            add(Map(node.in[i]));
        break;
    }
}

// Depth-first walk; with an order vector, records the post-order (operands
// before their users), which is the execution order within a sample set.
void ProgramBuilder::Visit(const std::vector<int>& roots, bool scheduling, std::vector<int>* order)
{
    std::vector<uint8_t> state(size_t(m_size), 0);
    std::vector<std::pair<int, int>> stack;
    for (int root : roots) {
        if (root < 0 || IsConst(root) || state[size_t(root)])
            continue;
        state[size_t(root)] = 1;
        stack.push_back({root, 0});
        while (!stack.empty()) {
            auto& [id, next] = stack.back();
            SmallList ops;
            Operands(id, scheduling, ops);
            if (next < ops.n) {
                const int o = ops.v[next++];
                if (!state[size_t(o)]) {
                    state[size_t(o)] = 1;
                    stack.push_back({o, 0});
                }
                continue;
            }
            const int done = id;
            stack.pop_back();
            if (!scheduling)
                m_reached[size_t(done)] = 1;
            if (order)
                order->push_back(done);
        }
    }
}

int ProgramBuilder::Lca(int a, int b) const
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    while (m_domains[size_t(a)].depth > m_domains[size_t(b)].depth)
        a = m_domains[size_t(a)].parent;
    while (m_domains[size_t(b)].depth > m_domains[size_t(a)].depth)
        b = m_domains[size_t(b)].parent;
    while (a != b) {
        a = m_domains[size_t(a)].parent;
        b = m_domains[size_t(b)].parent;
    }
    return a;
}

// A branch whose values need no library call costs less computed on every
// sample and chosen per sample (a select) than partitioned, gathered and
// scattered; the lazy "if" pays only where a branch calls the library.
void ProgramBuilder::ChooseEagerSplits()
{
    std::vector<uint8_t> calls(size_t(m_size), 0);
    m_eager.assign(size_t(m_size), 0);
    for (int id : m_order) {
        const GraphNode& node = Node(id);
        uint8_t c = CallsLibrary(node.op) ? 1 : 0;
        if (node.op == Op::IfSplit) {
            uint8_t branches = 0;
            for (int phi : m_splitPhis[size_t(id)])
                for (int side = 1; side <= 2; ++side) {
                    const int v = Map(Node(phi).in[side]);
                    if (v >= 0 && !IsConst(v))
                        branches |= calls[size_t(v)];
                }
            m_eager[size_t(id)] = branches ? 0 : 1;
            c |= branches;
        }
        SmallList ops;
        Operands(id, true, ops);
        for (int i = 0; i < ops.n; ++i)
            c |= calls[size_t(ops.v[i])];
        calls[size_t(id)] = c;
    }
}

// Each value goes to the innermost sample set that contains every use: a
// value only one branch reads is computed on that branch's samples alone.
// Users come before their operands in reverse post-order, so a value's uses
// are all known when it is placed.
void ProgramBuilder::AssignDomains(const std::vector<int>& roots)
{
    m_domains.assign(1, Domain{});
    m_dom.assign(size_t(m_size), -1);
    m_useDom.assign(size_t(m_size), -1);
    for (int root : roots)
        if (root >= 0 && !IsConst(root))
            m_useDom[size_t(root)] = 0;
    for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
        const int id = *it;
        const GraphNode& node = Node(id);
        if (IsLeafOp(node.op) || IsTableLoad(node.op)) {
            // Inputs and table loads are made for the whole block; a branch
            // imports what it reads.
            m_dom[size_t(id)] = 0;
            continue;
        }
        if (node.op == Op::Phi) {
            // Placed with its split: the merge happens where the split runs.
            m_useDom[size_t(node.in[0])] = Lca(m_useDom[size_t(node.in[0])], m_useDom[size_t(id)]);
            continue;
        }
        const int d = m_useDom[size_t(id)];
        m_dom[size_t(id)] = d;
        if (node.op == Op::IfSplit && m_eager[size_t(id)]) {
            const int cond = Map(node.in[0]);
            if (!IsConst(cond))
                m_useDom[size_t(cond)] = Lca(m_useDom[size_t(cond)], d);
            for (int phi : m_splitPhis[size_t(id)]) {
                m_dom[size_t(phi)] = d;
                for (int side = 1; side <= 2; ++side) {
                    const int v = Map(Node(phi).in[side]);
                    if (!IsConst(v))
                        m_useDom[size_t(v)] = Lca(m_useDom[size_t(v)], d);
                }
            }
            continue;
        }
        if (node.op == Op::IfSplit) {
            const int number = int(m_splitNumber.size());
            m_splitNumber[id] = number;
            std::array<int, 2> sides{};
            for (int side = 0; side < 2; ++side) {
                Domain branch;
                branch.parent = d;
                branch.split = number;
                branch.side = side;
                branch.depth = m_domains[size_t(d)].depth + 1;
                sides[size_t(side)] = int(m_domains.size());
                m_domains.push_back(branch);
            }
            m_splitDomains[id] = sides;
            const int cond = Map(node.in[0]);
            if (!IsConst(cond))
                m_useDom[size_t(cond)] = Lca(m_useDom[size_t(cond)], d);
            for (int phi : m_splitPhis[size_t(id)]) {
                m_dom[size_t(phi)] = d;
                for (int side = 0; side < 2; ++side) {
                    const int v = Map(Node(phi).in[1 + side]);
                    if (!IsConst(v))
                        m_useDom[size_t(v)] = Lca(m_useDom[size_t(v)], sides[size_t(side)]);
                }
            }
            continue;
        }
        SmallList ops;
        Operands(id, false, ops);
        for (int i = 0; i < ops.n; ++i)
            m_useDom[size_t(ops.v[i])] = Lca(m_useDom[size_t(ops.v[i])], d);
    }
    for (int id : m_order) {
        const int d = m_dom[size_t(id)];
        if (!IsLeafOp(Node(id).op))
            m_domains[size_t(d)].nodes.push_back(id);
    }
}

// Makes a value of an outer sample set available in domain (imported into
// every branch on the way).
void ProgramBuilder::NeedIn(int value, int domain)
{
    if (value < 0 || IsConst(value))
        return;
    const int home = m_dom[size_t(value)];
    for (int d = domain; d != home; d = m_domains[size_t(d)].parent) {
        auto& imports = m_domains[size_t(d)].imports;
        if (std::find(imports.begin(), imports.end(), value) != imports.end())
            break;
        imports.push_back(value);
    }
}

int ProgramBuilder::Instance(int domain, int value)
{
    const uint64_t key = (uint64_t(uint32_t(domain)) << 32) | uint32_t(value);
    auto [it, inserted] = m_instances.try_emplace(key, m_numInstances);
    if (inserted)
        ++m_numInstances;
    return it->second;
}

int ProgramBuilder::Ref(int value, int domain)
{
    if (value < 0)
        return -1;
    if (IsConst(value)) {
        auto [it, inserted] = m_constIndex.try_emplace(value, int(m_constants.size()));
        if (inserted)
            m_constants.push_back(m_graph.ConstValue(value));
        return ConstRef(it->second);
    }
    if (IsLeafOp(Node(value).op) && domain == 0)
        return m_leafInstance[size_t(Node(value).op)];
    return Instance(domain, value);
}

void ProgramBuilder::EmitDomain(int domain)
{
    const Domain& dom = m_domains[size_t(domain)];
    for (int value : dom.imports) {
        Instr in;
        in.kind = InstrKind::Import;
        in.dst = Ref(value, domain);
        in.src[0] = Ref(value, dom.parent);
        in.split = dom.split;
        in.side = dom.side;
        Emit(in);
    }
    for (int id : dom.nodes) {
        const GraphNode& node = Node(id);
        if (node.op == Op::IfSplit && m_eager[size_t(id)])
            continue;
        if (node.op == Op::Phi && m_eager[size_t(node.in[0])]) {
            Instr select;
            select.kind = InstrKind::Compute;
            select.op = Op::SelGe0;
            select.dst = Ref(id, domain);
            select.src[0] = Ref(Map(Node(node.in[0]).in[0]), domain);
            select.src[1] = Ref(Map(node.in[1]), domain);
            select.src[2] = Ref(Map(node.in[2]), domain);
            Emit(select);
            EmitByteStores(id, domain);
            continue;
        }
        if (node.op == Op::IfSplit) {
            const int number = m_splitNumber[id];
            Instr part;
            part.kind = InstrKind::Partition;
            part.src[0] = Ref(Map(node.in[0]), domain);
            part.split = number;
            Emit(part);
            for (int side = 0; side < 2; ++side) {
                Instr branch;
                branch.kind = InstrKind::Branch;
                branch.split = number;
                branch.side = side;
                const size_t at = m_code.size();
                Emit(branch);
                EmitDomain(m_splitDomains[id][size_t(side)]);
                Instr end;
                end.kind = InstrKind::EndBranch;
                end.split = number;
                end.side = side;
                m_code[at].jump = int(m_code.size());
                Emit(end);
            }
            continue;
        }
        if (node.op == Op::Phi) {
            const int split = node.in[0];
            const auto& sides = m_splitDomains[split];
            Instr merge;
            merge.kind = InstrKind::Merge;
            merge.dst = Ref(id, domain);
            merge.split = m_splitNumber[split];
            for (int side = 0; side < 2; ++side) {
                const int v = Map(node.in[1 + side]);
                const bool compact = !IsConst(v) && m_dom[size_t(v)] == sides[size_t(side)];
                merge.src[side] = Ref(v, compact ? sides[size_t(side)] : domain);
                (side == 0 ? merge.fullB : merge.fullC) = !compact;
            }
            Emit(merge);
            EmitByteStores(id, domain);
            continue;
        }
        Instr compute;
        compute.kind = InstrKind::Compute;
        compute.op = node.op;
        compute.dst = Ref(id, domain);
        for (int i = 0; i < kOpInfo[int(node.op)].operands; ++i)
            compute.src[i] = Ref(Map(node.in[i]), domain);
        compute.k[0] = node.k[0];
        compute.k[1] = node.k[1];
        if (node.op == Op::LoadX || node.op == Op::LoadY)
            compute.slot = int(node.k[0]);
        Emit(compute);
        EmitByteStores(id, domain);
    }
}

// The bytes of a root are stored right after it is computed, so that its
// register is not held to the end of the program.
void ProgramBuilder::EmitByteStores(int value, int domain)
{
    if (m_byteSlots.empty())
        return;
    // Sorted by value: a value's slots follow one another.
    auto it = std::lower_bound(m_byteSlots.begin(), m_byteSlots.end(), std::pair{value, INT_MIN});
    for (; it != m_byteSlots.end() && it->first == value; ++it)
        EmitByteStore(value, domain, it->second);
}

void ProgramBuilder::EmitByteStore(int value, int domain, int slot)
{
    Instr store;
    store.kind = InstrKind::StoreByte;
    store.src[0] = Ref(value, domain);
    store.slot = slot;
    Emit(store);
}

// Live ranges over the emitted order (branches run one after the other, so
// the order is the execution order); a register is reused once its value's
// last reader has run. A destination never shares a register with its own
// operands, so gathers and scatters may read and write freely.
std::vector<int> ProgramBuilder::AllocateRegisters(const std::vector<int>& liveAtEnd, Program& program)
{
    const int n = int(m_code.size());
    std::vector<int> lastUse(size_t(m_numInstances), -1);
    auto use = [&](int ref, int at) {
        if (ref >= 0)
            lastUse[size_t(ref)] = std::max(lastUse[size_t(ref)], at);
    };
    for (int i = 0; i < n; ++i)
        for (int s : m_code[size_t(i)].src)
            use(s, i);
    for (int ref : liveAtEnd)
        use(ref, INT_MAX);

    const int numConst = int(m_constants.size());
    std::vector<int> reg(size_t(m_numInstances), -1);
    std::vector<int> freeRegs;
    int numValueRegs = 0;
    auto allocate = [&](int ref) {
        if (ref < 0 || reg[size_t(ref)] >= 0)
            return;
        if (freeRegs.empty()) {
            reg[size_t(ref)] = numValueRegs++;
        } else {
            reg[size_t(ref)] = freeRegs.back();
            freeRegs.pop_back();
        }
    };
    auto release = [&](int ref, int at) {
        if (ref >= 0 && lastUse[size_t(ref)] == at && reg[size_t(ref)] >= 0) {
            freeRegs.push_back(reg[size_t(ref)]);
            lastUse[size_t(ref)] = INT_MIN;  // released once
        }
    };
    for (int leaf : m_leafInstance)
        allocate(leaf);
    for (int i = 0; i < n; ++i) {
        Instr& in = m_code[size_t(i)];
        allocate(in.dst);
        for (int s : in.src)
            release(s, i);
        if (in.dst >= 0 && lastUse[size_t(in.dst)] == -1)  // written, never read
            release(in.dst, -1);
    }

    auto final = [&](int ref) {
        if (ref == -1)
            return -1;
        if (IsConstRef(ref))
            return ConstIndex(ref);
        return numConst + reg[size_t(ref)];
    };
    for (Instr& in : m_code) {
        in.dst = final(in.dst);
        for (int& s : in.src)
            s = final(s);
    }
    for (int op = 0; op < kNumLeafOps; ++op)
        if (m_leafInstance[size_t(op)] >= 0)
            program.leafReg[size_t(op)] = final(m_leafInstance[size_t(op)]);
    program.code = std::move(m_code);
    program.constants = m_constants;
    program.numRegs = numConst + numValueRegs;
    program.numSplits = int(m_splitNumber.size());
    std::vector<int> endRegs;
    for (int ref : liveAtEnd)
        endRegs.push_back(final(ref));
    return endRegs;
}

// Imports: every use of a value outside its own sample set.
void ProgramBuilder::AddImports()
{
    for (int id : m_order) {
        const GraphNode& node = Node(id);
        if (IsLeafOp(node.op) || node.op == Op::Phi)
            continue;
        const int d = m_dom[size_t(id)];
        if (node.op == Op::IfSplit && m_eager[size_t(id)]) {
            NeedIn(Map(node.in[0]), d);
            for (int phi : m_splitPhis[size_t(id)])
                for (int side = 1; side <= 2; ++side)
                    NeedIn(Map(Node(phi).in[side]), d);
            continue;
        }
        if (node.op == Op::IfSplit) {
            NeedIn(Map(node.in[0]), d);
            const auto& sides = m_splitDomains[id];
            for (int phi : m_splitPhis[size_t(id)])
                for (int side = 0; side < 2; ++side) {
                    const int v = Map(Node(phi).in[1 + side]);
                    if (!IsConst(v) && m_dom[size_t(v)] != sides[size_t(side)])
                        NeedIn(v, d);
                }
            continue;
        }
        SmallList ops;
        Operands(id, false, ops);
        for (int i = 0; i < ops.n; ++i)
            NeedIn(ops.v[i], d);
    }
}

void ProgramBuilder::Build(const std::vector<int>& roots, RootUse use, Program& program)
{
    m_reached.assign(size_t(m_size), 0);
    m_splitPhis.assign(size_t(m_size), {});
    Visit(roots, false, nullptr);
    for (int id = 0; id < m_size; ++id)
        if (m_reached[size_t(id)] && Node(id).op == Op::IfSplit)
            for (int phi : m_graph.PhisOf(id))
                if (m_reached[size_t(phi)])
                    m_splitPhis[size_t(id)].push_back(phi);
    Visit(roots, true, &m_order);
    ChooseEagerSplits();
    AssignDomains(roots);

    AddImports();

    m_leafInstance.assign(size_t(kNumLeafOps), -1);
    for (int id : m_order)
        if (IsLeafOp(Node(id).op))
            m_leafInstance[size_t(Node(id).op)] = Instance(0, id);

    if (use == RootUse::ChannelBytes) {
        // Roots that no instruction computes (inputs, constants) are stored
        // first; the others after their instruction.
        for (size_t slot = 0; slot < roots.size(); ++slot)
            if (IsConst(roots[slot]) || IsLeafOp(Node(roots[slot]).op))
                EmitByteStore(roots[slot], 0, int(slot));
            else
                m_byteSlots.push_back({roots[slot], int(slot)});
        std::sort(m_byteSlots.begin(), m_byteSlots.end());
        program.numByteSlots = int(roots.size());
    }
    EmitDomain(0);
    // Byte roots were stored where they were computed; the others are stored
    // at the end, or stay live there as the outputs.
    std::vector<int> liveAtEnd;
    if (use == RootUse::TableSlots) {
        for (size_t slot = 0; slot < roots.size(); ++slot) {
            Instr store;
            store.kind = InstrKind::Store;
            store.src[0] = Ref(roots[slot], 0);
            store.slot = int(slot);
            Emit(store);
        }
        program.numSlots = int(roots.size());
    } else if (use == RootUse::Outputs) {
        for (int root : roots)
            liveAtEnd.push_back(Ref(root, 0));
    }
    const std::vector<int> endRegs = AllocateRegisters(liveAtEnd, program);
    for (size_t k = 0; k < 3 && k < endRegs.size(); ++k)
        program.outputs[k] = endRegs[k];
}

}  // namespace production
