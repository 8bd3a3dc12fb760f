#pragma once
// The main window: the start panel, the run loop that steps and draws the world, and the
// keyboard and mouse.
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QSpinBox>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/run_pace.h"
#include "app/ticks.h"
#include "app/view_film.h"
#include "app/world_document.h"
#include "app/world_window.h"
#include "film/film_encoder.h"
#include "history/evolution_samples.h"
#include "history/run_samples.h"
#include "sim/simulation.h"
#include "sim/timeline.h"
#include "view/frame.h"
#include "view/view_transform.h"
#include "world/world.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace viv {

class TAnimalEditor;
class TfrmInfo;
class TfrmObservatory;
class TfrmVivarion : public QWidget, public TWorldWindow {
  Q_OBJECT
 public:
  // runLimitSeconds: end the run loop after this long (0 or less: no limit). rules: the
  // settings read at start-up (their file is read again while the world runs); the world's
  // random stream is seeded from VIVARION_SEED or the clock.
  explicit TfrmVivarion(int32_t runLimitSeconds = 0, const TSettings& rules = TSettings());
  ~TfrmVivarion() override;

  QTimer* timerReloadValues;
  QGroupBox* gbSettings;
  QListWidget* chklAnimals;
  QPushButton* butGo;
  QLabel* Label1;

  QPushButton* butResume;         // "Resume last world", shown when the program left one
  QSpinBox* seAnimals = nullptr;  // the animals and plants Go seeds (the population file's at first)
  QSpinBox* sePlants = nullptr;

  float ScrollX = 0, ScrollY = 0;
  float Zoom = 0.2f;
  float Rotation = 0;
  int64_t LastRedrawTick = 0;
  TRunPace Pace;  // how many steps the world runs between frames
  int64_t StartTick;
  int64_t RunLimitMs = 0;
  bool CloseRequested = false;
  bool Paused = false;
  bool TaxonColours = false;  // T: animals filled in their taxon's colour
  // The most steps a second the world runs at, 0 for no limit (- and + change it).
  int SpeedLimit() const { return Pace.SpeedLimit(); }
  bool Terminated = false;  // the run-time limit has passed
  bool Running = false;     // inside the run loop
  bool FirstShow = true;    // the animal list is filled at the first showing only
  bool NeedsRedraw = true;  // while paused, frames are drawn only when something changed
  int64_t FramesDrawn = 0;
  uint64_t PressedSerial = 0;             // the creature under the last press, for a double click
  std::string AnimalsFolder = "animals";  // listed on the start panel
  std::string OutlinedSpecies;            // ringed in the view: the species selected in the observatory
  uint64_t OutlinedTaxon = 0;             // or the taxon selected there
  // A short message under the overlay (the outcome of S) and when it goes.
  std::string Notice;
  int64_t NoticeUntilTick = 0;
  QImage StageBitmap;

  void butGoClick();
  void RunLoop();
  void RunFrame();
  // One step of the world (and its film's time-lapse frame when one is due).
  void StepWorld();
  void DrawFrame();
  void timerReloadValuesTimer();
  // Names unknown keys of the settings file in the overlay for a few seconds: when they
  // change at a reload, and again (again) when a world starts.
  void NoteUnknownKeys(bool again);
  // Shows text under the overlay for a few seconds.
  void ShowNotice(const std::string& text) override;
  // The held creature while it lives, else nullptr.
  TCreature* DraggedCreature() const { return doc_.Population().FindSerial(doc_.Sim().Held()); }
  // The view as the transform sees it: the fields above and the window's outer size.
  TView View() const;

  void FormKeyDown(int key);
  // Ctrl+S and Ctrl+O: a file dialog, then SaveWorldTo or OpenWorld.
  void SaveWorldDialog() override;
  void OpenWorldDialog() override;
  // Places the start panel's controls: the file list grows with the window, the rest below it.
  void LayOutStartPanel();
  QPushButton* butOpenWorld = nullptr;
  QLabel* lblNoAnimals = nullptr;
  // Writes the running world; an error is shown in a box. Returns whether it was written.
  bool SaveWorldTo(const std::string& fileName);
  // Replaces the world with a file's and lets it run; an error is shown in a box and the
  // world (or the start panel) stays as it was.
  bool OpenWorld(const std::string& fileName);
  // Where the world is kept when the program ends: last-world.vivw in the application's
  // data folder.
  static std::string LastWorldFile();
  // O: shows the observatory (made at the first use), or hides it; it keeps its place and size.
  void ToggleObservatory();
  // Shows the observatory's inspector on this creature (an information window's link).
  void ShowInspector(uint64_t serial) override;
  TfrmObservatory* Observatory() const { return observatory_; }
  // Keeps the world in LastWorldFile if one was started (at the close and at the run-time limit).
  void KeepLastWorld();
  void sbStageMouseDown(int x, int y);
  void sbStageMouseMove(int x, int y);
  void FormMouseUp();
  void sbStageDblClick(int x, int y);
  // An information window that follows creature, refreshed at once.
  void OpenInfoWindow(const TCreature& creature) override;
  // The creature the observatory's inspector shows: that of the newest information window
  // still following one, else the one held with the mouse; 0 for none.
  uint64_t InspectedSerial() const override;
  uint64_t InspectRequested = 0;  // the creature an information window sent to the inspector

