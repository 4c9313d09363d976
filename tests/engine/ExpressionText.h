#pragma once
// Expressions as text in tests: a tree written as Quil writes it (without a
// picture name), and text read into a new expression.

#include "engine/EngineHost.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline std::string Text(const CQuilExpression& e)
{
    SilentEngineHost host;
    CQuilExpression copy(&host);
    copy.CopyFrom(e.GetRoot());
    StringArchive ar;
    copy.WriteExpression(ar);
    return ar.Output();
}

// The text must read: a test's own trees are always valid.
inline std::unique_ptr<CQuilExpression> Parse(const std::string& text)
{
    auto e = std::make_unique<CQuilExpression>();
    StringArchive ar(text);
    EXPECT_NE(e->ReadExpression(ar), nullptr) << text;
    return e;
}
