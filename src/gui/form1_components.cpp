// The window's components, made from the form's list of them: names, captions, defaults,
// ranges and places.
#include <QHeaderView>
#include <QIcon>

#include "gui/form1.h"
#include "gui/list_edit_keeper.h"
#include "gui/system_text.h"

namespace brimwell::gui {
namespace {

QRect qtRect(const form::Place& place) { return {place.x, place.y, place.width, place.height}; }

template <typename Widget>
Widget* placed(Widget* widget, const form::Component& component) {
  widget->setObjectName(QString::fromLatin1(component.name));
  widget->setGeometry(qtRect(component.place));
  return widget;
}

QString caption(const form::Component& component) { return QString::fromUtf8(component.caption); }

QLabel* makeLabel(QWidget* page, const char* name) {
  const form::Component& component = form::componentNamed(name);
  return placed(new QLabel(caption(component), page), component);
}

QLineEdit* makeEdit(QWidget* page, EditField field) {
  const EditFieldInfo& info = editFieldInfo(field);
  return placed(new QLineEdit(QString::fromUtf8(info.defaultText), page),
                form::componentNamed(info.name));
}

SpinFieldEdit* makeSpin(QWidget* page, SpinField field, const form::MainForm& core) {
  const SpinFieldInfo& info = spinFieldInfo(field);
  auto* spin =
      placed(new SpinFieldEdit(info.minimum, info.maximum, info.defaultValue, core.clock(), page),
             form::componentNamed(info.name));
  spin->setDecimalSeparator(fromSystemText(core.decimalSeparator()));
  return spin;
}

QPushButton* makeButton(QWidget* page, const char* name) {
  const form::Component& component = form::componentNamed(name);
  auto* button = placed(new QPushButton(caption(component), page), component);
  button->setAutoDefault(false);
  return button;
}

QToolButton* makeImageButton(QWidget* page, const char* name, const QIcon& icon) {
  auto* button = placed(new QToolButton(page), form::componentNamed(name));
  button->setIcon(icon);
  button->setIconSize(QSize(form::kIconSize, form::kIconSize));
  return button;
}

QFrame* makeBevel(QWidget* page, const char* name) {
  auto* bevel = placed(new QFrame(page), form::componentNamed(name));
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  return bevel;
}

std::unique_ptr<TextTableModel> makeModel(Workspace& lists, form::List list) {
  QStringList headers;
  for (const form::Column& column : form::columns(list)) {
    headers << QString::fromUtf8(column.header);
  }
  return std::make_unique<TextTableModel>(form::listTable(lists, list), headers);
}

// A report-style list: rows of text under column headers, one selected row at a time,
// the caption edited in place by clicking the selected row; an edit and the selection
// outlast the end of an operation.
QTableView* makeList(QWidget* page, const char* name, TextTableModel& model) {
  const form::Component& component = form::componentNamed(name);
  auto* list = placed(new QTableView(page), component);
  list->setModel(&model);
  new ListEditKeeper(*list, model);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::SelectedClicked);
  list->setShowGrid(false);
  list->setWordWrap(false);
  list->setCornerButtonEnabled(false);
  list->setTabKeyNavigation(false);
  QHeaderView* rows = list->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(list->fontMetrics().height() + 4);
  QHeaderView* columns = list->horizontalHeader();
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  int column = 0;
  for (const form::Column& shown : form::columns(static_cast<form::List>(component.index))) {
    columns->resizeSection(column++, shown.width);
  }
  return list;
}

}  // namespace

void TForm1::createComponents() {
  sizesModel_ = makeModel(workspace(), form::List::sizes);
  filesModel_ = makeModel(workspace(), form::List::files);
  files1Model_ = makeModel(workspace(), form::List::files1);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setGeometry(qtRect(form::kPageControlPlace));
  createFirstPage();
  createSecondPage();
  PageControl1->setCurrentWidget(TabSheet1);

  analysestatus = new QLineEdit(this);
  analysestatus->setObjectName(QStringLiteral("analysestatus"));
  analysestatus->setReadOnly(true);
  QPalette buttonFace = analysestatus->palette();
  buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
  analysestatus->setPalette(buttonFace);
  analysestatus->setGeometry(qtRect(form::kStatusPlace));
  Progress = new QProgressBar(this);
  Progress->setObjectName(QStringLiteral("Progress"));
  Progress->setRange(0, 100);
  Progress->setValue(0);
  Progress->setTextVisible(false);
  Progress->setGeometry(qtRect(form::kProgressPlace));
}

