// Brimwell: placeholder entry point until the window lands.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label("Brimwell");
  label.show();
  return app.exec();
}
