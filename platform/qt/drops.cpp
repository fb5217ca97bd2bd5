#include "platform/qt/drops.h"

#include <QUrl>

#include "platform/win32/shellapi.h"

bool CarriesLocalFiles(const QMimeData& data) {
  if (!data.hasUrls()) return false;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) return true;
  }
  return false;
}

std::vector<AnsiString> DroppedNames(const QMimeData& data) {
  std::vector<AnsiString> names;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) names.push_back(AnsiPathFromDesktop(url.toLocalFile().toStdString()));
  }
  return names;
}