  // Films of the view. R records what the view shows in real time: ViewFramesPerSecond frames a
  // second of the clock, each the picture drawn last (repeated while the window draws slower,
  // left out while it draws faster); L records a time-lapse, a frame every TimeLapseEvery steps.
  // The same key again stops and puts the film in place; a failure stops it and shows a box.
  static constexpr int32_t ViewFramesPerSecond = TViewFilm::ViewFramesPerSecond;
  std::function<int64_t()> FilmClock = TickCount;  // milliseconds (tests set their own)
  static constexpr int64_t TimeLapseEvery = 100;
  std::string FilmFolder;  // where films go: the user's videos folder (tests set their own)
  void ToggleRecording(int64_t everySteps);
  void StopRecording();
  // The film being recorded, or nullptr.
  const TFilmEncoder* Film() const { return film_ ? &film_->Encoder() : nullptr; }

  // The animal editor (one window, made at the first use): on an animal file's text, or on a
  // living creature (E on the creature under the pointer, else the one followed or held).
  void OpenEditor(const std::string& text, const std::string& name, const std::string& fileName);
  void EditCreature(uint64_t serial) override;
  void EditUnderPointer();
  void EditFromStartPanel();
  TAnimalEditor* Editor() const { return editor_; }

  // What the other windows see of this one.
  QWidget* Widget() override { return this; }
  TWorldDocument& Document() override { return doc_; }
  const TWorldDocument& Document() const override { return doc_; }
  bool WorldRuns() const override;
  void CentreOn(float x, float y) override { ScrollX = -x, ScrollY = -y; }
  uint64_t PutAnimalAtCentre(const std::string& text, const std::string& name) override {
    return doc_.Sim().PutAnimal(text, name, -ScrollX, -ScrollY);
  }
  void Outline(const std::string& species, uint64_t taxon) override;

  // Time travel: , and . one step back (paused) and one forward; [ and ] a keyframe's spacing.
  void TravelBy(int64_t steps);
  void BranchHereDialog() override;
  void SwitchBranch() override;

  // The non-modal report of a failed settings reload, or nullptr.
  QMessageBox* ReloadError() const { return reloadError_; }

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
  // The editor, made at the first use, shown and raised when load takes its animal.
  void ShowEditor(const std::function<bool(TAnimalEditor&)>& load);
  void VisitInfoWindows();
  void SaveSpecies();
  // Waits for input while paused, waking up in time for the run-time limit.
  void WaitForInput();
  // Shows an error in a non-modal box, so that the window stays usable.
  void ReportError(const std::exception& e);
  // An error box shown beside the window: it does not take the focus, and the window's
  // keys keep working while it is up.
  QMessageBox* ShowBox(QMessageBox::Icon icon, const QString& text);
  std::string unknownKeysShown_;                       // the unknown keys last named
  std::chrono::steady_clock::time_point nextStepDue_;  // under a speed limit
  bool panning_ = false;                               // the press was on the empty background: moves pan the picture
  QPoint panFrom_;                                     // where that press was
  TView panView_;                                      // the view when it was made
  QPointer<QMessageBox> reloadError_;                  // cleared by Qt when the box goes
  Qt::CheckState pressedCheck_ = Qt::Unchecked;        // an animal file's tick when the press began
  QTimer* limitTimer_ = nullptr;                       // wakes a paused loop at the run-time limit
  TfrmObservatory* observatory_ = nullptr;             // a window of its own, deleted with this one
  TAnimalEditor* editor_ = nullptr;                    // likewise
  QPushButton* butEditor_ = nullptr;                   // the start panel's way into the editor
  // The film's frames: after each frame drawn (a film of real time) or each step (a
  // time-lapse); a failure stops the film and shows a box.
  void RecordViewFrame();
  void RecordTimeLapse();
  void RecordOrStop(const std::function<void(TViewFilm&)>& record);
  void DrawRecordingMark();
  // What the overlay says, as DrawFrame draws it.
  TFrameStatus FrameStatus() const;
  std::unique_ptr<TViewFilm> film_;
  TWorldDocument doc_;  // the world shown
  QImage filmImage_;    // a time-lapse frame, drawn apart from the window's
};

}  // namespace viv
