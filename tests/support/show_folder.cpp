// A copy of the show's folder that a test plays from.
#include "support/show_folder.h"

#include "support/source_dir.h"

namespace fs = std::filesystem;

ShowFolder::ShowFolder() : mPrevious(fs::current_path()) {
  const fs::path data = fs::path(orvaneSourceDir()) / "data";
  const fs::path copy = mDir.path() / "data";
  // Copies: what the show loads must really lie inside its data folder (a
  // link out of it is refused). The music is opened by the player, not the
  // resource manager, and stays a link.
  fs::create_directories(copy);
  for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
    const fs::path target = copy / entry.path().filename();
    if (entry.path().filename() == "air.ogg") {
      fs::create_symlink(entry.path(), target);
    } else {
      fs::copy(entry.path(), target, fs::copy_options::recursive);
    }
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
