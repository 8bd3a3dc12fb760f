#pragma once
// The main window: the start panel, the run loop that steps and draws the world, and the
// keyboard and mouse.
#include <QImage>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <string>

#include "app/film_recorder.h"
#include "app/run_pace.h"
#include "app/start_panel.h"
#include "app/ticks.h"
#include "app/window_companions.h"
#include "app/window_messages.h"
#include "app/world_document.h"
#include "app/world_window.h"
#include "view/frame.h"
#include "view/view_transform.h"

class QKeyEvent;
class QTimer;

namespace viv {

// Where the world is kept when the program ends: last-world.vivw in the application's data folder.
std::string LastWorldFile();

// How the run loop stands.
struct TRunState {
  bool Paused = false;
  bool Running = false;         // inside the run loop
  bool Terminated = false;      // the run-time limit has passed
  bool CloseRequested = false;  // the window was closed: the loop ends
  bool NeedsRedraw = true;      // while paused, frames are drawn only when something changed
  int64_t FramesDrawn = 0;
};

class TfrmVivarion : public QWidget, public TWorldWindow {
  Q_OBJECT
 public:
  // runLimitSeconds: end the run loop after this long (0 or less: no limit). rules: the
  // settings read at start-up (their file is read again while the world runs); the world's
  // random stream is seeded from VIVARION_SEED or the clock.
  explicit TfrmVivarion(int32_t runLimitSeconds = 0, const TSettings& rules = TSettings());
  ~TfrmVivarion() override;

  // Go: the world seeded from the start panel's files and counts, and the run loop started.
  void butGoClick();
  void RunLoop();
  void RunFrame();
  // One step of the world (and its film's time-lapse frame when one is due).
  void StepWorld();
  void DrawFrame();
  // Reads the settings file again (every 2.5 seconds).
  void timerReloadValuesTimer();
  void FormKeyDown(int key);
  void sbStageMouseDown(int x, int y);
  void sbStageMouseMove(int x, int y);
  void FormMouseUp();
  void sbStageDblClick(int x, int y);

  // What the window shows and how its loop stands (for the windows and tests that look at it).
  TView View() const;
  TFrameStatus FrameStatus() const;
  const TRunState& State() const { return state_; }
  void SetPaused(bool paused);
  const QImage& Picture() const { return StageBitmap; }
  TStartPanel* StartPanel() const { return gbSettings; }
  TFilmRecorder& Recorder() { return recorder_; }
  TWindowMessages& Messages() override { return messages_; }

  // Writes the running world; an error is shown in a box. Returns whether it was written.
  bool SaveWorldTo(const std::string& fileName);
  // Replaces the world with a file's and lets it run; an error is shown in a box and the
  // world (or the start panel) stays as it was.
  bool OpenWorld(const std::string& fileName);
  // Keeps the world in LastWorldFile() if one was started (at the close and at the run-time limit).
  void KeepLastWorld();

  // What the other windows see of this one.
  QWidget* Widget() override { return this; }
  TWorldDocument& Document() override { return doc_; }
  const TWorldDocument& Document() const override { return doc_; }
  bool WorldRuns() const override;
  void CentreOn(float x, float y) override;
  uint64_t PutAnimalAtCentre(const std::string& text, const std::string& name) override {
    return doc_.Sim().PutAnimal(text, name, -view_.ScrollX, -view_.ScrollY);
  }
  void Outline(const std::string& species, uint64_t taxon) override;
  void ShowNotice(const std::string& text) override;
  TWindowCompanions& Companions() override { return companions_; }
  // Ctrl+S and Ctrl+O: a file dialog, then SaveWorldTo or OpenWorld.
  void SaveWorldDialog() override;
  void OpenWorldDialog() override;

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  // Time travel: , and . one step back (paused) and one forward; [ and ] a keyframe's spacing.
  void TravelBy(int64_t steps);
  // R and L: a film starts, or the one being made stops and is put in place; a failure stops
  // it and shows a box.
  void ToggleRecording(int64_t everySteps);
  void StopRecording();
  // E: the creature under the pointer, else the one followed by an information window or held.
  void EditUnderPointer();
  void SaveSpecies();

  TWorldDocument doc_;  // the world shown
  TStartPanel* gbSettings;
  QTimer* timerReloadValues;
  TView view_;    // scroll, zoom and rotation (the window's size is read when asked)
  TRunPace Pace;  // how many steps the world runs between frames
  TRunState state_;
  int64_t LastRedrawTick = 0;
  int64_t StartTick;
  int64_t RunLimitMs = 0;
  QImage StageBitmap;
  TFilmRecorder recorder_;
  TWindowMessages messages_{this};
  TWindowCompanions companions_{*this, messages_};
  bool taxonColours_ = false;                          // T: animals filled in their taxon's colour
  std::string outlinedSpecies_;                        // ringed in the view: the species selected in the observatory
  uint64_t outlinedTaxon_ = 0;                         // or the taxon selected there
  uint64_t pressedSerial_ = 0;                         // the creature under the last press, for a double click
  uint64_t inspectRequested_ = 0;                      // the creature an information window sent to the inspector
  std::chrono::steady_clock::time_point nextStepDue_;  // under a speed limit
  bool panning_ = false;                               // the press was on the empty background: moves pan the picture
  QPoint panFrom_;                                     // where that press was
  TView panView_;                                      // the view when it was made
  QTimer* limitTimer_ = nullptr;                       // wakes a paused loop at the run-time limit
};

}  // namespace viv