void TForm1::createFirstPage() {
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  PageControl1->addTab(TabSheet1, QString::fromUtf8(form::kPageCaptions[0]));
  QWidget* page = TabSheet1;

  sizes = makeList(page, "sizes", *sizesModel_);
  sizes->setShowGrid(true);
  sizes->setContextMenuPolicy(Qt::CustomContextMenu);

  const QIcon loadIcon(QStringLiteral(":/icons/load.xpm"));
  const QIcon saveIcon(QStringLiteral(":/icons/save.xpm"));
  sizeload = makeImageButton(page, "sizeload", loadIcon);
  sizesave = makeImageButton(page, "sizesave", saveIcon);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Load1 = PopupMenu1->addAction(loadIcon, QString::fromLatin1(form::kLoadItem));
  Load1->setObjectName(QStringLiteral("Load1"));
  Save1 = PopupMenu1->addAction(saveIcon, QString::fromLatin1(form::kSaveItem));
  Save1->setObjectName(QStringLiteral("Save1"));

  Label1 = makeLabel(page, "Label1");
  scanpath = makeEdit(page, EditField::scanpath);
  analyse = makeButton(page, "analyse");
}

void TForm1::createSecondPage() {
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addTab(TabSheet2, QString::fromUtf8(form::kPageCaptions[1]));
  QWidget* page = TabSheet2;

  SpinEdit1 = makeSpin(page, SpinField::SpinEdit1, core_);
  Label9 = makeLabel(page, "Label9");
  SpinEdit2 = makeSpin(page, SpinField::SpinEdit2, core_);
  Label10 = makeLabel(page, "Label10");
  Label4 = makeLabel(page, "Label4");
  Label2 = makeLabel(page, "Label2");
  QLineEdit** roots[] = {&path1, &path2, &path3, &path4, &path5};
  SpinFieldEdit** depths[] = {&subf1, &subf2, &subf3, &subf4, &subf5};
  for (int r = 0; r < 5; ++r) {
    *roots[r] = makeEdit(page, rootNameField(r));
    *depths[r] = makeSpin(page, rootDepthField(r), core_);
  }
  id = makeEdit(page, EditField::id);
  Label5 = makeLabel(page, "Label5");
  build = makeButton(page, "build");
  Bevel1 = makeBevel(page, "Bevel1");
  Label3 = makeLabel(page, "Label3");
  reprodpath = makeEdit(page, EditField::reprodpath);
  reproduce = makeButton(page, "reproduce");
  Bevel3 = makeBevel(page, "Bevel3");
  delprocent = makeSpin(page, SpinField::delprocent, core_);
  Label11 = makeLabel(page, "Label11");
  del1 = makeButton(page, "del1");
  del2 = makeButton(page, "del2");
  Bevel2 = makeBevel(page, "Bevel2");
  files = makeList(page, "files", *filesModel_);
  files->hide();
  files1 = makeList(page, "files1", *files1Model_);
}

void TForm1::wireEvents() {
  // A click moves the focus to the button first, so an edited spin field is clamped
  // before the handler reads it, however the click came.
  for (const form::Component& component : form::components()) {
    if (component.kind != form::Kind::Button && component.kind != form::Kind::ImageButton) continue;
    auto* button = findChild<QAbstractButton*>(QString::fromLatin1(component.name));
    connect(button, &QAbstractButton::clicked, this, [this, button, name = component.name] {
      if (button->focusPolicy() != Qt::NoFocus) button->setFocus(Qt::MouseFocusReason);
      core_.click(name);
    });
  }
  for (QAction* item : {Load1, Save1}) {
    const std::string name = item->objectName().toStdString();
    connect(item, &QAction::triggered, this, [this, name] { core_.click(name); });
  }
  connect(sizes, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { PopupMenu1->popup(sizes->viewport()->mapToGlobal(at)); });
}

}  // namespace brimwell::gui
