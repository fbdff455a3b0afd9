#pragma once

#include <QByteArray>
#include <QString>

// Files of the tests: whole-file reads and writes and the shared test data.
namespace testfiles {

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray read(const QString &path);
// Writes the bytes, replacing the file; stops the test program when it cannot.
void write(const QString &path, const QByteArray &bytes);
// A file under tests/data (ZARVO_TEST_DATA); stops the test program when missing.
QByteArray data(const QString &relativePath);

} // namespace testfiles
