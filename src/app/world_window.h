#pragma once
// What the other windows (the observatory, information windows, the animal editor) ask of the
// window that shows the world: they read the world from its document and reach the view
// through this, and nothing else.
#include <cstdint>
#include <string>
#include <vector>

#include "app/window_companions.h"
#include "app/window_messages.h"
#include "app/world_document.h"

class QWidget;

namespace viv {

class TCreature;

class TWorldWindow {
 public:
  virtual ~TWorldWindow() = default;

  // The window itself: where the other windows place themselves and send the world's keys.
  virtual QWidget* Widget() = 0;
  // The world shown, with its timeline, branches and samples; whether it runs (the start panel
  // is away).
  virtual TWorldDocument& Document() = 0;
  virtual const TWorldDocument& Document() const = 0;
  const TSimulation& Shown() const { return Document().Sim(); }
  virtual bool WorldRuns() const = 0;

  // Centres the view on a point of the world.
  virtual void CentreOn(float x, float y) = 0;
  // Puts an animal file's text (name: its file) into the world at the view's centre and
  // returns its serial; a bad text throws.
  virtual uint64_t PutAnimalAtCentre(const std::string& text, const std::string& name) = 0;
  // Rings a species (by name) or a taxon (by id; 0 for none) in the view.
  virtual void Outline(const std::string& species, uint64_t taxon) = 0;
  // Shows text under the overlay for a few seconds.
  virtual void ShowNotice(const std::string& text) = 0;

  // The observatory, the editor and the information windows.
  virtual TWindowCompanions& Companions() = 0;
  virtual void SaveWorldDialog() = 0;
  virtual void OpenWorldDialog() = 0;

  // Notices under the overlay and boxes beside the window.
  virtual TWindowMessages& Messages() = 0;
};

}  // namespace viv
