// TForm1: the main window. It owns every field, list, button and menu of the two pages,
// the three lists' tables, the random source and the handlers that run the operations.
//
// The members carry the components' names. A handler builds a Context over the window
// (the window is the operations' FieldReader, reading its widgets afresh at each use),
// calls its operation and shows any failure that escapes in the error box. One operation
// runs at a time: a click that would start another while one runs (it pumps events) is
// ignored; closing the window meanwhile stops the writer or the erase after the file it is
// on (the window stays open), and waits for any other operation to return.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <functional>
#include <memory>

#include "app/context.h"
#include "gui/spin_field_edit.h"
#include "gui/table_model.h"
#include "gui/template_dialogs.h"
#include "gui/window_feedback.h"
#include "platform/file_system.h"

namespace brimwell::gui {

class TForm1 : public QWidget, public FieldReader {
 public:
  static constexpr int kClientWidth = 688;
  static constexpr int kClientHeight = 692;

  // `applicationTitle` is the caption of every notice and error box.
  explicit TForm1(QString applicationTitle = QStringLiteral("Brimwell"));
  ~TForm1() override;

  // Handlers, named after the components that fire them.
  void FormCreate();
  void analyseClick();
  void Load1Click();
  void Save1Click();
  void buildClick();
  void reproduceClick();
  void del1Click();
  void del2Click();

  // How every handler runs its operation: not at all while another one runs; with a
  // fresh Context; a failure that escapes is shown in the error box and the window goes
  // on waiting for input; a close asked for meanwhile happens afterwards, unless it
  // stopped a writer or an erase.
  void runHandler(const std::function<void(Context&)>& body);

  std::int32_t value(SpinField field) override;
  std::string text(EditField field) override;

  SpinFieldEdit& spinEdit(SpinField field);
  QLineEdit& edit(EditField field);
  QTableView& view(const TextTable& table);

  Workspace& workspace() { return workspace_; }
  RandomSource& random() { return random_; }
  FileSystem& fileSystem() { return *fileSystem_; }
  WindowFeedback& feedback() { return *feedback_; }
  const std::string& decimalSeparator() const { return decimalSeparator_; }
  const QString& applicationTitle() const { return applicationTitle_; }
  bool operationRunning() const { return running_; }

  // First page.
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QTableView* sizes;
  QToolButton* sizeload;
  QToolButton* sizesave;
  QLabel* Label1;
  QLineEdit* scanpath;
  QPushButton* analyse;
  QMenu* PopupMenu1;
  QAction* Load1;
  QAction* Save1;
  // Second page.
  QWidget* TabSheet2;
  QLabel* Label9;
  SpinFieldEdit* SpinEdit1;
  QLabel* Label10;
  SpinFieldEdit* SpinEdit2;
  QLabel* Label4;
  QLabel* Label2;
  QLineEdit* path1;
  QLineEdit* path2;
  QLineEdit* path3;
  QLineEdit* path4;
  QLineEdit* path5;
  SpinFieldEdit* subf1;
  SpinFieldEdit* subf2;
  SpinFieldEdit* subf3;
  SpinFieldEdit* subf4;
  SpinFieldEdit* subf5;
  QLabel* Label5;
  QLineEdit* id;
  QPushButton* build;
  QFrame* Bevel1;
  QLabel* Label3;
  QLineEdit* reprodpath;
  QPushButton* reproduce;
  QFrame* Bevel3;
  QLabel* Label11;
  SpinFieldEdit* delprocent;
  QPushButton* del1;
  QPushButton* del2;
  QFrame* Bevel2;
  QTableView* files1;
  QTableView* files;
  // Below the pages.
  QLineEdit* analysestatus;
  QProgressBar* Progress;
  // The template file dialogs.
  TemplateDialog OpenDialog1{TemplateDialog::Kind::Load};
  TemplateDialog SaveDialog1{TemplateDialog::Kind::Save};

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void createComponents();
  void createFirstPage();
  void createSecondPage();
  void wireEvents();
  void centreOnScreen();
  void showErasedFailures(std::int64_t failed);

  QString applicationTitle_;
  Workspace workspace_;
  // Declared after the workspace: they stop listening to its tables before it goes.
  std::unique_ptr<TextTableModel> sizesModel_;
  std::unique_ptr<TextTableModel> filesModel_;
  std::unique_ptr<TextTableModel> files1Model_;
  std::unique_ptr<FileSystem> fileSystem_;
  RandomSource random_;
  std::unique_ptr<Collation> collation_;
  std::string decimalSeparator_;
  std::unique_ptr<WindowFeedback> feedback_;
  bool running_ = false;
  bool closeRequested_ = false;
};

// The window's font: "MS Sans Serif" at 8 points where it is installed, the platform's
// sans-serif font at 8 points otherwise.
QFont windowFont();

}  // namespace brimwell::gui
