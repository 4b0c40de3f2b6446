#include "platform/RegularFile.h"

#include <QFileInfo>

bool OpenRegularFile(QFile& file)
{
    return QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly);
}
