#include "ExprGraph.h"

#include "engine/NodeKinds.h"

#include <algorithm>
#include <cmath>

namespace production {

namespace {
constexpr uint64_t kChannelSaltShift = 56;

uint64_t Mix(uint64_t h, uint64_t v)
{
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h;
}
}  // namespace

bool ExprGraph::Key::operator==(const Key& o) const
{
    return op == o.op && in[0] == o.in[0] && in[1] == o.in[1] && in[2] == o.in[2] && in[3] == o.in[3] &&
           k0 == o.k0 && k1 == o.k1 && salt == o.salt;
}

size_t ExprGraph::KeyHash::operator()(const Key& k) const
{
    uint64_t h = k.op;
    for (int v : k.in)
        h = Mix(h, uint64_t(uint32_t(v)));
    h = Mix(h, k.k0);
    h = Mix(h, k.k1);
    h = Mix(h, k.salt);
    return size_t(h);
}

ExprGraph::ExprGraph(const CEvaluator& evaluator, const ProductionOptions& options)
    : m_eval(evaluator), m_options(options)
{
}

const std::vector<int>& ExprGraph::PhisOf(int split) const
{
    static const std::vector<int> kNone;
    auto it = m_phis.find(split);
    return it == m_phis.end() ? kNone : it->second;
}

int ExprGraph::Intern(const GraphNode& node)
{
    Key key{uint8_t(node.op), {node.in[0], node.in[1], node.in[2], node.in[3]}, DoubleBits(node.k[0]),
            DoubleBits(node.k[1]), node.salt};
    auto [it, inserted] = m_intern.try_emplace(key, int(m_nodes.size()));
    if (inserted)
        m_nodes.push_back(node);
    return it->second;
}

int ExprGraph::Leaf(Op op)
{
    GraphNode node;
    node.op = op;
    return Intern(node);
}

int ExprGraph::Const(double value)
{
    GraphNode node;
    node.op = Op::Const;
    node.k[0] = value;
    return Intern(node);
}

int ExprGraph::Make(Op op, int a, int b, int c, int d, double k0, double k1, uint64_t salt)
{
    const int in[4] = {a, b, c, d};
    const int arity = kOpInfo[int(op)].operands;
    if (m_options.foldConstants && op != Op::Phi && op != Op::IfSplit && op != Op::LoadX && op != Op::LoadY) {
        bool allConst = true;
        double v[4] = {};
        for (int i = 0; i < arity; ++i) {
            if (!IsConst(in[i]))
                allConst = false;
            else
                v[i] = ConstValue(in[i]);
        }
        if (allConst)
            return Const(FoldScalar(op, v, k0, k1, m_options.mathLibrary));
        // Identities that hold bit for bit. x - (+0) is x for every x (-0 too);
        // a choice between two equal values is that value.
        switch (op) {
        case Op::Sub:
            if (IsConst(b) && DoubleBits(ConstValue(b)) == 0)
                return a;
            break;
        case Op::SelGt:
            if (IsConst(a) && IsConst(b))
                return FSelGt(ConstValue(a), ConstValue(b), 1.0, 0.0) != 0.0 ? c : d;
            if (c == d)
                return c;
            break;
        case Op::SelGe0:
            if (IsConst(a))
                return ConstValue(a) >= 0.0 ? b : c;
            if (b == c)
                return b;
            break;
        default:
            break;
        }
    }
    GraphNode node;
    node.op = op;
    for (int i = 0; i < 4; ++i)
        node.in[i] = in[i];
    node.k[0] = k0;
    node.k[1] = k1;
    node.salt = salt;
    return Intern(node);
}

uint64_t ExprGraph::ChannelSalt(uint64_t nodeSalt, int channel) const
{
    return m_options.shareGrey ? nodeSalt : nodeSalt | (uint64_t(channel + 1) << kChannelSaltShift);
}

bool ExprGraph::Build(const ExprNode* root)
{
    Triple out;
    int height = 0;
    if (!Compile(root, 0, out, height))
        return false;
    m_outputs = out;
    return true;
}

bool ExprGraph::ValueOf(const ExprNode* node, Triple& value) const
{
    const auto it = m_compiled.find(node);
    if (it == m_compiled.end())
        return false;
    value = it->second.value;
    return true;
}

int ExprGraph::SpiralValue(double cx, double cy, double twist, uint64_t salt)
{
    if (twist == 0.0)
        return Const(0.0);
    const int dx = Make(Op::Sub, Leaf(Op::XVal), Const(cx), -1, -1, 0.0, 0.0, salt);
    const int dy = Make(Op::Sub, Leaf(Op::YVal), Const(cy), -1, -1, 0.0, 0.0, salt);
    const int q = Make(Op::Add, Make(Op::Mul, dx, dx, -1, -1, 0.0, 0.0, salt),
                       Make(Op::Mul, dy, dy, -1, -1, 0.0, 0.0, salt), -1, -1, 0.0, 0.0, salt);
    const int angle = Make(Op::Atan2, dy, dx, -1, -1, 0.0, 0.0, salt);
    const int phi = Make(Op::PhiWrap, angle, -1, -1, -1, 2.0 * m_eval.m_dPi, 0.0, salt);
    const int logQ = Make(Op::Log, q, -1, -1, -1, 0.0, 0.0, salt);
    return Make(Op::Spiral, logQ, phi, -1, -1, twist, 2.0 * twist * m_eval.m_dPi, salt);
}

Triple ExprGraph::Terminal(const ExprNode* node, uint64_t serialSalt)
{
    const double a = node->dParam[0], b = node->dParam[1], c = node->dParam[2];
    // Terminal values are computed once per sample by the evaluator too; the
    // salt only keeps the angle and radius terms apart when sharing is off.
    const uint64_t salt = (m_options.shareSubtrees && m_options.shareAngles) ? 0 : serialSalt;
    const int x = Leaf(Op::XVal);
    const int y = Leaf(Op::YVal);
    auto radiusSq = [&](int dx, int dy) {
        return Make(Op::Add, Make(Op::Mul, dx, dx, -1, -1, 0.0, 0.0, salt),
                    Make(Op::Mul, dy, dy, -1, -1, 0.0, 0.0, salt), -1, -1, 0.0, 0.0, salt);
    };
    auto grey = [](int v) { return Triple{v, v, v}; };

    switch (node->nKind) {
    case KIND_BW:
        return grey(Const(a));
    case KIND_RGB:
        return {Const(a), Const(b), Const(c)};
    case KIND_X:
        return grey(x);
    case KIND_Y:
        return grey(y);
    case KIND_R:
        return grey(Make(Op::RHalf, radiusSq(x, y), -1, -1, -1, 0.0, 0.0, salt));
    case KIND_R2:
        return grey(Make(Op::R2, radiusSq(x, y), -1, -1, -1, 0.0, 0.0, salt));
    case KIND_R2C: {
        const double ea = 1.0 + std::fabs(a);
        const double eb = 1.0 + std::fabs(b);
        const int dx = Make(Op::Sub, x, Const(a), -1, -1, 0.0, 0.0, salt);
        const int dy = Make(Op::Sub, y, Const(b), -1, -1, 0.0, 0.0, salt);
        return grey(Make(Op::R2C, radiusSq(dx, dy), -1, -1, -1, ea * ea + eb * eb, 0.0, salt));
    }
    case KIND_PHI:
        return grey(Make(Op::DivK, Make(Op::Atan2, y, x, -1, -1, 0.0, 0.0, salt), -1, -1, -1, m_eval.m_dPi, 0.0,
                         salt));
    case KIND_XYM:
        return {x, y, Make(Op::Plus, x, y, -1, -1, 0.0, 0.0, salt)};
    case KIND_CIR:
        return {Make(Op::Neg, y, -1, -1, -1, 0.0, 0.0, salt), x, Const(0.0)};
    case KIND_SPIR:
        return grey(SpiralValue(0.0, 0.0, c, salt));
    case KIND_SPIRC:
        return grey(SpiralValue(a, b, c, salt));
    default:  // KIND_PIC
        return {Leaf(Op::InR), Leaf(Op::InG), Leaf(Op::InB)};
    }
}

void ExprGraph::MakeIf(int condition, const Triple& b, const Triple& c, uint64_t salt, Triple& out)
{
    if (b == c) {
        out = b;
        return;
    }
    if (m_options.foldConstants && IsConst(condition)) {
        out = ConstValue(condition) >= 0.0 ? b : c;
        return;
    }
    // One split per distinct condition and branches.
    const SplitKey key = {int64_t(condition), b[0], b[1], b[2], c[0], c[1], c[2], int64_t(salt)};
    auto [it, inserted] = m_splits.try_emplace(key, int(m_nodes.size()));
    const int splitId = it->second;
    if (inserted) {
        GraphNode split;
        split.op = Op::IfSplit;
        split.in[0] = condition;
        split.salt = salt;
        m_nodes.push_back(split);
    }
    for (int k = 0; k < 3; ++k) {
        if (b[size_t(k)] == c[size_t(k)]) {
            out[size_t(k)] = b[size_t(k)];
            continue;
        }
        const size_t count = m_nodes.size();
        const int phi = Make(Op::Phi, splitId, b[size_t(k)], c[size_t(k)], -1, 0.0, 0.0, ChannelSalt(salt, k));
        if (m_nodes.size() != count)
            m_phis[splitId].push_back(phi);
        out[size_t(k)] = phi;
    }
}

bool ExprGraph::Compile(const ExprNode* node, int depth, Triple& out, int& height)
{
    if (!node || depth >= kMaxTreeDepth || !IsValidKind(node->nKind))
        return false;
    // A node reached again (only a shared node of a graph-shaped input) has
    // the same value; it must still fit below the depth limit here.
    if (auto it = m_compiled.find(node); it != m_compiled.end()) {
        out = it->second.value;
        height = it->second.height;
        return depth + height < kMaxTreeDepth;
    }
    const uint64_t serial = ++m_nextSerial;
    const uint64_t nodeSalt = m_options.shareSubtrees ? 0 : serial;
    const int kind = node->nKind;
    const int arity = KindArity(kind);

    if (arity == 0) {
        out = Terminal(node, serial);
        height = 0;
        m_compiled.emplace(node, Compiled{out, 0});
        return true;
    }

    Triple child[3];
    height = 0;
    for (int i = 0; i < arity; ++i) {
        int childHeight = 0;
        if (!Compile(node->pChild[i], depth + 1, child[i], childHeight))
            return false;
        height = std::max(height, childHeight + 1);
    }
    const Triple& A = child[0];
    const Triple& B = child[1];
    const Triple& C = child[2];
    auto chan = [&](int k) { return ChannelSalt(nodeSalt, k); };
    const double pi = m_eval.m_dPi;
    const double eDiff = m_eval.m_dE - m_eval.m_dInvE;
    const double eShift = 2.0 / (m_eval.m_dE * m_eval.m_dE - 1.0);

    for (int k = 0; k < 3; ++k) {
        const int a = A[size_t(k)];
        const int b = arity > 1 ? B[size_t(k)] : -1;
        int& o = out[size_t(k)];
        switch (kind) {
        case KIND_ID: o = a; break;
        case KIND_SIN: o = Make(Op::SinPi, a, -1, -1, -1, pi, 0.0, chan(k)); break;
        case KIND_COS: o = Make(Op::CosPi, a, -1, -1, -1, pi, 0.0, chan(k)); break;
        case KIND_EXP: o = Make(Op::ExpQ, a, -1, -1, -1, eDiff, eShift, chan(k)); break;
        case KIND_LN: o = Make(Op::LnQ, a, -1, -1, -1, eShift, m_eval.m_dLnSinh1, chan(k)); break;
        case KIND_NEG: o = Make(Op::Neg, a, -1, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_CURT: o = Make(Op::Curt, a, -1, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_CUB: o = Make(Op::Cub, a, -1, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_PLUS: o = Make(Op::Plus, a, b, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_MINUS: o = Make(Op::Minus, a, b, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_TIMES: o = Make(Op::Mul, a, b, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_DIV1: o = Make(Op::Div1, a, b, -1, -1, 0.0, 0.0, chan(k)); break;
        case KIND_FMOD: o = Make(Op::Fmod, a, b, -1, -1, 0.0, 0.0, chan(k)); break;
        // min keeps A unless B < A; max unless B > A (NaN keeps A).
        case KIND_MIN: o = Make(Op::SelGt, a, b, b, a, 0.0, 0.0, chan(k)); break;
        case KIND_MAX: o = Make(Op::SelGt, b, a, b, a, 0.0, 0.0, chan(k)); break;
        case KIND_IF3: o = Make(Op::SelGe0, a, b, C[size_t(k)], -1, 0.0, 0.0, chan(k)); break;
        default: break;
        }
    }

    switch (kind) {
    case KIND_MING:
    case KIND_MAXG: {
        const int sA = Make(Op::Sum3, A[0], A[1], A[2], -1, 0.0, 0.0, nodeSalt);
        const int sB = Make(Op::Sum3, B[0], B[1], B[2], -1, 0.0, 0.0, nodeSalt);
        // ming takes A when sB > sA, maxg when sB < sA; ties and NaN take B.
        const int p = kind == KIND_MING ? sB : sA;
        const int q = kind == KIND_MING ? sA : sB;
        for (int k = 0; k < 3; ++k)
            out[size_t(k)] = Make(Op::SelGt, p, q, A[size_t(k)], B[size_t(k)], 0.0, 0.0, chan(k));
        break;
    }
    case KIND_CROSS:
        out[0] = Make(Op::CrossC, A[1], B[2], A[2], B[1], 0.0, 0.0, nodeSalt);
        out[1] = Make(Op::CrossC, A[2], B[0], A[0], B[2], 0.0, 0.0, nodeSalt);
        out[2] = Make(Op::CrossC, A[0], B[1], A[1], B[0], 0.0, 0.0, nodeSalt);
        break;
    case KIND_RGBF:
        if (m_options.dropDeadChannels) {
            out = {A[0], B[1], C[2]};
        } else {
            out[0] = Make(Op::Pick, A[0], A[1], A[2], -1, 0.0, 0.0, nodeSalt);
            out[1] = Make(Op::Pick, B[1], B[0], B[2], -1, 0.0, 0.0, nodeSalt);
            out[2] = Make(Op::Pick, C[2], C[0], C[1], -1, 0.0, 0.0, nodeSalt);
        }
        break;
    case KIND_IF: {
        const int sA = Make(Op::Sum3, A[0], A[1], A[2], -1, 0.0, 0.0, nodeSalt);
        if (m_options.lazyIf) {
            MakeIf(sA, B, C, nodeSalt, out);
        } else {
            for (int k = 0; k < 3; ++k)
                out[size_t(k)] = Make(Op::SelGe0, sA, B[size_t(k)], C[size_t(k)], -1, 0.0, 0.0, chan(k));
        }
        break;
    }
    default:
        break;
    }
    m_compiled.emplace(node, Compiled{out, height});
    return true;
}

}  // namespace production
