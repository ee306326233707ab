#include "reg_file.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace qv::settings {
namespace {

constexpr QLatin1StringView kHeader{"Windows Registry Editor Version 5.00"};
constexpr QLatin1StringView kOldHeader{"REGEDIT4"};

QString decodeText(const QByteArray& bytes, bool& damaged) {
  auto encoding = QStringConverter::Utf8;
  qsizetype skip = 0;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    skip = 3;
  } else if (bytes.startsWith("\xFF\xFE")) {
    encoding = QStringConverter::Utf16LE;
    skip = 2;
  } else if (bytes.startsWith("\xFE\xFF")) {
    encoding = QStringConverter::Utf16BE;
    skip = 2;
  }
  QStringDecoder decoder(encoding);
  QString text = decoder.decode(QByteArrayView(bytes).sliced(skip));
  if (decoder.hasError()) {
    damaged = true;
  }
  return text;
}

QStringList splitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      lines.append(text.mid(start, i - start));
      if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
        ++i;
      }
      start = i + 1;
    }
  }
  if (start < text.size()) {
    lines.append(text.mid(start));
  }
  return lines;
}

// Reads a quoted text with the export syntax's two escapes (\\ and \") starting at text[pos] == '"'.
// On success pos is just past the closing quote.
std::optional<QString> readQuoted(const QString& text, qsizetype& pos) {
  QString out;
  for (qsizetype i = pos + 1; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char('\\') && i + 1 < text.size() &&
        (text.at(i + 1) == QLatin1Char('\\') || text.at(i + 1) == QLatin1Char('"'))) {
      out.append(text.at(++i));
    } else if (c == QLatin1Char('"')) {
      pos = i + 1;
      return out;
    } else {
      out.append(c);
    }
  }
  return std::nullopt;
}

QString quoted(const QString& text) {
  QString out = text;
  out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  out.replace(QLatin1Char('"'), QLatin1String("\\\""));
  return QLatin1Char('"') + out + QLatin1Char('"');
}

std::optional<QByteArray> parseHexBytes(QStringView list) {
  QByteArray bytes;
  if (list.trimmed().isEmpty()) {
    return bytes;
  }
  for (QStringView item : list.split(QLatin1Char(','))) {
    item = item.trimmed();
    bool ok = false;
    const uint byte = item.toUInt(&ok, 16);
    if (!ok || item.size() > 2 || byte > 0xFF) {
      return std::nullopt;
    }
    bytes.append(static_cast<char>(byte));
  }
  return bytes;
}

