#include "CliExpression.h"

#include "engine/FileAccess.h"
#include "engine/QuilArchive.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"

#include <iostream>

ExpressionRead ReadExpressionSource(const std::string& path, CQuilExpression& expression, size_t maxBytes)
{
    const bool picture = HasRecipeSignature(path);
    if (!picture) {
        StringArchive archive;
        if (!LoadFileArchive(path, archive, nullptr, maxBytes))
            return ExpressionRead::Failed;
        if (expression.ReadExpression(archive))
            return ExpressionRead::Ok;
        if (!IsPictureExtension(FileExtension(path)))
            return ExpressionRead::Failed;
    }
    std::string recipe;
    switch (ReadPictureRecipe(path, recipe)) {
    case RecipeResult::Found:
        break;
    case RecipeResult::None:
        return ExpressionRead::PictureWithoutRecipe;
    case RecipeResult::NotAPicture:
    case RecipeResult::Unreadable:
        return ExpressionRead::Failed;
    }
    StringArchive archive(std::move(recipe), path);
    return expression.ReadExpression(archive) ? ExpressionRead::Ok : ExpressionRead::Failed;
}

bool ReadExpressionFile(const std::string& path, CQuilExpression& expression)
{
    return ReadExpressionSource(path, expression) == ExpressionRead::Ok;
}

bool ReadExpressionFileOrReport(const std::string& path, CQuilExpression& expression, size_t maxBytes)
{
    switch (ReadExpressionSource(path, expression, maxBytes)) {
    case ExpressionRead::Ok:
        return true;
    case ExpressionRead::PictureWithoutRecipe:
        std::cerr << kMsgNoRecipe << "\n";
        return false;
    case ExpressionRead::Failed:
        break;
    }
    std::cerr << kMsgErrorLoading << "\n";
    return false;
}

std::string WriteExpressionText(CQuilExpression& expression, const std::string& filePath)
{
    StringArchive archive({}, filePath);
    if (!expression.WriteExpression(archive))
        return {};
    return archive.Output();
}

bool WriteExpressionFile(CQuilExpression& expression, const std::string& filePath, std::string* reason)
{
    const std::string text = WriteExpressionText(expression, filePath);
    if (text.empty())
        return false;
    return SaveFileSafely(filePath, text, reason);
}
