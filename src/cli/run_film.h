#pragma once
// The film of a run (--film) and its picture (--png), from the view the options ask for; shared
// by the runner and the islands program. In a build without pictures, asking for either throws.
#include <cstdint>
#include <memory>
#include <string>

#include "cli/options.h"
#include "world/world.h"

namespace viv {

class TRunFilm {
 public:
  // Opens fileName (nothing when it is empty): an unwritable place or a bad format throws
  // here, before the run's first step.
  TRunFilm(const TRunnerOptions& o, const std::string& fileName);
  ~TRunFilm();
  // The world at a step: a frame when it is one of the film's (start: the run's first step).
  void Shoot(const TWorld& world, int64_t step, bool start = false);
  // Puts the film in place; returns what was written ("FILE: 100 frames of ...") or "" for no film.
  std::string Finish();

 private:
  struct TParts;
  std::unique_ptr<TParts> parts_;
};

// The picture of the world as --png writes it, from the options' view.
void WriteRunPng(const TRunnerOptions& o, const TWorld& world, int64_t step, const std::string& fileName);

}  // namespace viv
