#include "platform/SaveFile.h"

bool CommitSaveFile(QSaveFile& file)
{
    return file.isOpen() && file.flush() && file.commit();
}
