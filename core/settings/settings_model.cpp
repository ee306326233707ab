#include "settings_model.h"

#include "lifecycle_log.h"

#include <algorithm>
#include <array>

namespace qv::settings {

namespace {

namespace fb = fallback;
using enum ValueType;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// Only the values a control limits have a range; the rest are kept as stored. Window positions
// that cannot be read are computed by their window (screen or main-window centre).
// clang-format off
constexpr std::array kValues{
    ValueInfo{"Discreditation", Integer, "",   kMin, kMax, fb::Discreditation},
    ValueInfo{"Volume",         Integer, "M1", 0, 100, fb::Volume},
    ValueInfo{"WindowLeft",     Integer, "M2"},
    ValueInfo{"WindowTop",      Integer, "M2"},
    ValueInfo{"WindowWidth",    Integer, "M2", kMin, kMax, fb::WindowWidth},
    ValueInfo{"WindowHeight",   Integer, "M2", kMin, kMax, fb::WindowHeight},
    ValueInfo{"Language",       String,  "M3", 0, 0, 0, fb::MainLanguage},
    ValueInfo{"AlwaysOnTop",    Boolean, "M4", 0, 1, fb::AlwaysOnTop},
    ValueInfo{"EQPanel",        Boolean, "M5", 0, 1, fb::EQPanel},
    ValueInfo{"Preview",        Integer, "M5", kMin, kMax, fb::Preview},
    ValueInfo{"LeftPanel",      Integer, "M5", kMin, kMax, fb::LeftPanel},
    ValueInfo{"TagsPanel",      Integer, "M5", kMin, kMax, fb::TagsPanel},
    ValueInfo{"HideToTray",     Boolean, "M6", 0, 1, fb::HideToTray},
    ValueInfo{"GetMediaKey",    Boolean, "M7", 0, 1, fb::GetMediaKey},
    ValueInfo{"LastStation",    Integer, "M8", kMin, kMax, fb::LastStation},
    ValueInfo{"UnsavedPL",      Boolean, "M9", 0, 1, fb::UnsavedPL},
    ValueInfo{"PopupFormWidth", Integer, "P1", kMin, kMax, fb::PopupFormWidth},
    ValueInfo{"SFTop",          Integer, "S1"},
    ValueInfo{"SFLeft",         Integer, "S1"},
    ValueInfo{"MouseStep",      Integer, "S2", 1, 50, fb::MouseStep},
    ValueInfo{"KeyboardStep",   Integer, "S2", 1, 50, fb::KeyboardStep},
    ValueInfo{"InvertMouse",    Boolean, "S2", 0, 1, fb::InvertMouse},
    ValueInfo{"LoopStations",   Boolean, "S2", 0, 1, fb::LoopStations},
    ValueInfo{"ShowNotify",     Boolean, "S3", 0, 1, fb::ShowNotify},
    ValueInfo{"PlayOnStart",    Boolean, "S5", 0, 1, fb::PlayOnStart},
    ValueInfo{"Reconnect",      Boolean, "",   0, 1, fb::Reconnect},
    ValueInfo{"HistoryKeepDays", Integer, "",  1, 3650, fb::HistoryKeepDays},
    ValueInfo{"Levelling",      Boolean, "",   0, 1, fb::Levelling},
    ValueInfo{"LevellingTarget", Integer, "",  -30, -5, fb::LevellingTarget},
    ValueInfo{"Crossfade",      Boolean, "",   0, 1, fb::Crossfade},
    ValueInfo{"OutputDevice",   String,  "",   0, 0, 0, fb::OutputDevice},
    ValueInfo{"ProxyServer",    String,  "",   0, 0, 0, u"", false},
    ValueInfo{"BufferLength",   Integer, "",   0, 60, fb::BufferLength, u"", false},
};
// clang-format on

const std::array<GroupInfo, 15>& groups() {
  static const std::array<GroupInfo, 15> table{
      GroupInfo{"M1", {"Volume"}},
      GroupInfo{"M2", {"WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"}},
      GroupInfo{"M3", {"Language"}},
      GroupInfo{"M4", {"AlwaysOnTop"}},
      GroupInfo{"M5", {"EQPanel", "Preview", "LeftPanel", "TagsPanel"}},
      GroupInfo{"M6", {"HideToTray"}, {}, true},
      GroupInfo{"M7", {"GetMediaKey"}},
      GroupInfo{"M8", {"LastStation"}},
      GroupInfo{"M9", {"UnsavedPL"}},
      GroupInfo{"P1", {"PopupFormWidth"}},
      GroupInfo{"S1", {"SFTop", "SFLeft"}},
      GroupInfo{
          "S2",
          {"MouseStep", "KeyboardStep", "InvertMouse", "LoopStations", "HideToTray", "GetMediaKey", "Discreditation"},
          {"HideToTray"}},
      GroupInfo{"S3", {"ShowNotify"}},
      GroupInfo{"S4", {"Language"}},
      GroupInfo{"S5", {"PlayOnStart"}},
  };
  return table;
}

constexpr std::array<std::string_view, 13> kMainWindowWrites{
    "WindowLeft", "WindowTop", "WindowWidth", "WindowHeight", "Volume",         "AlwaysOnTop", "Preview",
    "EQPanel",    "LeftPanel", "TagsPanel",   "UnsavedPL",    "PopupFormWidth", "LastStation"};
constexpr std::array<std::string_view, 18> kSettingsWindowWrites{
    "MouseStep",   "KeyboardStep",    "InvertMouse",    "LoopStations",    "Language",  "HideToTray",
    "GetMediaKey", "ShowNotify",      "Discreditation", "SFTop",           "SFLeft",    "PlayOnStart",
    "Reconnect",   "HistoryKeepDays", "Levelling",      "LevellingTarget", "Crossfade", "OutputDevice"};

QString nameOf(std::string_view name) {
  return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

QVariant fallbackOf(const ValueInfo& info) {
  switch (info.type) {
    case Integer:
      return QVariant(info.fallback);
    case Boolean:
      return QVariant(info.fallback != 0);
    case String:
      return QVariant(QString::fromUtf16(info.fallbackText.data(), qsizetype(info.fallbackText.size())));
  }
  return {};
}

}  // namespace

std::span<const ValueInfo> valueTable() {
  return kValues;
}

const ValueInfo* findValue(std::string_view name) {
  const auto found = std::find_if(kValues.begin(), kValues.end(), [&](const ValueInfo& v) { return v.name == name; });
  return found == kValues.end() ? nullptr : &*found;
}

const GroupInfo* findGroup(std::string_view name) {
  const auto& table = groups();
  const auto found = std::find_if(table.begin(), table.end(), [&](const GroupInfo& g) { return g.name == name; });
  return found == table.end() ? nullptr : &*found;
}

std::span<const std::string_view> writeOrder(Writer writer) {
  if (writer == Writer::MainWindowClose) {
    return kMainWindowWrites;
  }
  return kSettingsWindowWrites;
}

SettingsModel::SettingsModel(QObject* parent) : QObject(parent) {
  m_values.reserve(kValues.size());
  for (const ValueInfo& info : kValues) {
    m_values.push_back(fallbackOf(info));
  }
}

std::size_t SettingsModel::indexOf(std::string_view name) const {
  const ValueInfo* info = findValue(name);
  Q_ASSERT(info != nullptr);
  return static_cast<std::size_t>(info - kValues.data());
}

std::int32_t SettingsModel::value(Setting<std::int32_t> setting) const {
  return m_values[indexOf(setting.name)].toInt();
}

bool SettingsModel::value(Setting<bool> setting) const {
  return m_values[indexOf(setting.name)].toBool();
}

QString SettingsModel::value(Setting<QString> setting) const {
  return m_values[indexOf(setting.name)].toString();
}

void SettingsModel::store(std::string_view name, const QVariant& value) {
  QVariant& held = m_values[indexOf(name)];
  if (held != value) {
    held = value;
    emit changed(nameOf(name));
  }
}

void SettingsModel::set(Setting<std::int32_t> setting, std::int32_t value) {
  const ValueInfo& info = kValues[indexOf(setting.name)];
  store(setting.name, QVariant(std::clamp(value, info.minimum, info.maximum)));
}

void SettingsModel::set(Setting<bool> setting, bool value) {
  store(setting.name, QVariant(value));
}

void SettingsModel::set(Setting<QString> setting, const QString& value) {
  store(setting.name, QVariant(value));
}

void SettingsModel::applyFallback(std::string_view name) {
  store(name, fallbackOf(kValues[indexOf(name)]));
}

bool SettingsModel::tryRead(const SettingsKey& key, std::string_view name) {
  switch (kValues[indexOf(name)].type) {
    case Integer:
      if (const auto v = key.read(Setting<std::int32_t>{name})) {
        set(Setting<std::int32_t>{name}, *v);
        return true;
      }
      return false;
    case Boolean:
      if (const auto v = key.read(Setting<bool>{name})) {
        set(Setting<bool>{name}, *v);
        return true;
      }
      return false;
    case String:
      if (const auto v = key.read(Setting<QString>{name})) {
        set(Setting<QString>{name}, *v);
        return true;
      }
      return false;
  }
  return false;
}

bool SettingsModel::readOne(const SettingsKey& key, std::string_view name) {
  if (tryRead(key, name)) {
    return true;
  }
  applyFallback(name);
  return false;
}

bool SettingsModel::readGroup(SettingsKey& key, std::string_view groupName) {
  const GroupInfo* group = findGroup(groupName);
  Q_ASSERT(group != nullptr);
  const QByteArray stage(groupName.data(), qsizetype(groupName.size()));
  logStage(stage.constData());
  // Each value is set right after its read, so that what shows it follows at once, as it would
  // when the read was made by the control itself.
  const bool complete = std::all_of(group->values.begin(), group->values.end(),
                                    [&](std::string_view name) { return tryRead(key, name); });
  if (complete) {
    return true;
  }
  qCDebug(lcLifecycle).noquote() << stage << "fallback";
  for (const std::string_view name : group->values) {
    const auto& untouched = group->untouchedByFallback;
    if (std::find(untouched.begin(), untouched.end(), name) != untouched.end()) {
      continue;
    }
    applyFallback(name);
    if (group->fallbackIsWritten) {
      const ValueInfo& info = kValues[indexOf(name)];
      if (info.type == Boolean) {
        key.write(Setting<bool>{name}, info.fallback != 0);
      } else if (info.type == Integer) {
        key.write(Setting<std::int32_t>{name}, info.fallback);
      }
    }
  }
  return false;
}

void SettingsModel::write(SettingsKey& key, Writer writer, const std::vector<std::string_view>& keepStored) {
  for (const std::string_view name : writeOrder(writer)) {
    if (std::find(keepStored.begin(), keepStored.end(), name) != keepStored.end()) {
      continue;
    }
    const ValueInfo& info = kValues[indexOf(name)];
    const QVariant& held = m_values[indexOf(name)];
    if (name == LastStation.name && held.toInt() == -1) {
      key.remove(LastStation);  // no current station: the next start reads the fallback
      continue;
    }
    switch (info.type) {
      case Integer:
        key.write(Setting<std::int32_t>{name}, held.toInt());
        break;
      case Boolean:
        key.write(Setting<bool>{name}, held.toBool());
        break;
      case String:
        key.write(Setting<QString>{name}, held.toString());
        break;
    }
  }
}

}  // namespace qv::settings
