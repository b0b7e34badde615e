// TForm1: the main window in Qt, a view over the form (form::MainForm), which holds the
// lists, the random source, the handlers and the rules of running them. The window owns
// every field, list, button and menu of the two pages; the members carry the components'
// names, and a click goes to the form by the clicked component's name.
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
#include "form/main_form.h"
#include "gui/spin_field_edit.h"
#include "gui/table_model.h"
#include "gui/template_dialogs.h"
#include "platform/file_system.h"

namespace brimwell::gui {

// The operations' feedback through the window.
using WindowFeedback = form::FormFeedback;

class TForm1 : public QWidget, public FieldReader, private form::View {
 public:
  static constexpr int kClientWidth = form::kClientWidth;
  static constexpr int kClientHeight = form::kClientHeight;

  // `applicationTitle` is the caption of every notice and error box; the form's timing
  // goes by `clock`.
  explicit TForm1(QString applicationTitle = QStringLiteral("Brimwell"),
                  const form::FormClock& clock = form::steadyClock());
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

  form::MainForm& core() { return core_; }
  Workspace& workspace() { return core_.workspace(); }
  RandomSource& random() { return core_.random(); }
  FileSystem& fileSystem() { return core_.fileSystem(); }
  WindowFeedback& feedback() { return core_.feedback(); }
  const std::string& decimalSeparator() const { return core_.decimalSeparator(); }
  const QString& applicationTitle() const { return applicationTitle_; }
  bool operationRunning() const { return core_.operationRunning(); }

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
  TemplateDialog OpenDialog1;
  TemplateDialog SaveDialog1;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void createComponents();
  void createFirstPage();
  void createSecondPage();
  void wireEvents();
  void centreOnScreen();

  // form::View
  std::string fieldText(EditField field) override;
  std::string fieldText(SpinField field) override;
  void showStatus(std::string_view text) override;
  void showStatusTip(std::string_view text) override;
  void showProgress(int percent) override;
  void processEvents() override;
  void showNotice(std::string_view title, std::string_view text) override;
  bool askConfirm(std::string_view text) override;
  void showError(std::string_view title, std::string_view text) override;
  std::optional<std::string> chooseTemplate(const form::DialogSetup& setup) override;
  void closeWindow() override;

  QString applicationTitle_;
  form::MainForm core_;
  // Declared after the form: they stop listening to its tables before it goes.
  std::unique_ptr<TextTableModel> sizesModel_;
  std::unique_ptr<TextTableModel> filesModel_;
  std::unique_ptr<TextTableModel> files1Model_;
};

// The window's font: "MS Sans Serif" at 8 points where it is installed, the platform's
// sans-serif font at 8 points otherwise.
QFont windowFont();

}  // namespace brimwell::gui
