#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

//! Sets or removes environment variables for the children started while it exists; restores them
//! after.
class ChildEnvironment {
 public:
  ChildEnvironment() = default;
  ChildEnvironment(const ChildEnvironment&) = delete;
  ChildEnvironment& operator=(const ChildEnvironment&) = delete;
  void set(const char* name, const QByteArray& value) {
    save(name);
    qputenv(name, value);
  }
  void unset(const char* name) {
    save(name);
    qunsetenv(name);
  }
  ~ChildEnvironment() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
      if (it->wasSet) {
        qputenv(it->name, it->value);
      } else {
        qunsetenv(it->name);
      }
    }
  }

 private:
  void save(const char* name) { m_saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)}); }
  struct Saved {
    const char* name;
    bool wasSet;
    QByteArray value;
  };
  std::vector<Saved> m_saved;
};
