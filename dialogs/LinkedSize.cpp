#include "LinkedSize.h"

#include "FieldExchange.h"

#include <cmath>
#include <limits>

namespace {

// A size edit as the dialogs read it for the rule: a number, or nothing.
std::optional<double> ReadSize(const QString& text)
{
    long long value = 0;
    if (ReadIntegerField(text, value) != FieldError::None)
        return std::nullopt;
    return double(value);
}

// The followed value, truncated toward zero; not a number or out of range gives nothing.
std::optional<QString> Truncated(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= double(std::numeric_limits<long long>::max()))
        return std::nullopt;
    return QString::number(static_cast<long long>(std::trunc(value)));
}

}  // namespace

void CLinkedSize::Open(double x, double y)
{
    m_bSyncing = false;
    SetAspect(x, y);
}

void CLinkedSize::SetAspect(double x, double y) { m_dAspect = x / y; }

std::optional<QString> CLinkedSize::OnEdited(Edit edited, const QString& xText, const QString& yText, bool keepAspect)
{
    if (m_bSyncing) {
        m_bSyncing = false;  // the change this object asked for
        return std::nullopt;
    }
    std::optional<double> x = ReadSize(xText);
    std::optional<double> y = ReadSize(yText);
    if (m_rules.unreadableIsZero) {
        x = x.value_or(0.0);
        y = y.value_or(0.0);
    }
    if (!x || !y)
        return std::nullopt;
    std::optional<QString> follow;
    if (keepAspect && *y * m_dAspect != *x) {
        follow = edited == Edit::X ? Truncated(*x / m_dAspect) : Truncated(*y * m_dAspect);
        // Writing the text an edit already holds raises no change: nothing to let pass.
        if (follow && *follow == (edited == Edit::X ? yText : xText))
            follow.reset();
        m_bSyncing = follow.has_value();
    }
    if (!keepAspect && m_rules.freeEditSetsRatio)
        SetAspect(*x, *y);
    return follow;
}

void CLinkedSize::OnKeepAspectClicked(const QString& xText, const QString& yText)
{
    const std::optional<double> x = ReadSize(xText);
    const std::optional<double> y = ReadSize(yText);
    if (x && y)
        SetAspect(*x, *y);
}
