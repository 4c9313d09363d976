#include "Evaluator.h"

#include "NodeKinds.h"

#include <cmath>

CEvaluator::CEvaluator()
    : m_dPi(2.0 * std::asin(1.0)),
      m_dE(std::exp(1.0)),
      m_dInvE(std::exp(-1.0)),
      m_dLnSinh1(std::log((std::exp(1.0) - std::exp(-1.0)) * 0.5))
{
}

double CEvaluator::Spiral(double x, double y, double cx, double cy, double twist) const
{
    if (twist == 0.0)
        return 0.0;
    const double dx = x - cx;
    const double dy = y - cy;
    const double q = dx * dx + dy * dy;
    double phi = std::atan2(dy, dx);
    if (phi < 0.0)
        phi = phi + 2.0 * m_dPi;
    const double t = (0.5 * std::log(q) - twist * phi) / (2.0 * twist * m_dPi);
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

    const double inR = red, inG = green, inB = blue;
    const double a = node->dParam[0], b = node->dParam[1], c = node->dParam[2];
    const int next = depth + 1;

    switch (kind) {
    // Terminals ---------------------------------------------------------------
    case KIND_BW:
        red = green = blue = a;
        return 1;
    case KIND_RGB:
        red = a;
        green = b;
        blue = c;
        return 1;
    case KIND_X:
        red = green = blue = x;
        return 1;
    case KIND_Y:
        red = green = blue = y;
        return 1;
    case KIND_R:
        red = green = blue = std::sqrt((x * x + y * y) * 0.5);
        return 1;
    case KIND_R2:
        red = green = blue = std::sqrt(2.0 * (x * x + y * y)) - 1.0;
        return 1;
    case KIND_R2C: {
        const double ea = 1.0 + std::fabs(a);
        const double eb = 1.0 + std::fabs(b);
        red = green = blue =
            std::sqrt(((x - a) * (x - a) + (y - b) * (y - b)) * 4.0 / (ea * ea + eb * eb)) - 1.0;
        return 1;
    }
    case KIND_PHI:
        red = green = blue = std::atan2(y, x) / m_dPi;
        return 1;
    case KIND_XYM:
        red = x;
        green = y;
        blue = (x + y) * 0.5;
        return 1;
    case KIND_CIR:
        red = -y;
        green = x;
        blue = 0.0;
        return 1;
    case KIND_SPIR:
        red = green = blue = Spiral(x, y, 0.0, 0.0, c);
        return 1;
    case KIND_SPIRC:
        red = green = blue = Spiral(x, y, a, b, c);
        return 1;
    case KIND_PIC:
        return 1;  // the input colour stays in the slots

    // One child ------------------------------------------------------------------
    case KIND_ID:
        return EvaluateAt(node->pChild[0], x, y, red, green, blue, next);
    case KIND_SIN:
    case KIND_COS:
    case KIND_EXP:
    case KIND_LN:
    case KIND_NEG:
    case KIND_CURT:
    case KIND_CUB: {
        double v[3] = {inR, inG, inB};
        if (!EvaluateAt(node->pChild[0], x, y, v[0], v[1], v[2], next))
            return 0;
        for (double& ch : v) {
            switch (kind) {
            case KIND_SIN: ch = std::sin(m_dPi * ch); break;
            case KIND_COS: ch = std::cos(m_dPi * ch); break;
            case KIND_EXP: ch = 2.0 * std::exp(ch) / (m_dE - m_dInvE) - 1.0 - 2.0 / (m_dE * m_dE - 1.0); break;
            case KIND_LN: ch = std::log(ch + 2.0 / (m_dE * m_dE - 1.0) + 1.0) + m_dLnSinh1; break;
            case KIND_NEG: ch = -ch; break;
            case KIND_CURT: ch = ch >= 0.0 ? std::pow(ch, 1.0 / 3.0) : -std::pow(-ch, 1.0 / 3.0); break;
            default: ch = ch * ch * ch; break;  // KIND_CUB
            }
        }
        red = v[0];
        green = v[1];
        blue = v[2];
        return 1;
    }
    default:
        break;
    }

    // Two and three children: A into the slots, keep it, input colour back, B ...
    if (!EvaluateAt(node->pChild[0], x, y, red, green, blue, next))
        return 0;
    const double A[3] = {red, green, blue};
    red = inR;
    green = inG;
    blue = inB;

    if (kind == KIND_IF) {
        const double sA = A[0] + A[1] + A[2];
        return EvaluateAt(node->pChild[sA >= 0.0 ? 1 : 2], x, y, red, green, blue, next);
    }

    if (!EvaluateAt(node->pChild[1], x, y, red, green, blue, next))
        return 0;
    const double B[3] = {red, green, blue};

    if (kind == KIND_RGBF || kind == KIND_IF3) {
        red = inR;
        green = inG;
        blue = inB;
        if (!EvaluateAt(node->pChild[2], x, y, red, green, blue, next))
            return 0;
        const double C[3] = {red, green, blue};
        if (kind == KIND_RGBF) {
            red = A[0];
            green = B[1];
            blue = C[2];
        } else {
            red = A[0] >= 0.0 ? B[0] : C[0];
            green = A[1] >= 0.0 ? B[1] : C[1];
            blue = A[2] >= 0.0 ? B[2] : C[2];
        }
        return 1;
    }

    double out[3];
    switch (kind) {
    case KIND_MING:
    case KIND_MAXG: {
        const double sA = A[0] + A[1] + A[2];
        const double sB = B[0] + B[1] + B[2];
        // Ties and unordered sums take B.
        const bool takeA = kind == KIND_MING ? (sB > sA) : (sB < sA);
        const double* pick = takeA ? A : B;
        red = pick[0];
        green = pick[1];
        blue = pick[2];
        return 1;
    }
    case KIND_CROSS:
        out[0] = (A[1] * B[2] - A[2] * B[1]) * 0.5;
        out[1] = (A[2] * B[0] - A[0] * B[2]) * 0.5;
        out[2] = (A[0] * B[1] - A[1] * B[0]) * 0.5;
        break;
    default:
        for (int k = 0; k < 3; ++k) {
            const double v = A[k], w = B[k];
            switch (kind) {
            case KIND_PLUS: out[k] = (v + w) * 0.5; break;
            case KIND_MINUS: out[k] = (v - w) * 0.5; break;
            case KIND_TIMES: out[k] = v * w; break;
            case KIND_DIV1:
                if (v == 0.0) {
                    out[k] = 0.0;
                } else {
                    double whole;
                    out[k] = std::modf(v / w, &whole);
                }
                break;
            case KIND_FMOD: out[k] = w == 0.0 ? w : std::fmod(v, w); break;
            case KIND_MIN: out[k] = w < v ? w : v; break;  // equal or unordered keeps A
            default: out[k] = w > v ? w : v; break;        // KIND_MAX
            }
        }
        break;
    }
    red = out[0];
    green = out[1];
    blue = out[2];
    return 1;
}
