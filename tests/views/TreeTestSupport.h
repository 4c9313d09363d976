#pragma once
// Helpers shared by the tree view suites: building expressions from their
// text form and reading item trees back as text.

#include "engine/QuilExpression.h"

#include <QTreeWidgetItem>

#include <memory>
#include <string>

// Parses a ".quil" text such as "minus[X[],Y[]]" into a new expression.
std::unique_ptr<CQuilExpression> ParseExpression(const std::string& text, EngineHost* host = nullptr);
// The ".quil" text of an expression, e.g. "rgb[X[],Y[],BW[-1.000000]]".
std::string ExpressionText(const CQuilExpression& expression);
std::string NodeText(const ExprNode* node);
// Labels of an item branch in prefix form: "minus(X, Y)".
std::string ItemText(const QTreeWidgetItem* item);
