// Build-time tool: renders the skin's SVG sources to PNG files, as the manifest lists them.
//
//   qv_render_skin <manifest> <source folder> <output folder>
//
// Every manifest line "name source width height look scales" gives <name>.png at scale 1 and
// <name>@2x.png at scale 2. Exits non-zero, naming the line, when a source is missing or cannot be
// drawn, so a broken skin fails the build instead of shipping blank buttons.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

namespace {

// The colours the sources are drawn with; each look replaces them.
constexpr char kSourceFace[] = "#D0D0D0";
constexpr char kSourceOutline[] = "#1E1E1E";

bool recolour(QByteArray& svg, const QString& look) {
  if (look == QLatin1String("as-drawn")) {
    return true;
  }
  if (look == QLatin1String("normal")) {
    svg.replace(kSourceFace, "#B4B4B4");
    return true;
  }
  if (look == QLatin1String("highlighted")) {
    svg.replace(kSourceFace, "#FFFFFF");
    return true;
  }
  if (look == QLatin1String("dimmed")) {
    svg.replace(kSourceFace, "#6A6A6A");
    svg.replace(kSourceOutline, "none");
    return true;
  }
  return false;
}

int fail(int lineNumber, const QString& why) {
  std::fprintf(stderr, "qv_render_skin: manifest line %d: %s\n", lineNumber, qPrintable(why));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: qv_render_skin <manifest> <source folder> <output folder>\n", stderr);
    return 2;
  }
  QFile manifest(QString::fromLocal8Bit(argv[1]));
  const QDir sources(QString::fromLocal8Bit(argv[2]));
  const QDir output(QString::fromLocal8Bit(argv[3]));
  if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
    std::fprintf(stderr, "qv_render_skin: cannot read %s\n", argv[1]);
    return 1;
  }
  if (!QDir().mkpath(output.path())) {
    std::fprintf(stderr, "qv_render_skin: cannot create %s\n", argv[3]);
    return 1;
  }

  int lineNumber = 0;
  while (!manifest.atEnd()) {
    ++lineNumber;
    const QString line = QString::fromUtf8(manifest.readLine()).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
      continue;
    }
    const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() != 6) {
      return fail(lineNumber, QStringLiteral("expected 6 fields"));
    }
    const QString& name = fields[0];
    bool widthOk = false;
    bool heightOk = false;
    const int width = fields[2].toInt(&widthOk);
    const int height = fields[3].toInt(&heightOk);
    if (!widthOk || !heightOk || width <= 0 || height <= 0) {
      return fail(lineNumber, QStringLiteral("bad size"));
    }

    QFile sourceFile(sources.filePath(fields[1]));
    if (!sourceFile.open(QIODevice::ReadOnly)) {
      return fail(lineNumber, QStringLiteral("cannot read ") + sourceFile.fileName());
    }
    QByteArray svg = sourceFile.readAll();
    if (!recolour(svg, fields[4])) {
      return fail(lineNumber, QStringLiteral("unknown look ") + fields[4]);
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
      return fail(lineNumber, QStringLiteral("not a drawable SVG: ") + sourceFile.fileName());
    }

    for (const QString& scaleText : fields[5].split(QLatin1Char(','))) {
      const int scale = scaleText.toInt();
      if (scale != 1 && scale != 2) {
        return fail(lineNumber, QStringLiteral("scales are 1 and 2"));
      }
      QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      renderer.render(&painter, QRectF(0, 0, image.width(), image.height()));
      painter.end();
      const QString file = output.filePath(name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
      if (!image.save(file, "PNG")) {
        return fail(lineNumber, QStringLiteral("cannot write ") + file);
      }
    }
  }
  return 0;
}
