// The bench's SVG plot.
#include "app/bench_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr double kWidth = 960.0;
constexpr double kHeight = 360.0;
constexpr double kLeft = 56.0;
constexpr double kRight = 12.0;
constexpr double kTop = 40.0;
constexpr double kBottom = 36.0;

std::string escaped(const std::string& text) {
  std::string result;
  for (char c : text) {
    switch (c) {
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      case '&': result += "&amp;"; break;
      case '"': result += "&quot;"; break;
      default:
        // Control bytes are not allowed in XML text.
        if (static_cast<unsigned char>(c) >= 0x20) result += c;
    }
  }
  return result;
}

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0, double d = 0.0) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, a, b, c, d);
  return text;
}

// A step of 1, 2 or 5 times a power of ten giving at most about `count` ticks.
double tickStep(double range, double count) {
  const double raw = range / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= raw) return factor * power;
  }
  return 10.0 * power;
}

}  // namespace

namespace {

// Where a frame's show time and its milliseconds land on the picture.
struct PlotArea {
  double first = 0.0;  // seconds at the left edge
  double last = 1.0;   // seconds at the right edge
  double top = 40.0;   // milliseconds at the top edge
  double width = kWidth - kLeft - kRight;
  double height = kHeight - kTop - kBottom;
  double x(double seconds) const { return kLeft + (seconds - first) / (last - first) * width; }
  double y(double ms) const { return kTop + height - std::clamp(ms, 0.0, top) / top * height; }
};

PlotArea plotArea(const BenchFigures& figures, std::size_t count) {
  PlotArea area;
  double highest = 0.0;
  if (count > 0) {
    area.first = *std::min_element(figures.frameTimes.begin(), figures.frameTimes.begin() + count) / 1000.0;
    area.last = *std::max_element(figures.frameTimes.begin(), figures.frameTimes.begin() + count) / 1000.0;
    for (std::size_t i = 0; i < count; ++i) {
      if (std::isfinite(figures.frameMs[i])) highest = std::max(highest, figures.frameMs[i]);
    }
  }
  if (area.last <= area.first) area.last = area.first + 1.0;
  area.top = std::max(40.0, highest * 1.05);
  return area;
}

// Scene bands: line 0 fills the lower half of the plot, line 1 the upper.
void addSceneBands(std::string& svg, const BenchFigures& figures, const PlotArea& area) {
  std::size_t band = 0;
  for (const BenchCostRow& part : figures.parts) {
    if (part.kind != FramePart::Kind::Scene) continue;
    const double from = std::max(area.first, part.start / 1000.0);
    const double to = std::min(area.last, part.end / 1000.0);
    if (to <= from) continue;
    const bool upper = part.line == 1;
    const double bandTop = upper ? kTop : kTop + area.height / 2.0;
    const char* fill = (band++ % 2 == 0) ? (upper ? "#e3ecf7" : "#eef3e3") : (upper ? "#cfdcee" : "#dde8c8");
    svg += format("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"", area.x(from), bandTop,
                  area.x(to) - area.x(from), area.height / 2.0);
    svg += std::string(fill) + "\"><title>" + escaped(part.name) +
           format(" (line %.0f, %.3f-%.3f s)", part.line, part.start / 1000.0, part.end / 1000.0) + "</title></rect>\n";
    svg += format("<text x=\"%.2f\" y=\"%.2f\" font-size=\"9\" fill=\"#555\">", area.x(from) + 2.0,
                  bandTop + (upper ? 10.0 : area.height / 2.0 - 3.0));
    svg += escaped(part.name) + "</text>\n";
  }
}

// Axes, ticks and the 60 and 30 frames-per-second budgets.
void addAxes(std::string& svg, const PlotArea& area) {
  svg += format("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"none\" stroke=\"#888\"/>\n", kLeft,
                kTop, area.width, area.height);
  const double timeStep = tickStep(area.last - area.first, 10.0);
  for (double t = std::ceil(area.first / timeStep) * timeStep; t <= area.last + 1e-9; t += timeStep) {
    svg += format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"middle\">%g</text>\n", area.x(t),
                  kHeight - kBottom + 14.0, t);
  }
  svg += format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"middle\">show time (s)</text>\n", kLeft + area.width / 2.0,
                kHeight - 6.0);
  const double msStep = tickStep(area.top, 6.0);
  for (double ms = 0.0; ms <= area.top + 1e-9; ms += msStep) {
    svg += format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"end\">%g</text>\n", kLeft - 4.0, area.y(ms) + 4.0, ms);
  }
  svg += format("<text x=\"14\" y=\"%.2f\" transform=\"rotate(-90 14 %.2f)\" text-anchor=\"middle\">frame (ms)</text>\n",
                kTop + area.height / 2.0, kTop + area.height / 2.0);
  for (double budget : {16.7, 33.3}) {
    svg += format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"#c33\" stroke-dasharray=\"6 4\"/>\n",
                  kLeft, area.y(budget), kLeft + area.width, area.y(budget));
    svg += format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"end\" fill=\"#c33\">%.1f ms</text>\n",
                  kLeft + area.width - 4.0, area.y(budget) - 3.0, budget);
  }
}

}  // namespace

std::string benchPlotSvg(const BenchFigures& figures) {
  const std::size_t count = std::min(figures.frameMs.size(), figures.frameTimes.size());
  const PlotArea area = plotArea(figures, count);
  std::string svg = format(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" "
      "font-family=\"sans-serif\" font-size=\"11\">\n",
      kWidth, kHeight, kWidth, kHeight);
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  addSceneBands(svg, figures, area);
  addAxes(svg, area);
  if (count > 0) {
    svg += "<polyline fill=\"none\" stroke=\"#1f4e9a\" stroke-width=\"1.2\" points=\"";
    for (std::size_t i = 0; i < count; ++i) {
      const double ms = std::isfinite(figures.frameMs[i]) ? figures.frameMs[i] : area.top;
      svg += format(i ? " %.2f,%.2f" : "%.2f,%.2f", area.x(figures.frameTimes[i] / 1000.0), area.y(ms));
    }
    svg += "\"/>\n";
  }
  const BenchReport& r = figures.report;
  svg += format("<text x=\"%.2f\" y=\"16\" font-size=\"13\">frame time: median %.2f ms, 99th %.2f ms, max %.2f ms",
                kLeft, r.medianMs, r.p99Ms, r.maxMs);
  svg += format(", %.1f frames/s</text>\n", r.framesPerSecond);
  svg += "</svg>\n";
  return svg;
}

bool writeBenchPlot(const std::string& path, const BenchFigures& figures) {
  std::ofstream file(path, std::ios::binary);
  file << benchPlotSvg(figures);
  file.close();
  return !file.fail();
}
