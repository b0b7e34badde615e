// The window's components: their names, captions, defaults, ranges and places.
#include <QHeaderView>
#include <QIcon>

#include "gui/form1.h"
#include "gui/list_edit_keeper.h"
#include "gui/system_text.h"

namespace brimwell::gui {
namespace {

// The pages' inner width and the margins the components keep to it.
constexpr int kPageWidth = 660;
constexpr int kLeft = 10;
constexpr int kFullWidth = kPageWidth - 2 * kLeft;
// The right column of the second page: spin fields and the depth fields.
constexpr int kRightColumn = 500;
constexpr int kRightWidth = kPageWidth - kLeft - kRightColumn;
constexpr int kFieldHeight = 22;
constexpr int kButtonHeight = 25;
constexpr int kLabelHeight = 16;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* makeLabel(QWidget* page, const char* name, const QString& caption, int x, int y,
                  int width = kFullWidth) {
  auto* label = named(new QLabel(caption, page), name);
  label->setGeometry(x, y, width, kLabelHeight);
  return label;
}

QLineEdit* makeEdit(QWidget* page, EditField field, QRect place) {
  const EditFieldInfo& info = editFieldInfo(field);
  auto* edit = named(new QLineEdit(QString::fromUtf8(info.defaultText), page), info.name);
  edit->setGeometry(place);
  return edit;
}

SpinFieldEdit* makeSpin(QWidget* page, SpinField field, QRect place, const std::string& separator) {
  const SpinFieldInfo& info = spinFieldInfo(field);
  auto* spin =
      named(new SpinFieldEdit(info.minimum, info.maximum, info.defaultValue, page), info.name);
  spin->setDecimalSeparator(fromSystemText(separator));
  spin->setGeometry(place);
  return spin;
}

QPushButton* makeButton(QWidget* page, const char* name, const QString& caption, int width, int y) {
  auto* button = named(new QPushButton(caption, page), name);
  button->setAutoDefault(false);
  button->setGeometry((kPageWidth - width) / 2, y, width, kButtonHeight);
  return button;
}

QFrame* makeBevel(QWidget* page, const char* name, int y) {
  auto* bevel = named(new QFrame(page), name);
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(kLeft, y, kFullWidth, 2);
  return bevel;
}

// A report-style list: rows of text under column headers, one selected row at a time,
// the caption edited in place by clicking the selected row; an edit and the selection
// outlast the end of an operation.
QTableView* makeList(QWidget* page, const char* name, TextTableModel& model,
                     std::initializer_list<int> widths, QRect place) {
  auto* list = named(new QTableView(page), name);
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
  for (int width : widths) columns->resizeSection(column++, width);
  list->setGeometry(place);
  return list;
}

}  // namespace

void TForm1::createComponents() {
  sizesModel_ = std::make_unique<TextTableModel>(
      workspace_.sizes, QStringList{QStringLiteral("Size threshold"), QStringLiteral("Count"),
                                    QStringLiteral("%"), QStringLiteral("Description")});
  filesModel_ =
      std::make_unique<TextTableModel>(workspace_.files, QStringList{QStringLiteral("Folders")});
  files1Model_ = std::make_unique<TextTableModel>(
      workspace_.files1, QStringList{QStringLiteral("Files"), QStringLiteral("Size")});

  PageControl1 = named(new QTabWidget(this), "PageControl1");
  PageControl1->setGeometry(10, 10, 666, 626);
  createFirstPage();
  createSecondPage();
  PageControl1->setCurrentWidget(TabSheet1);

  constexpr int kProgressHeight = 17;
  constexpr int kStatusHeight = 21;
  analysestatus = named(new QLineEdit(this), "analysestatus");
  analysestatus->setReadOnly(true);
  QPalette buttonFace = analysestatus->palette();
  buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
  analysestatus->setPalette(buttonFace);
  analysestatus->setGeometry(0, kClientHeight - kProgressHeight - kStatusHeight, kClientWidth,
                             kStatusHeight);
  Progress = named(new QProgressBar(this), "Progress");
  Progress->setRange(0, 100);
  Progress->setValue(0);
  Progress->setTextVisible(false);
  Progress->setGeometry(0, kClientHeight - kProgressHeight, kClientWidth, kProgressHeight);
}

void TForm1::createFirstPage() {
  TabSheet1 = named(new QWidget, "TabSheet1");
  PageControl1->addTab(TabSheet1, QStringLiteral("1) File size analyzation"));
  QWidget* page = TabSheet1;

  sizes =
      makeList(page, "sizes", *sizesModel_, {150, 80, 80, 260}, QRect(kLeft, 10, kFullWidth, 450));
  sizes->setShowGrid(true);
  sizes->setContextMenuPolicy(Qt::CustomContextMenu);

  const QIcon loadIcon(QStringLiteral(":/icons/load.xpm"));
  const QIcon saveIcon(QStringLiteral(":/icons/save.xpm"));
  constexpr int kImageButton = 22;
  sizeload = named(new QToolButton(page), "sizeload");
  sizeload->setIcon(loadIcon);
  sizeload->setIconSize(QSize(14, 14));
  sizeload->setGeometry(kLeft + kFullWidth - 2 * kImageButton - 2, 464, kImageButton, kImageButton);
  sizesave = named(new QToolButton(page), "sizesave");
  sizesave->setIcon(saveIcon);
  sizesave->setIconSize(QSize(14, 14));
  sizesave->setGeometry(kLeft + kFullWidth - kImageButton, 464, kImageButton, kImageButton);

  PopupMenu1 = named(new QMenu(this), "PopupMenu1");
  Load1 = named(PopupMenu1->addAction(loadIcon, QStringLiteral("Load")), "Load1");
  Save1 = named(PopupMenu1->addAction(saveIcon, QStringLiteral("Save")), "Save1");

  Label1 = makeLabel(page, "Label1", QStringLiteral("Path to analyse (for example, \"c:\\\")"),
                     kLeft, 500);
  scanpath = makeEdit(page, EditField::scanpath, QRect(kLeft, 518, kFullWidth, kFieldHeight));
  analyse = makeButton(page, "analyse", QStringLiteral("Analyse"), 100, 552);
}

void TForm1::createSecondPage() {
  TabSheet2 = named(new QWidget, "TabSheet2");
  PageControl1->addTab(TabSheet2, QStringLiteral("2) Reproduction and fragmentation"));
  QWidget* page = TabSheet2;
  const auto right = [](int y) { return QRect(kRightColumn, y, kRightWidth, kFieldHeight); };
  // A label beside a right-column field, level with the field's text.
  const auto besideY = [](int y) { return y + (kFieldHeight - kLabelHeight) / 2; };

  SpinEdit1 = makeSpin(page, SpinField::SpinEdit1, right(12), decimalSeparator_);
  Label9 = makeLabel(page, "Label9", QStringLiteral("Number of files"), kLeft, besideY(12), 300);
  SpinEdit2 = makeSpin(page, SpinField::SpinEdit2, right(40), decimalSeparator_);
  Label10 =
      makeLabel(page, "Label10", QStringLiteral("Max number of folders"), kLeft, besideY(40), 300);

  Label4 = makeLabel(page, "Label4", QStringLiteral("Root folders 1-5"), kLeft, 74, 300);
  Label2 = makeLabel(page, "Label2", QStringLiteral("Max depth of subfolders"), kRightColumn, 74,
                     kRightWidth);
  constexpr int kRootsTop = 92;
  constexpr int kRootsStep = 26;
  QLineEdit** roots[] = {&path1, &path2, &path3, &path4, &path5};
  SpinFieldEdit** depths[] = {&subf1, &subf2, &subf3, &subf4, &subf5};
  for (int r = 0; r < 5; ++r) {
    const int y = kRootsTop + r * kRootsStep;
    *roots[r] =
        makeEdit(page, rootNameField(r), QRect(kLeft, y, kRightColumn - kLeft - 20, kFieldHeight));
    *depths[r] = makeSpin(page, rootDepthField(r), right(y), decimalSeparator_);
  }

  constexpr int kIdTop = kRootsTop + 5 * kRootsStep + 8;
  id = makeEdit(page, EditField::id, right(kIdTop));
  Label5 = makeLabel(page, "Label5", QStringLiteral("File serial ID"), kLeft, besideY(kIdTop), 300);
  build = makeButton(page, "build", QStringLiteral("a) Build file system"), 200, kIdTop + 34);
  Bevel1 = makeBevel(page, "Bevel1", kIdTop + 70);

  constexpr int kReproduceTop = kIdTop + 82;
  Label3 = makeLabel(page, "Label3", QStringLiteral("Path to reproduce (for example, \"d:\\\")"),
                     kLeft, kReproduceTop);
  reprodpath = makeEdit(page, EditField::reprodpath,
                        QRect(kLeft, kReproduceTop + 18, kFullWidth, kFieldHeight));
  reproduce = makeButton(page, "reproduce", QStringLiteral("b) Reproduce to drive"), 200,
                         kReproduceTop + 48);
  Bevel3 = makeBevel(page, "Bevel3", kReproduceTop + 84);

  constexpr int kDeleteTop = kReproduceTop + 96;
  delprocent = makeSpin(page, SpinField::delprocent, right(kDeleteTop), decimalSeparator_);
  Label11 = makeLabel(page, "Label11", QStringLiteral("% of files to delete"), kLeft,
                      besideY(kDeleteTop), 300);
  constexpr int kDeleteButtonWidth = 260;
  constexpr int kDeleteGap = 10;
  constexpr int kDeleteLeft = (kPageWidth - 2 * kDeleteButtonWidth - kDeleteGap) / 2;
  del1 = makeButton(page, "del1", QStringLiteral("c) Sort out files for deletion"),
                    kDeleteButtonWidth, kDeleteTop + 32);
  del1->move(kDeleteLeft, del1->y());
  del2 = makeButton(page, "del2", QStringLiteral("d) Delete files to add fragmentation"),
                    kDeleteButtonWidth, kDeleteTop + 32);
  del2->move(kDeleteLeft + kDeleteButtonWidth + kDeleteGap, del2->y());
  Bevel2 = makeBevel(page, "Bevel2", kDeleteTop + 68);

  const QRect listPlace(kLeft, kDeleteTop + 78, kFullWidth, 588 - (kDeleteTop + 78));
  files = makeList(page, "files", *filesModel_, {400}, listPlace);
  files->hide();
  files1 = makeList(page, "files1", *files1Model_, {400, 50}, listPlace);
}

void TForm1::wireEvents() {
  // A click moves the focus to the button first, so an edited spin field is clamped
  // before the handler reads it, however the click came.
  const auto onClick = [this](QAbstractButton* button, void (TForm1::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
      if (button->focusPolicy() != Qt::NoFocus) button->setFocus(Qt::MouseFocusReason);
      (this->*handler)();
    });
  };
  onClick(analyse, &TForm1::analyseClick);
  onClick(sizeload, &TForm1::Load1Click);
  onClick(sizesave, &TForm1::Save1Click);
  onClick(build, &TForm1::buildClick);
  onClick(reproduce, &TForm1::reproduceClick);
  onClick(del1, &TForm1::del1Click);
  onClick(del2, &TForm1::del2Click);
  connect(Load1, &QAction::triggered, this, [this] { Load1Click(); });
  connect(Save1, &QAction::triggered, this, [this] { Save1Click(); });
  connect(sizes, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { PopupMenu1->popup(sizes->viewport()->mapToGlobal(at)); });
}

}  // namespace brimwell::gui
