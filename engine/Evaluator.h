#pragma once
// CEvaluator computes the colour of an expression tree at one point of the
// plane. It holds the transcendental constants that every formula shares and
// is re-entrant: it reads only the tree and its constants and writes only the
// caller's three slots, so several threads may evaluate one tree at once.

#include "ExprNode.h"

class CEvaluator {
public:
    CEvaluator();

    // On entry red, green and blue hold the input colour (what "PIC" yields);
    // on return the node's colour. Returns 0 when a node pointer is missing, a
    // kind code is invalid or the tree is deeper than kMaxTreeDepth.
    int Evaluate(const ExprNode* node, double x, double y, double& red, double& green, double& blue) const;

    // Spiral value of "SPIR" and "SPIRC": logarithmic bands around (cx, cy).
    double Spiral(double x, double y, double cx, double cy, double twist) const;

    double m_dPi;
    double m_dE;
    double m_dInvE;
    double m_dLnSinh1;

private:
    // Each takes the slots' colour in rgb and leaves the node's colour there.
    int EvaluateAt(const ExprNode* node, double x, double y, double& red, double& green, double& blue,
                   int depth) const;
    int EvaluateChild(const ExprNode& node, int index, double x, double y, double rgb[3], int depth) const;
    int EvaluateTerminal(const ExprNode& node, double x, double y, double rgb[3]) const;
    int EvaluateUnary(const ExprNode& node, double x, double y, double rgb[3], int depth) const;
    int EvaluateBinary(const ExprNode& node, double x, double y, double rgb[3], int depth) const;
    int EvaluateTernary(const ExprNode& node, double x, double y, double rgb[3], int depth) const;
};
