#pragma once
// What mkimage reads from forms/: the windows as loaded from their JSON
// files (texts already in GBK, bindings still naming routines), the
// application's texts and the skin. ImageBuilder turns this into an image.

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_view.h"

namespace pcshop::mkimage {

struct RoutineBinding {
  int32_t event = 0;
  std::string routine;  // ASCII routine name, e.g. "SaveConfig"
};

struct SourceControl {
  image::ControlForm form;  // everything but id and bindings
  std::string name_utf8;    // the name as the form file spells it
  std::vector<RoutineBinding> bindings;
};

struct SourceWindow {
  std::string file;  // for messages, e.g. "forms/quote.json"
  std::string key;   // e.g. "stock_in"; names the window in generated symbols
  SourceControl window;
  std::vector<SourceControl> controls;
};

struct SourceText {
  std::string key;  // ASCII CamelCase, e.g. "SaveConfigOk"
  std::string gbk;
};

struct AppSources {
  std::vector<SourceWindow> windows;  // window ids follow this order, from 1
  std::vector<SourceText> texts;      // in key order
  std::string skin;                   // the skin resource's bytes
};

}  // namespace pcshop::mkimage
