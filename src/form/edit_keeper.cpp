#include "form/edit_keeper.h"

namespace brimwell::form {

void EditKeeper::remember(int row) {
  row_ = row >= 0 && static_cast<std::size_t>(row) < table_.rowCount() ? row : -1;
  caption_ =
      row_ >= 0 ? std::string(table_.caption(static_cast<std::size_t>(row_))) : std::string();
}

int EditKeeper::rowToKeep() const {
  const bool unchanged = row_ >= 0 && static_cast<std::size_t>(row_) < table_.rowCount() &&
                         table_.caption(static_cast<std::size_t>(row_)) == caption_;
  return unchanged ? row_ : -1;
}

}  // namespace brimwell::form
