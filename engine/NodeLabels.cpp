#include "NodeLabels.h"

#include "CNumbers.h"
#include "NodeKinds.h"
#include "QuilExpression.h"

#include <charconv>
#include <cmath>

namespace {

constexpr const char* kParamSeparator = ", ";

void AppendFixed(std::string& out, double value)
{
    // Room for any double in fixed notation: a stray out-of-range parameter
    // still gets a label (which a later edit then refuses), never a cut one.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, kLabelDecimals);
    if (ec == std::errc())
        out.append(buffer, end);
    else
        out += "nan";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One written-out parameter: a whole decimal number, |value| <= 1 (NaN fails).
bool ParseParameter(std::string_view text, double& value)
{
    text = Trim(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    if (!(std::fabs(value) <= 1.0))
        return false;
    value = OnTextGrid(value);  // more decimals than the file keeps would not survive a save
    return true;
}

// The parameters after "NAME(": numbers separated by ",", the last ended by ")".
bool ParseConstant(std::string_view rest, const ParamLayout& layout, double params[3])
{
    for (int i = 0; i < layout.count; ++i) {
        const char end = i + 1 < layout.count ? ',' : ')';
        const size_t at = rest.find(end);
        if (at == std::string_view::npos)
            return false;
        if (!ParseParameter(rest.substr(0, at), params[layout.index[i]]))
            return false;
        rest.remove_prefix(at + 1);
    }
    return Trim(rest).empty();
}

}  // namespace

std::string FormatNodeLabel(const ExprNode& node)
{
    if (!IsValidKind(node.nKind))
        return "?";
    const NodeKindInfo& kind = kNodeKinds[node.nKind];
    std::string label = kind.name;
    if (kind.params.count > 0) {
        label += '(';
        for (int i = 0; i < kind.params.count; ++i) {
            if (i)
                label += kParamSeparator;
            AppendFixed(label, node.dParam[kind.params.index[i]]);
        }
        label += ')';
    }
    return label;
}

LabelKind ParseNodeLabel(std::string_view label, int& kind, double params[3])
{
    params[0] = params[1] = params[2] = 0.0;
    kind = CQuilExpression::KindFromName(label);
    if (kind >= 0)
        return LabelKind::Named;
    for (int code = 0; code < kNumKinds; ++code) {
        const NodeKindInfo& info = kNodeKinds[code];
        const std::string_view name = info.name;
        if (info.params.count == 0 || !label.starts_with(name) || label.substr(name.size(), 1) != "(")
            continue;
        if (!ParseConstant(label.substr(name.size() + 1), info.params, params)) {
            params[0] = params[1] = params[2] = 0.0;
            return LabelKind::Invalid;
        }
        kind = code;
        return LabelKind::Constant;
    }
    return LabelKind::Invalid;
}
