#pragma once

#include "Script.h"

#include <QFile>
#include <QVariant>
#include <QtTest>

#include <functional>

// Values joined by "|", one transcript line.
template <typename... T> QString row(const T&... values) {
    return QStringList{QVariant(values).toString()...}.join(u'|');
}
