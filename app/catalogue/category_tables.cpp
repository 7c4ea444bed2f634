#include "app/catalogue/category_tables.h"

#include "app/catalogue/catalogue_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {

bool SelectCategoryByIndex(calls::Calls& rt, int32_t index) {
  if (index < 0 || index > kCategoryCount) return false;
  const int32_t category = index == kCategoryCount ? kCategoryCount - 1 : index;
  (void)rt.SelectTable(rt.ConstText(kProductTables[static_cast<size_t>(category)].alias));
  return true;
}

std::string CategoryTablePath(calls::Calls& rt, const char* category) {
  calls::OwnedText folder = rt.ProgramFolder();
  return std::string(folder.view()) + rt.ConstText(sym::text::kDataFolderPrefix) +
         (category != nullptr ? category : "") + rt.ConstText(sym::text::kTableExtension);
}

void SelectCategoryByName(calls::Calls& rt, const char* category) {
  (void)rt.SelectTable(CategoryTablePath(rt, category).c_str());
  (void)rt.GoFirst();
}

}  // namespace pcshop::app
