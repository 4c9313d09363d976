#pragma once
// One part of the document template string (see AppStrings.h).

#include "AppStrings.h"

#include <QString>
#include <QStringList>

inline QString DocTemplateString(DocTemplatePart part)
{
    return QString::fromUtf8(kDocTemplateString).split(QLatin1Char('\n')).value(int(part));
}
