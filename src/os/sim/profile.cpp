#include "os/sim/profile.h"

#include <filesystem>

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

bool LoadProfile(const std::string& path, Profile* profile, std::string* error) {
  std::string text;
  if (!ReadHostFile(path, &text)) {
    *error = "cannot open profile " + path;
    return false;
  }
  if (!ParseProfile(text, profile, error)) return false;
  // The files a profile names are found beside it.
  if (!profile->json.contains("folder")) {
    std::error_code ignored;
    profile->json["folder"] =
        std::filesystem::absolute(std::filesystem::path(path).parent_path(), ignored).string();
  }
  return true;
}

}  // namespace sim
