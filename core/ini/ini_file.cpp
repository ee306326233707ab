#include "ini_file.h"

namespace qv::ini {
namespace {

bool sameName(QStringView a, QStringView b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

void appendLine(QString& out, QStringView line) {
  out.append(line);
  out.append(QLatin1String("\r\n"));
}

}  // namespace

const IniSection::Line* IniSection::find(QStringView key) const {
  for (const Line& line : m_lines) {
    if (line.isPair && sameName(line.key, key)) {
      return &line;  // the first line of a key is the one that is read
    }
  }
  return nullptr;
}

bool IniSection::contains(QStringView key) const {
  return find(key) != nullptr;
}

std::optional<QString> IniSection::value(QStringView key) const {
  const Line* line = find(key);
  return line ? std::optional<QString>(line->value) : std::nullopt;
}

void IniSection::append(QString key, QString value) {
  m_lines.push_back({std::move(key), std::move(value), true});
}

void IniSection::appendKeptLine(QString text) {
  m_lines.push_back({std::move(text), QString(), false});
}

void IniSection::reserve(qsizetype lineCount) {
  m_lines.reserve(static_cast<std::size_t>(lineCount));
}

IniFile::Parsed IniFile::parse(const QByteArray& bytes) {
  DecodedText decoded = decodeText(bytes);
  Parsed parsed;
  parsed.encoding = decoded.encoding;
  if (!decoded.ok()) {
    parsed.error = decoded.error;
    return parsed;
  }
  parsed.file = parseText(decoded.text);
  return parsed;
}

IniFile IniFile::parseText(QStringView text) {
  IniFile file;
  IniSection* current = nullptr;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = start;
    while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r')) {
      ++end;
    }
    const QStringView line = text.sliced(start, end - start).trimmed();
    start = end + 1;
    if (line.isEmpty()) {
      continue;
    }
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      file.m_sections.emplace_back(line.sliced(1, line.size() - 2).trimmed().toString());
      current = &file.m_sections.back();
      continue;
    }
    if (!current) {
      file.m_linesBeforeFirstSection.append(line.toString());
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (line.startsWith(QLatin1Char(';')) || equals < 0) {
      current->appendKeptLine(line.toString());
      continue;
    }
    current->append(line.first(equals).trimmed().toString(), line.sliced(equals + 1).trimmed().toString());
  }
  return file;
}

const IniSection* IniFile::section(QStringView name) const {
  for (const IniSection& candidate : m_sections) {
    if (sameName(candidate.name(), name)) {
      return &candidate;
    }
  }
  return nullptr;
}

void IniFile::removeSection(QStringView name) {
  std::erase_if(m_sections, [name](const IniSection& candidate) { return sameName(candidate.name(), name); });
}

IniSection& IniFile::appendSection(QString name) {
  return m_sections.emplace_back(std::move(name));
}

QByteArray IniFile::serialize() const {
  QString out;
  qsizetype estimate = 0;
  for (const IniSection& section : m_sections) {
    for (const IniSection::Line& line : section.lines()) {
      estimate += line.key.size() + line.value.size() + 3;
    }
  }
  out.reserve(estimate + 64 * static_cast<qsizetype>(m_sections.size() + 1));
  for (const QString& line : m_linesBeforeFirstSection) {
    appendLine(out, line);
  }
  for (const IniSection& section : m_sections) {
    out.append(QLatin1Char('['));
    out.append(section.name());
    appendLine(out, u"]");
    for (const IniSection::Line& line : section.lines()) {
      out.append(line.key);
      if (line.isPair) {
        out.append(QLatin1Char('='));
        out.append(line.value);
      }
      out.append(QLatin1String("\r\n"));
    }
    out.append(QLatin1String("\r\n"));
  }
  return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

}  // namespace qv::ini
