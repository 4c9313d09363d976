#pragma once
// Controls are named after their ids, so that help and tests find them by id.

#include <QString>

inline QString ControlName(int id) { return QStringLiteral("idc%1").arg(id); }
