#include "skin.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSkin, "qv.skin", QtInfoMsg)

namespace qv::ui {
namespace {

QString resourcePath(const QString& name, bool twice) {
  return QStringLiteral(":/skin/") + name + (twice ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
}

bool anyHiDpiScreen() {
  const auto screens = QGuiApplication::screens();
  return std::any_of(screens.begin(), screens.end(), [](const QScreen* s) { return s->devicePixelRatio() > 1.0; });
}

}  // namespace

StageOutcome Skin::load() {
  const bool twice = anyHiDpiScreen();
  StageOutcome outcome = StageOutcome::Done;
  m_images.clear();
  for (const char* raw : kSkinImageNames) {
    const QString name = QLatin1String(raw);
    QPixmap pixmap;
    // The logo exists at one large size only.
    if (!(twice && pixmap.load(resourcePath(name, true)))) {
      pixmap.load(resourcePath(name, false));
    } else {
      pixmap.setDevicePixelRatio(2.0);
    }
    if (pixmap.isNull()) {
      qCWarning(lcSkin) << "skin image missing from the resources:" << name;
      outcome = StageOutcome::Failed;
      continue;
    }
    m_images.insert(name, pixmap);
  }
  return outcome;
}

void Skin::release() {
  m_images.clear();
}

QIcon resourceIcon(const QString& name) {
  // QIcon finds the @2x file beside the named one by itself.
  return QIcon(resourcePath(name, false));
}

QIcon applicationIcon() {
  QIcon icon;
  for (const char* size : {"16", "32", "48"}) {
    const QString name = QStringLiteral("AppIcon") + QLatin1String(size);
    icon.addFile(resourcePath(name, false));
  }
  return icon;
}

}  // namespace qv::ui
