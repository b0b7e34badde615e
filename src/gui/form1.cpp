#include "gui/form1.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <exception>

#include "gui/message_boxes.h"
#include "gui/system_text.h"
#include "platform/locale_info.h"
#include "platform/native_file_system.h"

// The icons are compiled into this static library; register them before first use.
static void initialiseIconResources() { Q_INIT_RESOURCE(icons); }

namespace brimwell::gui {

QFont windowFont() {
  const QString preferred = QStringLiteral("MS Sans Serif");
  QFont font;
  if (QFontDatabase::families().contains(preferred)) {
    font.setFamily(preferred);
  } else {
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
  }
  font.setPointSize(8);
  return font;
}

TForm1::TForm1(QString applicationTitle)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      applicationTitle_(std::move(applicationTitle)),
      fileSystem_(makeNativeFileSystem()),
      collation_(userCollation()),
      decimalSeparator_(userDecimalSeparator()) {
  initialiseIconResources();
  setWindowTitle(QStringLiteral("Brimwell"));
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  createComponents();
  feedback_ = std::make_unique<WindowFeedback>(*this, *analysestatus, *Progress, OpenDialog1,
                                               SaveDialog1, applicationTitle_);
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
  if (&table == &workspace_.sizes) return *sizes;
  if (&table == &workspace_.files) return *files;
  return *files1;
}

std::int32_t TForm1::value(SpinField field) { return spinEdit(field).value(); }

std::string TForm1::text(EditField field) { return toSystemText(edit(field).text()); }

void TForm1::runHandler(const std::function<void(Context&)>& body) {
  // The operations are not written to run inside each other.
  if (running_) return;
  running_ = true;
  feedback_->clearStop();
  Context context{workspace_, *this,       *feedback_,          *fileSystem_,
                  random_,    *collation_, PathStyle::native(), decimalSeparator_};
  try {
    body(context);
  } catch (const std::exception& failure) {
    showErrorBox(this, applicationTitle_, fromSystemText(failure.what()));
  }
  running_ = false;
  if (closeRequested_) {
    closeRequested_ = false;
    // A writer or an erase that the close stopped leaves the window open, saying so.
    if (!feedback_->stoppedOperation()) close();
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The running operation still uses the lists and fields: the writer and the erase
    // stop after the file they are on, and the window stays open to show where they
    // stopped; any other operation runs to its end, and the window closes then.
    closeRequested_ = true;
    feedback_->requestStop();
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LocaleChange) {
    decimalSeparator_ = userDecimalSeparator();
    const QString separator = fromSystemText(decimalSeparator_);
    for (auto* field : {SpinEdit1, SpinEdit2, subf1, subf2, subf3, subf4, subf5, delprocent}) {
      field->setDecimalSeparator(separator);
    }
  }
  QWidget::changeEvent(event);
}

}  // namespace brimwell::gui
