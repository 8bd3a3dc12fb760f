#include "view/frame.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "config/duck.h"
#include "draw/logo_canvas.h"
#include "rules/sunlight.h"
#include "view/qpainter_canvas.h"
#include "world/world_figures.h"

namespace viv {

uint32_t TaxonColour(uint64_t taxon) {
  // Hues a golden angle apart, so that taxa founded one after another look unlike, and none
  // near the plants' green (hues 0.25 to 0.45 of the circle are skipped).
  const double turn = std::fmod(static_cast<double>(taxon % 1000003) * 0.6180339887498949, 1.0);
  const double hue = std::fmod(0.45 + turn * 0.80, 1.0) * 6;
  const int sector = static_cast<int>(hue);
  const double f = hue - sector;
  const double low = 0.25, high = 1.0, rise = low + (high - low) * f, fall = high - (high - low) * f;
  double rgb[3];
  switch (sector % 6) {
    case 0: rgb[0] = high, rgb[1] = rise, rgb[2] = low; break;
    case 1: rgb[0] = fall, rgb[1] = high, rgb[2] = low; break;
    case 2: rgb[0] = low, rgb[1] = high, rgb[2] = rise; break;
    case 3: rgb[0] = low, rgb[1] = fall, rgb[2] = high; break;
    case 4: rgb[0] = rise, rgb[1] = low, rgb[2] = high; break;
    default: rgb[0] = high, rgb[1] = low, rgb[2] = fall; break;
  }
  uint32_t colour = 0;
  for (int k = 0; k < 3; ++k) colour |= static_cast<uint32_t>(std::lround(rgb[k] * 255)) << (8 * k);
  return colour;
}

namespace {

// Light patches, where the rules set them, as faint warm discs on the black, brighter while
// their season is rich; a world without patches stays black.
void DrawLight(const TWorld& world, const TView& view, QImage& image) {
  TSunlight sun;
  sun.Update(world.Context.Rules, world.CurrentStep);
  if (sun.Patches().empty()) return;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const double r = sun.PatchRadius() * view.Zoom;
  for (const TLightPatch& patch : sun.Patches()) {
    const int v = static_cast<int>(std::lround(std::clamp(12 + 14 * patch.Light, 0.0, 60.0)));
    painter.setBrush(QColor(v, v, v / 2));
    const TScreenPoint p = WorldToScreen(view, static_cast<float>(patch.X), static_cast<float>(patch.Y), 0);
    painter.drawEllipse(QPointF(p.X, p.Y), r, r);
  }
}

}  // namespace

std::string Grouped(int64_t n) {
  std::string digits = std::to_string(n);
  std::string text;
  if (n < 0) digits.erase(0, 1), text = "-";
  for (size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) text += ',';
    text += digits[k];
  }
  return text;
}

void DrawFrame(const TWorld& world, const TView& view, const TFrameStatus& status, QImage& image) {
  image.fill(Qt::black);
  DrawLight(world, view, image);
  TQPainterCanvas canvas(image);
  TLogoCanvas turtle(canvas);
  const int width = image.width(), height = image.height();
  int32_t animals = 0, plants = 0;
  float energy = 0;
  for (int32_t i = world.Count() - 1; i >= 0; --i) {
    const TCreature* c = world.List[i];
    const TScreenPoint p = WorldToScreen(view, c->X, c->Y, c->Heading);
    if (StrictlyBetween(RoundToPixel(p.X), 0, width) && StrictlyBetween(RoundToPixel(p.Y), 0, height)) {
      turtle.Reset(p.X, p.Y, p.A, view.Zoom);
      if (status.TaxonColours && !c->Vegetable) c->Draw(turtle, TaxonColour(c->Taxon));
      else c->Draw(turtle);
      const bool outlined = (!status.OutlinedSpecies.empty() && c->SpeciesLabel() == status.OutlinedSpecies) ||
                            (status.OutlinedTaxon != 0 && c->Taxon == status.OutlinedTaxon);
      if (!c->Vegetable && outlined) {
        const double r = static_cast<double>(c->Radius) * view.Zoom + 4;
        canvas.Ring(RoundToPixel(p.X - r), RoundToPixel(p.Y - r), RoundToPixel(p.X + r), RoundToPixel(p.Y + r),
                    0x00FFFF);
      }
    }
    energy += c->Energy();
    if (c->Vegetable) ++plants;
    else ++animals;
  }

  if (status.Bare) return;
  canvas.TextColor = 0xFFFFFF;
  canvas.BrushClear = true;
  if (status.Caption) {
    canvas.TextOut(
        4, 2, "step " + Grouped(status.StepCount) + "   animals " + Grouped(animals) + "   plants " + Grouped(plants));
    return;
  }
  int y = 0;
  auto line = [&](const char* format, long long value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    canvas.TextOut(0, y, text);
    y += 14;
  };
  line("Generations x1000 : %lld", status.StepCount / 1000);
  const double rate = status.Paused ? 0 : std::nearbyint(status.StepsPerSecond);
  line("Steps per sec : %lld", std::isfinite(rate) && std::fabs(rate) < 9e18 ? static_cast<long long>(rate) : 0);
  line("Creatures : %lld", animals);
  line("Food : %lld", plants);
  line("Biomass : %lld", static_cast<long long>(BiomassOf(energy)));
  canvas.TextColor = 0x80FFFF;  // notices in pale yellow, apart from the figures
  y += 4;
  auto notice = [&](const std::string& text) {
    canvas.TextOut(0, y, text);
    y += 14;
  };
  if (status.Paused) notice("Paused (space goes on)");
  if (status.SpeedLimit > 0)
    notice("Speed: at most " + std::to_string(status.SpeedLimit) + " steps a second (+ and - change it)");
  if (status.SayWhenNoAnimals && animals == 0)
    notice(plants > 0 ? "No animals are alive: the plants live on" : "Nothing is alive");
  if (status.TaxonColours) notice("Animals in the colours of their taxa (T: their own colours)");
  for (const std::string& text : status.Notices) notice(text);
  canvas.TextColor = 0xFFFFFF;
  // The keys as they are (the design's hint named A/Z and X/C, and a web address that was
  // only a placeholder).
  canvas.TextOut(2, height - 30,
                 "Arrows scroll, A/Q zoom, X/Z rotate, space pauses, +/- speed, S saves the animals, O observatory");
  canvas.TextOut(2, height - 16,
                 "T taxa, E edits, R films, L time-lapse, Ctrl+S/Ctrl+O save/open the world, Esc maximises");
}

}  // namespace viv
