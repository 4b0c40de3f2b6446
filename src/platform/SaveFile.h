#pragma once
// Putting a file written through QSaveFile in place only when every byte of
// it reached the disk.
#include <QSaveFile>

// Flushes what the file still buffers, then commits it. Qt 6.4's commit()
// notices only the failures of the writes it was handed, not of the flush
// of its buffered tail: on a full disk it put an empty or cut-short file in
// place of the old one and said it had succeeded. On a failed flush nothing
// is committed: the old file stays, file.errorString() tells why, and the
// unfinished copy goes when file does.
bool CommitSaveFile(QSaveFile& file);
