// The window as it opens: every component's caption, default, range and place.
#include <QFileDialog>
#include <QHeaderView>

#include "form_fixture.h"

namespace brimwell::testing {
namespace {

QStringList headers(const QTableView& list) {
  QStringList result;
  for (int c = 0; c < list.model()->columnCount(); ++c) {
    result << list.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  return result;
}

QList<int> widths(const QTableView& list) {
  QList<int> result;
  for (int c = 0; c < list.model()->columnCount(); ++c) {
    result << list.horizontalHeader()->sectionSize(c);
  }
  return result;
}

// The vertical centre of a widget in the window's coordinates.
int middle(const QWidget& widget) {
  return widget.mapTo(widget.window(), QPoint(0, widget.height() / 2)).y();
}

int left(const QWidget& widget) { return widget.mapTo(widget.window(), QPoint(0, 0)).x(); }

using FormComponents = FormTest;

TEST_F(FormComponents, WindowIsFixedCentredAndShowsTheFirstPage) {
  EXPECT_EQ(form->windowTitle(), "Brimwell");
  EXPECT_EQ(form->size(), QSize(688, 692));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_EQ(form->font().pointSize(), 8);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((form->geometry().center() - screen.center()).manhattanLength(), 2);

  EXPECT_EQ(form->PageControl1->geometry(), QRect(10, 10, 666, 626));
  ASSERT_EQ(form->PageControl1->count(), 2);
  EXPECT_EQ(form->PageControl1->tabText(0), "1) File size analyzation");
  EXPECT_EQ(form->PageControl1->tabText(1), "2) Reproduction and fragmentation");
  EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
  EXPECT_EQ(form->PageControl1->widget(1), form->TabSheet2);
}

TEST_F(FormComponents, StatusLineAndProgressBarSitBelowThePages) {
  EXPECT_TRUE(form->analysestatus->text().isEmpty());
  EXPECT_TRUE(form->analysestatus->isReadOnly());
  EXPECT_EQ(form->analysestatus->width(), 688);
  EXPECT_GE(form->analysestatus->y(), form->PageControl1->geometry().bottom());
  EXPECT_EQ(form->analysestatus->palette().color(QPalette::Base),
            form->analysestatus->palette().color(QPalette::Button));

  EXPECT_EQ(form->Progress->minimum(), 0);
  EXPECT_EQ(form->Progress->maximum(), 100);
  EXPECT_EQ(form->Progress->value(), 0);
  EXPECT_EQ(form->Progress->geometry(), QRect(0, 692 - 17, 688, 17));
  EXPECT_EQ(form->analysestatus->geometry().bottom() + 1, form->Progress->y());
}

TEST_F(FormComponents, FirstPageHoldsTheTemplateListAndTheCensusFields) {
  const QTableView& sizes = *form->sizes;
  EXPECT_EQ(sizes.parentWidget(), form->TabSheet1);
  EXPECT_EQ(headers(sizes), (QStringList{"Size threshold", "Count", "%", "Description"}));
  EXPECT_EQ(widths(sizes), (QList<int>{150, 80, 80, 260}));
  EXPECT_EQ(sizes.model()->rowCount(), 0);
  EXPECT_TRUE(sizes.showGrid());
  EXPECT_EQ(sizes.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(sizes.selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(sizes.contextMenuPolicy(), Qt::CustomContextMenu);

  for (const QToolButton* button : {form->sizeload, form->sizesave}) {
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_GT(button->y(), sizes.geometry().bottom());
  }
  EXPECT_LT(form->sizeload->x(), form->sizesave->x());
  EXPECT_EQ(form->sizesave->geometry().right(), sizes.geometry().right());

  EXPECT_EQ(form->PopupMenu1->actions(), (QList<QAction*>{form->Load1, form->Save1}));
  EXPECT_EQ(form->Load1->text(), "Load");
  EXPECT_EQ(form->Save1->text(), "Save");
  EXPECT_FALSE(form->Load1->icon().isNull());
  EXPECT_FALSE(form->Save1->icon().isNull());

  EXPECT_EQ(form->Label1->text(), "Path to analyse (for example, \"c:\\\")");
  EXPECT_EQ(form->scanpath->text(), "c:\\");
  EXPECT_EQ(form->scanpath->width(), sizes.width());
  EXPECT_EQ(form->analyse->text(), "Analyse");
  EXPECT_LE(std::abs(form->analyse->geometry().center().x() - form->TabSheet1->width() / 2), 3);
  EXPECT_GT(form->scanpath->y(), form->Label1->y());
  EXPECT_GT(form->analyse->y(), form->scanpath->y());
}

TEST_F(FormComponents, SpinFieldsHaveTheirRangesAndDefaults) {
  struct Expected {
    gui::SpinFieldEdit* field;
    const char* name;
    int minimum, maximum, value;
  };
  const Expected expected[] = {
      {form->SpinEdit1, "SpinEdit1", 1, 1000000, 6000},
      {form->SpinEdit2, "SpinEdit2", 1, 30000, 800},
      {form->subf1, "subf1", 0, 99, 3},
      {form->subf2, "subf2", 0, 99, 6},
      {form->subf3, "subf3", 0, 99, 8},
      {form->subf4, "subf4", 0, 99, 0},
      {form->subf5, "subf5", 0, 99, 1},
      {form->delprocent, "delprocent", 1, 99, 15},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.field->objectName(), e.name);
    EXPECT_EQ(e.field->minimum(), e.minimum);
    EXPECT_EQ(e.field->maximum(), e.maximum);
    EXPECT_EQ(e.field->text(), QString::number(e.value));
    EXPECT_EQ(e.field->parentWidget(), form->TabSheet2);
  }
  EXPECT_EQ(form->value(SpinField::SpinEdit1), 6000);
  EXPECT_EQ(form->value(SpinField::delprocent), 15);
}

TEST_F(FormComponents, SecondPageHoldsTheReproductionFields) {
  EXPECT_EQ(form->Label9->text(), "Number of files");
  EXPECT_EQ(form->Label10->text(), "Max number of folders");
  EXPECT_EQ(form->Label4->text(), "Root folders 1-5");
  EXPECT_EQ(form->Label2->text(), "Max depth of subfolders");
  EXPECT_EQ(form->Label5->text(), "File serial ID");
  EXPECT_EQ(form->Label3->text(), "Path to reproduce (for example, \"d:\\\")");
  EXPECT_EQ(form->Label11->text(), "% of files to delete");

  const QStringList roots{"Windows emul", "Program Files emul", "Documents and Settings emul",
                          "My Downloads emul", "RECYCLED emul"};
  const QLineEdit* paths[] = {form->path1, form->path2, form->path3, form->path4, form->path5};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(paths[r]->text(), roots[r]);
  EXPECT_EQ(form->id->text(), "001-");
  EXPECT_EQ(form->reprodpath->text(), "d:\\");
  EXPECT_EQ(form->text(EditField::reprodpath), "d:\\");
  EXPECT_EQ(form->text(EditField::path3), "Documents and Settings emul");

  EXPECT_EQ(form->build->text(), "a) Build file system");
  EXPECT_EQ(form->build->width(), 200);
  EXPECT_EQ(form->reproduce->text(), "b) Reproduce to drive");
  EXPECT_EQ(form->del1->text(), "c) Sort out files for deletion");
  EXPECT_EQ(form->del2->text(), "d) Delete files to add fragmentation");
  for (const QFrame* bevel : {form->Bevel1, form->Bevel2, form->Bevel3}) {
    EXPECT_EQ(bevel->frameShape(), QFrame::HLine);
  }
}

TEST_F(FormComponents, SecondPageIsLaidOutTopToBottomWithSpinFieldsLevelWithTheirLabels) {
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QApplication::processEvents();
  const std::pair<QWidget*, QWidget*> besideEachOther[] = {
      {form->Label9, form->SpinEdit1},   {form->Label10, form->SpinEdit2},
      {form->path1, form->subf1},        {form->path2, form->subf2},
      {form->path3, form->subf3},        {form->path4, form->subf4},
      {form->path5, form->subf5},        {form->Label5, form->id},
      {form->Label11, form->delprocent}, {form->del1, form->del2}};
  for (const auto& [leftOne, rightOne] : besideEachOther) {
    SCOPED_TRACE(rightOne->objectName().toStdString());
    EXPECT_LE(std::abs(middle(*leftOne) - middle(*rightOne)), 1);
    EXPECT_LT(left(*leftOne) + leftOne->width(), left(*rightOne) + 1);
  }
  // The right column is one column.
  for (const QWidget* field :
       {static_cast<QWidget*>(form->SpinEdit2), static_cast<QWidget*>(form->subf1),
        static_cast<QWidget*>(form->delprocent)}) {
    EXPECT_EQ(left(*field), left(*form->SpinEdit1));
  }
  EXPECT_EQ(left(*form->Label2), left(*form->subf1));
  const QWidget* topToBottom[] = {
      form->SpinEdit1,  form->SpinEdit2,  form->Label4,    form->path1,
      form->path5,      form->id,         form->build,     form->Bevel1,
      form->Label3,     form->reprodpath, form->reproduce, form->Bevel3,
      form->delprocent, form->del1,       form->Bevel2,    form->files1};
  for (std::size_t i = 1; i < std::size(topToBottom); ++i) {
    SCOPED_TRACE(topToBottom[i]->objectName().toStdString());
    EXPECT_GT(topToBottom[i]->y(), topToBottom[i - 1]->y() + topToBottom[i - 1]->height() - 1);
  }
  EXPECT_LE(form->files1->geometry().bottom(), form->TabSheet2->height());
}

TEST_F(FormComponents, FileListsShareTheirPlaceAndTheFolderListStaysHidden) {
  EXPECT_EQ(headers(*form->files1), (QStringList{"Files", "Size"}));
  EXPECT_EQ(widths(*form->files1), (QList<int>{400, 50}));
  EXPECT_EQ(headers(*form->files), (QStringList{"Folders"}));
  EXPECT_EQ(widths(*form->files), (QList<int>{400}));
  EXPECT_EQ(form->files->geometry(), form->files1->geometry());
  EXPECT_EQ(form->files->parentWidget(), form->TabSheet2);
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QApplication::processEvents();
  EXPECT_TRUE(form->files1->isVisible());
  EXPECT_FALSE(form->files->isVisible());
  EXPECT_EQ(form->files1->model()->rowCount(), 0);
  EXPECT_EQ(form->files1->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(form->files1->editTriggers(), QAbstractItemView::SelectedClicked);
}

TEST_F(FormComponents, TemplateDialogsAreSetUpAsTheyOpen) {
  QFileDialog open;
  gui::TemplateDialog::configure(open, form->feedback().dialogs().setup(form::DialogKind::Load));
  EXPECT_EQ(open.windowTitle(), "Load file sizes");
  EXPECT_EQ(open.nameFilters(), QStringList{"file sizes (*.fs)"});
  EXPECT_EQ(open.defaultSuffix(), "fs");
  EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
  // A typed name of a missing file is accepted: the load reports it.
  EXPECT_EQ(open.fileMode(), QFileDialog::AnyFile);

  QFileDialog save;
  gui::TemplateDialog::configure(save, form->feedback().dialogs().setup(form::DialogKind::Save));
  EXPECT_EQ(save.windowTitle(), "Save file sizes");
  EXPECT_EQ(save.nameFilters(), QStringList{"file sizes (*.fs)"});
  EXPECT_EQ(save.defaultSuffix(), "fs");
  EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_TRUE(save.testOption(QFileDialog::DontConfirmOverwrite));
}

}  // namespace
}  // namespace brimwell::testing
