// The bench's json file.
#include "app/bench_json.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

std::string quoted(const std::string& text) {
  std::string result = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      result += '\\';
      result += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      result += escape;
    } else {
      result += static_cast<char>(c);
    }
  }
  return result + "\"";
}

// Json has no infinity or NaN: a broken figure is written as null.
std::string number(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

std::string benchJson(const BenchFigures& figures) {
  const BenchReport& r = figures.report;
  std::string out = "{\n  \"summary\": {";
  out += "\"load_seconds\": " + number(r.loadSeconds);
  out += ", \"frames\": " + std::to_string(r.frames);
  out += ", \"frames_per_second\": " + number(r.framesPerSecond);
  out += ", \"median_ms\": " + number(r.medianMs);
  out += ", \"p95_ms\": " + number(r.p95Ms);
  out += ", \"p99_ms\": " + number(r.p99Ms);
  out += ", \"max_ms\": " + number(r.maxMs);
  out += ", \"stage_share\": {\"scenes\": " + number(r.stageShare[0]) + ", \"post_effects\": " +
         number(r.stageShare[1]) + ", \"composition\": " + number(r.stageShare[2]) + "}},\n  \"parts\": [";
  for (std::size_t i = 0; i < figures.parts.size(); ++i) {
    const BenchCostRow& p = figures.parts[i];
    out += i ? ",\n    " : "\n    ";
    out += "{\"kind\": ";
    out += p.kind == FramePart::Kind::Scene ? "\"scene\"" : "\"post_effect\"";
    out += ", \"name\": " + quoted(p.name);
    out += ", \"start_ms\": " + std::to_string(p.start) + ", \"end_ms\": " + std::to_string(p.end);
    if (p.kind == FramePart::Kind::Scene) out += ", \"line\": " + std::to_string(p.line);
    else out += ", \"entry\": " + std::to_string(p.entry);
    out += ", \"frames\": " + std::to_string(p.frames) + ", \"total_ms\": " + number(p.totalMs) +
           ", \"mean_ms\": " + number(p.meanMs) + ", \"share\": " + number(p.share) + "}";
  }
  out += figures.parts.empty() ? "],\n  \"frames\": [" : "\n  ],\n  \"frames\": [";
  for (std::size_t i = 0; i < figures.frameMs.size(); ++i) {
    out += i ? ",\n    " : "\n    ";
    const u32 time = i < figures.frameTimes.size() ? figures.frameTimes[i] : 0;
    out += "{\"time_ms\": " + std::to_string(time) + ", \"frame_ms\": " + number(figures.frameMs[i]) + "}";
  }
  out += figures.frameMs.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

bool writeBenchJson(const std::string& path, const BenchFigures& figures) {
  std::ofstream file(path, std::ios::binary);
  file << benchJson(figures);
  file.close();
  return !file.fail();
}
