#include "gui/window_identity.h"

#include <QApplication>
#include <QDir>

namespace brimwell::gui {

QIcon programIcon() {
  QIcon icon;
  const QDir icons(QStringLiteral(":/icons"));
  for (const QString& name : icons.entryList({QStringLiteral("program-*.png")})) {
    icon.addFile(icons.filePath(name));
  }
  return icon;
}

void setWindowIdentity() {
  QApplication::setWindowIcon(programIcon());
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
}

}  // namespace brimwell::gui
