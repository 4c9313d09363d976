#include "CliExpression.h"

#include "engine/FileAccess.h"
#include "engine/QuilArchive.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"

#include <iostream>

namespace {

constexpr const char* kReasonNotAPicture = "no picture type reads it";

// Reads the archive's text; on failure says where the reading stopped.
bool ReadArchive(StringArchive& archive, CQuilExpression& expression, std::string* reason)
{
    if (expression.ReadExpression(archive))
        return true;
    if (reason)
        *reason = "not an expression: the text stops being one at character " + std::to_string(archive.CharsRead());
    return false;
}

}  // namespace

ExpressionRead ReadExpressionSource(const std::string& path, CQuilExpression& expression, std::string* reason,
                                    size_t maxBytes)
{
    const bool picture = HasRecipeSignature(path);
    if (!picture) {
        StringArchive archive;
        if (!LoadFileArchive(path, archive, reason, maxBytes))
            return ExpressionRead::Failed;
        if (ReadArchive(archive, expression, reason))
            return ExpressionRead::Ok;
        if (!IsPictureExtension(FileExtension(path)))
            return ExpressionRead::Failed;
    }
    std::string recipe;
    switch (ReadPictureRecipe(path, recipe, reason)) {
    case RecipeResult::Found:
        break;
    case RecipeResult::None:
        return ExpressionRead::PictureWithoutRecipe;
    case RecipeResult::NotAPicture:
        if (reason)
            *reason = kReasonNotAPicture;
        return ExpressionRead::Failed;
    case RecipeResult::Unreadable:
        return ExpressionRead::Failed;
    }
    StringArchive archive(std::move(recipe), path);
    return ReadArchive(archive, expression, reason) ? ExpressionRead::Ok : ExpressionRead::Failed;
}

bool ReadExpressionFile(const std::string& path, CQuilExpression& expression)
{
    return ReadExpressionSource(path, expression, nullptr) == ExpressionRead::Ok;
}

bool ReadExpressionFileOrReport(const std::string& path, CQuilExpression& expression, size_t maxBytes)
{
    std::string reason;
    switch (ReadExpressionSource(path, expression, &reason, maxBytes)) {
    case ExpressionRead::Ok:
        return true;
    case ExpressionRead::PictureWithoutRecipe:
        std::cerr << kMsgNoRecipe << "\n";
        return false;
    case ExpressionRead::Failed:
        break;
    }
    // As the program says it: the message, then the file and the reason.
    if (!reason.empty() && reason.back() != '.')
        reason += '.';
    std::cerr << kMsgErrorLoading << "\n" << path << (reason.empty() ? "" : ": " + reason) << "\n";
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
