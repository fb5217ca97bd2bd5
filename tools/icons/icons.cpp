// zorsav-icons <MAINICON.ico> <out-dir> SIZE...
// Writes <out-dir>/<SIZE>x<SIZE>/apps/zorsav.png for each size, a whole multiple of 16.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/bitmaps.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: zorsav-icons <icon.ico> <out-dir> SIZE...\n");
    return 1;
  }
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "%s: error: cannot read\n", argv[1]);
    return 1;
  }
  QByteArray bytes = file.readAll();
  auto icon = DecodeIconFile(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
  if (!icon) {
    std::fprintf(stderr, "%s: error: not an icon this tool can read\n", argv[1]);
    return 1;
  }
  QImage source(icon->width, icon->height, QImage::Format_ARGB32);
  for (int y = 0; y < icon->height; ++y) {
    for (int x = 0; x < icon->width; ++x) source.setPixel(x, y, icon->At(x, y));
  }
  for (int i = 3; i < argc; ++i) {
    int size = std::atoi(argv[i]);
    if (size <= 0 || size % icon->width != 0) {
      std::fprintf(stderr, "zorsav-icons: error: size %s is not a multiple of %d\n", argv[i],
                   icon->width);
      return 1;
    }
    QString dir = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    QDir().mkpath(dir);
    QImage scaled = source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!scaled.save(dir + "/zorsav.png", "PNG")) {
      std::fprintf(stderr, "zorsav-icons: error: cannot write %s\n", qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
