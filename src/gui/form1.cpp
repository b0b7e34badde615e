#include "gui/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include "gui/message_boxes.h"
#include "gui/system_text.h"

// The icons are compiled into this static library; register them before first use.
static void initialiseIconResources() { Q_INIT_RESOURCE(icons); }

namespace brimwell::gui {

QFont windowFont() {
  const QString preferred = QString::fromLatin1(form::kFontName);
  QFont font;
  if (QFontDatabase::families().contains(preferred)) {
    font.setFamily(preferred);
  } else {
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
  }
  font.setPointSize(form::kFontPoints);
  return font;
}

TForm1::TForm1(QString applicationTitle, const form::FormClock& clock)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      applicationTitle_(std::move(applicationTitle)),
      core_(*this, toSystemText(applicationTitle_), clock) {
  initialiseIconResources();
  setWindowTitle(QString::fromLatin1(form::kWindowCaption));
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  createComponents();
  wireEvents();
  centreOnScreen();
  FormCreate();
}

TForm1::~TForm1() {
  // The views outlive their models (they are children of the window); detach them first.
  sizes->setModel(nullptr);
  files->setModel(nullptr);
  files1->setModel(nullptr);
}

void TForm1::centreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  move(available.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}

SpinFieldEdit& TForm1::spinEdit(SpinField field) {
  switch (field) {
    case SpinField::SpinEdit1:
      return *SpinEdit1;
    case SpinField::SpinEdit2:
      return *SpinEdit2;
    case SpinField::subf1:
      return *subf1;
    case SpinField::subf2:
      return *subf2;
    case SpinField::subf3:
      return *subf3;
    case SpinField::subf4:
      return *subf4;
    case SpinField::subf5:
      return *subf5;
    case SpinField::delprocent:
      break;
  }
  return *delprocent;
}

QLineEdit& TForm1::edit(EditField field) {
  switch (field) {
    case EditField::scanpath:
      return *scanpath;
    case EditField::path1:
      return *path1;
    case EditField::path2:
      return *path2;
    case EditField::path3:
      return *path3;
    case EditField::path4:
      return *path4;
    case EditField::path5:
      return *path5;
    case EditField::id:
      return *id;
    case EditField::reprodpath:
      break;
  }
  return *reprodpath;
}

QTableView& TForm1::view(const TextTable& table) {
  if (&table == &workspace().sizes) return *sizes;
  if (&table == &workspace().files) return *files;
  return *files1;
}

void TForm1::FormCreate() { core_.FormCreate(); }
void TForm1::analyseClick() { core_.analyseClick(); }
void TForm1::Load1Click() { core_.Load1Click(); }
void TForm1::Save1Click() { core_.Save1Click(); }
void TForm1::buildClick() { core_.buildClick(); }
void TForm1::reproduceClick() { core_.reproduceClick(); }
void TForm1::del1Click() { core_.del1Click(); }
void TForm1::del2Click() { core_.del2Click(); }

void TForm1::runHandler(const std::function<void(Context&)>& body) { core_.runHandler(body); }

std::int32_t TForm1::value(SpinField field) { return core_.value(field); }

std::string TForm1::text(EditField field) { return core_.text(field); }

std::string TForm1::fieldText(EditField field) { return toSystemText(edit(field).text()); }

std::string TForm1::fieldText(SpinField field) { return toSystemText(spinEdit(field).text()); }

void TForm1::showStatus(std::string_view text) { analysestatus->setText(fromSystemText(text)); }

void TForm1::showStatusTip(std::string_view text) {
  analysestatus->setToolTip(fromSystemText(text));
}

void TForm1::showProgress(int percent) { Progress->setValue(percent); }

void TForm1::processEvents() { QCoreApplication::processEvents(); }

void TForm1::showNotice(std::string_view title, std::string_view text) {
  gui::showNotice(this, fromSystemText(title), fromSystemText(text));
}

bool TForm1::askConfirm(std::string_view text) {
  return gui::askConfirm(this, fromSystemText(text));
}

void TForm1::showError(std::string_view title, std::string_view text) {
  showErrorBox(this, fromSystemText(title), fromSystemText(text));
}

std::optional<std::string> TForm1::chooseTemplate(const form::DialogSetup& setup) {
  return (setup.kind == form::DialogKind::Load ? OpenDialog1 : SaveDialog1).choose(this, setup);
}

void TForm1::closeWindow() { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (!core_.closeAsked()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LocaleChange) {
    core_.localeChanged();
    const QString separator = fromSystemText(decimalSeparator());
    for (auto* field : {SpinEdit1, SpinEdit2, subf1, subf2, subf3, subf4, subf5, delprocent}) {
      field->setDecimalSeparator(separator);
    }
  }
  QWidget::changeEvent(event);
}

}  // namespace brimwell::gui