QString hexList(const QByteArray& bytes) {
  QStringList items;
  items.reserve(bytes.size());
  for (const char byte : bytes) {
    items.append(QStringLiteral("%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0')));
  }
  return items.join(QLatin1Char(','));
}

// Registry strings are UTF-16 little-endian, usually with a terminating NUL.
std::optional<QString> utf16FromBytes(const QByteArray& bytes) {
  if (bytes.size() % 2 != 0) {
    return std::nullopt;
  }
  QString text;
  text.reserve(bytes.size() / 2);
  for (qsizetype i = 0; i < bytes.size(); i += 2) {
    const auto low = static_cast<unsigned char>(bytes.at(i));
    const auto high = static_cast<unsigned char>(bytes.at(i + 1));
    text.append(QChar(static_cast<char16_t>(low | (high << 8))));
  }
  while (text.endsWith(QChar(u'\0'))) {
    text.chop(1);
  }
  return text;
}

QByteArray utf16Bytes(const QString& text) {
  QByteArray bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (const QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  bytes.append(2, '\0');
  return bytes;
}

// One value's data as the export syntax writes it; nothing when it is not understood.
// A lone "-" (delete the value) is returned as nothing with `deletes` set.
std::optional<RegistryValue> parseData(const QString& data, bool& deletes) {
  deletes = false;
  if (data == QLatin1String("-")) {
    deletes = true;
    return std::nullopt;
  }
  RegistryValue value;
  if (data.startsWith(QLatin1Char('"'))) {
    qsizetype end = 0;
    auto text = readQuoted(data, end);
    if (!text || !QStringView(data).sliced(end).trimmed().isEmpty()) {
      return std::nullopt;
    }
    value.type = RegistryValue::Type::String;
    value.text = *text;
    return value;
  }
  if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
    const QStringView digits = QStringView(data).sliced(6).trimmed();
    bool ok = false;
    const uint number = digits.toUInt(&ok, 16);
    if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+') || digits.startsWith(u'-')) {
      return std::nullopt;
    }
    value.type = RegistryValue::Type::Dword;
    value.dword = number;
    return value;
  }
  if (!data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  const qsizetype colon = data.indexOf(QLatin1Char(':'));
  if (colon < 0) {
    return std::nullopt;
  }
  const QStringView kind = QStringView(data).first(colon);
  int typeNumber = 3;  // plain "hex:" is binary
  if (kind.size() > 3) {
    if (!kind.startsWith(u"hex(", Qt::CaseInsensitive) || !kind.endsWith(u')')) {
      return std::nullopt;
    }
    bool ok = false;
    typeNumber = static_cast<int>(kind.sliced(4, kind.size() - 5).toUInt(&ok, 16));
    if (!ok) {
      return std::nullopt;
    }
  } else if (kind.size() != 3) {
    return std::nullopt;
  }
  auto bytes = parseHexBytes(QStringView(data).sliced(colon + 1));
  if (!bytes) {
    return std::nullopt;
  }
  switch (typeNumber) {
    case 1:
    case 2: {
      auto text = utf16FromBytes(*bytes);
      if (!text) {
        return std::nullopt;
      }
      value.type = typeNumber == 1 ? RegistryValue::Type::String : RegistryValue::Type::ExpandString;
      value.text = *text;
      return value;
    }
    case 4:
      if (bytes->size() != 4) {
        return std::nullopt;
      }
      value.type = RegistryValue::Type::Dword;
      for (int i = 3; i >= 0; --i) {
        value.dword = (value.dword << 8) | static_cast<unsigned char>(bytes->at(i));
      }
      return value;
    default:
      value.type = RegistryValue::Type::Other;
      value.otherData = kind.toString().toLower() + QLatin1Char(':') + hexList(*bytes);
      return value;
  }
}

}  // namespace

RegFile RegFile::parse(const QByteArray& bytes) {
  RegFile file;
  const QStringList lines = splitLines(decodeText(bytes, file.m_damaged));
  bool inKey = false;
  bool firstLine = true;
  for (qsizetype index = 0; index < lines.size(); ++index) {
    const QString line = lines.at(index).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
      continue;
    }
    if (std::exchange(firstLine, false) && (line == kHeader || line == kOldHeader)) {
      continue;
    }
    if (line.startsWith(QLatin1Char('['))) {
      inKey =
          line.endsWith(QLatin1Char(']')) &&
          QStringView(line).sliced(1, line.size() - 2).compare(QLatin1String(kSettingsKeyPath), Qt::CaseInsensitive) ==
              0;
      file.m_damaged |= !inKey;
      continue;
    }
    qsizetype pos = 0;
    std::optional<QString> name;
    if (line.startsWith(QLatin1Char('@'))) {
      name = QString();
      pos = 1;
    } else if (line.startsWith(QLatin1Char('"'))) {
      name = readQuoted(line, pos);
    }
    while (pos < line.size() && line.at(pos).isSpace()) {
      ++pos;
    }
    if (!inKey || !name || pos >= line.size() || line.at(pos) != QLatin1Char('=')) {
      file.m_damaged = true;
      continue;
    }
    QString data = line.sliced(pos + 1).trimmed();
    // Long hex data continues on the next lines after a trailing backslash.
    while (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive) && data.endsWith(QLatin1Char('\\')) &&
           index + 1 < lines.size()) {
      data.chop(1);
      data += lines.at(++index).trimmed();
    }
    bool deletes = false;
    if (auto value = parseData(data, deletes)) {
      file.set(*name, std::move(*value));
    } else if (deletes) {
      file.remove(*name);
    } else {
      file.m_damaged = true;
    }
  }
  return file;
}

QByteArray RegFile::serialize() const {
  QString text = kHeader + QStringLiteral("\n\n[") + QLatin1String(kSettingsKeyPath) + QStringLiteral("]\n");
  for (const Entry& entry : m_entries) {
    text += entry.name.isEmpty() ? QStringLiteral("@") : quoted(entry.name);
    text += QLatin1Char('=');
    const RegistryValue& value = entry.value;
    switch (value.type) {
      case RegistryValue::Type::Dword:
        text += QStringLiteral("dword:%1").arg(value.dword, 8, 16, QLatin1Char('0'));
        break;
      case RegistryValue::Type::String: {
        const bool plain =
            std::none_of(value.text.cbegin(), value.text.cend(), [](QChar c) { return c.unicode() < 0x20; });
        text += plain ? quoted(value.text) : QStringLiteral("hex(1):") + hexList(utf16Bytes(value.text));
        break;
      }
      case RegistryValue::Type::ExpandString:
        text += QStringLiteral("hex(2):") + hexList(utf16Bytes(value.text));
        break;
      case RegistryValue::Type::Other:
        text += value.otherData;
        break;
    }
    text += QLatin1Char('\n');
  }
  text += QLatin1Char('\n');
  return text.toUtf8();
}

const RegistryValue* RegFile::find(const QString& name) const {
  const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [&](const Entry& entry) { return entry.name.compare(name, Qt::CaseInsensitive) == 0; });
  return it == m_entries.end() ? nullptr : &it->value;
}

void RegFile::set(const QString& name, RegistryValue value) {
  if (auto* existing = const_cast<RegistryValue*>(find(name))) {
    *existing = std::move(value);
  } else {
    m_entries.push_back({name, std::move(value)});
  }
}

bool RegFile::remove(const QString& name) {
  return std::erase_if(m_entries,
                       [&](const Entry& entry) { return entry.name.compare(name, Qt::CaseInsensitive) == 0; }) > 0;
}

}  // namespace qv::settings
