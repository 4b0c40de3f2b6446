#pragma once
// Readable test failure messages for Qt values.
#include <QByteArray>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << "QByteArray(" << bytes.size() << " bytes: \"" << bytes.left(64).toHex(' ').toStdString()
         << (bytes.size() > 64 ? " ..." : "") << "\")";
}
