#pragma once
// Readable test failure messages for Qt's text types.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QStringList& texts, std::ostream* os);
void PrintTo(const QByteArray& bytes, std::ostream* os);
