#include "support/QtPrinters.h"

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* os)
{
    *os << '{' << texts.join("|").toStdString() << '}';
}

void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << bytes.toStdString() << '"';
}
