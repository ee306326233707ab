#pragma once

#include "settings_key.h"
#include "settings_values.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace qv::settings {

enum class ValueType : std::uint8_t { Integer, Boolean, String };

//! One value of the settings key, or a live value that is held while the program runs but never
//! stored (`stored` false).
struct ValueInfo {
  std::string_view name;
  ValueType type;
  //! The read group that first meets the value ("M1"...; "" for the values read on their own or
  //! never read).
  std::string_view group;
  std::int32_t minimum = std::numeric_limits<std::int32_t>::min();
  std::int32_t maximum = std::numeric_limits<std::int32_t>::max();
  //! What an unreadable value gives (integers and booleans); strings use `fallbackText`.
  std::int32_t fallback = 0;
  std::u16string_view fallbackText = {};
  bool stored = true;
};

//! Every value the program keeps, in the order start-up first meets them.
std::span<const ValueInfo> valueTable();
//! The entry named `name`; nullptr when there is none.
const ValueInfo* findValue(std::string_view name);

//! A guarded read group: its values in read order.
struct GroupInfo {
  std::string_view name;
  std::vector<std::string_view> values;
  //! Values the group's fallback leaves as they are (the tray option in S2).
  std::vector<std::string_view> untouchedByFallback = {};
  //! The fallback is also written into the key at once (M6).
  bool fallbackIsWritten = false;
};
const GroupInfo* findGroup(std::string_view name);

//! The two moments that write values, each in its fixed order.
enum class Writer : std::uint8_t { MainWindowClose, SettingsWindowDestroy };
std::span<const std::string_view> writeOrder(Writer writer);

//! The program's settings as typed values: the one place every reader (windows, playback, keys,
//! wheel) asks, and the settings window edits. Values are read from and written to the store in
//! the same groups, order and format as before there was a model, so the settings file is the same
//! for the same values. GUI thread only.
class SettingsModel : public QObject {
  Q_OBJECT

 public:
  //! Every value at its fallback.
  explicit SettingsModel(QObject* parent = nullptr);

  std::int32_t value(Setting<std::int32_t> setting) const;
  bool value(Setting<bool> setting) const;
  QString value(Setting<QString> setting) const;

  //! Integers are held to their range. Announces `changed` only when the value changes.
  void set(Setting<std::int32_t> setting, std::int32_t value);
  void set(Setting<bool> setting, bool value);
  void set(Setting<QString> setting, const QString& value);

  //! Reads group `groupName` from `key`: each value is set right after its read; the first failed
  //! read skips the rest and gives every value of the group its fallback. True when every read
  //! worked. A failure is never reported.
  bool readGroup(SettingsKey& key, std::string_view groupName);
  //! Reads one value outside the groups; on failure it takes its fallback. True when it was read.
  template <typename T>
  bool readValue(const SettingsKey& key, Setting<T> setting) {
    return readOne(key, setting.name);
  }

  //! Writes the values of `writer` in its order. Names in `keepStored` are not written, so the
  //! stored value stays as it is; `LastStation` -1 deletes the value.
  void write(SettingsKey& key, Writer writer, const std::vector<std::string_view>& keepStored = {});

  //! Calls `onChange(value)` in `context` whenever `setting` changes.
  template <typename T, typename F>
  QMetaObject::Connection onChange(Setting<T> setting, const QObject* context, F onChange) {
    const QString name = QString::fromLatin1(setting.name.data(), qsizetype(setting.name.size()));
    return connect(this, &SettingsModel::changed, context, [this, setting, name, onChange](const QString& changed) {
      if (changed == name) {
        onChange(value(setting));
      }
    });
  }

 signals:
  //! The value named `name` has changed.
  void changed(const QString& name);

 private:
  //! Reads and sets one value; false (and nothing set) when the read failed.
  bool tryRead(const SettingsKey& key, std::string_view name);
  bool readOne(const SettingsKey& key, std::string_view name);
  void applyFallback(std::string_view name);
  void store(std::string_view name, const QVariant& value);
  std::size_t indexOf(std::string_view name) const;

  std::vector<QVariant> m_values;  // one per valueTable() entry
};

}  // namespace qv::settings
