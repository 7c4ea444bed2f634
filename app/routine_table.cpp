#include "app/routine_table.h"

#include <cstring>
#include <string>

#include "app/routines.h"
#include "image/image_reader.h"

namespace pcshop::app {

// Routines whose behaviour comes with later work stay unresolved: a weak
// reference to a routine nobody defines is null, and its slot stays 0.
#define PCSHOP_WEAK_ROUTINE(name) \
  __attribute__((weak)) void name(const calls::RoutineCall& call);
PCSHOP_IMAGE_ROUTINES(PCSHOP_WEAK_ROUTINE)
#undef PCSHOP_WEAK_ROUTINE

namespace {

struct RoutineEntry {
  const char* name;
  uint32_t slot;  // code offset of its routine slot
  calls::Routine routine;
};

const RoutineEntry kRoutineTable[] = {
#define PCSHOP_ROUTINE_ENTRY(name) {#name, sym::routine::k##name, &name},
    PCSHOP_IMAGE_ROUTINES(PCSHOP_ROUTINE_ENTRY)
#undef PCSHOP_ROUTINE_ENTRY
};

}  // namespace

Status BindRoutines(std::span<uint8_t> image) {
  Result<image::ImageView> view = image::ReadImage(image);
  if (!view.ok()) return view.status();
  const image::SectionInfo& code = view->code_section();
  for (const RoutineEntry& r : kRoutineTable) {
    if (uint64_t{r.slot} + 8 > code.data_size) {
      return Status::Corruption(std::string("image: the routine slot of ") + r.name +
                                " lies outside the code data");
    }
  }
  for (const RoutineEntry& r : kRoutineTable) {
    const uint64_t address = reinterpret_cast<uintptr_t>(r.routine);
    std::memcpy(image.data() + code.data_offset + r.slot, &address, sizeof address);
  }
  return Status::Ok();
}

size_t BoundRoutineCount() {
  size_t n = 0;
  for (const RoutineEntry& r : kRoutineTable) n += r.routine != nullptr ? 1 : 0;
  return n;
}

}  // namespace pcshop::app
