#include "CliExpression.h"

#include "engine/FileAccess.h"
#include "engine/QuilArchive.h"

#include <iostream>

bool ReadExpressionFile(const std::string& path, CQuilExpression& expression)
{
    StringArchive archive;
    if (!LoadFileArchive(path, archive))
        return false;
    return expression.ReadExpression(archive) != nullptr;
}

bool ReadExpressionFileOrReport(const std::string& path, CQuilExpression& expression)
{
    if (ReadExpressionFile(path, expression))
        return true;
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
