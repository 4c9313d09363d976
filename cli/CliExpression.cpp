#include "CliExpression.h"

#include "engine/QuilArchive.h"

#include <cstdio>
#include <fstream>
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

bool WriteExpressionFile(CQuilExpression& expression, const std::string& filePath)
{
    const std::string text = WriteExpressionText(expression, filePath);
    if (text.empty())
        return false;
    const std::string temporary = filePath + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << text;
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), filePath.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
