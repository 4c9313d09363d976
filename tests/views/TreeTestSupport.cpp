#include "TreeTestSupport.h"

#include "engine/QuilArchive.h"

std::unique_ptr<CQuilExpression> ParseExpression(const std::string& text, EngineHost* host)
{
    auto expression = std::make_unique<CQuilExpression>(host);
    StringArchive archive(text);
    if (!expression->ReadExpression(archive))
        return nullptr;
    return expression;
}

std::string NodeText(const ExprNode* node)
{
    CQuilExpression writer;
    StringArchive archive;
    writer.WriteNode(archive, node);
    return archive.Output();
}

std::string ExpressionText(const CQuilExpression& expression) { return NodeText(expression.GetRoot()); }

std::string ItemText(const QTreeWidgetItem* item)
{
    if (!item)
        return "<none>";
    std::string text = item->text(0).toStdString();
    if (item->childCount()) {
        text += '(';
        for (int i = 0; i < item->childCount(); ++i) {
            if (i)
                text += ", ";
            text += ItemText(item->child(i));
        }
        text += ')';
    }
    return text;
}
