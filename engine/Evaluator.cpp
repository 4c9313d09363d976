#include "Evaluator.h"

#include "ConsistentMath.h"
#include "NodeKinds.h"

#include <algorithm>
#include <cmath>

// The constants as bits: pi, e and 1/e correctly rounded, and ln((e - 1/e) / 2)
// as those doubles give it. Written out, no library can move them.
CEvaluator::CEvaluator()
    : m_dPi(0x1.921fb54442d18p+1),
      m_dE(0x1.5bf0a8b145769p+1),
      m_dInvE(0x1.78b56362cef38p-2),
      m_dLnSinh1(0x1.4aa0b851e21b9p-3)
{
}

double CEvaluator::Spiral(double x, double y, double cx, double cy, double twist) const
{
    if (twist == 0.0)
        return 0.0;
    const double dx = x - cx;
    const double dy = y - cy;
    const double q = dx * dx + dy * dy;
    double phi = consistent::Atan2(dy, dx);
    if (phi < 0.0)
        phi = phi + 2.0 * m_dPi;
    const double t = (0.5 * consistent::Log(q) - twist * phi) / (2.0 * twist * m_dPi);
    double whole;
    const double f = std::modf(t, &whole);  // an infinite t has fractional part 0
    if (t >= 0.0)
        return 2.0 * f - 1.0;
    return 2.0 * f + 1.0;
}

int CEvaluator::Evaluate(const ExprNode* node, double x, double y, double& red, double& green, double& blue) const
{
    return EvaluateAt(node, x, y, red, green, blue, 0);
}

int CEvaluator::EvaluateAt(const ExprNode* node, double x, double y, double& red, double& green, double& blue,
                           int depth) const
{
    if (!node || depth >= kMaxTreeDepth)
        return 0;
    const int kind = node->nKind;
    if (!IsValidKind(kind))
        return 0;
    double rgb[3] = {red, green, blue};
    int result;
    switch (KindArity(kind)) {
    case 0:
        result = EvaluateTerminal(*node, x, y, rgb);
        break;
    case 1:
        result = EvaluateUnary(*node, x, y, rgb, depth + 1);
        break;
    case 2:
        result = EvaluateBinary(*node, x, y, rgb, depth + 1);
        break;
    default:
        result = EvaluateTernary(*node, x, y, rgb, depth + 1);
        break;
    }
    red = rgb[0];
    green = rgb[1];
    blue = rgb[2];
    return result;
}

int CEvaluator::EvaluateChild(const ExprNode& node, int index, double x, double y, double rgb[3], int depth) const
{
    return EvaluateAt(node.pChild[index], x, y, rgb[0], rgb[1], rgb[2], depth);
}

int CEvaluator::EvaluateTerminal(const ExprNode& node, double x, double y, double rgb[3]) const
{
    const double a = node.dParam[0], b = node.dParam[1], c = node.dParam[2];
    auto grey = [rgb](double v) { rgb[0] = rgb[1] = rgb[2] = v; };
    switch (node.nKind) {
    case KIND_BW: grey(a); break;
    case KIND_RGB:
        rgb[0] = a;
        rgb[1] = b;
        rgb[2] = c;
        break;
    case KIND_X: grey(x); break;
    case KIND_Y: grey(y); break;
    case KIND_R: grey(std::sqrt((x * x + y * y) * 0.5)); break;
    case KIND_R2: grey(std::sqrt(2.0 * (x * x + y * y)) - 1.0); break;
    case KIND_R2C: {
        const double ea = 1.0 + std::fabs(a);
        const double eb = 1.0 + std::fabs(b);
        grey(std::sqrt(((x - a) * (x - a) + (y - b) * (y - b)) * 4.0 / (ea * ea + eb * eb)) - 1.0);
        break;
    }
    case KIND_PHI: grey(consistent::Atan2(y, x) / m_dPi); break;
    case KIND_XYM:
        rgb[0] = x;
        rgb[1] = y;
        rgb[2] = (x + y) * 0.5;
        break;
    case KIND_CIR:
        rgb[0] = -y;
        rgb[1] = x;
        rgb[2] = 0.0;
        break;
    case KIND_SPIR: grey(Spiral(x, y, 0.0, 0.0, c)); break;
    case KIND_SPIRC: grey(Spiral(x, y, a, b, c)); break;
    default: break;  // "PIC": the input colour stays in the slots
    }
    return 1;
}

