#pragma once
// Small helpers of the document suites: expressions from and to their text.

#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <memory>
#include <string>

inline std::unique_ptr<CQuilExpression> Parse(const std::string& text, EngineHost* host = nullptr)
{
    auto expression = std::make_unique<CQuilExpression>(host);
    StringArchive archive(text);
    if (!expression->ReadExpression(archive))
        return nullptr;
    return expression;
}

inline std::string Text(CQuilExpression& expression)
{
    StringArchive archive;
    expression.WriteExpression(archive);
    return archive.Output();
}
