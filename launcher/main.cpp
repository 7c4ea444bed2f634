// pcshop's process entry: the launcher, handing the runtime the module image.

#include "launcher/image_placeholder.h"
#include "launcher/launch.h"
#include "launcher/platform.h"

int main() {
  return pcshop::launcher::Launch(pcshop::launcher::DefaultPlatform(),
                                  pcshop::launcher::ModuleImage());
}
