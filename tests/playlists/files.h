#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

inline bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile out(path);
  return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
  QFile in(path);
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

#include <QStringList>

#include <initializer_list>
#include <ostream>

// Readable failure output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline QStringList strings(std::initializer_list<const char*> texts) {
  QStringList out;
  for (const char* text : texts) {
    out.append(QString::fromUtf8(text));
  }
  return out;
}
