// brimwell-pages: renders each page of the main window, with every field at its default,
// to a PNG: OUTPUT_FOLDER/page1.png and OUTPUT_FOLDER/page2.png.
//
// Usage: brimwell-pages OUTPUT_FOLDER (run with QT_QPA_PLATFORM=offscreen to need no screen)
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "gui/form1.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: brimwell-pages OUTPUT_FOLDER\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  application.setFont(brimwell::gui::windowFont());
  brimwell::gui::TForm1 form;
  form.show();
  QApplication::processEvents();
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  QWidget* const pages[] = {form.TabSheet1, form.TabSheet2};
  for (int page = 0; page < 2; ++page) {
    form.PageControl1->setCurrentWidget(pages[page]);
    QApplication::processEvents();
    const QString file = folder.filePath(QStringLiteral("page%1.png").arg(page + 1));
    if (!form.grab().save(file, "PNG")) {
      std::fprintf(stderr, "brimwell-pages: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
    std::printf("%s\n", file.toLocal8Bit().constData());
  }
  return 0;
}
