#include "app/navigation/switch_window.h"

namespace pcshop::app {

void SwitchWindow(calls::Calls& rt, uint32_t target, uint32_t source) {
  (void)rt.LoadWindow(target, false);
  rt.UnloadWindow(source);
}

}  // namespace pcshop::app
