#pragma once

#include "text_decoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace qv::ini {

//! One section of an INI file. Keys are matched without regard to letter case; when a key occurs
//! twice the first one is read. Lines that are not key=value pairs (comments, stray text) are
//! kept in place so that writing the section back loses nothing.
class IniSection {
 public:
  struct Line {
    QString key;
    QString value;
    //! False for a kept comment or stray line, whose text is in `key`.
    bool isPair = true;
  };

  explicit IniSection(QString name) : m_name(std::move(name)) {}

  const QString& name() const { return m_name; }
  const std::vector<Line>& lines() const { return m_lines; }

  //! Looks `key` up line by line: cheap for the few keys read by name. Readers of many keys
  //! (the numbered station keys) walk lines() once instead.
  bool contains(QStringView key) const;
  //! The value of `key`, nullopt when the section has no such key.
  std::optional<QString> value(QStringView key) const;

  void append(QString key, QString value);
  void appendKeptLine(QString text);
  void reserve(qsizetype lineCount);

 private:
  const Line* find(QStringView key) const;

  QString m_name;
  std::vector<Line> m_lines;
};

//! An INI file as the program's playlists use it: each line trimmed, empty lines dropped, `;`
//! starts a comment line, `[name]` opens a section, a key=value line is split at its first `=`
//! with the blanks around it dropped, and section names are matched without regard to case. A
//! section whose name was seen before is kept for writing but never read.
class IniFile {
 public:
  struct Parsed;
  //! Decodes the bytes (see decodeText) and parses them; fails only when they cannot be decoded.
  static Parsed parse(const QByteArray& bytes);
  static IniFile parseText(QStringView text);

  //! The first section named `name`, or null.
  const IniSection* section(QStringView name) const;
  //! Removes every section named `name`.
  void removeSection(QStringView name);
  //! Appends a new section after all others.
  IniSection& appendSection(QString name);

  const std::vector<IniSection>& sections() const { return m_sections; }

  //! UTF-8 with a byte-order mark, CR LF line ends, an empty line after each section.
  QByteArray serialize() const;

 private:
  QStringList m_linesBeforeFirstSection;
  std::vector<IniSection> m_sections;
};

struct IniFile::Parsed {
  IniFile file;
  TextEncoding encoding = TextEncoding::Utf8;
  //! Empty on success.
  QString error;

  bool ok() const { return error.isEmpty(); }
};

}  // namespace qv::ini
