#include "app/animal_views.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "creature/animal_edit.h"
#include "creature/creature.h"
#include "draw/logo_canvas.h"
#include "parts/organ_kinds.h"
#include "view/qpainter_canvas.h"

namespace viv {

namespace {

constexpr float Heading = -1.5707964f;  // the animal faces up the picture

}  // namespace

TAnimalDrawing::TAnimalDrawing(QWidget* parent) : QWidget(parent) { setMinimumSize(260, 260); }

float TAnimalDrawing::Zoom() const {
  if (!Animal || !(Animal->Radius > 0)) return 1;
  float reach = 1;  // in body radii: the body, or an organ placed beyond it
  for (const TPart* p : Animal->Parts.Items) {
    reach = std::max(reach, std::fabs(p->R) + p->Size);
    // A fin trails its segments about half a body radius beyond its root.
    if (p->Kind() == TPartKind::Engine) reach = std::max(reach, std::fabs(p->R) + 0.6f);
  }
  return 0.46f * static_cast<float>(std::min(width(), height())) / (Animal->Radius * reach);
}

QPointF TAnimalDrawing::OrganAt(int32_t organ) const {
  if (!Animal || organ < 0 || organ >= Animal->Parts.Count()) return {};
  QImage scratch(1, 1, QImage::Format_RGB32);
  TQPainterCanvas canvas(scratch);
  TLogoCanvas turtle(canvas);
  turtle.Reset(width() / 2.0f, height() / 2.0f, Heading, Zoom());
  const TPart* p = Animal->Parts.Items[static_cast<size_t>(organ)];
  turtle.Turn(p->Phi);
  turtle.Advance(p->R * Animal->Radius);
  return {turtle.PosX, turtle.PosY};
}

void TAnimalDrawing::paintEvent(QPaintEvent*) {
  QImage image(size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  if (Animal) {
    TQPainterCanvas canvas(image);
    TLogoCanvas turtle(canvas);
    turtle.Reset(width() / 2.0f, height() / 2.0f, Heading, Zoom());
    Animal->Draw(turtle);
    if (Selected >= 0 && Selected < Animal->Parts.Count()) {
      const QPointF at = OrganAt(Selected);
      const double r =
          std::max(8.0, Animal->Parts.Items[static_cast<size_t>(Selected)]->Size * Animal->Radius * Zoom() * 1.6);
      canvas.Ring(static_cast<int>(at.x() - r), static_cast<int>(at.y() - r), static_cast<int>(at.x() + r),
                  static_cast<int>(at.y() + r), 0x00FFFF);
    }
  }
  QPainter(this).drawImage(0, 0, image);
}

void TAnimalDrawing::mousePressEvent(QMouseEvent* e) {
  if (!Animal || !OrganClicked) return;
  int32_t nearest = -1;
  double best = 24 * 24;  // within 24 pixels
  for (int32_t k = 0; k < Animal->Parts.Count(); ++k) {
    const QPointF d = OrganAt(k) - e->position();
    if (const double d2 = d.x() * d.x() + d.y() * d.y(); d2 < best) best = d2, nearest = k;
  }
  if (nearest >= 0) OrganClicked(nearest);
}

TWiringView::TWiringView(QWidget* parent) : QWidget(parent) { setMinimumHeight(180); }

void TWiringView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), QColor(250, 250, 250));
  Boxes.clear();
  if (!Animal) return;
  const std::vector<TPart*>& parts = Animal->Parts.Items;
  // Columns: what the animal senses, its brains, what moves it.
  auto column = [](const TPart* p) { return static_cast<int>(OrganKindOf(p->Kind()).Column); };
  // Senses are shown when a formula reads them; the others are counted under their column,
  // so that an evolved animal's many copies that nothing reads do not hide the circuit.
  const std::vector<TWire> wires = AnimalWiring(Animal->Parts);
  std::vector<bool> shown(parts.size(), false);
  for (size_t k = 0; k < parts.size(); ++k) shown[k] = column(parts[k]) > 0;
  for (const TWire& w : wires) shown[static_cast<size_t>(w.From)] = shown[static_cast<size_t>(w.To)] = true;
  int rows[3] = {0, 0, 0}, unread = 0;
  for (size_t k = 0; k < parts.size(); ++k) {
    if (shown[k]) ++rows[column(parts[k])];
    else ++unread;
  }
  const double columnWidth = width() / 3.0, boxWidth = std::min(150.0, columnWidth - 40);
  int placed[3] = {0, 0, 0};
  Boxes.assign(parts.size(), QRectF());
  for (size_t k = 0; k < parts.size(); ++k) {
    if (!shown[k]) continue;
    const int c = column(parts[k]);
    const double step = (height() - (c == 0 && unread > 0 ? 48.0 : 30.0)) / std::max(1, rows[c]);
    const double box = std::clamp(step - 3, 12.0, 20.0);
    const double y = 22 + step * placed[c]++ + std::max(0.0, (step - box) / 2);
    Boxes[k] = QRectF(columnWidth * c + (columnWidth - boxWidth) / 2, y, boxWidth, box);
  }
  painter.setPen(QColor(90, 90, 90));
  const char* titles[3] = {"senses", "brains", "engines"};
  for (int c = 0; c < 3; ++c) painter.drawText(QRectF(columnWidth * c, 2, columnWidth, 16), Qt::AlignCenter, titles[c]);
  if (unread > 0)
    painter.drawText(QRectF(0, height() - 20, columnWidth, 16), Qt::AlignCenter,
                     QString("%1 more read by no formula").arg(unread));
  // The terms that reach one organ end apart along its box's left side, in formula order.
  std::vector<int> incoming(parts.size(), 0), arrived(parts.size(), 0);
  for (const TWire& w : wires) ++incoming[static_cast<size_t>(w.To)];
  std::vector<QRectF> labels;  // where the labels of the wires drawn so far are
  for (const TWire& w : wires) {
    const QRectF& from = Boxes[static_cast<size_t>(w.From)];
    const QRectF& to = Boxes[static_cast<size_t>(w.To)];
    const size_t target = static_cast<size_t>(w.To);
    const double spread = (arrived[target]++ - (incoming[target] - 1) / 2.0) * std::min(6.0, 16.0 / incoming[target]);
    const bool forward = from.center().x() < to.center().x();
    const QPointF a = forward ? QPointF(from.right(), from.center().y()) : QPointF(from.left(), from.center().y());
    const QPointF b(to.left(), to.center().y() + spread);
    QPainterPath path(a);
    if (forward) {
      path.cubicTo(a + QPointF(30, 0), b - QPointF(30, 0), b);
    } else {  // within a column or backwards: a loop out to the left
      path.cubicTo(a - QPointF(40, 0), b - QPointF(40, 0), b);
    }
    const QColor colour = w.Factor >= 0 ? QColor(30, 140, 60) : QColor(200, 40, 40);
    painter.setPen(QPen(colour, std::clamp(std::fabs(w.Factor) / 4.0, 1.0, 4.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setBrush(colour);
    painter.drawEllipse(b, 3, 3);
    // The output and factor near the end, where the wires into one organ have drawn apart; a
    // label that would cover one already drawn moves back along its wire.
    const QString label = QString(".%1 x%2").arg(w.Output).arg(static_cast<double>(w.Factor));
    const QFontMetrics metrics = painter.fontMetrics();
    QRectF place;
    for (double at : {0.82, 0.7, 0.58, 0.46, 0.34, 0.22}) {
      const QPointF near = path.pointAtPercent(at);
      place =
          QRectF(near.x() - 34, near.y() - 2 - metrics.ascent(), metrics.horizontalAdvance(label), metrics.height());
      if (std::none_of(labels.begin(), labels.end(), [&](const QRectF& r) { return r.intersects(place); })) break;
    }
    labels.push_back(place);
    painter.setPen(colour.darker(130));
    painter.drawText(place.bottomLeft() - QPointF(0, metrics.descent()), label);
  }
  for (size_t k = 0; k < parts.size(); ++k) {
    if (!shown[k]) continue;
    const bool selected = static_cast<int32_t>(k) == Selected;
    painter.setPen(QPen(selected ? QColor(0, 120, 200) : QColor(120, 120, 120), selected ? 2 : 1));
    painter.setBrush(selected ? QColor(220, 238, 255) : QColor(255, 255, 255));
    painter.drawRoundedRect(Boxes[k], 4, 4);
    painter.setPen(Qt::black);
    painter.drawText(Boxes[k], Qt::AlignCenter, QString::fromStdString(parts[k]->Id));
  }
}

TEnergyGraph::TEnergyGraph(QWidget* parent) : QWidget(parent) { setMinimumHeight(90); }

void TEnergyGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QColor(90, 90, 90));
  painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop, Caption);
  if (Points.size() < 2) return;
  float top = 1;
  for (const auto& p : Points) top = std::max(top, p.second);
  const double x0 = static_cast<double>(Points.front().first),
               span = std::max(1.0, static_cast<double>(Points.back().first) - x0);
  QPolygonF line;
  for (const auto& [step, energy] : Points)
    line << QPointF(4 + (width() - 8) * (static_cast<double>(step) - x0) / span,
                    height() - 4 - (height() - 24) * static_cast<double>(energy) / top);
  painter.setPen(QPen(QColor(0, 120, 200), 2));
  painter.drawPolyline(line);
  painter.setPen(QColor(90, 90, 90));
  painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignTop,
                   QString("top %1").arg(static_cast<double>(top)));
}

}  // namespace viv
