// The program's icon on Qt, from the compiled-in resources.
#include "ui/platform/app_icon.h"

#include <QFile>
#include <QIcon>
#include <QString>

namespace velunar {

CIcon LoadAppIcon() {
  // Bitmaps rather than the SVG they were drawn from: Qt reads SVG only
  // through a plugin that a minimal installation lacks.
  auto icon = std::make_shared<QIcon>();
  for (int size : {16, 32, 48}) {
    QString path = QStringLiteral(":/icons/%1-apps-velunar.png").arg(size);
    if (QFile::exists(path)) icon->addFile(path, QSize(size, size));
  }
  if (icon->isNull()) return CIcon();
  return CIcon(std::shared_ptr<const void>(icon, icon.get()));
}

}  // namespace velunar
