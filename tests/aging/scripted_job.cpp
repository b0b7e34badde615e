#include "aging/scripted_job.h"

#include "census/size_template.h"

namespace brimwell::testing {

ScriptedJob::ScriptedJob() {
  census::readTemplate("4096\t50\tsmall\n65536\t30\tmedium\n262144\t20\tlarge\n", op.lists.sizes);
  census::UpdatePercentages(op.lists.sizes, ".");
  op.fields.setText(EditField::reprodpath, target);
  op.fields.setValue(SpinField::SpinEdit2, 12);
  op.fields.setValue(SpinField::subf2, 1);
  op.fields.setValue(SpinField::subf3, 1);
  op.fields.setValue(SpinField::delprocent, 40);
  for (int i = 0; i < 64; ++i) op.feedback.answers.push_back(true);
}

}  // namespace brimwell::testing
