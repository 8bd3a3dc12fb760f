#pragma once
// The Evolution tab of the observatory: the measures of evolution over the run (taxa and
// persistent taxa, change and novelty, ecology, complexity), the world's evolutionary activity
// beside its neutral shadow's, and the activity waves: each active taxon's cumulative activity
// against time, the shadow's in grey beside it.
#include <QWidget>

#include "history/evolution_samples.h"

class QLabel;
class QLineSeries;
class QScatterSeries;

namespace viv {

class TEvolutionTab : public QWidget {
  Q_OBJECT
 public:
  explicit TEvolutionTab(QWidget* parent);

  QLineSeries *Taxa, *Persistent, *Change, *Novelty, *Ecology, *Complexity, *Activity, *ShadowActivity;
  QScatterSeries *Waves, *ShadowWaves;
  QLabel* Summary;

  void Show(const TEvolutionGraphs& graphs);
};

}  // namespace viv
