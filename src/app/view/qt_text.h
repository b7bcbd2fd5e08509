#pragma once

#include <QString>

#include "platform/text.h"

// The screen boundary: the system's GBK texts to and from Qt's strings.

inline QString ToQString(const Text& gbk) { return QString::fromStdString(ToUtf8(gbk)); }

inline Text FromQString(const QString& text) { return FromUtf8(text.toStdString()); }
