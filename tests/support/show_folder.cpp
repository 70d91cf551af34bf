// A linked copy of the show's folder that a test plays from.
#include "support/show_folder.h"

#include "support/source_dir.h"

namespace fs = std::filesystem;

ShowFolder::ShowFolder() : mPrevious(fs::current_path()) {
  const fs::path data = fs::path(orvaneSourceDir()) / "data";
  const fs::path copy = mDir.path() / "data";
  fs::create_directories(copy / "shader");
  for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
    if (entry.path().filename() == "shader") continue;
    fs::create_symlink(entry.path(), copy / entry.path().filename());
  }
  // The shader folder is real, so that a test's effects can be written into it.
  for (const fs::directory_entry& entry : fs::directory_iterator(data / "shader")) {
    fs::create_symlink(entry.path(), copy / "shader" / entry.path().filename());
  }
  fs::current_path(mDir.path());
}

ShowFolder::~ShowFolder() {
  std::error_code ignored;
  fs::current_path(mPrevious, ignored);
}

std::string ShowFolder::effect(const std::string& name, const std::string& text) const {
  write("data/shader/" + name, text);
  return name;
}

std::string ShowFolder::write(const std::string& relative, const std::string& bytes) const {
  // A link to the checkout's file goes first, so that the checkout stays as it is.
  fs::remove(mDir.path() / relative);
  mDir.write(relative, bytes);
  return relative;
}

void writeTestShow(const fs::path& root) {
  const fs::path source = orvaneSourceDir();
  const fs::path data = root / "data";
  fs::copy(source / "tests/data/data", data, fs::copy_options::recursive);
  for (const char* effect : {"finalScreenShader.fx", "effectSample.fx", "core.fx", "defaultShader.fx"}) {
    fs::copy_file(source / "data/shader" / effect, data / "shader" / effect);
  }
  fs::create_directories(data / "texture");
  fs::copy_file(source / "data/texture/defaultTexture.bmp", data / "texture/defaultTexture.bmp");
  fs::create_symlink(source / "data/air.ogg", data / "air.ogg");
}
