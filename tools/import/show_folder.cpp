// The show-folder side of orvane-import: creating a show, staging the files and
// renaming them into place, and rewriting the running order.
#include "import/show_folder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvane::import {
namespace fs = std::filesystem;
namespace {

[[noreturn]] void fail(const fs::path& where, const std::string& problem) {
  throw ImportError{where.string() + ": " + problem};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) fail(path, "cannot be written");
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void makeShow(const fs::path& dir, const std::string& program) {
  const fs::path maker = fs::path(program).parent_path() / "orvane-new-show";
  if (!fs::exists(maker))
    fail(dir, "holds no show (no data/ folder), and orvane-new-show, which would make one, is not beside " + program);
  // The new show is made beside the folder and moved in only when it is whole.
  const fs::path staging = dir.parent_path() / (dir.filename().string() + ".new-show-" + std::to_string(getpid()));
  const pid_t child = fork();
  if (child == 0) {
    // Its own words name the staging folder: the importer says where the show is.
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    execl(maker.c_str(), maker.c_str(), staging.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      !fs::is_directory(staging / "data")) {
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    fail(dir, "orvane-new-show could not make a show there");
  }
  std::error_code error;
  if (fs::exists(dir)) {
    for (const auto& entry : fs::directory_iterator(staging)) {
      fs::rename(entry.path(), dir / entry.path().filename(), error);
      if (error) fail(dir, "cannot take the new show's " + entry.path().filename().string() + ": " + error.message());
    }
    fs::remove_all(staging, error);
  } else {
    fs::rename(staging, dir, error);
    if (error) fail(dir, "cannot move the new show into place: " + error.message());
  }
  std::printf("orvane-import: %s held no show: a new one was made there first\n", dir.string().c_str());
}

std::string firstToken(const std::string& line) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  return line.substr(start, line.find_first_of(" \t\r\n", start) - start);
}

}  // namespace

std::string replaceRow(const std::string& text, const std::string& qelPath, const std::string& row) {
  std::string out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (firstToken(line) == qelPath) continue;
    out += line + "\n";
  }
  return out + row + "\n";
}

int chooseLine(const std::string& text, const std::string& qelPath, int requested, std::string& notice) {
  std::istringstream in(text);
  std::string others[2];  // a Qel file another row plays on each line
  int own = -1;
  for (std::string line; std::getline(in, line);) {
    std::istringstream row(line);
    std::string file, lineText;
    if (!(row >> file >> lineText) || file[0] == '#' || (lineText != "0" && lineText != "1")) continue;
    const int index = lineText[0] - '0';
    if (file == qelPath) {
      own = index;
    } else {
      others[index] = file;
    }
  }
  int chosen = requested;
  if (chosen < 0) chosen = own >= 0 ? own : others[0].empty() ? 0 : others[1].empty() ? 1 : 0;
  if (!others[chosen].empty()) {
    notice = "line " + std::to_string(chosen) + " played " + others[chosen] +
             ", which no longer shows: a line plays the scene of its last row only";
  }
  return chosen;
}

int writeIntoShow(ConvertedScene scene, const ImportOptions& options, const Placement& placement,
                  const std::string& dirText, const std::string& program, std::string& notice) {
  const fs::path dir = dirText;
  const bool madeHere = !fs::is_directory(dir / "data");
  if (madeHere) makeShow(dir, program);
  const fs::path data = dir / "data";
  const std::string name = options.name;
  const std::string qelPath = "data\\qel\\" + name + ".qel";

  // A late start: a scene with no models fills the time before (the row's window
  // only hides the line, the Qel file's own clock runs from 0).
  if (placement.at > 0) {
    show::QelScene wait;
    wait.name = name + "_wait";
    show::QelObject camera;
    camera.model = -1;
    camera.times = {0.0, placement.at};
    camera.partOrder = {"camera_pos", "camera_lookat"};
    show::Pose eye, target;
    eye.position = {0, 0, 1};
    camera.parts["camera_pos"] = {eye, eye};
    camera.parts["camera_lookat"] = {target, target};
    wait.objects.push_back(camera);
    scene.qel.scenes.insert(scene.qel.scenes.begin(), wait);
  }
  scene.qel.models = {{0, "..\\model\\" + name + "\\" + name + ".mqo"}};

  int line = 0;
  std::error_code error;
  for (const char* folder : {"model", "qel", "definition"}) {
    fs::create_directories(data / folder, error);
    if (error) fail(data / folder, "cannot be made: " + error.message());
  }
  const fs::path staging = data / (".import-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(staging, error);
  fs::create_directories(staging / "model", error);
  if (error) fail(staging, "cannot be made: " + error.message());
  try {
    for (const OutputFile& file : scene.files) writeFile(staging / "model" / file.name, file.bytes);
    writeFile(staging / "model" / (name + ".mqo"), modelText(scene));
    writeFile(staging / (name + ".qel"), show::toQel(scene.qel));
    const int start = static_cast<int>(placement.at * 1000 + 0.5);
    std::string order = readFile(data / "definition" / "sceneLineDefine.txt");
    if (madeHere) {
      // A show made for this import plays the import: the new show's own rows go,
      // its column comments stay.
      std::istringstream in(order);
      std::string comments;
      for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#') comments += text + "\n";
      }
      order = comments;
    }
    line = chooseLine(order, qelPath, placement.line, notice);
    const std::string row = qelPath + "\t" + std::to_string(line) + "\t" + std::to_string(start) + "\t0\t0\t0\tdefault";
    writeFile(staging / "sceneLineDefine.txt", replaceRow(order, qelPath, row));

    // The swap: old model folder aside, new ones in, then the animation and the
    // running order, each by one rename.
    const fs::path modelDir = data / "model" / name;
    const fs::path old = staging / "old";
    if (fs::exists(modelDir)) fs::rename(modelDir, old);
    fs::rename(staging / "model", modelDir);
    fs::rename(staging / (name + ".qel"), data / "qel" / (name + ".qel"));
    fs::rename(staging / "sceneLineDefine.txt", data / "definition" / "sceneLineDefine.txt");
  } catch (const fs::filesystem_error& e) {
    fs::remove_all(staging, error);
    fail(e.path1(), e.code().message());
  } catch (...) {
    fs::remove_all(staging, error);
    throw;
  }
  fs::remove_all(staging, error);
  return line;
}

}  // namespace orvane::import