int CEvaluator::EvaluateUnary(const ExprNode& node, double x, double y, double rgb[3], int depth) const
{
    const int kind = node.nKind;
    // "id" passes its child's colour through; the others start the child from
    // the input colour and change each channel of its colour.
    if (!EvaluateChild(node, 0, x, y, rgb, depth))
        return 0;
    if (kind == KIND_ID)
        return 1;
    for (int k = 0; k < 3; ++k) {
        double& ch = rgb[k];
        switch (kind) {
        case KIND_SIN: ch = consistent::Sin(m_dPi * ch); break;
        case KIND_COS: ch = consistent::Cos(m_dPi * ch); break;
        case KIND_EXP: ch = 2.0 * consistent::Exp(ch) / (m_dE - m_dInvE) - 1.0 - 2.0 / (m_dE * m_dE - 1.0); break;
        case KIND_LN: ch = consistent::Log(ch + 2.0 / (m_dE * m_dE - 1.0) + 1.0) + m_dLnSinh1; break;
        case KIND_NEG: ch = -ch; break;
        case KIND_CURT: ch = ch >= 0.0 ? consistent::Pow(ch, 1.0 / 3.0) : -consistent::Pow(-ch, 1.0 / 3.0); break;
        default: ch = ch * ch * ch; break;  // KIND_CUB
        }
    }
    return 1;
}

int CEvaluator::EvaluateBinary(const ExprNode& node, double x, double y, double rgb[3], int depth) const
{
    // A into the slots, keep it, the input colour back, B.
    const double in[3] = {rgb[0], rgb[1], rgb[2]};
    if (!EvaluateChild(node, 0, x, y, rgb, depth))
        return 0;
    const double A[3] = {rgb[0], rgb[1], rgb[2]};
    std::copy(in, in + 3, rgb);
    if (!EvaluateChild(node, 1, x, y, rgb, depth))
        return 0;
    const double B[3] = {rgb[0], rgb[1], rgb[2]};

    const int kind = node.nKind;
    switch (kind) {
    case KIND_MING:
    case KIND_MAXG: {
        const double sA = A[0] + A[1] + A[2];
        const double sB = B[0] + B[1] + B[2];
        // Ties and unordered sums take B.
        const bool takeA = kind == KIND_MING ? (sB > sA) : (sB < sA);
        std::copy(takeA ? A : B, (takeA ? A : B) + 3, rgb);
        return 1;
    }
    case KIND_CROSS:
        rgb[0] = (A[1] * B[2] - A[2] * B[1]) * 0.5;
        rgb[1] = (A[2] * B[0] - A[0] * B[2]) * 0.5;
        rgb[2] = (A[0] * B[1] - A[1] * B[0]) * 0.5;
        return 1;
    default:
        break;
    }
    for (int k = 0; k < 3; ++k) {
        const double v = A[k], w = B[k];
        switch (kind) {
        case KIND_PLUS: rgb[k] = (v + w) * 0.5; break;
        case KIND_MINUS: rgb[k] = (v - w) * 0.5; break;
        case KIND_TIMES: rgb[k] = v * w; break;
        case KIND_DIV1:
            if (v == 0.0) {
                rgb[k] = 0.0;
            } else {
                double whole;
                rgb[k] = std::modf(v / w, &whole);
            }
            break;
        case KIND_FMOD: rgb[k] = w == 0.0 ? w : std::fmod(v, w); break;
        case KIND_MIN: rgb[k] = w < v ? w : v; break;  // equal or unordered keeps A
        default: rgb[k] = w > v ? w : v; break;        // KIND_MAX
        }
    }
    return 1;
}

int CEvaluator::EvaluateTernary(const ExprNode& node, double x, double y, double rgb[3], int depth) const
{
    // A, the input colour back, then B (and C): "if" evaluates only the child it chooses.
    const double in[3] = {rgb[0], rgb[1], rgb[2]};
    if (!EvaluateChild(node, 0, x, y, rgb, depth))
        return 0;
    const double A[3] = {rgb[0], rgb[1], rgb[2]};
    std::copy(in, in + 3, rgb);
    if (node.nKind == KIND_IF)
        return EvaluateChild(node, A[0] + A[1] + A[2] >= 0.0 ? 1 : 2, x, y, rgb, depth);

    if (!EvaluateChild(node, 1, x, y, rgb, depth))
        return 0;
    const double B[3] = {rgb[0], rgb[1], rgb[2]};
    std::copy(in, in + 3, rgb);
    if (!EvaluateChild(node, 2, x, y, rgb, depth))
        return 0;
    const double C[3] = {rgb[0], rgb[1], rgb[2]};
    if (node.nKind == KIND_RGBF) {
        rgb[0] = A[0];
        rgb[1] = B[1];
        rgb[2] = C[2];
    } else {  // "if3"
        for (int k = 0; k < 3; ++k)
            rgb[k] = A[k] >= 0.0 ? B[k] : C[k];
    }
    return 1;
}
