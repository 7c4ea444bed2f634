// pcshop's process entry: bind the application's routines into its module
// image, then the launcher hands the image to the runtime.

#include "app/routine_table.h"
#include "image/app_image.h"
#include "launcher/launch.h"
#include "launcher/launch_error.h"
#include "launcher/platform.h"

int main() {
  using namespace pcshop;
  launcher::Platform& platform = launcher::DefaultPlatform();
  const std::span<uint8_t> image = app::AppImage();
  if (!app::BindRoutines(image).ok()) {
    // The image is part of the program file; a damaged one is the file's fault.
    platform.ShowError(launcher::Message(launcher::LaunchError::kInvalidData));
    return launcher::kExitFailure;
  }
  return launcher::Launch(platform, image.data());
}
