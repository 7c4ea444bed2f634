#include "tools/mkimage/mkimage_tool.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "image/image_model.h"
#include "tools/mkimage/form_loader.h"
#include "tools/mkimage/generated_sources.h"
#include "tools/mkimage/image_builder.h"

namespace pcshop::mkimage {
namespace {

namespace fs = std::filesystem;

// "forms/quote.json": the folder and the name, enough to find the file.
std::string Label(const fs::path& p) {
  const fs::path parent = p.parent_path().filename();
  return (parent.empty() ? p.filename() : parent / p.filename()).generic_string();
}

Result<std::string> ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return Status::IOError(Label(p) + ": cannot be read");
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return Status::IOError(Label(p) + ": read failed");
  return s.str();
}

// Writes through a temporary file, so that an interrupted run leaves no
// half-written source behind, and leaves an unchanged file alone so that
// its dependants are not rebuilt.
Status WriteFile(const fs::path& p, std::string_view content) {
  if (Result<std::string> old = ReadFile(p); old.ok() && *old == content) return Status::Ok();
  const fs::path tmp = p.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) return Status::IOError(p.string() + ": cannot be written");
  }
  std::error_code ec;
  fs::rename(tmp, p, ec);
  if (ec) return Status::IOError(p.string() + ": " + ec.message());
  return Status::Ok();
}

}  // namespace

Result<AppSources> LoadAppSources(const MkimageOptions& options) {
  AppSources sources;
  for (const fs::path& file : options.window_files) {
    Result<std::string> json = ReadFile(file);
    if (!json.ok()) return json.status();
    Result<SourceWindow> window = LoadWindowForm(*json, Label(file));
    if (!window.ok()) return window.status();
    sources.windows.push_back(std::move(*window));
  }
  Result<std::string> texts_json = ReadFile(options.texts_file);
  if (!texts_json.ok()) return texts_json.status();
  Result<std::vector<SourceText>> texts = LoadTexts(*texts_json, Label(options.texts_file));
  if (!texts.ok()) return texts.status();
  sources.texts = std::move(*texts);
  Result<std::string> skin = ReadFile(options.skin_file);
  if (!skin.ok()) return skin.status();
  sources.skin = std::move(*skin);
  return sources;
}

Status RunMkimage(const MkimageOptions& options) {
  Result<AppSources> sources = LoadAppSources(options);
  if (!sources.ok()) return sources.status();
  Result<BuiltImage> built = BuildImage(*sources);
  if (!built.ok()) return built.status();
  Result<std::vector<uint8_t>> image = image::WriteImage(built->model);
  if (!image.ok()) return image.status();

  const fs::path dir = options.out_dir / "image";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return Status::IOError(dir.string() + ": " + ec.message());
  const std::string_view bytes(reinterpret_cast<const char*>(image->data()), image->size());
  if (Status s = WriteFile(dir / "app_image.bin", bytes); !s.ok()) return s;
  if (Status s = WriteFile(dir / "app_symbols.h", SymbolsHeader(built->symbols)); !s.ok()) return s;
  if (Status s = WriteFile(dir / "app_image.h", ImageHeader()); !s.ok()) return s;
  return WriteFile(dir / "app_image.cpp", ImageSource(*image));
}

}  // namespace pcshop::mkimage
