#include "os/sim/profile.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "os/sim/host_files.h"

namespace sim {
namespace {

uint32_t Number(const nlohmann::json& value) {
  if (value.is_string())
    return static_cast<uint32_t>(std::stoul(value.get<std::string>(), nullptr, 0));
  return value.get<uint32_t>();
}

void ReadWindows(const nlohmann::json& w, Profile* p) {
  if (w.contains("major")) p->major = Number(w["major"]);
  if (w.contains("minor")) p->minor = Number(w["minor"]);
  if (w.contains("build")) p->build = Number(w["build"]);
  if (w.contains("platform")) p->platformId = w["platform"].get<std::string>() == "9x" ? 1 : 2;
  if (w.contains("wow64")) p->wow64 = w["wow64"].get<bool>();
  if (w.contains("wow64FunctionMissing"))
    p->wow64FunctionMissing = w["wow64FunctionMissing"].get<bool>();
  if (w.contains("language")) p->language = static_cast<uint16_t>(Number(w["language"]));
}

void ReadFileSystem(const nlohmann::json& f, Profile* p) {
  if (f.contains("files")) {
    for (const auto& [path, content] : f["files"].items())
      p->files.push_back({path, content.get<std::string>()});
  }
  for (const std::string& held : f.value("held", std::vector<std::string>{})) {
    auto placed = std::find_if(p->files.begin(), p->files.end(),
                               [&](const PlacedFile& file) { return file.path == held; });
    if (placed == p->files.end()) throw std::runtime_error("fileSystem.held: no such file " + held);
    placed->held = true;
  }
  if (f.contains("links")) {
    for (const auto& [path, target] : f["links"].items())
      p->links.emplace_back(path, target.get<std::string>());
  }
  p->createTemp = f.value("createTemp", true);
}

}  // namespace

bool ParseProfile(const std::string& text, Profile* p, std::string* error) {
  try {
    nlohmann::json j = nlohmann::json::parse(text);
    *p = Profile{};
    p->json = j;
    p->name = j.value("name", "");
    if (j.contains("windows")) ReadWindows(j["windows"], p);
    if (j.contains("environment")) {
      const auto& env = j["environment"];
      if (env.contains("TEMP")) {
        if (env["TEMP"].is_null())
          p->temp.reset();
        else
          p->temp = env["TEMP"].get<std::string>();
      }
    }
    p->modulePath = j.value("modulePath", p->modulePath);
    p->startDirectory = j.value("startDirectory", p->startDirectory);
    if (j.contains("power")) {
      const auto& pw = j["power"];
      if (pw.contains("acLine")) p->acLine = static_cast<uint8_t>(Number(pw["acLine"]));
      if (pw.contains("battery")) p->battery = static_cast<uint8_t>(Number(pw["battery"]));
      p->powerQueryFails = pw.value("queryFails", false);
    }
    if (j.contains("disk")) {
      const auto& d = j["disk"];
      if (d.contains("freeBytes")) p->freeBytes = d["freeBytes"].get<uint64_t>();
      p->freeSpaceQueryFails = d.value("queryFails", false);
    }
    p->threadStartFails = j.value("threadStartFails", false);
    if (j.contains("priorityClass")) p->priorityClass = Number(j["priorityClass"]);
    p->deferThreads = j.value("deferThreads", false);
    if (j.contains("fileSystem")) ReadFileSystem(j["fileSystem"], p);
    p->namedObjects = j.value("namedObjects", std::vector<std::string>{});
    if (j.contains("messageBoxes")) {
      for (const auto& m : j["messageBoxes"]) {
        MessageBoxAnswer a;
        a.titleContains = m.value("titleContains", "");
        const std::string answer = m.value("answer", "OK");
        a.answer = answer == "Cancel" ? 2 : answer == "fail" ? 0 : 1;
        p->messageBoxes.push_back(a);
      }
    }
    return true;
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
}

namespace {

// A chain of profiles that extend one another ends within this many.
constexpr int kExtendsDepth = 8;

// The profile file's JSON with the profiles it extends merged beneath it.
bool ReadProfileJson(const std::filesystem::path& path, int depth, nlohmann::json* json,
                     std::string* error) {
  std::string text;
  if (!ReadHostFile(path.string(), &text)) {
    *error = "cannot open profile " + path.string();
    return false;
  }
  nlohmann::json own = nlohmann::json::parse(text, nullptr, false);
  if (own.is_discarded()) {
    *error = "profile " + path.string() + " is not JSON";
    return false;
  }
  if (!own.is_object() || !own.contains("extends")) {
    // The files a profile names are found beside the profile at the root of
    // the chain, unless one gives its own folder.
    if (own.is_object() && !own.contains("folder")) {
      std::error_code ignored;
      own["folder"] = std::filesystem::absolute(path.parent_path(), ignored).string();
    }
    *json = std::move(own);
    return true;
  }
  if (depth >= kExtendsDepth || !own["extends"].is_string()) {
    *error = "profile " + path.string() + ": \"extends\" must name a profile, at most " +
             std::to_string(kExtendsDepth) + " deep";
    return false;
  }
  const std::filesystem::path base = path.parent_path() / own["extends"].get<std::string>();
  if (!ReadProfileJson(base, depth + 1, json, error)) return false;
  own.erase("extends");
  json->merge_patch(own);
  return true;
}

}  // namespace

bool LoadProfile(const std::string& path, Profile* profile, std::string* error) {
  nlohmann::json json;
  if (!ReadProfileJson(path, 0, &json, error)) return false;
  return ParseProfile(json.dump(), profile, error);
}

}  // namespace sim
