#include "ui/app_icon.h"

#include <QFile>
#include <QString>

namespace velunar {

QIcon LoadAppIcon() {
  // Bitmaps rather than the SVG they were drawn from: Qt reads SVG only
  // through a plugin that a minimal installation lacks.
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QString path = QStringLiteral(":/icons/%1-apps-velunar.png").arg(size);
    if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
  }
  return icon;
}

}  // namespace velunar
