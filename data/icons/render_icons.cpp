// Build tool: renders the program's icon for the desktop. The 16 x 16 picture is the hand-drawn
// 16-colour one; larger sizes are rendered from its scalable redrawing, where Qt Svg is there to
// read it (built without it, the tool writes the 16 x 16 picture alone).
//
//   render_icons <icon.svg> <out-dir> <name>
//
// writes <out-dir>/hicolor/<n>x<n>/apps/<name>.png for each size, <out-dir>/<name>.ico, and for
// the window's own caption <out-dir>/window/<n>.rgba: the larger sizes as bare pixels (RGBA, 8 bits
// each, premultiplied, row by row), which the program takes as they are, with no image reader.
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <initializer_list>

#include "countdown3000.xpm"

#ifdef COUNTDOWN_WITH_SVG
#include <QSvgRenderer>
#else
// Stands in for Qt Svg's renderer where the build has none: it renders nothing.
class QSvgRenderer {
 public:
  explicit QSvgRenderer(const QString& /*path*/) {}
  bool isValid() const { return true; }
  void render(QPainter* /*painter*/) {}
};
#endif

namespace {

#ifdef COUNTDOWN_WITH_SVG
constexpr std::initializer_list<int> kSizes = {16, 24, 32, 48, 64, 128, 256};
constexpr std::initializer_list<int> kIcoSizes = {16, 32, 48, 256};
constexpr std::initializer_list<int> kWindowSizes = {24, 32, 48};
#else
constexpr std::initializer_list<int> kSizes = {16};
constexpr std::initializer_list<int> kIcoSizes = {16};
constexpr std::initializer_list<int> kWindowSizes = {};
#endif

QImage Render(QSvgRenderer& svg, int size) {
  if (size == 16) return QImage(countdown3000_xpm).convertToFormat(QImage::Format_ARGB32);
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  svg.render(&painter);
  return image;
}

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "png");
  return bytes;
}

QByteArray Pixels(const QImage& image) {
  const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
  QByteArray bytes;
  for (int y = 0; y < rgba.height(); ++y) {
    bytes.append(reinterpret_cast<const char*>(rgba.constScanLine(y)), rgba.width() * 4);
  }
  return bytes;
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) return true;
  std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(path));
  return false;
}

// A Windows icon file holding PNG pictures of several sizes.
QByteArray Ico(QSvgRenderer& svg, std::initializer_list<int> sizes) {
  QByteArray header, pictures;
  QDataStream out(&header, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  out << quint16{0} << quint16{1} << static_cast<quint16>(sizes.size());
  const auto offset = static_cast<quint32>(6 + 16 * sizes.size());
  for (const int size : sizes) {
    const QByteArray png = Png(Render(svg, size));
    const auto side = static_cast<quint8>(size % 256);  // 0 stands for 256
    out << side << side << quint8{0} << quint8{0} << quint16{1} << quint16{32}
        << static_cast<quint32>(png.size()) << static_cast<quint32>(offset + pictures.size());
    pictures += png;
  }
  return header + pictures;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: render_icons <icon.svg> <out-dir> <name>\n");
    return 2;
  }
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "render_icons: cannot read %s\n", argv[1]);
    return 1;
  }
  const QDir out(QString::fromLocal8Bit(argv[2]));
  const QString name = QString::fromLocal8Bit(argv[3]);

  for (const int size : kSizes) {
    const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
    if (!out.mkpath(folder) ||
        !Write(out.filePath(folder + QStringLiteral("/") + name + QStringLiteral(".png")),
               Png(Render(svg, size)))) {
      return 1;
    }
  }
  for (const int size : kWindowSizes) {
    if (!out.mkpath(QStringLiteral("window")) ||
        !Write(out.filePath(QStringLiteral("window/%1.rgba").arg(size)),
               Pixels(Render(svg, size)))) {
      return 1;
    }
  }
  return Write(out.filePath(name + QStringLiteral(".ico")), Ico(svg, kIcoSizes)) ? 0 : 1;
}
