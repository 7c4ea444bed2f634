#pragma once
// The generated image, read back once for all tests of this binary, and the
// small lookups they share.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "image/app_image.h"
#include "image/image_reader.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::testing {

class AppImage {
 public:
  static const AppImage& Get() {
    static const AppImage image;
    return image;
  }

  const image::ImageView& view() const { return view_; }

  // The 64-bit value stored in the link-table slot at `code_offset`.
  uint64_t Slot(uint32_t code_offset) const {
    uint64_t v = 0;
    std::memcpy(&v, bytes_.data() + view_.code_section().data_offset + code_offset, sizeof v);
    return v;  // the image is little-endian, like the host
  }

  // The zero-terminated const text at `const_offset`.
  std::string ConstText(uint64_t const_offset) const {
    const char* p = reinterpret_cast<const char*>(bytes_.data()) +
                    view_.const_section().data_offset + const_offset;
    return std::string(p);
  }

  std::string_view ConstBytes(uint64_t const_offset, size_t n) const {
    return {reinterpret_cast<const char*>(bytes_.data()) + view_.const_section().data_offset +
                const_offset,
            n};
  }

  const image::WindowForm& Window(uint32_t id) const {
    for (const image::WindowForm& w : view_.windows) {
      if (w.id == id) return w;
    }
    ADD_FAILURE() << "no window " << id;
    return view_.windows.front();
  }

 private:
  AppImage() {
    const std::span<uint8_t> embedded = app::AppImage();
    bytes_.assign(embedded.begin(), embedded.end());
    Result<image::ImageView> view = image::ReadImage(bytes_);
    if (!view.ok()) {
      ADD_FAILURE() << view.status().ToString();
      return;
    }
    view_ = std::move(*view);
  }

  std::vector<uint8_t> bytes_;
  image::ImageView view_;
};

inline std::string Gbk(std::string_view utf8) {
  Result<std::string> gbk = text::Utf8ToGbk(utf8);
  EXPECT_TRUE(gbk.ok()) << utf8;
  return gbk.ok() ? *gbk : std::string();
}

// The control named `utf8_name` in `w`, or null.
inline const image::ControlForm* FindControl(const image::WindowForm& w,
                                             std::string_view utf8_name) {
  const std::string name = Gbk(utf8_name);
  for (const image::ControlForm& c : w.controls) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace pcshop::testing
