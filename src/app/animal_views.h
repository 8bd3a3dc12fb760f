#pragma once
// The animal editor's pictures: the body drawn large with its organs (a click selects one),
// the wiring from eyes and mouths through brains to engines, and the sandbox's energy graph.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

namespace viv {

class TCreature;

class TAnimalDrawing : public QWidget {
  Q_OBJECT
 public:
  explicit TAnimalDrawing(QWidget* parent);
  const TCreature* Animal = nullptr;
  int32_t Selected = -1;                      // the organ ringed, -1 for none
  std::function<void(int32_t)> OrganClicked;  // the organ nearest a click on the body
  // Where the organ is drawn, in the widget's pixels.
  QPointF OrganAt(int32_t organ) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  float Zoom() const;
};

// Organs in three columns, senses (eyes and mouths), brains and engines; an arrow for each
// term of a formula from the organ it reads to the organ whose formula it is, green for a
// positive factor and red for a negative one, with the factor written beside it.
class TWiringView : public QWidget {
  Q_OBJECT
 public:
  explicit TWiringView(QWidget* parent);
  const TCreature* Animal = nullptr;
  int32_t Selected = -1;
  // The box of each organ, as last drawn (empty for a sense that no formula reads).
  std::vector<QRectF> Boxes;

 protected:
  void paintEvent(QPaintEvent*) override;
};

// A line of values over steps: the tried animal's energy in the sandbox.
class TEnergyGraph : public QWidget {
  Q_OBJECT
 public:
  explicit TEnergyGraph(QWidget* parent);
  std::vector<std::pair<int64_t, float>> Points;
  QString Caption;

 protected:
  void paintEvent(QPaintEvent*) override;
};

}  // namespace viv
